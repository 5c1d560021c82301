// The operator's actions, step by step, with the exact traffic after each step.
#include <gtest/gtest.h>

#include "panel_story.h"

namespace {

using CorvaneEditing = StartedPanel;

TEST_F(CorvaneEditing, OneEditGoesFromRowChoiceToTheDriverAndBack) {
    story.nameDest(12, "Camera 12");

    story.chooseRow(3);
    EXPECT_EQ(story.sent(),
              (Lines{"TG '1' 'Mixer' 'selectedindex'", "release selectedindex=2", "CE '1' 'Deselect'"}));

    story.pickDest(12);
    EXPECT_EQ(story.sent(), (Lines{"CE '1' 'Select'", "CE '1' 'Select'"}));

    story.press("Select");
    EXPECT_EQ(story.sent(), (Lines{
                                "TP 'cell.2.1=012' '1' 'Mixer'",
                                "RN 3 1 12",
                                "release Camera 12",
                                "TP 'cell.2.2=Camera 12' '1' 'Mixer'",
                                "TP 'cell.2.3=*' '1' 'Mixer'",
                                "TP 'clearSelection' '1' 'Mixer'",
                                "TP 'index=-1' '1' 'Dest'",
                                "CD '1' 'Select'",
                                "CD '1' 'Deselect'",
                                "CE '1' 'Network'",
                            }));

    story.press("Network");
    EXPECT_EQ(story.sent(), join({{"IW 7 '12' 183 1"}, selectionReset(), {"CD '1' 'Network'"}}));

    story.report(183, "12");
    EXPECT_EQ(story.sent(), (Lines{
                                "TP 'cell.2.1=012' '1' 'Mixer'",
                                "RN 3 1 12",
                                "release Camera 12",
                                "TP 'cell.2.2=Camera 12' '1' 'Mixer'",
                                "TP 'cell.2.3=' '1' 'Mixer'",
                            }));
}

TEST_F(CorvaneEditing, ADestinationPickedBeforeTheRowEnablesSelectOnceTheRowIsChosen) {
    story.pickDest(12);
    EXPECT_EQ(story.sent(), Lines{});

    story.chooseRow(5);
    EXPECT_EQ(story.sent(), (Lines{"TG '1' 'Mixer' 'selectedindex'", "release selectedindex=4",
                                   "CE '1' 'Deselect'", "CE '1' 'Select'"}));

    story.press("Select");
    EXPECT_EQ(
        story.sent(),
        join({redraw(5, "012", nameLookup(12, nullptr), "", "*"), selectionReset(), {"CE '1' 'Network'"}}));
}

TEST_F(CorvaneEditing, ChoosingAgainWithBothChosenEnablesSelectOnceMore) {
    story.chooseRow(2);
    story.pickDest(4);
    story.sent();

    story.chooseRow(6);
    EXPECT_EQ(story.sent(),
              (Lines{"TG '1' 'Mixer' 'selectedindex'", "release selectedindex=5", "CE '1' 'Select'"}));
    story.pickDest(9);
    EXPECT_EQ(story.sent(), (Lines{"CE '1' 'Select'"}));

    // The last choices are the ones assigned.
    story.press("Select");
    EXPECT_EQ(story.sent()[0], "TP 'cell.5.1=009' '1' 'Mixer'");
}

TEST_F(CorvaneEditing, ClearForgetsTheChoiceButNotTheRow) {
    story.chooseRow(2);
    story.sent();

    story.press("Clear");
    EXPECT_EQ(story.sent(), selectionReset());

    // Idle again: picking a destination enables nothing.
    story.pickDest(8);
    EXPECT_EQ(story.sent(), Lines{});
    // The row chosen before the reset is still the one Select edits.
    story.press("Select");
    EXPECT_EQ(story.sent()[0], "TP 'cell.1.1=008' '1' 'Mixer'");
}

TEST_F(CorvaneEditing, DeselectClearsTheRowAndMarksItOnlyWhenItWasStored) {
    story.report(183, "9");
    story.sent();

    story.chooseRow(3);
    story.sent();
    story.press("Deselect");
    EXPECT_EQ(story.sent(), join({redraw(3, "000", {}, "", "*"), selectionReset(), {"CE '1' 'Network'"}}));

    // Once the driver stores 0 for row 3 as well, clearing a row that stores 0 leaves nothing changed.
    story.report(183, "0");
    story.sent();
    story.chooseRow(4);
    story.sent();
    story.press("Deselect");
    EXPECT_EQ(story.sent(), join({redraw(4, "000", {}, "", ""), selectionReset(), {"CD '1' 'Network'"}}));
}

TEST_F(CorvaneEditing, NetworkWritesOnlyTheChangedRowsInRowOrder) {
    story.chooseRow(10);
    story.pickDest(40);
    story.press("Select");
    story.chooseRow(3);
    story.pickDest(12);
    story.press("Select");
    story.sent();

    story.press("Network");
    EXPECT_EQ(story.sent(),
              join({{"IW 7 '12' 183 1", "IW 7 '40' 190 1"}, selectionReset(), {"CD '1' 'Network'"}}));

    // The written rows stay changed until the driver reports them, so a second press writes them again.
    story.report(183, "12");
    story.sent();
    story.press("Network");
    EXPECT_EQ(story.sent(), join({{"IW 7 '40' 190 1"}, selectionReset(), {"CD '1' 'Network'"}}));

    story.report(190, "40");
    story.sent();
    story.press("Network");
    EXPECT_EQ(story.sent(), join({selectionReset(), {"CD '1' 'Network'"}}));
}

TEST_F(CorvaneEditing, RestoreRedrawsEveryRowFromTheStoredTable) {
    story.nameDest(5, "Studio|A");
    story.report(181, "5");
    story.report(190, "20");
    story.chooseRow(3);
    story.pickDest(12);
    story.press("Select");
    story.chooseRow(1);
    story.pickDest(7);
    story.press("Select");
    story.sent();

    story.press("Restore");
    Lines expected;
    for (int32_t row = 1; row <= 16; ++row) {
        if (row == 1) {
            expected = join({expected, redraw(1, "005", nameLookup(5, "Studio|A"), "Studio A", "")});
        } else if (row == 10) {
            expected = join({expected, redraw(10, "020", nameLookup(20, nullptr), "", "")});
        } else {
            expected = join({expected, redraw(row, "000", {}, "", "")});
        }
    }
    EXPECT_EQ(story.sent(), join({expected, selectionReset(), {"CD '1' 'Network'"}}));
}

// With no row selected in the list, Select edits the table entry that belongs to no row. It is drawn in
// the cells of list row -1, never written to the driver, and not put back by Restore.
TEST_F(CorvaneEditing, AnEditMadeWithNoRowSelectedKeepsNetworkEnabled) {
    story.clickMixer("selectedindex=-1");
    EXPECT_EQ(story.sent(),
              (Lines{"TG '1' 'Mixer' 'selectedindex'", "release selectedindex=-1", "CE '1' 'Deselect'"}));
    story.pickDest(1234);
    story.sent();

    story.press("Select");
    EXPECT_EQ(story.sent(), join({redraw(0, "1234", nameLookup(1234, nullptr), "", "*"),
                                  selectionReset(),
                                  {"CE '1' 'Network'"}}));

    story.press("Network");
    EXPECT_EQ(story.sent(), join({selectionReset(), {"CD '1' 'Network'"}}));

    story.press("Restore");
    Lines lines = story.sent();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "CE '1' 'Network'");
}

TEST_F(CorvaneEditing, EventsFromOtherPanelsAndControlsChangeNothing) {
    struct Case {
        const char* panelId;
        const char* control;
    };
    const Case cases[] = {
        {"2", "Select"},  {"2", "Mixer"},  {"01", "Network"}, {"", "Restore"},
        {"1", "Unknown"}, {"1", "select"}, {"1", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.panelId) + " / " + c.control);
        story.event(c.panelId, c.control, "pressed");
        EXPECT_EQ(story.sent(), Lines{});
    }
    // Nothing was chosen by any of them.
    story.pickDest(3);
    EXPECT_EQ(story.sent(), Lines{});
}

}  // namespace
