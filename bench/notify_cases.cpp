// The notify benchmarks: one case for each kind of host event, on a Corvane created through the export of
// Corvane.so, each followed by its floor.
//
// A floor sends the same host requests, with the same texts, as its event, each text made by snprintf
// into a stack buffer, and reads the host's answers as plainly as can be: what the event would cost with
// no string objects, no command operations and no dispatch. Before timing, each case checks once that
// its event and its floor send the very same texts and hand-backs; a case where they differ stops with
// an error rather than report a ratio to the wrong floor.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "bench_cases.h"
#include "bench_host.h"
#include "corvane_module.h"
#include "debug_output.h"
#include "event_records.h"
#include "measure.h"
#include "orvo_client_callback.h"
#include "orvo_event_kind.h"

namespace {

constexpr int kFirstSlot = 181;
constexpr int kLastSlot = 196;
constexpr int kRows = 16;
constexpr int kReportedRow = 3;  // the row whose slot the revertive case reports
constexpr const char* kReportedText = "12";
constexpr int kChosenDest = 12;  // the destination the Select case assigns
constexpr const char* kPollLine = "Corvane: Repeating poll of tally infodriver.\n";
constexpr const char* kMyParam = "cam2";

// What the information driver holds for a row before the case starts, and what the Network case has
// edited it to.
int storedValue(int row) {
    return 100 + row;
}
int editedValue(int row) {
    return 200 + row;
}

// Debug lines go to standard error on this platform; a tick while polling writes one on every
// operation. For the length of a case they go to /dev/null instead, still one write each.
class QuietDebugOutput {
public:
    QuietDebugOutput() : saved_(dup(STDERR_FILENO)) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~QuietDebugOutput() {
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
        }
    }
    QuietDebugOutput(const QuietDebugOutput&) = delete;
    QuietDebugOutput& operator=(const QuietDebugOutput&) = delete;

private:
    int saved_;
};

// The records of the events the cases send, made once, as the host makes them before calling notify.
struct EventRecords {
    RevertiveRecord report{BenchHost::TALLY, kFirstSlot + kReportedRow - 1, kReportedText};
    ButtonPress mixer{"1", "Mixer", "selected"};
    ButtonPress select{"1", "Select", "pressed"};
    ButtonPress network{"1", "Network", "pressed"};
    char parentRequest[16] = "return=all";
};

// A Corvane created through the export on a BenchHost, driven the way the host drives it.
class Scene {
public:
    explicit Scene(orvo_load_script_function exported) : load(exported), panel(exported(&host, "")) {}
    ~Scene() { delete panel; }
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    void press(ButtonPress& button) { panel->notify(button.data(), orvo_event_button); }
    void chooseRow(int row) {
        host.setSelectedIndex(row - 1);
        press(records.mixer);
    }
    void pickDest(int dest) {
        const std::string message = "index=" + std::to_string(dest);
        ButtonPress pick("1", "Dest", message.c_str());
        press(pick);
    }
    void tick(int timerId) { panel->notify(orvo_data_from_integer(timerId), orvo_event_timer); }
    // Every slot reports its stored value, and the poll timer's next tick finds them all.
    void completePoll() {
        for (int row = 1; row <= kRows; ++row) {
            RevertiveRecord report(BenchHost::TALLY, kFirstSlot + row - 1,
                                   std::to_string(storedValue(row)).c_str());
            panel->notify(report.data(), orvo_event_revertive);
        }
        tick(1);
    }
    void ask(const char* request) {
        char* answer = panel->notify(const_cast<char*>(request), orvo_event_parent);
        panel->notify(answer, orvo_event_release);
    }

    orvo_load_script_function load;  // the module's export
    BenchHost host;
    EventRecords records;
    orvo_client_callback* panel;
};

// A floor's host answers as the event's host does once its case is prepared: the Mixer list reports
// the row the Mixer case chose.
void answerAsPrepared(BenchHost& host) {
    host.setSelectedIndex(kReportedRow - 1);
}

// --- Floor helpers: snprintf into a stack buffer, then the host call ---------------------------------

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
intptr_t
sendFormatted(BenchHost& host, const char* format, ...) {
    char text[256];
    va_list values;
    va_start(values, format);
    std::vsnprintf(text, sizeof text, format, values);
    va_end(values);
    return host.request(text, orvo_request_command);
}

void handBack(BenchHost& host, intptr_t answer) {
    host.request(reinterpret_cast<void*>(answer), orvo_request_release);
}

// RN, the name copied out of the answer with '|' shown as a blank, and the hand-back.
void floorReadName(BenchHost& host, int dest, char (&name)[64]) {
    const intptr_t answer = sendFormatted(host, "RN %d %d %d", BenchHost::ROUTER, 1, dest);
    name[0] = '\0';
    if (answer != 0) {
        std::snprintf(name, sizeof name, "%s", reinterpret_cast<const char*>(answer));
        for (char* at = name; *at != '\0'; ++at) {
            if (*at == '|') {
                *at = ' ';
            }
        }
    }
    handBack(host, answer);
}

void floorRenderRow(BenchHost& host, int row, int dest, const char* mark) {
    sendFormatted(host, "TP 'cell.%d.1=%03d' '%s' '%s'", row - 1, dest, "1", "Mixer");
    char name[64];
    floorReadName(host, dest, name);
    sendFormatted(host, "TP 'cell.%d.2=%s' '%s' '%s'", row - 1, name, "1", "Mixer");
    sendFormatted(host, "TP 'cell.%d.3=%s' '%s' '%s'", row - 1, mark, "1", "Mixer");
}

void floorResetSelection(BenchHost& host) {
    sendFormatted(host, "TP '%s' '%s' '%s'", "clearSelection", "1", "Mixer");
    sendFormatted(host, "TP '%s' '%s' '%s'", "index=-1", "1", "Dest");
    sendFormatted(host, "CD '%s' '%s'", "1", "Select");
    sendFormatted(host, "CD '%s' '%s'", "1", "Deselect");
}

int floorLookup(BenchHost& host, const char* instance) {
    const intptr_t answer = sendFormatted(host, "SD '%s'", instance);
    const int device = answer != 0 ? std::atoi(reinterpret_cast<const char*>(answer)) : 0;
    if (answer != 0) {
        handBack(host, answer);
    }
    return device;
}

// --- The cases ---------------------------------------------------------------------------------------

void nothingToPrepare(Scene&) {}

// Revertive for one slot: RN and three TP.
void revertiveEvent(Scene& scene) {
    scene.panel->notify(scene.records.report.data(), orvo_event_revertive);
}
void revertiveFloor(BenchHost& host, EventRecords& records) {
    const int row = records.report.slot() - (kFirstSlot - 1);
    floorRenderRow(host, row, std::atoi(records.report.text()), "");
}

// Select press: renderRow, resetSelection, updateNetworkButton.
void prepareSelect(Scene& scene) {
    scene.completePoll();
    scene.chooseRow(kReportedRow);
    scene.pickDest(kChosenDest);
}
void selectEvent(Scene& scene) {
    scene.press(scene.records.select);
}
void selectFloor(BenchHost& host, EventRecords&) {
    floorRenderRow(host, kReportedRow, kChosenDest, "*");
    floorResetSelection(host);
    sendFormatted(host, "CE '%s' '%s'", "1", "Network");
}

// Mixer press: TG and its hand-back.
void prepareMixer(Scene& scene) {
    scene.completePoll();
    scene.chooseRow(kReportedRow);  // the first choice also enables Deselect; later ones only read
}
void mixerEvent(Scene& scene) {
    scene.press(scene.records.mixer);
}
void floorMixer(BenchHost& host, EventRecords&) {
    const intptr_t answer = sendFormatted(host, "TG '%s' '%s' '%s'", "1", "Mixer", "selectedindex");
    const char* text = reinterpret_cast<const char*>(answer);
    int index = -2;
    if (text != nullptr && std::strncmp(text, "selectedindex=", 14) == 0) {
        index = std::atoi(text + 14);
    }
    benchmark::DoNotOptimize(index);
    if (answer != 0) {
        handBack(host, answer);
    }
}

// Network with all sixteen rows edited: sixteen IW, the selection reset and CD Network.
void prepareNetwork(Scene& scene) {
    scene.completePoll();
    for (int row = 1; row <= kRows; ++row) {
        scene.chooseRow(row);
        scene.pickDest(editedValue(row));
        scene.press(scene.records.select);
    }
}
void networkEvent(Scene& scene) {
    scene.press(scene.records.network);
}
void networkFloor(BenchHost& host, EventRecords&) {
    for (int row = 1; row <= kRows; ++row) {
        sendFormatted(host, "IW %d '%d' %d %d", BenchHost::TALLY, editedValue(row), kFirstSlot + row - 1, 1);
    }
    floorResetSelection(host);
    sendFormatted(host, "CD '%s' '%s'", "1", "Network");
}

// Timer tick while polling: the debug line and IP.
void tickEvent(Scene& scene) {
    scene.tick(1);
}
void tickPollingFloor(BenchHost& host, EventRecords&) {
    orvo_debug_output(kPollLine);
    sendFormatted(host, "IP %d %d %d", BenchHost::TALLY, kFirstSlot, kLastSlot);
}

// Timer tick after completion: ET and the Network button's state.
void prepareComplete(Scene& scene) {
    scene.completePoll();
}
void tickCompleteFloor(BenchHost& host, EventRecords&) {
    sendFormatted(host, "ET %d", 1);
    sendFormatted(host, "CD '%s' '%s'", "1", "Network");
}

// Parent request return=all and the kind-5 release of its answer. No host call: the floor is the
// answer made by snprintf and the one block the host must be given and later hands back.
void prepareParent(Scene& scene) {
    const std::string request = std::string("myParam=") + kMyParam;
    scene.ask(request.c_str());
}
void parentEvent(Scene& scene) {
    char* answer = scene.panel->notify(scene.records.parentRequest, orvo_event_parent);
    scene.panel->notify(answer, orvo_event_release);
}
void parentFloor(BenchHost&, EventRecords& records) {
    if (std::strcmp(records.parentRequest, "return=all") != 0) {
        return;
    }
    char text[256];
    const int length = std::snprintf(text, sizeof text, "myParam=%s", kMyParam);
    char* block = new char[static_cast<size_t>(length) + 1];
    std::memcpy(block, text, static_cast<size_t>(length) + 1);
    benchmark::DoNotOptimize(block);
    delete[] block;
}

// Creation through the export and destruction through the interface.
void createDestroyEvent(Scene& scene) {
    orvo_client_callback* panel = scene.load(&scene.host, "");
    delete panel;
}
void createDestroyFloor(BenchHost& host, EventRecords&) {
    sendFormatted(host, "PI '%s' '%s'", "1", "Vessa2540.orvo_ui");
    sendFormatted(host, "CD '%s' '%s'", "1", "Select");
    sendFormatted(host, "CD '%s' '%s'", "1", "Deselect");
    sendFormatted(host, "CD '%s' '%s'", "1", "Network");
    for (int row = 1; row <= kRows; ++row) {
        sendFormatted(host, "TP '%s=%d;;' '%s' '%s'", "add", row + 24, "1", "Mixer");
    }
    const int router = floorLookup(host, "ZaD SDI Router");
    const int tally = floorLookup(host, "DAZ Tally Infodriver");
    benchmark::DoNotOptimize(router);
    sendFormatted(host, "PS '%s' '%s'", "1", "Vessa2540.orvo_ui");
    sendFormatted(host, "IR %d %d %d", tally, kFirstSlot, kLastSlot);
    sendFormatted(host, "IP %d %d %d", tally, kFirstSlot, kLastSlot);
    sendFormatted(host, "ET %d %d", 1, 1000);
    sendFormatted(host, "IU %d", tally);
    sendFormatted(host, "AS");
}

struct NotifyCase {
    const char* name;
    void (*prepare)(Scene& scene);  // brings the panel to the state the event needs
    void (*event)(Scene& scene);    // the event, through notify (or the export)
    void (*floor)(BenchHost& host, EventRecords& records);
};

const NotifyCase kCases[] = {
    {"revertive", prepareComplete, revertiveEvent, revertiveFloor},
    {"select_press", prepareSelect, selectEvent, selectFloor},
    {"mixer_press", prepareMixer, mixerEvent, floorMixer},
    {"network_16_rows", prepareNetwork, networkEvent, networkFloor},
    {"tick_polling", nothingToPrepare, tickEvent, tickPollingFloor},
    {"tick_complete", prepareComplete, tickEvent, tickCompleteFloor},
    {"parent_request", prepareParent, parentEvent, parentFloor},
    {"create_destroy", nothingToPrepare, createDestroyEvent, createDestroyFloor},
};

// The texts and hand-backs of one event and of one floor, or an explanation of where they part.
std::string floorMismatch(const NotifyCase& notifyCase, Scene& scene) {
    std::vector<std::string> sent;
    scene.host.setLog(&sent);
    notifyCase.event(scene);
    scene.host.setLog(nullptr);

    BenchHost floorHost;
    answerAsPrepared(floorHost);
    EventRecords records;
    std::vector<std::string> floorSent;
    floorHost.setLog(&floorSent);
    notifyCase.floor(floorHost, records);

    for (size_t i = 0; i < sent.size() || i < floorSent.size(); ++i) {
        const std::string mine = i < sent.size() ? sent[i] : "(nothing)";
        const std::string floors = i < floorSent.size() ? floorSent[i] : "(nothing)";
        if (mine != floors) {
            return "the floor does not send what the event sends: request " + std::to_string(i + 1) +
                   " is \"" + mine + "\" from the panel, \"" + floors + "\" from the floor";
        }
    }
    return std::string();
}

// A Corvane created through the export of the built module, or null when there is none (the case is then
// skipped with the reason).
std::unique_ptr<Scene> openScene(benchmark::State& state) {
    std::string why;
    const orvo_load_script_function load = corvaneExport(&why);
    if (load == nullptr) {
        state.SkipWithError(why.c_str());
        return nullptr;
    }
    auto scene = std::make_unique<Scene>(load);
    if (scene->panel == nullptr) {
        state.SkipWithError("the export created no panel");
        return nullptr;
    }
    return scene;
}

void runEvent(benchmark::State& state, const NotifyCase* notifyCase) {
    const QuietDebugOutput quiet;
    const std::unique_ptr<Scene> opened = openScene(state);
    if (!opened) {
        return;
    }
    Scene& scene = *opened;
    notifyCase->prepare(scene);
    // The first event settles anything a steady state keeps, so that every timed one is alike.
    notifyCase->event(scene);
    const std::string mismatch = floorMismatch(*notifyCase, scene);
    if (!mismatch.empty()) {
        state.SkipWithError(mismatch.c_str());
        return;
    }
    measure(state, &scene.host, [&] { notifyCase->event(scene); });
}

void runFloor(benchmark::State& state, const NotifyCase* notifyCase) {
    const QuietDebugOutput quiet;
    BenchHost host;
    answerAsPrepared(host);
    EventRecords records;
    notifyCase->floor(host, records);
    measure(state, &host, [&] { notifyCase->floor(host, records); });
}

// --- Answers the host holds ----------------------------------------------------------------------------
// The host asks return=all `count` times and holds every answer, then hands them all back in a scrambled
// order (the same on every run). An operation is one answer held and handed back, so the cost per
// answer at 1,000 and at 16,000 answers shows whether holding many costs more per answer. The floor
// makes each answer with snprintf into a block of its own and frees the blocks in the same order.

std::vector<size_t> scrambledOrder(size_t count) {
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), size_t{0});
    std::shuffle(order.begin(), order.end(), std::mt19937(static_cast<std::mt19937::result_type>(count)));
    return order;
}

void runHeldAnswers(benchmark::State& state) {
    const QuietDebugOutput quiet;
    const std::unique_ptr<Scene> opened = openScene(state);
    if (!opened) {
        return;
    }
    Scene& scene = *opened;
    prepareParent(scene);
    const size_t count = static_cast<size_t>(state.range(0));
    const std::vector<size_t> order = scrambledOrder(count);
    std::vector<char*> held(count);
    auto holdThenRelease = [&] {
        for (size_t i = 0; i < count; ++i) {
            held[i] = scene.panel->notify(scene.records.parentRequest, orvo_event_parent);
        }
        for (size_t i : order) {
            scene.panel->notify(held[i], orvo_event_release);
        }
    };
    // The first round grows the panel's record of held answers to its size for `count`.
    holdThenRelease();
    measure(state, &scene.host, holdThenRelease, static_cast<int64_t>(count));
}

void runHeldAnswersFloor(benchmark::State& state) {
    const size_t count = static_cast<size_t>(state.range(0));
    const std::vector<size_t> order = scrambledOrder(count);
    std::vector<char*> held(count);
    measure(
        state, nullptr,
        [&] {
            for (size_t i = 0; i < count; ++i) {
                char text[256];
                const int length = std::snprintf(text, sizeof text, "myParam=%s", kMyParam);
                held[i] = new char[static_cast<size_t>(length) + 1];
                std::memcpy(held[i], text, static_cast<size_t>(length) + 1);
            }
            for (size_t i : order) {
                delete[] held[i];
            }
        },
        static_cast<int64_t>(count));
}

}  // namespace

void registerNotifyCases() {
    for (const NotifyCase& notifyCase : kCases) {
        benchmark::RegisterBenchmark((std::string("notify/") + notifyCase.name).c_str(), runEvent,
                                     &notifyCase)
            ->Unit(benchmark::kNanosecond);
        benchmark::RegisterBenchmark((std::string("floor/") + notifyCase.name).c_str(), runFloor, &notifyCase)
            ->Unit(benchmark::kNanosecond);
    }
    for (int64_t count : {int64_t{1000}, int64_t{16000}}) {
        benchmark::RegisterBenchmark("notify/held_answers", runHeldAnswers)
            ->Arg(count)
            ->Unit(benchmark::kNanosecond);
        benchmark::RegisterBenchmark("floor/held_answers", runHeldAnswersFloor)
            ->Arg(count)
            ->Unit(benchmark::kNanosecond);
    }
}
