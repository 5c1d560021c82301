// orvo_host: the object the host hands a script at creation, through which every command goes.
//
// The script keeps the pointer for its whole life, calls only request(), and never deletes it.
// The host owns it and keeps it alive until the script has been destroyed.
#pragma once

#include <cstdint>

class orvo_host {
public:
    // Never called by a script. It is a plain virtual operation rather than a destructor so that it takes
    // exactly one vtable entry on every C++ ABI, which keeps request() in the second slot everywhere.
    virtual void reserved() = 0;

    // kind 0 (orvo_request_command): data is a NUL-terminated command text owned by the script and valid only
    //     for the call. For a command that answers, the result is a host-owned NUL-terminated answer text, or
    //     0 for no answer; the script reads it at once and hands it back with kind 5 before the command
    //     operation returns. For a layout command (PI, PS) the result is non-zero when the host loaded it.
    //     For every other command the result is ignored.
    // kind 5 (orvo_request_release): data is an answer text the host returned earlier for a kind-0 request
    //     (readName also hands back a null). The result is ignored.
    virtual intptr_t request(void* data, int32_t kind) = 0;

protected:
    ~orvo_host() = default;  // the script never deletes the host object
};
