#include "command_text.h"

#include "orvo_decimal.h"

#include <cstring>
#include <new>

orvo_command_text::~orvo_command_text() {
    if (data_ != inline_) {
        delete[] data_;
    }
}

void orvo_command_text::grow(int32_t needed) {
    // Double, so a text built piece by piece takes a few blocks at most.
    int64_t capacity = static_cast<int64_t>(capacity_) * 2;
    if (capacity < needed) {
        capacity = needed;
    }
    if (capacity > INT32_MAX - 1) {
        capacity = INT32_MAX - 1;
    }
    char* bigger = new char[static_cast<size_t>(capacity) + 1];
    std::memcpy(bigger, data_, static_cast<size_t>(length_) + 1);
    if (data_ != inline_) {
        delete[] data_;
    }
    data_ = bigger;
    capacity_ = static_cast<int32_t>(capacity);
}

void orvo_command_text::appendGrowing(const char* text, int32_t length) {
    if (text == nullptr || length <= 0) {
        return;
    }
    if (length > INT32_MAX - 1 - length_) {
        throw std::bad_alloc();  // a command of 2 GiB cannot be sent as one text
    }
    int32_t needed = length_ + length;
    if (needed > capacity_) {
        grow(needed);
    }
    std::memcpy(data_ + length_, text, static_cast<size_t>(length));
    length_ = needed;
    data_[length_] = '\0';
}

orvo_command_text& orvo_command_text::operator<<(const char* text) {
    if (text != nullptr) {
        append(text, static_cast<int32_t>(std::strlen(text)));
    }
    return *this;
}

orvo_command_text& orvo_command_text::operator<<(int32_t value) {
    const orvo_decimal plain(value);
    append(plain.text(), plain.length());
    return *this;
}
