// PanelLibrary: one panel script library, loaded by path and found through its export, as the real host
// loads it.
//
// open() loads the file and looks up load_orvo_client_script; any failure is an InputError that says
// which file and why. A library is always named as a file, whatever its form: loaderPath() is the one
// rule that turns the name into what the platform's loader is given, so that the loader never searches
// its own folders instead, and whatever else opens the library (the validator's module checks) opens
// the same file. The object keeps the library loaded until it dies, so it must outlive every
// script object created through it. The platform part (loading a file, finding a symbol) is all there is
// in panel_library_posix.cpp (dlopen) and panel_library_windows.cpp (LoadLibraryA); the handle is the
// platform's own, kept as a plain pointer.
#pragma once

#include <memory>
#include <string>

#include "orvo_client_callback.h"
#include "orvo_host.h"

using LoadScriptFunction = orvo_client_callback* (*)(orvo_host*, const char*);

class PanelLibrary {
public:
    static std::unique_ptr<PanelLibrary> open(const std::string& path);

    // What the loader is given for the library file `path`: "./name" for a bare name on POSIX (the
    // loader would search the library path for it), the full path on Windows (the loader would search
    // the system's folders for any name that is not one). A failure to load names this path.
    static std::string loaderPath(const std::string& path);
    ~PanelLibrary();
    PanelLibrary(const PanelLibrary&) = delete;
    PanelLibrary& operator=(const PanelLibrary&) = delete;

    // Closes the library. False when it is still loaded after that (a library that cannot be unloaded
    // keeps its exit-time code for the end of the process). Call it once; the object only dies after.
    bool unload();

    // The export; never null.
    LoadScriptFunction loadScript() const { return loadScript_; }

private:
    PanelLibrary(void* handle, LoadScriptFunction loadScript, std::string path)
        : handle_(handle), loadScript_(loadScript), path_(std::move(path)) {}

    void* handle_;
    LoadScriptFunction loadScript_;
    std::string path_;  // as the loader was given it
};
