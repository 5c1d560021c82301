#include "target_table.h"

#include <cstdio>
#include <string>

namespace {

constexpr double kNone = -1;

struct Targets {
    const char* name;
    double maxAllocations;  // per operation, or kNone
    double minAllocations;  // per operation, or kNone
    double maxFloorRatio;   // time against the floor, or kNone
};

const Targets kTargets[] = {
    // The fixed-buffer commands never touch the heap.
    {"helper/IR", 0, kNone, kNone},
    {"helper/IR_ADD", 0, kNone, kNone},
    {"helper/IR_longest_numbers", 0, kNone, kNone},
    {"helper/IP", 0, kNone, kNone},
    {"helper/IU", 0, kNone, kNone},
    {"helper/ET_start", 0, kNone, kNone},
    {"helper/ET_stop", 0, kNone, kNone},
    // The splitter makes exactly one copy of the text per split.
    {"decodeORVOString/short", 1, 1, kNone},
    {"decodeORVOString/long", 1, 1, kNone},
    {"notify/revertive", 2, kNone, 2},
    {"notify/select_press", kNone, kNone, 2},
    {"notify/mixer_press", 2, kNone, 2},
    {"notify/tick_polling", 2, kNone, 2},
    {"notify/tick_complete", 2, kNone, 2},
    // The parsed request's copy and the block the host is given; the one-entry answer list takes none.
    {"notify/parent_request", 2, kNone, 2},
    // Per answer: the same two, however many answers the host holds. What these cases show is that the
    // cost per answer stays flat from 1,000 to 16,000 held, read off the table, not a ratio to a floor.
    {"notify/held_answers/1000", 2, kNone, kNone},
    {"notify/held_answers/16000", 2, kNone, kNone},
    // Creating a panel allocates at least the object itself; none counted would mean the counting
    // operator new does not serve the module, and every notify count above would be untrue.
    {"notify/create_destroy", kNone, 1, kNone},
};

const Targets* targetsFor(const std::string& name) {
    for (const Targets& targets : kTargets) {
        if (name == targets.name) {
            return &targets;
        }
    }
    return nullptr;
}

const CaseResult* find(const std::vector<CaseResult>& results, const std::string& name) {
    for (const CaseResult& result : results) {
        if (result.name == name) {
            return &result;
        }
    }
    return nullptr;
}

std::string number(double value, const char* format) {
    if (value < 0) {
        return "";
    }
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string targetText(const Targets& targets) {
    std::string text;
    auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (targets.maxAllocations >= 0 && targets.maxAllocations == targets.minAllocations) {
        add(number(targets.maxAllocations, "%.0f") + " alloc");
    } else {
        if (targets.maxAllocations >= 0) {
            add("<= " + number(targets.maxAllocations, "%.0f") + " alloc");
        }
        if (targets.minAllocations >= 0) {
            add(">= " + number(targets.minAllocations, "%.0f") + " alloc");
        }
    }
    if (targets.maxFloorRatio >= 0) {
        add("<= " + number(targets.maxFloorRatio, "%.0f") + "x floor");
    }
    return text;
}

}  // namespace

bool printTargetTable(const std::vector<CaseResult>& results, bool wholeSuite, std::ostream& out) {
    bool passed = true;
    // A case renamed or dropped must not take its target with it unnoticed.
    if (wholeSuite) {
        for (const Targets& targets : kTargets) {
            if (find(results, targets.name) == nullptr) {
                out << "The case " << targets.name << " has a target but did not run.\n";
                passed = false;
            }
        }
    }
    out << "| case | ns/op | floor ns/op | x floor | allocs/op | host calls/op | target | result |\n"
        << "|---|---:|---:|---:|---:|---:|---|---|\n";
    for (const CaseResult& result : results) {
        if (result.name.rfind("floor/", 0) == 0) {
            continue;  // shown beside its event
        }
        const Targets* targets = targetsFor(result.name);
        std::string verdict;
        if (!result.error.empty()) {
            verdict = "FAILED: " + result.error;
            passed = false;
        }

        double ratio = kNone;
        std::string floorTime;
        if (result.name.rfind("notify/", 0) == 0) {
            const CaseResult* floor = find(results, "floor/" + result.name.substr(7));
            if (floor != nullptr && floor->error.empty() && floor->nanoseconds > 0) {
                floorTime = number(floor->nanoseconds, "%.0f");
                ratio = result.nanoseconds / floor->nanoseconds;
            }
        }

        if (targets != nullptr && result.error.empty()) {
            const double allocations = result.allocations;
            // Counts are whole numbers per operation; the margin only absorbs the division by iterations.
            if (targets->maxAllocations >= 0 && allocations > targets->maxAllocations + 1e-9) {
                verdict = "MISSED: allocations";
                passed = false;
            } else if (targets->minAllocations >= 0 && allocations < targets->minAllocations - 1e-9) {
                verdict = "MISSED: allocations not counted";
                passed = false;
            } else if (targets->maxFloorRatio >= 0 && ratio >= 0 && ratio > targets->maxFloorRatio) {
                verdict = "slow (time, reported only)";
            } else {
                verdict = "met";
            }
        }

        out << "| " << result.name << " | " << number(result.nanoseconds, "%.1f") << " | " << floorTime
            << " | " << number(ratio, "%.2f") << " | " << number(result.allocations, "%.2f") << " | "
            << number(result.hostCalls, "%.0f") << " | " << (targets != nullptr ? targetText(*targets) : "")
            << " | " << verdict << " |\n";
    }
    return passed;
}
