// DebugLineCapture: catches the debug lines a script writes through the platform's debug output, so the
// kit's log and the emulator's transcript can show them between the commands around them.
//
// The library writes every debug line through the platform and keeps no state for a capture; the capture
// takes the text at the platform's end, and only that text:
// - POSIX: the capture owns an unnamed file and names its descriptor in ORVO_DEBUG_FD, where the
//   platform's debug output writes instead of standard error. Standard error is never touched, so a
//   sanitizer's report, a crash's message and anything else the program writes there reach the terminal.
// - Windows: one vectored exception handler, there while any capture lives, copies the text of each
//   debug-print exception raised on the capturing thread and lets the exception go on, so a debugger or
//   a monitor still sees it.
// Captures may be made and ended in any order, nested or not: the newest live one (or the one that last
// called claim()) takes the text; when it ends, the newest remaining one does; when the last ends, the
// text goes to the platform's own output again. A capture only works on the thread that made it.
//
// drain() costs no system call when nothing was written, and claim() none when the capture already takes
// the text, so the emulator brackets every call into the script with them. drain() returns at most
// kMaxDrain bytes; the rest of a longer text is left out with a line saying how much. The registry of
// live captures is process-wide and not thread-safe, as a test program or the emulator drives its
// script from one thread. A capture never interprets the text.
#pragma once

#include <cstddef>
#include <string>

class DebugLineCapture {
public:
    static constexpr size_t kMaxDrain = 1 << 20;

    // Takes the text from now on.
    DebugLineCapture();
    // Hands the text to the newest remaining capture, or back to the platform's output.
    ~DebugLineCapture();
    DebugLineCapture(const DebugLineCapture&) = delete;
    DebugLineCapture& operator=(const DebugLineCapture&) = delete;

    // Takes the text from now on, from whichever capture took it.
    void claim();
    // The text written since the last drain(), as written (lines keep their line feeds).
    std::string drain();

private:
    friend struct DebugCaptureRegistry;
#if defined(_WIN32)
    std::string text_;
    size_t leftOut_ = 0;
    unsigned long thread_ = 0;
#else
    int fileFd_ = -1;
    // The start of the file, mapped, to see without a system call whether anything came.
    const char* view_ = nullptr;
    // Where the text not yet drained begins. The file is emptied only once this passes half the mapped
    // window, so a drain costs one system call, not three.
    size_t readPos_ = 0;
#endif
};
