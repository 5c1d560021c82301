// The Microsoft C++ conventions a Windows host is built with, where they meet this library's interfaces.
//
// A Windows host is compiled with the Microsoft compiler and calls the entries of a script's vtable as
// that compiler lays them out, whichever compiler built the script:
// - A virtual destructor takes one entry, the "scalar deleting destructor" (this, flags). It destroys the
//   object and then, when bit 0 of the flags is set, frees its memory; it returns `this`. The host's
//   `delete script` is a call of that entry with flags 1. GCC's C++ ABI gives a virtual destructor two
//   entries instead, so orvo_client_callback.h provides that one entry by hand on Windows.
// - On 32-bit x86 every member function is __thiscall: `this` in ECX, the other arguments on the stack,
//   removed by the callee. GCC and Clang use the same convention for member functions on Windows targets,
//   so the interfaces need no mark; ORVO_THISCALL is for pointer types that call an entry by hand.
// - On 64-bit Windows there is one calling convention, and `this` is the first argument.
//
// The slot types below are the two interfaces as a Microsoft-built host sees them; tests call a script
// through them as such a host does. This header declares types only and defines nothing outside Windows.
#pragma once

#include <cstdint>

#if defined(_WIN32)

#if defined(_M_IX86) || defined(__i386__)
#define ORVO_THISCALL __thiscall
#else
#define ORVO_THISCALL
#endif

// Bit 0 of a scalar deleting destructor's flags: free the memory once the object is destroyed. Without it
// the object is only destroyed (the Microsoft compiler calls it so for an explicit destructor call).
constexpr uint32_t orvo_msvc_free_memory = 1;

// orvo_client_callback's table, entry by entry.
using orvo_msvc_deleting_destructor_slot = void*(ORVO_THISCALL*)(void* self, uint32_t flags);  // 0
using orvo_msvc_notify_slot = char*(ORVO_THISCALL*)(void* self, void* data, int32_t kind);     // 1

// The one entry of the host object's table that a script calls.
using orvo_msvc_request_slot = intptr_t(ORVO_THISCALL*)(void* self, void* data, int32_t kind);  // 1

#endif
