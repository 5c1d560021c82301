#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "event_wrappers.h"

namespace {

// A revertive record as the host lays it out: the slot text stored in the record, past its declared end.
class HostRevertive {
public:
    HostRevertive(int32_t device, int32_t slot, const std::string& text)
        : bytes_(offsetof(orvo_revertive_record, slotText) + text.size() + 1, '\0') {
        record_ = new (bytes_.data()) orvo_revertive_record{device, -1, slot, -1, {'\0'}};
        std::memcpy(bytes_.data() + offsetof(orvo_revertive_record, slotText), text.c_str(), text.size() + 1);
    }
    const orvo_revertive_record* record() const { return record_; }

private:
    std::vector<char> bytes_;
    orvo_revertive_record* record_;
};

ParsedCommand hostMessage(const char* command, const char* value, int32_t subWordCount) {
    ParsedCommand message{};
    message.command = command;
    message.value = value;
    message.subWordCount = subWordCount;
    return message;
}

}  // namespace

TEST(HostEventViews, RevertiveGivesDeviceSlotAndStoredText) {
    const HostRevertive revertive(7, 183, "12");
    const RevertiveEvent event(revertive.record());
    EXPECT_EQ(event.deviceNumber(), 7);
    EXPECT_EQ(event.slotIndex(), 183);
    EXPECT_EQ(event.slotText(), "12");

    const HostRevertive empty(7, 181, "");
    EXPECT_EQ(RevertiveEvent(empty.record()).slotText(), "");
}

TEST(HostEventViews, MebibyteRevertiveTextIsCopiedWhole) {
    const std::string text(1 << 20, 'd');
    const HostRevertive revertive(1, 2, text);
    const orvo_string slotText = RevertiveEvent(revertive.record()).slotText();
    EXPECT_EQ(slotText.length(), 1 << 20);
    EXPECT_EQ(slotText.c_str(), text);
}

TEST(HostEventViews, ButtonGivesPanelControlAndMessageWords) {
    const ParsedCommand message = hostMessage("cell", "a.b", 2);
    const orvo_button_record record{0, 0, "1", "Mixer", &message};
    const ButtonEvent event(&record);
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
