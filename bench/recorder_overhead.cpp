// What the recorder adds to each call: Corvane's revertive and Mixer press, played on Corvane as the host
// creates it, then on Corvane behind PanelRecorder.so, which writes the session to a file in a folder of its
// own. Each case counts its calls (the notify and every request the panel makes), so the table shows the
// time per call; the recorder's overhead per call is the difference of the two cases' times.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_host.h"
#include "corvane_module.h"
#include "event_records.h"
#include "orvo_client_callback.h"
#include "orvo_event_kind.h"

namespace {

namespace fs = std::filesystem;

// A folder of the program's own, removed when the program ends (the module stays mapped until then).
struct ScratchFolder {
    fs::path path = fs::temp_directory_path() / ("orvo_bench_recorder_" + std::to_string(getpid()));
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};
const ScratchFolder scratch;

// The recorder's module copied into the scratch folder with its settings file, naming Corvane.so and a
// session file there; opened once, for the rest of the program.
orvo_load_script_function recorderExport(std::string& why) {
    const fs::path& folder = scratch.path;
    static orvo_load_script_function load = nullptr;
    if (load != nullptr) {
        return load;
    }
    fs::create_directories(folder);
    fs::copy_file(ORVO_RECORDER_MODULE, folder / "PanelRecorder.so", fs::copy_options::overwrite_existing);
    std::ofstream(folder / "PanelRecorder.recorder")
        << "panel = " ORVO_CORVANE_MODULE "\noutput = session.scenario\ncap = 4294967296\n";
    void* handle = dlopen((folder / "PanelRecorder.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    void* entry = handle == nullptr ? nullptr : dlsym(handle, "load_orvo_client_script");
    if (entry == nullptr) {
        why = std::string("cannot open the recorder: ") + dlerror();
        return nullptr;
    }
    load = reinterpret_cast<orvo_load_script_function>(entry);
    return load;
}

void playEvents(benchmark::State& state, bool recorded) {
    std::string why;
    orvo_load_script_function load = recorded ? recorderExport(why) : corvaneExport(&why);
    if (load == nullptr) {
        state.SkipWithError(why.c_str());
        return;
    }
    BenchHost host;
    orvo_client_callback* panel = load(&host, "");
    RevertiveRecord report(BenchHost::TALLY, 183, "12");
    ButtonPress mixer("1", "Mixer", "selected");
    host.setSelectedIndex(2);
    uint64_t requestsBefore = host.requests();
    int64_t events = 0;
    for (auto _ : state) {
        panel->notify(report.data(), orvo_event_revertive);
        panel->notify(mixer.data(), orvo_event_button);
        events += 2;
    }
    double calls = static_cast<double>(events) + static_cast<double>(host.requests() - requestsBefore);
    state.counters["items"] = benchmark::Counter(calls / static_cast<double>(state.iterations()));
    delete panel;
    if (recorded) {
        // A long run writes tens of megabytes; the next run starts a file of its own anyway.
        std::error_code ignored;
        fs::remove(scratch.path / "session.scenario", ignored);
    }
}

const bool registered = [] {
    benchmark::RegisterBenchmark("recorder/direct_per_call", playEvents, false);
    benchmark::RegisterBenchmark("recorder/recorded_per_call", playEvents, true);
    return true;
}();

}  // namespace
