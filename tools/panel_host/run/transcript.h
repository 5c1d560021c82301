// Transcript: the readable record of a run, written to a stream as it happens, and the memory of what
// the script sent and wrote that `expect` steps check against.
//
// Each line starts with a tag: "==" for a scenario step, then indented "event", "sent", "answer",
// "back", "debug", "note" (something the host ignored or refused, in order), "ERROR" (a fault of the
// script against the host contract) and "FAIL" (an expectation that did not hold). The transcript counts
// errors and failures; it never stops a run by itself. Control characters in a line's text (a line
// feed or carriage return inside a command or a debug line) are shown escaped, so nothing the script
// sends can forge a line of the transcript.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

class Transcript {
public:
    explicit Transcript(std::ostream& out) : out_(out) {}

    void step(const std::string& where, const std::string& text);
    void event(const std::string& text);
    void sent(const std::string& command);
    // An answer text handed to the script (nullopt: no answer).
    void answer(const std::optional<std::string>& text);
    // A result that is not a text (the PI/PS success value), shown as it is.
    void result(const std::string& text);
    void back(const std::optional<std::string>& text);
    // Debug output as caught: split into lines; a last piece without a line end is a line of its own.
    void debugText(const std::string& chunk);
    void note(const std::string& text);
    void error(const std::string& text);
    void failure(const std::string& text);
    // A block printed as it is (the panel drawing).
    void block(const std::string& text);
    // Everything so far onto the stream: before each call into the script and each return to it.
    void flush() { out_.flush(); }

    const std::vector<std::string>& sentCommands() const { return sent_; }
    const std::vector<std::string>& debugLines() const { return debug_; }
    const std::vector<std::string>& notes() const { return notes_; }
    int errors() const { return errors_; }
    int failures() const { return failures_; }

private:
    void line(const char* tag, const std::string& text);

    std::ostream& out_;
    std::vector<std::string> sent_;
    std::vector<std::string> debug_;
    std::vector<std::string> notes_;
    int errors_ = 0;
    int failures_ = 0;
};
