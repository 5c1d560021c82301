// Redaction: the names a recording that leaves the plant must not carry, replaced by placeholders of the
// same length.
//
// It holds the rules of the settings file: a device, a device's slots, or an instance name, whose device
// it learns when the host answers the script's lookup (SD) of that name. In the texts of those slots
// (revertives, writes) and the names read from those devices (RN), every word (a run of letters, digits
// and bytes outside ASCII) that is not a plain number becomes as many 'x'; numbers and separators stay,
// since the panel reads them. Each word hidden is remembered (at most kMaxRemembered) and hidden wherever a
// later command carries it in a quoted field, so a replay of the redacted recording sees the placeholders
// the panel copies from the redacted answers. It writes only to the strings it is handed; never throws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recorder_settings.h"

class Redaction {
public:
    static constexpr size_t kMaxRemembered = 256;

    explicit Redaction(std::vector<RedactRule> rules) : rules_(std::move(rules)) {}

    bool active() const { return !rules_.empty(); }
    // The host answered `answer` to the lookup of instance `name`: "{device} {offset}".
    void lookedUp(const std::string& name, const char* answer) noexcept;
    // True when texts of this device's slot are redacted (slot -1: any slot, as for its names).
    bool covers(int32_t device, int32_t slot) const noexcept;
    // `text` as it goes into the recording: its names hidden, and remembered, when `covered`.
    std::string text(const char* text, bool covered) noexcept;
    // `command` with every remembered text in it replaced by its placeholder.
    std::string command(const char* command) noexcept;

private:
    std::vector<RedactRule> rules_;
    std::vector<std::string> remembered_;
};
