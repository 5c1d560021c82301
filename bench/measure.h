// measure: the timed loop every benchmark of the suite runs, with its counters.
//
// Each iteration does the work once. Around it the loop reads the allocation count, so the "allocs"
// counter is the exact number of heap allocations per operation, and none made by the benchmark
// library between iterations is counted. With a host given, "host_calls" is the number of request()
// calls per operation.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_host.h"
#include "counting_new.h"

template <typename Work>
void measure(benchmark::State& state, const BenchHost* host, Work&& work) {
    uint64_t allocations = 0;
    const uint64_t requestsBefore = host != nullptr ? host->requests() : 0;
    for (auto _ : state) {
        const uint64_t before = heapAllocations();
        work();
        allocations += heapAllocations() - before;
    }
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
    if (host != nullptr) {
        state.counters["host_calls"] = benchmark::Counter(
            static_cast<double>(host->requests() - requestsBefore), benchmark::Counter::kAvgIterations);
    }
}
