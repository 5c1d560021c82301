// PanelModule: the real panel module the recorder loads, and where the recorder's own module lies.
//
// open() loads the module and finds its entry point; the object owns the module handle and closes it when
// it dies, so the script created from it must be deleted first. A module whose entry point is the
// recorder's own (the settings name the recorder itself) is refused, as it would create recorders for
// ever. Nothing here throws or writes anything.
#pragma once

#include <memory>
#include <string>

#include "orvo_panel_export.h"

class PanelModule {
public:
    // Null with `problem` set when the module cannot be loaded or has no entry point.
    static std::unique_ptr<PanelModule> open(const std::string& path, std::string& problem) noexcept;
    ~PanelModule();
    PanelModule(const PanelModule&) = delete;
    PanelModule& operator=(const PanelModule&) = delete;

    orvo_load_script_function entry() const { return entry_; }

private:
    PanelModule(void* handle, orvo_load_script_function entry) : handle_(handle), entry_(entry) {}

    void* handle_;
    orvo_load_script_function entry_;
};

// The path of the module this code was loaded from, or "" when the system does not say.
std::string recorderModulePath() noexcept;
