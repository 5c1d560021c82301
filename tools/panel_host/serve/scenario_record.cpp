#include "scenario_record.h"

#include <algorithm>
#include <string_view>

#include "scenario_writer.h"

namespace {

// A command holding a line break cannot be written on one line; the part before it, with "...", still
// pins where it begins.
std::string expectedCommand(const std::string& command) {
    size_t cut = command.find_first_of("\r\n");
    if (cut == std::string::npos) {
        return scenarioText(command);
    }
    return scenarioText(command.substr(0, cut) + "...");
}

}  // namespace

void ScenarioRecord::append(const std::string& text) {
    if (blocks_.empty() || blocks_.back().size() + text.size() > kBlock) {
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(kBlock, text.size()));
    }
    blocks_.back() += text;
    size_ += text.size();
}

// Kept: the step's line, each command as it is written after "expect sent", one a line, then an empty
// line. Neither a step line nor a written command is ever empty or holds a line break.
void ScenarioRecord::played(const std::string& line, const std::vector<std::string>& sent) {
    ++steps_;
    std::string kept = line + "\n";
    for (const std::string& command : sent) {
        kept += expectedCommand(command) + "\n";
    }
    kept += "\n";
    append(kept);
}

std::string ScenarioRecord::text() const {
    std::string out =
        "# A panel_host workbench session: each step as played, then every command the script sent for it.\n"
        "# Replay it with: panel_host LIBRARY SITE THIS_FILE\n";
    bool stepLine = true;
    for (const std::string& block : blocks_) {
        for (size_t start = 0; start < block.size();) {
            size_t end = block.find('\n', start);
            std::string_view line(block.data() + start, end - start);
            if (stepLine) {
                out.append("\n").append(line).append("\n");
                stepLine = false;
            } else if (line.empty()) {
                out += "expect no more commands\n";
                stepLine = true;
            } else {
                out.append("expect sent ").append(line).append("\n");
            }
            start = end + 1;
        }
    }
    return out;
}
