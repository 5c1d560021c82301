#include "timers.h"

void Timers::start(int32_t id, int32_t interval) {
    Timer timer;
    timer.interval = interval;
    timer.due = now_ + interval;
    timer.startOrder = ++starts_;
    timers_[id] = timer;
}

void Timers::stop(int32_t id) {
    timers_.erase(id);
}

std::optional<Timers::Due> Timers::nextDue(int64_t until) const {
    const Timer* best = nullptr;
    int32_t bestId = 0;
    for (const auto& entry : timers_) {
        const Timer& timer = entry.second;
        if (timer.due > until) {
            continue;
        }
        if (best == nullptr || timer.due < best->due ||
            (timer.due == best->due && timer.startOrder < best->startOrder)) {
            best = &timer;
            bestId = entry.first;
        }
    }
    if (best == nullptr) {
        return std::nullopt;
    }
    return Due{bestId, best->due};
}

void Timers::ticked(const Due& due) {
    auto found = timers_.find(due.id);
    // A restart during the tick already set a new due time later than this tick.
    if (found != timers_.end() && found->second.due == due.at) {
        found->second.due += found->second.interval;
    }
}
