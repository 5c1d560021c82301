// Coverage: what a run reached of what the script set up, as evidence of what a pass is worth. Items come
// in groups (event kinds, controls, slots, timers, request words); each is offered when it becomes
// reachable (a control the script loaded, a slot it registered, a timer it started, a request word of the
// author's scenarios) and reached when an event exercised it. The command words the script sent are kept
// beside them, reported but not counted. Plain data: storm sessions fill it, results carry it back from
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
