#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parsed_command.h"

namespace {

// "c.s0.s1...s<dots-1>" followed by `tail`.
std::string dotted(int dots, const std::string& tail) {
    std::string text = "c";
    for (int i = 0; i < dots; ++i) {
        text += ".s" + std::to_string(i);
    }
    return text + tail;
}

std::vector<std::string> subWordsOf(int count, const std::string& lastTail) {
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) {
        words.push_back("s" + std::to_string(i));
    }
    if (!words.empty()) {
        words.back() += lastTail;
    }
    return words;
}

struct ParseCase {
    const char* name;
    std::string text;
    bool nullText;
    std::string command;
    std::vector<std::string> subWords;
    std::string value;
    bool hasValue;
};

}  // namespace

TEST(MessageParsing, CommandSubWordsAndValueAreCutAtDotsAndFirstEquals) {
    const std::vector<ParseCase> cases = {
        {"null", "", true, "", {}, "", false},
        {"empty", "", false, "", {}, "", false},
        {"command with value", "return=all", false, "return", {}, "all", true},
        {"meta request", "_events", false, "_events", {}, "", false},
        {"sub-words, dotted value", "cell.3.1=a.b", false, "cell", {"3", "1"}, "a.b", true},
        {"leading dot", ".x.y", false, "", {"x", "y"}, "", false},
        {"trailing dot", "a.", false, "a", {""}, "", false},
        {"equals first", "=abc", false, "", {}, "abc", true},
        {"empty value", "a=", false, "a", {}, "", true},
        {"value holds more equals", "key=a=b.c", false, "key", {}, "a=b.c", true},
        {"31 dots keep the value", dotted(31, "=v"), false, "c", subWordsOf(31, ""), "v", true},
        {"32 dots: last sub-word keeps the rest", dotted(32, "=v"), false, "c", subWordsOf(32, "=v"), "",
         false},
        {"33 dots: last sub-word keeps the rest", dotted(33, "=v"), false, "c", subWordsOf(32, ".s32=v"), "",
         false},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        ParsedCommand parsed{};
        parsed.parseCommand(c.nullText ? nullptr : c.text.c_str());
        EXPECT_EQ(parsed.command, c.command);
        ASSERT_EQ(parsed.subWordCount, static_cast<int32_t>(c.subWords.size()));
        for (int32_t i = 0; i < ParsedCommand::kMaxSubWords; ++i) {
            if (i < parsed.subWordCount) {
                EXPECT_EQ(parsed.subWords[i], c.subWords[i]) << "sub-word " << i;
            } else {
                EXPECT_EQ(parsed.subWords[i], orvo_empty_text()) << "sub-word " << i;
            }
        }
        EXPECT_EQ(parsed.value, c.value);
        EXPECT_EQ(parsed.hasValue, c.hasValue ? 1 : 0);
        if (!c.hasValue) {
            EXPECT_EQ(parsed.value, orvo_empty_text());
        }
        EXPECT_EQ(parsed.ownedCopy == nullptr, c.text.empty());
        parsed.release();
    }
}

TEST(MessageParsing, ReleaseLeavesTheEmptyCommandAndMayBeRepeated) {
    ParsedCommand parsed{};
    parsed.parseCommand("cell.3.1=a.b");
    for (int round = 0; round < 2; ++round) {
        parsed.release();
        EXPECT_EQ(parsed.ownedCopy, nullptr);
        EXPECT_EQ(parsed.command, orvo_empty_text());
        EXPECT_EQ(parsed.subWords[0], orvo_empty_text());
        EXPECT_EQ(parsed.subWordCount, 0);
        EXPECT_EQ(parsed.value, orvo_empty_text());
        EXPECT_EQ(parsed.hasValue, 0);
    }
    parsed.parseCommand("return=all");
    EXPECT_STREQ(parsed.command, "return");
    EXPECT_STREQ(parsed.value, "all");
    parsed.release();
}
