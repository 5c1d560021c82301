// DebugCapture: catches the debug text the script writes, so the transcript can show it in order
// between the commands. The library writes it to standard error on POSIX systems and with
// OutputDebugStringA on Windows.
//
// While active (between begin() and end(), around each call into the script) the text is caught; drain()
// returns what came since the last drain. The capture never interprets the text.
// - POSIX: file descriptor 2 points at a temporary file. The capture owns the file and a copy of the
//   standard error it found when it was made, and puts that back in end() and in its destructor. Anything the
//   emulator itself writes to standard error meanwhile is caught too, so the host writes nothing there during
//   a call.
// - Windows: a vectored exception handler copies the text of each debug-print exception raised on the
//   thread that called begin(), and lets the exception go on as usual, so a debugger or monitor still
//   sees it. The capture owns the handler and removes it in end() and in its destructor. Only one
//   capture can be active at a time, as there is one call into the script at a time.
#pragma once

#include <string>

class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    void begin();
    void end();
    std::string drain();

private:
#if defined(_WIN32)
    std::string text_;
    void* handler_ = nullptr;
#else
    int fileFd_ = -1;
    int savedFd_ = -1;  // standard error as it was when the capture was made
    bool active_ = false;
    long long readPos_ = 0;
#endif
};
