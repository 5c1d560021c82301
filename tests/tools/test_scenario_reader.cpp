#include <gtest/gtest.h>

#include <sstream>

#include "input_error.h"
#include "scenario.h"

namespace {

Step stepOf(const std::string& line) {
    std::optional<Step> step = parseStep(line, "s.scenario", 7);
    if (!step) {
        ADD_FAILURE() << "no step for " << line;
        return Step{};
    }
    return *step;
}

TEST(ScenarioLine, StepsCarryTheirWordsNumbersAndTexts) {
    struct Case {
        const char* line;
        StepKind kind;
        const char* name;
        const char* text;
        int32_t first;
        int32_t second;
    };
    const Case cases[] = {
        {"start", StepKind::Start, "", "", 0, 0},
        {"  press   Select  ", StepKind::Press, "Select", "", 0, 0},
        {"press Dest value=12", StepKind::Press, "Dest", "value=12", 0, 0},
        {"select 3", StepKind::Select, "", "", 3, 0},
        {"pick -1", StepKind::Pick, "", "", -1, 0},
        {"advance 1000", StepKind::Advance, "", "", 1000, 0},
        {"tick 2", StepKind::Tick, "", "", 2, 0},
        {"request return=all", StepKind::Request, "", "return=all", 0, 0},
        {"request", StepKind::Request, "", "", 0, 0},
        {"revertive 7 183 12", StepKind::Revertive, "", "12", 7, 183},
        {"revertive 7 183", StepKind::Revertive, "", "", 7, 183},
        {"revertive 7 183 \" a b \"", StepKind::Revertive, "", " a b ", 7, 183},
        {"silent 7 190", StepKind::Silent, "", "", 7, 190},
        {"unknown DAZ Tally Infodriver", StepKind::Unknown, "DAZ Tally Infodriver", "", 0, 0},
        {"expect sent IW 7 '12' 183 1", StepKind::ExpectSent, "", "IW 7 '12' 183 1", 0, 0},
        {"expect not sent CE '1' 'Network'", StepKind::ExpectNotSent, "", "CE '1' 'Network'", 0, 0},
        {"expect no more commands", StepKind::ExpectNoMoreCommands, "", "", 0, 0},
        {"expect debug Corvane: Repeating poll...", StepKind::ExpectDebug, "", "Corvane: Repeating poll...",
         0, 0},
        {"expect no debug", StepKind::ExpectNoDebug, "", "", 0, 0},
        {"expect note IR: device 0...", StepKind::ExpectNote, "", "IR: device 0...", 0, 0},
        {"expect cell 3 1 012", StepKind::ExpectCell, "", "012", 3, 1},
        {"expect cell 3 2 Camera 12", StepKind::ExpectCell, "", "Camera 12", 3, 2},
        {"expect cell 3 3 \"\"", StepKind::ExpectCell, "", "", 3, 3},
        {"expect enabled Network", StepKind::ExpectEnabled, "Network", "", 0, 0},
        {"expect disabled Select", StepKind::ExpectDisabled, "Select", "", 0, 0},
        {"expect answer myParam=abc", StepKind::ExpectAnswer, "", "myParam=abc", 0, 0},
        {"expect no answer", StepKind::ExpectNoAnswer, "", "", 0, 0},
        // A control id in front names the list or picker; without one the first is meant.
        {"select Other 2", StepKind::Select, "Other", "", 2, 0},
        {"select Other none", StepKind::Select, "Other", "", 0, 0},
        {"pick Dest 12", StepKind::Pick, "Dest", "", 12, 0},
        {"expect cell Other 3 1 012", StepKind::ExpectCell, "Other", "012", 3, 1},
        {"integer -5", StepKind::Integer, "", "", -5, 0},
        {"record", StepKind::Record, "", "", 0, 0},
        {"help", StepKind::Help, "", "", 0, 0},
        // A recording's steps, and the escaped form of a text.
        {"replay", StepKind::Replay, "", "", 0, 0},
        {"host answers \"3 0\" to SD 'ZaD SDI Router'", StepKind::HostAnswers, "SD 'ZaD SDI Router'", "3 0",
         0, 0},
        {"host answers \"a\\nb\\\"\\x01\" to TG '1' 'M' 'all'", StepKind::HostAnswers, "TG '1' 'M' 'all'",
         "a\nb\"\x01", 0, 0},
        {"host answers 1 to PI '1' 'x'", StepKind::HostAnswers, "PI '1' 'x'", "1", 0, 0},
        {"button 1 Mixer selectedindex=2", StepKind::Button, "Mixer", "selectedindex=2", 0, 0},
        {"expect sent \\\"CE 'a\\nb\\\\'\"", StepKind::ExpectSent, "", "CE 'a\nb\\'", 0, 0},
    };
    for (const Case& c : cases) {
        Step step = stepOf(c.line);
        EXPECT_EQ(step.kind, c.kind) << c.line;
        EXPECT_EQ(step.name, c.name) << c.line;
        EXPECT_EQ(step.text, c.text) << c.line;
        EXPECT_EQ(step.first, c.first) << c.line;
        EXPECT_EQ(step.second, c.second) << c.line;
        EXPECT_EQ(step.where(), "s.scenario:7");
    }
}

TEST(ScenarioLine, SelectNoneAndExpectParam) {
    EXPECT_TRUE(stepOf("select none").none);
    Step param = stepOf("expect param Dest index -1");
    EXPECT_EQ(param.kind, StepKind::ExpectParam);
    EXPECT_EQ(param.name, "Dest");
    EXPECT_EQ(param.param, "index");
    EXPECT_EQ(param.text, "-1");
}

TEST(ScenarioLine, CommentsAndBlankLinesAreNoSteps) {
    EXPECT_FALSE(parseStep("", "s", 1));
    EXPECT_FALSE(parseStep("   \t", "s", 1));
    EXPECT_FALSE(parseStep("  # press Select", "s", 1));
}

TEST(ScenarioLine, BadLinesSayWhereAndWhatIsWrong) {
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"frobnicate 3", "s.scenario:7: unknown step \"frobnicate\""},
        {"Press Select", "s.scenario:7: unknown step \"Press\""},
        {"press", "s.scenario:7: press needs a control id"},
        {"select", "s.scenario:7: select needs a row number (1 for the top row) or none"},
        {"select 0", "s.scenario:7: select needs a row number (1 for the top row) or none, not \"0\""},
        {"select three",
         "s.scenario:7: select needs a row number (1 for the top row) or none, not \"three\""},
        {"select 3 4", "s.scenario:7: select takes nothing more, but the line goes on with \"4\""},
        {"pick", "s.scenario:7: pick needs the number to choose"},
        {"pick 1x", "s.scenario:7: \"1x\" is not a whole number"},
        {"advance 0", "s.scenario:7: advance needs a number of clock units greater than 0"},
        {"advance 99999999999", "s.scenario:7: \"99999999999\" is out of range (-2147483648 to 2147483647)"},
        {"tick", "s.scenario:7: tick needs a timer id"},
        {"revertive 7", "s.scenario:7: revertive needs a slot after the device"},
        {"silent seven 190", "s.scenario:7: \"seven\" is not a whole number"},
        {"unknown", "s.scenario:7: unknown needs an instance name"},
        {"show now", "s.scenario:7: show takes nothing more, but the line goes on with \"now\""},
        {"start 2", "s.scenario:7: start takes nothing more, but the line goes on with \"2\""},
        {"expect",
         "s.scenario:7: expect needs what to check: sent, not sent, no more commands, debug, no debug, note, "
         "cell, param, enabled, disabled, answer, no answer"},
        {"expect colour red",
         "s.scenario:7: expect cannot check \"colour\"; it checks sent, not sent, no more commands, "
         "debug, no debug, note, cell, param, enabled, disabled, answer, no answer"},
        {"expect sent", "s.scenario:7: expect sent needs the text to look for"},
        {"host answers", "s.scenario:7: host answers needs an answer (none, a number or a quoted text)"},
        {"host answers 1 PI '1' 'x'",
         "s.scenario:7: host answers needs `to` and the command after the answer"},
        {"host answers \"x to SD 'a'",
         "s.scenario:7: host answers needs the answer quoted as the transcript quotes it"},
        {"host answers none to", "s.scenario:7: host answers needs the command it answers"},
        {"button 1", "s.scenario:7: button needs a control id after the panel id"},
        {"request \\\"a\\q\"",
         "s.scenario:7: the escaped text \\\"a\\q\" does not read: \\\" is followed by a text quoted as the "
         "transcript quotes it"},
        {"expect debug   ", "s.scenario:7: expect debug needs the text to look for"},
        {"expect not debug x", "s.scenario:7: expect not is only followed by sent"},
        {"expect no more", "s.scenario:7: expect no is followed by more commands, debug or answer"},
        {"expect no answer please",
         "s.scenario:7: expect no answer takes nothing more, but the line goes on with \"please\""},
        {"expect cell 3", "s.scenario:7: expect cell needs a cell number after the row"},
        {"expect cell x 1 a", "s.scenario:7: \"x\" is not a whole number"},
        {"start\xc2\xa0", "s.scenario:7: unknown step \"start\\xc2\\xa0\""},
        {"integer 4294967296", "s.scenario:7: \"4294967296\" is out of range (-2147483648 to 2147483647)"},
        {"pick Dest", "s.scenario:7: \"Dest\" is not a whole number"},
        {"expect param Dest", "s.scenario:7: expect param needs a parameter name after the control id"},
        {"expect enabled", "s.scenario:7: expect enabled needs a control id"},
        {"expect disabled A B",
         "s.scenario:7: expect disabled A takes nothing more, but the line goes on with \"B\""},
    };
    for (const Case& c : cases) {
        try {
            parseStep(c.line, "s.scenario", 7);
            ADD_FAILURE() << "no error for " << c.line;
        } catch (const InputError& error) {
            EXPECT_STREQ(error.what(), c.message) << c.line;
        }
    }
}

TEST(ScenarioFile, ABadLineAnywhereStopsTheWholeFileBeforeItRuns) {
    std::istringstream in("start\n# fine\npress Select\n\nselec 3\n");
    try {
        readScenario(in, "demo.scenario");
        FAIL() << "no error";
    } catch (const InputError& error) {
        EXPECT_STREQ(error.what(), "demo.scenario:5: unknown step \"selec\"");
    }
}

TEST(ScenarioFile, StepsKeepTheirLineNumbers) {
    std::istringstream in("\xEF\xBB\xBF# story\nstart\n\nselect 3\n");
    std::vector<Step> steps = readScenario(in, "demo.scenario");
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].where(), "demo.scenario:2");
    EXPECT_EQ(steps[1].where(), "demo.scenario:4");
    EXPECT_EQ(steps[1].source, "select 3");
}

}  // namespace
