#include <windows.h>

#include "panel_module.h"

std::unique_ptr<PanelModule> PanelModule::open(const std::string& path, std::string& problem) noexcept {
    try {
        HMODULE handle = LoadLibraryA(path.c_str());
        if (handle == nullptr) {
            problem = "the panel module " + path + " cannot be loaded (error " +
                      std::to_string(GetLastError()) + ")";
            return nullptr;
        }
        auto entry = reinterpret_cast<orvo_load_script_function>(
            reinterpret_cast<void*>(GetProcAddress(handle, "load_orvo_client_script")));
        if (entry == nullptr || entry == &load_orvo_client_script) {
            problem = "the panel module " + path +
                      (entry == nullptr ? " has no load_orvo_client_script" : " is the recorder itself");
            FreeLibrary(handle);
            return nullptr;
        }
        return std::unique_ptr<PanelModule>(new PanelModule(handle, entry));
    } catch (...) {
        problem = "the panel module cannot be loaded";
        return nullptr;
    }
}

PanelModule::~PanelModule() {
    FreeLibrary(static_cast<HMODULE>(handle_));
}

std::string recorderModulePath() noexcept {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&load_orvo_client_script), &self)) {
        return "";
    }
    char path[MAX_PATH * 4];
    DWORD size = GetModuleFileNameA(self, path, sizeof path);
    if (size == 0 || size >= sizeof path) {
        return "";
    }
    try {
        return std::string(path, size);
    } catch (...) {
        return "";
    }
}
