#include "timers.h"

void Timers::start(int32_t id, int32_t interval) {
    stop(id);
    Timer timer;
    timer.interval = interval;
    timer.due = now_ + interval;
    timer.startOrder = ++starts_;
    timers_[id] = timer;
    due_.insert(keyOf(id, timer));
}

void Timers::stop(int32_t id) {
    auto found = timers_.find(id);
    if (found != timers_.end()) {
        due_.erase(keyOf(id, found->second));
        timers_.erase(found);
    }
}

std::optional<Timers::Due> Timers::nextDue(int64_t until) const {
    if (due_.empty() || std::get<0>(*due_.begin()) > until) {
        return std::nullopt;
    }
    return Due{std::get<2>(*due_.begin()), std::get<0>(*due_.begin())};
}

void Timers::ticked(const Due& due) {
    auto found = timers_.find(due.id);
    // A restart during the tick already set a new due time later than this tick.
    if (found != timers_.end() && found->second.due == due.at) {
        due_.erase(keyOf(due.id, found->second));
        found->second.due += found->second.interval;
        due_.insert(keyOf(due.id, found->second));
    }
}

std::vector<Timers::Running> Timers::running() const {
    std::vector<Running> out;
    out.reserve(due_.size());
    for (const DueKey& key : due_) {
        int32_t id = std::get<2>(key);
        out.push_back({id, timers_.at(id).interval, std::get<0>(key)});
    }
    return out;
}
