// Runner: plays a scenario against one panel script, step by step, as the real host and its operator
// would.
//
// It owns the host, the loaded library and the script session. Each step becomes host events (button
// records, revertive records, timer ticks, parent requests), after which the queued revertives are
// delivered while the script is idle; or it is a check against what the run record holds. A step
// that cannot be carried out (a control the panel does not have, a row outside the list, an event after
// the script stopped, a layout file that exists but cannot be read) is an InputError "file:line: ...";
// a check that fails is a FAIL in the host log and the run goes on. A script that never comes to
// rest (the guards below) is an ERROR, and the step ends there. Everything the run does goes to the
// host log: the runner's own record listens first, then the listeners the front end adds (the text
// transcript, the workbench, the validator); the runner owns none of those. Each step is named to the call
// guard (call_guard.h), so a crash or an exit inside the script says which step was playing. Steps are played
// only here: every front end (a file, the terminal, a comparison of two libraries) hands the runner the
// same Steps. After a `replay` step the runner keeps a recording's `host answers` for the host
// (recorded_answers.h), and after each step what differed from the recording is a FAIL at that step.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "emulated_host.h"
#include "host_log.h"
#include "panel_library.h"
#include "recorded_answers.h"
#include "run_record.h"
#include "scenario.h"
#include "script_session.h"
#include "site.h"

class Runner {
public:
    // Loads the library at once, so a missing library or export fails before any step. `listener`
    // hears everything the run does (usually the text transcript); it must outlive the runner.
    Runner(const Site& site, const std::string& libraryPath, HostLog& listener);
    ~Runner();
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    // One more listener, from now on; it must outlive the runner or be removed first.
    void addListener(HostLog& listener) { log_.add(listener); }
    void removeListener(HostLog& listener) { log_.remove(listener); }

    void run(const Step& step);
    // Destroys the script if it still runs, draws the panels and closes the library; requests the
    // script made while no call was in progress are ERRORs by then. Call it before the summary.
    void finish();

    // 0 when every check held and the script kept the contract, 1 otherwise.
    int exitCode() const;
    // What the run did so far: the current step's window, the counts of ERRORs and FAILs.
    const RunRecord& record() const { return record_; }

    // Limits that stop a script which never comes to rest (an ERROR each).
    static constexpr int kMaxDeliveriesPerStep = 100000;
    static constexpr int kMaxTicksPerStep = 100000;

    // ---- Views for front ends that draw the host between steps (the workbench) ---------------------
    // Read-only; call them on the runner's thread, never while a step runs.
    const Panels& panels() const { return host_->panels(); }
    const Devices& devices() const { return host_->devices(); }
    const Timers& timers() const { return host_->timers(); }
    bool started() const { return started_; }
    bool running() const { return session_ && session_->running(); }
    // The answer to the last parent request; answered() is false before the first one.
    bool answered() const { return answered_; }
    const std::optional<std::string>& lastAnswer() const { return lastAnswer_; }
    // ---- end of the front-end views ----------------------------------------------------------------

private:
    void ensureStarted(const Step& step);
    void requireRunning(const Step& step);
    // False when the script never came to rest (an ERROR is written).
    bool deliverPending();
    void deliverRevertive(const Revertive& revertive);
    void pressControl(const Panel& panel, const Control& control, const std::string& message);
    void press(const Step& step);
    // The list or picker a step names, or the first of its kind when it names none.
    Control* controlFor(const Step& step, ControlKind kind, Panel** panel);
    // A layout file that exists but could not be read stops the run as a bad input.
    void checkInputFault();
    void closeLibrary();
    void advance(const Step& step);
    void request(const Step& step);
    void check(const Step& step);
    void checkCommand(const Step& step);

    void openWindow();
    // `replay` and `host answers`: the recording's answers, kept for the steps that follow.
    void replayStep(const Step& step);
    // When replaying: what differed from the recording in the step just played, as FAILs there.
    void reportDifferences(const std::string& where);

    Site site_;
    RunRecord record_;
    HostLogFanout log_;
    // The host lives as long as the runner; the door it hands the script, to the end of the process.
    std::unique_ptr<EmulatedHost> ownedHost_;
    EmulatedHost* host_;
    std::unique_ptr<PanelLibrary> library_;
    std::unique_ptr<ScriptSession> session_;
    bool started_ = false;
    size_t sentMark_ = 0;   // checks of sent commands look from here on
    size_t debugMark_ = 0;  // checks of debug lines look from here on
    size_t noteMark_ = 0;   // checks of host notes look from here on
    bool answered_ = false;
    std::optional<std::string> lastAnswer_;
    bool replaying_ = false;
    RecordedAnswers recorded_;
};
