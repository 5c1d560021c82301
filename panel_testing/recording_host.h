// RecordingHost: a fake host object for unit tests of a panel script. It stands in for the host's side
// of request(): it records every command the script sends and answers from a table the test fills, and
// it holds the script to the host contract with the same checker the host emulator and the validator use
// (contract_checker.h), so a breach reads the same in a test, a transcript and a validation report.
//
// Every breach is a GoogleTest failure "host contract: ERROR <rule>: <words>" where it happens, reported
// at the line of the test that delivered the event (setCallSite(); TestedPanel sets it for every event),
// and kept in contractBreaches(): an answer not handed back (kind 5) before the next command, before the
// call returned, or at all; a hand-back of a pointer this host never gave or already got back; a command
// after AS; a malformed command (the host's grammar) or one whose range the host refuses; a request of
// another kind than 0 and 5, or a null command; with watchCallState() on, a request while no call is in
// progress or from another thread; a script that ended without AS (scriptDestroyed()). Notes (a write or
// poll of a slot never registered, a text field holding "' '") fail nothing: they are in notes(), and a
// test may assert there are none.
//
// The script may be handed door() instead of the host itself (TestedPanel does): the door outlives the
// host, so a request after the host has gone (a static destructor, a thread left running) prints one line
// naming the rule and the request and ends the program with status 1, never a bare crash. With
// captureDebug() the script's debug lines are caught (see DebugLineCapture) and placed in the log between
// the commands around them, one entry a line. The host owns the answer texts it gives out until they come
// back; it never owns or deletes the script. A test creates one host per script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "contract_checker.h"
#include "debug_line_capture.h"
#include "host_door.h"
#include "orvo_event_kind.h"
#include "orvo_host.h"

// Where a test delivered an event, so a breach is reported at the test's own line. Taken as a defaulted
// argument, it holds the caller's file and line.
struct TestCallSite {
    TestCallSite(const char* file = __builtin_FILE(), int line = __builtin_LINE()) : file(file), line(line) {}
    const char* file;
    int line;
};

class RecordingHost : public orvo_host, private ContractChecker::Reporter {
public:
    RecordingHost();
    // Reports any answer still not handed back, then frees it, and closes the door.
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
    // Commands, hand-backs ("release <answer text>" or "release null") and, with capture on, debug lines
    // ("debug <line>", without its line end), in the order they happened. A command that got an answer
    // is followed by the hand-back of that answer, so the log shows each answer too.
    std::vector<std::string> log();
    // Debug lines alone, as written since the last clear(), one entry a line without its line end; a
    // last piece without a line end is a line of its own (capture must be on).
    std::vector<std::string> debugLines();
    // Forgets the commands, the log and the debug text (not the answers, nor what is outstanding).
    void clear();

    // Starts catching the script's debug lines into the log, until the host is destroyed.
    void captureDebug();

    // --- The contract -----------------------------------------------------------------------------------
    // The host object to hand the script when it may outlive this host: valid to the end of the process.
    orvo_host* door() const { return door_; }
    // Requests outside a call (or from another thread) are breaches from now on; TestedPanel turns it on.
    void watchCallState() { checker_.watchCallState(true); }
    // Where the next breaches are reported: the test's line that delivered the event.
    void setCallSite(const TestCallSite& where) { where_ = where; }
    // To be called before each call into the script (`event` names it, for a record read later): its
    // debug lines come to this host's capture, even while another host's capture lives.
    void beginCall(const std::string& event = "");
    // To be called when a call into the script has returned: every answer was due back by then.
    void endOfCall();
    // To be called when notify() of `kind` has returned `result`: only a parent request may return a text.
    void returned(int32_t kind, const void* result) { checker_.returned(kind, result); }
    // To be called when the script has been destroyed: it must have sent AS.
    void scriptDestroyed() { checker_.scriptDestroyed(); }
    // A breach the caller saw itself, reported as the checker's are (an export that threw or answered null).
    void breach(Fault fault, const std::string& words) { report(fault, words); }
    // Answers given and not yet handed back.
    size_t outstanding() const { return checker_.outstanding(); }
    // Hand-backs of pointers this host never gave out, or gave out and already got back.
    const std::vector<std::string>& handBackErrors() const { return handBackErrors_; }
    // Requests whose kind was neither 0 nor 5, or whose command was null.
    int32_t badRequests() const { return badRequests_; }
    // Every breach reported, in order, as "<rule>: <words>".
    const std::vector<std::string>& contractBreaches() const { return breaches_; }
    // Every note, in order, as "<rule>: <words>": commands the host carries out that will not do what the
    // script meant. Notes fail no test.
    const std::vector<std::string>& notes() const { return notes_; }

private:
    void report(Fault fault, const std::string& words) override;
    void pullDebug();
    std::optional<std::string> answerFor(const std::string& command);

    std::map<std::string, std::optional<std::string>> exact_;
    std::map<std::string, std::optional<std::string>> prefix_;
    std::map<std::string, std::vector<std::optional<std::string>>> sequences_;
    intptr_t layoutResult_ = 1;

    std::vector<std::string> commands_;
    std::vector<std::string> log_;
    std::vector<std::string> debug_;
    ContractChecker checker_;
    HostDoor* door_;  // never freed
    TestCallSite where_{nullptr, 0};
    std::vector<std::string> handBackErrors_;
    std::vector<std::string> breaches_;
    std::vector<std::string> notes_;
    int32_t badRequests_ = 0;
    std::unique_ptr<DebugLineCapture> capture_;
};
