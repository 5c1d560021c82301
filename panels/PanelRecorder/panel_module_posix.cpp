#include <dlfcn.h>

#include "panel_module.h"

std::unique_ptr<PanelModule> PanelModule::open(const std::string& path, std::string& problem) noexcept {
    try {
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            const char* why = dlerror();
            problem = "the panel module " + path + " cannot be loaded: " + (why == nullptr ? "" : why);
            return nullptr;
        }
        auto entry = reinterpret_cast<orvo_load_script_function>(dlsym(handle, "load_orvo_client_script"));
        if (entry == nullptr || entry == &load_orvo_client_script) {
            problem = "the panel module " + path +
                      (entry == nullptr ? " has no load_orvo_client_script" : " is the recorder itself");
            dlclose(handle);
            return nullptr;
        }
        return std::unique_ptr<PanelModule>(new PanelModule(handle, entry));
    } catch (...) {
        problem = "the panel module cannot be loaded";
        return nullptr;
    }
}

PanelModule::~PanelModule() {
    dlclose(handle_);
}

std::string recorderModulePath() noexcept {
    try {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&load_orvo_client_script), &info) == 0 ||
            info.dli_fname == nullptr) {
            return "";
        }
        return info.dli_fname;
    } catch (...) {
        return "";
    }
}
