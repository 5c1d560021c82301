// Soak: the host emulator on a long run. Corvane is played through panel_host's runner exactly as a
// scenario plays it, with slot 190 of its tally driver silent, so its poll timer never stops: every tick
// brings a poll, fifteen revertives and the commands and answers each of them causes. The benchmark
// reports the time per tick at several run lengths; a host whose cost per command, answer or tick grew
// with the length of the run would show it as a per-tick time rising with the length. The longest run
// is 100,000 ticks, or ORVO_SOAK_TICKS when that is set (scripts/bench.sh --smoke keeps it short).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <streambuf>

#include "runner.h"
#include "scenario.h"
#include "site.h"
#include "transcript.h"

namespace {

// The transcript goes nowhere: the benchmark times the host, not the terminal.
class Discard : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

Step step(const std::string& line) {
    return *parseStep(line, "soak", 1);
}

void soak(benchmark::State& state) {
    const int64_t ticks = state.range(0);
    const Site site = parseSite(R"({
        "layouts": "demo/layouts",
        "instances": { "ZaD SDI Router": { "device": 3 }, "DAZ Tally Infodriver": { "device": 7 } },
        "databases": [ { "device": 3, "database": 1, "names": { "12": "Camera 12" } } ],
        "infodrivers": [ { "device": 7, "slots": { "181": "12" }, "silent": [ 190 ] } ]
    })",
                                "soak.json", ORVO_SOURCE_DIR);
    // The poll timer's interval is 1000 units; one advance step may deliver at most this many ticks.
    const int64_t perStep = Runner::kMaxTicksPerStep;
    for (auto _ : state) {
        state.PauseTiming();
        Discard discard;
        std::ostream out(&discard);
        Transcript transcript(out);
        int errors = 0;
        {
            Runner runner(site, ORVO_CORVANE_MODULE, transcript);
            runner.run(step("start"));
            state.ResumeTiming();
            for (int64_t done = 0; done < ticks; done += perStep) {
                runner.run(step("advance " + std::to_string(std::min(perStep, ticks - done) * 1000)));
            }
            state.PauseTiming();
            runner.finish();
            errors = runner.record().errors();
        }
        if (errors != 0) {
            state.SkipWithError("the run had contract errors");
        }
        state.ResumeTiming();
    }
    state.counters["per_tick"] =
        benchmark::Counter(static_cast<double>(ticks),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Runs of 1,000 ticks and ten times as many each step up to the longest.
const bool registered = [] {
    const char* cap = std::getenv("ORVO_SOAK_TICKS");
    const int64_t longest = cap != nullptr ? std::atoll(cap) : 100000;
    auto* soakCase = benchmark::RegisterBenchmark("soak/silent_slot_ticks", soak);
    for (int64_t ticks = 1000; ticks <= longest; ticks *= 10) {
        soakCase->Arg(ticks);
    }
    soakCase->Iterations(1)->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
