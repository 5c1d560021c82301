// Workbench: the browser's way into one run. It plays the steps the page asks for through the runner,
// keeps the session as a scenario, and publishes the host's state after each step.
//
// Every action becomes a scenario line (actionLine) read by the scenario reader, so the page is one more
// source of steps, like a file or the terminal: the same checks, the same "what is wrong" text, the same
// runner. A step the reader refuses or the runner cannot carry out answers 400 with that text and is not
// recorded. The script is started by an explicit `start` before the first step that needs it, so the
// start-up commands are pinned in the record too.
//
// All of it runs on the script's thread (the server queues requests to it). The workbench does not own
// the runner, transcript, site or event stream.
#pragma once

#include <string>

#include "event_stream.h"
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

    Workbench(Runner& runner, Transcript& transcript, const Site& site, EventStream& events);

    // A step of the scenario given on the command line; a bad one throws InputError as in a file run.
    void play(const Step& step);
    // After that scenario: starts the script if nothing did yet and publishes the state.
    void ready();

    // One action posted by the page (see action.h). 200 with {"version":N}: the state numbered N (or a
    // later one) shows its outcome.
    Reply act(const std::string& body);

    std::string state();
    std::string scenario() const { return record_.text(); }

private:
    void startFirst(const Step& step);
    void publishState();

    Runner& runner_;
    Transcript& transcript_;
    const Site& site_;
    EventStream& events_;
    ScenarioRecord record_;
    int actions_ = 0;
    long version_ = 0;
};

// The kind of a transcript line as the page marks it: its tag ("sent", "ERROR", ...), "step" for a
// step's heading, "FAIL", or "text" for anything else (the panel drawing, the closing counts).
std::string transcriptLineKind(const std::string& line);
