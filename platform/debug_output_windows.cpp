#include <windows.h>

#include "debug_output.h"

void orvo_debug_output(const char* text) {
    if (text == nullptr) {
        return;
    }
    OutputDebugStringA(text);
}
