// ScenarioRecord: the steps a workbench session played, kept as a scenario file that replays with the
// command line and pins what the script did.
//
// Each step is written as its scenario line, followed by one `expect sent` line for every command the
// script sent while the step ran, in order, and `expect no more commands`. Checks are not recorded: the
// record states its own. It owns its text and knows nothing of the runner.
#pragma once

#include <string>
#include <vector>

class ScenarioRecord {
public:
    // `line` as the scenario language writes the step; `sent` the commands it caused.
    void played(const std::string& line, const std::vector<std::string>& sent);
    std::string text() const;
    size_t steps() const { return steps_; }

private:
    std::string body_;
    size_t steps_ = 0;
};
