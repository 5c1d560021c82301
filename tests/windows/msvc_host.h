// The two sides of the script interface as a Microsoft-built host has them, for tests under Windows.
//
// MsvcShapedHost is a host object laid out by hand as the Microsoft compiler lays out a host class with a
// virtual destructor and request(): a pointer to a two-entry table, the scalar deleting destructor in
// entry 0 and request() in entry 1. Each request goes on to a RecordingHost, which answers and checks the
// hand-backs. A script must never call entry 0; a call is counted.
//
// hostNotify() and hostDelete() call a script's table entries by hand, as the host's generated code does,
// never through the C++ declarations. Neither owns anything: the test owns the host, the recorder and,
// until hostDelete(), the script.
#pragma once

#include <cstdint>

#include "msvc_abi.h"
#include "orvo_client_callback.h"
#include "orvo_host.h"
#include "recording_host.h"

struct MsvcShapedHost {
    explicit MsvcShapedHost(RecordingHost& recorder);

    // The host object as the library's export receives it.
    orvo_host* hostObject() { return reinterpret_cast<orvo_host*>(this); }

    const void* const* table;  // the object's vtable pointer: first, as the Microsoft compiler puts it
    RecordingHost* recorder;
    int32_t destructorCalls = 0;
};

// Entry 1 of the script's table: notify(data, kind).
char* hostNotify(orvo_client_callback* script, void* data, int32_t kind);

// Entry 0 of the script's table with `flags`; the host's `delete script` passes orvo_msvc_free_memory.
// Returns what the entry returns.
void* hostDelete(orvo_client_callback* script, uint32_t flags = orvo_msvc_free_memory);
