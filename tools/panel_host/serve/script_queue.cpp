#include "script_queue.h"

#include <chrono>

bool ScriptQueue::call(std::function<void()> job) {
    auto entry = std::make_shared<Job>();
    entry->work = std::move(job);
    std::unique_lock<std::mutex> lock(mutex_);
    if (closed_) {
        return false;
    }
    jobs_.push_back(entry);
    queued_.notify_one();
    finished_.wait(lock, [&] { return entry->done || closed_; });
    return entry->done;
}

void ScriptQueue::serveUntil(const std::function<bool()>& stop, const std::function<void()>& idle) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto lastIdle = std::chrono::steady_clock::now();
    while (!stop()) {
        if (idle && std::chrono::steady_clock::now() - lastIdle >= kIdleEvery) {
            lastIdle = std::chrono::steady_clock::now();
            lock.unlock();
            idle();
            lock.lock();
        }
        queued_.wait_for(lock, std::chrono::milliseconds(100), [&] { return !jobs_.empty(); });
        while (!jobs_.empty()) {
            std::shared_ptr<Job> job = jobs_.front();
            jobs_.pop_front();
            lock.unlock();
            job->work();
            lock.lock();
            job->done = true;
            finished_.notify_all();
        }
    }
    closed_ = true;
    jobs_.clear();
    finished_.notify_all();
}
