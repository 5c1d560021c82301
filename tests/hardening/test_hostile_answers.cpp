// Corvane, created through the export, under host answers and parent requests no careful host would
// give: answers with no '=', several '=', only quotes and blanks, texts of 1 MiB, requests with more
// sub-words than a message holds, and releases of pointers the panel never gave out or already took back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "exported_panel.h"
#include "orvo_event_kind.h"

namespace {

const std::string kMebibyte(1 << 20, 'm');

TEST(HostileLookupAnswers, OddAnswersStillCountAsFoundAndGiveTheNumberAtTheirStart) {
    struct Case {
        std::string answer;
        std::string device;  // the tally driver's device number in the commands
    };
    const Case cases[] = {
        {"''", "0"},
        {"   ", "0"},
        {"' '", "0"},
        {"'''", "0"},
        {"'7' 0", "0"},  // a quoted first field leaves token 0 empty
        {"7=0", "7"},
        {"7 0 = 1 = 2", "7"},
        {"7" + std::string(1 << 20, ' '), "7"},
        {std::string(1 << 20, '\''), "0"},
        {"8'" + kMebibyte + "' 9", "8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.substr(0, 16));
        ExportedPanel panel(c.answer, c.answer);
        const Lines start = panel.sent();
        for (const std::string& line : start) {
            EXPECT_EQ(line.find("Failed to find"), std::string::npos) << line;
        }
        ASSERT_GE(start.size(), 3u);
        EXPECT_EQ(start[start.size() - 3], "IR " + c.device + " 181 196");

        // The router answered the same way: names are looked up on that device.
        panel.report(std::stoi(c.device), 183, "12");
        const Lines redraw = panel.sent();
        ASSERT_GE(redraw.size(), 2u);
        EXPECT_EQ(redraw[1], "RN " + c.device + " 1 12");
        panel.close();
        EXPECT_EQ(panel.sent(), c.device == "0" ? Lines{"AS"} : (Lines{"IU " + c.device, "AS"}));
        expectHandBacksBalanced(panel.host);
    }
}

TEST(HostileListAnswers, ASelectedIndexThatIsNotOneKeyAndOneWholeNumberChoosesNoRow) {
    struct Case {
        std::string answer;
        bool debugLine;  // the key is not the one asked for
    };
    const Case cases[] = {
        {"2", true},
        {"selectedindex=2=3", false},
        {"selectedindex==2", false},
        {"=selectedindex=2", true},
        {"''", true},
        {"   ", true},
        {"' '=' '", true},
        {"selectedindex=" + std::string(1 << 20, '1'), false},
        {"selectedindex=2" + std::string(1 << 20, ' ') + "x", false},
        {std::string(1 << 20, '='), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.substr(0, 20));
        ExportedPanel panel;
        panel.host.answer("TG '1' 'Mixer' 'selectedindex'", c.answer);
        panel.sent();
        panel.chooseRow3();
        const Lines read = panel.sent();
        ASSERT_GE(read.size(), 2u);
        EXPECT_EQ(read[0], "TG '1' 'Mixer' 'selectedindex'");
        EXPECT_EQ(read[1], "release " + c.answer);
        // No CE '1' 'Deselect': no row was chosen. A long answer's debug text may take several lines.
        EXPECT_EQ(read.size() > 2, c.debugLine);
        for (size_t i = 2; i < read.size(); ++i) {
            EXPECT_EQ(read[i].compare(0, 6, "debug "), 0) << read[i].substr(0, 60);
        }

        // The next choice with a proper answer works.
        panel.host.answer("TG '1' 'Mixer' 'selectedindex'", "selectedindex=4");
        panel.chooseRow3();
        EXPECT_EQ(panel.sent().back(), "CE '1' 'Deselect'");
        panel.close();
        expectHandBacksBalanced(panel.host);
    }
}

TEST(HostileNameAnswers, AnyNameIsShownAsItStandsWithBarsAsBlanks) {
    struct Case {
        std::string answer;
        std::string shown;
    };
    const Case cases[] = {
        {"''", "''"},
        {"   ", "   "},
        {"a=b=c", "a=b=c"},
        {"||", "  "},
        {"it's", "it's"},
        {"%1%2", "%1%2"},
        {std::string(1 << 20, '|'), std::string(1 << 20, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.substr(0, 16));
        ExportedPanel panel;
        panel.host.answer("RN 3 1 12", c.answer);
        panel.sent();
        panel.report(7, 183, "12");
        const Lines redraw = panel.sent();
        ASSERT_EQ(redraw.size(), 5u);
        EXPECT_EQ(redraw[2], "release " + c.answer);
        EXPECT_TRUE(redraw[3] == "TP 'cell.2.2=" + c.shown + "' '1' 'Mixer'");
        panel.close();
        expectHandBacksBalanced(panel.host);
    }
}

TEST(HostileParentRequests, MebibyteTextsAndOverlongMessagesAreAnsweredWholeOrNotAtAll) {
    const std::string dots40 = [] {
        std::string dots;
        for (int i = 0; i < 40; ++i) {
            dots += ".x";
        }
        return dots;
    }();
    struct Case {
        std::string setting;  // sent first; answers nothing
        std::string request;
        std::optional<std::string> answer;
    };
    const Case cases[] = {
        {"myParam=" + kMebibyte, "return=all", "myParam=" + kMebibyte},
        {"myParam=" + kMebibyte, "return=myParam", "myParam=" + kMebibyte},
        {"myParam=" + kMebibyte, "instance=" + kMebibyte, std::nullopt},
        {"myParam=abc", std::string(1 << 20, 'r'), std::nullopt},
        {"myParam=abc", "return" + std::string(1 << 20, '.') + "=all", std::nullopt},
        {"myParam=abc", "return" + dots40 + "=all", std::nullopt},  // 32 sub-words leave no value
        {"myParam" + dots40 + "=5", "return=all", "myParam="},      // and so empty myParam
        {"myParam=abc", "return.x.y=all", "myParam=abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.substr(0, 20));
        ExportedPanel panel;
        panel.sent();
        EXPECT_EQ(panel.ask(c.setting.c_str()), std::nullopt);
        const std::optional<std::string> answer = panel.ask(c.request.c_str());
        EXPECT_EQ(answer.has_value(), c.answer.has_value());
        if (answer && c.answer) {
            EXPECT_TRUE(*answer == *c.answer);
        }
        EXPECT_EQ(panel.sent(), Lines{});
        panel.close();
        expectHandBacksBalanced(panel.host);
    }
}

TEST(HostileReleases, ForeignAndRepeatedReleasesAreIgnoredAndHeldAnswersDieWithThePanel) {
    ExportedPanel panel;
    panel.ask(("myParam=" + kMebibyte).c_str());
    char* first = panel.notify(const_cast<char*>("return=all"), orvo_event_parent);
    char* second = panel.notify(const_cast<char*>("_commands"), orvo_event_parent);
    char* kept = panel.notify(const_cast<char*>("_events"), orvo_event_parent);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(kept, nullptr);
    panel.sent();

    char foreign[] = "myParam=the host's own";
    const std::string ignored = "debug notify: ignored the release of a text this script does not hold";
    EXPECT_EQ(panel.notify(second, orvo_event_release), nullptr);
    EXPECT_EQ(panel.notify(second, orvo_event_release), nullptr);  // already taken back
    EXPECT_EQ(panel.notify(foreign, orvo_event_release), nullptr);
    EXPECT_EQ(panel.notify(foreign + 8, orvo_event_release), nullptr);
    EXPECT_EQ(panel.notify(first + 1, orvo_event_release), nullptr);  // inside an answer, not an answer
    EXPECT_STREQ(foreign, "myParam=the host's own");
    EXPECT_EQ(std::strlen(first), kMebibyte.size() + 8);
    EXPECT_EQ(panel.sent(), (Lines{ignored, ignored, ignored, ignored}));

    EXPECT_EQ(panel.notify(first, orvo_event_release), nullptr);
    EXPECT_EQ(panel.notify(first, orvo_event_release), nullptr);
    EXPECT_EQ(panel.ask("_events"), "notify=*");
    // `kept` is never handed back: the panel frees it when it is deleted (the leak checkers see to it).
    panel.close();
    expectHandBacksBalanced(panel.host);
}

}  // namespace
