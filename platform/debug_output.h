// The platform's debugger output, where every debug line of a script goes.
//
// On Windows this is OutputDebugStringA. Elsewhere the text is written unchanged in one write to the
// descriptor named by the environment variable ORVO_DEBUG_FD ("<descriptor>:<process id>"), which a debug
// line capture sets while it wants the text, and to standard error when that variable is unset, is not of
// that form, names another process (a child that inherited it), or names a descriptor that cannot be
// written. The variable is read on each call, so the
// library keeps no state of its own, and a capture never has to touch standard error: a sanitizer's
// report or a crash's message still reaches the terminal while the debug lines are caught.
//
// The text is only read; nothing is added to it (callers end their lines themselves). A null text writes
// nothing. Never throws, never allocates.
#pragma once

// The environment variable a capture sets to the descriptor it reads (POSIX only).
#define ORVO_DEBUG_FD_VARIABLE "ORVO_DEBUG_FD"

void orvo_debug_output(const char* text);
