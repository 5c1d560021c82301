#include "orvo_stringlist.h"

#include <cstdint>
#include <cstring>
#include <new>

orvo_stringlist::orvo_stringlist(orvo_stringlist&& other) noexcept
    : first_(static_cast<orvo_string&&>(other.first_)),
      rest_(static_cast<std::vector<orvo_string>&&>(other.rest_)),
      hasFirst_(other.hasFirst_) {
    other.rest_.clear();
    other.hasFirst_ = false;
}

orvo_stringlist::orvo_stringlist(const orvo_string& text, char separator) {
    if (text.length_ == 0) {
        return;
    }
    const char* const chars = text.data_;
    size_t separators = 0;
    for (int32_t i = 0; i < text.length_; ++i) {
        if (chars[i] == separator) {
            ++separators;
        }
    }
    if (separators > 0) {
        rest_.reserve(separators);
    }

    int32_t start = 0;
    for (int32_t i = 0; i <= text.length_; ++i) {
        if (i == text.length_ || chars[i] == separator) {
            if (!hasFirst_) {
                first_.assign(chars + start, i - start);
                hasFirst_ = true;
            } else {
                rest_.push_back(orvo_string::fromRange(chars + start, i - start));
            }
            start = i + 1;
        }
    }
}

orvo_stringlist& orvo_stringlist::operator=(const orvo_stringlist& other) {
    // Copy first, so that a failed copy leaves this list as it was.
    orvo_stringlist copy(other);
    *this = static_cast<orvo_stringlist&&>(copy);
    return *this;
}

orvo_stringlist& orvo_stringlist::operator=(orvo_stringlist&& other) noexcept {
    if (this != &other) {
        first_ = static_cast<orvo_string&&>(other.first_);
        rest_ = static_cast<std::vector<orvo_string>&&>(other.rest_);
        hasFirst_ = other.hasFirst_;
        other.rest_.clear();
        other.hasFirst_ = false;
    }
    return *this;
}

orvo_stringlist& orvo_stringlist::operator<<(const orvo_string& entry) {
    if (!hasFirst_) {
        first_ = entry;  // an empty list has no entry that `entry` could be
        hasFirst_ = true;
    } else {
        rest_.push_back(entry);
    }
    return *this;
}

orvo_string orvo_stringlist::toString(char separator) const {
    // A NUL between entries would end the text early while its length said otherwise.
    const bool withSeparator = separator != 0;
    const int32_t entries = count();
    int64_t total = entries == 0 || !withSeparator ? 0 : entries - 1;
    for (int32_t i = 0; i < entries; ++i) {
        total += entry(i).length_;
    }
    if (total > INT32_MAX - 1) {
        throw std::bad_alloc();
    }

    orvo_string joined;
    joined.reserveFor(static_cast<int32_t>(total));
    char* out = joined.data_;
    for (int32_t i = 0; i < entries; ++i) {
        if (i > 0 && withSeparator) {
            *out++ = separator;
        }
        const orvo_string& text = entry(i);
        std::memcpy(out, text.data_, static_cast<size_t>(text.length_));
        out += text.length_;
    }
    joined.setLength(static_cast<int32_t>(total));
    return joined;
}
