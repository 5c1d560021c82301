// Coverage: what a run reached of what the script set up, as evidence of what a pass is worth. Items come
// in groups (event kinds, controls, list rows, picker values, slots, timers, request words, contract
// rules); each is offered when it becomes reachable (a control the script loaded, a row it added to a
// list, a slot it registered, a timer it started, a request word of the author's scenarios, a rule the
// script had a chance to break) and reached when an event exercised it. The command words the script sent are
// kept beside them, reported but not counted. Plain data: storm sessions fill it, results carry it back from
// their child processes, the validator merges them and the reports print it.
#pragma once

#include <map>
#include <set>
#include <string>

struct Coverage {
    std::map<std::string, std::map<std::string, bool>> groups;  // group -> item -> reached
    std::set<std::string> commandsSent;

    void offer(const std::string& group, const std::string& item) { groups[group].emplace(item, false); }
    void reach(const std::string& group, const std::string& item) { groups[group][item] = true; }
    void merge(const Coverage& other);

    int reachable() const;
    int reached() const;
    // Reached of reachable, in percent; 0 when nothing was reachable (no storm ran).
    double percent() const;
};

// The situations of a session that give a script the chance to break a rule of the host contract, as
// bits: a session notes which it met, and contractRuleCoverage() turns them into the "contract rules"
// group.
namespace situation {
enum : unsigned {
    Created = 1u << 0,             // the export made a script
    Called = 1u << 1,              // an event was delivered
    CalledNotParent = 1u << 2,     // an event of a kind other than a parent request was delivered
    CommandSent = 1u << 3,         // the script sent a command
    Answered = 1u << 4,            // the host answered one of its commands with a text
    Registered = 1u << 5,          // the script sent IR
    Polled = 1u << 6,              // the script sent IP
    SlotUsed = 1u << 7,            // the script sent IW or IP
    TimerStarted = 1u << 8,        // the script sent ET
    Closed = 1u << 9,              // the script sent AS
    RecordDelivered = 1u << 10,    // an event carrying a record (revertive, button, record)
    CalledAfterRecord = 1u << 11,  // a call came after one that carried a record
    Woken = 1u << 12,              // a timer tick or a revertive was delivered
    Destroyed = 1u << 13,          // the host destroyed the script
};
}  // namespace situation

// Offers every rule of the contract whose chance the session's situations gave the script, and reaches
// those whose situation was exercised; a rule reached does not mean it fired.
void coverContractRules(unsigned situations, Coverage& coverage);
