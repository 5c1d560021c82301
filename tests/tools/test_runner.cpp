// The runner and host model played against the test panel (test_panel.cpp), whose controls each do
// one thing to the host: send a command, keep an answer, hand one back twice, and so on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "input_error.h"
#include "runner.h"
#include "scenario.h"
#include "site.h"
#include "transcript.h"

namespace {

const char* const kLayout =
    "button Send\nbutton Keep\nbutton Return\nbutton Twice\nbutton Foreign\nbutton Poll\nbutton Mute\n"
    "button OnTick\n"
    "list Items columns=A,B\npicker Choice\nlist Other columns=X\n";

// The site's directory, with the layout, made once for the test program and removed when it ends. Each
// program has its own: CTest runs the cases as programs side by side, and a layout one of them is
// rewriting while another reads it is a layout with no controls.
class SiteDirectory {
public:
    SiteDirectory() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("panel_host_runner_test_" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
        std::ofstream(path_ / "Test.orvo_ui") << kLayout;
        std::ofstream(path_ / "Bad.orvo_ui") << "list Items columns=A selectedindex=banana\n";
        std::filesystem::create_directories(path_ / "Dir.orvo_ui");
    }
    ~SiteDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

std::string siteDir() {
    static SiteDirectory dir;
    return dir.path();
}

Site testSite() {
    return parseSite(R"({
        "layouts": "",
        "instances": { "Router": { "device": 3, "offset": 1 } },
        "infodrivers": [ { "device": 7, "slots": { "1": "a", "2": "b", "3": "c" } } ]
    })",
                     "site.json", siteDir());
}

struct Played {
    std::string transcript;
    int errors = 0;
    int failures = 0;
    std::vector<Fault> faults;  // the rule of each ERROR, in order
};

Played play(const std::string& scenario) {
    std::ostringstream out;
    Transcript transcript(out);
    Played played;
    {
        Runner runner(testSite(), PANEL_HOST_TEST_PANEL, transcript);
        std::istringstream in(scenario);
        for (const Step& step : readScenario(in, "t.scenario")) {
            runner.run(step);
        }
        runner.finish();
        played.errors = runner.record().errors();
        played.failures = runner.record().failures();
        for (const RunRecord::Breach& breach : runner.record().breaches()) {
            played.faults.push_back(breach.fault);
        }
    }
    played.transcript = out.str();
    return played;
}

std::string stepError(const std::string& scenario) {
    try {
        play(scenario);
    } catch (const InputError& error) {
        return error.what();
    }
    return "(no error)";
}

// True when the lines appear in this order in the transcript.
bool inOrder(const std::string& transcript, const std::vector<std::string>& lines) {
    size_t at = 0;
    for (const std::string& line : lines) {
        at = transcript.find(line, at);
        if (at == std::string::npos) {
            return false;
        }
        at += line.size();
    }
    return true;
}

TEST(HostRun, AWellBehavedScriptKeepsTheContract) {
    Played run = play("press Send value=SD 'Router'\n");
    EXPECT_EQ(run.errors, 0) << run.transcript;
    EXPECT_TRUE(
        inOrder(run.transcript, {"sent    SD 'Router'", "answer  \"3 1\"", "back    \"3 1\"", "sent    AS"}))
        << run.transcript;
}

TEST(HostRun, ContractFaultsAreErrorsWithTheirRule) {
    struct Case {
        const char* scenario;
        const char* error;
        std::vector<Fault> faults;
    };
    const Case cases[] = {
        {"press Keep value=SD 'Router'\n",
         "ERROR   answer-not-handed-back: the answer \"3 1\" to SD 'Router' was not handed back before the "
         "call into the script "
         "returned",
         {Fault::AnswerNotHandedBack}},
        // Reported once, and taken back later without another report.
        {"press Keep value=SD 'Router'\npress Send value=CE '1' 'Send'\npress Return\n",
         "ERROR   answer-not-handed-back: the answer \"3 1\" to SD 'Router' was not handed back before the "
         "call into the script returned",
         {Fault::AnswerNotHandedBack}},
        {"press Twice value=SD 'Router'\n",
         "ERROR   answer-handed-back-twice: the answer \"3 1\" to SD 'Router' was handed back twice",
         {Fault::HandedBackTwice}},
        {"press Foreign\n",
         "ERROR   foreign-hand-back: the script handed back a text this host never gave it",
         {Fault::ForeignHandBack}},
        {"press Mute\n",
         "ERROR   no-closing-command: the script ended without sending AS",
         {Fault::NoClosingCommand}},
        {"press Send value=IP 7 1 x\n",
         "ERROR   malformed-command: malformed command: IP: field \"x\" is not a number",
         {Fault::MalformedCommand}},
        {"press Send value=HELLO\n",
         "ERROR   malformed-command: malformed command: unknown command word \"HELLO\"",
         {Fault::MalformedCommand}},
        {"press Send value=AS\n",
         "ERROR   command-after-close: a command after AS, which must be the script's last",
         {Fault::CommandAfterClose}},
        // Every command after AS, the script's own closing AS included.
        {"press Send value=AS\npress Send value=CE '1' 'Send'\n",
         "ERROR   command-after-close: a command after AS, which must be the script's last",
         {Fault::CommandAfterClose, Fault::CommandAfterClose}},
        {"press Send value=IR 7 5 1\n",
         "ERROR   empty-register-range: IR: the range 5 to 1 is empty; nothing registered",
         {Fault::EmptyRange}},
        {"press Send value=IP 7 1 4097\n",
         "ERROR   poll-refused: IP: the range 1 to 4097 is wider than 4096 slots; nothing polled",
         {Fault::PollRefused}},
        {"press Send value=ET 2 0\n",
         "ERROR   zero-timer-interval: ET: interval 0; a script stops a timer with ET 2 alone",
         {Fault::ZeroInterval}},
    };
    for (const Case& c : cases) {
        Played run = play(c.scenario);
        EXPECT_EQ(run.errors, static_cast<int>(c.faults.size())) << c.scenario << run.transcript;
        EXPECT_NE(run.transcript.find(c.error), std::string::npos) << c.scenario << run.transcript;
        EXPECT_EQ(run.faults, c.faults) << c.scenario;
    }
}

TEST(HostRun, DebugLinesLandBetweenTheCommandsAroundThem) {
    Played run = play("press Poll value=CE '1' 'Send'\n");
    EXPECT_TRUE(inOrder(run.transcript, {"debug   TestPanel: created", "sent    PI '1' 'Test.orvo_ui'",
                                         "sent    CE '1' 'Send'", "debug   TestPanel: after the command"}))
        << run.transcript;
}

TEST(HostRun, PolledRevertivesArriveOnlyOnceTheEventHasReturned) {
    Played run = play("silent 7 2\npress Send value=IR 7 1 3\npress Poll value=IP 7 1 3\n");
    EXPECT_TRUE(inOrder(run.transcript, {"sent    IP 7 1 3", "debug   TestPanel: after the command",
                                         "event   revertive 7 1 \"a\"", "debug   TestPanel: revertive 7 1 a",
                                         "event   revertive 7 3 \"c\""}))
        << run.transcript;
    EXPECT_EQ(run.transcript.find("revertive 7 2"), std::string::npos) << run.transcript;
}

TEST(HostRun, WritesComeBackOnlyToARegisteredScript) {
    Played run = play(
        "press Send value=IR 7 1 5\n"
        "press Send value=IW 7 'x y' 3 1\n"
        "press Send value=IW 7 'e' 5 1\n"
        "press Send value=IR 7 8 9\n"
        "press Send value=IW 7 'r' 1 1\n"
        "press Send value=IW 7 'n' 8 1\n"
        "press Send value=IU 7\n"
        "press Send value=IW 7 'z' 8 1\n"
        "press Send value=IP 7 8 8\n"
        "press Send value=IR 7 1 1\n"
        "press Poll value=IP 7 1 1\n");
    EXPECT_TRUE(inOrder(run.transcript,
                        {"sent    IW 7 'x y' 3 1", "event   revertive 7 3 \"x y\"", "sent    IW 7 'e' 5 1",
                         "event   revertive 7 5 \"e\"", "sent    IR 7 8 9", "sent    IW 7 'r' 1 1",
                         "note    unregistered-slot: IW: no revertive will come for slot 1 of device 7",
                         "event   revertive 7 8 \"n\"", "sent    IU 7", "sent    IW 7 'z' 8 1",
                         "note    unregistered-slot: IW: no revertive will come", "sent    IP 7 8 8",
                         "note    unregistered-slot: IP: no revertive will come", "sent    IP 7 1 1",
                         "event   revertive 7 1 \"r\""}))
        << run.transcript;
    // The last slot of a range is registered; a new IR without 'ADD' replaces the ranges before it.
    EXPECT_EQ(run.transcript.find("slot 5 of device 7"), std::string::npos) << run.transcript;
    // A driver reports only to the panels registered for a slot, a poll's answer included.
    EXPECT_GT(run.transcript.find("revertive 7 1 \"r\""), run.transcript.find("sent    IP 7 1 1"))
        << run.transcript;
    EXPECT_EQ(run.transcript.find("revertive 7 8 \"z\""), std::string::npos) << run.transcript;
    EXPECT_EQ(run.errors, 0);
}

// The widest poll there may be: every registered slot of it answers.
TEST(HostRun, APollOfTheMostSlotsIsCarriedOut) {
    Played run = play("press Send value=IR 7 1 4096\npress Poll value=IP 7 1 4096\n");
    EXPECT_EQ(run.errors, 0) << run.transcript;
    EXPECT_TRUE(inOrder(run.transcript, {"event   revertive 7 1 \"a\"", "event   revertive 7 4096 \"\""}))
        << run.transcript.substr(0, 2000);
}

TEST(HostRun, TimerTicksFallDueInOrderOfTimeThenOfStarting) {
    Played run = play(
        "press Send value=ET 1 300\n"
        "press Send value=ET 2 200\n"
        "advance 600\n"
        "press Send value=ET 2\n"
        "press Send value=ET 3 -5\n"
        "advance 300\n");
    EXPECT_TRUE(inOrder(
        run.transcript,
        {"timer 2 (clock 200)", "timer 1 (clock 300)", "timer 2 (clock 400)", "timer 1 (clock 600)",
         "timer 2 (clock 600)", "note    ET: interval -5 is not positive; ignored", "timer 1 (clock 900)"}))
        << run.transcript;
    EXPECT_EQ(run.transcript.find("timer 2 (clock 800)"), std::string::npos) << run.transcript;
    EXPECT_EQ(run.transcript.find("timer 3"), std::string::npos) << run.transcript;

    // A timer restarted from its own tick runs from that tick on.
    run = play("press OnTick value=ET 1 300\npress Send value=ET 1 300\nadvance 900\n");
    EXPECT_TRUE(
        inOrder(run.transcript, {"timer 1 (clock 300)", "timer 1 (clock 600)", "timer 1 (clock 900)"}))
        << run.transcript;
}

TEST(HostRun, ControlQueriesAnswerParamEqualsValue) {
    Played run = play(
        "press Send value=TG '1' 'Choice' 'index'\n"
        "press Send value=TG '1' 'Choice' 'size'\n"
        "press Send value=TG '1' 'Choice' 'all'\n"
        "press Send value=XI '1' 'P'\n"
        "press Send value=XI '1' 'Z'\n"
        "press Send value=TG '2' 'Choice' 'index'\n");
    EXPECT_TRUE(
        inOrder(run.transcript, {"answer  \"index=-1\"", "note    TG: Choice has no parameter \"size\"",
                                 "answer  none", "answer  \"enabled=1", "answer  \"Poll\"", "answer  none",
                                 "note    TG: panel \"2\" is not loaded; ignored", "answer  none"}))
        << run.transcript;
    EXPECT_EQ(run.errors, 0);
}

TEST(HostRun, ParentRequestAnswersAreShownCheckedAndHandedBack) {
    Played run = play(
        "request hello\n"
        "expect answer echo:hello\n"
        "expect answer echo:...\n"
        "request\n"
        "expect no answer\n");
    EXPECT_EQ(run.failures, 0) << run.transcript;
    EXPECT_TRUE(inOrder(run.transcript, {"answer  \"echo:hello\"", "event   release \"echo:hello\""}));
}

TEST(HostRun, FailedExpectationsAreCountedAndTheRunGoesOn) {
    Played run = play(
        "press Send value=CD '1' 'Keep'\n"
        "expect sent CE '1' 'Keep'\n"
        "expect enabled Keep\n"
        "expect disabled Keep\n"
        "press Keep\n"
        "expect note Keep is disabled; the operator's press sends no event\n"
        "expect no more commands\n");
    EXPECT_EQ(run.failures, 2) << run.transcript;
    EXPECT_NE(
        run.transcript.find("FAIL t.scenario:2: expected the script to send CE '1' 'Keep'\n    it sent\n"
                            "        CD '1' 'Keep'"),
        std::string::npos)
        << run.transcript;
    EXPECT_NE(run.transcript.find("FAIL t.scenario:3: expected Keep to be enabled, it is disabled"),
              std::string::npos);
}

TEST(HostRun, ExpectSentOnlyLooksAtCommandsSinceTheLastStep) {
    Played run = play(
        "press Send value=CE '1' 'Keep'\n"
        "press Send value=CE '1' 'Twice'\n"
        "expect sent CE '1' 'Twice'\n"
        "expect not sent CE '1' 'Keep'\n"
        "expect no more commands\n");
    EXPECT_EQ(run.failures, 0) << run.transcript;
}

TEST(HostRun, StepsThatCannotBeCarriedOutStopTheRunWithTheirPlace) {
    struct Case {
        const char* scenario;
        const char* error;
    };
    const Case cases[] = {
        {"press Nope\n", "t.scenario:1: no loaded panel has a control \"Nope\""},
        {"start\nselect 5\n", "t.scenario:2: Items has no row 5 (it has 0)"},
        {"start\nstart\n", "t.scenario:2: the script has already been started"},
        {"stop\npress Send\n", "t.scenario:2: press Send: the script has already been stopped"},
        {"silent 9 1\n", "t.scenario:1: device 9 is not an information driver"},
        {"unknown Mixer Desk\n", "t.scenario:1: the site has no instance \"Mixer Desk\""},
        {"select Choice 1\n", "t.scenario:1: Choice is a picker, not a list"},
        {"press Choice index=x\n", "t.scenario:1: Choice: index \"x\" is not a whole number; ignored"},
        // A layout that is there but unreadable is a bad input; a missing one is only refused.
        {"press Send value=PI '2' 'Bad.orvo_ui'\n", "Bad.orvo_ui:1: Items: no row \"banana\" to select"},
        {"press Send value=PI '2' 'Dir.orvo_ui'\n", "Dir.orvo_ui: is a directory"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(stepError(c.scenario), c.error) << c.scenario;
    }
}

TEST(HostRun, StepsDriveANamedListOrPickerAndTheOtherEventKinds) {
    Played run = play(
        "press Send value=TP 'add=a' '1' 'Other'\n"
        "select Other 1\n"
        "expect cell Other 1 0 a\n"
        "expect param Other selectedindex 0\n"
        "press Choice index=4\n"
        "expect param Choice index 4\n"
        "integer -9\n"
        "record\n"
        "expect debug TestPanel: record\n"
        "show\n"
        "expect no debug\n"
        "expect no more commands\n");
    EXPECT_EQ(run.failures, 0) << run.transcript;
    EXPECT_EQ(run.errors, 0) << run.transcript;
    EXPECT_TRUE(inOrder(run.transcript,
                        {"event   button 1 Other \"selectedindex=0\"", "event   button 1 Choice \"index=4\"",
                         "event   integer -9", "debug   TestPanel: integer -9", "event   record"}))
        << run.transcript;
}

TEST(HostRun, AMissingLibraryOrExportIsABadInput) {
    std::ostringstream out;
    Transcript transcript(out);
    EXPECT_THROW(Runner(testSite(), "/no/such/panel.so", transcript), InputError);
    try {
        Runner runner(testSite(), PANEL_HOST_NO_EXPORT, transcript);
        FAIL() << "loaded a library without the export";
    } catch (const InputError& error) {
        EXPECT_EQ(error.what(),
                  std::string(PANEL_HOST_NO_EXPORT) + ": the library has no export load_orvo_client_script");
    }
    // A file that is there but is no library: the loader's own reason follows the file's name (and the
    // path the loader was given, where that is another).
    std::string layout = siteDir() + "/Test.orvo_ui";
    try {
        Runner runner(testSite(), layout, transcript);
        FAIL() << "loaded a layout file as a library";
    } catch (const InputError& error) {
        std::string expected = layout + ": cannot load the panel library";
        EXPECT_EQ(std::string(error.what()).compare(0, expected.size(), expected), 0) << error.what();
        EXPECT_GT(std::string(error.what()).size(), expected.size()) << error.what();
    }
}

#if defined(_WIN32)
TEST(HostRun, ALayoutBaseWithADriveLetterIsNotTakenAsRelativeToTheSite) {
    std::string base = std::filesystem::path(siteDir()).generic_string();
    ASSERT_EQ(base.substr(1, 1), ":") << base;
    Site site = parseSite(R"({ "layouts": ")" + base + R"(" })", "site.json", "Z:/no/such/site/dir");
    std::ostringstream out;
    Transcript transcript(out);
    {
        Runner runner(site, PANEL_HOST_TEST_PANEL, transcript);
        std::istringstream in("start\n");
        for (const Step& step : readScenario(in, "t.scenario")) {
            runner.run(step);
        }
        runner.finish();
    }
    EXPECT_TRUE(inOrder(out.str(), {"sent    PI '1' '" + base + "/Test.orvo_ui'", "answer  1"})) << out.str();
}
#endif

}  // namespace

TEST(HostRun, TheDrawingShowsWhatTheScriptSetWithTP) {
    Played run = play("press Send value=TP 'text=ON' '1' 'Keep'\nshow\n");
    EXPECT_EQ(run.errors, 0) << run.transcript;
    EXPECT_NE(run.transcript.find("Keep:      button, enabled\n             set: text=ON\n"),
              std::string::npos)
        << run.transcript;
}
