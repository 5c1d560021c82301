// Fuzzes decodeORVOString, the splitter of the host's instance-lookup answers, against a model that cuts
// a std::string the same way: blanks separate outside quotes, a pair of quote characters encloses a
// field, at most 32 tokens. The first input byte picks the quote character (mostly the single quote).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "decode_orvo_string.h"
#include "fuzz_check.h"
#include "parsed_command.h"

namespace {

std::vector<std::string> model(const std::string& text, char quote) {
    std::vector<std::string> tokens;
    if (text.empty()) {
        return tokens;
    }
    const size_t n = text.size();
    std::vector<bool> cut(n, false);  // separators and quote characters, which end the token before them
    std::vector<size_t> starts = {0};
    bool inQuotes = false;
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        const bool afterCut = i > 0 && cut[i - 1];
        bool startsHere = afterCut;
        if (!inQuotes && c == quote) {
            cut[i] = true;
            inQuotes = true;
            startsHere = false;
        } else if (!inQuotes && c == ' ') {
            cut[i] = true;
            startsHere = false;
        } else if (inQuotes && c == quote) {
            cut[i] = true;
            inQuotes = false;  // an empty quoted field still starts a token here
        }
        if (startsHere) {
            if (starts.size() == static_cast<size_t>(decodeORVOString::kMaxTokens)) {
                break;
            }
            starts.push_back(i);
        }
    }
    for (size_t start : starts) {
        size_t end = start;
        while (end < n && !cut[end]) {
            ++end;
        }
        tokens.push_back(text.substr(start, end - start));
    }
    return tokens;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t selector = data[0];
    const char quote = selector < 200 ? '\'' : static_cast<char>(selector - 200 + ' ');
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string text = bytes.substr(0, std::strlen(bytes.c_str()));
    // The answer on the heap at its exact size, freed before the tokens are read: the splitter must work
    // on its own copy.
    char* answer = new char[text.size() + 1];
    std::memcpy(answer, text.c_str(), text.size() + 1);
    const bool nullAnswer = text.empty() && selector % 2 == 1;

    decodeORVOString split(nullAnswer ? nullptr : answer, quote);
    delete[] answer;

    const std::vector<std::string> expected = model(text, quote);
    FUZZ_REQUIRE(split.quoteChar == quote);
    FUZZ_REQUIRE((split.textCopy == nullptr) == text.empty());
    FUZZ_REQUIRE(split.tokenCount == static_cast<int32_t>(expected.size()));
    FUZZ_REQUIRE(split.tokenCount >= 0 && split.tokenCount <= decodeORVOString::kMaxTokens);
    for (int32_t i = 0; i < decodeORVOString::kMaxTokens; ++i) {
        const char* token = split.tokens[i];
        FUZZ_REQUIRE(token != nullptr);
        if (i < split.tokenCount) {
            FUZZ_REQUIRE(token >= split.textCopy && token <= split.textCopy + text.size());
            FUZZ_REQUIRE(token == expected[static_cast<size_t>(i)]);
        } else {
            FUZZ_REQUIRE(token == orvo_empty_text());
        }
    }
    return 0;
}
