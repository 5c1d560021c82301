#include "event_stream.h"

#include <algorithm>

void EventStream::line(const std::string& data) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back({++published_, data});
    if (lines_.size() > kKeptLines) {
        lines_.pop_front();
    }
}

void EventStream::state(const std::string& data) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = data;
        stateNumber_ = ++published_;
    }
    arrived_.notify_all();
}

void EventStream::clear() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.clear();
        clearNumber_ = ++published_;
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

size_t EventStream::keptLines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_.size();
}

uint64_t EventStream::attach() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        readers_.push_back(++lastReader_);
        if (readers_.size() > kMaxReaders) {
            ended_.insert(readers_.front());
            readers_.pop_front();
        }
    }
    arrived_.notify_all();
    return lastReader_;
}

void EventStream::detach(uint64_t reader) {
    std::lock_guard<std::mutex> lock(mutex_);
    ended_.erase(reader);
    readers_.erase(std::remove(readers_.begin(), readers_.end(), reader), readers_.end());
}

bool EventStream::read(uint64_t& position, std::chrono::milliseconds wait, std::string& out) {
    return read(0, position, wait, out);
}

bool EventStream::read(uint64_t reader, uint64_t& position, std::chrono::milliseconds wait,
                       std::string& out) {
    std::unique_lock<std::mutex> lock(mutex_);
    // Lines wait for the drawing that ends their step, so a page never draws half a step.
    auto ended = [&] { return closed_ || ended_.count(reader) != 0; };
    arrived_.wait_for(lock, wait, [&] { return ended() || position < std::max(stateNumber_, clearNumber_); });
    if (ended()) {
        return false;
    }
    uint64_t upTo = std::max(stateNumber_, clearNumber_);
    if (position < clearNumber_) {
        out += "event: clear\ndata: {}\n\n";
    }
    // The lines go as one event, so a page that opens late takes in its backlog at one go.
    std::string batch;
    for (const Line& line : lines_) {
        if (line.number > position && line.number <= upTo) {
            batch += (batch.empty() ? "[" : ",") + line.data;
        }
    }
    if (!batch.empty()) {
        out += "event: lines\ndata: " + batch + "]\n\n";
    }
    if (position < stateNumber_) {
        out += "event: state\ndata: " + state_ + "\n\n";
    }
    position = upTo;
    return true;
}
