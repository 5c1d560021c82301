// The panel test kit as an author uses it: events built from plain values reach the handlers with what
// the host would carry, debug lines land in order, breaches of the host contract fail the test, a panel
// created through ORVO_DEFINE_PANEL's entry point says why it could not be created, and what goes to
// standard error (a sanitizer's report, the kit's line on a kept record) reaches the test's output.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "debug_output.h"
#include "orvo_panel_testing.h"
#include "orvo_script_helper.h"

namespace {

using Lines = std::vector<std::string>;

// Writes what each handler received as a debug line; refuses to be created under the base path "none".
class EchoPanel : public orvo_script_helper {
public:
    EchoPanel(orvo_host* host, const char* basePath) : orvo_script_helper(host, basePath) {
        if (std::string(basePath) == "none") {
            throw std::runtime_error("no layouts");
        }
        panelInit("1", "Echo.orvo_ui", "");
    }
    void onButton(ButtonEvent* event) override {
        say("button " + text(event->panelId()) + " " + text(event->controlId()) + " " +
            text(event->messageCommand()) + "=" + text(event->messageValue()));
    }
    int32_t onRevertive(RevertiveEvent* event) override {
        say("revertive " + std::to_string(event->deviceNumber()) + " " + std::to_string(event->slotIndex()) +
            " " + text(event->slotText()));
        return 0;
    }
    orvo_string onParentRequest(ParentRequest* request) override {
        return orvo_string(("asked " + text(request->requestCommand())).c_str());
    }
    void onTimer(int32_t timerId) override { say("timer " + std::to_string(timerId)); }
    void onIntegerEvent(int32_t* value) override { say("integer " + std::to_string(*value)); }
    void onRecordEvent(RecordEvent* event) override { say(event->record() != nullptr ? "record" : "null"); }

private:
    static std::string text(const orvo_string& value) { return value.c_str(); }
    void say(const std::string& line) { debug((line + "\n").c_str()); }
};

// Timer 1 reads a freed block, timer 2 overflows an int; a revertive keeps its record, and the next
// one reads it.
class FaultyPanel : public EchoPanel {
public:
    using EchoPanel::EchoPanel;
    void onTimer(int32_t timerId) override {
        if (timerId == 1) {
            // Through a volatile pointer, so the compiler cannot see the read is of a freed block and
            // refuse to build it: the sanitizer is the one that must catch it.
            int* volatile freed = new int(1);
            delete freed;
            debug(std::to_string(*freed).c_str());
        } else {
            volatile int32_t big = 2147483647;
            debug(std::to_string(big + timerId).c_str());
        }
    }
    int32_t onRevertive(RevertiveEvent* event) override {
        if (kept_ != nullptr) {
            debug(kept_->slotText());
        }
        kept_ = std::make_unique<RevertiveEvent>(*event);
        return 0;
    }

private:
    std::unique_ptr<RevertiveEvent> kept_;
};

// A panel on the bare contract, without the helper: it answers a parent request with a block of its own
// and sends a command when the host hands that block back; on a tick it sends a command between two debug
// lines.
class BarePanel : public orvo_client_callback {
public:
    explicit BarePanel(orvo_host* host) : host_(host) {}
    ~BarePanel() override { send("AS"); }
    char* notify(void* data, int32_t kind) override {
        if (kind == orvo_event_parent) {
            char* answer = new char[4];
            std::memcpy(answer, "yes", 4);
            return answer;
        }
        if (kind == orvo_event_release) {
            delete[] static_cast<char*>(data);
            send("CE '1' 'Back'");
        } else if (kind == orvo_event_timer) {
            orvo_debug_output("before\n");
            send("CE '1' 'Tick'");
            orvo_debug_output("after\n");
        }
        return nullptr;
    }

private:
    void send(const char* command) { host_->request(const_cast<char*>(command), orvo_request_command); }
    orvo_host* host_;
};

orvo_client_callback* loadBarePanel(orvo_host* host, const char*) {
    return new BarePanel(host);
}

// Sends a command built by hand, in lower case, on an integer event.
class HandBuiltPanel : public EchoPanel {
public:
    HandBuiltPanel(orvo_host* host, const char* basePath) : EchoPanel(host, basePath), host_(host) {}
    void onIntegerEvent(int32_t*) override { host_->request(const_cast<char*>("tp 'x' '1' 'A'"), 0); }

private:
    orvo_host* host_;
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

}  // namespace

ORVO_DEFINE_PANEL(EchoPanel)

TEST(PanelKit, EveryEventKindReachesItsHandlerAsTheHostCarriesIt) {
    TestedPanel panel;
    ASSERT_TRUE(panel.createThroughExport(load_orvo_client_script, "layouts"));
    EXPECT_EQ(panel.sent(), Lines{"PI '1' 'layouts/Echo.orvo_ui'"});

    int record = 0;
    panel.button("1", "Dest", "index=12");
    panel.revertive(7, 183, "Camera 3");
    panel.tick(1);
    panel.integerEvent(-5);
    panel.recordEvent(&record);
    EXPECT_EQ(panel.parentRequest("return=all"), "asked return");
    EXPECT_EQ(panel.sent(), (Lines{"debug button 1 Dest index=12", "debug revertive 7 183 Camera 3",
                                   "debug timer 1", "debug integer -5", "debug record"}));
    panel.close();
    EXPECT_EQ(panel.sent(), Lines{"AS"});
}

// As the host does: the script's answer to a parent request is handed back to it, and a debug line lands
// between the commands around it.
TEST(PanelKit, AnswersGoBackToTheScriptAndDebugLinesLandInOrder) {
    TestedPanel panel;
    ASSERT_TRUE(panel.createThroughExport(loadBarePanel, ""));
    EXPECT_EQ(panel.parentRequest("return=all"), "yes");
    panel.tick(1);
    EXPECT_EQ(panel.sent(), (Lines{"CE '1' 'Back'", "debug before", "CE '1' 'Tick'", "debug after"}));
}

// The host's answers as a test sets them: a sequence in turn, its last answer again and again, else the
// longest prefix that fits.
TEST(PanelKit, TheRecordingHostAnswersAsTheTestSetThem) {
    RecordingHost host;
    host.answerPrefix("SD", "short");
    host.answerPrefix("SD 'Ro", "long");
    host.answerSequence("RN 3 1 1", {"first", "last"});
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"SD 'Router'", "long"}, {"SD 'Mixer'", "short"}, {"RN 3 1 1", "first"},
        {"RN 3 1 1", "last"},    {"RN 3 1 1", "last"},    {"RN 3 1 2", std::nullopt},
    };
    for (const auto& [command, expected] : cases) {
        auto* answer = reinterpret_cast<char*>(host.request(const_cast<char*>(command), 0));
        EXPECT_EQ(answer != nullptr ? std::optional<std::string>(answer) : std::nullopt, expected) << command;
        host.request(answer, 5);
    }
    host.endOfCall();
}

TEST(PanelKit, AFailedCreationAnswersNullAndSaysWhy) {
    TestedPanel panel;
    EXPECT_NONFATAL_FAILURE(panel.createThroughExport(load_orvo_client_script, "none"), "answered null");
    // The helper base was made before the panel's constructor threw, and its destructor still closes.
    EXPECT_EQ(panel.sent(),
              (Lines{"AS", "debug load_orvo_client_script: could not create the script: no layouts"}));
}

TEST(PanelKit, BreachesOfTheHostContractFailTheTest) {
    struct Breach {
        const char* name;
        std::function<void(RecordingHost&)> act;
        const char* report;
    };
    const Breach breaches[] = {
        {"answer kept", [](RecordingHost& host) { host.request(const_cast<char*>("SD 'A'"), 0); },
         "not handed back"},
        {"second hand-back",
         [](RecordingHost& host) {
             void* answer = reinterpret_cast<void*>(host.request(const_cast<char*>("SD 'A'"), 0));
             host.request(answer, 5);
             host.request(answer, 5);
         },
         "handed back twice"},
        {"hand-back in a later call",
         [](RecordingHost& host) {
             void* answer = reinterpret_cast<void*>(host.request(const_cast<char*>("SD 'A'"), 0));
             host.request(answer, 5);
             host.endOfCall();
             host.request(answer, 5);
         },
         "foreign-hand-back: the script handed back a text this host never gave it"},
        {"command after AS",
         [](RecordingHost& host) {
             host.request(const_cast<char*>("AS"), 0);
             host.request(const_cast<char*>("CE '1' 'A'"), 0);
         },
         "command-after-close"},
        {"malformed command", [](RecordingHost& host) { host.request(const_cast<char*>("IW 8 12 1 1"), 0); },
         "malformed-command: malformed command: IW takes {device} '{text}' {slot} {flag}"},
    };
    for (const Breach& breach : breaches) {
        SCOPED_TRACE(breach.name);
        RecordingHost host;
        host.answer("SD 'A'", "3 0");
        EXPECT_NONFATAL_FAILURE(
            {
                breach.act(host);
                host.endOfCall();
            },
            breach.report);
        EXPECT_EQ(host.contractBreaches().size(), 1u);
    }
}

TEST(PanelKit, ABreachIsReportedAtTheLineOfTheTestThatDeliveredTheEvent) {
    TestedPanel panel;
    panel.create<HandBuiltPanel>("layouts");
    ::testing::TestPartResultArray results;
    int line = 0;
    {
        ::testing::ScopedFakeTestPartResultReporter catcher(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        line = __LINE__ + 1;
        panel.integerEvent(1);
    }
    ASSERT_EQ(results.size(), 1);
    const ::testing::TestPartResult& result = results.GetTestPartResult(0);
    EXPECT_STREQ(result.file_name(), __FILE__);
    EXPECT_EQ(result.line_number(), line);
    EXPECT_NE(
        std::string(result.message())
            .find("host contract: ERROR malformed-command: malformed command: unknown command word \"tp\""),
        std::string::npos)
        << result.message();
}

TEST(PanelKit, CapturesEndInAnyOrderAndLeaveStandardErrorAlone) {
#if !defined(_WIN32)
    struct stat before;
    ASSERT_EQ(::fstat(STDERR_FILENO, &before), 0);
#endif
    auto first = std::make_unique<TestedPanel>();
    auto second = std::make_unique<TestedPanel>();
    first->create<EchoPanel>("layouts");
    second->create<EchoPanel>("layouts");
    first->tick(1);
    second->tick(2);
    // Ended oldest first, as a vector of them is cleared.
    EXPECT_EQ(first->sent(), (Lines{"PI '1' 'layouts/Echo.orvo_ui'", "debug timer 1"}));
    first.reset();
    second->tick(3);
    EXPECT_EQ(second->sent(), (Lines{"PI '1' 'layouts/Echo.orvo_ui'", "debug timer 2", "debug timer 3"}));
    second.reset();
#if !defined(_WIN32)
    struct stat after;
    ASSERT_EQ(::fstat(STDERR_FILENO, &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
#endif
}

// Plays `events` on a fresh FaultyPanel, in a death test's child.
template <class Events>
void playFaulty(Events events) {
    TestedPanel panel;
    panel.create<FaultyPanel>("layouts");
    events(panel);
}

TEST(PanelKitDeathTest, AKeptRecordCrashesAtOnceAndTheKitNamesItsEvent) {
#if defined(ORVO_TESTS_UNDER_EMULATOR)
    GTEST_SKIP()
        << "under a processor emulator the guarded page's fault does not come back as it does natively";
#endif
    EXPECT_DEATH(
        playFaulty([](TestedPanel& panel) {
            panel.revertive(7, 183, "Camera 3");
            panel.revertive(7, 184, "Camera 4");
        }),
        "ERROR record-read-after-call: the script read the record of the event revertive 7 183 "
        "\"Camera 3\" after the call that carried it had returned, during the event revertive 7 184");
}

TEST(PanelKitDeathTest, SanitizerReportsReachTheTestsOutput) {
    if (!kSanitized) {
        GTEST_SKIP() << "the sanitizers' reports are checked under the asan preset";
    }
    EXPECT_DEATH(playFaulty([](TestedPanel& panel) { panel.tick(1); }), "heap-use-after-free");
    EXPECT_DEATH(playFaulty([](TestedPanel& panel) { panel.tick(2); }),
                 "runtime error: signed integer overflow");
}
