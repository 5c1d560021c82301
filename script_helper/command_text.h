// orvo_command_text: the buffer one command text is built in before it goes to the host.
//
// Command texts are short, so the first kInline characters live in the object itself (on the stack of
// the command operation) and a typical command costs no heap allocation; a longer one (a long control
// value, a 1 MiB parent answer written back) grows into one heap block. The text is always
// NUL-terminated. Used only inside the helper's command operations; never handed out beyond the call.
// The only failure is std::bad_alloc when a long text cannot be stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "orvo_string.h"

class orvo_command_text {
public:
    static constexpr int32_t kInline = 255;

    orvo_command_text() : data_(inline_), length_(0), capacity_(kInline) { inline_[0] = '\0'; }
    ~orvo_command_text();
    orvo_command_text(const orvo_command_text&) = delete;
    orvo_command_text& operator=(const orvo_command_text&) = delete;

    orvo_command_text& operator<<(const char* text);  // a null text appends nothing
    orvo_command_text& operator<<(const orvo_string& text) {
        append(text.c_str(), text.length());
        return *this;
    }
    orvo_command_text& operator<<(char c) {
        if (length_ < capacity_) {
            data_[length_] = c;
            data_[++length_] = '\0';
            return *this;
        }
        append(&c, 1);
        return *this;
    }
    // Plain decimal, with a leading '-' when negative.
    orvo_command_text& operator<<(int32_t value);
    // Single-quoted field: the text as it stands between two single quotes, nothing escaped.
    orvo_command_text& quoted(const orvo_string& text) { return *this << '\'' << text << '\''; }

    // A command is built from a dozen short pieces, nearly always into room it already has; that case is
    // inline, so a piece costs a copy and not a call. A null text or a length of 0 or less appends nothing.
    void append(const char* text, int32_t length) {
        if (text != nullptr && length > 0 && length <= capacity_ - length_) {
            std::memcpy(data_ + length_, text, static_cast<size_t>(length));
            length_ += length;
            data_[length_] = '\0';
            return;
        }
        appendGrowing(text, length);
    }
    const char* c_str() const { return data_; }
    int32_t length() const { return length_; }

private:
    // append() for a piece that does not fit the room left.
    void appendGrowing(const char* text, int32_t length);
    void grow(int32_t needed);

    char* data_;
    int32_t length_;
    int32_t capacity_;  // characters that fit, not counting the NUL
    char inline_[kInline + 1];
};
