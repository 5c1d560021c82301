// orvo_debug_failure: the debug line that says why a script dropped what it was doing.
//
// For the places where nothing may escape to the host (notify, the export): inside their catch handler
// they call this to write "{lead}{what}" and a line feed to the platform's debug output, where WHAT is
// the caught exception's what(), or "unknown error" for anything that is not a std::exception. The line
// is built on the stack: it never allocates and never throws, so it works when memory has run out.
// Call it only while an exception is being handled.
#pragma once

void orvo_debug_failure(const char* lead) noexcept;
