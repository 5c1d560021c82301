#include "button_message.h"

namespace {
const char kEmpty[] = "";
}

ButtonMessage::ButtonMessage(const std::string& message) : copy_(message.begin(), message.end()) {
    copy_.push_back('\0');
    parsed_.command = kEmpty;
    for (const char*& subWord : parsed_.subWords) {
        subWord = kEmpty;
    }
    parsed_.value = kEmpty;
    parsed_.subWordCount = 0;
    parsed_.hasValue = 0;
    parsed_.reserved[0] = parsed_.reserved[1] = parsed_.reserved[2] = 0;
    if (message.empty()) {
        // As the script's own parser leaves an empty message: no copy at all.
        parsed_.ownedCopy = nullptr;
        return;
    }
    // The host owns this copy; the field only tells the script where the words live.
    parsed_.ownedCopy = copy_.data();

    char* text = copy_.data();
    bool commandSet = false;
    for (size_t i = 0; text[i] != '\0'; ++i) {
        if (parsed_.subWordCount == ParsedCommand::kMaxSubWords) {
            break;
        }
        if (text[i] == '.') {
            if (!commandSet) {
                parsed_.command = text;
                commandSet = true;
            }
            text[i] = '\0';
            parsed_.subWords[parsed_.subWordCount++] = text + i + 1;
        } else if (text[i] == '=') {
            if (!commandSet) {
                parsed_.command = text;
                commandSet = true;
            }
            text[i] = '\0';
            parsed_.hasValue = 1;
            parsed_.value = text + i + 1;
            break;
        }
    }
    if (!commandSet) {
        parsed_.command = text;
    }
}
