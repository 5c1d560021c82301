// Which list answers choose a row: a whole number (blanks around it and a sign allowed) naming one of the
// sixteen rows, or -1 for none. Which picker values choose a destination: a whole number of 0 or more.
#include <gtest/gtest.h>

#include "panel_story.h"

namespace {

const char* const kRead = "TG '1' 'Mixer' 'selectedindex'";

TEST(CorvaneRowChoice, TakesOnlyAWholeNumberNamingOneOfTheListRows) {
    struct Case {
        std::optional<std::string> answer;
        int32_t row;  // the row chosen; -1 when the answer must be ignored
    };
    const Case cases[] = {
        {"selectedindex=3", 4},
        {"selectedindex=0", 1},
        {"selectedindex=15", 16},
        {"selectedindex=-1", 0},
        {"selectedindex=16", -1},
        {"selectedindex=-2", -1},
        {"selectedindex=", -1},
        {"selectedindex=3x", -1},
        {"selectedindex=1.5", -1},
        {"selectedindex= 3", 4},
        {"selectedindex=3 ", 4},
        {"selectedindex=+3", 4},
        {"selectedindex=\t-1\r\n", 0},
        {"selectedindex=-0", 1},
        {"selectedindex=+-3", -1},
        {"selectedindex=- 3", -1},
        {"selectedindex=3 4", -1},
        {"selectedindex= ", -1},
        {"selectedindex=99999999999", -1},
        {std::nullopt, -1},
        {"SelectedIndex=3", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.value_or("(no answer)"));
        PanelStory story;
        story.sent();

        Lines read = {kRead};
        if (c.answer) {
            read.push_back("release " + *c.answer);
        }
        if (c.answer == "SelectedIndex=3") {
            read.push_back(
                "debug textGet: value returned \"SelectedIndex\" was not the value requested "
                "\"selectedindex\" "
                "(value returned was \"SelectedIndex=3\" from control \"Mixer\", on panel \"1\")");
        }

        if (c.row >= 0) {
            story.clickMixer(c.answer);
            EXPECT_EQ(story.sent(), join({read, {"CE '1' 'Deselect'"}}));
            story.pickDest(12);
            story.sent();
            story.press("Select");
            EXPECT_EQ(story.sent()[0], "TP 'cell." + std::to_string(c.row - 1) + ".1=012' '1' 'Mixer'");
        } else {
            // From idle: nothing is chosen, so a destination pick enables nothing.
            story.clickMixer(c.answer);
            EXPECT_EQ(story.sent(), read);
            story.pickDest(12);
            EXPECT_EQ(story.sent(), Lines{});

            // With row 5 chosen: the row and the choice stay as they were.
            story.chooseRow(5);
            story.sent();
            story.clickMixer(c.answer);
            EXPECT_EQ(story.sent(), read);
            story.press("Select");
            EXPECT_EQ(story.sent()[0], "TP 'cell.4.1=012' '1' 'Mixer'");
        }
        story.close();
        expectHandBacksBalanced(story.host);
    }
}

TEST(CorvaneRowChoice, TakesADestinationOnlyAsAWholeNumberOfZeroOrMore) {
    struct Case {
        const char* message;
        const char* drawn;  // cell 1 after Select; null when the pick must be ignored
    };
    const Case cases[] = {
        {"index=12", "012"},    {"index=0", "000"},    {"index= 7 ", "007"}, {"index=+7", "007"},
        {"index=-0", "000"},    {"index=-5", nullptr}, {"index=", nullptr},  {"index=12x", nullptr},
        {"index=1.5", nullptr}, {"index=-", nullptr},  {"index= ", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        PanelStory story;
        story.pickDest(4);
        story.chooseRow(3);
        story.sent();
        story.event("1", "Dest", c.message);
        // An ignored pick is a bad answer: nothing is sent, and the earlier pick of 4 stands.
        EXPECT_EQ(story.sent(), c.drawn != nullptr ? Lines{"CE '1' 'Select'"} : Lines{});
        story.press("Select");
        EXPECT_EQ(story.sent()[0],
                  std::string("TP 'cell.2.1=") + (c.drawn ? c.drawn : "004") + "' '1' 'Mixer'");
        story.close();
        expectHandBacksBalanced(story.host);
    }
}

}  // namespace
