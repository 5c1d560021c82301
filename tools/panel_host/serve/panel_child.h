// PanelChild: one build of the panel in a child process of its own, so that a build that crashes or
// hangs takes down only that process, never the workbench, its pages or the session.
//
// The child holds a PanelRun (the emulated host with the script) and nothing of the server: it closes
// every descriptor it inherited but its two pipes and its standard error (a scratch file the server reads
// when the child dies), ignores Ctrl-C, which is the server's to handle, and dies with the server.
// The server asks one thing at a time as a line of JSON ({"op":"action"|"step"|"ready"|"state"|"end"|
// "finish", ...}; "end" ends the script as the host does, "finish" ends the run with Options::finish); the
// child answers with one line for each host-log entry as it is written
// ({"kind","text"}) and then {"done":true, "played", "state", "refused"}. When the child dies or does not
// answer within the step limit (it is then killed), ask() says what happened: the call guard's message
// from the child's standard error, or the signal, or the limit. The object owns the child and its pipes;
// it never retries anything.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "panel_run.h"
#include "runner.h"
#include "site.h"

class PanelChild {
public:
    struct Options {
        double stepLimit = 10;               // seconds an answer may take before the child is killed
        std::function<bool()> stopping;      // asked while waiting: true ends the wait (Ctrl-C)
        std::function<int(Runner&)> finish;  // the end of the run, in the child: its exit status
    };

    struct Answer {
        bool answered = false;  // false: the child is gone, and `failure` says how
        nlohmann::json reply;
        std::string failure;
        bool hung = false;     // killed for passing the step limit
        bool stopped = false;  // killed as the workbench ends
    };

    // Starts the child, which loads `library`; an InputError with the loader's reason when it does not
    // load, or with what happened to the child when loading killed it.
    PanelChild(const Site& site, const std::string& library, Options options);
    ~PanelChild();
    PanelChild(const PanelChild&) = delete;
    PanelChild& operator=(const PanelChild&) = delete;

    // Sends `request` and waits for its answer, handing each entry the child writes to `entry`.
    Answer ask(const nlohmann::json& request, const PanelRun::EntrySink& entry);
    bool alive() const { return pid_ > 0; }
    // The host as the build drew it once loaded, before any step.
    const nlohmann::json& drawing() const { return drawing_; }

private:
    Answer lost(bool hung, const std::string& why);

    Options options_;
    pid_t pid_ = -1;
    int requests_ = -1;    // the server writes here
    int answers_ = -1;     // and reads here
    int errors_ = -1;      // the child's standard error, a scratch file
    std::string pending_;  // answer text read past the last whole line
    nlohmann::json drawing_;
};
