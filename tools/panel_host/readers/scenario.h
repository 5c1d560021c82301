// Scenario: the steps of a run, one a line, as the operator's story and the checks along it.
//
// parseStep() turns one line into a Step, or nothing for a blank line or a '#' comment line; a line it
// cannot read is an InputError "file:line: what is wrong". It checks the form of a step only (words,
// numbers); whether the named control or row exists is the runner's business, since that depends on
// what the script did. The steps and their words are listed in docs/panel_host.md.
//
// Where a step ends in free text (a message, a command, an expected text) the text is the rest of the
// line with its outer blanks removed; a text wrapped in double quotes loses them, so "" is the empty text
// and " a" keeps its blank. A text written \"...\" (a backslash, then a text quoted as the transcript
// quotes it) is read with its escapes, so any text, line breaks too, fits on a line.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

enum class StepKind {
    Start,
    Stop,
    Press,
    Button,
    Select,
    Pick,
    Advance,
    Tick,
    Request,
    Revertive,
    Integer,
    Record,
    Silent,
    Unknown,
    Show,
    Help,
    Replay,
    HostAnswers,
    ExpectSent,
    ExpectNotSent,
    ExpectNoMoreCommands,
    ExpectDebug,
    ExpectNoDebug,
    ExpectNote,
    ExpectCell,
    ExpectParam,
    ExpectEnabled,
    ExpectDisabled,
    ExpectAnswer,
    ExpectNoAnswer,
};

struct Step {
    StepKind kind = StepKind::Show;
    std::string file;
    int line = 0;
    std::string source;  // the line as written, for the transcript
    std::string name;    // control id (for select, pick and expect cell: "" for the first list or picker)
                         // or instance name; for host answers the command answered
    std::string param;   // parameter name (expect param), panel id (button)
    std::string text;    // message, request, command, expected text or recorded answer
    int32_t first = 0;   // row, number, units, id or device
    int32_t second = 0;  // cell or slot
    bool none = false;   // select none; host answers none

    std::string where() const { return file + ":" + std::to_string(line); }
    // True for steps that check; they do not move the window of commands the next checks look at.
    bool isExpect() const;
};

std::optional<Step> parseStep(const std::string& line, const std::string& file, int lineNo);

// Every step of a scenario, parsed before any is run so a bad line costs nothing. A UTF-8 byte order
// mark at the start is skipped.
std::vector<Step> readScenario(std::istream& in, const std::string& file);

// The steps and checks, one line each, as the help step prints them.
const char* scenarioHelp();
