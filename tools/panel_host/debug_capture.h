// DebugCapture: catches what the script writes to standard error, where the library puts its debug
// text on this platform, so the transcript can show it in order between the commands.
//
// While active (between begin() and end(), around each call into the script) file descriptor 2 points at
// a temporary file; drain() returns what came since the last drain. The capture owns the file and the
// saved descriptor and puts standard error back in end() and in its destructor. It never interprets the
// text. Anything the emulator itself writes to standard error meanwhile is caught too, so the host
// writes nothing there during a call.
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
    int fileFd_ = -1;
    int savedFd_ = -1;
    long long readPos_ = 0;
};
