// The panel module's one entry point, load_orvo_client_script, and ORVO_DEFINE_PANEL, which defines it.
//
// The host opens a panel module, looks the entry point up by its plain name and calls it once per panel
// to create a script object; it owns what it gets and deletes it through orvo_client_callback. The
// prototype below is the only one a module may define: a definition with another signature, or without
// C linkage, does not compile, and orvo_add_panel() makes a module without the definition fail to link.
//
// Most panels define the entry point with one line in a source file of their own:
//
//   ORVO_DEFINE_PANEL(MyPanel)
//
// It creates MyPanel(host, basePath) and answers null when that fails, writing why as a debug line.
// Nothing thrown inside ever reaches the host.
#pragma once

#include <type_traits>

#include "orvo_client_callback.h"
#include "orvo_debug_failure.h"
#include "orvo_host.h"

#if defined(_WIN32)
#define ORVO_PANEL_EXPORT __declspec(dllexport)
#else
#define ORVO_PANEL_EXPORT __attribute__((visibility("default")))
#endif

// The entry point. `host` is the host object (may be null) and stays the host's; `basePath` is the
// folder of the panel's layout files (null or empty: none). Answers a new script object, or null when it
// cannot be created; never throws.
extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host,
                                                                           const char* basePath);

// The signature the host resolves by name.
using orvo_load_script_function = orvo_client_callback* (*)(orvo_host* host, const char* basePath);


// Creates one Panel(host, basePath) for the entry point: null when the allocation or the constructor
// fails, with the reason written as a debug line.
template <class Panel>
orvo_client_callback* orvo_create_script(orvo_host* host, const char* basePath) noexcept {
    static_assert(std::is_base_of<orvo_client_callback, Panel>::value,
                  "a panel script class derives from orvo_script_helper");
    try {
        return new Panel(host, basePath);
    } catch (...) {
        // Written from a fixed buffer, so the reason is told even when memory has run out.
        orvo_debug_failure("load_orvo_client_script: could not create the script: ");
    }
    return nullptr;
}

// Defines the module's entry point for the panel class ClassName, constructed as ClassName(host, basePath).
#define ORVO_DEFINE_PANEL(ClassName)                                                                   \
    extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host,        \
                                                                               const char* basePath) { \
        return orvo_create_script<ClassName>(host, basePath);                                          \
    }
