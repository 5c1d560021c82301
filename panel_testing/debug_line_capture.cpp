#include "debug_line_capture.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
namespace {

// Where the newest capture keeps its text. The vectored handler has no context of its own, so this is
// how it finds the capture; a test program drives its scripts from one thread.
std::string* capturedText = nullptr;

LONG CALLBACK catchDebugString(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2 ||
        capturedText == nullptr) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    // Parameter 1 is the NUL-terminated text (parameter 0 its length). Continuing ends the exception here,
    // as a debugger that took the text would.
    const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    if (text != nullptr) {
        capturedText->append(text);
    }
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

DebugLineCapture::DebugLineCapture() : handler_(nullptr), outerText_(capturedText) {
    capturedText = &text_;
    handler_ = ::AddVectoredExceptionHandler(1, catchDebugString);
    if (handler_ == nullptr) {
        std::abort();
    }
}

DebugLineCapture::~DebugLineCapture() {
    ::RemoveVectoredExceptionHandler(handler_);
    capturedText = outerText_;
}

std::string DebugLineCapture::drain() {
    std::string text;
    text.swap(text_);
    return text;
}
#else
DebugLineCapture::DebugLineCapture() : savedFd_(-1), fileFd_(-1), readPos_(0) {
    std::fflush(stderr);
    char name[] = "/tmp/orvo_debug_lines_XXXXXX";
    fileFd_ = ::mkstemp(name);
    if (fileFd_ < 0) {
        std::abort();
    }
    ::unlink(name);
    savedFd_ = ::dup(STDERR_FILENO);
    ::dup2(fileFd_, STDERR_FILENO);
}

DebugLineCapture::~DebugLineCapture() {
    std::fflush(stderr);
    ::dup2(savedFd_, STDERR_FILENO);
    ::close(savedFd_);
    ::close(fileFd_);
}

std::string DebugLineCapture::drain() {
    std::fflush(stderr);
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t got = ::pread(fileFd_, buffer, sizeof buffer, readPos_);
        if (got <= 0) {
            break;
        }
        text.append(buffer, static_cast<size_t>(got));
        readPos_ += got;
    }
    return text;
}
#endif
