#include "contract_rules.h"

namespace {

// One line a rule: what the guides' table shows, in the order of the enum.
const ContractRule kRules[] = {
    {Fault::FirstSlotCalled, "first-slot-called", Severity::Error,
     "the host object's table declared wrongly, so a call lands in its first slot"},
    {Fault::OtherThread, "request-from-other-thread", Severity::Error,
     "a command sent from a thread of the script's own"},
    {Fault::OutsideCall, "request-outside-call", Severity::Error,
     "a command sent while the host is not calling the script (a thread left running, a timer of its own)"},
    {Fault::AfterDestruction, "request-after-destruction", Severity::Error,
     "a command sent after the script was destroyed (a static object's destructor, a thread left running)"},
    {Fault::UnknownRequestKind, "unknown-request-kind", Severity::Error,
     "request() called with a kind other than 0 (command) and 5 (hand-back)"},
    {Fault::CommandWithoutText, "command-without-text", Severity::Error,
     "a command request with a null text"},
    {Fault::AnswerNotHandedBack, "answer-not-handed-back", Severity::Error,
     "an answer of the host kept, not handed back with kind 5 before the next command or the call's end"},
    {Fault::HandedBackTwice, "answer-handed-back-twice", Severity::Error,
     "the same answer handed back twice"},
    {Fault::ForeignHandBack, "foreign-hand-back", Severity::Error,
     "a text handed back that the host never gave (a copy, or one the script allocated)"},
    {Fault::CommandAfterClose, "command-after-close", Severity::Error,
     "a command sent after AS, which must be the script's last"},
    {Fault::MalformedCommand, "malformed-command", Severity::Error,
     "a command text built by hand with a missing quote, a missing field, lower case or a stray blank"},
    {Fault::UnknownCommand, "unknown-command", Severity::Error, "a command word the host has no handler for"},
    {Fault::EmptyRange, "empty-register-range", Severity::Error, "IR with its first slot after its last"},
    {Fault::PollRefused, "poll-refused", Severity::Error, "IP of an empty range or of more than 4096 slots"},
    {Fault::ZeroInterval, "zero-timer-interval", Severity::Error,
     "ET with interval 0 (a timer is stopped with ET and its id alone)"},
    {Fault::RecordReadAfterCall, "record-read-after-call", Severity::Error,
     "an event record (or a pointer into it) kept in a member and read in a later event"},
    {Fault::ExportThrew, "export-threw", Severity::Error, "an exception let out of load_orvo_client_script"},
    {Fault::NoScript, "no-script", Severity::Error, "load_orvo_client_script returned null"},
    {Fault::NotifyThrew, "notify-threw", Severity::Error, "an exception let out of notify"},
    {Fault::TextForWrongKind, "text-for-wrong-kind", Severity::Error,
     "notify returned a text for an event other than a parent request"},
    {Fault::DestructorThrew, "destructor-threw", Severity::Error, "an exception let out of the destructor"},
    {Fault::NoClosingCommand, "no-closing-command", Severity::Error,
     "a script that ends without sending AS (a destructor that skips the helper's)"},
    {Fault::NeverRests, "never-rests", Severity::Error,
     "a script that answers every revertive or tick with more of them, without end"},
    {Fault::HostFailed, "host-failed", Severity::Error, "none of the script's: the host itself failed"},
    {Fault::UnregisteredSlot, "unregistered-slot", Severity::Note,
     "IW or IP of a slot without IR first: the host carries it out, but no revertive comes"},
    {Fault::QuoteInTextField, "quote-in-text-field", Severity::Note,
     "a text field whose value holds ' ' (quote, blank, quote): the host cannot tell where the field ends"},
};

const ContractRule* find(Fault fault) {
    for (const ContractRule& rule : kRules) {
        if (rule.fault == fault) {
            return &rule;
        }
    }
    return nullptr;
}

}  // namespace

const ContractRule* contractRules(size_t* count) {
    *count = sizeof kRules / sizeof kRules[0];
    return kRules;
}

const char* faultName(Fault fault) {
    const ContractRule* rule = find(fault);
    return rule != nullptr ? rule->name : "";
}

Severity faultSeverity(Fault fault) {
    const ContractRule* rule = find(fault);
    return rule != nullptr ? rule->severity : Severity::Error;
}

std::string contractRulesTable() {
    std::string table = "| rule | kind | the mistake it catches |\n|---|---|---|\n";
    for (const ContractRule& rule : kRules) {
        table += std::string("| `") + rule.name + "` | " + (rule.severity == Severity::Error ? "error" : "note") +
                 " | " + rule.mistake + " |\n";
    }
    return table;
}
