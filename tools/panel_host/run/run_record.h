// RunRecord: what a run did, as data: a listener of the host log that the runner's checks, the summary,
// --compare and the other front ends read instead of the printed transcript.
//
// It keeps the window of the current step (the commands the script sent, the debug lines it wrote and the
// notes the host made since the window opened), which the `expect` steps look in; the runner opens a new
// window at each step that acts, so the record holds one step's worth, however long the run. It counts
// every ERROR and FAIL and keeps the first kKeptFaults ERRORs with their rules. With keepEntries() it
// also keeps every entry of the run in order (tag, rule and text), for a comparison of two runs. It owns
// copies of everything it keeps.
#pragma once

#include <string>
#include <vector>

#include "host_log.h"

class RunRecord final : public HostLog {
public:
    static constexpr size_t kKeptFaults = 100;

    struct Breach {
        Fault fault;
        std::string text;
        std::string step;  // where the step that was playing stands ("file:line", "end")
    };

    // A LogEntry that owns its texts.
    struct Entry {
        LogTag tag;
        Fault fault;
        std::string text;
        std::string where;
        bool absent;
        bool unterminated;

        LogEntry view() const;
    };

    void write(const LogEntry& entry) override;

    // A step that acts begins: the checks after it look only at what it did.
    void openWindow();
    void keepEntries() { keepEntries_ = true; }

    const std::vector<std::string>& sent() const { return sent_; }
    const std::vector<std::string>& debugLines() const { return debug_; }
    const std::vector<std::string>& notes() const { return notes_; }
    int errors() const { return errors_; }
    int failures() const { return failures_; }
    // Commands sent over the whole run.
    size_t sentTotal() const { return sentTotal_; }
    const std::vector<Breach>& breaches() const { return breaches_; }
    const std::vector<std::string>& failureTexts() const { return failureTexts_; }
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<std::string> sent_;
    std::vector<std::string> debug_;
    std::vector<std::string> notes_;
    std::vector<Breach> breaches_;
    std::vector<std::string> failureTexts_;
    std::vector<Entry> entries_;
    std::string step_;
    size_t sentTotal_ = 0;
    int errors_ = 0;
    int failures_ = 0;
    bool keepEntries_ = false;
};
