#include "scenario_writer.h"

#include "text.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A free text the reader takes back whole: no line break, no NUL.
bool fitsOnLine(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

// One word of the line: not empty, no blank, nothing the reader would cut or could not hold.
bool isWord(const std::string& text) {
    return !text.empty() && fitsOnLine(text) && text.find_first_of(" \t") == std::string::npos;
}

// An optional list or picker name in front of a number: it must not read as a number or as "none".
bool isNameBeforeNumber(const std::string& name) {
    return isWord(name) && name != "none" && !(name[0] == '-' || (name[0] >= '0' && name[0] <= '9'));
}

std::string number(int32_t value) {
    return std::to_string(value);
}

}  // namespace

std::string scenarioText(const std::string& text) {
    // A text that looks like the escaped form is written in it, so the reader does not unescape it.
    if (text.size() >= 3 && text[0] == '\\' && text[1] == '"' && text.back() == '"') {
        return "\\" + quotedText(text);
    }
    bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
    if (text.empty() || isBlank(text.front()) || isBlank(text.back()) || quoted) {
        return "\"" + text + "\"";
    }
    return text;
}

std::optional<std::string> scenarioLine(const Step& step) {
    if (!fitsOnLine(step.text) || !fitsOnLine(step.name)) {
        return std::nullopt;
    }
    // A list or picker goes unnamed when it is the first of its kind.
    bool takesName =
        step.kind == StepKind::Select || step.kind == StepKind::Pick || step.kind == StepKind::ExpectCell;
    if (takesName && !step.name.empty() && !isNameBeforeNumber(step.name)) {
        return std::nullopt;
    }
    const std::string named = step.name.empty() ? "" : step.name + " ";
    switch (step.kind) {
        case StepKind::Start:
            return "start";
        case StepKind::Stop:
            return "stop";
        case StepKind::Show:
            return "show";
        case StepKind::Help:
            return "help";
        case StepKind::Record:
            return "record";
        case StepKind::Integer:
            return "integer " + number(step.first);
        case StepKind::Press:
            if (!isWord(step.name)) {
                return std::nullopt;
            }
            return "press " + step.name + (step.text.empty() ? "" : " " + scenarioText(step.text));
        case StepKind::Button:
            if (!isWord(step.param) || !isWord(step.name)) {
                return std::nullopt;
            }
            return "button " + step.param + " " + step.name +
                   (step.text.empty() ? "" : " " + scenarioText(step.text));
        case StepKind::Replay:
            return "replay";
        case StepKind::HostAnswers:
            return "host answers " + (step.none ? std::string("none") : quotedText(step.text)) + " to " +
                   scenarioText(step.name);
        case StepKind::Select:
            if (!step.none && step.first < 1) {
                return std::nullopt;
            }
            return "select " + named + (step.none ? std::string("none") : number(step.first));
        case StepKind::Pick:
            return "pick " + named + number(step.first);
        case StepKind::Advance:
            if (step.first <= 0) {
                return std::nullopt;
            }
            return "advance " + number(step.first);
        case StepKind::Tick:
            return "tick " + number(step.first);
        case StepKind::Request:
            return "request " + scenarioText(step.text);
        case StepKind::Revertive:
            return "revertive " + number(step.first) + " " + number(step.second) + " " +
                   scenarioText(step.text);
        case StepKind::Silent:
            return "silent " + number(step.first) + " " + number(step.second);
        case StepKind::Unknown:
            if (step.name.empty()) {
                return std::nullopt;
            }
            return "unknown " + scenarioText(step.name);
        case StepKind::ExpectSent:
            return "expect sent " + scenarioText(step.text);
        case StepKind::ExpectNotSent:
            return "expect not sent " + scenarioText(step.text);
        case StepKind::ExpectNoMoreCommands:
            return "expect no more commands";
        case StepKind::ExpectDebug:
            return "expect debug " + scenarioText(step.text);
        case StepKind::ExpectNoDebug:
            return "expect no debug";
        case StepKind::ExpectNote:
            return "expect note " + scenarioText(step.text);
        case StepKind::ExpectCell:
            return "expect cell " + named + number(step.first) + " " + number(step.second) + " " +
                   scenarioText(step.text);
        case StepKind::ExpectParam:
            if (!isWord(step.name) || !isWord(step.param)) {
                return std::nullopt;
            }
            return "expect param " + step.name + " " + step.param + " " + scenarioText(step.text);
        case StepKind::ExpectEnabled:
        case StepKind::ExpectDisabled:
            if (!isWord(step.name)) {
                return std::nullopt;
            }
            return std::string(step.kind == StepKind::ExpectEnabled ? "expect enabled "
                                                                    : "expect disabled ") +
                   step.name;
        case StepKind::ExpectAnswer:
            return "expect answer " + scenarioText(step.text);
        case StepKind::ExpectNoAnswer:
            return "expect no answer";
    }
    return std::nullopt;
}
