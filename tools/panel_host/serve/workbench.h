// Workbench: the browser's way into a run of one panel library. It plays the steps the page asks for,
// keeps the session as a scenario (saved as it grows), publishes the host's state after each step, and,
// when the library is rebuilt, plays the session again on the new build and says what it does
// differently.
//
// The panel never runs in the server's process: each build runs in a child (PanelChild) that holds the
// emulated host and the script, and the workbench only passes it steps and hears its log. A build that
// crashes or passes the step limit loses its child, not the workbench: what happened is said on the page
// and in the terminal with the step that did it, and the last good build can be taken back with the
// session played again on it.
//
// Every action becomes a scenario line read by the scenario reader, so the page is one more source of
// steps, like a file or the terminal: the same checks, the same "what is wrong" text. A step the reader
// refuses or the runner cannot carry out answers 400 with that text, which also goes into the
// transcript, and is not recorded. The script is started by an explicit `start` before the first step
// that needs it, so the start-up commands are pinned in the record too.
//
// A build is loaded from a copy of the library taken when it arrived, so a build that rewrites the file
// in place never changes code a process is running. Everything here runs on the script's thread; the
// workbench owns its children, its copies and the session file, not the event stream.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "event_stream.h"
#include "panel_child.h"
#include "runner.h"
#include "scenario.h"
#include "scenario_record.h"
#include "site.h"

struct BenchOptions {
    bool watch = false;
    double stepLimit = 10;               // seconds a step may run before its build's process is killed
    std::string sessionFile;             // where the session is saved as it grows; "" for nowhere
    std::function<bool()> stopping;      // true once the workbench is ending (a step waits no longer)
    std::function<int(Runner&)> finish;  // the end of the run, as a scenario run ends: its exit status
};

class Workbench {
public:
    struct Reply {
        int status = 200;
        std::string body;  // JSON for 200, the "what is wrong" text otherwise
    };

    // Loads `library` (an InputError when it cannot). With `watch`, each build is loaded from a copy in a
    // scratch folder of its own.
    Workbench(const std::string& library, const Site& site, EventStream& events, std::ostream& out,
              BenchOptions options = {});
    ~Workbench();

    // A step of the scenario given on the command line; a bad one throws InputError as in a file run.
    void play(const Step& step);
    // After that scenario: starts the script if nothing did yet and publishes the state.
    void ready();

    // One action posted by the page (see action.h). 200 with {"version":N}: the state numbered N (or a
    // later one) shows its outcome.
    Reply act(const std::string& body);
    // Ends the script and starts the same build over, with an empty session and transcript.
    Reply newSession();
    // The last good build again, with the session played on it: after a crash, a hang or a bad rebuild.
    Reply takeBack();
    // The session a run before this one left in the session file (see keepEarlierSession), played on
    // the last good build in place of the current one.
    Reply resumePrevious();
    // Drops the transcript lines kept for the pages; the run goes on.
    void clearTranscript();

    // The library file was replaced: loads the new build, plays the session on it and compares. A build
    // that cannot be loaded is reported and the session stays as it is.
    void reload();
    // The watched file has settled but is no whole library: said once, the session stays as it is.
    void notLoaded(const std::string& why);
    // Between requests: saves the session when it changed since the last save.
    void idle();
    // From now on the session is saved to `file` as it grows.
    void saveTo(const std::string& file) { options_.sessionFile = file; }
    // Where the session a run before this one saved was kept ("" for none), for the page to take up.
    void keepEarlierSession(const std::string& file) { previousSession_ = file; }

    std::string state();
    std::string scenario() const { return record_.text(); }
    // The comparison of the last rebuild as JSON (docs/workbench.md); {"same":null} before any.
    std::string compare() const;
    int build() const { return build_; }

    // Ends the run as a scenario run ends: options.finish in the build's process; 3 when the build's
    // process is gone (the script crashed or hung), as a crash ends a file run.
    int finish();

private:
    std::unique_ptr<PanelChild> openChild(const std::string& library);
    // Asks the live build; when its process is lost, says what happened at `step` (or, for "", at the
    // step its log last began) and drops it.
    PanelChild::Answer askLive(const nlohmann::json& request, const std::string& step);
    // Records the steps an answer played and takes its drawing; throws InputError when it was refused.
    void take(const PanelChild::Answer& answer);
    // Plays `steps` on the live build and, beside it, on `old`; sets compare_ and returns the steps played.
    size_t replay(const std::vector<Step>& steps, std::unique_ptr<PanelChild> old);
    std::vector<Step> sessionSteps() const;
    // Ends the live build and plays `steps` on the last good build; with `keepWhole`, a replay that stops
    // early leaves the session as it was.
    Reply playAgain(const std::vector<Step>& steps, bool keepWhole, const std::string& note);
    // After a replay that stopped early: the session goes back to `whole` and the build that stopped
    // it is ended. False when the replay went through.
    bool keepWholeSession(const ScenarioRecord& whole);
    // One line for the terminal and the pages that the host log does not write (a refusal, a rebuild).
    void say(const std::string& kind, const std::string& line);
    void pageLine(const std::string& kind, const std::string& line);
    void entry(const std::string& kind, const std::string& text);
    void publishState();
    void saveSession();
    void dropCopy(const std::string& copy);
    std::string takeBuild();

    std::string library_;
    const Site& site_;
    EventStream& events_;
    std::ostream& out_;
    BenchOptions options_;
    std::string scratch_;  // where the builds are copied to; "" without watching
    std::string loaded_;   // the file the live build was loaded from
    int loadedBuild_ = 1;
    std::string good_;  // the last build that played the session without losing its process
    int goodBuild_ = 1;
    std::unique_ptr<PanelChild> child_;
    std::string failure_;  // what happened to the live build's process; "" while it runs
    nlohmann::json drawing_ = nlohmann::json::object();  // the host as the live build last drew it
    ScenarioRecord record_;
    int actions_ = 0;
    long version_ = 0;
    int build_ = 1;
    int copies_ = 0;
    std::string buildProblem_;
    nlohmann::json compare_;
    std::string session_;  // tells one run of the server from the next
    std::string previousSession_;
    bool unsaved_ = false;
    bool replaying_ = false;
    std::chrono::steady_clock::time_point savedAt_{};
    std::string playing_;  // the step the live build's log last began, as "browser:3 `press Select`"
    // While a rebuild plays the session: the lines the live build writes for the current step.
    std::vector<std::string>* capture_ = nullptr;
};
