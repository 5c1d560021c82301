// AnswerLedger: every text the host hands the script as an answer (SD, TG, XI, RN) that has not come
// back yet, and whether the ones that did came back in order.
//
// The ledger allocates each answer and owns it. An answer still out is kept for as long as the ledger
// lives, since the script may still read it. An answer that came back is kept until the call into the
// script ends (callEnded()), so that a second hand-back within the call is recognised rather than
// mistaken for a newer answer at a reused address; then it is freed. Each command, answer and hand-back
// costs O(log n) in the answers out, however long the run: nothing walks the answers already settled.
// The ledger only reports: every fault comes back as a message, and a hand-back's with its rule.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host_log.h"

class AnswerLedger {
public:
    // A new answer text for `command`; valid until it comes back and the call ends, or the ledger dies.
    char* give(const std::string& text, const std::string& command);

    struct HandBack {
        bool known = false;  // the pointer is one this ledger gave out (or null)
        std::string text;    // the answer's text, when known
        Fault fault = Fault::None;
        std::string problem;  // "" when the hand-back was in order
    };
    // A kind-5 request. A null pointer is in order (readName hands one back after a null answer).
    HandBack handBack(const void* data);

    // Faults for answers out since the last look, each reported once; `when` says at what point they
    // were due ("before the next command", "before the call returned").
    std::vector<std::string> overdue(const std::string& when);

    // The call into the script has returned: the answers that came back during it are freed.
    void callEnded() { back_.clear(); }

    size_t outstanding() const { return out_.size() + late_.size(); }

private:
    struct Entry {
        std::unique_ptr<char[]> text;
        std::string command;
    };
    using Entries = std::map<const void*, Entry>;
    Entries out_;   // given, not yet due
    Entries late_;  // reported as overdue and still out
    Entries back_;  // came back during the current call
};
