#include "redaction.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A word is a run of letters, digits and bytes outside ASCII; what separates words stays as it is.
bool inWord(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || u >= 0x80;
}

// A word worth hiding holds something besides digits: numbers are the panel's workings, not names.
bool isName(const std::string& text, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return true;
        }
    }
    return false;
}

}  // namespace

void Redaction::lookedUp(const std::string& name, const char* answer) noexcept {
    if (answer == nullptr) {
        return;
    }
    for (RedactRule& rule : rules_) {
        if (!rule.instance.empty() && rule.instance == name) {
            rule.device = static_cast<int32_t>(std::strtol(answer, nullptr, 10));
        }
    }
}

bool Redaction::covers(int32_t device, int32_t slot) const noexcept {
    for (const RedactRule& rule : rules_) {
        bool everySlot = rule.lastSlot < 0 || slot < 0;
        if (rule.device >= 0 && rule.device == device &&
            (everySlot || (slot >= rule.firstSlot && slot <= rule.lastSlot))) {
            return true;
        }
    }
    return false;
}

std::string Redaction::text(const char* text, bool covered) noexcept {
    try {
        std::string out = text == nullptr ? "" : text;
        if (!covered) {
            return out;
        }
        for (size_t at = 0; at < out.size();) {
            size_t end = at;
            while (end < out.size() && inWord(out[end])) {
                ++end;
            }
            if (end == at) {
                ++at;
                continue;
            }
            if (isName(out, at, end)) {
                std::string word = out.substr(at, end - at);
                if (remembered_.size() < kMaxRemembered &&
                    std::find(remembered_.begin(), remembered_.end(), word) == remembered_.end()) {
                    remembered_.push_back(word);
                }
                out.replace(at, end - at, end - at, 'x');
            }
            at = end;
        }
        return out;
    } catch (...) {
        return "";
    }
}

std::string Redaction::command(const char* command) noexcept {
    try {
        std::string out = command;
        // Only inside the quoted fields: the command word and its numbers stay as the panel sent them.
        bool quoted = false;
        for (size_t at = 0; at < out.size();) {
            if (out[at] == '\'') {
                quoted = !quoted;
            }
            size_t end = at;
            while (end < out.size() && inWord(out[end])) {
                ++end;
            }
            if (end == at) {
                ++at;
                continue;
            }
            if (quoted && std::find(remembered_.begin(), remembered_.end(), out.substr(at, end - at)) !=
                              remembered_.end()) {
                out.replace(at, end - at, end - at, 'x');
            }
            at = end;
        }
        return out;
    } catch (...) {
        return "";
    }
}
