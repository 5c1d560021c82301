#include "transcript.h"

#include <string>

#include "text.h"

void Transcript::line(const char* tag, std::string_view text) {
    out_ << "   " << tag;
    for (size_t pad = std::char_traits<char>::length(tag); pad < 7; ++pad) {
        out_ << ' ';
    }
    out_ << ' ' << escapedControls(std::string(text)) << '\n';
}

void Transcript::write(const LogEntry& entry) {
    const std::string text(entry.text);
    switch (entry.tag) {
        case LogTag::Step:
            out_ << "== " << entry.where << "  " << escapedControls(text) << '\n';
            return;
        case LogTag::Event:
            line("event", text);
            return;
        case LogTag::Sent:
            line("sent", text);
            return;
        case LogTag::Answer:
            line("answer", entry.absent ? "none" : quotedText(text));
            return;
        case LogTag::Result:
            line("answer", text);
            return;
        case LogTag::Back:
            line("back", entry.absent ? "null" : quotedText(text));
            return;
        case LogTag::Debug:
            line("debug", entry.unterminated ? text + "   (no line end)" : text);
            return;
        case LogTag::Note:
            line("note",
                 entry.fault == Fault::None ? text : std::string(faultName(entry.fault)) + ": " + text);
            return;
        case LogTag::Error:
            line("ERROR", std::string(faultName(entry.fault)) + ": " + text);
            return;
        case LogTag::Failure:
            out_ << "FAIL " << text << '\n';  // several lines of the host's own
            return;
        case LogTag::Block:
            out_ << text;
            return;
    }
}
