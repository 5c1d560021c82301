// orvo_client_callback: the interface the host holds for each script object it created.
//
// The host creates a script through the library's export, drives it with notify() and ends it by deleting
// it through this interface. A script never calls notify() on itself. This is the one place the
// interface is declared, so the layout a Windows host expects can be presented here alone.
#pragma once

#include <cstdint>

class orvo_client_callback {
public:
    // The host ends a script by deleting it through this slot. The script may still send commands from it.
    virtual ~orvo_client_callback() = default;

    // One host event; `kind` is an orvo_event_kind and says what `data` is (see orvo_event_kind.h).
    // Returns null for every kind but a parent request (kind 3), which may return a text the script owns;
    // that text stays valid until the host hands the same pointer back with kind 5.
    // Never throws; never keeps `data` or anything it points to beyond the call.
    virtual char* notify(void* data, int32_t kind) = 0;
};
