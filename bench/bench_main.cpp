// The benchmark runner: registers the building blocks and the notify cases, runs them with the usual
// Google Benchmark flags and console output, then prints the table against the floor and the targets.
// Exits non-zero when a case stopped with an error or missed an allocation target.
#include <benchmark/benchmark.h>

#include <iostream>
#include <string>
#include <vector>

#include "bench_cases.h"
#include "target_table.h"

namespace {

// The console output as usual, plus one CaseResult per case for the table. With repetitions the
// median stands for the case. Times are CPU time: the machine may be busy with other work, and a
// benchmark's share of it is what it costs.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            collect(run);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const std::vector<CaseResult>& results() const { return results_; }

private:
    void collect(const Run& run) {
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") {
            return;
        }
        const std::string name = run.run_name.str();
        CaseResult* result = nullptr;
        for (CaseResult& existing : results_) {
            if (existing.name == name) {
                result = &existing;
            }
        }
        if (result != nullptr && run.run_type == Run::RT_Iteration) {
            return;  // a later repetition; the median will stand for them all
        }
        if (result == nullptr) {
            results_.push_back(CaseResult{});
            result = &results_.back();
            result->name = name;
        }
        if (run.error_occurred) {
            result->error = run.error_message;
            return;
        }
        result->nanoseconds =
            run.GetAdjustedCPUTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        // A case that does several operations per iteration reports time per operation too.
        const auto items = run.counters.find("items");
        if (items != run.counters.end() && items->second.value > 0) {
            result->nanoseconds /= items->second.value;
        }
        const auto allocations = run.counters.find("allocs");
        result->allocations = allocations != run.counters.end() ? allocations->second.value : -1;
        const auto hostCalls = run.counters.find("host_calls");
        result->hostCalls = hostCalls != run.counters.end() ? hostCalls->second.value : -1;
    }

    std::vector<CaseResult> results_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    registerBuildingBlocks();
    registerNotifyCases();

    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::cout << "\n";
    const std::string filter = benchmark::GetBenchmarkFilter();
    const bool wholeSuite = filter.empty() || filter == "." || filter == "all";
    const bool passed = printTargetTable(reporter.results(), wholeSuite, std::cout);
    std::cout << (passed ? "\nEvery allocation target met.\n" : "\nA case failed or missed its target.\n");
    return passed ? 0 : 1;
}
