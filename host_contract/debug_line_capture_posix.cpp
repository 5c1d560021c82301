#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "debug_line_capture.h"
#include "debug_output.h"

namespace {

// The part of the file that is mapped. The file is kept this long, zero past what was written, so a
// first byte other than zero means text came.
constexpr size_t kWindow = 64 * 1024;

int makeFile() {
#if defined(__linux__)
    int fd = ::memfd_create("orvo_debug_lines", MFD_CLOEXEC);
    if (fd >= 0) {
        return fd;
    }
#endif
    char name[] = "/tmp/orvo_debug_lines_XXXXXX";
    int fd2 = ::mkstemp(name);
    if (fd2 >= 0) {
        ::unlink(name);
        ::fcntl(fd2, F_SETFD, FD_CLOEXEC);
    }
    return fd2;
}

}  // namespace

// The live captures, oldest first; the last one takes the text.
struct DebugCaptureRegistry {
    static std::vector<DebugLineCapture*>& live() {
        static std::vector<DebugLineCapture*>* captures = new std::vector<DebugLineCapture*>();
        return *captures;
    }
    // Names the newest live capture's descriptor where the platform's debug output looks, or none.
    static void nameNewest() {
        std::vector<DebugLineCapture*>& captures = live();
        if (captures.empty()) {
            ::unsetenv(ORVO_DEBUG_FD_VARIABLE);
            return;
        }
        const std::string named = std::to_string(captures.back()->fileFd_) + ":" +
                                  std::to_string(static_cast<long long>(::getpid()));
        ::setenv(ORVO_DEBUG_FD_VARIABLE, named.c_str(), 1);
    }
};

DebugLineCapture::DebugLineCapture() {
    fileFd_ = makeFile();
    if (fileFd_ < 0) {
        std::perror("DebugLineCapture: no file to catch the debug lines in");
        std::abort();
    }
    if (::ftruncate(fileFd_, kWindow) == 0) {
        void* view = ::mmap(nullptr, kWindow, PROT_READ, MAP_SHARED, fileFd_, 0);
        view_ = view == MAP_FAILED ? nullptr : static_cast<const char*>(view);
    }
    DebugCaptureRegistry::live().push_back(this);
    DebugCaptureRegistry::nameNewest();
}

DebugLineCapture::~DebugLineCapture() {
    std::vector<DebugLineCapture*>& captures = DebugCaptureRegistry::live();
    captures.erase(std::remove(captures.begin(), captures.end(), this), captures.end());
    DebugCaptureRegistry::nameNewest();
    if (view_ != nullptr) {
        ::munmap(const_cast<char*>(view_), kWindow);
    }
    ::close(fileFd_);
}

void DebugLineCapture::claim() {
    std::vector<DebugLineCapture*>& captures = DebugCaptureRegistry::live();
    if (!captures.empty() && captures.back() == this) {
        return;
    }
    captures.erase(std::remove(captures.begin(), captures.end(), this), captures.end());
    captures.push_back(this);
    DebugCaptureRegistry::nameNewest();
}

std::string DebugLineCapture::drain() {
    // Debug text never holds a NUL, so a zero byte where the next text would start means nothing came.
    if (view_ != nullptr && readPos_ < kWindow && view_[readPos_] == '\0') {
        return std::string();
    }
    const off_t end = ::lseek(fileFd_, 0, SEEK_CUR);
    if (end <= 0 || static_cast<size_t>(end) <= readPos_) {
        return std::string();
    }
    const size_t length = static_cast<size_t>(end) - readPos_;
    const size_t kept = std::min(length, kMaxDrain);
    std::string text;
    if (view_ != nullptr && readPos_ + kept <= kWindow) {
        text.assign(view_ + readPos_, kept);
    } else {
        text.resize(kept);
        size_t got = 0;
        while (got < kept) {
            ssize_t read = ::pread(fileFd_, &text[got], kept - got, static_cast<off_t>(readPos_ + got));
            if (read <= 0) {
                break;
            }
            got += static_cast<size_t>(read);
        }
        text.resize(got);
    }
    if (kept < length) {
        text += "\n(" + std::to_string(length - kept) + " more bytes of debug text left out)\n";
    }
    readPos_ = static_cast<size_t>(end);
    if (readPos_ >= kWindow / 2) {
        // Back to an empty window: the next text starts at the beginning again.
        if (::ftruncate(fileFd_, 0) != 0 || ::ftruncate(fileFd_, view_ != nullptr ? kWindow : 0) != 0) {
            std::perror("DebugLineCapture: cannot empty the debug line file");
        }
        ::lseek(fileFd_, 0, SEEK_SET);
        readPos_ = 0;
    }
    return text;
}
