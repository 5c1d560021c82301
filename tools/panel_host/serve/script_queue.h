// ScriptQueue: hands work from the HTTP server's threads to the one thread that runs the script.
//
// The script is only ever called from one thread, as the real host calls it. A server thread puts a job
// in and waits for it; the script's thread takes the jobs one at a time, in order, so actions never
// overlap. Once the script's thread has stopped serving, waiting and later jobs are not run and call()
// says so. The queue owns the jobs until they are done.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class ScriptQueue {
public:
    // From any thread but the script's: runs `job` there and waits. False when the queue was closed
    // before the job ran.
    bool call(std::function<void()> job);

    // On the script's thread: runs jobs until `stop` says so (asked at least every 100 ms), then closes.
    // Between jobs, `idle` (when given) runs about every kIdleEvery.
    void serveUntil(const std::function<bool()>& stop, const std::function<void()>& idle = {});

    static constexpr std::chrono::milliseconds kIdleEvery{250};

private:
    struct Job {
        std::function<void()> work;
        bool done = false;
    };

    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<std::shared_ptr<Job>> jobs_;
    bool closed_ = false;
};
