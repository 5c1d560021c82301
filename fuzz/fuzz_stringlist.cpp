// Fuzzes orvo_stringlist, which turns the host's comma-separated control lists into entries and joins
// the panel's answers: building from a text and a separator, appending (also an entry of the list
// itself), copying and joining. The first two bytes pick the separator and the joining character.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "orvo_stringlist.h"

namespace {

std::vector<std::string> modelSplit(const std::string& text, char separator) {
    std::vector<std::string> entries;
    if (text.empty()) {
        return entries;
    }
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            entries.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return entries;
}

std::string modelJoin(const std::vector<std::string>& entries, char separator) {
    std::string joined;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0 && separator != '\0') {
            joined += separator;
        }
        joined += entries[i];
    }
    return joined;
}

void expectEntries(const orvo_stringlist& list, const std::vector<std::string>& expected) {
    FUZZ_REQUIRE(list.count() == static_cast<int32_t>(expected.size()));
    size_t i = 0;
    for (orvo_stringlistIterator it = list.begin(); it != list.end(); ++it, ++i) {
        FUZZ_REQUIRE(i < expected.size());
        FUZZ_REQUIRE((*it).length() == static_cast<int32_t>(expected[i].size()));
        FUZZ_REQUIRE(*it == expected[i].c_str());
    }
    FUZZ_REQUIRE(i == expected.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const char separator = static_cast<char>(data[0]);
    const char joiner = static_cast<char>(data[1]);
    const std::string bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string text = bytes.substr(0, std::strlen(bytes.c_str()));

    std::vector<std::string> expected = modelSplit(text, separator);
    orvo_stringlist list(orvo_string(text.c_str()), separator);
    expectEntries(list, expected);

    // Joining with the separator gives the text back.
    if (separator != '\0') {
        const orvo_string joined = list.toString(separator);
        FUZZ_REQUIRE(joined == text.c_str());
    }
    const orvo_string joined = list.toString(joiner);
    const std::string expectedJoin = modelJoin(expected, joiner);
    FUZZ_REQUIRE(joined.length() == static_cast<int32_t>(expectedJoin.size()));
    FUZZ_REQUIRE(std::memcmp(joined.c_str(), expectedJoin.data(), expectedJoin.size()) == 0);

    // Appending an entry of the list itself, then a copy and an assignment of the grown list.
    if (list.count() > 0) {
        list << *list.begin();
        expected.push_back(expected.front());
    }
    list << orvo_string(text.c_str());
    expected.push_back(text);
    expectEntries(list, expected);

    const orvo_stringlist copy(list);
    expectEntries(copy, expected);
    orvo_stringlist assigned(orvo_string("x,y"), ',');
    assigned = copy;
    expectEntries(assigned, expected);
    const orvo_stringlist& itself = assigned;
    assigned = itself;
    expectEntries(assigned, expected);
    return 0;
}
