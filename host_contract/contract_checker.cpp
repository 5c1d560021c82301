#include "contract_checker.h"

#include <string_view>

#include "orvo_event_kind.h"
#include "record_pages.h"
#include "text.h"

ContractChecker::ContractChecker(Reporter& reporter) : reporter_(reporter) {}

std::string ContractChecker::describe(const void* data, int32_t kind) {
    if (kind == orvo_request_command && data != nullptr) {
        return quotedText(static_cast<const char*>(data));
    }
    return "of kind " + std::to_string(kind);
}

void ContractChecker::beginCall(const std::string& event) {
    calling_ = true;
    destroyed_ = false;
    callThread_ = std::this_thread::get_id();
    RecordPages::setCurrentEvent(event);
}

void ContractChecker::endCall() {
    calling_ = false;
    reportOverdue("before the call into the script returned");
    answers_.callEnded();
}

bool ContractChecker::admit(const void* data, int32_t kind) {
    if (!watchCalls_) {
        return true;
    }
    if (!calling_ && destroyed_) {
        report(Fault::AfterDestruction,
               "a request " + describe(data, kind) + " after the script was destroyed; not carried out");
        return false;
    }
    if (!calling_) {
        report(Fault::OutsideCall, "a request " + describe(data, kind) +
                                       " while no call into the script was in progress; not carried out");
        return false;
    }
    if (std::this_thread::get_id() != callThread_) {
        report(Fault::OtherThread, "a request " + describe(data, kind) +
                                       " from a thread other than the one the host called the script on");
    }
    return true;
}

ContractChecker::HandBack ContractChecker::handBack(const void* data) {
    HandBack result;
    HandBackRule::HandBack back = answers_.handBack(data);
    if (back.fault == HandBackRule::Fault::Twice) {
        result.inOrder = false;
        report(Fault::HandedBackTwice,
               "the answer " + quotedText(back.text) + " to " + back.command + " was handed back twice");
    } else if (back.fault == HandBackRule::Fault::Foreign) {
        result.inOrder = false;
        report(Fault::ForeignHandBack, "the script handed back a text this host never gave it");
    } else {
        result.absent = data == nullptr;
        result.text = back.text;
    }
    return result;
}

bool ContractChecker::kindAndText(const void* data, int32_t kind) {
    if (kind != orvo_request_command) {
        report(Fault::UnknownRequestKind,
               "request of kind " + std::to_string(kind) + "; the host knows kinds 0 and 5");
        return false;
    }
    if (data == nullptr) {
        report(Fault::CommandWithoutText, "a command request without a command text");
        return false;
    }
    return true;
}

void ContractChecker::reportOverdue(const char* when) {
    // Reported once: a later hand-back of these is taken without another report.
    for (const HandBackRule::Answer& answer : answers_.overdue()) {
        report(Fault::AnswerNotHandedBack, "the answer " + quotedText(answer.text) + " to " + answer.command +
                                               " was not handed back " + when);
    }
}

std::optional<HostCommand> ContractChecker::check(const std::string& text) {
    if (closed_) {
        report(Fault::CommandAfterClose, "a command after AS, which must be the script's last");
    }
    HostCommand command;
    try {
        command = parseHostCommand(text);
    } catch (const CommandError& malformed) {
        report(Fault::MalformedCommand, std::string("malformed command: ") + malformed.what());
        return std::nullopt;
    }
    // Compared with each word in turn: as a view, without a call and a length count per comparison.
    const std::string_view word = command.word;
    const std::vector<int32_t>& n = command.numbers;
    if (word == "IR" && n[1] > n[2]) {
        report(Fault::EmptyRange, "IR: the range " + std::to_string(n[1]) + " to " + std::to_string(n[2]) +
                                      " is empty; nothing registered");
        return std::nullopt;
    }
    if (word == "IP" && n[1] > n[2]) {
        report(Fault::PollRefused, "IP: the range " + std::to_string(n[1]) + " to " + std::to_string(n[2]) +
                                       " is empty; nothing polled");
        return std::nullopt;
    }
    if (word == "IP" && int64_t{n[2]} - n[1] + 1 > kMaxPollSlots) {
        report(Fault::PollRefused, "IP: the range " + std::to_string(n[1]) + " to " + std::to_string(n[2]) +
                                       " is wider than " + std::to_string(kMaxPollSlots) +
                                       " slots; nothing polled");
        return std::nullopt;
    }
    if (word == "ET" && n.size() == 2 && n[1] == 0) {
        report(Fault::ZeroInterval,
               "ET: interval 0; a script stops a timer with ET " + std::to_string(n[0]) + " alone");
        return std::nullopt;
    }
    notes(command);
    closed_ = closed_ || word == "AS";
    return command;
}

bool ContractChecker::registered(int32_t device, int32_t first, int32_t last) const {
    auto found = registrations_.find(device);
    if (found == registrations_.end()) {
        return false;
    }
    // Every slot of first..last inside one of the ranges, taken in turn from the lowest uncovered slot.
    int64_t next = first;
    bool moved = true;
    while (next <= last && moved) {
        moved = false;
        for (const auto& range : found->second) {
            if (next >= range.first && next <= range.second) {
                next = int64_t{range.second} + 1;
                moved = true;
            }
        }
    }
    return next > last;
}

void ContractChecker::notes(const HostCommand& command) {
    const std::string_view word = command.word;
    const std::vector<int32_t>& n = command.numbers;
    if (word == "IR") {
        auto& ranges = registrations_[n[0]];
        if (!command.add) {
            ranges.clear();
        }
        ranges.emplace_back(n[1], n[2]);
    } else if (word == "IU") {
        registrations_.erase(n[0]);
    } else if (word == "IW" && !registered(n[0], n[1], n[1])) {
        report(Fault::UnregisteredSlot, "IW: no revertive will come for slot " + std::to_string(n[1]) +
                                            " of device " + std::to_string(n[0]) +
                                            ": the script has not registered for it (IR)");
    } else if (word == "IP" && !registered(n[0], n[1], n[2])) {
        std::string slots = n[1] == n[2] ? "slot " + std::to_string(n[1])
                                         : "slots " + std::to_string(n[1]) + " to " + std::to_string(n[2]);
        report(Fault::UnregisteredSlot, "IP: no revertive will come for " + slots + " of device " +
                                            std::to_string(n[0]) +
                                            " where the script has not registered for every one (IR)");
    }
    // The fields a host reads from the ends inward: a value holding the separator reads one way here and
    // may read another on a host that cuts from the front.
    if ((word == "TP" || word == "IW" || word == "SD") && command.texts[0].find("' '") != std::string::npos) {
        report(Fault::QuoteInTextField, command.word + ": the text " + quotedText(command.texts[0]) +
                                            " holds ' ' (quote, blank, quote), so a host cannot tell where "
                                            "the field ends");
    }
}

bool ContractChecker::returned(int32_t kind, const void* result) {
    if (result == nullptr || kind == orvo_event_parent) {
        return true;
    }
    report(Fault::TextForWrongKind,
           "notify of kind " + std::to_string(kind) + " returned a text; only a parent request (kind 3) may");
    return false;
}

void ContractChecker::scriptDestroyed() {
    destroyed_ = true;
    if (!closed_) {
        report(Fault::NoClosingCommand, "the script ended without sending AS");
    }
}

void ContractChecker::hostEnding() {
    for (const HandBackRule::Answer& answer : answers_.overdue()) {
        report(Fault::AnswerNotHandedBack,
               "the answer " + quotedText(answer.text) + " to " + answer.command + " was never handed back");
    }
}
