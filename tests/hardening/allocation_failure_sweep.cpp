// The allocation-failure sweep: every allocation the library makes, failed in turn.
//
// For each scenario (creating the panel, one event of each kind and control, each step of the road of
// one edit, destroying the panel) a run prepares the panel's state, arms the failing allocator at k,
// delivers the one call under test, and disarms it; k goes 1, 2, ... until a run completes without an
// injected failure. Every run must end without an exception escaping the export, notify() or the
// destructor, with no breach of the host contract (every answer handed back exactly once, AS last),
// without a leak (no counted block alive once the panel is gone), and with the next events handled
// normally: a tick of a foreign timer still stops it, the "_events" request is still answered, and the
// road of one edit, resumed at the failed step, still ends with the write and the redraw it always ends
// with.
//
// Each scenario runs at two sites: short host texts, which fit inside the string component's own
// buffers, and long ones (a long base path, long names and slot texts), which put every copy on the
// heap. Prints the injection points exercised per scenario and in total; exits non-zero on any failure.
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "failing_allocator.h"
#include "orvo_event_kind.h"
#include "sweep_panel.h"

namespace {

using Action = std::function<void(SweepPanel&)>;
// Unarmed, after the step: carries on and checks the outcome; `run` names the run in a failure.
using Resume = std::function<void(SweepPanel&, const std::string& run, int64_t k)>;

struct Scenario {
    std::string name;
    Action prepare;  // unarmed: the state the call under test starts from (the panel is created first)
    Action step;     // armed: the one call under test
    Resume resume;   // optional
    bool createsPanel = false;  // the step is the creation itself
};

int failures = 0;

void fail(const std::string& scenario, int64_t k, const std::string& what) {
    ++failures;
    std::printf("FAIL %s, allocation %lld failed: %s\n", scenario.c_str(), static_cast<long long>(k),
                what.c_str());
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines) {
        if (l == line) {
            return true;
        }
    }
    return false;
}

// --- The road of one edit ------------------------------------------------------------------------------
// Step 0 creates the panel; then row 3, destination 12, Select, Network and the driver's report of slot
// 183 (Network writes it, and the report clears its change mark).
const int kRoadSteps = 6;

void roadStep(SweepPanel& p, int step) {
    switch (step) {
        case 0:
            p.create();
            break;
        case 1:
            p.chooseRow3();
            break;
        case 2:
            p.pickDest(12);
            break;
        case 3:
            p.press("Select");
            break;
        case 4:
            p.press("Network");
            break;
        default:
            p.report(183, "12");
            break;
    }
}

// Redoes the failed step and finishes the road; it must end as it always does.
void resumeRoad(SweepPanel& p, int failedStep, const std::string& scenario, int64_t k) {
    if (failedStep == 0 && p.created()) {
        failedStep = 1;  // the panel was made after all
    }
    p.host().clear();
    for (int step = failedStep; step < kRoadSteps; ++step) {
        roadStep(p, step);
    }
    const std::vector<std::string>& sent = p.host().commands();
    if (failedStep <= 4 && !contains(sent, "IW 7 '12' 183 1")) {
        fail(scenario, k, "the resumed road wrote no IW 7 '12' 183 1");
    }
    const std::string name = "Camera 12" + p.site.namePad;
    const std::vector<std::string> redraw = {"TP 'cell.2.1=012' '1' 'Mixer'", "RN 3 1 12",
                                             "TP 'cell.2.2=" + name + "' '1' 'Mixer'",
                                             "TP 'cell.2.3=' '1' 'Mixer'"};
    if (sent.size() < redraw.size() || !std::equal(redraw.begin(), redraw.end(), sent.end() - 4)) {
        fail(scenario, k, "the resumed road did not end with the redraw of row 3");
    }
}

// The next events after a failure: a foreign timer is stopped, and "_events" is answered.
void probe(SweepPanel& p, const std::string& scenario, int64_t k) {
    p.host().clear();
    p.tick(2);
    if (p.host().commands() != std::vector<std::string>{"ET 2"}) {
        fail(scenario, k, "a tick of timer 2 did not send just ET 2");
    }
    p.ask("_events");
    if (p.lastAnswer() != "notify=*") {
        fail(scenario, k, "_events was not answered notify=*");
    }
}

// Runs one scenario with k = 1, 2, ... and returns the number of injection points it exercised.
int64_t sweep(const Site& site, const Scenario& scenario) {
    const std::string name = std::string(site.name) + " " + scenario.name;
    for (int64_t k = 1;; ++k) {
        bool injected = false;
        {
            SweepPanel panel(site);
            if (!scenario.createsPanel && !panel.create()) {
                fail(name, k, "the panel could not be created without a failure");
                return k - 1;
            }
            if (scenario.prepare) {
                scenario.prepare(panel);
            }
            failing_allocator::arm(k);
            scenario.step(panel);
            failing_allocator::disarm();
            injected = failing_allocator::failed();

            if (scenario.createsPanel && !panel.created() && !injected) {
                fail(name, k, "the export answered null without a failure");
            }
            if (scenario.resume) {
                scenario.resume(panel, name, k);
            }
            if (!panel.created() && !panel.create()) {
                fail(name, k, "no panel could be created after the failure");
            }
            probe(panel, name, k);
            if (panel.escapes() != 0) {
                fail(name, k, "an exception escaped the export or notify()");
            }
            panel.destroy();
            if (failing_allocator::liveBlocks() != 0) {
                fail(name, k, std::to_string(failing_allocator::liveBlocks()) + " blocks leaked");
            }
            for (const std::string& breach : panel.contractBreaches()) {
                fail(name, k, "host contract: " + breach);
            }
        }
        if (!injected) {
            return k - 1;
        }
    }
}

std::vector<Scenario> scenarios() {
    std::vector<Scenario> list;
    auto add = [&list](std::string name, Action prepare, Action step) {
        list.push_back(Scenario{std::move(name), std::move(prepare), std::move(step), nullptr, false});
    };
    const Action none;

    // Creation through the export.
    // A failed creation says why in one debug line.
    const Action capture = [](SweepPanel& p) { p.host().captureDebug(); };
    const Resume saysWhy = [](SweepPanel& p, const std::string& run, int64_t k) {
        const std::string why = "load_orvo_client_script: could not create the script: std::bad_alloc";
        const std::vector<std::string> lines = p.host().debugLines();
        const bool said = !lines.empty() && lines.back() == why;
        if (!p.created() && !said) {
            fail(run, k, "the failed creation wrote no debug line saying why");
        }
    };
    list.push_back(Scenario{"creation", capture, [](SweepPanel& p) { p.create(); }, saysWhy, true});

    // The road of one edit, each step failed in turn and then resumed.
    for (int step = 0; step < kRoadSteps; ++step) {
        Scenario s;
        s.name = "road step " + std::to_string(step);
        s.createsPanel = step == 0;
        s.prepare = [step](SweepPanel& p) {
            for (int earlier = 1; earlier < step; ++earlier) {
                roadStep(p, earlier);
            }
        };
        s.step = [step](SweepPanel& p) { roadStep(p, step); };
        s.resume = [step](SweepPanel& p, const std::string& run, int64_t k) { resumeRoad(p, step, run, k); };
        list.push_back(std::move(s));
    }

    // Kind 1: revertives of a known row, of a slot outside the table, of another device.
    add("kind 1 revertive", none, [](SweepPanel& p) { p.report(190, "7"); });
    add("kind 1 foreign slot", none, [](SweepPanel& p) { p.report(197, "7"); });
    add("kind 1 foreign device", none, [](SweepPanel& p) { p.report(183, "7", 3); });

    // Kind 2: every control of the panel, from the state in which it does its work.
    const Action rowChosen = [](SweepPanel& p) { p.chooseRow3(); };
    const Action rowAndDest = [](SweepPanel& p) {
        p.chooseRow3();
        p.pickDest(12);
    };
    const Action edited = [](SweepPanel& p) {
        p.report(183, "4");
        p.report(190, "5");
        p.chooseRow3();
        p.pickDest(12);
        p.press("Select");
    };
    add("kind 2 Mixer", none, [](SweepPanel& p) { p.chooseRow3(); });
    add("kind 2 Dest", rowChosen, [](SweepPanel& p) { p.pickDest(12); });
    add("kind 2 Clear", rowAndDest, [](SweepPanel& p) { p.press("Clear"); });
    add("kind 2 Select", rowAndDest, [](SweepPanel& p) { p.press("Select"); });
    add("kind 2 Deselect", edited, [](SweepPanel& p) { p.press("Deselect"); });
    add("kind 2 Network", edited, [](SweepPanel& p) { p.press("Network"); });
    add("kind 2 Restore", edited, [](SweepPanel& p) { p.press("Restore"); });
    add("kind 2 other control", none, [](SweepPanel& p) { p.press("ActionAll"); });
    add("kind 2 other panel", none, [](SweepPanel& p) { p.event("2", "Select", "pressed"); });

    // Kind 3: every parent request the panel answers or takes, and one it does not know.
    const Action setParam = [](SweepPanel& p) {
        std::string request;
        {
            failing_allocator::Pause pause;
            request = "myParam=" + p.site.paramText;
        }
        p.ask(request.c_str());
    };
    add("kind 3 myParam", none, setParam);
    add("kind 3 return=all", setParam, [](SweepPanel& p) { p.ask("return=all"); });
    add("kind 3 return=myParam", setParam, [](SweepPanel& p) { p.ask("return=myParam"); });
    add("kind 3 return", none, [](SweepPanel& p) { p.ask("return"); });
    add("kind 3 instance", none, [](SweepPanel& p) { p.ask("instance=cam2"); });
    add("kind 3 _events", none, [](SweepPanel& p) { p.ask("_events"); });
    add("kind 3 _commands", none, [](SweepPanel& p) { p.ask("_commands"); });
    add("kind 3 unknown word", none, [](SweepPanel& p) { p.ask("notify.a.b=1"); });
    add("kind 3 null", none, [](SweepPanel& p) { p.notifyRaw(nullptr, orvo_event_parent); });

    // Kind 4: the poll timer while slots are silent and once all have answered, and a foreign timer.
    const Action allSeen = [](SweepPanel& p) {
        for (int32_t slot = 181; slot <= 196; ++slot) {
            p.report(slot, std::to_string(slot - 170));
        }
    };
    add("kind 4 poll", none, [](SweepPanel& p) { p.tick(1); });
    add("kind 4 poll complete", allSeen, [](SweepPanel& p) { p.tick(1); });
    add("kind 4 foreign timer", none, [](SweepPanel& p) { p.tick(-1); });

    // Kind 5: a held answer, a foreign pointer, the same answer twice.
    const Action holdAnswer = [](SweepPanel& p) { p.ask("return=all"); };
    add("kind 5 release", holdAnswer, [](SweepPanel& p) { p.releaseOldest(); });
    add("kind 5 foreign", holdAnswer, [](SweepPanel& p) { p.releaseForeign(); });
    const Action heldAndReleased = [](SweepPanel& p) {
        p.ask("return=all");
        p.releaseOldest();
    };
    add("kind 5 second release", heldAndReleased, [](SweepPanel& p) { p.releaseAgain(); });

    // Kinds 6 and 7, and kinds that do not exist.
    add("kind 6 record", none, [](SweepPanel& p) {
        int record[8] = {};
        p.notifyRaw(record, orvo_event_record);
    });
    add("kind 7 integer", none,
        [](SweepPanel& p) { p.notifyRaw(orvo_data_from_integer(-3), orvo_event_integer); });
    add("kind 0", none, [](SweepPanel& p) { p.notifyRaw(nullptr, 0); });
    add("kind INT_MAX", none, [](SweepPanel& p) { p.notifyRaw(nullptr, INT_MAX); });

    // Destruction with an answer the host never handed back and an edit pending.
    const Action editedAndHeld = [edited](SweepPanel& p) {
        edited(p);
        p.ask("return=all");
    };
    add("destruction", editedAndHeld, [](SweepPanel& p) { p.destroy(); });
    return list;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // every line out before a crash could swallow it
    // The panel's debug lines (failed lookups, repeated polls, ignored releases) would bury the report.
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        ::dup2(devNull, STDERR_FILENO);
        ::close(devNull);
    }

    const Site sites[] = {
        {"short", "", "", "", "abc"},
        {"long", "C:/panels/" + std::string(300, 'p'), std::string(300, 'n'), std::string(300, ' '),
         std::string(300, 'm')},
    };
    int64_t total = 0;
    int runs = 0;
    for (const Site& site : sites) {
        for (const Scenario& scenario : scenarios()) {
            const int64_t points = sweep(site, scenario);
            std::printf("%-6s %-24s %4lld injection points\n", site.name, scenario.name.c_str(),
                        static_cast<long long>(points));
            total += points;
            runs += static_cast<int>(points) + 1;
        }
    }
    std::printf("allocation failure sweep: %lld injection points exercised in %d runs, %d failures\n",
                static_cast<long long>(total), runs, failures);
    return failures == 0 ? 0 : 1;
}
