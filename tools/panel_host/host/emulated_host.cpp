#include "emulated_host.h"

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string_view>

#include "input_error.h"
#include "orvo_event_kind.h"
#include "text.h"

EmulatedHost::EmulatedHost(const Site& site, HostLog& log)
    : log_(log),
      siteDir_(site.siteDir),
      basePath_(site.basePath),
      devices_(site),
      door_(HostDoor::open(*this)),
      checker_(*this) {
    checker_.watchCallState(true);
}

EmulatedHost::~EmulatedHost() {
    std::lock_guard<std::mutex> lock(requestLock_);
    door_->close("the host emulator's run is over");
}

void EmulatedHost::report(Fault fault, const std::string& words) {
    if (fault == Fault::OutsideCall || fault == Fault::AfterDestruction) {
        // Nothing is written now: the host may be drawing or the run may be over.
        strays_.emplace_back(fault, words);
    } else if (faultSeverity(fault) == Severity::Note) {
        host_log::note(log_, fault, words);
    } else {
        error(fault, words);
    }
}

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

void EmulatedHost::beginCall(const std::string& event) {
    std::lock_guard<std::mutex> lock(requestLock_);
    checker_.beginCall(event);
}

void EmulatedHost::endOfCall() {
    std::lock_guard<std::mutex> lock(requestLock_);
    pullDebug();
    checker_.endCall();
}

bool EmulatedHost::returned(int32_t kind, const void* result) {
    std::lock_guard<std::mutex> lock(requestLock_);
    return checker_.returned(kind, result);
}

void EmulatedHost::scriptDestroyed() {
    std::lock_guard<std::mutex> lock(requestLock_);
    checker_.scriptDestroyed();
}

std::vector<std::pair<Fault, std::string>> EmulatedHost::takeStrayRequests() {
    std::lock_guard<std::mutex> lock(requestLock_);
    std::vector<std::pair<Fault, std::string>> strays;
    strays.swap(strays_);
    return strays;
}

void EmulatedHost::outliveRun() {
    std::lock_guard<std::mutex> lock(requestLock_);
    door_->close("the library could not be unloaded before the summary, and its exit-time code called");
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

intptr_t EmulatedHost::request(void* data, int32_t kind) {
    std::lock_guard<std::mutex> lock(requestLock_);
    // Nothing may be thrown back into the script's frames.
    try {
        if (checker_.inCall()) {
            pullDebug();
        }
        if (!checker_.admit(data, kind)) {
            return 0;
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
    if (kind == orvo_request_release) {
        ContractChecker::HandBack back = checker_.handBack(data);
        if (back.inOrder) {
            LogEntry entry;
            entry.tag = LogTag::Back;
            entry.text = back.text;
            entry.absent = back.absent;
            log_.write(entry);
        }
        return 0;
    }
    std::optional<HostCommand> command = checker_.command(data, kind, [this](const std::string& text) {
        LogEntry sent;
        sent.tag = LogTag::Sent;
        sent.text = text;
        log_.write(sent);
    });
    if (!command) {
        return 0;
    }
    return execute(*command, static_cast<const char*>(data));
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
    return reinterpret_cast<intptr_t>(checker_.give(*answer, command));
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
    // Compared with each word in turn: as a view, without a call and a length count per comparison.
    const std::string_view word = command.word;
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
        if (Control* c = control(command.word, t[0], t[1])) {
            c->setEnabled(word == "CE");
        }
        return 0;
    }
    if (word == "TP") {
        if (Control* c = control(command.word, t[1], t[2])) {
            std::string note = c->put(t[0]);
            if (!note.empty()) {
                this->note("TP: " + note);
            }
        }
        return 0;
    }
    if (word == "TG") {
        std::optional<std::string> answer;
        if (Control* c = control(command.word, t[0], t[1])) {
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
        if (!devices_.isInfoDriver(n[0])) {
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
        } else if (n[1] < 0) {
            note("ET: interval " + std::to_string(n[1]) + " is not positive; ignored");
        } else {
            timers_.start(n[0], n[1]);
        }
        return 0;
    }
    if (word == "AS") {
        note("AS: the script's last word");
        return 0;
    }
    error(Fault::UnknownCommand, "the host has no handler for " + command.word);
    return 0;
}
