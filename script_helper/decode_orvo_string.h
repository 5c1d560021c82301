// decodeORVOString: splits one host answer into at most 32 blank-separated tokens, where a pair of quote
// characters encloses a token that may hold blanks.
//
// The splitter makes one copy of the text (one allocation), overwrites separators and quote characters in
// it with NUL and points each token at its start. It owns that copy alone; the tokens are valid while the
// object lives. Entries beyond tokenCount read as the shared empty text, so any of the 32 may be read.
// It is made for one call and never copied. The given text is not changed and need not outlive the
// constructor.
#pragma once

#include <cstdint>

class decodeORVOString {
public:
    static constexpr int32_t kMaxTokens = 32;

    // Does the whole split. A null or empty text gives no tokens. Throws std::bad_alloc when the copy
    // cannot be made; nothing is then owned.
    decodeORVOString(const char* text, char quote);
    virtual ~decodeORVOString();

    decodeORVOString(const decodeORVOString&) = delete;
    decodeORVOString& operator=(const decodeORVOString&) = delete;

    const char* tokens[kMaxTokens];
    int32_t tokenCount;
    char* textCopy;  // null when the text was null or empty
    char quoteChar;
};
