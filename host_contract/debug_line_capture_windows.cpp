#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "debug_line_capture.h"

// The live captures, oldest first; the last one takes the text. The handler has no context of its own,
// so this is where it finds the capture.
struct DebugCaptureRegistry {
    static std::vector<DebugLineCapture*>& live() {
        static std::vector<DebugLineCapture*>* captures = new std::vector<DebugLineCapture*>();
        return *captures;
    }
    static void*& handler() {
        static void* installed = nullptr;
        return installed;
    }

    // OutputDebugStringA raises DBG_PRINTEXCEPTION_C with the length of the text, its NUL included, and
    // the text. The handler copies it and lets the exception go on: OutputDebugStringA ends it itself,
    // after a debugger or a monitor has had its turn.
    static LONG CALLBACK catchDebugText(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD* record = info->ExceptionRecord;
        if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2 || live().empty()) {
            return EXCEPTION_CONTINUE_SEARCH;
        }
        DebugLineCapture* capture = live().back();
        if (capture->thread_ != ::GetCurrentThreadId()) {
            return EXCEPTION_CONTINUE_SEARCH;
        }
        size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        if (text != nullptr && length > 0) {
            length = ::strnlen(text, length - 1);
            const size_t room =
                DebugLineCapture::kMaxDrain - std::min(capture->text_.size(), DebugLineCapture::kMaxDrain);
            const size_t kept = std::min(length, room);
            // Nothing may be thrown out of an exception handler; text that does not fit is counted.
            try {
                capture->text_.append(text, kept);
                capture->leftOut_ += length - kept;
            } catch (...) {
                capture->leftOut_ += length;
            }
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
};

DebugLineCapture::DebugLineCapture() : thread_(::GetCurrentThreadId()) {
    std::vector<DebugLineCapture*>& captures = DebugCaptureRegistry::live();
    if (captures.empty()) {
        // First in the chain, so no other handler of the process ends the exception before the copy.
        DebugCaptureRegistry::handler() =
            ::AddVectoredExceptionHandler(1, DebugCaptureRegistry::catchDebugText);
        if (DebugCaptureRegistry::handler() == nullptr) {
            std::abort();
        }
    }
    captures.push_back(this);
}

DebugLineCapture::~DebugLineCapture() {
    std::vector<DebugLineCapture*>& captures = DebugCaptureRegistry::live();
    captures.erase(std::remove(captures.begin(), captures.end(), this), captures.end());
    if (captures.empty() && DebugCaptureRegistry::handler() != nullptr) {
        ::RemoveVectoredExceptionHandler(DebugCaptureRegistry::handler());
        DebugCaptureRegistry::handler() = nullptr;
    }
}

void DebugLineCapture::claim() {
    std::vector<DebugLineCapture*>& captures = DebugCaptureRegistry::live();
    if (!captures.empty() && captures.back() == this) {
        return;
    }
    captures.erase(std::remove(captures.begin(), captures.end(), this), captures.end());
    captures.push_back(this);
}

std::string DebugLineCapture::drain() {
    std::string text;
    text.swap(text_);
    if (leftOut_ > 0) {
        text += "\n(" + std::to_string(leftOut_) + " more bytes of debug text left out)\n";
        leftOut_ = 0;
    }
    return text;
}
