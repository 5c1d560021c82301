#include "scenario_record.h"

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

void ScenarioRecord::played(const std::string& line, const std::vector<std::string>& sent) {
    ++steps_;
    body_ += "\n" + line + "\n";
    for (const std::string& command : sent) {
        body_ += "expect sent " + expectedCommand(command) + "\n";
    }
    body_ += "expect no more commands\n";
}

std::string ScenarioRecord::text() const {
    return "# A panel_host workbench session: each step as played, then every command the script sent for "
           "it.\n"
           "# Replay it with: panel_host LIBRARY SITE THIS_FILE\n" +
           body_;
}
