// The tally information driver's revertives and the poll timer.
#include <gtest/gtest.h>

#include "panel_story.h"

namespace {

using CorvaneTally = StartedPanel;

const Lines kRepeatedPoll = {"debug Corvane: Repeating poll of tally infodriver.", "IP 7 181 196"};

TEST_F(CorvaneTally, TakesOnlyTheSixteenSlotsOfTheTallyDriver) {
    struct Case {
        int32_t device;
        int32_t slot;
        const char* text;
        Lines expected;
    };
    const Case cases[] = {
        {7, 180, "12", {}},
        {7, 197, "12", {}},
        {7, -181, "12", {}},
        {3, 185, "12", {}},
        {0, 185, "12", {}},
        {7, 181, "12", redraw(1, "012", nameLookup(12, nullptr), "", "")},
        {7, 196, "12", redraw(16, "012", nameLookup(12, nullptr), "", "")},
        // The width counts digits only: the sign comes on top.
        {7, 182, "-1", redraw(2, "-001", nameLookup(-1, nullptr), "", "")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("device " + std::to_string(c.device) + " slot " + std::to_string(c.slot));
        story.report(c.slot, c.text, c.device);
        EXPECT_EQ(story.sent(), c.expected);
    }
}

TEST_F(CorvaneTally, AReportOverridesAPendingEditAndLeavesNetworkAlone) {
    story.nameDest(9, "VT|2");
    story.report(185, "3");
    story.chooseRow(5);
    story.pickDest(7);
    story.press("Select");
    EXPECT_EQ(story.sent().back(), "CE '1' 'Network'");

    story.report(185, "9");
    EXPECT_EQ(story.sent(), redraw(5, "009", nameLookup(9, "VT|2"), "VT 2", ""));

    // Nothing is left to write.
    story.press("Network");
    EXPECT_EQ(story.sent(), join({selectionReset(), {"CD '1' 'Network'"}}));
}

TEST_F(CorvaneTally, PollRepeatsOnEveryTickWhileASlotIsSilent) {
    story.tick(1);
    EXPECT_EQ(story.sent(), kRepeatedPoll);

    // Slots 181 to 195 answer, 181 twice; 196 stays silent.
    story.report(181, "4");
    for (int32_t slot = 181; slot <= 195; ++slot) {
        story.report(slot, "0");
    }
    story.sent();
    for (int i = 0; i < 3; ++i) {
        story.tick(1);
        EXPECT_EQ(story.sent(), kRepeatedPoll);
    }
}

TEST_F(CorvaneTally, PollStopsAtTheFirstTickAfterEverySlotAnswered) {
    for (int32_t slot = 181; slot <= 196; ++slot) {
        story.report(slot, "0");
    }
    story.sent();

    story.tick(1);
    EXPECT_EQ(story.sent(), (Lines{"ET 1", "CD '1' 'Network'"}));

    // A late report still redraws its row and touches neither the timer nor Network.
    story.report(183, "0");
    EXPECT_EQ(story.sent(), redraw(3, "000", {}, "", ""));

    // A tick the host still delivers stops the timer again and re-evaluates Network.
    story.chooseRow(2);
    story.pickDest(5);
    story.press("Select");
    story.sent();
    story.tick(1);
    EXPECT_EQ(story.sent(), (Lines{"ET 1", "CE '1' 'Network'"}));
}

TEST_F(CorvaneTally, OtherTimersAreStoppedOnTheirFirstTick) {
    for (int32_t timer : {2, 0, -1}) {
        SCOPED_TRACE(timer);
        story.tick(timer);
        EXPECT_EQ(story.sent(), Lines{"ET " + std::to_string(timer)});
    }
}

}  // namespace
