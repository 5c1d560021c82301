// A step written back as a scenario line reads back as the same step, and a step no line can hold is
// refused rather than written wrong.
#include <gtest/gtest.h>

#include "scenario.h"
#include "scenario_writer.h"

namespace {

TEST(ScenarioWriter, EveryStepReadsBackAsWritten) {
    const char* const lines[] = {
        "start",
        "stop",
        "show",
        "record",
        "integer -7",
        "press Select",
        "press Dest index=12",
        "press Note \" padded \"",
        "press Note \"trailing \"",
        "press Note \" leading\"",
        "press Quote \"\"quoted\"\"",
        "select 3",
        "select none",
        "select Mixer 2",
        "pick 12",
        "pick Dest -1",
        "advance 1000",
        "tick 1",
        "request return=all",
        "request \"\"",
        "revertive 7 183 12",
        "revertive 7 183 \"\"",
        "silent 7 183",
        "unknown ZaD SDI Router",
        "expect sent IW 7 '12' 183 1",
        "expect not sent AS",
        "expect no more commands",
        "expect debug Corvane...",
        "expect no debug",
        "expect note TP: ...",
        "expect cell 3 0 012",
        "expect cell Mixer 3 2 \"\"",
        "expect param Dest index -1",
        "expect enabled Select",
        "expect disabled Network",
        "expect answer \"\"",
        "expect no answer",
        "replay",
        "host answers none to SD 'x'",
        "host answers \"a\\tb\" to TG '1' 'M' 'all'",
        "button 1 Mixer selectedindex=2",
        "request \\\"\\\\\\\"x\\\"\"",
    };
    for (const char* line : lines) {
        std::optional<Step> step = parseStep(line, "t", 1);
        ASSERT_TRUE(step) << line;
        std::optional<std::string> written = scenarioLine(*step);
        ASSERT_TRUE(written) << line;
        std::optional<Step> again = parseStep(*written, "t", 1);
        ASSERT_TRUE(again) << *written;
        EXPECT_EQ(again->kind, step->kind) << line;
        EXPECT_EQ(again->name, step->name) << line;
        EXPECT_EQ(again->param, step->param) << line;
        EXPECT_EQ(again->text, step->text) << line;
        EXPECT_EQ(again->first, step->first) << line;
        EXPECT_EQ(again->second, step->second) << line;
        EXPECT_EQ(again->none, step->none) << line;
    }
}

TEST(ScenarioWriter, AStepNoLineCanHoldIsRefused) {
    Step request;
    request.kind = StepKind::Request;
    request.text = "two\nlines";
    Step press;
    press.kind = StepKind::Press;
    press.name = "two words";
    Step pick;
    pick.kind = StepKind::Pick;
    pick.name = "12";  // would read as the number
    Step nul;
    nul.kind = StepKind::Revertive;
    nul.text = std::string("a\0b", 3);
    for (const Step& step : {request, press, pick, nul}) {
        EXPECT_FALSE(scenarioLine(step)) << *scenarioLine(step);
    }
}

}  // namespace
