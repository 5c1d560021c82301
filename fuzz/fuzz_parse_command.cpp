// Fuzzes ParsedCommand::parseCommand, the parser of every parent request the host sends, against a plain
// model of the message shape command.sub.sub=value written with std::string.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "parsed_command.h"

namespace {

struct Expected {
    std::string command;
    std::vector<std::string> subWords;
    std::string value;
    bool hasValue = false;
};

// A dot starts the next sub-word until 32 are taken; the first '=' before that starts the value, which
// keeps everything after it. The command word runs to the first cut, or is the whole text.
Expected model(const std::string& text) {
    Expected expected;
    std::vector<size_t> starts;  // where each sub-word begins
    size_t commandEnd = std::string::npos;
    size_t valueStart = std::string::npos;
    for (size_t i = 0; i < text.size() && starts.size() < ParsedCommand::kMaxSubWords; ++i) {
        if (text[i] == '.' || text[i] == '=') {
            if (commandEnd == std::string::npos) {
                commandEnd = i;
            }
            if (text[i] == '=') {
                valueStart = i + 1;
                break;
            }
            starts.push_back(i + 1);
        }
    }
    expected.command = text.substr(0, commandEnd);
    for (size_t k = 0; k < starts.size(); ++k) {
        size_t end = k + 1 < starts.size() ? starts[k + 1] - 1 : text.size();
        if (k + 1 == starts.size() && valueStart != std::string::npos) {
            end = valueStart - 1;
        }
        expected.subWords.push_back(text.substr(starts[k], end - starts[k]));
    }
    if (valueStart != std::string::npos) {
        expected.hasValue = true;
        expected.value = text.substr(valueStart);
    }
    return expected;
}

// Every text pointer is inside the owned copy, or is the shared empty text.
bool pointsIntoCopy(const ParsedCommand& parsed, const char* text, size_t length) {
    if (text == orvo_empty_text()) {
        return true;
    }
    return parsed.ownedCopy != nullptr && text >= parsed.ownedCopy && text <= parsed.ownedCopy + length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The host's text ends at its first NUL; the copy on the heap lets the sanitizer see any overread.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = bytes.substr(0, std::strlen(bytes.c_str()));
    char* message = new char[text.size() + 1];
    std::memcpy(message, text.c_str(), text.size() + 1);

    ParsedCommand parsed;
    std::memset(&parsed, 0xA5, sizeof parsed);  // whatever the record held before must not matter
    parsed.parseCommand(message);
    delete[] message;  // the record must not depend on the text it was parsed from

    const Expected expected = model(text);
    FUZZ_REQUIRE((parsed.ownedCopy == nullptr) == text.empty());
    FUZZ_REQUIRE(parsed.command != nullptr && parsed.command == expected.command);
    FUZZ_REQUIRE(parsed.subWordCount == static_cast<int32_t>(expected.subWords.size()));
    for (int32_t i = 0; i < ParsedCommand::kMaxSubWords; ++i) {
        FUZZ_REQUIRE(parsed.subWords[i] != nullptr);
        FUZZ_REQUIRE(pointsIntoCopy(parsed, parsed.subWords[i], text.size()));
        if (i < parsed.subWordCount) {
            FUZZ_REQUIRE(parsed.subWords[i] == expected.subWords[static_cast<size_t>(i)]);
        } else {
            FUZZ_REQUIRE(parsed.subWords[i] == orvo_empty_text());
        }
    }
    FUZZ_REQUIRE(parsed.value != nullptr && parsed.value == expected.value);
    FUZZ_REQUIRE(parsed.hasValue == (expected.hasValue ? 1 : 0));
    FUZZ_REQUIRE(pointsIntoCopy(parsed, parsed.command, text.size()));
    FUZZ_REQUIRE(pointsIntoCopy(parsed, parsed.value, text.size()));

    parsed.release();
    FUZZ_REQUIRE(parsed.ownedCopy == nullptr && parsed.subWordCount == 0 && parsed.hasValue == 0);
    parsed.release();  // a second release is harmless
    return 0;
}
