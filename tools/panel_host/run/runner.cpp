#include "runner.h"

#include <vector>

#include "call_guard.h"
#include "host_records.h"
#include "input_error.h"
#include "orvo_event_kind.h"
#include "panel_printer.h"
#include "text.h"

namespace {

// An expected text ending in "..." matches any text that begins with what comes before the dots.
bool matches(const std::string& expected, const std::string& actual) {
    const std::string dots = "...";
    if (expected.size() >= dots.size() &&
        expected.compare(expected.size() - dots.size(), dots.size(), dots) == 0) {
        return startsWith(actual, expected.substr(0, expected.size() - dots.size()));
    }
    return expected == actual;
}

std::string listed(const std::vector<std::string>& items, size_t from) {
    if (from >= items.size()) {
        return "\n        (nothing)";
    }
    std::string out;
    for (size_t i = from; i < items.size(); ++i) {
        out += "\n        " + escapedControls(items[i]);
    }
    return out;
}

// Looks for a line matching `expected` from `mark` on; when found, moves `mark` past it so the next check
// looks after it.
bool findFrom(const std::string& expected, const std::vector<std::string>& lines, size_t& mark) {
    for (size_t i = mark; i < lines.size(); ++i) {
        if (matches(expected, lines[i])) {
            mark = i + 1;
            return true;
        }
    }
    return false;
}

}  // namespace

Runner::Runner(const Site& site, const std::string& libraryPath, HostLog& listener)
    : site_(site), ownedHost_(std::make_unique<EmulatedHost>(site_, log_)), host_(ownedHost_.get()) {
    log_.add(record_);
    log_.add(listener);
    library_ = PanelLibrary::open(libraryPath);
    call_guard::install();
}

void Runner::openWindow() {
    record_.openWindow();
    sentMark_ = 0;
    debugMark_ = 0;
    noteMark_ = 0;
}

Runner::~Runner() {
    // The script must die before the library that holds its code. It still runs here only when a step
    // stopped the run.
    if (session_ && session_->running()) {
        call_guard::setStep("end");
        host_log::step(log_, "end", "the run stopped; the host destroys the script");
        session_->stop();
    }
    closeLibrary();
}

void Runner::closeLibrary() {
    session_.reset();
    if (!library_) {
        return;
    }
    call_guard::setStep("library unload");
    bool unloaded = library_->unload();
    library_.reset();
    for (const auto& [fault, stray] : host_->takeStrayRequests()) {
        host_log::error(log_, fault, stray);
    }
    if (!unloaded) {
        // Its exit-time code runs at the end of the process and may still call the host's door.
        host_->outliveRun();
    }
}

void Runner::checkInputFault() {
    std::string fault = host_->takeInputFault();
    if (!fault.empty()) {
        throw InputError(fault);
    }
}

int Runner::exitCode() const {
    return record_.errors() == 0 && record_.failures() == 0 ? 0 : 1;
}

void Runner::ensureStarted(const Step& step) {
    if (started_) {
        return;
    }
    if (!library_) {
        throw InputError(step.where() + ": " + step.source + ": the run is over and the library closed");
    }
    started_ = true;
    host_log::step(log_, step.where(),
                   "start: load_orvo_client_script(host, " + quotedText(host_->basePath()) + ")");
    session_ = std::make_unique<ScriptSession>(*library_, *host_, log_);
    if (!session_->start(host_->basePath())) {
        throw InputError(step.where() + ": the script could not be started");
    }
    deliverPending();
}

void Runner::requireRunning(const Step& step) {
    ensureStarted(step);
    if (!session_ || !session_->running()) {
        throw InputError(step.where() + ": " + step.source + ": the script has already been stopped");
    }
}

void Runner::deliverRevertive(const Revertive& revertive) {
    const std::string event = "revertive " + std::to_string(revertive.device) + " " +
                              std::to_string(revertive.slot) + " " + quotedText(revertive.text);
    host_log::event(log_, event);
    // On guarded pages, sealed when the call returns: a script that kept the record faults on its next read.
    HostRecord record =
        HostRecord::revertive(revertive.device, revertive.slot, revertive.text, HostRecord::Guard::Pages);
    session_->notify(record.data(), record.kind(), event);
    record.seal();
}

bool Runner::deliverPending() {
    Revertive revertive;
    int delivered = 0;
    while (session_->running() && host_->takeRevertive(revertive)) {
        if (++delivered > kMaxDeliveriesPerStep) {
            host_->dropPendingRevertives();
            host_log::error(log_, Fault::NeverRests,
                            "the script never comes to rest: more than " +
                                std::to_string(kMaxDeliveriesPerStep) +
                                " revertives in one step (the rest are dropped)");
            return false;
        }
        deliverRevertive(revertive);
    }
    checkInputFault();
    return true;
}

void Runner::pressControl(const Panel& panel, const Control& control, const std::string& message) {
    const std::string event = "button " + panel.id + " " + control.id() + " " + quotedText(message);
    host_log::event(log_, event);
    // The record holds copies of the texts for the whole call: the script may reload its panel from
    // the handler, which replaces the panel and its controls.
    HostRecord record = HostRecord::button(panel.id, control.id(), message, HostRecord::Guard::Pages);
    session_->notify(record.data(), record.kind(), event);
    record.seal();
}

Control* Runner::controlFor(const Step& step, ControlKind kind, Panel** panel) {
    const char* what = kind == ControlKind::List ? "list" : "picker";
    if (step.name.empty()) {
        Control* first = host_->panels().firstOfKind(kind, panel);
        if (first == nullptr) {
            throw InputError(step.where() + ": no loaded panel has a " + what);
        }
        return first;
    }
    Control* control = host_->panels().findControl(step.name, panel);
    if (control == nullptr) {
        throw InputError(step.where() + ": no loaded panel has a control " + quotedText(step.name));
    }
    if (control->kind() != kind) {
        throw InputError(step.where() + ": " + step.name + " is a " + controlKindName(control->kind()) +
                         ", not a " + what);
    }
    return control;
}

void Runner::press(const Step& step) {
    Panel* panel = nullptr;
    Control* control = host_->panels().findControl(step.name, &panel);
    if (control == nullptr) {
        throw InputError(step.where() + ": no loaded panel has a control " + quotedText(step.name));
    }
    if (!control->enabled()) {
        host_log::note(log_, step.name + " is disabled; the operator's press sends no event");
        return;
    }
    // A choice made on a list or picker changes what it shows, as select and pick do.
    bool choice = (control->kind() == ControlKind::List && startsWith(step.text, "selectedindex=")) ||
                  (control->kind() == ControlKind::Picker && startsWith(step.text, "index="));
    if (choice) {
        std::string problem = control->put(step.text);
        if (!problem.empty()) {
            throw InputError(step.where() + ": " + problem);
        }
    }
    pressControl(*panel, *control, step.text);
}

void Runner::advance(const Step& step) {
    Timers& timers = host_->timers();
    int64_t until = timers.now() + step.first;
    int ticks = 0;
    while (std::optional<Timers::Due> due = timers.nextDue(until)) {
        if (!session_->running()) {
            break;
        }
        if (++ticks > kMaxTicksPerStep) {
            host_log::error(log_, Fault::NeverRests,
                            "the script never comes to rest: more than " + std::to_string(kMaxTicksPerStep) +
                                " timer ticks in one step (the clock stops at " + std::to_string(due->at) +
                                ")");
            return;
        }
        timers.moveTo(due->at);
        const std::string event =
            "timer " + std::to_string(due->id) + " (clock " + std::to_string(due->at) + ")";
        host_log::event(log_, event);
        session_->notify(orvo_data_from_integer(due->id), orvo_event_timer, event);
        bool calm = deliverPending();
        timers.ticked(*due);
        if (!calm) {
            return;
        }
    }
    timers.moveTo(until);
}

void Runner::request(const Step& step) {
    const std::string event = "parent request " + quotedText(step.text);
    host_log::event(log_, event);
    HostRecord text = HostRecord::parentRequest(step.text, HostRecord::Guard::Pages);
    char* answer = session_->notify(text.data(), text.kind(), event);
    text.seal();
    answered_ = true;
    lastAnswer_ = answer == nullptr ? std::nullopt : std::optional<std::string>(answer);
    LogEntry answered;
    answered.tag = LogTag::Answer;
    answered.absent = !lastAnswer_;
    if (lastAnswer_) {
        answered.text = *lastAnswer_;
    }
    log_.write(answered);
    if (answer != nullptr) {
        host_log::event(log_, "release " + quotedText(*lastAnswer_));
        session_->notify(answer, orvo_event_release);
    }
    deliverPending();
}

void Runner::run(const Step& step) {
    call_guard::setStep(step.where());
    if (step.kind == StepKind::Help) {
        host_log::step(log_, step.where(), step.source);
        host_log::block(log_, scenarioHelp());
        return;
    }
    if (step.isExpect()) {
        ensureStarted(step);
        check(step);
        return;
    }
    if (step.kind == StepKind::Replay || step.kind == StepKind::HostAnswers) {
        replayStep(step);
        return;
    }
    // Every other step opens a new window of what the script did, which the checks after it look in.
    openWindow();
    if (step.kind == StepKind::Silent) {
        if (!host_->devices().makeSilent(step.first, step.second)) {
            throw InputError(step.where() + ": device " + std::to_string(step.first) +
                             " is not an information driver");
        }
        host_log::step(log_, step.where(), step.source);
        return;
    }
    if (step.kind == StepKind::Unknown) {
        if (!host_->devices().forgetInstance(step.name)) {
            throw InputError(step.where() + ": the site has no instance " + quotedText(step.name));
        }
        host_log::step(log_, step.where(), step.source);
        return;
    }
    if (step.kind == StepKind::Start) {
        if (started_) {
            throw InputError(step.where() + ": the script has already been started");
        }
        ensureStarted(step);
        reportDifferences(step.where());
        return;
    }
    if (step.kind == StepKind::Show) {
        ensureStarted(step);
        host_log::step(log_, step.where(), step.source);
        host_log::block(log_, drawPanels(host_->panels()));
        return;
    }

    requireRunning(step);
    // The window opens after what starting the script did, if this step started it.
    openWindow();
    host_log::step(log_, step.where(), step.source);
    switch (step.kind) {
        case StepKind::Stop:
            session_->stop();
            break;
        case StepKind::Press:
            press(step);
            break;
        case StepKind::Button: {
            host_log::event(log_, "button " + step.param + " " + step.name + " " + quotedText(step.text));
            HostRecord record = HostRecord::button(step.param, step.name, step.text);
            session_->notify(record.data(), record.kind());
            break;
        }
        case StepKind::Select: {
            Panel* panel = nullptr;
            Control* list = controlFor(step, ControlKind::List, &panel);
            int32_t index = step.none ? -1 : step.first - 1;
            if (index >= static_cast<int32_t>(list->rows().size())) {
                throw InputError(step.where() + ": " + list->id() + " has no row " +
                                 std::to_string(step.first) + " (it has " +
                                 std::to_string(list->rows().size()) + ")");
            }
            if (!list->enabled()) {
                host_log::note(log_, list->id() + " is disabled; the operator's choice sends no event");
                break;
            }
            list->select(index);
            pressControl(*panel, *list, "selectedindex=" + std::to_string(index));
            break;
        }
        case StepKind::Pick: {
            Panel* panel = nullptr;
            Control* picker = controlFor(step, ControlKind::Picker, &panel);
            if (!picker->enabled()) {
                host_log::note(log_, picker->id() + " is disabled; the operator's choice sends no event");
                break;
            }
            picker->pick(step.first);
            pressControl(*panel, *picker, "index=" + std::to_string(step.first));
            break;
        }
        case StepKind::Advance:
            advance(step);
            break;
        case StepKind::Tick: {
            const std::string event =
                "timer " + std::to_string(step.first) +
                (host_->timers().running(step.first) ? "" : " (not running; delivered anyway)");
            host_log::event(log_, event);
            session_->notify(orvo_data_from_integer(step.first), orvo_event_timer, event);
            break;
        }
        case StepKind::Request:
            request(step);
            break;
        case StepKind::Revertive:
            // A device reports the text it holds: an information driver's slot holds it from now on.
            (void)host_->devices().write(step.first, step.second, step.text);
            deliverRevertive({step.first, step.second, step.text});
            break;
        case StepKind::Integer:
            host_log::event(log_, "integer " + std::to_string(step.first));
            session_->notify(orvo_data_from_integer(step.first), orvo_event_integer,
                             "integer " + std::to_string(step.first));
            break;
        case StepKind::Record: {
            // A record this host does not define: its bytes mean nothing to the script.
            host_log::event(log_, "record (64 zero bytes)");
            std::vector<int64_t> record(8, 0);
            session_->notify(record.data(), orvo_event_record, "record");
            break;
        }
        default:
            break;
    }
    deliverPending();
    reportDifferences(step.where());
}

void Runner::replayStep(const Step& step) {
    if (step.kind == StepKind::Replay) {
        if (started_) {
            throw InputError(step.where() + ": replay must come before the script starts");
        }
        replaying_ = true;
        host_->replayFrom(&recorded_);
    } else if (!replaying_) {
        throw InputError(step.where() + ": host answers is for a recording, after a replay step");
    }
    host_log::step(log_, step.where(), step.source);
    if (step.kind == StepKind::HostAnswers) {
        recorded_.add(step.name, step.none ? std::nullopt : std::optional<std::string>(step.text));
    }
}

void Runner::reportDifferences(const std::string& where) {
    if (!replaying_) {
        return;
    }
    for (const std::string& difference : recorded_.takeDifferences()) {
        host_log::failure(log_, where + ": " + difference);
    }
}

void Runner::checkCommand(const Step& step) {
    const std::vector<std::string>& sent = record_.sent();
    if (step.kind == StepKind::ExpectSent) {
        for (size_t i = sentMark_; i < sent.size(); ++i) {
            if (matches(step.text, sent[i])) {
                sentMark_ = i + 1;
                return;
            }
        }
        host_log::failure(log_, step.where() + ": expected the script to send " + step.text +
                                    "\n    it sent" + listed(sent, sentMark_));
        return;
    }
    if (step.kind == StepKind::ExpectNotSent) {
        for (size_t i = sentMark_; i < sent.size(); ++i) {
            if (matches(step.text, sent[i])) {
                host_log::failure(log_, step.where() + ": expected the script not to send " + step.text +
                                            "\n    it sent" + listed(sent, sentMark_));
                return;
            }
        }
        return;
    }
    if (sentMark_ < sent.size()) {
        host_log::failure(
            log_, step.where() + ": expected no more commands\n    it sent" + listed(sent, sentMark_));
    }
}

void Runner::check(const Step& step) {
    host_log::step(log_, step.where(), step.source);
    const std::vector<std::string>& debug = record_.debugLines();
    switch (step.kind) {
        case StepKind::ExpectSent:
        case StepKind::ExpectNotSent:
        case StepKind::ExpectNoMoreCommands:
            checkCommand(step);
            return;
        case StepKind::ExpectDebug:
            if (!findFrom(step.text, debug, debugMark_)) {
                host_log::failure(log_, step.where() + ": expected the debug line " + step.text +
                                            "\n    the script wrote" + listed(debug, debugMark_));
            }
            return;
        case StepKind::ExpectNote: {
            const std::vector<std::string>& notes = record_.notes();
            if (!findFrom(step.text, notes, noteMark_)) {
                host_log::failure(log_, step.where() + ": expected the host note " + step.text +
                                            "\n    the host noted" + listed(notes, noteMark_));
            }
            return;
        }
        case StepKind::ExpectNoDebug:
            if (debugMark_ < debug.size()) {
                host_log::failure(log_, step.where() + ": expected no debug line\n    the script wrote" +
                                            listed(debug, debugMark_));
            }
            return;
        case StepKind::ExpectCell: {
            Panel* panel = nullptr;
            Control* list = step.name.empty() ? host_->panels().firstOfKind(ControlKind::List, &panel)
                                              : host_->panels().findControl(step.name, &panel);
            std::string cell = "cell " + std::to_string(step.first) + " " + std::to_string(step.second);
            if (list == nullptr || list->kind() != ControlKind::List) {
                host_log::failure(log_,
                                  step.where() + ": expected " + cell + " to be " + quotedText(step.text) +
                                      ", but no loaded panel has " +
                                      (step.name.empty() ? std::string("a list") : "a list " + step.name));
                return;
            }
            int32_t row = step.first - 1;
            if (row < 0 || row >= static_cast<int32_t>(list->rows().size()) || step.second < 0 ||
                step.second >= static_cast<int32_t>(list->columns().size())) {
                host_log::failure(log_, step.where() + ": expected " + cell + " to be " +
                                            quotedText(step.text) + ", but " + list->id() + " has " +
                                            std::to_string(list->rows().size()) + " rows of " +
                                            std::to_string(list->columns().size()) + " cells");
                return;
            }
            const std::string& actual = list->rows()[row][step.second];
            if (!matches(step.text, actual)) {
                host_log::failure(log_, step.where() + ": expected " + cell + " to be " +
                                            quotedText(step.text) + ", it is " + quotedText(actual));
            }
            return;
        }
        case StepKind::ExpectParam: {
            Panel* panel = nullptr;
            Control* control = host_->panels().findControl(step.name, &panel);
            std::optional<std::string> actual = control == nullptr ? std::nullopt : control->get(step.param);
            if (!actual) {
                host_log::failure(log_, step.where() + ": expected " + step.name + " " + step.param +
                                            " to be " + quotedText(step.text) + ", but " +
                                            (control == nullptr ? "no loaded panel has that control"
                                                                : "the control has no such parameter"));
            } else if (!matches(step.text, *actual)) {
                host_log::failure(log_, step.where() + ": expected " + step.name + " " + step.param +
                                            " to be " + quotedText(step.text) + ", it is " +
                                            quotedText(*actual));
            }
            return;
        }
        case StepKind::ExpectEnabled:
        case StepKind::ExpectDisabled: {
            Panel* panel = nullptr;
            Control* control = host_->panels().findControl(step.name, &panel);
            bool wantEnabled = step.kind == StepKind::ExpectEnabled;
            if (control == nullptr) {
                host_log::failure(log_, step.where() + ": expected " + step.name + " to be " +
                                            (wantEnabled ? "enabled" : "disabled") +
                                            ", but no loaded panel has it");
            } else if (control->enabled() != wantEnabled) {
                host_log::failure(log_, step.where() + ": expected " + step.name + " to be " +
                                            (wantEnabled ? "enabled" : "disabled") + ", it is " +
                                            (control->enabled() ? "enabled" : "disabled"));
            }
            return;
        }
        case StepKind::ExpectAnswer:
        case StepKind::ExpectNoAnswer: {
            if (!answered_) {
                host_log::failure(log_, step.where() + ": no parent request has been made yet");
                return;
            }
            std::string got = lastAnswer_ ? quotedText(*lastAnswer_) : "no answer";
            if (step.kind == StepKind::ExpectNoAnswer) {
                if (lastAnswer_) {
                    host_log::failure(log_,
                                      step.where() + ": expected no answer, the script answered " + got);
                }
            } else if (!lastAnswer_ || !matches(step.text, *lastAnswer_)) {
                host_log::failure(
                    log_, step.where() + ": expected the answer " + quotedText(step.text) + ", got " + got);
            }
            return;
        }
        default:
            return;
    }
}

void Runner::finish() {
    call_guard::setStep("end");
    if (session_ && session_->running()) {
        host_log::step(log_, "end", "the host destroys the script");
        session_->stop();
    }
    reportDifferences("end");
    host_log::block(log_, drawPanels(host_->panels()));
    // What the library does as it unloads still counts: it is checked before the summary.
    closeLibrary();
}
