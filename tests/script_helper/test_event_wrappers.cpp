#include <gtest/gtest.h>

#include <string>

#include "event_wrappers.h"
#include "host_records.h"

namespace {

// The record a host event carries, as the host lays it out.
const orvo_revertive_record* revertiveOf(const HostRecord& record) {
    return static_cast<const orvo_revertive_record*>(record.data());
}

ParsedCommand hostMessage(const char* command, const char* value, int32_t subWordCount) {
    ParsedCommand message{};
    message.command = command;
    message.value = value;
    message.subWordCount = subWordCount;
    return message;
}

}  // namespace

TEST(HostEventViews, RevertiveGivesDeviceSlotAndStoredText) {
    const HostRecord revertive = HostRecord::revertive(7, 183, "12");
    const RevertiveEvent event(revertiveOf(revertive));
    EXPECT_EQ(event.deviceNumber(), 7);
    EXPECT_EQ(event.slotIndex(), 183);
    EXPECT_EQ(event.slotText(), "12");

    const HostRecord empty = HostRecord::revertive(7, 181, "");
    EXPECT_EQ(RevertiveEvent(revertiveOf(empty)).slotText(), "");
}

TEST(HostEventViews, MebibyteRevertiveTextIsCopiedWhole) {
    const std::string text(1 << 20, 'd');
    const HostRecord revertive = HostRecord::revertive(1, 2, text);
    const orvo_string slotText = RevertiveEvent(revertiveOf(revertive)).slotText();
    EXPECT_EQ(slotText.length(), 1 << 20);
    EXPECT_EQ(slotText.c_str(), text);
}

TEST(HostEventViews, ButtonGivesPanelControlAndMessageWords) {
    const HostRecord record = HostRecord::button("1", "Mixer", "cell.x=a.b");
    const ButtonEvent event(static_cast<const orvo_button_record*>(record.data()));
    EXPECT_EQ(event.panelId(), "1");
    EXPECT_EQ(event.controlId(), "Mixer");
    EXPECT_EQ(event.messageCommand(), "cell");
    EXPECT_EQ(event.messageValue(), "a.b");
}

TEST(HostEventViews, ParentRequestGivesCommandAndValue) {
    ParsedCommand request{};
    request.parseCommand("myParam=x=y");
    const ParentRequest view(&request);
    EXPECT_EQ(view.requestCommand(), "myParam");
    EXPECT_EQ(view.requestValue(), "x=y");
    request.release();
}

TEST(HostEventViews, NullRecordsAndNullTextsReadAsEmpty) {
    const RevertiveEvent noRevertive(nullptr);
    EXPECT_EQ(noRevertive.deviceNumber(), 0);
    EXPECT_EQ(noRevertive.slotIndex(), 0);
    EXPECT_EQ(noRevertive.slotText(), "");

    // A host message whose count is out of range must not matter: only command and value are read.
    const ParsedCommand nullTexts = hostMessage(nullptr, nullptr, 1000);
    const ParsedCommand negativeCount = hostMessage("select", nullptr, -5);
    const orvo_button_record noTexts{0, 0, nullptr, nullptr, nullptr};
    const orvo_button_record nullMessageTexts{0, 0, nullptr, nullptr, &nullTexts};
    const orvo_button_record badCount{0, 0, "1", "Dest", &negativeCount};
    for (const orvo_button_record* record :
         {static_cast<const orvo_button_record*>(nullptr), &noTexts, &nullMessageTexts, &badCount}) {
        const ButtonEvent event(record);
        const bool named = record == &badCount;
        EXPECT_EQ(event.panelId(), named ? "1" : "");
        EXPECT_EQ(event.controlId(), named ? "Dest" : "");
        EXPECT_EQ(event.messageCommand(), named ? "select" : "");
        EXPECT_EQ(event.messageValue(), "");
    }

    for (const ParsedCommand* request : {static_cast<const ParsedCommand*>(nullptr), &nullTexts}) {
        const ParentRequest view(request);
        EXPECT_EQ(view.requestCommand(), "");
        EXPECT_EQ(view.requestValue(), "");
    }
}
