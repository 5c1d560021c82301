#include "session_text.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isControl(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

}  // namespace

void appendQuoted(std::string& line, const char* text, size_t size) {
    static const char kHex[] = "0123456789abcdef";
    line += '"';
    for (size_t i = 0; i < size; ++i) {
        char c = text[i];
        if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\t') {
            line += "\\t";
        } else if (c == '"' || c == '\\') {
            line += '\\';
            line += c;
        } else if (isControl(c)) {
            unsigned char u = static_cast<unsigned char>(c);
            line += "\\x";
            line += kHex[u >> 4];
            line += kHex[u & 0xf];
        } else {
            line += c;
        }
    }
    line += '"';
}

void appendText(std::string& line, const char* text, size_t size) {
    bool control = false;
    for (size_t i = 0; i < size && !control; ++i) {
        control = isControl(text[i]);
    }
    // A plain text that looks like the escaped form would be read as one.
    bool looksEscaped = size >= 3 && text[0] == '\\' && text[1] == '"' && text[size - 1] == '"';
    if (control || looksEscaped) {
        line += '\\';
        appendQuoted(line, text, size);
        return;
    }
    bool quoted = size >= 2 && text[0] == '"' && text[size - 1] == '"';
    if (size == 0 || isBlank(text[0]) || isBlank(text[size - 1]) || quoted) {
        line += '"';
        line.append(text, size);
        line += '"';
        return;
    }
    line.append(text, size);
}
