#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode_orvo_string.h"
#include "parsed_command.h"

namespace {

// "f0 f1 ... f<count-1>", the blank-separated fields of a long answer.
std::string fields(int count, const std::string& field) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += (i > 0 ? " " : "") + (field.empty() ? "f" + std::to_string(i) : field);
    }
    return text;
}

std::vector<std::string> fieldNames(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        names.push_back("f" + std::to_string(i));
    }
    return names;
}

struct SplitCase {
    const char* name;
    std::string text;
    bool nullText;
    char quote;
    std::vector<std::string> tokens;
};

}  // namespace

TEST(QuotedTokenSplit, BlanksSeparateAndQuotesEncloseFields) {
    const std::vector<SplitCase> cases = {
        {"null", "", true, '\'', {}},
        {"empty", "", false, '\'', {}},
        {"blanks only", "   ", false, '\'', {""}},
        {"two numbers", "12 0", false, '\'', {"12", "0"}},
        {"one number", "12", false, '\'', {"12"}},
        {"run of blanks", "a  b", false, '\'', {"a", "b"}},
        {"trailing blank", "a ", false, '\'', {"a"}},
        {"leading blank", " a", false, '\'', {"", "a"}},
        {"leading blank, two fields", " 12 0", false, '\'', {"", "12", "0"}},
        {"quoted blank", "'x y' z", false, '\'', {"", "x y", "z"}},
        {"empty quoted field", "a '' b", false, '\'', {"a", "", "b"}},
        {"only quotes", "''", false, '\'', {"", ""}},
        {"quotes after text", "a''", false, '\'', {"a", ""}},
        {"quote ends the token before it", "ab'cd ef'", false, '\'', {"ab", "cd ef"}},
        {"closing quote ends its token", "'ab'cd", false, '\'', {"", "ab", "cd"}},
        {"doubled quote is no escape", "'a''b'", false, '\'', {"", "a", "b"}},
        {"unclosed quote runs to the end", "'abc", false, '\'', {"", "abc"}},
        {"quoted single blank", "a' '", false, '\'', {"a", " "}},
        {"tab is ordinary", "a\tb", false, '\'', {"a\tb"}},
        {"other quote character", "a\"b c\" 'x y'", false, '"', {"a", "b c", "'x", "y'"}},
        {"32 fields", fields(32, ""), false, '\'', fieldNames(32)},
        {"33rd field dropped", fields(40, ""), false, '\'', fieldNames(32)},
        {"40 empty quoted fields", fields(40, "''"), false, '\'', std::vector<std::string>(32, "")},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string original = c.text;
        const decodeORVOString split(c.nullText ? nullptr : c.text.c_str(), c.quote);
        EXPECT_EQ(c.text, original);
        EXPECT_EQ(split.quoteChar, c.quote);
        ASSERT_EQ(split.tokenCount, static_cast<int32_t>(c.tokens.size()));
        if (c.tokens.empty()) {
            EXPECT_EQ(split.textCopy, nullptr);
        } else {
            EXPECT_EQ(split.tokens[0], split.textCopy);
        }
        for (int32_t i = 0; i < decodeORVOString::kMaxTokens; ++i) {
            SCOPED_TRACE("token " + std::to_string(i));
            if (i < split.tokenCount) {
                EXPECT_EQ(split.tokens[i], c.tokens[i]);
            } else {
                EXPECT_EQ(split.tokens[i], orvo_empty_text());
                EXPECT_STREQ(split.tokens[i], "");
            }
        }
    }
}

TEST(QuotedTokenSplit, MebibyteAnswerWithoutSeparatorsIsOneToken) {
    const std::string text(1 << 20, 'x');
    const decodeORVOString split(text.c_str(), '\'');
    ASSERT_EQ(split.tokenCount, 1);
    EXPECT_EQ(split.tokens[0], text);
}
