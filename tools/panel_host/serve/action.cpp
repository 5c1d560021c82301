#include "action.h"

#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

#include "input_error.h"
#include "scenario_writer.h"
#include "text.h"

namespace {

using nlohmann::json;

class ActionBody {
public:
    ActionBody(const json& body, std::string where) : body_(body), where_(std::move(where)) {}

    [[noreturn]] void fail(const std::string& what) const { throw InputError(where_ + ": " + what); }

    // The field as it goes into the line: a number in decimal, a text as it is, "" when missing.
    std::string field(const char* name) const {
        auto it = body_.find(name);
        if (it == body_.end() || it->is_null()) {
            return "";
        }
        if (it->is_number_integer()) {
            return std::to_string(it->get<int64_t>());
        }
        if (!it->is_string()) {
            fail(std::string("\"") + name + "\" must be a number or a text");
        }
        std::string text = it->get<std::string>();
        for (char c : text) {
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
                fail(std::string("\"") + name +
                     "\" holds a line break or another control character; a step is one line");
            }
        }
        return text;
    }

    // A control id is one word of the line.
    std::string word(const char* name) const {
        std::string text = field(name);
        if (text.find_first_of(" \t") != std::string::npos) {
            fail(std::string("\"") + name + "\" must be one word, not " + quotedText(text));
        }
        return text;
    }

private:
    const json& body_;
    std::string where_;
};

// The control id to write before the row or number: none for the first list or picker of the loaded
// panels, which the scenario language names by default.
std::string controlPrefix(const std::string& id, ControlKind kind, const Panels& panels) {
    if (id.empty()) {
        return "";
    }
    for (const auto& entry : panels.all()) {
        for (const Control& control : entry.second.controls) {
            if (control.kind() == kind) {
                return control.id() == id ? "" : id + " ";
            }
        }
    }
    return id + " ";
}

std::string nextTickUnits(const Timers& timers, const ActionBody& body) {
    std::optional<Timers::Due> due = timers.nextDue(std::numeric_limits<int64_t>::max());
    if (!due) {
        body.fail("no timer is running, so there is no next tick to advance to");
    }
    int64_t units = due->at - timers.now();
    if (units > std::numeric_limits<int32_t>::max()) {
        body.fail("the next tick is " + std::to_string(units) + " units away, too far for one step");
    }
    return std::to_string(units);
}

}  // namespace

namespace {

std::string stepLine(const ActionBody& body, const Panels& panels, const Timers& timers);

}  // namespace

std::string actionLine(const std::string& text, const Panels& panels, const Timers& timers,
                       const std::string& where) {
    json parsed = json::parse(text, nullptr, false);
    if (parsed.is_discarded()) {
        throw InputError(where + ": the body is not JSON");
    }
    if (!parsed.is_object()) {
        throw InputError(where + ": the body must be a JSON object with an \"action\"");
    }
    ActionBody body(parsed, where);
    std::string line = stepLine(body, panels, timers);
    if (line.size() > kLongestStepLine) {
        body.fail("the step is " + std::to_string(line.size()) + " bytes long; a step line holds at most " +
                  std::to_string(kLongestStepLine));
    }
    return line;
}

namespace {

std::string stepLine(const ActionBody& body, const Panels& panels, const Timers& timers) {
    std::string action = body.word("action");
    if (action == "press") {
        std::string message = body.field("message");
        return "press " + body.word("control") + (message.empty() ? "" : " " + scenarioText(message));
    }
    if (action == "select") {
        return "select " + controlPrefix(body.word("control"), ControlKind::List, panels) + body.word("row");
    }
    if (action == "pick") {
        return "pick " + controlPrefix(body.word("control"), ControlKind::Picker, panels) +
               body.word("number");
    }
    if (action == "advance") {
        std::string units = body.word("units");
        return "advance " + (units == "next" ? nextTickUnits(timers, body) : units);
    }
    if (action == "tick") {
        return "tick " + body.word("timer");
    }
    if (action == "request") {
        return "request " + scenarioText(body.field("text"));
    }
    if (action == "revertive") {
        return "revertive " + body.word("device") + " " + body.word("slot") + " " +
               scenarioText(body.field("text"));
    }
    if (action == "silent") {
        return "silent " + body.word("device") + " " + body.word("slot");
    }
    if (action == "unknown") {
        return "unknown " + scenarioText(body.field("instance"));
    }
    if (action == "stop") {
        return "stop";
    }
    body.fail(
        "unknown action " + quotedText(action) +
        "; the actions are press, select, pick, advance, tick, request, revertive, silent, unknown, stop");
}

}  // namespace
