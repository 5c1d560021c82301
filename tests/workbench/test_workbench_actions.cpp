// The workbench's action endpoint against the test panel (tests/tools/test_panel.cpp): a bad body
// answers 400 with what is wrong, in the scenario reader's words where it is a bad step; each action is
// one step of the saved scenario, which replays green; the server refuses a port in use and takes
// actions only as JSON and only for its own address.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "action.h"
#include "input_error.h"
#include "library_watch.h"
#include "scenario.h"
#include "site.h"
#include "text.h"
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
    EventStream events;
    Workbench workbench{PANEL_HOST_TEST_PANEL, site, events, out};

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
        {R"({"action":"request","text":")" + std::string(kLongestStepLine, 'x') + R"("})",
         "browser:1: the step is " + std::to_string(kLongestStepLine + 8) +
             " bytes long; a step line holds at most " + std::to_string(kLongestStepLine)},
        {R"({"action":"select","row":2})", "browser:1: Items has no row 2 (it has 0)"},
    };
    Bench bench;
    std::string before = bench.workbench.scenario();
    for (const Case& c : cases) {
        Workbench::Reply reply = bench.workbench.act(c.body);
        EXPECT_EQ(reply.status, 400) << c.body.substr(0, 60);
        EXPECT_EQ(reply.body, c.expected) << c.body.substr(0, 60);
    }
    EXPECT_EQ(bench.workbench.scenario(), before);
    // Each refusal is in the transcript too, under the step it stopped.
    EXPECT_NE(bench.out.str().find("   refused browser:1: Items has no row 2 (it has 0)\n"),
              std::string::npos);
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
        {R"({"action":"request","text":")" + std::string(kLongestStepLine - 8, 'x') + R"("})",
         "request " + std::string(kLongestStepLine - 8, 'x') + "\n"},  // the longest step there may be
    };
    Bench bench;
    for (const Case& c : cases) {
        Workbench::Reply reply = bench.workbench.act(c.body);
        EXPECT_EQ(reply.status, 200) << c.body << ": " << reply.body;
        EXPECT_NE(bench.workbench.scenario().find("\n" + c.line), std::string::npos) << c.body;
    }
    // A list other than the first is named in the line; the first goes unnamed.
    Site site = testSite();
    std::ostringstream out;
    Transcript transcript(out);
    Runner runner(site, PANEL_HOST_TEST_PANEL, transcript);
    runner.run(*parseStep("start", "t", 1));
    const Panels& panels = runner.panels();
    EXPECT_EQ(actionLine(R"({"action":"select","control":"Other","row":1})", panels, runner.timers(), "b"),
              "select Other 1");
    EXPECT_EQ(
        actionLine(R"({"action":"select","control":"Items","row":"none"})", panels, runner.timers(), "b"),
        "select none");

    std::string saved = bench.workbench.scenario();
    std::istringstream in(saved);
    std::vector<Step> steps = readScenario(in, "saved.scenario");
    size_t played = 0;
    for (const Step& step : steps) {
        played += step.isExpect() ? 0 : 1;
    }
    EXPECT_EQ(played, 1 + std::size(cases));  // start, then one step an action
    out.str("");
    Runner replay(site, PANEL_HOST_TEST_PANEL, transcript);
    for (const Step& step : steps) {
        replay.run(step);
    }
    replay.finish();
    EXPECT_EQ(replay.exitCode(), 0) << saved << out.str();
}

// The author's broken builds, one after another under --watch: each runs in a process of its own, so
// the workbench outlives it, says what happened at which step, keeps the whole session (also in its
// file) and never calls a replay that stopped early the same; a good build takes the session up again.
TEST(WorkbenchBrokenBuilds, CrashHangCutShortAndGoodAgainKeepTheSession) {
#if defined(WORKBENCH_SANITIZED)
    GTEST_SKIP() << "the crash build's signal is the sanitizer's to report in a sanitizer build";
#endif
    std::filesystem::path scratch = std::filesystem::path(::testing::TempDir()) / "workbench_broken";
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch);
    std::string library = (scratch / "Variant.so").string();
    auto variant = [](const std::string& name) {
        return std::string(WORKBENCH_VARIANT_DIR) + "/workbench_variant_" + name + ".so";
    };
    auto build = [&](const std::string& name) {
        std::filesystem::copy_file(variant(name), library, std::filesystem::copy_options::overwrite_existing);
    };
    build("before");
    Site site = parseSite(R"({ "layouts": "" })", "site.json", WORKBENCH_TEST_DIR);
    std::ostringstream out;
    EventStream events;
    BenchOptions options;
    options.watch = true;
    options.stepLimit = 3;  // short, yet long enough for a loaded machine to play a step
    options.sessionFile = (scratch / "session.scenario").string();
    Workbench bench(library, site, events, out, options);
    bench.ready();
    ASSERT_EQ(bench.act(R"({"action":"press","control":"Mark"})").status, 200);
    ASSERT_EQ(bench.act(R"({"action":"select","row":1})").status, 200);
    // The session's steps, without what each build sent for them.
    auto steps = [](const std::string& text) {
        std::string out;
        for (const std::string& line : linesOf(text)) {
            out += line.rfind("expect", 0) == 0 || line.rfind("#", 0) == 0 ? "" : line + "\n";
        }
        return out;
    };
    const std::string session = steps(bench.scenario());

    struct Rebuild {
        const char* build;    // "cut" for the good build's first 20000 bytes
        const char* says;     // on the terminal
        const char* stopped;  // in the comparison; "" when it plays through
        int takeBack;         // the build offered to take back; 0 for none
    };
    const Rebuild rebuilds[] = {
        {"crash", "build 2 crashed at step 2 `press Mark`: the script crashed (SIGSEGV)", "crashed", 1},
        {"hang",
         "build 3 hung at step 2 `press Mark`: the script did not finish within the step limit of 3 s",
         "hung", 1},
        {"cut", "not loaded: ", "", 0},
        {"after", "build 4 replayed 3 of 3 steps; 1 of them differ", "", 0},
    };
    for (const Rebuild& rebuild : rebuilds) {
        if (std::string(rebuild.build) == "cut") {
            std::ifstream whole(variant("before"), std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
            std::ofstream(library, std::ios::binary | std::ios::trunc) << bytes.substr(0, 20000);
        } else {
            build(rebuild.build);
        }
        out.str("");
        bench.reload();
        nlohmann::json state = nlohmann::json::parse(bench.state());
        nlohmann::json compare = nlohmann::json::parse(bench.compare());
        EXPECT_NE(out.str().find(rebuild.says), std::string::npos) << rebuild.build << ":\n" << out.str();
        EXPECT_EQ(steps(bench.scenario()), session) << rebuild.build << ": the session is kept whole";
        bench.idle();
        std::ifstream saved(options.sessionFile);
        EXPECT_EQ(steps(std::string(std::istreambuf_iterator<char>(saved), std::istreambuf_iterator<char>())),
                  session)
            << rebuild.build << ": and so is its file";
        if (*rebuild.stopped != '\0') {
            EXPECT_EQ(compare["same"], false) << rebuild.build;
            EXPECT_EQ(compare["replayed"], 1) << rebuild.build;  // the start, then the step that failed
            EXPECT_NE(state["failure"].get<std::string>().find(rebuild.stopped), std::string::npos);
            EXPECT_EQ(state["goodBuild"], rebuild.takeBack);
            EXPECT_EQ(bench.act(R"({"action":"select","row":1})").status, 409) << "no build runs";
            ASSERT_EQ(bench.takeBack().status, 200);
            EXPECT_EQ(nlohmann::json::parse(bench.state())["failure"], "")
                << "build 1 runs the session again";
            EXPECT_EQ(steps(bench.scenario()), session);
        } else if (std::string(rebuild.build) == "cut") {
            EXPECT_NE(state["buildProblem"].get<std::string>().find("cut short"), std::string::npos);
        } else {
            EXPECT_EQ(compare["differences"][0]["step"], "press Mark") << compare.dump();
            EXPECT_EQ(state["failure"], "");
        }
    }
    // A crash by a click, on a build that played the session through, is named by the click's step.
    ASSERT_EQ(bench.newSession().status, 200);
    build("crash");
    bench.reload();
    out.str("");
    Workbench::Reply crashed = bench.act(R"({"action":"press","control":"Mark"})");
    EXPECT_EQ(crashed.status, 500);
    EXPECT_NE(crashed.body.find("build 5 crashed at browser:1 `press Mark`: the script crashed (SIGSEGV)"),
              std::string::npos)
        << crashed.body;
    EXPECT_EQ(bench.takeBack().status, 200);
    EXPECT_EQ(steps(bench.scenario()), "\nstart\n");
    std::filesystem::remove_all(scratch);
}

TEST(WorkbenchServer, RefusesAPortInUseAndAnswersOnlyItsOwnNamesJsonPostsAndSmallBodies) {
    Bench bench;
    WorkbenchServer server(bench.workbench, bench.events);
    int port = server.bind("127.0.0.1", 0);
    WorkbenchServer second(bench.workbench, bench.events);
    EXPECT_THROW(second.bind("127.0.0.1", port), InputError);  // a port in use is refused, not shared
    std::string self = "127.0.0.1:" + std::to_string(port);
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    struct Case {
        std::string host;
        std::string type;  // "" for a GET of /state
        std::string body;
        int status;
    };
    const Case cases[] = {
        {self, "text/plain", R"({"action":"stop"})", 415},
        {self, "application/json-seq", R"({"action":"stop"})", 415},
        {self, "application/json", R"({"action":"pick"})", 400},
        {self, "application/json", R"({"action":"request","text":")" + std::string(70000, 'x') + "\"}", 413},
        // The most a body may be: read, and refused for its step, not for its size.
        {self, "application/json",
         R"({"action":"request","text":")" + std::string(WorkbenchServer::kMaxBody - 30, 'x') + "\"}", 400},
        {"workbench.example:80", "", "", 403},
        {"127.0.0.1:1", "", "", 403},
        {"LOCALHOST:" + std::to_string(port), "", "", 200},
        {"[::1]:" + std::to_string(port), "", "", 200},
        {std::string(name) + ":" + std::to_string(port), "", "", 200},
        {self, "Application/JSON; charset=utf-8", R"({"action":"stop"})", 200},
    };
    std::atomic<bool> done{false};
    std::thread client([&] {
        httplib::Client http("127.0.0.1", port);
        for (const Case& c : cases) {
            httplib::Headers headers = {{"Host", c.host}};
            auto reply =
                c.type.empty() ? http.Get("/state", headers) : http.Post("/action", headers, c.body, c.type);
            EXPECT_EQ(reply ? reply->status : 0, c.status)
                << c.host << " " << c.type << " " << c.body.substr(0, 40);
        }
        auto scenario = http.Get("/scenario");
        EXPECT_NE(scenario ? scenario->body.find("\nstop\nexpect sent AS\n") : std::string::npos,
                  std::string::npos);
        EXPECT_EQ(scenario ? scenario->body.find("pick\n") : 0, std::string::npos);  // refused: not recorded
        done = true;
    });
    server.serveUntil([&] { return done.load(); });
    client.join();
}

TEST(WorkbenchServer, AnyOtherListenAddressKeepsTheHostCheck) {
    Bench bench;
    WorkbenchServer server(bench.workbench, bench.events);
    int port = server.bind("0.0.0.0", 0);
    const std::vector<std::string>& hosts = server.allowedHosts();
    for (const char* name : {"0.0.0.0", "127.0.0.1", "localhost", "[::1]"}) {
        EXPECT_NE(std::find(hosts.begin(), hosts.end(), std::string(name) + ":" + std::to_string(port)),
                  hosts.end())
            << name;
    }
    EXPECT_FALSE(isLoopbackAddress("0.0.0.0"));
    EXPECT_TRUE(isLoopbackAddress("127.0.0.2"));
}

TEST(EventStream, KeepsTheNewestLinesAndDrawingAndSendsThemAtOneGo) {
    EventStream events;
    for (int i = 0; i < 1500; ++i) {
        events.line("{\"text\":\"" + std::to_string(i) + "\"}");
    }
    events.state("{\"version\":1}");
    events.state("{\"version\":2}");
    EXPECT_EQ(events.keptLines(), EventStream::kKeptLines);
    uint64_t position = 0;
    std::string out;
    ASSERT_TRUE(events.read(position, std::chrono::milliseconds(0), out));
    EXPECT_EQ(out.rfind("event: lines\ndata: [{\"text\":\"500\"},", 0), 0u) << out.substr(0, 80);
    EXPECT_NE(out.find("{\"text\":\"1499\"}]\n\nevent: state\ndata: {\"version\":2}\n\n"), std::string::npos);
    EXPECT_EQ(out.find("\"version\":1"), std::string::npos);  // a drawing a newer one replaces is not sent

    events.line("{\"text\":\"next\"}");  // a line waits for the drawing that ends its step
    out.clear();
    ASSERT_TRUE(events.read(position, std::chrono::milliseconds(0), out));
    EXPECT_EQ(out, "");
    events.clear();
    ASSERT_TRUE(events.read(position, std::chrono::milliseconds(0), out));
    EXPECT_EQ(out, "event: clear\ndata: {}\n\n");
    // One page more than kMaxReaders ends the oldest page's stream, and only that one.
    std::vector<uint64_t> readers;
    for (size_t i = 0; i <= EventStream::kMaxReaders; ++i) {
        readers.push_back(events.attach());
    }
    uint64_t at = 0;
    EXPECT_FALSE(events.read(readers.front(), at, std::chrono::milliseconds(0), out));
    EXPECT_TRUE(events.read(readers[1], at, std::chrono::milliseconds(0), out));
    events.detach(readers.front());
    events.close();
    EXPECT_FALSE(events.read(position, std::chrono::milliseconds(0), out));
}

TEST(LibraryWatch, TakesOnlyAWholeLibraryOnceItHasStoppedChangingAndSaysOnceWhyNot) {
    std::ifstream built(PANEL_HOST_TEST_PANEL, std::ios::binary);
    std::string library((std::istreambuf_iterator<char>(built)), std::istreambuf_iterator<char>());
    ASSERT_GT(library.size(), 20000u);
    std::string path = ::testing::TempDir() + "workbench_watch.so";
    auto write = [&](const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; };
    write(library);
    // No settle or give-up window: one steady poll settles the file.
    LibraryWatch watch(path, std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    struct Poll {
        std::optional<std::string> change;  // written before the poll
        bool taken;
        const char* problem;  // in the verdict; "" for none
    };
    const Poll polls[] = {
        {std::nullopt, false, ""},                              // the build it started with
        {library.substr(0, 20000), false, ""},                  // still being written
        {std::nullopt, false, "it is cut short: 20000 bytes"},  // settled, and not whole
        {std::nullopt, false, ""},                              // said once
        {"", false, ""},                                        // the linker empties it
        {std::nullopt, false, "it is empty"},
        {"not a library", false, ""},
        {std::nullopt, false, "it is not a shared library"},
        {library, false, ""},
        {std::nullopt, true, ""},   // whole and steady: taken
        {std::nullopt, false, ""},  // taken once
    };
    int at = 0;
    for (const Poll& poll : polls) {
        if (poll.change) {
            write(*poll.change);
            std::filesystem::last_write_time(
                path, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(++at));
        }
        LibraryWatch::Verdict verdict = watch.poll();
        EXPECT_EQ(verdict.ready, poll.taken) << "poll " << &poll - polls;
        EXPECT_EQ(verdict.problem.empty(), *poll.problem == '\0') << "poll " << &poll - polls;
        EXPECT_NE(verdict.problem.find(poll.problem), std::string::npos) << verdict.problem;
    }
    std::filesystem::remove(path);
}

}  // namespace
