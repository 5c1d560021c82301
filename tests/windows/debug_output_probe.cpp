// Loads Corvane.dll and creates one panel without a host object, which writes its "Failed to find"
// debug lines, then deletes it as a Microsoft-built host does. Nothing here catches the debug text: it
// goes out through OutputDebugStringA to whatever debugger listens (under Wine, WINEDEBUG=+debugstr).
#include <windows.h>

#include <cstdio>

#include "msvc_host.h"

int main() {
    HMODULE module = ::LoadLibraryA("Corvane.dll");
    if (module == nullptr) {
        std::fprintf(stderr, "LoadLibrary(Corvane.dll) failed: %lu\n", ::GetLastError());
        return 1;
    }
    using LoadScript = orvo_client_callback* (*)(orvo_host*, const char*);
    auto load = reinterpret_cast<LoadScript>(
        reinterpret_cast<void*>(::GetProcAddress(module, "load_orvo_client_script")));
    if (load == nullptr) {
        std::fprintf(stderr, "Corvane.dll has no export load_orvo_client_script\n");
        return 1;
    }
    orvo_client_callback* panel = load(nullptr, "");
    if (panel == nullptr) {
        std::fprintf(stderr, "load_orvo_client_script returned null\n");
        return 1;
    }
    hostDelete(panel);
    ::FreeLibrary(module);
    return 0;
}
