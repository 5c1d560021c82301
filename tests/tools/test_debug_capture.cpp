// The debug capture around calls into the script: it catches the text written where the library writes
// its debug text on this platform (standard error, or OutputDebugStringA on Windows), only while active,
// and keeps working when a runner replaces one session's capture with the next.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>

#include <thread>
#else
#include <unistd.h>
#endif

#include <memory>
#include <string>

#include "debug_capture.h"

namespace {

void writeDebug(const std::string& text) {
#if defined(_WIN32)
    ::OutputDebugStringA(text.c_str());
#else
    ssize_t ignored = ::write(STDERR_FILENO, text.c_str(), text.size());
    (void)ignored;
#endif
}

TEST(DebugCapture, CatchesTextInOrderOnlyWhileActive) {
    DebugCapture capture;
    capture.begin();
    writeDebug("one\n");
    writeDebug("two\n");
    capture.end();
    writeDebug("DebugCapture test: written outside a capture, so not caught\n");
    EXPECT_EQ(capture.drain(), "one\ntwo\n");
    EXPECT_EQ(capture.drain(), "");

    capture.begin();
    writeDebug("three\n");
    capture.end();
    EXPECT_EQ(capture.drain(), "three\n");
}

TEST(DebugCapture, TheNextSessionsCaptureWorksWhileAndAfterTheLastOneIsDestroyed) {
    // The runner builds the next session before it drops the last one.
    auto last = std::make_unique<DebugCapture>();
    last->begin();
    writeDebug("last\n");
    last->end();
    DebugCapture next;
    next.begin();
    last.reset();
    writeDebug("next, while the last one went\n");
    next.end();
    next.begin();
    writeDebug("next, after\n");
    next.end();
    EXPECT_EQ(next.drain(), "next, while the last one went\nnext, after\n");
}

#if defined(_WIN32)
TEST(DebugCapture, TextFromAnotherThreadIsLeftAlone) {
    DebugCapture capture;
    capture.begin();
    std::thread other([] { ::OutputDebugStringA("another thread\n"); });
    other.join();
    writeDebug("the calling thread\n");
    capture.end();
    EXPECT_EQ(capture.drain(), "the calling thread\n");
}

// A handler behind the capture's, standing in for whoever else watches the debug text.
int laterHandlerSaw = 0;
LONG CALLBACK countDebugText(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode == DBG_PRINTEXCEPTION_C) {
        ++laterHandlerSaw;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST(DebugCapture, TheDebugTextGoesOnPastTheCapture) {
    void* later = ::AddVectoredExceptionHandler(0, countDebugText);
    ASSERT_NE(later, nullptr);
    laterHandlerSaw = 0;
    DebugCapture capture;
    capture.begin();
    writeDebug("seen twice\n");
    capture.end();
    ::RemoveVectoredExceptionHandler(later);
    EXPECT_EQ(capture.drain(), "seen twice\n");
    EXPECT_EQ(laterHandlerSaw, 1);
}
#endif

}  // namespace
