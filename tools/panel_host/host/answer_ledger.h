// AnswerLedger: every text the host hands the script as an answer (SD, TG, XI, RN), and whether it
// came back.
//
// The ledger allocates each answer and owns it until the ledger dies; a text that came back is kept
// (not freed) so that a second hand-back of the same pointer is still recognised rather than mistaken
// for a newer answer at a reused address. It only reports: every fault comes back as a message for the
// transcript, and the ledger never frees memory the script could still read.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

class AnswerLedger {
public:
    // A new answer text for `command`; valid until the ledger dies.
    char* give(const std::string& text, const std::string& command);

    struct HandBack {
        bool known = false;  // the pointer is one this ledger gave out (or null)
        std::string text;    // the answer's text, when known
        std::string fault;   // "" when the hand-back was in order
    };
    // A kind-5 request. A null pointer is in order (readName hands one back after a null answer).
    HandBack handBack(const void* data);

    // Faults for answers still out, each reported once; `when` says at what point they were due
    // ("before the next command", "before the call returned").
    std::vector<std::string> overdue(const std::string& when);

    size_t outstanding() const;

private:
    enum class State { Out, Overdue, Back };
    struct Entry {
        std::unique_ptr<char[]> text;
        std::string command;
        State state = State::Out;
    };
    std::map<const void*, Entry> entries_;
};
