// Reports: listeners of the validator's results. The validator tells each listener when the run
// begins, each check's result as it comes, and the end; a listener only writes. Three of them: the
// terminal (one line a check, then a summary), JUnit XML (one testcase a check, with failure, error and
// skipped elements, as CI systems and CTest read it) and report.json (the same with the seed and level).
// Each reports the run's coverage too: the terminal a short table of what was never reached, JUnit its
// figures as properties, report.json every item.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "check.h"

struct RunInfo {
    std::string library;
    std::string site;  // "" without one
    int level = 5;
    uint64_t seed = 0;
    bool isolated = true;
    std::string isolationNote;  // how the checks were run, e.g. "each check in a child process"
};

class ResultListener {
public:
    virtual ~ResultListener() = default;
    virtual void begin(const RunInfo& info) = 0;
    virtual void result(const Check& check, const CheckResult& result) = 0;
    // `seconds` the whole run; `events` every event played; `coverage` what every check reached.
    virtual void end(double seconds, int64_t events, const Coverage& coverage) = 0;
};

std::unique_ptr<ResultListener> terminalReport(std::ostream& out);
// Both write their file at end(); a file that cannot be written is reported on `errors`.
std::unique_ptr<ResultListener> junitReport(const std::string& path, std::ostream& errors);
std::unique_ptr<ResultListener> jsonReport(const std::string& path, std::ostream& errors);
