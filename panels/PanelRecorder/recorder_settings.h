// RecorderSettings: what the recorder's text file beside the module says, one `key = value` a line.
//
// `panel` is the real panel module (relative to the settings file's folder, or absolute), `output` the
// session file to write (the same), `cap` the most bytes the session file may take, and each `redact`
// line a device, a device's slots, or an instance name whose texts are written as placeholders.
// readRecorderSettings() only reads: it opens nothing else, keeps nothing and never throws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RedactRule {
    std::string instance;  // an instance name; its device is learnt from the host's answer to SD
    int32_t device = -1;   // a device number, when no instance is named
    int32_t firstSlot = 0;
    int32_t lastSlot = -1;  // -1: every slot of the device
};

struct RecorderSettings {
    static constexpr uint64_t kDefaultCap = 64ull * 1024 * 1024;

    std::string panel;   // resolved against the settings file's folder
    std::string output;  // the same
    uint64_t cap = kDefaultCap;
    std::vector<RedactRule> redact;
};

// The settings file for a module at `modulePath`: the same path with the extension `.recorder`.
std::string settingsPathFor(const std::string& modulePath);

// Reads `path`. False with `problem` set ("file:line: what is wrong", or "file: cannot be read") when the
// file is missing, a line does not read, or `panel` or `output` is not given.
bool readRecorderSettings(const std::string& path, RecorderSettings& settings, std::string& problem) noexcept;
