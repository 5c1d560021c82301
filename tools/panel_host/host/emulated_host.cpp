#include "emulated_host.h"

#include <cstdlib>
#include <iostream>

#include "input_error.h"
#include "orvo_event_kind.h"
#include "text.h"

EmulatedHost::EmulatedHost(const Site& site, Transcript& transcript)
    : transcript_(transcript), siteDir_(site.siteDir), basePath_(site.basePath), devices_(site) {}

void EmulatedHost::reserved() {
    // A call through the first slot means the script's idea of the host object's table is wrong.
    transcript_.error("the script called the host object's first slot, which a script never calls");
}

void EmulatedHost::pullDebug() {
    if (capture_ != nullptr) {
        std::string text = capture_->drain();
        if (!text.empty()) {
            transcript_.debugText(text);
        }
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
    for (const std::string& fault : ledger_.overdue("before the call into the script returned")) {
        transcript_.error(fault);
    }
    ledger_.callEnded();
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
            transcript_.error("a request " + describeRequest(data, kind) +
                              " from a thread other than the one the host called the script on");
        }
        intptr_t result = carryOut(data, kind);
        // What the script did so far is on record should it never return.
        transcript_.flush();
        return result;
    } catch (const std::exception& error) {
        transcript_.error(std::string("the host failed on this request: ") + error.what());
    } catch (...) {
        transcript_.error("the host failed on this request");
    }
    return 0;
}

intptr_t EmulatedHost::carryOut(void* data, int32_t kind) {
    {
        if (kind == orvo_request_release) {
            AnswerLedger::HandBack back = ledger_.handBack(data);
            if (!back.fault.empty()) {
                transcript_.error(back.fault);
            } else {
                transcript_.back(data == nullptr ? std::nullopt : std::optional<std::string>(back.text));
            }
            return 0;
        }
        if (kind != orvo_request_command) {
            transcript_.error("request of kind " + std::to_string(kind) + "; the host knows kinds 0 and 5");
            return 0;
        }
        if (data == nullptr) {
            transcript_.error("a command request without a command text");
            return 0;
        }
        for (const std::string& fault : ledger_.overdue("before the next command")) {
            transcript_.error(fault);
        }
        return command(static_cast<const char*>(data));
    }
}

intptr_t EmulatedHost::command(const std::string& text) {
    transcript_.sent(text);
    if (closed_) {
        transcript_.error("a command after AS, which must be the script's last");
    }
    HostCommand parsed;
    try {
        parsed = parseHostCommand(text);
    } catch (const CommandError& error) {
        transcript_.error(std::string("malformed command: ") + error.what());
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
        transcript_.note(word + ": panel " + quotedText(panelId) + " is not loaded; ignored");
        return nullptr;
    }
    Control* found = panel->find(controlId);
    if (found == nullptr) {
        transcript_.note(word + ": panel " + quotedText(panelId) + " has no control " +
                         quotedText(controlId) + "; ignored");
    }
    return found;
}

intptr_t EmulatedHost::giveAnswer(const std::optional<std::string>& answer, const std::string& command) {
    transcript_.answer(answer);
    if (!answer) {
        return 0;
    }
    return reinterpret_cast<intptr_t>(ledger_.give(*answer, command));
}

intptr_t EmulatedHost::layout(const HostCommand& command, bool show) {
    const std::string& panelId = command.texts[0];
    const std::string& file = command.texts[1];
    if (command.texts.size() == 3) {
        transcript_.note(command.word + ": the extra field " + quotedText(command.texts[2]) +
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
        transcript_.note(command.word + " refused: " + problem);
        transcript_.result("0");
        return 0;
    }
    transcript_.result("1");
    return 1;
}

intptr_t EmulatedHost::execute(const HostCommand& command, const std::string& text) {
    const std::string& word = command.word;
    const auto& t = command.texts;
    const auto& n = command.numbers;
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
                transcript_.note("TP: " + note);
            }
        }
        return 0;
    }
    if (word == "TG") {
        std::optional<std::string> answer;
        if (Control* c = control(word, t[0], t[1])) {
            std::optional<std::string> value = c->get(t[2]);
            if (!value) {
                transcript_.note("TG: " + t[1] + " has no parameter " + quotedText(t[2]));
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
            transcript_.note("XI: panel " + quotedText(t[0]) + " is not loaded");
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
            transcript_.error("IR: the range " + std::to_string(n[1]) + " to " + std::to_string(n[2]) +
                              " is empty; nothing registered");
        } else if (!devices_.isInfoDriver(n[0])) {
            transcript_.note("IR: device " + std::to_string(n[0]) +
                             " is not an information driver; nothing registered");
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
            transcript_.note("IP: device " + std::to_string(n[0]) +
                             " is not an information driver; nothing polled");
            return 0;
        }
        std::string problem = devices_.pollProblem(n[0], n[1], n[2]);
        if (!problem.empty()) {
            transcript_.error("IP: " + problem + "; nothing polled");
            return 0;
        }
        std::vector<Revertive> revertives = devices_.poll(n[0], n[1], n[2]);
        pending_.insert(pending_.end(), revertives.begin(), revertives.end());
        return 0;
    }
    if (word == "IW") {
        if (!devices_.isInfoDriver(n[0])) {
            transcript_.note("IW: device " + std::to_string(n[0]) +
                             " is not an information driver; nothing written");
            return 0;
        }
        std::optional<Revertive> revertive = devices_.write(n[0], n[1], t[0]);
        if (revertive) {
            pending_.push_back(*revertive);
        }
        return 0;
    }
    if (word == "ET") {
        if (n.size() == 1) {
            timers_.stop(n[0]);
        } else if (n[1] == 0) {
            transcript_.error("ET: interval 0; a script stops a timer with ET " + std::to_string(n[0]) +
                              " alone");
        } else if (n[1] < 0) {
            transcript_.note("ET: interval " + std::to_string(n[1]) + " is not positive; ignored");
        } else {
            timers_.start(n[0], n[1]);
        }
        return 0;
    }
    if (word == "AS") {
        closed_ = true;
        transcript_.note("AS: the script's last word");
        return 0;
    }
    transcript_.error("the host has no handler for " + word);
    return 0;
}
