#include "event_stream.h"

void EventStream::publish(const std::string& name, const std::string& data) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back({name, data});
        if (name != "state") {
            return;
        }
        lastState_ = events_.size();
    }
    arrived_.notify_all();
}

void EventStream::close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    arrived_.notify_all();
}

bool EventStream::read(size_t& position, std::chrono::milliseconds wait, std::string& out) {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_for(lock, wait, [&] { return closed_ || position < events_.size(); });
    if (closed_) {
        return false;
    }
    for (; position < events_.size(); ++position) {
        const Event& event = events_[position];
        // A drawing that a newer one replaces is not worth sending.
        if (event.name == "state" && position + 1 < lastState_) {
            continue;
        }
        out += "event: " + event.name + "\ndata: " + event.data + "\n\n";
    }
    return true;
}
