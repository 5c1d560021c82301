// FuzzInput: reads the fuzzer's bytes front to back as small numbers and texts.
//
// Reading is sequential so that a seed can be written by hand (or by fuzz/corpus/make_seeds.py) in the
// order the target consumes it. Past the end every read yields 0 or the empty text, so any input is a
// complete run. The reader only points into the fuzzer's buffer; texts are returned as std::string
// copies, NUL bytes included, and the caller decides where a NUL ends a C text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : at_(data), end_(data + size) {}

    bool empty() const { return at_ == end_; }

    uint8_t byte() {
        if (at_ == end_) {
            return 0;
        }
        return *at_++;
    }

    // Four bytes, little-endian; missing bytes read as 0.
    int32_t int32() {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            value |= static_cast<uint32_t>(byte()) << shift;
        }
        return static_cast<int32_t>(value);
    }

    // A length byte, then that many bytes; the length 255 is followed by two more length bytes
    // (little-endian), for texts of up to 65535 bytes.
    std::string text() {
        size_t length = byte();
        if (length == 255) {
            length = byte();
            length |= static_cast<size_t>(byte()) << 8;
        }
        return take(length);
    }

    // Everything that is left.
    std::string rest() { return take(static_cast<size_t>(end_ - at_)); }

    // The next `length` bytes, or as many as are left.
    std::string take(size_t length) {
        const size_t left = static_cast<size_t>(end_ - at_);
        if (length > left) {
            length = left;
        }
        std::string bytes(reinterpret_cast<const char*>(at_), length);
        at_ += length;
        return bytes;
    }

private:
    const uint8_t* at_;
    const uint8_t* end_;
};
