// DebugLineCapture: catches the debug lines a script writes, so a test can read them instead of losing
// them to the platform's debug output.
//
// The library writes every debug line through the platform, never to anything a test could hand it:
// on Windows with OutputDebugStringA, elsewhere to standard error. The capture takes the text at that
// platform end, so the library keeps no state for it:
// - POSIX: for the capture's life, file descriptor 2 points at an unnamed temporary file, and drain()
//   reads what came since the last drain. Anything else the test program writes to standard error
//   meanwhile is caught too.
// - Windows: a vectored exception handler takes the text of each debug-print exception and ends the
//   exception there, as a debugger that took the text would. The newest capture takes the text; an
//   older one gets it again once the newer one is gone.
// Captures nest (the newest one takes the text) and must be destroyed newest first, on the thread that
// made them. A capture never interprets the text. A RecordingHost makes one with captureDebug().
#pragma once

#include <string>

class DebugLineCapture {
public:
    DebugLineCapture();
    // Puts the platform's debug output back as it was.
    ~DebugLineCapture();
    DebugLineCapture(const DebugLineCapture&) = delete;
    DebugLineCapture& operator=(const DebugLineCapture&) = delete;

    // The text written since the last drain(), as written (lines keep their line feeds).
    std::string drain();

private:
#if defined(_WIN32)
    void* handler_;
    std::string* outerText_;
    std::string text_;
#else
    int savedFd_;
    int fileFd_;
    long readPos_;
#endif
};
