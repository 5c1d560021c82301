// HostLog: where the host model reports what crosses the boundary with the script, as it happens.
//
// The host, the script session, the answer ledger and the runner write every event to one HostLog: a
// step begun, an event delivered, a command the script sent, the answer and the hand-back, a debug line,
// a note (something the host ignored or refused), an ERROR (a breach of the host contract, with the named
// rule it broke), a FAIL (an expectation that did not hold) and a block (the panel drawing). The host
// model knows nothing of what listens: the text transcript, the run record, the workbench and the
// validator are listeners above it (run/, serve/, validate/). An entry's texts are only valid during the
// call to write(); a listener copies what it keeps. A listener never calls back into the host.
#pragma once

#include <string_view>
#include <vector>

#include "contract_rules.h"

enum class LogTag {
    Step,     // where: "file:line"; text: the step's line as written (or what the host does at the end)
    Event,    // an event the host delivers to the script, described
    Sent,     // a command text the script sent
    Answer,   // the text the host answered with; absent: no answer
    Result,   // a result that is not a text (the layout commands' success value), as shown
    Back,     // an answer text the script handed back; absent: a null hand-back
    Debug,    // one debug line the script wrote, without its line end; unterminated: it had none
    Note,     // something the host ignored or refused, in order; fault names the rule of a named note
    Error,    // a breach of the host contract by the script; fault names the rule
    Failure,  // an expectation of the scenario that did not hold
    Block,    // lines printed as they are (the panel drawing, the help text)
};

struct LogEntry {
    LogTag tag = LogTag::Note;
    Fault fault = Fault::None;  // Error, and a named Note
    std::string_view text;
    std::string_view where;     // Step only
    bool absent = false;        // Answer and Back: no text at all
    bool unterminated = false;  // Debug: the last piece of the text had no line end
};

class HostLog {
public:
    virtual ~HostLog() = default;
    virtual void write(const LogEntry& entry) = 0;
    // Before each call into the script and after each command it sends: what was written so far must
    // survive should the script never return (a crash ends the process).
    virtual void sync() {}
};

// Passes every entry on to each of its listeners, in the order they were added. It owns none of them;
// each must outlive it or be removed first.
class HostLogFanout final : public HostLog {
public:
    void add(HostLog& listener) { listeners_.push_back(&listener); }
    void remove(HostLog& listener);
    void write(const LogEntry& entry) override;
    void sync() override;

private:
    std::vector<HostLog*> listeners_;
};

// Writing entries in the host's own words.
namespace host_log {
void error(HostLog& log, Fault fault, std::string_view text);
void note(HostLog& log, std::string_view text);
// A note of a contract rule (a command that will not do what the script meant).
void note(HostLog& log, Fault fault, std::string_view text);
void event(HostLog& log, std::string_view text);
void step(HostLog& log, std::string_view where, std::string_view text);
void block(HostLog& log, std::string_view text);
void failure(HostLog& log, std::string_view text);
// Debug output as caught: one Debug entry a line; a last piece without a line end is a line of its own.
void debugText(HostLog& log, std::string_view chunk);
}  // namespace host_log
