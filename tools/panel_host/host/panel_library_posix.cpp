#include <dlfcn.h>

#include "input_error.h"
#include "library_file.h"
#include "panel_library.h"

std::string PanelLibrary::loaderPath(const std::string& path) {
    return path.find('/') == std::string::npos ? "./" + path : path;
}

std::unique_ptr<PanelLibrary> PanelLibrary::open(const std::string& path) {
    std::string where = loaderPath(path);
    // The loader would map a file cut short beyond its end, and the first touch would end the process.
    std::string problem = libraryFileProblem(where);
    if (!problem.empty()) {
        throw InputError(path + ": cannot load the panel library: " + problem);
    }
    void* handle = ::dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* error = ::dlerror();
        std::string why = error != nullptr ? error : "unknown reason";
        // The loader's text begins with the path it was given, which the message names once.
        if (why.compare(0, where.size() + 2, where + ": ") == 0) {
            why.erase(0, where.size() + 2);
        }
        std::string tried = where == path ? "" : " (tried " + where + ")";
        throw InputError(path + ": cannot load the panel library" + tried + ": " + why);
    }
    ::dlerror();
    void* symbol = ::dlsym(handle, "load_orvo_client_script");
    if (symbol == nullptr) {
        ::dlclose(handle);
        throw InputError(path + ": the library has no export load_orvo_client_script");
    }
    auto loadScript = reinterpret_cast<LoadScriptFunction>(symbol);
    return std::unique_ptr<PanelLibrary>(new PanelLibrary(handle, loadScript, where));
}

bool PanelLibrary::unload() {
    if (handle_ == nullptr) {
        return true;
    }
    ::dlclose(handle_);
    handle_ = nullptr;
    // A library with symbols the loader must keep unique stays in the process until it ends.
    void* still = ::dlopen(path_.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (still != nullptr) {
        ::dlclose(still);
        return false;
    }
    return true;
}

PanelLibrary::~PanelLibrary() {
    unload();
}
