#include <gtest/gtest.h>

#include <string>

#include "button_message.h"

namespace {

TEST(ButtonMessage, IsCutIntoCommandSubWordsAndValue) {
    struct Case {
        const char* message;
        const char* command;
        std::vector<std::string> subWords;
        const char* value;
        bool hasValue;
    };
    const Case cases[] = {
        {"index=12", "index", {}, "12", true},
        {"selectedindex=-1", "selectedindex", {}, "-1", true},
        {"cell.3.1=a.b", "cell", {"3", "1"}, "a.b", true},
        {"return", "return", {}, "", false},
        {".x=1", "", {"x"}, "1", true},
        {"a=b=c", "a", {}, "b=c", true},
        {"a.", "a", {""}, "", false},
    };
    for (const Case& c : cases) {
        ButtonMessage message(c.message);
        const ParsedCommand* parsed = message.parsed();
        EXPECT_STREQ(parsed->command, c.command) << c.message;
        ASSERT_EQ(parsed->subWordCount, static_cast<int32_t>(c.subWords.size())) << c.message;
        for (size_t i = 0; i < c.subWords.size(); ++i) {
            EXPECT_EQ(parsed->subWords[i], c.subWords[i]) << c.message;
        }
        EXPECT_STREQ(parsed->value, c.value) << c.message;
        EXPECT_EQ(parsed->hasValue != 0, c.hasValue) << c.message;
        EXPECT_NE(parsed->ownedCopy, nullptr) << c.message;
    }
}

TEST(ButtonMessage, UnusedTextsAreEmptyNeverNull) {
    ButtonMessage empty("");
    const ParsedCommand* parsed = empty.parsed();
    ASSERT_NE(parsed->command, nullptr);
    EXPECT_STREQ(parsed->command, "");
    EXPECT_STREQ(parsed->value, "");
    EXPECT_EQ(parsed->ownedCopy, nullptr);
    for (const char* subWord : parsed->subWords) {
        ASSERT_NE(subWord, nullptr);
        EXPECT_STREQ(subWord, "");
    }
}

TEST(ButtonMessage, StopsAtThirtyTwoSubWords) {
    std::string text = "c";
    for (int i = 0; i < 40; ++i) {
        text += ".s";
    }
    text += "=v";
    ButtonMessage message(text);
    const ParsedCommand* parsed = message.parsed();
    EXPECT_EQ(parsed->subWordCount, 32);
    EXPECT_EQ(parsed->hasValue, 0);
    EXPECT_STREQ(parsed->value, "");
    // The last sub-word runs to the end of the text.
    EXPECT_EQ(std::string(parsed->subWords[31]), "s.s.s.s.s.s.s.s.s=v");
}

}  // namespace
