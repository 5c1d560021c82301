// Storms: the validator's seeded storms against Corvane, played through panel_host's runner exactly as
// `panel_host --validate` plays them (the generator looking at what the script set up, each step parsed,
// played, checked against the contract and written back as a scenario line). The counter is events a
// second; the default level's 100,000 storm events take 100,000 divided by it. The soak (soak.cpp) gives
// the time per tick of the host alone. A storm is 20,000 steps, or 2,000 when ORVO_SOAK_TICKS is set
// (scripts/bench.sh --smoke).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "storm.h"
#include "storm_session.h"

namespace {

void storm(benchmark::State& state, StormKind kind) {
    const int64_t steps = std::getenv("ORVO_SOAK_TICKS") != nullptr ? 2000 : 20000;
    CheckContext context;
    context.library = ORVO_CORVANE_MODULE;
    context.hasSite = true;
    context.site = readSiteOrNone(ORVO_SOURCE_DIR "/demo/site.json");
    for (auto _ : state) {
        state.PauseTiming();
        {
            StormSession session(context, false);
            session.play("start");
            StormGenerator generator(kind, 2540);
            state.ResumeTiming();
            while (!session.broken() && session.events() <= steps) {
                session.play(generator.next(session));
            }
            state.PauseTiming();
            if (!session.finish()) {
                state.SkipWithError(("the storm broke the contract: " + session.firstError()).c_str());
            }
        }
        state.ResumeTiming();
    }
    state.counters["events_per_second"] =
        benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsIterationInvariantRate);
}

const bool registered = [] {
    const std::pair<const char*, StormKind> storms[] = {
        {"storm/mixed", StormKind::Mixed},     {"storm/operator", StormKind::Operator},
        {"storm/devices", StormKind::Devices}, {"storm/clock", StormKind::Clock},
        {"storm/parent", StormKind::Parent},
    };
    for (const auto& entry : storms) {
        StormKind kind = entry.second;
        benchmark::RegisterBenchmark(entry.first, [kind](benchmark::State& state) { storm(state, kind); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

}  // namespace
