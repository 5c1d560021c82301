// Workbench: the browser's way into a run of one panel library. It plays the steps the page asks for,
// keeps the session as a scenario, publishes the host's state after each step, and, when the library is
// rebuilt, plays the session again on the new build and says what it does differently.
//
// Every action becomes a scenario line (actionLine) read by the scenario reader, so the page is one more
// source of steps, like a file or the terminal: the same checks, the same "what is wrong" text, the same
// runner. A step the reader refuses or the runner cannot carry out answers 400 with that text, which
// also goes into the transcript, and is not recorded. The script is started by an explicit `start`
// before the first step that needs it, so the start-up commands are pinned in the record too.
//
// The workbench owns the run (its runner and the text transcript on `out`) and replaces it for a new
// session or a new build. A build is loaded from a copy of the library taken when it arrived, so a build
// that rewrites the file in place never changes code the process is running. It listens to the run's
// host log: each entry becomes the transcript's lines for the pages, marked by the entry's tag. All of
// it runs on the script's thread.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "event_stream.h"
#include "host_log.h"
#include "runner.h"
#include "scenario.h"
#include "scenario_record.h"
#include "site.h"
#include "transcript.h"

class Workbench {
public:
    struct Reply {
        int status = 200;
        std::string body;  // JSON for 200, the "what is wrong" text otherwise
    };

    // Loads `library` (an InputError when it cannot). With `watch`, each build is loaded from a copy in a
    // scratch folder of its own.
    Workbench(const std::string& library, const Site& site, EventStream& events, std::ostream& out,
              bool watch = false);
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
    // Drops the transcript lines kept for the pages; the run goes on.
    void clearTranscript();

    // The library file was replaced: loads the new build, plays the session on it and compares. A build
    // that cannot be loaded is reported and the session stays as it is.
    void reload();

    std::string state();
    std::string scenario() const { return record_.text(); }
    // The comparison of the last rebuild as JSON: {"same":true,"steps":N} or {"same":false,"step",
    // "old","new","oldLines","newLines"}; {"same":null} before any.
    std::string compare() const;
    int build() const { return build_; }

    // The run as it stands, for the end of the program.
    Runner& runner() { return *runner_; }

private:
    // Hears the run's host log and hands each entry's lines to the pages, as the transcript writes them.
    class PageLog final : public HostLog {
    public:
        explicit PageLog(Workbench& bench) : bench_(bench) {}
        void write(const LogEntry& entry) override;

    private:
        Workbench& bench_;
        std::ostringstream text_;
        Transcript format_{text_};
    };

    // A new run of `library` on a fresh host, heard by the terminal and the pages.
    std::unique_ptr<Runner> openRun(const std::string& library);
    // One line for the terminal and the pages that the host log does not write (a refusal, a rebuild).
    void say(const std::string& kind, const std::string& line);
    void pageLine(const std::string& kind, const std::string& line);
    void learnFeeds(const LogEntry& entry);
    // Plays `steps` on the live run and, until the first difference, on `old` (its transcript in
    // `oldOut`), setting compare_. Stops at a step the live run refuses; returns the steps played.
    size_t replay(const std::vector<Step>& steps, std::optional<Runner>& old, std::ostringstream& oldOut);
    // Plays `step` on the live run and records it.
    void playRecorded(const Step& step);
    void startFirst(const Step& step);
    void publishState();
    std::string takeBuild();

    std::string library_;
    const Site& site_;
    EventStream& events_;
    std::ostream& out_;
    std::string scratch_;  // where the builds are copied to; "" without watching
    std::string loaded_;   // the file the live run was loaded from
    Transcript terminal_;
    PageLog pageLog_{*this};
    std::unique_ptr<Runner> runner_;
    ScenarioRecord record_;
    int actions_ = 0;
    long version_ = 0;
    int build_ = 1;
    int copies_ = 0;
    std::string buildProblem_;
    nlohmann::json compare_;
    std::string session_;  // tells one run of the server from the next
    // While a rebuild plays the session: the lines the live run writes for the current step.
    std::vector<std::string>* capture_ = nullptr;
    // Which list row each information-driver slot feeds: the row whose cell the script set while the
    // slot's revertive was being handled. Read from the transcript, so it knows no panel.
    struct Row {
        std::string control;
        int row = 0;
    };
    std::map<std::pair<int32_t, int32_t>, Row> feeds_;
    std::optional<std::pair<int32_t, int32_t>> handling_;  // the slot whose revertive is being handled
};
