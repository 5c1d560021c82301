#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "debug_output.h"

namespace {

// Reads the decimal number at `text` up to `end` (a character that must follow it); -1 when there is none.
long long numberAt(const char*& text, char end) {
    long long value = 0;
    const char* start = text;
    while (*text >= '0' && *text <= '9' && value < 100000000) {
        value = value * 10 + (*text - '0');
        ++text;
    }
    if (text == start || *text != end) {
        return -1;
    }
    return value;
}

// The descriptor a capture of this process named, or -1 when there is none. The value is
// "<descriptor>:<process id>", so a child that inherited the variable (a forked or started process, where
// the number may name another file or none) writes to its standard error instead.
int capturedDescriptor() {
    const char* named = std::getenv(ORVO_DEBUG_FD_VARIABLE);
    if (named == nullptr) {
        return -1;
    }
    const long long descriptor = numberAt(named, ':');
    if (descriptor < 0) {
        return -1;
    }
    ++named;
    const long long process = numberAt(named, '\0');
    if (process != static_cast<long long>(::getpid())) {
        return -1;
    }
    return static_cast<int>(descriptor);
}

// False when nothing of the text could be written there.
bool writeAll(int descriptor, const char* text, size_t length) {
    bool wroteAny = false;
    // One write in the normal case; the loop only finishes a write the kernel cut short.
    while (length > 0) {
        ssize_t written = ::write(descriptor, text, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return wroteAny;
        }
        wroteAny = true;
        text += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

void orvo_debug_output(const char* text) {
    if (text == nullptr) {
        return;
    }
    const size_t length = std::strlen(text);
    const int captured = capturedDescriptor();
    if (captured >= 0 && writeAll(captured, text, length)) {
        return;
    }
    // No capture, or its descriptor is gone: the text goes where it would without one. Debug text that
    // cannot be written anywhere is lost, never an error.
    writeAll(STDERR_FILENO, text, length);
}
