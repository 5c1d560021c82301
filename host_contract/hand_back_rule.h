// HandBackRule: the host's side of the hand-back rule. Every answer text the host gives the script must
// come back (request kind 5) exactly once, before the script's next command and before the call into the
// script returns; a pointer the host never gave out, or one that already came back, is a fault.
//
// The rule allocates each answer and owns it. An answer still out is kept for as long as the rule lives,
// since the script may still read it. An answer that came back is kept until the call into the script
// ends (callEnded()), so a second hand-back within the call is recognised as such, and is never mistaken
// for a newer answer the allocator placed at the same address; a newer answer given at a reused address
// replaces the settled entry, so its own hand-back is in order. Each give and hand-back costs O(log n) in
// the answers out. The rule only reports, as data: what to call a fault and where to write it is the
// caller's (the kit's RecordingHost fails the test, the emulator writes its transcript).
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

class HandBackRule {
public:
    // A new answer text for `command`; valid until it comes back and the call ends, or the rule dies.
    char* give(const std::string& text, const std::string& command);

    enum class Fault {
        None,     // in order (a null pointer is too: the script hands one back after a null answer)
        Twice,    // this answer already came back during this call
        Foreign,  // not a pointer this host gave out, or one settled in an earlier call
    };
    struct HandBack {
        Fault fault = Fault::None;
        std::string text;     // the answer's text, when the host gave it
        std::string command;  // the command it answered, when the host gave it
    };
    // A kind-5 request.
    HandBack handBack(const void* data);

    struct Answer {
        std::string text;
        std::string command;
    };
    // The answers given since the last look and not back yet, each reported once: they were due now
    // (before the next command, or before the call returned). They stay out and may still come back.
    std::vector<Answer> overdue();

    // The call into the script has returned: the answers that came back during it are freed.
    void callEnded() { back_.clear(); }

    // Answers given and not yet handed back, overdue ones included.
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
