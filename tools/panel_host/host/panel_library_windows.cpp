#include <windows.h>

#include <string>

#include "input_error.h"
#include "panel_library.h"

namespace {

// The system's text for an error code, without its closing line break and full stop, and with the code.
std::string systemMessage(DWORD code) {
    char* text = nullptr;
    DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length != 0 && text != nullptr ? std::string(text, length) : std::string();
    ::LocalFree(text);
    // The system's texts name the file as an insert, which this message has already named.
    for (size_t at = message.find("%1"); at != std::string::npos; at = message.find("%1", at)) {
        message.replace(at, 2, "the file");
    }
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' ' ||
                                message.back() == '.')) {
        message.pop_back();
    }
    if (message.empty()) {
        message = "unknown reason";
    }
    return message + " (error " + std::to_string(code) + ")";
}

}  // namespace

// The full path with backslashes.
std::string PanelLibrary::loaderPath(const std::string& path) {
    std::string native = path;
    for (char& c : native) {
        if (c == '/') {
            c = '\\';
        }
    }
    DWORD size = ::GetFullPathNameA(native.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return native;
    }
    std::string full(size, '\0');
    DWORD written = ::GetFullPathNameA(native.c_str(), size, &full[0], nullptr);
    if (written == 0 || written >= size) {
        return native;
    }
    full.resize(written);
    return full;
}

std::unique_ptr<PanelLibrary> PanelLibrary::open(const std::string& path) {
    // A library that cannot be loaded is an error text here, not a dialog box waiting for an operator.
    DWORD oldMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    std::string full = loaderPath(path);
    HMODULE module = ::LoadLibraryA(full.c_str());
    DWORD loadError = ::GetLastError();
    ::SetThreadErrorMode(oldMode, nullptr);
    if (module == nullptr) {
        std::string tried = full == path ? "" : " (tried " + full + ")";
        throw InputError(path + ": cannot load the panel library" + tried + ": " + systemMessage(loadError));
    }
    FARPROC symbol = ::GetProcAddress(module, "load_orvo_client_script");
    if (symbol == nullptr) {
        ::FreeLibrary(module);
        throw InputError(path + ": the library has no export load_orvo_client_script");
    }
    auto loadScript = reinterpret_cast<LoadScriptFunction>(reinterpret_cast<void*>(symbol));
    return std::unique_ptr<PanelLibrary>(new PanelLibrary(module, loadScript, full));
}

bool PanelLibrary::unload() {
    if (handle_ == nullptr) {
        return true;
    }
    ::FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
    return ::GetModuleHandleA(path_.c_str()) == nullptr;
}

PanelLibrary::~PanelLibrary() {
    unload();
}
