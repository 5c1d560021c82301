#include "emulated_host.h"

#include <cstdlib>
#include <iostream>
#include <optional>

#include "input_error.h"
#include "orvo_event_kind.h"
#include "text.h"

EmulatedHost::EmulatedHost(const Site& site, HostLog& log)
    : log_(log), siteDir_(site.siteDir), basePath_(site.basePath), devices_(site) {}

void EmulatedHost::reserved() {
    // A call through the first slot means the script's idea of the host object's table is wrong.
    error(Fault::FirstSlotCalled,
          "the script called the host object's first slot, which a script never calls");
}

void EmulatedHost::pullDebug() {
    if (capture_ != nullptr) {
        std::string text = capture_->drain();
        if (!text.empty()) {
            host_log::debugText(log_, text);
        }
    }
}

void EmulatedHost::reportOverdue(const char* when) {
    for (const HandBackRule::Answer& answer : answers_.overdue()) {
        error(Fault::AnswerNotHandedBack, "the answer " + quotedText(answer.text) + " to " + answer.command +
                                              " was not handed back " + when);
    }
}

void EmulatedHost::beginCall() {
    std::lock_guard<std::mutex> lock(requestLock_);
    calling_ = true;
    callThread_ = std::this_thread::get_id();
}

void EmulatedHost::endOfCall() {
    std::lock_guard<std::mutex> lock(requestLock_);
    calling_ = false;
    pullDebug();
    reportOverdue("before the call into the script returned");
    answers_.callEnded();
}

std::vector<std::string> EmulatedHost::takeStrayRequests() {
    std::lock_guard<std::mutex> lock(requestLock_);
    std::vector<std::string> strays;
    strays.swap(strays_);
    return strays;
}

void EmulatedHost::outliveRun() {
    std::lock_guard<std::mutex> lock(requestLock_);
    afterRun_ = true;
}

std::string EmulatedHost::takeInputFault() {
    std::string fault;
    fault.swap(inputFault_);
    return fault;
}

bool EmulatedHost::takeRevertive(Revertive& out) {
    if (pending_.empty()) {
        return false;
    }
    out = pending_.front();
    pending_.pop_front();
    return true;
}

namespace {

std::string describeRequest(const void* data, int32_t kind) {
    if (kind == orvo_request_command && data != nullptr) {
        return quotedText(static_cast<const char*>(data));
    }
    return "of kind " + std::to_string(kind);
}

}  // namespace

intptr_t EmulatedHost::request(void* data, int32_t kind) {
    std::lock_guard<std::mutex> lock(requestLock_);
    // Nothing may be thrown back into the script's frames.
    try {
        if (afterRun_) {
            std::cout.flush();
            std::cerr << "panel_host: ERROR a request " << describeRequest(data, kind)
                      << " as the process ended, after the run (the library could not be unloaded before the "
                         "summary)\n";
            std::_Exit(1);
        }
        if (!calling_) {
            // Nothing is written now: the host may be drawing or the run may be over.
            strays_.push_back("a request " + describeRequest(data, kind) +
                              " while no call into the script was in progress; not carried out");
            return 0;
        }
        pullDebug();
        if (std::this_thread::get_id() != callThread_) {
            error(Fault::OtherThread, "a request " + describeRequest(data, kind) +
                                          " from a thread other than the one the host called the script on");
        }
        intptr_t result = carryOut(data, kind);
        // What the script did so far is on record should it never return.
        log_.sync();
        return result;
    } catch (const std::exception& failure) {
        error(Fault::HostFailed, std::string("the host failed on this request: ") + failure.what());
    } catch (...) {
        error(Fault::HostFailed, "the host failed on this request");
    }
    return 0;
}

intptr_t EmulatedHost::carryOut(void* data, int32_t kind) {
    {
        if (kind == orvo_request_release) {
            HandBackRule::HandBack back = answers_.handBack(data);
            if (back.fault == HandBackRule::Fault::Twice) {
                error(Fault::HandedBackTwice, "the answer " + quotedText(back.text) + " to " + back.command +
                                                  " was handed back twice");
            } else if (back.fault == HandBackRule::Fault::Foreign) {
                error(Fault::ForeignHandBack, "the script handed back a text this host never gave it");
            } else {
                LogEntry entry;
                entry.tag = LogTag::Back;
                entry.text = back.text;
                entry.absent = data == nullptr;
                log_.write(entry);
            }
            return 0;
        }
        if (kind != orvo_request_command) {
            error(Fault::UnknownRequestKind,
                  "request of kind " + std::to_string(kind) + "; the host knows kinds 0 and 5");
            return 0;
        }
        if (data == nullptr) {
            error(Fault::CommandWithoutText, "a command request without a command text");
            return 0;
        }
        reportOverdue("before the next command");
        return command(static_cast<const char*>(data));
    }
}

intptr_t EmulatedHost::command(const std::string& text) {
    LogEntry sent;
    sent.tag = LogTag::Sent;
    sent.text = text;
    log_.write(sent);
    if (closed_) {
        error(Fault::CommandAfterClose, "a command after AS, which must be the script's last");
    }
    HostCommand parsed;
    try {
        parsed = parseHostCommand(text);
    } catch (const CommandError& malformed) {
        error(Fault::MalformedCommand, std::string("malformed command: ") + malformed.what());
        return 0;
    }
    return execute(parsed, text);
}

std::string EmulatedHost::resolve(const std::string& file) const {
    if (!file.empty() && file[0] == '/') {
        return file;
    }
#if defined(_WIN32)
    // A path from the root of a drive, or with a drive letter, does not hang off the site's directory.
    if ((!file.empty() && file[0] == '\\') || (file.size() >= 2 && file[1] == ':')) {
        return file;
    }
#endif
    return siteDir_ + "/" + file;
}

Control* EmulatedHost::control(const std::string& word, const std::string& panelId,
                               const std::string& controlId) {
    Panel* panel = panels_.find(panelId);
    if (panel == nullptr) {
        note(word + ": panel " + quotedText(panelId) + " is not loaded; ignored");
        return nullptr;
    }
    Control* found = panel->find(controlId);
    if (found == nullptr) {
        note(word + ": panel " + quotedText(panelId) + " has no control " + quotedText(controlId) +
             "; ignored");
    }
    return found;
}

intptr_t EmulatedHost::giveAnswer(const std::optional<std::string>& answer, const std::string& command) {
    LogEntry entry;
    entry.tag = LogTag::Answer;
    entry.absent = !answer;
    if (answer) {
        entry.text = *answer;
    }
    log_.write(entry);
    if (!answer) {
        return 0;
    }
    return reinterpret_cast<intptr_t>(answers_.give(*answer, command));
}

intptr_t EmulatedHost::layout(const HostCommand& command, bool show) {
    const std::string& panelId = command.texts[0];
    const std::string& file = command.texts[1];
    if (command.texts.size() == 3) {
        note(command.word + ": the extra field " + quotedText(command.texts[2]) +
             " means nothing to this host");
    }
    std::string problem;
    try {
        problem = panels_.load(panelId, file, resolve(file), show);
    } catch (const InputError& error) {
        if (inputFault_.empty()) {
            inputFault_ = error.what();
        }
        problem = error.what();
    }
    if (!problem.empty()) {
        note(command.word + " refused: " + problem);
        result("0");
        return 0;
    }
    result("1");
    return 1;
}

std::optional<intptr_t> EmulatedHost::replayed(const HostCommand& command, const std::string& text) {
    const std::string& word = command.word;
    bool layoutCommand = word == "PI" || word == "PS";
    if (!layoutCommand && word != "TG" && word != "XI" && word != "SD" && word != "RN") {
        return std::nullopt;
    }
    std::optional<std::optional<std::string>> answer = recorded_->take(text);
    if (!answer) {
        return std::nullopt;
    }
    if (!layoutCommand) {
        return giveAnswer(*answer, text);
    }
    // The model still loads the layout, so the panel is drawn; the script gets what the recording says.
    intptr_t loaded = layout(command, word == "PS");
    intptr_t recorded = *answer && **answer != "0" ? 1 : 0;
    if (loaded != recorded) {
        note(word + ": the recording's answer " + std::to_string(recorded) + " goes to the script");
    }
    return recorded;
}

intptr_t EmulatedHost::execute(const HostCommand& command, const std::string& text) {
    const std::string& word = command.word;
    const auto& t = command.texts;
    const auto& n = command.numbers;
    if (recorded_ != nullptr) {
        if (std::optional<intptr_t> result = replayed(command, text)) {
            return *result;
        }
    }
    if (word == "PI" || word == "PS") {
        return layout(command, word == "PS");
    }
    if (word == "CE" || word == "CD") {
        if (Control* c = control(word, t[0], t[1])) {
            c->setEnabled(word == "CE");
        }
        return 0;
    }
    if (word == "TP") {
        if (Control* c = control(word, t[1], t[2])) {
            std::string note = c->put(t[0]);
            if (!note.empty()) {
                this->note("TP: " + note);
            }
        }
        return 0;
    }
    if (word == "TG") {
        std::optional<std::string> answer;
        if (Control* c = control(word, t[0], t[1])) {
            std::optional<std::string> value = c->get(t[2]);
            if (!value) {
                note("TG: " + t[1] + " has no parameter " + quotedText(t[2]));
            } else {
                answer = t[2] == "all" ? *value : t[2] + "=" + *value;
            }
        }
        return giveAnswer(answer, text);
    }
    if (word == "XI") {
        std::optional<std::string> answer;
        Panel* panel = panels_.find(t[0]);
        if (panel == nullptr) {
            note("XI: panel " + quotedText(t[0]) + " is not loaded");
        } else {
            std::string ids;
            for (const Control& c : panel->controls) {
                if (startsWith(c.id(), t[1])) {
                    ids += (ids.empty() ? "" : ",") + c.id();
                }
            }
            if (!ids.empty()) {
                answer = ids;
            }
        }
        return giveAnswer(answer, text);
    }
    if (word == "SD") {
        return giveAnswer(devices_.lookup(t[0]), text);
    }
    if (word == "RN") {
        return giveAnswer(devices_.readName(n[0], n[1], n[2]), text);
    }
    if (word == "IR") {
        if (n[1] > n[2]) {
            error(Fault::EmptyRange, "IR: the range " + std::to_string(n[1]) + " to " + std::to_string(n[2]) +
                                         " is empty; nothing registered");
        } else if (!devices_.isInfoDriver(n[0])) {
            note("IR: device " + std::to_string(n[0]) + " is not an information driver; nothing registered");
        } else {
            devices_.registerSlots(n[0], n[1], n[2], command.add);
        }
        return 0;
    }
    if (word == "IU") {
        devices_.unregister(n[0]);
        return 0;
    }
    if (word == "IP") {
        if (!devices_.isInfoDriver(n[0])) {
            note("IP: device " + std::to_string(n[0]) + " is not an information driver; nothing polled");
            return 0;
        }
        std::string problem = devices_.pollProblem(n[0], n[1], n[2]);
        if (!problem.empty()) {
            error(Fault::PollRefused, "IP: " + problem + "; nothing polled");
            return 0;
        }
        std::vector<Revertive> revertives = devices_.poll(n[0], n[1], n[2]);
        if (recorded_ == nullptr) {
            pending_.insert(pending_.end(), revertives.begin(), revertives.end());
        }
        return 0;
    }
    if (word == "IW") {
        if (!devices_.isInfoDriver(n[0])) {
            note("IW: device " + std::to_string(n[0]) + " is not an information driver; nothing written");
            return 0;
        }
        std::optional<Revertive> revertive = devices_.write(n[0], n[1], t[0]);
        if (revertive && recorded_ == nullptr) {
            pending_.push_back(*revertive);
        }
        return 0;
    }
    if (word == "ET") {
        if (n.size() == 1) {
            timers_.stop(n[0]);
        } else if (n[1] == 0) {
            error(Fault::ZeroInterval,
                  "ET: interval 0; a script stops a timer with ET " + std::to_string(n[0]) + " alone");
        } else if (n[1] < 0) {
            note("ET: interval " + std::to_string(n[1]) + " is not positive; ignored");
        } else {
            timers_.start(n[0], n[1]);
        }
        return 0;
    }
    if (word == "AS") {
        closed_ = true;
        note("AS: the script's last word");
        return 0;
    }
    error(Fault::UnknownCommand, "the host has no handler for " + word);
    return 0;
}
