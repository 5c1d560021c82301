// The host's records, laid out byte by byte at the host's offsets (not through our structs), reach the
// handlers intact. On a 32-bit build these are the host's own offsets; on 64-bit their wider equivalents.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "orvo_event_kind.h"
#include "parsed_command.h"
#include "test_script.h"

namespace {

constexpr size_t kPointer = sizeof(void*);

void putPointer(std::vector<unsigned char>& bytes, size_t offset, const void* pointer) {
    std::memcpy(bytes.data() + offset, &pointer, kPointer);
}

void putInt(std::vector<unsigned char>& bytes, size_t offset, int32_t value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

struct HostOffsets {
    size_t buttonPanel, buttonControl, buttonMessage, buttonSize;
    size_t commandValue, commandCount, commandFlag, commandOwned, commandSize;
};

HostOffsets hostOffsets() {
    if (kPointer == 4) {
        return {8, 12, 16, 20, 132, 136, 140, 144, 148};
    }
    return {8, 16, 24, 32, 264, 272, 276, 280, 288};
}

TEST(HostRecordLayout, ButtonRecordAndParsedCommandAreReadAtTheHostsOffsets) {
    const HostOffsets at = hostOffsets();
    static const char empty[] = "";
    static const char command[] = "index";
    static const char sub[] = "x";
    static const char value[] = "12";

    // The message index.x=12, as a host fills it.
    std::vector<unsigned char> message(at.commandSize, 0xEE);
    putPointer(message, 0, command);
    for (size_t i = 0; i < 32; ++i) {
        putPointer(message, kPointer + i * kPointer, i == 0 ? sub : empty);
    }
    putPointer(message, at.commandValue, value);
    putInt(message, at.commandCount, 1);
    message[at.commandFlag] = 1;
    putPointer(message, at.commandOwned, nullptr);

    std::vector<unsigned char> button(at.buttonSize, 0xEE);  // the host's own words stay as garbage
    putPointer(button, at.buttonPanel, "1");
    putPointer(button, at.buttonControl, "Dest");
    putPointer(button, at.buttonMessage, message.data());

    TestScript script(nullptr, "");
    script.notify(button.data(), orvo_event_button);
    EXPECT_EQ(script.calls, std::vector<std::string>{"button 1 Dest index=12"});
}

TEST(HostRecordLayout, RevertiveRecordIsReadAtTheHostsOffsets) {
    std::vector<unsigned char> revertive(16 + 8, 0xEE);
    putInt(revertive, 0, 7);
    putInt(revertive, 8, 183);
    std::memcpy(revertive.data() + 16, "12", 3);

    TestScript script(nullptr, "");
    script.notify(revertive.data(), orvo_event_revertive);
    EXPECT_EQ(script.calls, std::vector<std::string>{"revertive 7 183 12"});
}

TEST(HostRecordLayout, ParsedRequestFillsTheHostsLayout) {
    const HostOffsets at = hostOffsets();
    ParsedCommand parsed{};
    parsed.parseCommand("cell.3.1=a.b");
    const auto* bytes = reinterpret_cast<const unsigned char*>(&parsed);
    const char* valueText = nullptr;
    std::memcpy(&valueText, bytes + at.commandValue, kPointer);
    int32_t count = 0;
    std::memcpy(&count, bytes + at.commandCount, sizeof count);
    EXPECT_STREQ(valueText, "a.b");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(bytes[at.commandFlag], 1);
    char* owned = nullptr;
    std::memcpy(&owned, bytes + at.commandOwned, kPointer);
    EXPECT_EQ(owned, parsed.ownedCopy);
    EXPECT_NE(owned, nullptr);
    EXPECT_EQ(sizeof(ParsedCommand), at.commandSize);
    parsed.release();
}

}  // namespace
