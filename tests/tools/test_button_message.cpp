#include <gtest/gtest.h>

#include <string>

#include "button_message.h"
#include "host_records.h"
#include "orvo_event_kind.h"
#include "orvo_host_records.h"

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

// The builder shared by the kit and the emulator: each record as the host lays it out, the same on the
// heap and on guarded pages (which must stay readable until the call has returned).
TEST(HostRecord, CarriesWhatTheHostCarries) {
    for (HostRecord::Guard guard : {HostRecord::Guard::None, HostRecord::Guard::Pages}) {
        SCOPED_TRACE(guard == HostRecord::Guard::Pages ? "guarded" : "plain");
        HostRecord revertive = HostRecord::revertive(7, 183, "Camera 3", guard);
        const auto* slot = static_cast<const orvo_revertive_record*>(revertive.data());
        EXPECT_EQ(revertive.kind(), orvo_event_revertive);
        EXPECT_EQ(slot->deviceNumber, 7);
        EXPECT_EQ(slot->slotIndex, 183);
        EXPECT_STREQ(slot->slotText, "Camera 3");
        EXPECT_EQ(revertive.event(), "revertive 7 183 \"Camera 3\"");

        HostRecord button = HostRecord::button("1", "Mixer", "cell.3.1=a.b", guard);
        const auto* press = static_cast<const orvo_button_record*>(button.data());
        EXPECT_EQ(button.kind(), orvo_event_button);
        EXPECT_STREQ(press->panelId, "1");
        EXPECT_STREQ(press->controlId, "Mixer");
        EXPECT_STREQ(press->message->command, "cell");
        ASSERT_EQ(press->message->subWordCount, 2);
        EXPECT_STREQ(press->message->subWords[1], "1");
        EXPECT_STREQ(press->message->value, "a.b");

        HostRecord request = HostRecord::parentRequest("return=all", guard);
        EXPECT_EQ(request.kind(), orvo_event_parent);
        EXPECT_STREQ(static_cast<const char*>(request.data()), "return=all");
    }
}

}  // namespace
