#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "debug_output.h"

void orvo_debug_output(const char* text) {
    if (text == nullptr) {
        return;
    }
    const char* rest = text;
    size_t left = std::strlen(text);
    // One write in the normal case; the loop only finishes a write the kernel cut short.
    while (left > 0) {
        ssize_t written = ::write(STDERR_FILENO, rest, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;  // nowhere to write to: debug text is lost, never an error
        }
        rest += written;
        left -= static_cast<size_t>(written);
    }
}
