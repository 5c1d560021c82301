// orvo_decimal: the plain decimal text of a 32-bit integer ("-2147483648" to "2147483647"), written into a
// buffer inside the object.
//
// For the places that put a number into a text on every event (a panel id compared with 1, the numbers of a
// command) without the padding and bases of orvo_string's integer form. The text lives as long as the object;
// it is not NUL-terminated. Never allocates, never fails.
#pragma once

#include <cstdint>

class orvo_decimal {
public:
    explicit orvo_decimal(int32_t value) : start_(kSize) {
        // Unsigned arithmetic, so INT32_MIN has a magnitude without overflow.
        uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
        do {
            digits_[--start_] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0) {
            digits_[--start_] = '-';
        }
    }

    const char* text() const { return digits_ + start_; }
    int32_t length() const { return kSize - start_; }

private:
    static constexpr int32_t kSize = 11;  // the longest text, "-2147483648"
    char digits_[kSize];
    int32_t start_;
};
