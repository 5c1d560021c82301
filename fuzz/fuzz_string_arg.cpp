// Fuzzes orvo_string::arg, the place-marker fill behind every formatted command and debug line, and the
// integer-to-text conversion it shares with the integer constructor. Each input is a format text and a
// chain of up to 16 fills (text, null text, or integer with fill, width and base); every step is checked
// against a model written with std::string.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "orvo_string.h"

namespace {

// Chained fills can grow a text geometrically (each value may hold the next markers); past this size a
// step is skipped, since only memory and time would be tested.
constexpr size_t kMaxResult = size_t{1} << 16;

// Texts end at their first NUL, as a C text handed to the string component does.
std::string cText(const std::string& bytes) {
    return bytes.substr(0, std::strlen(bytes.c_str()));
}

// The lowest marker %1..%9 present is replaced everywhere; the inserted text is not searched again.
// A result past kMaxResult comes back cut short.
std::string modelArg(const std::string& format, const std::string& value) {
    char lowest = 0;
    for (size_t i = 0; i + 1 < format.size(); ++i) {
        const char next = format[i + 1];
        if (format[i] == '%' && next >= '1' && next <= '9' && (lowest == 0 || next < lowest)) {
            lowest = next;
        }
    }
    if (lowest == 0) {
        return format;
    }
    std::string result;
    size_t copied = 0;  // format[copied, i) is still to be appended
    for (size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] == '%' && format[i + 1] == lowest) {
            result.append(format, copied, i - copied);
            result += value;
            if (result.size() > kMaxResult) {
                return result;  // too long to be worth building; the caller skips this fill
            }
            copied = i + 2;
            ++i;
        }
    }
    result.append(format, copied, std::string::npos);
    return result;
}

// Digits in the base (2 to 36, else 10), lower-case letters above 9, padded to the width with the fill
// (NUL meaning blank); a '0' fill goes after the sign and pads the digits alone to the width.
std::string modelInteger(int32_t value, char fill, int32_t width, int32_t base) {
    if (base < 2 || base > 36) {
        base = 10;
    }
    int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
    std::string digits;
    do {
        const int digit = static_cast<int>(magnitude % base);
        digits.insert(digits.begin(), static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10));
        magnitude /= base;
    } while (magnitude != 0);
    const std::string sign = value < 0 ? "-" : "";
    if (fill == '0') {
        const int64_t counted = static_cast<int64_t>(digits.size());
        return sign + std::string(width > counted ? static_cast<size_t>(width - counted) : 0, '0') + digits;
    }
    const int64_t bare = static_cast<int64_t>(digits.size() + sign.size());
    const size_t padding = width > bare ? static_cast<size_t>(width - bare) : 0;
    return std::string(padding, fill == 0 ? ' ' : fill) + sign + digits;
}

void expectText(const orvo_string& actual, const std::string& expected) {
    FUZZ_REQUIRE(actual.length() == static_cast<int32_t>(expected.size()));
    FUZZ_REQUIRE(std::memcmp(actual.c_str(), expected.data(), expected.size()) == 0);
    FUZZ_REQUIRE(actual.c_str()[actual.length()] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string expected = cText(input.text());
    orvo_string format(expected.c_str());
    expectText(format, expected);

    for (int step = 0; step < 16 && !input.empty(); ++step) {
        const uint8_t op = input.byte();
        std::string value;
        orvo_string result;
        switch (op % 3) {
            case 0: {
                value = cText(input.text());
                const std::string next = modelArg(expected, value);
                if (next.size() > kMaxResult) {
                    continue;
                }
                result = format.arg(orvo_string(value.c_str()));
                expected = next;
                break;
            }
            case 1: {
                value = cText(input.text());
                const std::string next = modelArg(expected, value);
                if (next.size() > kMaxResult) {
                    continue;
                }
                const bool nullValue = value.empty() && (op & 0x80) != 0;
                result = format.arg(nullValue ? nullptr : value.c_str());
                expected = next;
                break;
            }
            default: {
                const int32_t number = input.int32();
                const uint8_t fillByte = input.byte();
                const char fill = fillByte < 64 ? '\0' : fillByte < 128 ? '0' : static_cast<char>(fillByte);
                // Widths up to a few thousand: wider numbers only cost memory, and are not a fault.
                const int32_t width = static_cast<int8_t>(input.byte()) * ((op & 0x80) != 0 ? 37 : 1);
                const int32_t base = input.byte() % 40;
                const std::string numberText = modelInteger(number, fill, width, base);
                expectText(orvo_string(number, fill, width, base), numberText);
                const std::string next = modelArg(expected, numberText);
                if (next.size() > kMaxResult) {
                    continue;
                }
                result = format.arg(number, fill, width, base);
                expected = next;
                break;
            }
        }
        expectText(result, expected);
        format = result;
    }
    return 0;
}
