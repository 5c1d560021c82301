#include "button_message.h"

namespace {
const char kEmpty[] = "";
}

void cutButtonMessage(char* copy, ParsedCommand& parsed) {
    parsed.command = kEmpty;
    for (const char*& subWord : parsed.subWords) {
        subWord = kEmpty;
    }
    parsed.value = kEmpty;
    parsed.subWordCount = 0;
    parsed.hasValue = 0;
    parsed.reserved[0] = parsed.reserved[1] = parsed.reserved[2] = 0;
    if (copy == nullptr || copy[0] == '\0') {
        // As the script's own parser leaves an empty message: no copy at all.
        parsed.ownedCopy = nullptr;
        return;
    }
    // The host owns this copy; the field only tells the script where the words live.
    parsed.ownedCopy = copy;

    bool commandSet = false;
    for (size_t i = 0; copy[i] != '\0'; ++i) {
        if (parsed.subWordCount == ParsedCommand::kMaxSubWords) {
            break;
        }
        if (copy[i] == '.') {
            if (!commandSet) {
                parsed.command = copy;
                commandSet = true;
            }
            copy[i] = '\0';
            parsed.subWords[parsed.subWordCount++] = copy + i + 1;
        } else if (copy[i] == '=') {
            if (!commandSet) {
                parsed.command = copy;
                commandSet = true;
            }
            copy[i] = '\0';
            parsed.hasValue = 1;
            parsed.value = copy + i + 1;
            break;
        }
    }
    if (!commandSet) {
        parsed.command = copy;
    }
}

ButtonMessage::ButtonMessage(const std::string& message) : copy_(message.begin(), message.end()) {
    copy_.push_back('\0');
    cutButtonMessage(copy_.data(), parsed_);
}
