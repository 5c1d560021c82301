// The module family: the library opens as a plant's host opens it, and has the one export it needs.
#include "checks.h"
#include "panel_library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

const char* const kExport = "load_orvo_client_script";

#if defined(_WIN32)
std::string lastError() {
    return "error " + std::to_string(::GetLastError());
}
#endif

}  // namespace

// Both open the file as the host does: the name goes to the loader in the host's form.
CheckResult checkModuleOpens(const CheckContext& context) {
    const std::string where = PanelLibrary::loaderPath(context.library);
#if defined(_WIN32)
    HMODULE module = ::LoadLibraryA(where.c_str());
    if (module == nullptr) {
        return CheckResult::fail("the module does not load from " + where + ": " + lastError(),
                                 context.library);
    }
    ::FreeLibrary(module);
#else
    // Every symbol bound at once: a symbol the module needs and nothing provides fails here, not in
    // the middle of a show.
    void* module = ::dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* why = ::dlerror();
        return CheckResult::fail(std::string("the module does not open with every symbol bound: ") +
                                     (why != nullptr ? why : "unknown reason"),
                                 context.library);
    }
    ::dlclose(module);
#endif
    return CheckResult::pass();
}

CheckResult checkModuleExport(const CheckContext& context) {
    const std::string where = PanelLibrary::loaderPath(context.library);
#if defined(_WIN32)
    HMODULE module = ::LoadLibraryA(where.c_str());
    if (module == nullptr) {
        return CheckResult::skip("the module does not load (module.opens)");
    }
    bool found = ::GetProcAddress(module, kExport) != nullptr;
    ::FreeLibrary(module);
#else
    void* module = ::dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        return CheckResult::skip("the module does not open (module.opens)");
    }
    bool found = ::dlsym(module, kExport) != nullptr;
    ::dlclose(module);
#endif
    if (!found) {
        return CheckResult::fail(
            std::string("the module has no export ") + kExport + "; the host cannot create a script from it",
            context.library);
    }
    return CheckResult::pass();
}
