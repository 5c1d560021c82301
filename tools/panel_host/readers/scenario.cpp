#include "scenario.h"

#include <cctype>

#include "input_error.h"
#include "text.h"

namespace {

// Reads the words of one line from the left; rest() takes whatever is left as free text.
class LineReader {
public:
    LineReader(const std::string& line, std::string where) : line_(line), where_(std::move(where)) {}

    [[noreturn]] void fail(const std::string& what) const { throw InputError(where_ + ": " + what); }

    bool atEnd() {
        skipBlanks();
        return pos_ >= line_.size();
    }

    std::string word() {
        skipBlanks();
        size_t start = pos_;
        while (pos_ < line_.size() && line_[pos_] != ' ' && line_[pos_] != '\t') {
            ++pos_;
        }
        return line_.substr(start, pos_ - start);
    }

    // The next word, which must be there; `need` says what the step lacks without it.
    std::string required(const std::string& need) {
        std::string w = word();
        if (w.empty()) {
            fail(need);
        }
        return w;
    }

    int32_t number(const std::string& need) { return toNumber(required(need)); }

    int32_t toNumber(const std::string& w) const {
        std::string problem = int32Problem(w);
        if (!problem.empty()) {
            fail(problem);
        }
        return *parseInt32(w);
    }

    // An optional control id in front of `numbers` numbers: a first word that is not a number (nor
    // `keep`, such as "none") names the control when the numbers follow it; else it is left for them.
    std::string optionalId(int numbers, const std::string& keep = "") {
        size_t before = pos_;
        std::string id = word();
        bool numberLike =
            !id.empty() && (std::isdigit(static_cast<unsigned char>(id[0])) != 0 || id[0] == '-');
        bool isId = !id.empty() && !numberLike && id != keep;
        for (int i = 0; isId && i < numbers; ++i) {
            std::string w = word();
            isId = parseInt32(w) || (w == keep && !keep.empty());
        }
        if (!isId) {
            pos_ = before;
            return "";
        }
        pos_ = before;
        word();
        return id;
    }

    std::string rest() {
        std::string text = trim(line_.substr(std::min(pos_, line_.size())));
        pos_ = line_.size();
        if (text.size() >= 3 && text[0] == '\\' && text[1] == '"' && text.back() == '"') {
            size_t end = 0;
            std::optional<std::string> unescaped = unquotedText(text.substr(1), end);
            if (!unescaped || end != text.size() - 1) {
                fail("the escaped text " + text +
                     " does not read: \\\" is followed by a text quoted as "
                     "the transcript quotes it");
            }
            return *unescaped;
        }
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
            return text.substr(1, text.size() - 2);
        }
        return text;
    }

    // A recorded answer: `none`, a word, or a text quoted as the transcript quotes it.
    std::string answer(bool& none) {
        skipBlanks();
        none = false;
        if (pos_ < line_.size() && line_[pos_] == '"') {
            size_t end = 0;
            std::optional<std::string> text = unquotedText(line_.substr(pos_), end);
            if (!text) {
                fail("host answers needs the answer quoted as the transcript quotes it");
            }
            pos_ += end;
            return *text;
        }
        std::string w = required("host answers needs an answer (none, a number or a quoted text)");
        none = w == "none";
        return none ? "" : w;
    }

    void end(const std::string& stepName) {
        if (!atEnd()) {
            fail(stepName + " takes nothing more, but the line goes on with " +
                 quotedText(trim(line_.substr(pos_))));
        }
    }

private:
    void skipBlanks() {
        while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t')) {
            ++pos_;
        }
    }

    const std::string& line_;
    std::string where_;
    size_t pos_ = 0;
};

const char* const kByteOrderMark = "\xEF\xBB\xBF";

const char* const kExpectKinds =
    "sent, not sent, no more commands, debug, no debug, note, cell, param, enabled, disabled, answer, no "
    "answer";

void parseExpect(LineReader& in, Step& step) {
    std::string what = in.word();
    if (what == "sent") {
        step.kind = StepKind::ExpectSent;
    } else if (what == "debug") {
        step.kind = StepKind::ExpectDebug;
    } else if (what == "answer") {
        step.kind = StepKind::ExpectAnswer;
    } else if (what == "note") {
        step.kind = StepKind::ExpectNote;
    } else if (what == "not") {
        if (in.word() != "sent") {
            in.fail("expect not is only followed by sent");
        }
        step.kind = StepKind::ExpectNotSent;
    } else if (what == "no") {
        std::string next = in.word();
        if (next == "more" && in.word() == "commands") {
            step.kind = StepKind::ExpectNoMoreCommands;
        } else if (next == "debug") {
            step.kind = StepKind::ExpectNoDebug;
        } else if (next == "answer") {
            step.kind = StepKind::ExpectNoAnswer;
        } else {
            in.fail("expect no is followed by more commands, debug or answer");
        }
        in.end("expect no " + next);
        return;
    } else if (what == "cell") {
        step.kind = StepKind::ExpectCell;
        step.name = in.optionalId(2);
        step.first = in.number("expect cell needs a row (1 for the top row), a cell number and the text");
        step.second = in.number("expect cell needs a cell number after the row");
        step.text = in.rest();
        return;
    } else if (what == "param") {
        step.kind = StepKind::ExpectParam;
        step.name = in.required("expect param needs a control id, a parameter name and the value");
        step.param = in.required("expect param needs a parameter name after the control id");
        step.text = in.rest();
        return;
    } else if (what == "enabled" || what == "disabled") {
        step.kind = what == "enabled" ? StepKind::ExpectEnabled : StepKind::ExpectDisabled;
        step.name = in.required("expect " + what + " needs a control id");
        in.end("expect " + what + " " + step.name);
        return;
    } else if (what.empty()) {
        in.fail(std::string("expect needs what to check: ") + kExpectKinds);
    } else {
        in.fail("expect cannot check " + quotedBytes(what) + "; it checks " + kExpectKinds);
    }
    step.text = in.rest();
    if (step.text.empty() && step.kind != StepKind::ExpectAnswer) {
        in.fail("expect " + what + " needs the text to look for");
    }
}

}  // namespace

bool Step::isExpect() const {
    switch (kind) {
        case StepKind::ExpectSent:
        case StepKind::ExpectNotSent:
        case StepKind::ExpectNoMoreCommands:
        case StepKind::ExpectDebug:
        case StepKind::ExpectNoDebug:
        case StepKind::ExpectNote:
        case StepKind::ExpectCell:
        case StepKind::ExpectParam:
        case StepKind::ExpectEnabled:
        case StepKind::ExpectDisabled:
        case StepKind::ExpectAnswer:
        case StepKind::ExpectNoAnswer:
            return true;
        default:
            return false;
    }
}

std::optional<Step> parseStep(const std::string& line, const std::string& file, int lineNo) {
    std::string content = trim(line);
    if (content.empty() || content[0] == '#') {
        return std::nullopt;
    }
    Step step;
    step.file = file;
    step.line = lineNo;
    step.source = content;
    LineReader in(content, step.where());
    std::string word = in.word();
    if (word == "start" || word == "stop" || word == "show" || word == "help" || word == "record") {
        step.kind = word == "start"  ? StepKind::Start
                    : word == "stop" ? StepKind::Stop
                    : word == "show" ? StepKind::Show
                    : word == "help" ? StepKind::Help
                                     : StepKind::Record;
        in.end(word);
    } else if (word == "integer") {
        step.kind = StepKind::Integer;
        step.first = in.number("integer needs the number to deliver");
        in.end("integer");
    } else if (word == "replay") {
        step.kind = StepKind::Replay;
        in.end("replay");
    } else if (word == "host") {
        step.kind = StepKind::HostAnswers;
        if (in.word() != "answers") {
            in.fail("host is only followed by answers");
        }
        step.text = in.answer(step.none);
        if (in.word() != "to") {
            in.fail("host answers needs `to` and the command after the answer");
        }
        step.name = in.rest();
        if (step.name.empty()) {
            in.fail("host answers needs the command it answers");
        }
    } else if (word == "button") {
        step.kind = StepKind::Button;
        step.param = in.required("button needs a panel id and a control id");
        step.name = in.required("button needs a control id after the panel id");
        step.text = in.rest();
    } else if (word == "press") {
        step.kind = StepKind::Press;
        step.name = in.required("press needs a control id");
        step.text = in.rest();
    } else if (word == "select") {
        step.kind = StepKind::Select;
        step.name = in.optionalId(1, "none");
        std::string row = in.required("select needs a row number (1 for the top row) or none");
        if (row == "none") {
            step.none = true;
        } else {
            if (!parseInt32(row) && int32Problem(row).find("out of range") == std::string::npos) {
                in.fail("select needs a row number (1 for the top row) or none, not " + quotedText(row));
            }
            step.first = in.toNumber(row);
            if (step.first < 1) {
                in.fail("select needs a row number (1 for the top row) or none, not " + quotedText(row));
            }
        }
        in.end("select");
    } else if (word == "pick") {
        step.kind = StepKind::Pick;
        step.name = in.optionalId(1);
        step.first = in.number("pick needs the number to choose");
        in.end("pick");
    } else if (word == "advance") {
        step.kind = StepKind::Advance;
        step.first = in.number("advance needs a number of clock units");
        if (step.first <= 0) {
            in.fail("advance needs a number of clock units greater than 0");
        }
        in.end("advance");
    } else if (word == "tick") {
        step.kind = StepKind::Tick;
        step.first = in.number("tick needs a timer id");
        in.end("tick");
    } else if (word == "request") {
        step.kind = StepKind::Request;
        step.text = in.rest();
    } else if (word == "revertive") {
        step.kind = StepKind::Revertive;
        step.first = in.number("revertive needs a device, a slot and the slot's text");
        step.second = in.number("revertive needs a slot after the device");
        step.text = in.rest();
    } else if (word == "silent") {
        step.kind = StepKind::Silent;
        step.first = in.number("silent needs a device and a slot");
        step.second = in.number("silent needs a slot after the device");
        in.end("silent");
    } else if (word == "unknown") {
        step.kind = StepKind::Unknown;
        step.name = in.rest();
        if (step.name.empty()) {
            in.fail("unknown needs an instance name");
        }
    } else if (word == "expect") {
        parseExpect(in, step);
    } else {
        in.fail("unknown step " + quotedBytes(word));
    }
    return step;
}

std::vector<Step> readScenario(std::istream& in, const std::string& file) {
    std::vector<Step> steps;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (lineNo == 1 && startsWith(line, kByteOrderMark)) {
            line.erase(0, std::string(kByteOrderMark).size());
        }
        if (std::optional<Step> step = parseStep(line, file, lineNo)) {
            steps.push_back(*step);
        }
    }
    return steps;
}

const char* scenarioHelp() {
    return "steps:\n"
           "  start                              create the script through the export\n"
           "  stop                               destroy the script\n"
           "  press CONTROL [MESSAGE]            a button event from the control (e.g. press Dest index=12)\n"
           "  button PANEL CONTROL [MESSAGE]     a button event exactly so, whatever the panels loaded\n"
           "  select [LIST] ROW|none             choose a row of the list (1 for the top row) and send its "
           "event\n"
           "  pick [PICKER] N                    set the picker to N and send its event\n"
           "  advance UNITS                      move the clock on, delivering the timer ticks due\n"
           "  tick ID                            deliver one tick of timer ID now\n"
           "  request TEXT                       a parent request; its answer is shown and handed back\n"
           "  revertive DEVICE SLOT [TEXT]       deliver a revertive now\n"
           "  integer N                          an integer event (kind 7) carrying N\n"
           "  record                             a record event (kind 6)\n"
           "  silent DEVICE SLOT                 the slot stops reporting\n"
           "  unknown NAME                       the host forgets the instance name\n"
           "  show                               draw the panels\n"
           "  help                               this list\n"
           "  replay                             play a recording: the host answers what it recorded\n"
           "  host answers ANSWER to COMMAND     the recorded answer (none, 1, 0 or \"text\") to the next "
           "COMMAND\n"
           "checks (on what the step before them did):\n"
           "  expect sent COMMAND                the script sent the command (TEXT... matches a beginning)\n"
           "  expect not sent COMMAND            it did not send it\n"
           "  expect no more commands            it sent nothing more\n"
           "  expect debug TEXT                  it wrote the debug line\n"
           "  expect no debug                    it wrote no more debug lines\n"
           "  expect note TEXT                   the host noted the text\n"
           "  expect cell [LIST] ROW CELL TEXT   the list's cell holds the text\n"
           "  expect param CONTROL NAME VALUE    TG of the parameter would report the value\n"
           "  expect enabled|disabled CONTROL    the control is in that state\n"
           "  expect answer TEXT | no answer     the last parent request was answered so\n";
}
