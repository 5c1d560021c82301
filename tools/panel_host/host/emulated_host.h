// EmulatedHost: the host object the script talks to, playing the real host's side of every command.
//
// request() takes each command text, writes it to the transcript and carries it out against the host's
// model: the panels and their controls, the devices, the timers. Answers it hands the script come from
// the answer ledger, which checks every hand-back. Revertives that IP and IW bring are queued, never
// delivered from inside request(); the runner delivers them when the script is idle, as a real host
// does. A command the host cannot make sense of is a fault of the script: an ERROR line, and the host
// carries on. The host owns its model; it does not own the transcript or the debug capture.
#pragma once

#include <deque>
#include <string>

#include "answer_ledger.h"
#include "debug_capture.h"
#include "devices.h"
#include "host_command.h"
#include "orvo_host.h"
#include "panels.h"
#include "site.h"
#include "timers.h"
#include "transcript.h"

class EmulatedHost : public orvo_host {
public:
    EmulatedHost(const Site& site, Transcript& transcript);

    void reserved() override;
    intptr_t request(void* data, int32_t kind) override;

    // The capture to read before each command so debug lines land between the commands in order.
    void setDebugCapture(DebugCapture* capture) { capture_ = capture; }
    // After each call into the script: the debug text still in the capture, and answers not handed
    // back, which were due by now.
    void endOfCall();

    // Revertives waiting for the script to be idle, oldest first.
    bool takeRevertive(Revertive& out);
    void dropPendingRevertives() { pending_.clear(); }

    bool closed() const { return closed_; }
    Panels& panels() { return panels_; }
    Devices& devices() { return devices_; }
    Timers& timers() { return timers_; }
    const std::string& basePath() const { return basePath_; }

private:
    void pullDebug();
    intptr_t command(const std::string& text);
    intptr_t execute(const HostCommand& command, const std::string& text);
    intptr_t layout(const HostCommand& command, bool show);
    intptr_t giveAnswer(const std::optional<std::string>& answer, const std::string& command);
    Control* control(const std::string& word, const std::string& panelId, const std::string& controlId);
    std::string resolve(const std::string& file) const;

    Transcript& transcript_;
    DebugCapture* capture_ = nullptr;
    std::string siteDir_;
    std::string basePath_;
    Panels panels_;
    Devices devices_;
    Timers timers_;
    AnswerLedger ledger_;
    std::deque<Revertive> pending_;
    bool closed_ = false;
};
