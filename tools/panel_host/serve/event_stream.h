// EventStream: what the workbench page is told, in order: the transcript's lines as they are written and
// a new drawing of the host after every step.
//
// The script's thread publishes; each page's Server-Sent Events connection reads from its own position
// and waits for more. Readers are woken by a drawing, which ends every step, so a step's lines and its
// drawing reach the page in one write. A page that connects late gets every line from the start and
// only the newest drawing. The stream owns copies of everything published; it never calls the runner, and
// close() wakes every reader for good so the server can stop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class EventStream {
public:
    // `name` is the SSE event name ("line" or "state"), `data` one line of JSON.
    void publish(const std::string& name, const std::string& data);
    void close();

    // The SSE text of the events after `position`, waiting up to `wait` for one to come. Moves `position`
    // on. Returns false once the stream is closed.
    bool read(size_t& position, std::chrono::milliseconds wait, std::string& out);

private:
    struct Event {
        std::string name;
        std::string data;
    };

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Event> events_;
    size_t lastState_ = 0;  // index of the newest "state" event, + 1; 0 when there is none
    bool closed_ = false;
};
