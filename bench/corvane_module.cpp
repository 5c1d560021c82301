#include "corvane_module.h"

#include <dlfcn.h>

namespace {

struct LoadedModule {
    orvo_load_script_function load = nullptr;
    std::string failure;
};

LoadedModule openModule() {
    LoadedModule module;
    void* handle = dlopen(ORVO_CORVANE_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        module.failure = dlerror();
        return module;
    }
    void* entry = dlsym(handle, "load_orvo_client_script");
    if (entry == nullptr) {
        module.failure = dlerror();
        return module;
    }
    module.load = reinterpret_cast<orvo_load_script_function>(entry);
    return module;
}

}  // namespace

orvo_load_script_function corvaneExport(std::string* why) {
    static const LoadedModule module = openModule();
    if (module.load == nullptr && why != nullptr) {
        *why = "cannot open " ORVO_CORVANE_MODULE ": " + module.failure;
    }
    return module.load;
}
