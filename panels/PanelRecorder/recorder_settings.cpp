#include "recorder_settings.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace {

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool isAbsolute(const std::string& path) {
#if defined(_WIN32)
    if (path.size() >= 2 && path[1] == ':') {
        return true;
    }
    if (!path.empty() && path[0] == '\\') {
        return true;
    }
#endif
    return !path.empty() && path[0] == '/';
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool wholeNumber(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18) {
        return false;
    }
    value = std::strtoll(text.c_str(), nullptr, 10);
    return value >= low && value <= high;
}

// `7`, `7 183` or `7 181-196`; anything else names an instance.
RedactRule redactRule(const std::string& value) {
    RedactRule rule;
    size_t blank = value.find(' ');
    std::string device = value.substr(0, blank);
    long long number = 0;
    if (!wholeNumber(device, 0, INT32_MAX, number)) {
        rule.instance = value;
        return rule;
    }
    std::string slots = blank == std::string::npos ? "" : trimmed(value.substr(blank));
    long long first = 0;
    long long last = 0;
    size_t dash = slots.find('-');
    bool range = dash != std::string::npos && wholeNumber(slots.substr(0, dash), 0, INT32_MAX, first) &&
                 wholeNumber(slots.substr(dash + 1), first, INT32_MAX, last);
    bool single = dash == std::string::npos && wholeNumber(slots, 0, INT32_MAX, first);
    if (!slots.empty() && !range && !single) {
        rule.instance = value;
        return rule;
    }
    rule.device = static_cast<int32_t>(number);
    if (single) {
        last = first;
    }
    if (!slots.empty()) {
        rule.firstSlot = static_cast<int32_t>(first);
        rule.lastSlot = static_cast<int32_t>(last);
    }
    return rule;
}

bool read(const std::string& path, RecorderSettings& settings, std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = path + ": cannot be read";
        return false;
    }
    std::string folder = folderOf(path);
    auto resolved = [&folder](const std::string& file) {
        return isAbsolute(file) ? file : folder + "/" + file;
    };
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        std::string where = path + ":" + std::to_string(lineNo) + ": ";
        std::string content = trimmed(line);
        if (content.empty() || content[0] == '#') {
            continue;
        }
        size_t equals = content.find('=');
        if (equals == std::string::npos) {
            problem = where + "not a `key = value` line";
            return false;
        }
        std::string key = trimmed(content.substr(0, equals));
        std::string value = trimmed(content.substr(equals + 1));
        long long cap = 0;
        if (value.empty()) {
            problem = where + key + " has no value";
            return false;
        } else if (key == "panel") {
            settings.panel = resolved(value);
        } else if (key == "output") {
            settings.output = resolved(value);
        } else if (key == "cap") {
            if (!wholeNumber(value, 1, INT64_MAX, cap)) {
                problem = where + "cap is a number of bytes, not " + value;
                return false;
            }
            settings.cap = static_cast<uint64_t>(cap);
        } else if (key == "redact") {
            settings.redact.push_back(redactRule(value));
        } else {
            problem = where + "unknown key " + key + " (the keys are panel, output, cap and redact)";
            return false;
        }
    }
    if (settings.panel.empty() || settings.output.empty()) {
        problem = path + ": " + (settings.panel.empty() ? "panel" : "output") + " is not given";
        return false;
    }
    return true;
}

}  // namespace

std::string settingsPathFor(const std::string& modulePath) {
    size_t slash = modulePath.find_last_of("/\\");
    size_t dot = modulePath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return modulePath + ".recorder";
    }
    return modulePath.substr(0, dot) + ".recorder";
}

bool readRecorderSettings(const std::string& path, RecorderSettings& settings,
                          std::string& problem) noexcept {
    try {
        return read(path, settings, problem);
    } catch (...) {
        problem = "";
        return false;
    }
}
