// The workbench's action endpoint against the test panel (tests/tools/test_panel.cpp): a bad body
// answers 400 with what is wrong, in the scenario reader's words where it is a bad step; each action is
// one step of the saved scenario, which replays green; the server refuses a port in use and takes
// actions only as JSON and only for its own address.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "action.h"
#include "input_error.h"
#include "scenario.h"
#include "site.h"
#include "workbench.h"
#include "workbench_server.h"

namespace {

Site testSite() {
    return parseSite(R"({ "layouts": "", "infodrivers": [ { "device": 7, "slots": { "1": "a" } } ] })",
                     "site.json", WORKBENCH_TEST_DIR);
}

// One run of the test panel with a workbench on it, started as `panel_host --serve` starts it.
struct Bench {
    Site site = testSite();
    std::ostringstream out;
    Transcript transcript{out};
    Runner runner{site, PANEL_HOST_TEST_PANEL, transcript};
    EventStream events;
    Workbench workbench{runner, transcript, site, events};

    Bench() { workbench.ready(); }
};

std::string readerError(const std::string& line) {
    try {
        parseStep(line, "browser", 1);
    } catch (const InputError& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(WorkbenchActions, BadBodyAnswers400WithWhatIsWrongAndPlaysNothing) {
    struct Case {
        std::string body;
        std::string expected;
    };
    const Case cases[] = {
        {"select 3", "browser:1: the body is not JSON"},
        {"[3]", "browser:1: the body must be a JSON object with an \"action\""},
        {R"({"action":"jump"})",
         "browser:1: unknown action \"jump\"; the actions are press, select, pick, "
         "advance, tick, request, revertive, silent, unknown, stop"},
        {R"({"action":"select","row":"abc"})", readerError("select abc")},
        {R"({"action":"pick","control":"Choice"})", readerError("pick")},
        {R"({"action":"select","control":"Items","row":[1]})",
         "browser:1: \"row\" must be a number or a text"},
        {R"({"action":"request","text":"a\nb"})",
         "browser:1: \"text\" holds a line break or another control character; a step is one line"},
        {R"({"action":"press","control":"Send Items"})",
         "browser:1: \"control\" must be one word, not \"Send Items\""},
        {R"({"action":"advance","units":"next"})",
         "browser:1: no timer is running, so there is no next tick to advance to"},
        {R"({"action":"select","row":2})", "browser:1: Items has no row 2 (it has 0)"},
    };
    Bench bench;
    std::string before = bench.workbench.scenario();
    for (const Case& c : cases) {
        Workbench::Reply reply = bench.workbench.act(c.body);
        EXPECT_EQ(reply.status, 400) << c.body;
        EXPECT_EQ(reply.body, c.expected) << c.body;
    }
    EXPECT_EQ(bench.workbench.scenario(), before);
}

TEST(WorkbenchActions, EachActionIsOneStepAndTheSessionReplaysGreen) {
    struct Case {
        std::string body;
        std::string line;  // as saved
    };
    const Case cases[] = {
        {R"({"action":"press","control":"Send","message":"x=ET 1 500"})",
         "press Send x=ET 1 500\nexpect sent ET 1 500\nexpect no more commands\n"},
        {R"({"action":"advance","units":"next"})", "advance 500\nexpect no more commands\n"},
        {R"({"action":"pick","control":"Choice","number":12})", "pick 12\n"},
        {R"({"action":"revertive","device":7,"slot":1,"text":" b "})", "revertive 7 1 \" b \"\n"},
        {R"({"action":"request","text":"return"})", "request return\n"},
    };
    Bench bench;
    for (const Case& c : cases) {
        Workbench::Reply reply = bench.workbench.act(c.body);
        EXPECT_EQ(reply.status, 200) << c.body << ": " << reply.body;
        EXPECT_NE(bench.workbench.scenario().find("\n" + c.line), std::string::npos) << c.body;
    }
    // A list other than the first is named in the line; the first goes unnamed.
    const Panels& panels = bench.runner.panels();
    EXPECT_EQ(
        actionLine(R"({"action":"select","control":"Other","row":1})", panels, bench.runner.timers(), "b"),
        "select Other 1");
    EXPECT_EQ(actionLine(R"({"action":"select","control":"Items","row":"none"})", panels,
                         bench.runner.timers(), "b"),
              "select none");

    std::string saved = bench.workbench.scenario();
    std::istringstream in(saved);
    std::vector<Step> steps = readScenario(in, "saved.scenario");
    size_t played = 0;
    for (const Step& step : steps) {
        played += step.isExpect() ? 0 : 1;
    }
    EXPECT_EQ(played, 1 + std::size(cases));  // start, then one step an action
    Site site = testSite();
    std::ostringstream out;
    Transcript transcript(out);
    Runner replay(site, PANEL_HOST_TEST_PANEL, transcript);
    for (const Step& step : steps) {
        replay.run(step);
    }
    replay.finish();
    EXPECT_EQ(replay.exitCode(), 0) << saved << out.str();
}

TEST(WorkbenchServer, RefusesAPortInUseAndTakesActionsOnlyAsJsonForItsOwnAddress) {
    Bench bench;
    WorkbenchServer server(bench.workbench, bench.events);
    int port = server.bind("127.0.0.1", 0);
    WorkbenchServer second(bench.workbench, bench.events);
    EXPECT_THROW(second.bind("127.0.0.1", port), InputError);  // a port in use is refused, not shared
    std::atomic<bool> done{false};
    std::thread client([&] {
        httplib::Client http("127.0.0.1", port);
        auto asText = http.Post("/action", R"({"action":"stop"})", "text/plain");
        auto bad = http.Post("/action", R"({"action":"pick"})", "application/json");
        auto good = http.Post("/action", R"({"action":"stop"})", "application/json");
        auto scenario = http.Get("/scenario");
        auto foreign = http.Get("/state", {{"Host", "workbench.example:80"}});
        EXPECT_EQ(asText ? asText->status : 0, 415);
        EXPECT_EQ(bad ? bad->status : 0, 400);
        EXPECT_EQ(bad ? bad->body : "", "browser:1: pick needs the number to choose");
        EXPECT_EQ(good ? good->status : 0, 200);
        EXPECT_NE(scenario ? scenario->body.find("\nstop\nexpect sent AS\n") : std::string::npos,
                  std::string::npos);
        EXPECT_EQ(foreign ? foreign->status : 0, 403);
        done = true;
    });
    server.serveUntil([&] { return done.load(); });
    client.join();
}

}  // namespace
