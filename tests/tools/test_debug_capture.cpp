// The one debug line capture of the kit and the emulator: it takes only what the platform's debug output
// writes, in order, hands the text to the newest live capture whatever order captures end in, and leaves
// standard error alone throughout.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>

#include <thread>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <memory>
#include <string>

#include "debug_line_capture.h"
#include "debug_output.h"

namespace {

TEST(DebugCapture, TakesTheDebugLinesInOrderAndEachDrainOnlyWhatCameSince) {
    DebugLineCapture capture;
    EXPECT_EQ(capture.drain(), "");
    orvo_debug_output("one\n");
    orvo_debug_output("two\n");
    EXPECT_EQ(capture.drain(), "one\ntwo\n");
    EXPECT_EQ(capture.drain(), "");
    // Longer than the part of the file a drain looks at without a system call.
    const std::string longLine(100 * 1024, 'x');
    orvo_debug_output(longLine.c_str());
    orvo_debug_output("three\n");
    EXPECT_EQ(capture.drain(), longLine + "three\n");
}

TEST(DebugCapture, TheNewestLiveCaptureTakesTheTextWhateverOrderCapturesEndIn) {
#if !defined(_WIN32)
    struct stat before;
    ASSERT_EQ(::fstat(STDERR_FILENO, &before), 0);
#endif
    auto oldest = std::make_unique<DebugLineCapture>();
    auto middle = std::make_unique<DebugLineCapture>();
    auto newest = std::make_unique<DebugLineCapture>();
    orvo_debug_output("to the newest\n");
    middle->claim();
    orvo_debug_output("to the middle, which claimed it\n");
    oldest.reset();
    orvo_debug_output("still the middle\n");
    middle.reset();
    orvo_debug_output("back to the newest\n");
    EXPECT_EQ(newest->drain(), "to the newest\nback to the newest\n");
    newest.reset();
#if !defined(_WIN32)
    // Standard error was never moved, and the platform's output goes there again.
    struct stat after;
    ASSERT_EQ(::fstat(STDERR_FILENO, &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(::getenv(ORVO_DEBUG_FD_VARIABLE), nullptr);
#endif
}

#if !defined(_WIN32)
TEST(DebugCapture, TextForADescriptorThatIsGoneOrInheritedGoesToStandardError) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int savedError = ::dup(STDERR_FILENO);
    ::dup2(pipeEnds[1], STDERR_FILENO);
    // A descriptor that is gone, then one named for another process (a child inherits the variable).
    const std::string gone = "987:" + std::to_string(::getpid());
    ::setenv(ORVO_DEBUG_FD_VARIABLE, gone.c_str(), 1);
    orvo_debug_output("lost capture\n");
    ::setenv(ORVO_DEBUG_FD_VARIABLE, "1:0", 1);
    orvo_debug_output("inherited\n");
    ::unsetenv(ORVO_DEBUG_FD_VARIABLE);
    ::dup2(savedError, STDERR_FILENO);
    ::close(savedError);
    ::close(pipeEnds[1]);
    char text[64] = {};
    ssize_t got = ::read(pipeEnds[0], text, sizeof text - 1);
    ::close(pipeEnds[0]);
    EXPECT_EQ(std::string(text, got > 0 ? static_cast<size_t>(got) : 0), "lost capture\ninherited\n");
}
#endif

#if defined(_WIN32)
TEST(DebugCapture, TextFromAnotherThreadIsLeftAlone) {
    DebugLineCapture capture;
    std::thread other([] { orvo_debug_output("another thread\n"); });
    other.join();
    orvo_debug_output("the capturing thread\n");
    EXPECT_EQ(capture.drain(), "the capturing thread\n");
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
    DebugLineCapture capture;
    orvo_debug_output("seen twice\n");
    ::RemoveVectoredExceptionHandler(later);
    EXPECT_EQ(capture.drain(), "seen twice\n");
    EXPECT_EQ(laterHandlerSaw, 1);
}
#endif

}  // namespace
