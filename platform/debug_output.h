// The platform's debugger output, where every debug line of a script goes.
//
// On Windows this is OutputDebugStringA. Elsewhere the text is written unchanged to standard error in one
// write, so a test or the host emulator can catch it there. The text is only read; nothing is added to
// it (callers end their lines themselves). A null text writes nothing. Never throws, never allocates.
#pragma once

void orvo_debug_output(const char* text);
