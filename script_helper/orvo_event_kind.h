// The numbers that say what a notify() or request() call carries.
#pragma once

#include <cstdint>

// Kinds of host event passed to orvo_client_callback::notify(data, kind).
enum EventKind : int32_t {
    orvo_event_revertive = 1,  // data: const orvo_revertive_record*
    orvo_event_button = 2,     // data: const orvo_button_record*
    orvo_event_parent = 3,     // data: const char*, the request text (may be null)
    orvo_event_timer = 4,      // the timer id itself, carried in the pointer value (low 32 bits)
    orvo_event_release = 5,    // data: a text the script returned for kind 3, or null
    orvo_event_record = 6,     // data: a record this library does not read
    orvo_event_integer = 7,    // an integer carried in the pointer value (low 32 bits)
};
// Any other kind is ignored and notify() returns null.

// Kinds of script request passed to orvo_host::request(data, kind).
enum RequestKind : int32_t {
    orvo_request_command = 0,  // data: NUL-terminated command text
    orvo_request_release = 5,  // data: an answer text the host returned for an earlier command
};

// Kinds 4 and 7 carry a 32-bit integer in the pointer value. The host puts the integer in the low bits of
// the pointer; any higher bits are not part of the value.
inline int32_t orvo_integer_from_data(void* data) {
    return static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(data)));
}
inline void* orvo_data_from_integer(int32_t value) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<uint32_t>(value)));
}
