#include "orvo_debug_failure.h"

#include <cstdio>
#include <exception>

#include "debug_output.h"

void orvo_debug_failure(const char* lead) noexcept {
    const char* what = "unknown error";
    try {
        throw;
    } catch (const std::exception& failure) {
        what = failure.what();
    } catch (...) {
    }
    // A what() too long for the line is cut short; the line feed always comes.
    char line[512];
    int length = std::snprintf(line, sizeof line - 1, "%s%s", lead != nullptr ? lead : "",
                               what != nullptr ? what : "");
    if (length < 0) {
        length = 0;
    }
    if (length > static_cast<int>(sizeof line) - 2) {
        length = static_cast<int>(sizeof line) - 2;
    }
    line[length] = '\n';
    line[length + 1] = '\0';
    orvo_debug_output(line);
}
