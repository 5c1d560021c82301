#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "debug_output.h"

namespace {

// The descriptor a capture named, or -1 when there is none (or the name is not a plain number).
int capturedDescriptor() {
    const char* named = std::getenv(ORVO_DEBUG_FD_VARIABLE);
    if (named == nullptr || *named == '\0') {
        return -1;
    }
    int descriptor = 0;
    for (const char* digit = named; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9' || descriptor > 100000) {
            return -1;
        }
        descriptor = descriptor * 10 + (*digit - '0');
    }
    return descriptor;
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
