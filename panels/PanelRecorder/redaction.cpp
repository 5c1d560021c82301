#include "redaction.h"

#include <cstdlib>
#include <cstring>

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
        std::string plain = text == nullptr ? "" : text;
        if (!covered || plain.empty()) {
            return plain;
        }
        if (remembered_.size() < kMaxRemembered) {
            remembered_.push_back(plain);
        }
        return std::string(plain.size(), 'x');
    } catch (...) {
        return "";
    }
}

std::string Redaction::command(const char* command) noexcept {
    try {
        std::string out = command;
        for (const std::string& secret : remembered_) {
            for (size_t at = out.find(secret); at != std::string::npos;
                 at = out.find(secret, at + secret.size())) {
                out.replace(at, secret.size(), secret.size(), 'x');
            }
        }
        return out;
    } catch (...) {
        return "";
    }
}
