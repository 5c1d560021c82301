// EventStream: what the workbench pages are told, in order: the transcript's lines as they are written
// (sent as "lines", a JSON array of each read's new lines), a new drawing of the host after every step
// ("state"), and "clear" when the transcript starts over.
//
// The script's thread publishes; each page's Server-Sent Events connection reads from its own position
// and waits for more. Readers are woken by a drawing, which ends every step, so a step's lines and its
// drawing reach the page in one write. The stream keeps only what a page needs: the newest kKeptLines
// lines and the newest drawing, so a long session costs neither memory nor a slow page. A page that
// connects, or falls behind, gets those. At most kMaxReaders pages are served at once: a page that opens
// one more ends the oldest page's stream (that page connects again by itself), so the server's threads
// are never all taken by streams, and a browser, which opens at most six connections to one server,
// always has one left to load another tab's page. The stream owns copies of everything published; it never calls the
// runner, and close() wakes every reader for good so the server can stop at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <set>
#include <string>

class EventStream {
public:
    static constexpr size_t kKeptLines = 1000;
    static constexpr size_t kMaxReaders = 4;

    // One transcript line, as one line of JSON.
    void line(const std::string& data);
    // A new drawing, as one line of JSON; wakes the readers.
    void state(const std::string& data);
    // The transcript starts over: lines kept so far are dropped, and pages drop theirs.
    void clear();
    void close();

    // The SSE text of what came after `position` (0 at first), waiting up to `wait` for it. Moves
    // `position` on. Returns false once the stream is closed.
    bool read(uint64_t& position, std::chrono::milliseconds wait, std::string& out);
    // A page's stream: attach() numbers it (ending the oldest beyond kMaxReaders), read() as above but
    // false also once it was ended, detach() when the page has gone.
    uint64_t attach();
    void detach(uint64_t reader);
    bool read(uint64_t reader, uint64_t& position, std::chrono::milliseconds wait, std::string& out);

    size_t keptLines();

private:
    struct Line {
        uint64_t number;
        std::string data;
    };

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Line> lines_;
    std::string state_;
    uint64_t published_ = 0;  // events so far; each line and drawing takes the next number from 1
    uint64_t stateNumber_ = 0;
    uint64_t clearNumber_ = 0;
    bool closed_ = false;
    std::deque<uint64_t> readers_;  // open, oldest first
    std::set<uint64_t> ended_;      // ended to make room, not yet detached
    uint64_t lastReader_ = 0;
};
