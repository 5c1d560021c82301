// ScenarioRecord: the steps a workbench session played, kept as a scenario file that replays with the
// command line and pins what the script did.
//
// Each step is written as its scenario line, followed by one `expect sent` line for every command the
// script sent while the step ran, in order, and `expect no more commands`. Checks are not recorded: the
// record states its own. It owns its text and knows nothing of the runner. A long session costs less
// than its text: each step is kept as its line and its commands only, the words around them are written
// when the text is asked for, in blocks of kBlock bytes that are filled and never moved.
#pragma once

#include <string>
#include <vector>

class ScenarioRecord {
public:
    // `line` as the scenario language writes the step; `sent` the commands it caused.
    void played(const std::string& line, const std::vector<std::string>& sent);
    std::string text() const;
    size_t steps() const { return steps_; }

    static constexpr size_t kBlock = 64 * 1024;

private:
    void append(const std::string& text);

    std::vector<std::string> blocks_;
    size_t size_ = 0;
    size_t steps_ = 0;
};
