// Check: one named check of the validator, as data: what it is called, from which level it runs, what it
// needs, the one line the report prints, and the function that carries it out. A check returns its
// result as data (passed, failed with why and where, skipped with why); it never prints, forks or times
// itself: the isolation (isolation.h) and the reports (report.h) do that, once for every check.
//
// A check may crash or hang the process it runs in (that is what it looks for), so the validator runs
// each in a child of its own unless told otherwise.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <memory>

#include "coverage.h"

enum class Outcome { Pass, Fail, Crash, Timeout, Skip };

// "pass", "FAIL", "CRASH", "TIMEOUT", "skip": as the terminal report prints them.
const char* outcomeName(Outcome outcome);
// The name back, for a result that crossed a pipe; Fail for anything unknown.
Outcome outcomeFromName(const std::string& name);

struct CheckResult {
    Outcome outcome = Outcome::Pass;
    std::string message;   // what happened (a failure, a crash, a skip's reason), or "" for a pass
    std::string where;     // the step or call it happened in, or ""
    std::string scenario;  // a scenario that replays the failure, or "" when none can
    std::string warning;   // a remark that does not fail the check (determinism below level 8), or ""
    std::vector<std::string>
        steps;           // a storm's steps up to its failure, as scenario lines (not kept for a pass)
    int64_t events = 0;  // events played to the script
    Coverage coverage;   // what its storms reached
    int repeats = 0;     // how many more times the same failure happened in the same storm
    std::vector<CheckResult> more;  // the storm's other distinct failures, each with its own steps
    double seconds = 0;             // wall time of the check

    static CheckResult pass() { return {}; }
    static CheckResult fail(std::string message, std::string where = "");
    static CheckResult skip(std::string reason);
};

struct Site;
struct Seeds;
struct Pace;

// What every check is given.
struct CheckContext {
    std::string library;                 // the panel library's path
    bool hasSite = false;                // false: the host knows no instance, database or layout
    std::shared_ptr<const Site> site;    // an empty site without one; only storm_session.cpp reads it
    int level = 5;                       // 1..10
    uint64_t seed = 0;                   // every random choice of a run comes from it
    std::shared_ptr<const Seeds> seeds;  // the author's scenarios (empty without --scenarios)
    bool inProcess = false;
    int trailFd = -1;       // where a storm writes each step before playing it (a child's), or -1
    Pace* pace = nullptr;   // where a session reports each call it begins (a child's), or null
    double timeLimit = 10;  // seconds for one step of a check (and of a shrink candidate)
    double timeScale = 1;   // every limit and budget is multiplied by it (a slow machine, a sanitizer)
};

struct Check {
    const char* name;         // a word or two joined by '.', e.g. "events.hostile"; --only matches it
    int level;                // the lowest level that runs it
    bool needsSite;           // skipped without a site
    const char* description;  // the one line the report prints
    std::function<CheckResult(const CheckContext&)> run;
};
