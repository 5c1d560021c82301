// The panel's start-up and shutdown traffic.
#include <gtest/gtest.h>

#include "panel_story.h"

namespace {

// Everything start-up sends, for a layout path and the two lookups' traffic.
Lines startUp(const std::string& layout, const Lines& routerLookup, const Lines& tallyLookup,
              const std::string& tally) {
    Lines rows;
    for (int input = 25; input <= 40; ++input) {
        rows.push_back("TP 'add=" + std::to_string(input) + ";;' '1' 'Mixer'");
    }
    return join(
        {{"PI '1' '" + layout + "'", "CD '1' 'Select'", "CD '1' 'Deselect'", "CD '1' 'Network'"},
         rows,
         routerLookup,
         tallyLookup,
         {"PS '1' '" + layout + "'", "IR " + tally + " 181 196", "IP " + tally + " 181 196", "ET 1 1000"}});
}

TEST(CorvaneStartUp, LoadsFillsResolvesShowsRegistersPollsAndStartsThePollTimer) {
    PanelStory story;
    EXPECT_EQ(story.sent(), startUp("Vessa2540.orvo_ui", {"SD 'ZaD SDI Router'", "release 3 0"},
                                    {"SD 'DAZ Tally Infodriver'", "release 7 0"}, "7"));
    story.close();
    expectHandBacksBalanced(story.host);
}

TEST(CorvaneStartUp, CarriesOnOnDeviceZeroWhenNeitherInstanceIsKnown) {
    PanelStory story(false);
    EXPECT_EQ(story.sent(), startUp("Vessa2540.orvo_ui",
                                    {"SD 'ZaD SDI Router'",
                                     "debug Corvane:: Failed to find SDI driver ID in Instances.xml"},
                                    {"SD 'DAZ Tally Infodriver'",
                                     "debug Corvane:: Failed to find tally infodriver ID in Instances.xml"},
                                    "0"));
    // Names are then asked of device 0.
    story.report(183, "12", 0);
    EXPECT_EQ(story.sent(), redraw(3, "012", {"RN 0 1 12", "release null"}, "", ""));
}

TEST(CorvaneStartUp, PutsTheBasePathBeforeTheLayoutFile) {
    PanelStory story(true, "layouts");
    EXPECT_EQ(story.sent(), startUp("layouts/Vessa2540.orvo_ui", {"SD 'ZaD SDI Router'", "release 3 0"},
                                    {"SD 'DAZ Tally Infodriver'", "release 7 0"}, "7"));
}

TEST(CorvaneShutdown, UnregistersFromTheTallyDriverAndLeavesThePollTimerToTheHost) {
    PanelStory story;
    story.sent();
    story.close();
    EXPECT_EQ(story.sent(), (Lines{"IU 7", "AS"}));
}

TEST(CorvaneShutdown, SendsOnlyTheClosingCommandWhenTheTallyDriverWasNotFound) {
    PanelStory story(false);
    story.sent();
    story.close();
    EXPECT_EQ(story.sent(), (Lines{"AS"}));
}

}  // namespace
