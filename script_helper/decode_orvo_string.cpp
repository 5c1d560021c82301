#include "decode_orvo_string.h"

#include <cstddef>
#include <cstring>

#include "parsed_command.h"

decodeORVOString::decodeORVOString(const char* text, char quote)
    : tokenCount(0), textCopy(nullptr), quoteChar(quote) {
    for (const char*& token : tokens) {
        token = orvo_empty_text();
    }
    if (text == nullptr || text[0] == '\0') {
        return;
    }
    const std::size_t length = std::strlen(text);
    // If this throws, nothing has been taken yet, and the destructor is not needed.
    textCopy = new char[length + 1];
    std::memcpy(textCopy, text, length + 1);

    tokens[0] = textCopy;
    int32_t last = 0;
    bool inQuotes = false;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = textCopy[i];
        // A token starts where a character follows a separator or quote already overwritten with NUL.
        const bool afterCut = i > 0 && textCopy[i - 1] == '\0';
        bool tokenStarts = false;
        if (!inQuotes && c == quoteChar) {
            textCopy[i] = '\0';
            inQuotes = true;
        } else if (!inQuotes && c == ' ') {
            textCopy[i] = '\0';
        } else if (inQuotes && c == quoteChar) {
            textCopy[i] = '\0';
            inQuotes = false;
            // A closing quote right after the opening one is an empty field, and still a token.
            tokenStarts = afterCut;
        } else {
            tokenStarts = afterCut;
        }
        if (tokenStarts) {
            if (last == kMaxTokens - 1) {
                break;
            }
            ++last;
            tokens[last] = textCopy + i;
        }
    }
    tokenCount = last + 1;
}

decodeORVOString::~decodeORVOString() {
    delete[] textCopy;
}
