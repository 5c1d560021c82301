#include "orvo_stringlist.h"

#include <cstdint>
#include <cstring>
#include <new>

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
    entries_.reserve(separators + 1);

    int32_t start = 0;
    for (int32_t i = 0; i <= text.length_; ++i) {
        if (i == text.length_ || chars[i] == separator) {
            entries_.push_back(orvo_string::fromRange(chars + start, i - start));
            start = i + 1;
        }
    }
}

orvo_stringlist& orvo_stringlist::operator=(const orvo_stringlist& other) {
    // Copy first, so that a failed copy leaves this list as it was.
    orvo_stringlist copy(other);
    entries_.swap(copy.entries_);
    return *this;
}

orvo_stringlist& orvo_stringlist::operator<<(const orvo_string& entry) {
    entries_.push_back(entry);
    return *this;
}

orvo_string orvo_stringlist::toString(char separator) const {
    // A NUL between entries would end the text early while its length said otherwise.
    const bool withSeparator = separator != 0;
    int64_t total = entries_.empty() || !withSeparator ? 0 : static_cast<int64_t>(entries_.size()) - 1;
    for (const orvo_string& entry : entries_) {
        total += entry.length_;
    }
    if (total > INT32_MAX - 1) {
        throw std::bad_alloc();
    }

    orvo_string joined;
    joined.reserveFor(static_cast<int32_t>(total));
    char* out = joined.data_;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (i > 0 && withSeparator) {
            *out++ = separator;
        }
        std::memcpy(out, entries_[i].data_, static_cast<size_t>(entries_[i].length_));
        out += entries_[i].length_;
    }
    joined.setLength(static_cast<int32_t>(total));
    return joined;
}
