// ContractChecker: the host's side of the contract for one script, the one place its rules are checked.
//
// Every host that runs a script (the test kit's RecordingHost; the emulator's host, and through it the
// workbench and the validator) hands each call into the script and each request of the script to its
// checker, and carries a request out only when the checker says so. The checker knows the rules: the
// call state (no request outside a call or from another thread), the hand-back rule (it gives out and
// takes back the host's answers), AS last, the command grammar and the ranges a command may name, and the
// notes of commands that will not do what the script meant. It writes nothing itself: each breach or
// note goes to the Reporter with its rule (contract_rules.h) and its words, the same words for every
// host; where they are shown (a GoogleTest failure, a transcript line, a report) is the host's.
//
// The checker owns the answers it gives out until they come back or it dies. It is not thread-safe; the
// host serialises the requests it hands it. It never calls the script.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "contract_rules.h"
#include "hand_back_rule.h"
#include "host_command.h"

class ContractChecker {
public:
    // Where breaches and notes go, as they are found.
    class Reporter {
    public:
        virtual ~Reporter() = default;
        // `words` are the breach as every host words it, without the rule's name.
        virtual void report(Fault fault, const std::string& words) = 0;
    };

    // A poll may ask for at most this many slots; a wider range is refused.
    static constexpr int32_t kMaxPollSlots = 4096;

    explicit ContractChecker(Reporter& reporter);

    // --- The call state -------------------------------------------------------------------------------
    // Before each call into the script, on the thread that makes it; `event` names the event (as
    // `revertive 7 183 "12"`), for the message of a record read after its call.
    void beginCall(const std::string& event);
    // After each call into the script: every answer still out was due by now.
    void endCall();
    bool inCall() const { return calling_; }
    // Whether requests outside a call are breaches. A host that marks its calls with beginCall() and
    // endCall() turns it on; a bare recording host used to test command texts leaves it off.
    void watchCallState(bool on) { watchCalls_ = on; }

    // --- A request ------------------------------------------------------------------------------------
    // Who is asking: false (request-outside-call, or request-after-destruction once the script was
    // destroyed) when no call is in progress, so the host must not carry the request out; a request from
    // another thread is reported and may go on.
    bool admit(const void* data, int32_t kind);

    // Kind 5: settles an answer the host gave. False when it was not in order (reported).
    struct HandBack {
        bool inOrder = true;
        bool absent = false;  // a null hand-back, in order
        std::string text;     // the answer's text, when in order
    };
    HandBack handBack(const void* data);

    // Kind 0 and any other kind: the kind and the text checked, answers overdue reported, AS last, the
    // grammar and the command's ranges. `sent` is called with the text before any of its breaches is
    // reported, so a host's record shows the command first. The parsed command when the host should
    // carry it out; nullopt when it must not (a breach was reported).
    template <class Sent>
    std::optional<HostCommand> command(const void* data, int32_t kind, Sent sent) {
        if (!kindAndText(data, kind)) {
            return std::nullopt;
        }
        const std::string text(static_cast<const char*>(data));
        reportOverdue("before the next command");
        sent(text);
        return check(text);
    }

    // A new answer to `command`, owned by the checker until it comes back.
    char* give(const std::string& text, const std::string& command) { return answers_.give(text, command); }
    size_t outstanding() const { return answers_.outstanding(); }

    // notify() of `kind` returned `result`: only a parent request may return a text (a release returns
    // nothing either, but what it returns is never read). False, and reported, when it may not.
    bool returned(int32_t kind, const void* result);
    // The host is ending: answers that never came back and were not reported yet.
    void hostEnding();
    // The script has been destroyed: it must have sent AS.
    void scriptDestroyed();
    bool closed() const { return closed_; }

    // The description of a request for messages: the command in quotes, or "of kind N".
    static std::string describe(const void* data, int32_t kind);

private:
    bool kindAndText(const void* data, int32_t kind);
    std::optional<HostCommand> check(const std::string& text);
    void notes(const HostCommand& command);
    bool registered(int32_t device, int32_t first, int32_t last) const;
    void reportOverdue(const char* when);
    void report(Fault fault, const std::string& words) { reporter_.report(fault, words); }

    Reporter& reporter_;
    HandBackRule answers_;
    bool calling_ = false;
    bool watchCalls_ = false;
    std::thread::id callThread_;
    bool closed_ = false;
    bool destroyed_ = false;  // the script was destroyed and no call has begun since
    // The script's registrations as its commands made them: device -> ranges (IR, IR ... 'ADD', IU).
    std::map<int32_t, std::vector<std::pair<int32_t, int32_t>>> registrations_;
};
