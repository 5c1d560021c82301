#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "debug_capture.h"
#include "input_error.h"

DebugCapture::DebugCapture() {
    char name[] = "/tmp/panel_host_debug_XXXXXX";
    fileFd_ = ::mkstemp(name);
    if (fileFd_ < 0) {
        throw InputError("panel_host: cannot create a temporary file to catch the script's debug output");
    }
    ::unlink(name);
    // Kept for the capture's life, so each call costs two descriptor switches and no more.
    savedFd_ = ::dup(STDERR_FILENO);
}

DebugCapture::~DebugCapture() {
    end();
    ::close(fileFd_);
    if (savedFd_ >= 0) {
        ::close(savedFd_);
    }
}

void DebugCapture::begin() {
    if (active_ || savedFd_ < 0) {
        return;
    }
    std::fflush(stderr);
    active_ = ::dup2(fileFd_, STDERR_FILENO) >= 0;
}

void DebugCapture::end() {
    if (!active_) {
        return;
    }
    std::fflush(stderr);
    ::dup2(savedFd_, STDERR_FILENO);
    active_ = false;
}

std::string DebugCapture::drain() {
    std::fflush(stderr);
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t got = ::pread(fileFd_, buffer, sizeof buffer, static_cast<off_t>(readPos_));
        if (got <= 0) {
            break;
        }
        text.append(buffer, static_cast<size_t>(got));
        readPos_ += got;
    }
    return text;
}
