// Timers: the host's timers on a virtual clock, started and stopped by the script's ET commands.
//
// The clock only moves when a scenario advances it. A running timer falls due every `interval` units
// from the moment it was (re)started; nextDue() names the earliest due tick up to a time, in order of
// due time and then of starting, so ticks of several timers interleave as a real host's would. The due
// ticks are kept in order, so starting, stopping and each tick cost O(log n) in the running timers.
// Timers never call the script: the runner asks for the next due tick, delivers it, then calls ticked().
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

class Timers {
public:
    struct Due {
        int32_t id;
        int64_t at;
    };

    int64_t now() const { return now_; }

    // ET {id} {interval}: starts the timer, or restarts it from now with the new interval.
    void start(int32_t id, int32_t interval);
    // ET {id}: stops it; stopping a timer that is not running does nothing.
    void stop(int32_t id);
    bool running(int32_t id) const { return timers_.count(id) != 0; }

    // A running timer as the front ends see it.
    struct Running {
        int32_t id;
        int32_t interval;
        int64_t due;  // its next tick
    };
    // Every running timer, soonest tick first (then in order of starting). Changes nothing.
    std::vector<Running> running() const;

    // The earliest tick due at or before `until`, if any.
    std::optional<Due> nextDue(int64_t until) const;
    // Moves the clock to the tick's time; call before delivering it.
    void moveTo(int64_t at) { now_ = at; }
    // After delivering `due`: the timer's next tick is one interval later, unless the script stopped
    // or restarted it meanwhile.
    void ticked(const Due& due);

private:
    struct Timer {
        int32_t interval = 0;
        int64_t due = 0;
        uint64_t startOrder = 0;
    };
    using DueKey = std::tuple<int64_t, uint64_t, int32_t>;  // due time, start order, id
    static DueKey keyOf(int32_t id, const Timer& timer) { return {timer.due, timer.startOrder, id}; }

    std::map<int32_t, Timer> timers_;
    std::set<DueKey> due_;  // one entry for each running timer, earliest first
    int64_t now_ = 0;
    uint64_t starts_ = 0;
};
