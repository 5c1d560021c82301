// EmulatedHost: the host object the script talks to, playing the real host's side of every command.
//
// request() takes each command text, reports it to the host log and carries it out against the host's
// model: the panels and their controls, the devices, the timers. Answers it hands the script are kept
// by the hand-back rule the test kit shares (hand_back_rule.h), which checks every hand-back. Revertives that
// IP and IW bring are queued, never delivered from inside request(); the runner delivers them when the script
// is idle, as a real host does. A command the host cannot make sense of is a fault of the script: an ERROR
// with its rule, and the host carries on. The host owns its model; it does not own the log or the debug
// capture.
//
// Requests are serialised by a lock, so a script that calls from a thread of its own cannot corrupt the
// host; such a request is an ERROR. A request while no call into the script is in progress (from a
// thread the script left running, or a static destructor as the library unloads) is not carried out:
// it is kept and reported by takeStrayRequests(). The host object stays valid until it dies, which is
// after the library has been closed. A layout file that exists but cannot be read is a bad input, not a
// fault of the script; the host refuses the layout and keeps the message for takeInputFault().
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "debug_line_capture.h"
#include "devices.h"
#include "hand_back_rule.h"
#include "host_command.h"
#include "host_log.h"
#include "orvo_host.h"
#include "panels.h"
#include "recorded_answers.h"
#include "site.h"
#include "timers.h"

class EmulatedHost final : public orvo_host {
public:
    EmulatedHost(const Site& site, HostLog& log);

    void reserved() override;
    intptr_t request(void* data, int32_t kind) override;

    // The capture to read before each command so debug lines land between the commands in order.
    void setDebugCapture(DebugLineCapture* capture) { capture_ = capture; }
    // Before each call into the script, on the thread that makes it.
    void beginCall();
    // After each call into the script: the debug text still in the capture, and answers not handed
    // back, which were due by now.
    void endOfCall();

    // Requests that came while no call into the script was in progress, as ERROR texts
    // (Fault::OutsideCall); emptied.
    std::vector<std::string> takeStrayRequests();
    // The message of a layout file that exists but could not be read, or ""; emptied.
    std::string takeInputFault();
    // The run is over but the library is still loaded, so its exit-time code may still call: any
    // request from now on fails the process at once (status 1), with the breach on standard error. The
    // host must then stay alive to the end of the process; it touches nothing it does not own.
    void outliveRun();

    // Plays a recording from now on: the script's requests get the recorded answers (the host does not
    // own them), and IP and IW bring no revertives, since the recording has each one as a step.
    void replayFrom(RecordedAnswers* recorded) { recorded_ = recorded; }

    // Revertives waiting for the script to be idle, oldest first.
    bool takeRevertive(Revertive& out);
    void dropPendingRevertives() { pending_.clear(); }

    bool closed() const { return closed_; }
    Panels& panels() { return panels_; }
    Devices& devices() { return devices_; }
    Timers& timers() { return timers_; }
    const Panels& panels() const { return panels_; }
    const Devices& devices() const { return devices_; }
    const Timers& timers() const { return timers_; }
    const std::string& basePath() const { return basePath_; }

private:
    void pullDebug();
    intptr_t carryOut(void* data, int32_t kind);
    intptr_t command(const std::string& text);
    intptr_t execute(const HostCommand& command, const std::string& text);
    intptr_t layout(const HostCommand& command, bool show);
    // The recorded answer when replaying and the recording has one for this request; nullopt otherwise.
    std::optional<intptr_t> replayed(const HostCommand& command, const std::string& text);
    intptr_t giveAnswer(const std::optional<std::string>& answer, const std::string& command);
    Control* control(const std::string& word, const std::string& panelId, const std::string& controlId);
    std::string resolve(const std::string& file) const;
    // Every answer still out is a breach now; `when` says at what point it was due.
    void reportOverdue(const char* when);

    void error(Fault fault, const std::string& text) { host_log::error(log_, fault, text); }
    void note(const std::string& text) { host_log::note(log_, text); }
    void result(const std::string& text) {
        LogEntry entry;
        entry.tag = LogTag::Result;
        entry.text = text;
        log_.write(entry);
    }

    HostLog& log_;
    DebugLineCapture* capture_ = nullptr;
    std::string siteDir_;
    std::string basePath_;
    Panels panels_;
    Devices devices_;
    Timers timers_;
    HandBackRule answers_;  // every answer handed to the script, and whether it came back in order
    RecordedAnswers* recorded_ = nullptr;
    std::deque<Revertive> pending_;
    bool closed_ = false;
    std::string inputFault_;

    std::mutex requestLock_;  // guards everything a request touches, and the three below
    bool calling_ = false;
    std::thread::id callThread_;
    std::vector<std::string> strays_;
    bool afterRun_ = false;
};
