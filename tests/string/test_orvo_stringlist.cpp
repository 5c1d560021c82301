// Tests of orvo_stringlist and its iterator.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "counting_allocator.h"
#include "orvo_stringlist.h"

namespace {

using orvo_test::AllocationCount;
using orvo_test::FailingAllocations;

std::string letters(int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        text += static_cast<char>('a' + i % 26);
    }
    return text;
}

std::vector<std::string> entriesOf(const orvo_stringlist& list) {
    std::vector<std::string> entries;
    for (const orvo_string& entry : list) {
        entries.emplace_back(entry.c_str());
    }
    return entries;
}

orvo_stringlist listOf(const std::vector<std::string>& entries) {
    orvo_stringlist list;
    for (const std::string& entry : entries) {
        list << orvo_string(entry.c_str());
    }
    return list;
}

using Entries = std::vector<std::string>;

TEST(OrvoStringListFromText, GivesOneEntryMoreThanThereAreSeparators) {
    struct Case {
        std::string text;
        char separator;
        Entries expected;
    };
    const Case cases[] = {
        {"", ',', {}},
        {"a", ',', {"a"}},
        {"a,b,c", ',', {"a", "b", "c"}},
        {"a,,b", ',', {"a", "", "b"}},
        {"a,", ',', {"a", ""}},
        {",a", ',', {"", "a"}},
        {",", ',', {"", ""}},
        {",,", ',', {"", "", ""}},
        {"a;b", ',', {"a;b"}},
        {"alm_1\nalm_2\nalm_3", '\n', {"alm_1", "alm_2", "alm_3"}},
        {"'ZaD SDI Router' 12", ' ', {"'ZaD", "SDI", "Router'", "12"}},
        {letters(70) + "|" + letters(5) + "|" + letters(100), '|', {letters(70), letters(5), letters(100)}},
        {"abc", 0, {"abc"}},
    };
    for (const Case& c : cases) {
        const orvo_stringlist list(orvo_string(c.text.c_str()), c.separator);
        EXPECT_EQ(list.count(), static_cast<int32_t>(c.expected.size())) << "text \"" << c.text << "\"";
        EXPECT_EQ(entriesOf(list), c.expected) << "text \"" << c.text << "\"";
        if (c.separator != 0) {
            EXPECT_EQ(std::string(list.toString(c.separator).c_str()), c.text) << "joined again";
        }
    }
}

TEST(OrvoStringListFromText, TakesOneBlockForShortEntriesAndOneMoreForEachLongEntry) {
    std::string text;
    for (int i = 0; i < 100; ++i) {
        text += (i == 0 ? "" : ",") + std::to_string(i);
    }
    const orvo_string shortEntries(text.c_str());
    {
        AllocationCount count;
        const orvo_stringlist list(shortEntries, ',');
        EXPECT_EQ(count.made(), 1);
        EXPECT_EQ(list.count(), 100);
    }
    const orvo_string someLong((letters(70) + ",a,b," + letters(80)).c_str());
    {
        AllocationCount count;
        const orvo_stringlist list(someLong, ',');
        EXPECT_EQ(count.made(), 3);
        EXPECT_EQ(list.count(), 4);
    }
    {
        AllocationCount count;
        const orvo_stringlist list(orvo_string(""), ',');
        EXPECT_EQ(count.made(), 0);
    }
}

TEST(OrvoStringListToString, JoinsTheEntriesWithTheSeparator) {
    struct Case {
        Entries entries;
        char separator;
        std::string expected;
    };
    const Case cases[] = {
        {{}, ',', ""},
        {{""}, ',', ""},
        {{"a"}, ',', "a"},
        {{"a", "b"}, ',', "a,b"},
        {{"", ""}, ',', ","},
        {{"return", "myParam", "instance"}, '\n', "return\nmyParam\ninstance"},
        {{letters(40), letters(40)}, ' ', letters(40) + " " + letters(40)},
        {{"a", "b", "c"}, 0, "abc"},  // a NUL separator would cut the text short
    };
    for (const Case& c : cases) {
        const orvo_string joined = listOf(c.entries).toString(c.separator);
        EXPECT_EQ(std::string(joined.c_str()), c.expected);
        EXPECT_EQ(joined.length(), static_cast<int32_t>(c.expected.size()));
    }
}

TEST(OrvoStringListToString, TakesOneBlockAtMostForTheResult) {
    const orvo_stringlist shortList = listOf({"a", "b", "c"});
    const orvo_stringlist longList = listOf({letters(40), letters(40), letters(100), ""});
    {
        AllocationCount count;
        const orvo_string joined = shortList.toString(',');
        EXPECT_EQ(count.made(), 0);
    }
    {
        AllocationCount count;
        const orvo_string joined = longList.toString(',');
        EXPECT_EQ(count.made(), 1);
        EXPECT_EQ(joined.length(), 183);
    }
}

TEST(OrvoStringListIteration, WalksTheEntriesInOrder) {
    const orvo_stringlist empty;
    EXPECT_TRUE(empty.begin() == empty.end());
    EXPECT_FALSE(empty.begin() != empty.end());
    EXPECT_EQ(empty.count(), 0);

    const orvo_stringlist list(orvo_string("Select,Deselect,Network"), ',');
    orvo_stringlistIterator at = list.begin();
    ASSERT_TRUE(at != list.end());
    EXPECT_STREQ((*at).c_str(), "Select");
    EXPECT_EQ(at->length(), 6);
    EXPECT_STREQ((++at)->c_str(), "Deselect");
    ++at;
    EXPECT_TRUE(*at == "Network");
    ++at;
    EXPECT_TRUE(at == list.end());

    int32_t visited = 0;
    for (orvo_stringlistIterator it = list.begin(); it != list.end(); ++it) {
        ++visited;
    }
    EXPECT_EQ(visited, list.count());
}

TEST(OrvoStringListAppend, AddsCopiesAtTheEnd) {
    orvo_stringlist list;
    orvo_string entry("first");
    list << entry << orvo_string(letters(100).c_str()) << "";
    entry = "changed";
    EXPECT_EQ(entriesOf(list), (Entries{"first", letters(100), ""}));

    // Appending an entry of the list itself, also when the list has to grow.
    for (int i = 0; i < 20; ++i) {
        list << *list.begin();
    }
    EXPECT_EQ(list.count(), 23);
    EXPECT_EQ(entriesOf(list).back(), "first");
}

TEST(OrvoStringListCopies, CopiesAreIndependentAndMovesEmptyTheSource) {
    orvo_stringlist original = listOf({"a", letters(100), "c"});
    orvo_stringlist copy(original);
    copy << "d";
    EXPECT_EQ(entriesOf(original), (Entries{"a", letters(100), "c"}));
    EXPECT_EQ(entriesOf(copy), (Entries{"a", letters(100), "c", "d"}));

    orvo_stringlist assigned = listOf({"x"});
    assigned = original;
    EXPECT_EQ(entriesOf(assigned), entriesOf(original));
    orvo_stringlist& alias = assigned;
    assigned = alias;
    EXPECT_EQ(entriesOf(assigned), entriesOf(original));

    orvo_stringlist moved(std::move(copy));
    EXPECT_EQ(moved.count(), 4);
    EXPECT_EQ(copy.count(), 0);  // NOLINT(bugprone-use-after-move): a moved-from list is empty
    orvo_stringlist moveAssigned;
    moveAssigned = std::move(moved);
    EXPECT_EQ(moveAssigned.count(), 4);
    EXPECT_EQ(moved.count(), 0);  // NOLINT(bugprone-use-after-move): so is a list moved by assignment
}

TEST(OrvoStringListOutOfMemory, AFailedChangeLeavesTheListAsItWas) {
    const orvo_stringlist source = listOf({letters(100), letters(100), letters(100)});
    const orvo_string longEntry(letters(100).c_str());
    struct Case {
        const char* behaviour;
        int64_t allowed;
        void (*operation)(orvo_stringlist& list, const orvo_stringlist& source, const orvo_string& entry);
    };
    const Case cases[] = {
        {"append a long entry", 0,
         [](orvo_stringlist& list, const orvo_stringlist&, const orvo_string& e) { list << e; }},
        {"append a long entry once the list's larger block is had", 1,
         [](orvo_stringlist& list, const orvo_stringlist&, const orvo_string& e) { list << e; }},
        {"assign a list whose second entry cannot be copied", 2,
         [](orvo_stringlist& list, const orvo_stringlist& s, const orvo_string&) { list = s; }},
    };
    for (const Case& c : cases) {
        orvo_stringlist list = listOf({"x", "y"});
        const int64_t liveBefore = orvo_test::blocksLive;
        bool threw = false;
        {
            FailingAllocations failing(c.allowed);
            try {
                c.operation(list, source, longEntry);
            } catch (const std::bad_alloc&) {
                threw = true;
            }
        }
        EXPECT_TRUE(threw) << c.behaviour;
        EXPECT_EQ(entriesOf(list), (Entries{"x", "y"})) << c.behaviour;
        EXPECT_EQ(orvo_test::blocksLive, liveBefore) << c.behaviour << ": a block leaked";
    }
}

TEST(OrvoStringListOutOfMemory, AFailedSplitOrJoinGivesBackEveryBlock) {
    const orvo_string text((letters(70) + "," + letters(70) + "," + letters(70)).c_str());
    const orvo_stringlist list(text, ',');
    const int64_t liveBefore = orvo_test::blocksLive;
    for (int64_t allowed : {0, 1, 2}) {
        bool threw = false;
        {
            FailingAllocations failing(allowed);
            try {
                const orvo_stringlist again(text, ',');
            } catch (const std::bad_alloc&) {
                threw = true;
            }
        }
        EXPECT_TRUE(threw) << allowed << " allocations allowed";
        EXPECT_EQ(orvo_test::blocksLive, liveBefore) << allowed << " allocations allowed";
    }
    bool threw = false;
    {
        FailingAllocations failing;
        try {
            const orvo_string joined = list.toString(',');
        } catch (const std::bad_alloc&) {
            threw = true;
        }
    }
    EXPECT_TRUE(threw);
    EXPECT_EQ(orvo_test::blocksLive, liveBefore);
}

}  // namespace
