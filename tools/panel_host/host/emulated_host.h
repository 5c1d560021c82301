// EmulatedHost: the host object the script talks to, playing the real host's side of every command.
//
// request() hands each request to the host contract's checker (contract_checker.h), the same one the test
// kit uses, and carries out what the checker lets through against the host's model: the panels and their
// controls, the devices, the timers. The checker gives out the answers and takes them back; every breach
// it finds is an ERROR in the host log with its rule, every note a named note, and the host carries on.
// Revertives that IP and IW bring are queued, never delivered from inside request(); the runner delivers
// them when the script is idle, as a real host does. The host owns its model; it does not own the log or
// the debug capture.
//
// The script is handed the host's door (host_door.h), not the host itself: the door outlives the host, so
// a request after the host has gone (a static destructor at the end of the process) is named and ends the
// process instead of calling freed memory. Requests are serialised by a lock, so a script that calls from
// a thread of its own cannot corrupt the host; such a request is an ERROR. A request while no call into
// the script is in progress (from a thread the script left running, or a static destructor as the library
// unloads) is not carried out: it is kept and reported by takeStrayRequests(). A layout file that exists
// but cannot be read is a bad input, not a fault of the script; the host refuses the layout and keeps the
// message for takeInputFault(). Replaying a recording (replayFrom()), it answers the script's requests from
// the recording where it has them, and from its model where it does not.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "contract_checker.h"
#include "debug_line_capture.h"
#include "devices.h"
#include "host_command.h"
#include "host_door.h"
#include "host_log.h"
#include "orvo_host.h"
#include "panels.h"
#include "recorded_answers.h"
#include "site.h"
#include "timers.h"

class EmulatedHost final : public orvo_host, private ContractChecker::Reporter {
public:
    EmulatedHost(const Site& site, HostLog& log);
    // Closes the door: a request through it from now on ends the process with its breach.
    ~EmulatedHost() override;
    EmulatedHost(const EmulatedHost&) = delete;
    EmulatedHost& operator=(const EmulatedHost&) = delete;

    // The host object to hand the script: valid to the end of the process.
    orvo_host* door() const { return door_; }

    void reserved() override;
    intptr_t request(void* data, int32_t kind) override;

    // The capture to read before each command so debug lines land between the commands in order.
    void setDebugCapture(DebugLineCapture* capture) { capture_ = capture; }
    // Before each call into the script, on the thread that makes it; `event` names it (`tick 1`).
    void beginCall(const std::string& event);
    // After each call into the script: the debug text still in the capture, and answers not handed
    // back, which were due by now.
    void endOfCall();

    // Requests that came while no call into the script was in progress (request-outside-call, or
    // request-after-destruction once the script was destroyed), with their words; emptied.
    std::vector<std::pair<Fault, std::string>> takeStrayRequests();
    // The message of a layout file that exists but could not be read, or ""; emptied.
    std::string takeInputFault();
    // notify() of `kind` returned `result`: false (an ERROR) when only a parent request may return a text.
    bool returned(int32_t kind, const void* result);
    // The script was destroyed: it must have sent AS.
    void scriptDestroyed();
    // The run is over but the library is still loaded, so its exit-time code may still call: any
    // request from now on fails the process at once (status 1), with the breach on standard error.
    void outliveRun();

    // Plays a recording from now on: the script's requests get the recorded answers (the host does not
    // own them), and IP and IW bring no revertives, since the recording has each one as a step.
    void replayFrom(RecordedAnswers* recorded) { recorded_ = recorded; }

    // Revertives waiting for the script to be idle, oldest first.
    bool takeRevertive(Revertive& out);
    void dropPendingRevertives() { pending_.clear(); }

    bool closed() const { return checker_.closed(); }
    Panels& panels() { return panels_; }
    Devices& devices() { return devices_; }
    Timers& timers() { return timers_; }
    const Panels& panels() const { return panels_; }
    const Devices& devices() const { return devices_; }
    const Timers& timers() const { return timers_; }
    const std::string& basePath() const { return basePath_; }

private:
    void pullDebug();
    void report(Fault fault, const std::string& words) override;
    intptr_t carryOut(void* data, int32_t kind);
    intptr_t execute(const HostCommand& command, const std::string& text);
    intptr_t layout(const HostCommand& command, bool show);
    // The recorded answer when replaying and the recording has one for this request; nullopt otherwise.
    std::optional<intptr_t> replayed(const HostCommand& command, const std::string& text);
    intptr_t giveAnswer(const std::optional<std::string>& answer, const std::string& command);
    Control* control(const std::string& word, const std::string& panelId, const std::string& controlId);
    std::string resolve(const std::string& file) const;

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
    RecordedAnswers* recorded_ = nullptr;
    std::deque<Revertive> pending_;
    std::string inputFault_;
    HostDoor* door_;  // never freed

    std::mutex requestLock_;  // guards everything a request touches, and the two below
    ContractChecker checker_;
    std::vector<std::pair<Fault, std::string>> strays_;
};
