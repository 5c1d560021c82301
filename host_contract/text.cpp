#include "text.h"

#include <sstream>

#include <cctype>
#include <cstdio>
#include <limits>

std::optional<int32_t> parseInt32(const std::string& text) {
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && text[pos] == '-') {
        negative = true;
        ++pos;
    }
    if (pos == text.size()) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

static bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::vector<std::string> splitWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (isBlank(c)) {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

std::vector<std::string> splitAt(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t cut = text.find(separator); cut != std::string::npos; cut = text.find(separator, start)) {
        parts.emplace_back(text, start, cut - start);
        start = cut + 1;
    }
    parts.emplace_back(text, start);
    return parts;
}

namespace {

// `quoting`: '"' and '\\' are escaped too; `allBytes`: so is every byte outside printable ASCII.
std::string escaped(const std::string& text, bool quoting, bool allBytes) {
    std::string out;
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (quoting && (c == '"' || c == '\\')) {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7f || (allBytes && u >= 0x80)) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", u);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string quotedText(const std::string& text) {
    return "\"" + escaped(text, true, false) + "\"";
}

std::optional<std::string> unquotedText(const std::string& quoted, size_t& end) {
    if (quoted.empty() || quoted[0] != '"') {
        return std::nullopt;
    }
    std::string text;
    for (size_t i = 1; i < quoted.size(); ++i) {
        char c = quoted[i];
        if (c == '"') {
            end = i + 1;
            return text;
        }
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i >= quoted.size()) {
            return std::nullopt;
        }
        char e = quoted[i];
        if (e == 'n' || e == 'r' || e == 't') {
            text += e == 'n' ? '\n' : e == 'r' ? '\r' : '\t';
        } else if (e == '"' || e == '\\') {
            text += e;
        } else if (e == 'x' && i + 2 < quoted.size() &&
                   std::isxdigit(static_cast<unsigned char>(quoted[i + 1])) &&
                   std::isxdigit(static_cast<unsigned char>(quoted[i + 2]))) {
            text += static_cast<char>(std::stoi(quoted.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::string quotedBytes(const std::string& text) {
    return "\"" + escaped(text, true, true) + "\"";
}

std::string escapedControls(const std::string& text) {
    return escaped(text, false, false);
}

std::string int32Problem(const std::string& text) {
    if (parseInt32(text)) {
        return "";
    }
    size_t digits = text.size() > 0 && text[0] == '-' ? 1 : 0;
    bool allDigits = text.size() > digits;
    for (size_t i = digits; i < text.size(); ++i) {
        allDigits = allDigits && text[i] >= '0' && text[i] <= '9';
    }
    if (allDigits) {
        return quotedText(text) + " is out of range (-2147483648 to 2147483647)";
    }
    return quotedText(text) + " is not a whole number";
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}
