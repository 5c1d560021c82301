#include "orvo_string.h"

#include "orvo_decimal.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr int32_t kMaxLength = INT32_MAX - 1;  // so that length + 1 (the NUL) still fits an int32_t

// Length of a NUL-terminated text; a null pointer is the empty text. A text too long to be held by an
// orvo_string is reported as the one failure the component has.
int32_t textLength(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    const size_t length = std::strlen(text);
    if (length > static_cast<size_t>(kMaxLength)) {
        throw std::bad_alloc();
    }
    return static_cast<int32_t>(length);
}

// The sum of lengths, refused (as bad_alloc) when the result could not be held.
int32_t addLengths(int64_t first, int64_t second) {
    const int64_t total = first + second;
    if (total > kMaxLength) {
        throw std::bad_alloc();
    }
    return static_cast<int32_t>(total);
}

// A null text reads as the empty text; the copying functions must never be handed a null pointer.
const char* orEmpty(const char* text) {
    return text == nullptr ? "" : text;
}

// The next '%' at or after `at` that has a character after it (before `end`), or null. A plain loop:
// formats are short, and were mostly written a moment ago, which a wide library search reads slowly.
const char* nextPercent(const char* at, const char* end) {
    for (; end - at >= 2; ++at) {
        if (*at == '%') {
            return at;
        }
    }
    return nullptr;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// An integer as text: the sign, the padding and the digits, kept apart so that a caller can measure the
// final length before writing it anywhere.
struct IntegerText {
    // Base 2 gives the most digits: 32 for the magnitude of INT32_MIN.
    char digits[32];
    int32_t digitCount = 0;
    bool negative = false;
    char fill = ' ';
    int32_t padding = 0;
    bool padAfterSign = false;

    IntegerText(int32_t value, char fillChar, int32_t width, int32_t base) {
        if (base < 2 || base > 36) {
            base = 10;
        }
        negative = value < 0;
        // Unsigned arithmetic, so INT32_MIN has a magnitude without overflow.
        uint32_t magnitude = negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
        char reversed[32];
        do {
            const uint32_t digit = magnitude % static_cast<uint32_t>(base);
            reversed[digitCount++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + (digit - 10));
            magnitude /= static_cast<uint32_t>(base);
        } while (magnitude != 0);
        for (int32_t i = 0; i < digitCount; ++i) {
            digits[i] = reversed[digitCount - 1 - i];
        }
        // Zeros pad the digits, so the sign comes on top of the width ("-001"); any other fill pads the
        // whole text ("  -1").
        padAfterSign = fillChar == '0';
        const int32_t sign = negative ? 1 : 0;
        const int32_t counted = padAfterSign ? digitCount : digitCount + sign;
        const int32_t widest = padAfterSign ? kMaxLength - sign : kMaxLength;
        if (width > widest) {
            width = widest;
        }
        padding = width > counted ? width - counted : 0;
        fill = fillChar == 0 ? ' ' : fillChar;
    }

    int32_t length() const { return padding + (negative ? 1 : 0) + digitCount; }

    // Writes length() characters (no NUL) to out.
    void writeTo(char* out) const {
        if (!padAfterSign) {
            std::memset(out, fill, static_cast<size_t>(padding));
            out += padding;
        }
        if (negative) {
            *out++ = '-';
        }
        if (padAfterSign) {
            std::memset(out, fill, static_cast<size_t>(padding));
            out += padding;
        }
        std::memcpy(out, digits, static_cast<size_t>(digitCount));
    }
};

}  // namespace

// The constructors set up the empty inline state themselves rather than delegate to the default one:
// strings are made by the dozen for every command, and a delegated call is one more call each time.
// Nothing is owned until a block is adopted, so a constructor that throws leaves nothing behind.

orvo_string::orvo_string(const orvo_string& other) : data_(inline_), length_(0), capacity_(kInlineCapacity) {
    if (other.length_ <= kInlineCapacity) {
        std::memcpy(inline_, other.data_, static_cast<size_t>(other.length_) + 1);
        length_ = other.length_;
        return;
    }
    inline_[0] = 0;
    assign(other.data_, other.length_);
}

orvo_string::orvo_string(orvo_string&& other) noexcept
    : data_(inline_), length_(0), capacity_(kInlineCapacity) {
    inline_[0] = 0;
    *this = static_cast<orvo_string&&>(other);
}

orvo_string::orvo_string(int32_t value, char fill, int32_t width, int32_t base)
    : data_(inline_), length_(0), capacity_(kInlineCapacity) {
    inline_[0] = 0;
    const IntegerText text(value, fill, width, base);
    reserveFor(text.length());
    text.writeTo(data_);
    setLength(text.length());
}

orvo_string& orvo_string::operator=(orvo_string&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    if (other.isInline()) {
        // Every string has room for at least kInlineCapacity characters, so this copy never allocates.
        std::memcpy(data_, other.data_, static_cast<size_t>(other.length_) + 1);
        length_ = other.length_;
    } else {
        adopt(other.data_, other.capacity_);
        length_ = other.length_;
        other.data_ = other.inline_;
        other.capacity_ = kInlineCapacity;
    }
    other.length_ = 0;
    other.data_[0] = 0;
    return *this;
}

orvo_string& orvo_string::operator=(const char* text) {
    assign(orEmpty(text), textLength(text));
    return *this;
}

orvo_string& orvo_string::operator+=(const orvo_string& other) {
    append(other.data_, other.length_);
    return *this;
}

orvo_string& orvo_string::operator+=(const char* text) {
    append(orEmpty(text), textLength(text));
    return *this;
}

int32_t orvo_string::toInt() const {
    const char* at = data_;
    while (isBlank(*at)) {
        ++at;
    }
    bool negative = false;
    if (*at == '+' || *at == '-') {
        negative = *at == '-';
        ++at;
    }
    // Accumulate the magnitude, but stop growing once it is past every 32-bit value, so that a long
    // run of digits cannot overflow.
    const int64_t pastRange = int64_t{INT32_MAX} + 2;
    int64_t magnitude = 0;
    while (*at >= '0' && *at <= '9') {
        if (magnitude < pastRange) {
            magnitude = magnitude * 10 + (*at - '0');
        }
        ++at;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

orvo_string orvo_string::arg(const orvo_string& value) const {
    return argText(value.data_, value.length_);
}

orvo_string orvo_string::arg(const char* value) const {
    return argText(orEmpty(value), textLength(value));
}

orvo_string orvo_string::arg(int32_t value, char fill, int32_t width, int32_t base) const {
    // A padded number wider than kInlineCapacity takes a block of its own before the result's.
    const orvo_string text(value, fill, width, base);
    return argText(text.data_, text.length_);
}

orvo_string orvo_string::argText(const char* value, int32_t valueLength) const {
    // One pass finds the lowest marker still present, where it first occurs and how often it occurs.
    const char* const end = data_ + length_;
    const char* first = nullptr;
    char lowest = 0;
    int64_t markers = 0;
    for (const char* at = nextPercent(data_, end); at != nullptr; at = nextPercent(at + 1, end)) {
        const char next = at[1];
        if (next < '1' || next > '9' || (lowest != 0 && next > lowest)) {
            continue;
        }
        if (next != lowest) {
            lowest = next;
            first = at;
            markers = 0;
        }
        ++markers;
    }
    // Every path returns `result`, so it is built in the caller's place and never moved.
    orvo_string result;
    if (lowest == 0) {
        result.assign(data_, length_);
        return result;
    }
    const int32_t total = addLengths(length_, markers * (int64_t{valueLength} - 2));

    // The second pass starts at the first marker, copies the text between the markers in runs, and the
    // value in place of each.
    result.reserveFor(total);
    char* out = result.data_;
    const char* copied = data_;
    for (const char* at = first; at != nullptr;) {
        if (at[1] != lowest) {
            at = nextPercent(at + 1, end);
            continue;
        }
        std::memcpy(out, copied, static_cast<size_t>(at - copied));
        out += at - copied;
        std::memcpy(out, value, static_cast<size_t>(valueLength));
        out += valueLength;
        copied = at + 2;
        at = nextPercent(copied, end);
    }
    if (copied != end) {
        std::memcpy(out, copied, static_cast<size_t>(end - copied));
    }
    result.setLength(total);
    return result;
}

void orvo_string::replace(char from, char to) {
    if (to == 0) {
        return;
    }
    for (int32_t i = 0; i < length_; ++i) {
        if (data_[i] == from) {
            data_[i] = to;
        }
    }
}

int32_t orvo_string::split(char separator, orvo_string& left, orvo_string& right) const {
    const void* found = std::memchr(data_, separator, static_cast<size_t>(length_));
    const int32_t at = found != nullptr ? static_cast<int32_t>(static_cast<const char*>(found) - data_) : -1;
    const int32_t leftLength = at < 0 ? length_ : at;
    const int32_t rightLength = at < 0 ? 0 : length_ - at - 1;
    // Two separate outputs, neither of them this string, with room for their parts (the usual case: two
    // fresh strings and a short text) take the parts straight in; nothing can fail there.
    if (&left != this && &right != this && &left != &right && leftLength <= left.capacity_ &&
        rightLength <= right.capacity_) {
        left.assign(data_, leftLength);
        right.assign(at < 0 ? data_ : data_ + at + 1, rightLength);
        return at;
    }
    // Otherwise both parts are made before either output changes: the outputs may be this string, and a
    // failed allocation must leave them as they were. The moves that follow cannot fail.
    orvo_string leftPart = fromRange(data_, leftLength);
    orvo_string rightPart = at < 0 ? orvo_string() : fromRange(data_ + at + 1, rightLength);
    left = static_cast<orvo_string&&>(leftPart);
    right = static_cast<orvo_string&&>(rightPart);
    return at;
}

bool orvo_string::operator==(const orvo_string& other) const {
    return length_ == other.length_ && std::memcmp(data_, other.data_, static_cast<size_t>(length_)) == 0;
}

bool orvo_string::operator==(int32_t value) const {
    // Every button event compares its panel id this way, so the plain decimal form is written directly,
    // without the padding and bases of IntegerText.
    const orvo_decimal plain(value);
    return length_ == plain.length() &&
           std::memcmp(data_, plain.text(), static_cast<size_t>(plain.length())) == 0;
}

orvo_string operator+(const orvo_string& left, const orvo_string& right) {
    orvo_string result;
    result.reserveFor(addLengths(left.length_, right.length_));
    result.append(left.data_, left.length_);
    result.append(right.data_, right.length_);
    return result;
}

orvo_string operator+(const orvo_string& left, const char* right) {
    const int32_t rightLength = textLength(right);
    orvo_string result;
    result.reserveFor(addLengths(left.length_, rightLength));
    result.append(left.data_, left.length_);
    result.append(orEmpty(right), rightLength);
    return result;
}

orvo_string operator+(const char* left, const orvo_string& right) {
    const int32_t leftLength = textLength(left);
    orvo_string result;
    result.reserveFor(addLengths(leftLength, right.length_));
    result.append(orEmpty(left), leftLength);
    result.append(right.data_, right.length_);
    return result;
}

orvo_string orvo_string::fromRange(const char* text, int32_t length) {
    orvo_string result;
    result.assign(text, length);
    return result;
}

void orvo_string::takeBlockFor(int32_t length) {
    adopt(new char[static_cast<size_t>(length) + 1], length);
    setLength(0);
}

void orvo_string::adopt(char* block, int32_t capacity) noexcept {
    if (!isInline()) {
        delete[] data_;
    }
    data_ = block;
    capacity_ = capacity;
}

void orvo_string::assign(const char* text, int32_t length) {
    if (length <= capacity_) {
        // The text may lie inside this string (s = s.c_str() + 1), hence memmove.
        std::memmove(data_, text, static_cast<size_t>(length));
        setLength(length);
        return;
    }
    // A text longer than the capacity cannot lie inside this string, so the old block may go before
    // the copy is made.
    reserveFor(length);
    std::memcpy(data_, text, static_cast<size_t>(length));
    setLength(length);
}

void orvo_string::assignLong(const char* text, size_t length) {
    if (length > static_cast<size_t>(kMaxLength)) {
        throw std::bad_alloc();
    }
    assign(text, static_cast<int32_t>(length));
}

void orvo_string::append(const char* text, int32_t length) {
    const int32_t total = addLengths(length_, length);
    if (total <= capacity_) {
        // Even when the text is this string's own (s += s), it lies before length_ and the copy goes after.
        std::memcpy(data_ + length_, text, static_cast<size_t>(length));
        setLength(total);
        return;
    }
    // Doubling keeps a run of appends to a logarithmic number of blocks. The text may be this string's
    // own, which the new block replaces: it is copied before the old block goes.
    int32_t capacity = capacity_ > kMaxLength / 2 ? kMaxLength : capacity_ * 2;
    if (capacity < total) {
        capacity = total;
    }
    char* block = new char[static_cast<size_t>(capacity) + 1];
    std::memcpy(block, data_, static_cast<size_t>(length_));
    std::memcpy(block + length_, text, static_cast<size_t>(length));
    adopt(block, capacity);
    setLength(total);
}
