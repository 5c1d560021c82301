// Transcript: the readable record of a run, written to a stream as it happens; a listener of the host
// log.
//
// Each line starts with a tag: "==" for a scenario step, then indented "event", "sent", "answer",
// "back", "debug", "note" (something the host ignored or refused, in order), "ERROR" (a fault of the
// script against the host contract) and "FAIL" (an expectation that did not hold). Control characters
// in a line's text (a line feed or carriage return inside a command or a debug line) are shown escaped,
// so nothing the script sends can forge a line of the transcript. The transcript only prints: what the
// checks read is the run record's (run_record.h). It does not own the stream.
#pragma once

#include <ostream>

#include "host_log.h"

class Transcript final : public HostLog {
public:
    explicit Transcript(std::ostream& out) : out_(out) {}

    void write(const LogEntry& entry) override;
    // Everything so far onto the stream: before each call into the script and each return to it.
    void sync() override { out_.flush(); }

private:
    void line(const char* tag, std::string_view text);

    std::ostream& out_;
};
