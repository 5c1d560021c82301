#include "parsed_command.h"

#include <cstring>

namespace {

// Constant, so sharing it between every record and every script object is safe.
constexpr char kEmptyText[1] = {'\0'};

// Every sub-word slot of a record pointing to the empty text: one block copied over a record's slots
// clears them in a few straight moves instead of a loop of 32 stores.
struct EmptySubWords {
    const char* words[ParsedCommand::kMaxSubWords];
    constexpr EmptySubWords() : words() {
        for (const char*& word : words) {
            word = kEmptyText;
        }
    }
};
constexpr EmptySubWords kEmptySubWords;

}  // namespace

const char* orvo_empty_text() {
    return kEmptyText;
}

void ParsedCommand::parseCommand(const char* text) {
    // The record is the empty command before anything can throw, so a failed copy leaves nothing to free.
    command = kEmptyText;
    std::memcpy(subWords, kEmptySubWords.words, sizeof subWords);
    value = kEmptyText;
    subWordCount = 0;
    hasValue = 0;
    reserved[0] = reserved[1] = reserved[2] = 0;
    ownedCopy = nullptr;

    if (text == nullptr || text[0] == '\0') {
        return;
    }
    const std::size_t length = std::strlen(text);
    char* const copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    ownedCopy = copy;
    command = copy;

    for (char* at = copy; *at != '\0'; ++at) {
        if (*at == '=') {
            // Everything after the first '=' is the value, dots and further '=' included.
            *at = '\0';
            hasValue = 1;
            value = at + 1;
            return;
        }
        if (*at == '.') {
            *at = '\0';
            subWords[subWordCount] = at + 1;
            ++subWordCount;
            // With every sub-word slot taken, the last sub-word keeps the rest of the message, '=' included.
            if (subWordCount == kMaxSubWords) {
                return;
            }
        }
    }
}

void ParsedCommand::release() {
    delete[] ownedCopy;
    ownedCopy = nullptr;
    command = kEmptyText;
    std::memcpy(subWords, kEmptySubWords.words, sizeof subWords);
    value = kEmptyText;
    subWordCount = 0;
    hasValue = 0;
}
