// The suite's targets, and the table the runner prints after a run.
//
// For each case: nanoseconds per operation; for a notify case, its floor's time and the ratio to it;
// allocations and host calls per operation; the case's targets and whether it meets them. Allocation
// counts are exact and the same on every machine, so a missed allocation target, like a case that
// stopped with an error, fails the run. Times vary with the machine and its load, so a ratio above its
// target is marked in the table and never fails the run.
#pragma once

#include <ostream>
#include <string>
#include <vector>

struct CaseResult {
    std::string name;         // "notify/revertive", "floor/revertive", "toInt/decimal", ...
    double nanoseconds = 0;   // per operation
    double allocations = -1;  // per operation; negative when the case reported none
    double hostCalls = -1;    // request() calls per operation; negative for cases without a host
    std::string error;        // why the case stopped, when it did
};

// Prints the table of `results`, in the order given, as Markdown. False when a case stopped or missed
// an allocation target, or, when the whole suite was run, when a case that has a target did not run.
bool printTargetTable(const std::vector<CaseResult>& results, bool wholeSuite, std::ostream& out);
