// RecordingHost: a fake host object for unit tests of a panel script. It stands in for the host's side
// of request(): it records every command the script sends, answers from a table the test fills, and
// checks the script against the host contract as the host emulator does.
//
// Breaches of the contract are reported as GoogleTest failures where they happen (and counted in
// handBackErrors() and contractBreaches()):
// - an answer not handed back (kind 5) before the next command, before endOfCall(), or at all;
// - a hand-back of a pointer this host never gave out, or gave out and already got back (HandBackRule,
//   the emulator's rule: an answer that came back in an earlier call is settled, and a new answer at
//   its address is a new answer);
// - a command after AS, which must be the script's last;
// - a request of another kind than 0 and 5, or a null command.
//
// With captureDebug() the script's debug lines are caught (see DebugLineCapture) and placed in the log
// between the commands around them. The host owns the answer texts it gives out until they come back;
// it never owns or deletes the script. A test creates one host per script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "debug_line_capture.h"
#include "hand_back_rule.h"
#include "orvo_event_kind.h"
#include "orvo_host.h"

class RecordingHost : public orvo_host {
public:
    RecordingHost();
    // Reports any answer still not handed back, then frees it.
    virtual ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // A script must never call it; it ends the test program.
    void reserved() override;
    intptr_t request(void* data, int32_t kind) override;

    // --- Answers ------------------------------------------------------------------------------------
    // The exact command `command` is answered with `text` (nullopt answers null). Later calls replace.
    void answer(const std::string& command, std::optional<std::string> text);
    // Commands starting with `prefix` and not answered exactly get `text`; the longest prefix wins.
    void answerPrefix(const std::string& prefix, std::optional<std::string> text);
    // The texts answer `command` in turn: each time it is sent the next is used, and the last one stays.
    // A sequence goes before an exact answer, which goes before a prefix.
    void answerSequence(const std::string& command, std::vector<std::optional<std::string>> texts);
    // The result of the layout commands PI and PS (non-zero: loaded; 1 unless set).
    void setLayoutResult(intptr_t result) { layoutResult_ = result; }

    // --- What happened --------------------------------------------------------------------------------
    // Every kind-0 command text, in order.
    const std::vector<std::string>& commands() const { return commands_; }
    // Commands, hand-backs ("release <answer text>" or "release null") and, with capture on, debug text
    // ("debug <text>"), in the order they happened. A command that got an answer is followed by the
    // hand-back of that answer, so the log shows each answer too.
    std::vector<std::string> log();
    // Debug text alone, as written since the last clear(), one entry per stretch between commands
    // (capture must be on).
    std::vector<std::string> debugLines();
    // Forgets the commands, the log and the debug text (not the answers, nor what is outstanding).
    void clear();

    // Starts catching the script's debug lines into the log, until the host is destroyed.
    void captureDebug();

    // --- The contract -----------------------------------------------------------------------------------
    // To be called before each call into the script: its debug lines come to this host's capture, even
    // while another host's capture lives.
    void beginCall();
    // To be called when a call into the script has returned: every answer was due back by then.
    void endOfCall();
    // Answers given and not yet handed back.
    size_t outstanding() const { return answers_.outstanding(); }
    // Hand-backs of pointers this host never gave out, or gave out and already got back.
    const std::vector<std::string>& handBackErrors() const { return handBackErrors_; }
    // Requests whose kind was neither 0 nor 5, or whose command was null.
    int32_t badRequests() const { return badRequests_; }
    // Every breach reported, in order.
    const std::vector<std::string>& contractBreaches() const { return breaches_; }

private:
    void pullDebug();
    void breach(const std::string& what);
    void reportOverdue(const std::string& when);
    std::optional<std::string> answerFor(const std::string& command);

    std::map<std::string, std::optional<std::string>> exact_;
    std::map<std::string, std::optional<std::string>> prefix_;
    std::map<std::string, std::vector<std::optional<std::string>>> sequences_;
    intptr_t layoutResult_ = 1;

    std::vector<std::string> commands_;
    std::vector<std::string> log_;
    std::vector<std::string> debug_;
    HandBackRule answers_;
    std::vector<std::string> handBackErrors_;
    std::vector<std::string> breaches_;
    int32_t badRequests_ = 0;
    bool closed_ = false;  // AS was sent
    std::unique_ptr<DebugLineCapture> capture_;
};
