#include <windows.h>

#include <atomic>
#include <cstring>

#include "debug_capture.h"

namespace {

// The active capture: where its text goes and the thread whose call into the script it brackets. The
// handler has no context of its own, so this is how it finds them. Every thread that raises an exception
// reads the thread id, which matches only the calling thread's own; so the text pointer is only ever
// used by the thread that set it.
std::string* activeText = nullptr;
std::atomic<DWORD> activeThread{0};  // no thread has id 0

// OutputDebugStringA raises DBG_PRINTEXCEPTION_C with the length of the text, its NUL included, and the
// text. The handler copies it and lets the exception go on: OutputDebugStringA ends it itself, after a
// debugger or a monitor has had its turn.
LONG CALLBACK catchDebugText(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2 ||
        activeThread.load() != ::GetCurrentThreadId() || activeText == nullptr) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
    const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    if (text != nullptr && length > 0) {
        // Nothing may be thrown out of an exception handler; text that does not fit is lost.
        try {
            activeText->append(text, ::strnlen(text, length - 1));
        } catch (...) {
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

DebugCapture::DebugCapture() = default;

DebugCapture::~DebugCapture() {
    end();
}

void DebugCapture::begin() {
    if (handler_ != nullptr) {
        return;
    }
    activeText = &text_;
    activeThread.store(::GetCurrentThreadId());
    // First in the chain, so no other handler of the process ends the exception before the copy.
    handler_ = ::AddVectoredExceptionHandler(1, catchDebugText);
    if (handler_ == nullptr) {
        // As when standard error cannot be redirected: the call goes on, its text is not caught.
        activeThread.store(0);
        activeText = nullptr;
    }
}

void DebugCapture::end() {
    if (handler_ == nullptr) {
        return;
    }
    ::RemoveVectoredExceptionHandler(handler_);
    handler_ = nullptr;
    if (activeText == &text_) {
        activeThread.store(0);
        activeText = nullptr;
    }
}

std::string DebugCapture::drain() {
    std::string text;
    text.swap(text_);
    return text;
}
