#include "transcript.h"

#include "text.h"

void Transcript::line(const char* tag, const std::string& text) {
    out_ << "   " << tag;
    for (size_t pad = std::string(tag).size(); pad < 7; ++pad) {
        out_ << ' ';
    }
    out_ << ' ' << escapedControls(text) << '\n';
}

void Transcript::step(const std::string& where, const std::string& text) {
    out_ << "== " << where << "  " << escapedControls(text) << '\n';
}

void Transcript::event(const std::string& text) {
    line("event", text);
}

void Transcript::sent(const std::string& command) {
    sent_.push_back(command);
    line("sent", command);
}

void Transcript::answer(const std::optional<std::string>& text) {
    line("answer", text ? quotedText(*text) : "none");
}

void Transcript::result(const std::string& text) {
    line("answer", text);
}

void Transcript::back(const std::optional<std::string>& text) {
    line("back", text ? quotedText(*text) : "null");
}

void Transcript::debugText(const std::string& chunk) {
    size_t start = 0;
    while (start < chunk.size()) {
        size_t end = chunk.find('\n', start);
        std::string text = chunk.substr(start, end == std::string::npos ? std::string::npos : end - start);
        debug_.push_back(text);
        if (end == std::string::npos) {
            line("debug", text + "   (no line end)");
            break;
        }
        line("debug", text);
        start = end + 1;
    }
}

void Transcript::note(const std::string& text) {
    notes_.push_back(text);
    line("note", text);
}

void Transcript::error(const std::string& text) {
    ++errors_;
    line("ERROR", text);
}

void Transcript::failure(const std::string& text) {
    ++failures_;
    out_ << "FAIL " << text << '\n';  // several lines of the host's own
}

void Transcript::block(const std::string& text) {
    out_ << text;
}
