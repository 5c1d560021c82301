// The module's only export: the host calls it once per panel to create a script object.
#include "orvo_panel_export.h"
#include "template_panel.h"

extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host,
                                                                           const char* basePath) {
    try {
        return new TemplatePanel(host, basePath);
    } catch (...) {
        return nullptr;  // nothing may be thrown at the host
    }
}
