// The rules of the host contract, by name: the one list the test kit, the host emulator, the workbench and
// the validator report breaches against, so a breach reads the same wherever a panel runs.
//
// Each rule has a short name ("answer-not-handed-back") that every report prints before its words, a
// severity (an error is a breach of the contract; a note is something the host carries out but that will
// not do what the script meant), and the author's mistake it catches, for the rules table in the guides.
// The table is fixed at compile time; nothing here allocates or keeps state.
#pragma once

#include <cstddef>
#include <string>

enum class Fault {
    None,
    FirstSlotCalled,      // the script called the host object's first slot
    OtherThread,          // a request from a thread other than the one the host called on
    OutsideCall,          // a request while no call into the script was in progress
    AfterDestruction,     // a request after the host ended the script and let its host object go
    UnknownRequestKind,   // a request kind other than 0 and 5
    CommandWithoutText,   // a command request with a null text
    AnswerNotHandedBack,  // an answer still out when the next command came or the call returned
    HandedBackTwice,      // the same answer handed back twice
    ForeignHandBack,      // a hand-back of a text the host never gave
    CommandAfterClose,    // a command after AS
    MalformedCommand,     // a command text the host cannot read
    UnknownCommand,       // a command word the host has no handler for
    EmptyRange,           // IR with an empty range
    PollRefused,          // IP of a range the host cannot answer
    ZeroInterval,         // ET with interval 0
    RecordReadAfterCall,  // a record of an event read after the call that carried it returned
    ExportThrew,          // the export let an exception out
    NoScript,             // the export returned no script object
    NotifyThrew,          // notify let an exception out
    TextForWrongKind,     // notify returned a text for a kind other than a parent request
    DestructorThrew,      // the destructor let an exception out
    NoClosingCommand,     // the script ended without sending AS
    NeverRests,           // the script keeps the host busy without end (revertives or ticks)
    HostFailed,           // the host itself failed on a request (a fault of the emulator)
    UnregisteredSlot,     // note: IW or IP of a slot the script has not registered for
    QuoteInTextField,     // note: a text field whose value holds "' '"
};

enum class Severity { Error, Note };

struct ContractRule {
    Fault fault;
    const char* name;  // as reports print it
    Severity severity;
    const char* mistake;  // the author's mistake it catches, in a few words
};

// Every rule, in the order of the enum, None excluded.
const ContractRule* contractRules(size_t* count);

// Every rule as a Markdown table (rule, kind, the mistake it catches), one line a rule: what the guides
// show, and what `panel_host --rules` prints.
std::string contractRulesTable();

// The rule's short name ("answer-not-handed-back"); "" for None.
const char* faultName(Fault fault);
Severity faultSeverity(Fault fault);
