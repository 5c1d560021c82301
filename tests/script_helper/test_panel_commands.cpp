// The exact texts of the panel and control commands, and how their answers are read and handed back.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "recording_host.h"
#include "test_script.h"

namespace {

struct CommandCase {
    const char* behaviour;
    const char* basePath;
    std::function<void(TestScript&)> call;
    std::vector<std::string> expected;
};

TEST(PanelCommands, SendTheirTextsExactly) {
    const std::vector<CommandCase> cases = {
        {"layout without base path",
         "",
         [](TestScript& s) { s.panelInit("1", "Vessa2540.orvo_ui", ""); },
         {"PI '1' 'Vessa2540.orvo_ui'"}},
        {"layout under base path",
         "layouts",
         [](TestScript& s) { s.panelInit("1", "Vessa2540.orvo_ui", ""); },
         {"PI '1' 'layouts/Vessa2540.orvo_ui'"}},
        {"base path ending in slash",
         "layouts/",
         [](TestScript& s) { s.panelInit("1", "Vessa2540.orvo_ui", ""); },
         {"PI '1' 'layouts//Vessa2540.orvo_ui'"}},
        {"layout with extra",
         "",
         [](TestScript& s) { s.panelInit("1", "Vessa2540.orvo_ui", "e"); },
         {"PI '1' 'Vessa2540.orvo_ui' 'e'"}},
        {"show with base path and extra",
         "p",
         [](TestScript& s) { s.panelShow("1", "f.ui", "x y"); },
         {"PS '1' 'p/f.ui' 'x y'"}},
        {"enable", "", [](TestScript& s) { s.controlEnable("1", "Select"); }, {"CE '1' 'Select'"}},
        {"disable", "", [](TestScript& s) { s.controlDisable("1", "Network"); }, {"CD '1' 'Network'"}},
        {"put with parameter",
         "",
         [](TestScript& s) { s.textPut("add", "25;;", "1", "Mixer"); },
         {"TP 'add=25;;' '1' 'Mixer'"}},
        {"put plain",
         "",
         [](TestScript& s) { s.textPut("clearSelection", "1", "Mixer"); },
         {"TP 'clearSelection' '1' 'Mixer'"}},
        {"quote inside a value is sent unchanged",
         "",
         [](TestScript& s) { s.textPut("it's", "1", "Mixer"); },
         {"TP 'it's' '1' 'Mixer'"}},
        {"empty parameter value",
         "",
         [](TestScript& s) { s.textPut("cell.0.3", "", "1", "Mixer"); },
         {"TP 'cell.0.3=' '1' 'Mixer'"}},
        {"list controls", "", [](TestScript& s) { s.controlIdList("1", "alm_"); }, {"XI '1' 'alm_'"}},
    };
    for (const CommandCase& c : cases) {
        RecordingHost host;
        TestScript script(&host, c.basePath);
        c.call(script);
        EXPECT_EQ(host.commands(), c.expected) << c.behaviour;
        EXPECT_EQ(host.outstanding(), 0u) << c.behaviour;
    }
}

TEST(PanelCommands, LongValuesAreSentWhole) {
    RecordingHost host;
    TestScript script(&host, "");
    std::string value(100000, 'v');
    script.textPut("cell.0.2", value.c_str(), "1", "Mixer");
    ASSERT_EQ(host.commands().size(), 1u);
    EXPECT_EQ(host.commands()[0], "TP 'cell.0.2=" + value + "' '1' 'Mixer'");
}

TEST(PanelCommands, LayoutResultIsTheHostsSuccessValue) {
    RecordingHost host;
    TestScript script(&host, "");
    EXPECT_TRUE(script.panelInit("1", "a.ui", ""));
    host.setLayoutResult(0);
    EXPECT_FALSE(script.panelInit("1", "a.ui", ""));
    EXPECT_FALSE(script.panelShow("1", "a.ui", ""));
    host.setLayoutResult(-1);
    EXPECT_TRUE(script.panelShow("1", "a.ui", ""));
    // The success value is not a text: it is never handed back.
    for (const std::string& line : host.log()) {
        EXPECT_EQ(line.rfind("release", 0), std::string::npos) << line;
    }
}

struct TextGetCase {
    const char* param;
    std::optional<std::string> answer;
    const char* expected;
    const char* debugLine;  // null: none
};

TEST(TextGet, ReadsTheValueForTheRequestedParameter) {
    const std::vector<TextGetCase> cases = {
        {"selectedindex", "selectedindex=3", "3", nullptr},
        {"selectedindex", "selectedindex=", "", nullptr},
        {"selectedindex", "selectedindex=a=b", "a=b", nullptr},
        {"selectedindex", std::nullopt, "", nullptr},
        {"selectedindex", "SelectedIndex=3", "",
         "textGet: value returned \"SelectedIndex\" was not the value requested \"selectedindex\" (value "
         "returned was \"SelectedIndex=3\" from control \"Mixer\", on panel \"1\")"},
        {"selectedindex", "3", "",
         "textGet: value returned \"3\" was not the value requested \"selectedindex\" (value returned was "
         "\"3\" from control \"Mixer\", on panel \"1\")"},
        {"selectedindex", "", "",
         "textGet: value returned \"\" was not the value requested \"selectedindex\" (value returned was "
         "\"\" "
         "from control \"Mixer\", on panel \"1\")"},
        {"selectedindex", "selectedindexx=3", "",
         "textGet: value returned \"selectedindexx\" was not the value requested \"selectedindex\" (value "
         "returned was \"selectedindexx=3\" from control \"Mixer\", on panel \"1\")"},
        // A key holding place markers is written as it stands, not filled in.
        {"selectedindex", "%2%5=1", "",
         "textGet: value returned \"%2%5\" was not the value requested \"selectedindex\" (value returned was "
         "\"%2%5=1\" from control \"Mixer\", on panel \"1\")"},
        {"all", "a=1,b=2", "a=1,b=2", nullptr},
        {"all", "", "", nullptr},
    };
    for (const TextGetCase& c : cases) {
        RecordingHost host;
        host.captureDebug();
        host.answer(std::string("TG '1' 'Mixer' '") + c.param + "'", c.answer);
        TestScript script(&host, "");
        orvo_string out("previous");
        script.textGet(c.param, "1", "Mixer", out);
        EXPECT_STREQ(out.c_str(), c.expected) << c.param << " " << c.answer.value_or("<null>");

        std::vector<std::string> expectedLog = {std::string("TG '1' 'Mixer' '") + c.param + "'"};
        if (c.answer) {
            expectedLog.push_back("release " + *c.answer);  // handed back before anything else happens
        }
        if (c.debugLine != nullptr) {
            expectedLog.push_back(std::string("debug ") + c.debugLine);
        }
        EXPECT_EQ(host.log(), expectedLog) << c.answer.value_or("<null>");
        EXPECT_EQ(host.outstanding(), 0u);
        EXPECT_TRUE(host.handBackErrors().empty());
    }
}

TEST(TextGet, OutputMayBeOneOfTheArguments) {
    RecordingHost host;
    host.answer("TG '1' 'Mixer' 'value'", "value=9");
    TestScript script(&host, "");
    orvo_string param("value");
    script.textGet(param, "1", "Mixer", param);
    EXPECT_STREQ(param.c_str(), "9");
}

TEST(ControlIdList, SplitsTheAnswerAtCommas) {
    struct Case {
        std::optional<std::string> answer;
        std::vector<std::string> entries;
    };
    const std::vector<Case> cases = {
        {"alm_1,alm_2", {"alm_1", "alm_2"}},
        {"alm_1", {"alm_1"}},
        {"", {}},
        {std::nullopt, {}},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.answer("XI '1' 'alm_'", c.answer);
        TestScript script(&host, "");
        orvo_stringlist list = script.controlIdList("1", "alm_");
        std::vector<std::string> entries;
        for (const orvo_string& entry : list) {
            entries.emplace_back(entry.c_str());
        }
        EXPECT_EQ(entries, c.entries);
        EXPECT_EQ(host.outstanding(), 0u);
        EXPECT_EQ(host.log().size(), c.answer ? 2u : 1u);  // the command, and one hand-back per answer
    }
}

TEST(PanelCommands, WithoutAHostSendNothingAndGiveEmptyResults) {
    TestScript script(nullptr, "layouts");
    EXPECT_TRUE(script.panelInit("1", "a.ui", ""));
    EXPECT_TRUE(script.panelShow("1", "a.ui", "x"));
    script.controlEnable("1", "Select");
    script.controlDisable("1", "Select");
    script.textPut("a", "b", "1", "Mixer");
    script.textPut("a", "1", "Mixer");
    orvo_string out("previous");
    script.textGet("selectedindex", "1", "Mixer", out);
    EXPECT_EQ(out.length(), 0);
    EXPECT_EQ(script.controlIdList("1", "alm_").count(), 0);
}

TEST(Debug, WritesTextUnchangedAndFillsNineMarkersInOnePass) {
    RecordingHost host;
    host.captureDebug();
    TestScript script(&host, "");
    script.debug("plain line\n");
    script.debug(orvo_string("no line end"));
    script.debugFormat("%1-%2-%3-%4-%5-%6-%7-%8-%9 %10 %%1 100%", "a", "b", "c", "d", "e", "f", "g", "h",
                       "%1");
    TestScript noHost(nullptr, "");
    noHost.debug("without host\n");
    EXPECT_EQ(host.debugLines(), (std::vector<std::string>{
                                     "plain line", "no line enda-b-c-d-e-f-g-h-%1 a0 %a 100%without host"}));
}

}  // namespace
