// Tests of orvo_string. The program runs on the tests' counting allocator, so that a test can count the
// blocks a string takes and make the next allocations fail.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "counting_allocator.h"
#include "orvo_string.h"

namespace {

using orvo_test::AllocationCount;
using orvo_test::FailingAllocations;

// Runs `action` with allocations failing; true when it threw std::bad_alloc.
template <typename Action>
bool throwsBadAlloc(Action action) {
    FailingAllocations failing;
    try {
        action();
    } catch (const std::bad_alloc&) {
        return true;
    }
    return false;
}

// A text of `length` characters, cycling through the lower-case letters.
std::string letters(int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        text += static_cast<char>('a' + i % 26);
    }
    return text;
}

// Hidden behind a call so the compiler does not warn about the self-assignment it is there to test.
orvo_string& same(orvo_string& s) {
    return s;
}

const int kInline = orvo_string::kInlineCapacity;

// ---------------------------------------------------------------------------------------------------------
// toInt

TEST(OrvoStringToInt, ReadsBlanksSignAndDigitsUpToTheFirstOtherCharacter) {
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"1", 1},
        {"-1", -1},
        {"+7", 7},
        {"  42", 42},
        {" \t\r\n\v\f9", 9},
        {"12abc", 12},
        {"12 34", 12},
        {"1-", 1},
        {"007", 7},
        {"-0", 0},
        {"", 0},
        {"abc", 0},
        {"-", 0},
        {"+", 0},
        {"--1", 0},
        {"+-1", 0},
        {"- 1", 0},
        {"0x10", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"4294967297", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"99999999999999999999999999999999", INT32_MAX},
        {"-99999999999999999999999999999999", INT32_MIN},
        {"0000000000000000000000000000000000000012", 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(orvo_string(c.text).toInt(), c.expected) << "text \"" << c.text << "\"";
    }
}

TEST(OrvoStringToInt, SaturatesOnARunOfDigitsFarLongerThanAnyNumber) {
    const std::string digits(10000, '9');
    EXPECT_EQ(orvo_string(digits.c_str()).toInt(), INT32_MAX);
    EXPECT_EQ(orvo_string(("-" + digits).c_str()).toInt(), INT32_MIN);
    EXPECT_EQ(orvo_string((std::string(10000, '0') + "5").c_str()).toInt(), 5);
}

// ---------------------------------------------------------------------------------------------------------
// Integer texts: the constructor and arg(int, fill, width, base)

struct IntegerCase {
    int32_t value;
    char fill;
    int32_t width;
    int32_t base;
    const char* expected;
};

const IntegerCase kIntegerCases[] = {
    {1, 0, 0, 10, "1"},
    {0, 0, 0, 10, "0"},
    {-1, 0, 0, 10, "-1"},
    {7, '0', 3, 10, "007"},
    {0, '0', 3, 10, "000"},
    {12, '0', 3, 10, "012"},
    {1234, '0', 3, 10, "1234"},
    {-1, '0', 3, 10, "-001"},
    {-7, '0', 3, 10, "-007"},
    {-7, '0', 2, 10, "-07"},
    {-123, '0', 3, 10, "-123"},
    {-1, '0', 0, 10, "-1"},
    {12, 0, 5, 10, "   12"},
    {-7, 0, 4, 10, "  -7"},
    {-7, '*', 4, 10, "**-7"},
    {5, 0, -3, 10, "5"},
    {INT32_MAX, 0, 0, 10, "2147483647"},
    {INT32_MIN, 0, 0, 10, "-2147483648"},
    {INT32_MIN, '0', 12, 10, "-002147483648"},
    {255, 0, 0, 16, "ff"},
    {-255, '0', 4, 16, "-00ff"},
    {35, 0, 0, 36, "z"},
    {5, 0, 0, 2, "101"},
    {INT32_MIN, 0, 0, 2, "-10000000000000000000000000000000"},
    {-1, 0, 0, 2, "-1"},
    {INT32_MAX, 0, 0, 2, "1111111111111111111111111111111"},
    {10, 0, 0, 1, "10"},
    {10, 0, 0, 37, "10"},
    {10, 0, 0, 0, "10"},
    {10, 0, 0, -16, "10"},
};

TEST(OrvoStringFromInteger, WritesDigitsInTheBaseWithFillAndWidth) {
    for (const IntegerCase& c : kIntegerCases) {
        const orvo_string text(c.value, c.fill, c.width, c.base);
        EXPECT_STREQ(text.c_str(), c.expected)
            << "value " << c.value << " fill " << int{c.fill} << " width " << c.width << " base " << c.base;
        EXPECT_EQ(text.length(), static_cast<int32_t>(std::string(c.expected).size()));
    }
}

TEST(OrvoStringFromInteger, ArgWritesTheSameTextAsTheConstructor) {
    for (const IntegerCase& c : kIntegerCases) {
        const orvo_string text = orvo_string("<%1>").arg(c.value, c.fill, c.width, c.base);
        EXPECT_EQ(std::string(text.c_str()), "<" + std::string(c.expected) + ">")
            << "value " << c.value << " fill " << int{c.fill} << " width " << c.width << " base " << c.base;
    }
}

TEST(OrvoStringFromInteger, WidthBeyondTheInlineBufferPadsOnTheHeap) {
    const orvo_string text(42, '0', 100, 10);
    EXPECT_EQ(text.length(), 100);
    EXPECT_EQ(std::string(text.c_str()), std::string(98, '0') + "42");
    EXPECT_EQ(text.toInt(), 42);
}

// ---------------------------------------------------------------------------------------------------------
// arg

TEST(OrvoStringArg, FillsTheLowestRemainingMarker) {
    const orvo_string longValue(letters(100).c_str());
    struct Case {
        const char* behaviour;
        orvo_string result;
        std::string expected;
    };
    const Case cases[] = {
        {"chained calls fill %1, %2, %3", orvo_string("RN %1 %2 %3").arg(5).arg(1).arg(12), "RN 5 1 12"},
        {"every occurrence of the marker", orvo_string("%1-%1/%1").arg("x"), "x-x/x"},
        {"lowest first, wherever it stands", orvo_string("%2 %1").arg("a"), "%2 a"},
        {"then the next", orvo_string("%2 %1").arg("a").arg("b"), "b a"},
        {"higher markers before and between", orvo_string("%3 %2 %1 %2 %1").arg("x"), "%3 %2 x %2 x"},
        {"gaps in the numbering are skipped", orvo_string("%9 %3").arg("a"), "%9 a"},
        {"no marker: unchanged", orvo_string("no marker").arg("x"), "no marker"},
        {"all markers used: unchanged", orvo_string("%1").arg("a").arg("b"), "a"},
        {"empty text", orvo_string("").arg("x"), ""},
        {"empty value", orvo_string("[%1]").arg(""), "[]"},
        {"null value reads as empty", orvo_string("[%1]").arg(static_cast<const char*>(nullptr)), "[]"},
        {"inserted marker not replaced again", orvo_string("%1").arg("%1"), "%1"},
        {"inserted markers stay as written", orvo_string("%1%1").arg("%1%1"), "%1%1%1%1"},
        {"inserted %2 waits for the next call", orvo_string("%1 %2").arg("%2"), "%2 %2"},
        {"percent before a marker is text", orvo_string("%%1").arg("x"), "%x"},
        {"lone percent at the end", orvo_string("100%").arg("x"), "100%"},
        {"%0 is not a marker", orvo_string("%0 %1").arg("x"), "%0 x"},
        {"%10 is %1 then 0", orvo_string("%10").arg("x"), "x0"},
        {"quoted command field", orvo_string("TS '1' '%1' '%2'").arg("Mixer").arg("row 3"),
         "TS '1' 'Mixer' 'row 3'"},
        {"integer with fill and width", orvo_string("%1").arg(7, '0', 3), "007"},
        {"most negative integer", orvo_string("IW %1").arg(INT32_MIN), "IW -2147483648"},
        {"long value", orvo_string("<%1>").arg(longValue), "<" + letters(100) + ">"},
        {"long value twice", orvo_string("%1%1").arg(longValue), letters(100) + letters(100)},
        {"long text, short value", orvo_string((letters(80) + "%1").c_str()).arg(3), letters(80) + "3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(c.result.c_str()), c.expected) << c.behaviour;
        EXPECT_EQ(c.result.length(), static_cast<int32_t>(c.expected.size())) << c.behaviour;
    }
}

TEST(OrvoStringArg, TakesItsOwnTextAsTheValue) {
    const orvo_string format("%1!");
    EXPECT_STREQ(format.arg(format).c_str(), "%1!!");
    EXPECT_STREQ(format.c_str(), "%1!");
}

TEST(OrvoStringArg, AllocatesOnceForALongResultAndNeverForAShortOne) {
    const orvo_string longFormat((letters(70) + "%1%2").c_str());
    const orvo_string longValue(letters(70).c_str());
    const orvo_string shortFormat("RN %1 %2 %3");
    {
        AllocationCount count;
        const orvo_string result = longFormat.arg("x");
        EXPECT_EQ(count.made(), 1);
    }
    {
        AllocationCount count;
        const orvo_string result = shortFormat.arg(longValue);
        EXPECT_EQ(count.made(), 1);
    }
    {
        AllocationCount count;
        const orvo_string result = shortFormat.arg(1234, '0', 5).arg("abc").arg(-5);
        EXPECT_EQ(count.made(), 0);
    }
}

// ---------------------------------------------------------------------------------------------------------
// replace

TEST(OrvoStringReplace, ReplacesEveryOccurrenceInPlace) {
    struct Case {
        std::string text;
        char from;
        char to;
        std::string expected;
    };
    const Case cases[] = {
        {"a,b,,c", ',', ';', "a;b;;c"},
        {"abc", 'x', 'y', "abc"},
        {"abc", 'b', 'b', "abc"},
        {"", 'a', 'b', ""},
        {"a b c", ' ', '_', "a_b_c"},
        {letters(100), 'a', 'A',
         [] {
             std::string expected = letters(100);
             for (char& c : expected) {
                 c = c == 'a' ? 'A' : c;
             }
             return expected;
         }()},
        {"a,b", ',', 0, "a,b"},  // refused: a NUL would cut the text short
        {"abc", 0, 'x', "abc"},  // the text holds no NUL to replace
    };
    for (const Case& c : cases) {
        orvo_string text(c.text.c_str());
        text.replace(c.from, c.to);
        EXPECT_EQ(std::string(text.c_str()), c.expected) << "text \"" << c.text << "\"";
        EXPECT_EQ(text.length(), static_cast<int32_t>(c.expected.size()));
    }
}

// ---------------------------------------------------------------------------------------------------------
// split

TEST(OrvoStringSplit, DividesAtTheFirstSeparator) {
    struct Case {
        std::string text;
        char separator;
        std::string left;
        std::string right;
        int32_t position;
    };
    const Case cases[] = {
        {"a,b", ',', "a", "b", 1},   {"a,b,c", ',', "a", "b,c", 1},
        {"abc", ',', "abc", "", -1}, {"", ',', "", "", -1},
        {",a", ',', "", "a", 0},     {"a,", ',', "a", "", 1},
        {",", ',', "", "", 0},       {"name=value", '=', "name", "value", 4},
        {"abc", 0, "abc", "", -1},   {letters(70) + "|" + letters(80), '|', letters(70), letters(80), 70},
    };
    for (const Case& c : cases) {
        orvo_string left("old left");
        orvo_string right(letters(90).c_str());
        const int32_t position = orvo_string(c.text.c_str()).split(c.separator, left, right);
        EXPECT_EQ(position, c.position) << "text \"" << c.text << "\"";
        EXPECT_EQ(std::string(left.c_str()), c.left) << "text \"" << c.text << "\"";
        EXPECT_EQ(std::string(right.c_str()), c.right) << "text \"" << c.text << "\"";
        EXPECT_EQ(left.length(), static_cast<int32_t>(c.left.size()));
        EXPECT_EQ(right.length(), static_cast<int32_t>(c.right.size()));
    }
}

TEST(OrvoStringSplit, OneObjectForBothOutputsEndsWithTheRightPart) {
    orvo_string both("unchanged?");
    EXPECT_EQ(orvo_string("left:right").split(':', both, both), 4);
    EXPECT_STREQ(both.c_str(), "right");
    EXPECT_EQ(orvo_string("no separator").split(':', both, both), -1);
    EXPECT_STREQ(both.c_str(), "");
}

TEST(OrvoStringSplit, ItsOwnTextMayBeAnOutput) {
    struct Case {
        std::string left;
        std::string right;
    };
    const Case cases[] = {{"ab", "cd"}, {letters(70), letters(90)}, {"", letters(64)}, {letters(64), ""}};
    for (const Case& c : cases) {
        const std::string whole = c.left + "," + c.right;
        {
            orvo_string text(whole.c_str());
            orvo_string right;
            text.split(',', text, right);
            EXPECT_EQ(std::string(text.c_str()), c.left);
            EXPECT_EQ(std::string(right.c_str()), c.right);
        }
        {
            orvo_string text(whole.c_str());
            orvo_string left;
            text.split(',', left, text);
            EXPECT_EQ(std::string(left.c_str()), c.left);
            EXPECT_EQ(std::string(text.c_str()), c.right);
        }
        {
            orvo_string text(whole.c_str());
            text.split(',', text, text);
            EXPECT_EQ(std::string(text.c_str()), c.right);
        }
    }
}

// ---------------------------------------------------------------------------------------------------------
// Comparisons

TEST(OrvoStringEquality, IntegerMatchesOnlyThePlainDecimalForm) {
    struct Case {
        const char* text;
        int32_t value;
        bool equal;
    };
    const Case cases[] = {
        {"1", 1, true},
        {"01", 1, false},
        {"-1", -1, true},
        {"+1", 1, false},
        {" 1", 1, false},
        {"1 ", 1, false},
        {"1", 2, false},
        {"0", 0, true},
        {"-0", 0, false},
        {"", 0, false},
        {"183", 183, true},
        {"2147483647", INT32_MAX, true},
        {"-2147483648", INT32_MIN, true},
        {"2147483648", INT32_MIN, false},
        {"a", 0, false},
    };
    for (const Case& c : cases) {
        const orvo_string text(c.text);
        EXPECT_EQ(text == c.value, c.equal) << "\"" << c.text << "\" == " << c.value;
        EXPECT_EQ(text != c.value, !c.equal) << "\"" << c.text << "\" != " << c.value;
    }
}

TEST(OrvoStringEquality, TextsCompareExactlyAndCaseSensitively) {
    struct Case {
        std::string left;
        std::string right;
        bool equal;
    };
    const Case cases[] = {
        {"Mixer", "Mixer", true},
        {"Mixer", "mixer", false},
        {"Mix", "Mixer", false},
        {"Mixer", "Mix", false},
        {"", "", true},
        {"", " ", false},
        {letters(100), letters(100), true},
        {letters(100), letters(99) + "!", false},
        {letters(63), letters(64), false},
    };
    for (const Case& c : cases) {
        const orvo_string left(c.left.c_str());
        const orvo_string right(c.right.c_str());
        EXPECT_EQ(left == c.right.c_str(), c.equal) << "\"" << c.left << "\" == \"" << c.right << "\"";
        EXPECT_EQ(left != c.right.c_str(), !c.equal);
        EXPECT_EQ(left == right, c.equal);
        EXPECT_EQ(left != right, !c.equal);
        EXPECT_EQ(right == left, c.equal);
    }
}

TEST(OrvoStringEquality, NullTextIsTheEmptyText) {
    const char* const none = nullptr;
    EXPECT_TRUE(orvo_string("") == none);
    EXPECT_FALSE(orvo_string("a") == none);
    EXPECT_TRUE(orvo_string(none) == "");
    EXPECT_EQ(orvo_string(none).length(), 0);
}

// ---------------------------------------------------------------------------------------------------------
// Construction, assignment, concatenation

TEST(OrvoStringStorage, KeepsTextsEitherSideOfTheInlineBoundary) {
    for (int length : {0, 1, kInline - 1, kInline, kInline + 1, 200, 5000}) {
        const std::string text = letters(length);
        const orvo_string fromText(text.c_str());
        EXPECT_EQ(fromText.length(), length);
        EXPECT_EQ(std::string(fromText.c_str()), text);

        orvo_string assigned("x");
        assigned = text.c_str();
        EXPECT_EQ(assigned.length(), length);
        EXPECT_EQ(std::string(assigned.c_str()), text);
    }
}

TEST(OrvoStringStorage, ShortTextsTakeNoBlockAndLongOnesExactlyOne) {
    const std::string inlineText = letters(kInline);
    const std::string heapText = letters(kInline + 1);
    {
        AllocationCount count;
        orvo_string empty;
        orvo_string fromText(inlineText.c_str());
        orvo_string copy(fromText);
        orvo_string number(INT32_MIN, '0', 20, 10);
        copy = fromText;
        copy = "short";
        copy += "er";
        orvo_string joined = copy + "!" + number.c_str() + copy;
        joined = "x";
        joined += joined;
        orvo_string left;
        orvo_string right;
        orvo_string("a,b").split(',', left, right);
        EXPECT_EQ(count.made(), 0);
    }
    {
        AllocationCount count;
        const orvo_string fromText(heapText.c_str());
        EXPECT_EQ(count.made(), 1);
        EXPECT_EQ(fromText.length(), kInline + 1);
    }
}

TEST(OrvoStringStorage, ShortOperationsSucceedWhileNoMemoryCanBeHad) {
    bool threw = false;
    bool rightText = false;
    {
        FailingAllocations failing;
        try {
            orvo_string command("PI '%1' '%2'");
            command = command.arg("1").arg(7, '0', 3);
            command += " ";
            command += orvo_string(-42, 0, 0, 10);
            orvo_string left;
            orvo_string right;
            command.split(' ', left, right);
            command = left + "|" + right;
            command.replace('\'', '"');
            rightText = command == "PI|\"1\" \"007\" -42";
        } catch (const std::bad_alloc&) {
            threw = true;
        }
    }
    EXPECT_FALSE(threw);
    EXPECT_TRUE(rightText);
}

TEST(OrvoStringStorage, CopiesAndMovesOfInlineAndHeapTexts) {
    for (int length : {0, 5, kInline, kInline + 1, 200}) {
        const std::string text = letters(length);
        const bool onHeap = length > kInline;
        SCOPED_TRACE("length " + std::to_string(length));

        orvo_string original(text.c_str());
        {
            AllocationCount count;
            orvo_string copy(original);
            EXPECT_EQ(count.made(), onHeap ? 1 : 0);
            copy.replace('a', '#');
            EXPECT_EQ(std::string(original.c_str()), text) << "the copy is independent";
        }
        {
            orvo_string source(text.c_str());
            AllocationCount count;
            orvo_string moved(std::move(source));
            EXPECT_EQ(count.made(), 0);
            EXPECT_EQ(std::string(moved.c_str()), text);
            EXPECT_EQ(source.length(), 0);
            EXPECT_STREQ(source.c_str(), "");
            source = "reused";
            EXPECT_STREQ(source.c_str(), "reused");
        }
        for (int targetLength : {3, 150}) {
            orvo_string source(text.c_str());
            orvo_string target(letters(targetLength).c_str());
            AllocationCount count;
            target = std::move(source);
            EXPECT_EQ(count.made(), 0);
            EXPECT_EQ(std::string(target.c_str()), text);
            EXPECT_EQ(source.length(), 0);

            orvo_string copyTarget(letters(targetLength).c_str());
            copyTarget = original;
            EXPECT_EQ(std::string(copyTarget.c_str()), text);
            EXPECT_EQ(copyTarget.length(), length);
        }
    }
}

TEST(OrvoStringStorage, SelfAssignmentKeepsTheText) {
    for (int length : {5, 200}) {
        const std::string text = letters(length);
        orvo_string s(text.c_str());
        s = same(s);
        EXPECT_EQ(std::string(s.c_str()), text);
        s = std::move(same(s));
        EXPECT_EQ(std::string(s.c_str()), text);
        s = same(s).c_str();
        EXPECT_EQ(std::string(s.c_str()), text);
        s = s.c_str() + 1;  // a text inside the string's own buffer
        EXPECT_EQ(std::string(s.c_str()), text.substr(1));
    }
}

TEST(OrvoStringAppend, AppendsTextsAndStringsAcrossTheInlineBoundary) {
    struct Case {
        std::string start;
        std::string added;
    };
    std::vector<Case> cases = {
        {"", ""},
        {"abc", ""},
        {"", "abc"},
        {"PI '1' ", "'layout'"},
        {letters(kInline), ""},
        {letters(kInline), "x"},
        {letters(kInline - 1), "x"},
        {letters(40), letters(40)},
        {letters(100), letters(100)},
    };
    // A string grows by doubling, or to the whole text when that is more: results one under, at and one
    // over twice the room of an inline and of a heap string.
    for (const int start : {0, 1, kInline, kInline + 1, 100}) {
        const int room = start > kInline ? start : kInline;
        for (const int over : {-1, 0, 1}) {
            cases.push_back({letters(start), letters(2 * room - start + over)});
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start.size()) + " + " + std::to_string(c.added.size()));
        orvo_string byText(c.start.c_str());
        byText += c.added.c_str();
        EXPECT_EQ(std::string(byText.c_str()), c.start + c.added);
        EXPECT_EQ(byText.length(), static_cast<int32_t>(c.start.size() + c.added.size()));

        orvo_string byString(c.start.c_str());
        byString += orvo_string(c.added.c_str());
        EXPECT_EQ(std::string(byString.c_str()), c.start + c.added);
    }
    orvo_string none("a");
    none += static_cast<const char*>(nullptr);
    EXPECT_STREQ(none.c_str(), "a");
}

TEST(OrvoStringAppend, AppendingItselfDoublesTheText) {
    for (int length : {1, 31, 32, 40, kInline, 100}) {
        const std::string text = letters(length);
        orvo_string s(text.c_str());
        s += same(s);
        EXPECT_EQ(std::string(s.c_str()), text + text) << "length " << length;
        s += s.c_str() + length;  // its own second half, as a text
        EXPECT_EQ(std::string(s.c_str()), text + text + text) << "length " << length;
    }
}

TEST(OrvoStringAppend, RepeatedAppendsTakeFewBlocks) {
    orvo_string line;
    AllocationCount count;
    for (int i = 0; i < 10000; ++i) {
        line += "x";
    }
    EXPECT_EQ(line.length(), 10000);
    // Doubling from 63 reaches 10000 in 8 blocks.
    EXPECT_LE(count.made(), 8);
}

TEST(OrvoStringConcatenation, JoinsInAllThreeFormsWithOneBlockAtMost) {
    struct Case {
        std::string left;
        std::string right;
    };
    const Case cases[] = {
        {"", ""},
        {"RN ", "5"},
        {letters(kInline), "x"},
        {letters(30), letters(33)},
        {letters(100), letters(7)},
    };
    for (const Case& c : cases) {
        const std::string expected = c.left + c.right;
        const int64_t blocks = expected.size() > static_cast<size_t>(kInline) ? 1 : 0;
        const orvo_string left(c.left.c_str());
        const orvo_string right(c.right.c_str());
        {
            AllocationCount count;
            const orvo_string joined = left + right;
            EXPECT_EQ(count.made(), blocks);
            EXPECT_EQ(std::string(joined.c_str()), expected);
            EXPECT_EQ(joined.length(), static_cast<int32_t>(expected.size()));
        }
        {
            AllocationCount count;
            const orvo_string joined = left + c.right.c_str();
            EXPECT_EQ(count.made(), blocks);
            EXPECT_EQ(std::string(joined.c_str()), expected);
        }
        {
            AllocationCount count;
            const orvo_string joined = c.left.c_str() + right;
            EXPECT_EQ(count.made(), blocks);
            EXPECT_EQ(std::string(joined.c_str()), expected);
        }
    }
    const char* const none = nullptr;
    EXPECT_STREQ((orvo_string("a") + none).c_str(), "a");
    EXPECT_STREQ((none + orvo_string("b")).c_str(), "b");
    const orvo_string self("ab");
    EXPECT_STREQ((self + self).c_str(), "abab");
}

// ---------------------------------------------------------------------------------------------------------
// Failing allocations

TEST(OrvoStringOutOfMemory, AFailedOperationLeavesTheStringAsItWas) {
    const orvo_string longText(letters(100).c_str());
    const orvo_string longerText(letters(300).c_str());
    struct Case {
        std::string start;
        const char* behaviour;
        void (*operation)(orvo_string& s, const orvo_string& longText, const orvo_string& longerText);
    };
    const Case cases[] = {
        {"short", "assign a long text",
         [](orvo_string& s, const orvo_string& l, const orvo_string&) { s = l.c_str(); }},
        {"short", "copy a long string",
         [](orvo_string& s, const orvo_string& l, const orvo_string&) { s = l; }},
        {letters(100), "assign a longer text",
         [](orvo_string& s, const orvo_string&, const orvo_string& l) { s = l.c_str(); }},
        {"short", "append a long text",
         [](orvo_string& s, const orvo_string& l, const orvo_string&) { s += l; }},
        {letters(kInline), "append one character past the inline buffer",
         [](orvo_string& s, const orvo_string&, const orvo_string&) { s += "x"; }},
        {letters(100), "append past the block",
         [](orvo_string& s, const orvo_string&, const orvo_string& l) { s += l.c_str(); }},
        {letters(40), "append itself past the inline buffer",
         [](orvo_string& s, const orvo_string&, const orvo_string&) { s += s; }},
        {"short", "assign a long concatenation",
         [](orvo_string& s, const orvo_string& l, const orvo_string&) { s = l + "x"; }},
        {"short", "assign a long arg result",
         [](orvo_string& s, const orvo_string& l, const orvo_string&) { s = orvo_string("%1").arg(l); }},
        {"short", "assign a wide number",
         [](orvo_string& s, const orvo_string&, const orvo_string&) { s = orvo_string(1, '0', 100, 10); }},
    };
    for (const Case& c : cases) {
        orvo_string s(c.start.c_str());
        const int64_t liveBefore = orvo_test::blocksLive;
        const bool threw = throwsBadAlloc([&] { c.operation(s, longText, longerText); });
        EXPECT_TRUE(threw) << c.behaviour;
        EXPECT_EQ(std::string(s.c_str()), c.start) << c.behaviour;
        EXPECT_EQ(s.length(), static_cast<int32_t>(c.start.size())) << c.behaviour;
        EXPECT_EQ(orvo_test::blocksLive, liveBefore) << c.behaviour << ": a block leaked";
        s += "!";
        EXPECT_EQ(std::string(s.c_str()), c.start + "!") << c.behaviour << ": still usable";
    }
}

TEST(OrvoStringOutOfMemory, AFailedSplitLeavesBothOutputsAsTheyWere) {
    const std::string whole = letters(70) + "," + letters(80);
    const orvo_string text(whole.c_str());
    for (int64_t allowed : {0, 1}) {
        orvo_string left("old left");
        orvo_string right("old right");
        const int64_t liveBefore = orvo_test::blocksLive;
        bool threw = false;
        {
            FailingAllocations failing(allowed);  // 1: the left part gets its block, the right part not
            try {
                text.split(',', left, right);
            } catch (const std::bad_alloc&) {
                threw = true;
            }
        }
        EXPECT_TRUE(threw) << allowed << " allocations allowed";
        EXPECT_STREQ(left.c_str(), "old left");
        EXPECT_STREQ(right.c_str(), "old right");
        EXPECT_EQ(orvo_test::blocksLive, liveBefore) << "a block leaked";
    }
}

TEST(OrvoStringOutOfMemory, DestroyedStringsGiveBackEveryBlock) {
    const int64_t liveBefore = orvo_test::blocksLive;
    {
        orvo_string a(letters(100).c_str());
        orvo_string b(a);
        orvo_string c(std::move(a));
        b = c + c;
        b += b;
        c = orvo_string("%1%1").arg(b);
        orvo_string left;
        orvo_string right;
        c.split('z', left, right);
        a = std::move(left);
    }
    EXPECT_EQ(orvo_test::blocksLive, liveBefore);
}

}  // namespace
