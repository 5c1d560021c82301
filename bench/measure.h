// measure: the timed loop every benchmark of the suite runs, with its counters.
//
// Each iteration does the work once. Around it the loop reads the allocation count, so the "allocs"
// counter is the exact number of heap allocations per operation, and none made by the benchmark
// library between iterations is counted. With a host given, "host_calls" is the number of request()
// calls per operation. When one iteration does `items` operations (a case that holds a thousand
// answers at once), the counters are per operation and an "items" counter tells the runner to divide
// the iteration's time by it too.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_host.h"
#include "counting_new.h"

template <typename Work>
void measure(benchmark::State& state, const BenchHost* host, Work&& work, int64_t items = 1) {
    uint64_t allocations = 0;
    const uint64_t requestsBefore = host != nullptr ? host->requests() : 0;
    for (auto _ : state) {
        const uint64_t before = heapAllocations();
        work();
        allocations += heapAllocations() - before;
    }
    const double perIteration = static_cast<double>(items);
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocations) / perIteration,
                                                  benchmark::Counter::kAvgIterations);
    if (host != nullptr) {
        state.counters["host_calls"] =
            benchmark::Counter(static_cast<double>(host->requests() - requestsBefore) / perIteration,
                               benchmark::Counter::kAvgIterations);
    }
    if (items != 1) {
        state.counters["items"] = perIteration;
    }
}
