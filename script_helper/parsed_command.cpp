#include "parsed_command.h"

#include <cstring>

namespace {

// Constant, so sharing it between every record and every script object is safe.
constexpr char kEmptyText[1] = {'\0'};

}  // namespace

const char* orvo_empty_text() {
    return kEmptyText;
}

void ParsedCommand::parseCommand(const char* text) {
    // The record is the empty command before anything can throw, so a failed copy leaves nothing to free.
    command = kEmptyText;
    for (const char*& subWord : subWords) {
        subWord = kEmptyText;
    }
    value = kEmptyText;
    subWordCount = 0;
    hasValue = 0;
    reserved[0] = reserved[1] = reserved[2] = 0;
    ownedCopy = nullptr;

    if (text == nullptr || text[0] == '\0') {
        return;
    }
    const std::size_t length = std::strlen(text);
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    ownedCopy = copy;

    bool commandSet = false;
    for (std::size_t i = 0; i < length; ++i) {
        // With every sub-word slot taken, the last sub-word keeps the rest of the message, '=' included.
        if (subWordCount == kMaxSubWords) {
            break;
        }
        const char c = copy[i];
        if (c != '.' && c != '=') {
            continue;
        }
        if (!commandSet) {
            command = copy;
            commandSet = true;
        }
        copy[i] = '\0';
        if (c == '.') {
            subWords[subWordCount] = copy + i + 1;
            ++subWordCount;
        } else {
            // Everything after the first '=' is the value, dots and further '=' included.
            hasValue = 1;
            value = copy + i + 1;
            break;
        }
    }
    if (!commandSet) {
        command = copy;
    }
}

void ParsedCommand::release() {
    delete[] ownedCopy;
    ownedCopy = nullptr;
    command = kEmptyText;
    for (const char*& subWord : subWords) {
        subWord = kEmptyText;
    }
    value = kEmptyText;
    subWordCount = 0;
    hasValue = 0;
}
