// The recorder module's only export. The host calls it in place of the real panel's: it reads the
// settings file beside the module, loads the real panel module and creates the real script behind a
// RecorderScript. When the settings cannot be read or the real module cannot be loaded it answers null and
// writes why as a debug line; when the real panel answers null, so does it. Nothing thrown inside reaches
// the host.
#include <memory>

#include "debug_output.h"
#include "orvo_panel_export.h"
#include "panel_module.h"
#include "recorder_script.h"
#include "recorder_settings.h"

namespace {

void refuse(const std::string& why) noexcept {
    try {
        orvo_debug_output(("PanelRecorder: no script: " + why + "\n").c_str());
    } catch (...) {
        orvo_debug_output("PanelRecorder: no script\n");
    }
}

}  // namespace

extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host,
                                                                           const char* basePath) {
    try {
        std::string self = recorderModulePath();
        if (self.empty()) {
            refuse("the system does not say where the recorder's module is");
            return nullptr;
        }
        RecorderSettings settings;
        std::string problem;
        if (!readRecorderSettings(settingsPathFor(self), settings, problem)) {
            refuse(problem);
            return nullptr;
        }
        std::unique_ptr<PanelModule> module = PanelModule::open(settings.panel, problem);
        if (!module) {
            refuse(problem);
            return nullptr;
        }
        auto script = std::make_unique<RecorderScript>(host, std::move(module), settings);
        try {
            if (!script->start(basePath)) {
                return nullptr;
            }
        } catch (...) {
            refuse("the real panel's load_orvo_client_script threw an exception");
            return nullptr;
        }
        return script.release();
    } catch (...) {
        refuse("out of memory");
    }
    return nullptr;
}
