// RecordingHost: a fake host object for tests. It records every command a script sends, answers from a
// table the test fills, and checks every hand-back: each answer it gave must come back with kind 5
// exactly once, and nothing else may come back.
//
// With debug capture on, the debug lines the script writes are caught from standard error and placed in
// the log at the point they were written, between the commands around them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "orvo_event_kind.h"
#include "orvo_host.h"

#if defined(_WIN32)
// On Windows the library's debug lines go to OutputDebugStringA, which raises a debug-print exception for
// a debugger to see. This catches that exception in the process itself with a vectored handler, takes the
// text and lets the call return, so the library's own debug path runs unchanged under test. The newest
// capture takes the text; an older one gets it again once the newer one is gone.
class DebugStringCapture {
public:
    DebugStringCapture();
    ~DebugStringCapture();
    DebugStringCapture(const DebugStringCapture&) = delete;
    DebugStringCapture& operator=(const DebugStringCapture&) = delete;
    // What has been written since the last drain().
    std::string drain();

private:
    void* handler_;
    std::string* outerText_;
    std::string text_;
};
using StderrCapture = DebugStringCapture;
#else
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    // What has been written since the last drain().
    std::string drain();

private:
    int savedFd_;
    int fileFd_;
    long readPos_;
};
#endif

class RecordingHost : public orvo_host {
public:
    RecordingHost();
    ~RecordingHost();

    void reserved() override;
    intptr_t request(void* data, int32_t kind) override;

    // --- Answers ------------------------------------------------------------------------------------
    // The exact command `command` is answered with `text` (nullopt answers null). Later calls replace.
    void answer(const std::string& command, std::optional<std::string> text);
    // Commands starting with `prefix` and not answered exactly get `text`; the longest prefix wins.
    void answerPrefix(const std::string& prefix, std::optional<std::string> text);
    // The answered texts are handed to the script in a queue for `command`: each time it is sent the next
    // is used, and the last one stays.
    void answerSequence(const std::string& command, std::vector<std::optional<std::string>> texts);
    // Result of PI and PS (non-zero: loaded).
    void setLayoutResult(intptr_t result) { layoutResult_ = result; }

    // --- What happened --------------------------------------------------------------------------------
    // Every kind-0 command text, in order.
    const std::vector<std::string>& commands() const { return commands_; }
    // Commands, hand-backs ("release <text>" or "release null") and, with capture on, debug lines
    // ("debug <text>"), in the order they happened.
    std::vector<std::string> log();
    // Debug lines alone, as written (capture must be on).
    std::vector<std::string> debugLines();
    void clear();

    // Start catching debug output (standard error) into the log.
    void captureDebug();

    // Answers given and not yet handed back.
    size_t outstanding() const { return outstanding_.size(); }
    // Hand-backs of pointers this host never gave out, or gave out and already got back.
    const std::vector<std::string>& handBackErrors() const { return handBackErrors_; }
    // Requests whose kind was neither 0 nor 5, or whose command was null.
    int32_t badRequests() const { return badRequests_; }

private:
    void pullDebug();
    std::optional<std::string> answerFor(const std::string& command);

    std::map<std::string, std::optional<std::string>> exact_;
    std::map<std::string, std::optional<std::string>> prefix_;
    std::map<std::string, std::vector<std::optional<std::string>>> sequences_;
    intptr_t layoutResult_ = 1;

    std::vector<std::string> commands_;
    std::vector<std::string> log_;
    std::vector<std::string> debug_;
    std::set<char*> outstanding_;
    std::vector<std::string> handBackErrors_;
    int32_t badRequests_ = 0;
    StderrCapture* capture_ = nullptr;
};
