// Fuzzes the orvo_string operations that read host answers and revertive texts: toInt, split (also with
// an output that is the string itself), the comparisons, replace and the concatenations. The first two
// bytes pick the separator and a second character; the rest is the text. Every result is checked
// against a model written with std::string and the C library.
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "orvo_string.h"

namespace {

void expectText(const orvo_string& actual, const std::string& expected) {
    FUZZ_REQUIRE(actual.length() == static_cast<int32_t>(expected.size()));
    FUZZ_REQUIRE(std::memcmp(actual.c_str(), expected.data(), expected.size()) == 0);
    FUZZ_REQUIRE(actual.c_str()[actual.length()] == '\0');
}

// strtol in base 10 reads blanks, a sign and digits as toInt does; it saturates at the long range,
// which is then narrowed to 32 bits.
int32_t modelToInt(const std::string& text) {
    errno = 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const char separator = static_cast<char>(data[0]);
    const char other = static_cast<char>(data[1]);
    const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string text = bytes.substr(0, std::strlen(bytes.c_str()));
    const orvo_string s(text.c_str());
    expectText(s, text);

    FUZZ_REQUIRE(s.toInt() == modelToInt(text));
    const int32_t number = s.toInt();
    FUZZ_REQUIRE((s == number) == (text == std::to_string(number)));
    FUZZ_REQUIRE(s == text.c_str() && !(s != text.c_str()));
    FUZZ_REQUIRE(s == orvo_string(text.c_str()));

    // split at the first separator; without one, the left part is the whole text.
    const size_t at = text.find(separator);
    const std::string left = at == std::string::npos ? text : text.substr(0, at);
    const std::string right = at == std::string::npos ? std::string() : text.substr(at + 1);
    orvo_string leftPart("stale");
    orvo_string rightPart("stale");
    const int32_t position = s.split(separator, leftPart, rightPart);
    FUZZ_REQUIRE(position == (at == std::string::npos ? -1 : static_cast<int32_t>(at)));
    expectText(leftPart, left);
    expectText(rightPart, right);
    FUZZ_REQUIRE((leftPart == orvo_string(text.c_str())) == (left == text));

    // The string itself as either output, or as both (it then holds the right part).
    orvo_string self(text.c_str());
    orvo_string rest;
    self.split(separator, self, rest);
    expectText(self, left);
    expectText(rest, right);
    self = text.c_str();
    self.split(separator, rest, self);
    expectText(self, right);
    expectText(rest, left);
    self = text.c_str();
    self.split(separator, self, self);
    expectText(self, right);

    // replace, in place; replacing by NUL is refused.
    std::string replaced = text;
    if (other != '\0') {
        for (char& c : replaced) {
            if (c == separator) {
                c = other;
            }
        }
    }
    orvo_string changed(text.c_str());
    changed.replace(separator, other);
    expectText(changed, replaced);

    // Concatenations, including with itself and with a text that lies inside it.
    orvo_string doubled(text.c_str());
    doubled += doubled;
    expectText(doubled, text + text);
    expectText(s + s, text + text);
    expectText(s + text.c_str(), text + text);
    expectText(text.c_str() + s, text + text);
    orvo_string tail(text.c_str());
    if (!text.empty()) {
        tail = tail.c_str() + 1;
        expectText(tail, text.substr(1));
    }
    tail += static_cast<const char*>(nullptr);
    return 0;
}
