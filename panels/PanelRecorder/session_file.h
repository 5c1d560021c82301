// SessionFile: the session file the recorder writes, one event at a time, within a size cap.
//
// Each event's lines are gathered in two strings the recorder fills (the host's answers, then the step and
// the commands) and written with one write when the event ends; the answers go first, so a replay has them
// ready when the step plays. After every write the file ends in a line saying the recording stopped there,
// which the next write replaces: a process that dies in a call leaves a readable file ending in that line.
// The first failure (the file cannot be opened or written, the disk is full, the cap would be passed, one
// event grows beyond kMaxEventBytes) ends the recording for good with one debug line; the file is closed and
// nothing is written after it. Memory is bounded by the one event being gathered. No function throws.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class SessionFile {
public:
    // No event gathers more than this; the recording stops instead.
    static constexpr size_t kMaxEventBytes = 1 << 20;

    SessionFile() = default;
    ~SessionFile();
    SessionFile(const SessionFile&) = delete;
    SessionFile& operator=(const SessionFile&) = delete;

    // Creates (or empties) the file and writes `header`; a file another script of the process is writing
    // is left alone and "NAME-2.EXT", "NAME-3.EXT", ... tried in turn. The file never grows beyond `cap`.
    void open(const std::string& path, uint64_t cap, const std::string& header) noexcept;
    bool recording() const { return file_ != nullptr; }

    // The current event's lines; fill them only while room() holds.
    std::string& answers() { return answers_; }
    std::string& lines() { return lines_; }
    bool room() noexcept;

    // Writes the event gathered so far and empties it.
    void endEvent() noexcept;
    // Writes the event gathered, then `lastLine` in place of the trailing line, and closes the file.
    void close(const char* lastLine) noexcept;
    // Ends the recording: `why` becomes the last line of the file and the one debug line.
    void stop(const std::string& why) noexcept;

private:
    bool write(const char* closing) noexcept;
    // Ends the file at `size` bytes.
    void cutAt(uint64_t size) noexcept;

    std::FILE* file_ = nullptr;
    std::string path_;
    uint64_t cap_ = 0;
    uint64_t end_ = 0;  // where the next event goes: the end of what is written, before the trailing line
    std::string answers_;
    std::string lines_;
};
