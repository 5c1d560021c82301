// orvo_client_callback: the interface the host holds for each script object it created.
//
// The host creates a script through the library's export, drives it with notify() and ends it by deleting
// it through this interface. A script never calls notify() on itself. This is the one place the
// interface is declared, so the layout a Windows host expects is presented here alone.
//
// The vtable the host sees, entry by entry:
// - elsewhere: the virtual destructor (the C++ ABI's own entries), then notify();
// - on Windows: entry 0 the Microsoft "scalar deleting destructor", entry 1 notify() (see msvc_abi.h).
//   The C++ virtual destructor follows notify() there, where the host never looks, so `delete` through
//   this interface works in our own C++ code on every compiler.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include "msvc_abi.h"
#endif

class orvo_client_callback {
public:
#if defined(_WIN32)
    // Entry 0 on Windows: the host's `delete`, called with flags 1. Destroys the whole script through the
    // virtual destructor and, when orvo_msvc_free_memory is set, frees it as `delete` does; with flags 0
    // it only destroys it. Returns the object's address, as the Microsoft entry does; the host must not
    // use it after a free. Other flag bits (array deletion) never apply: a script is a single object the
    // library allocated. No script may replace this entry.
    virtual void* scalarDeletingDestructor(uint32_t flags) final {
        void* self = this;
        if ((flags & orvo_msvc_free_memory) != 0) {
            delete this;
        } else {
            this->~orvo_client_callback();
        }
        return self;
    }
#else
    // The host ends a script by deleting it through this entry. The script may still send commands from it.
    virtual ~orvo_client_callback() = default;
#endif

    // One host event; `kind` is an orvo_event_kind and says what `data` is (see orvo_event_kind.h).
    // Returns null for every kind but a parent request (kind 3), which may return a text the script owns;
    // that text stays valid until the host hands the same pointer back with kind 5.
    // Never throws; never keeps `data` or anything it points to beyond the call.
    virtual char* notify(void* data, int32_t kind) = 0;

#if defined(_WIN32)
    // Our own code's `delete` on Windows, and what entry 0 runs. The script may still send commands from it.
    virtual ~orvo_client_callback() = default;
#endif
};
