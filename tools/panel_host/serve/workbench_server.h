// WorkbenchServer: the workbench over HTTP, and serveWorkbench(), the `panel_host --serve` front end.
//
//   GET  /            the page (and /workbench.css, /workbench.js), embedded in the program
//   GET  /events      Server-Sent Events: "lines" for new transcript lines, "state" for each new
//                     drawing, "clear" when the transcript starts over
//   GET  /state       the newest drawing, as JSON
//   GET  /compare     what the last rebuild played differently (--watch), as JSON
//   POST /action      one action as JSON (see action.h); 200, or 400 with what is wrong
//   POST /session     a new session on the same build; POST /clear: the transcript starts over
//   POST /takeback    the last good build again, with the session; POST /resume: the session an earlier
//                     run left, played on it
//   GET  /scenario    the session so far as a scenario file
//
// The server's threads only parse HTTP; everything that touches the runner is queued to the script's
// thread, one job at a time. It answers only requests addressed to it by a loopback name, the address it
// listens on or this machine's name (a page elsewhere cannot reach it through a name of its own), takes
// posts only as application/json, which a page elsewhere cannot send without asking first, and no body
// over kMaxBody. The server does not own the workbench or the event stream.
#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

#include "event_stream.h"
#include "scenario.h"
#include "script_queue.h"
#include "site.h"
#include "workbench.h"

struct ServeOptions {
    std::string address = "127.0.0.1";
    int port = 8250;  // 0: any free port
    bool watch = false;
    double stepLimit = 10;  // seconds a step may run before its build's process is killed
};

class WorkbenchServer {
public:
    static constexpr size_t kMaxBody = 64 * 1024;

    WorkbenchServer(Workbench& bench, EventStream& events);
    ~WorkbenchServer();

    // Binds the address; returns the port. An InputError when it cannot.
    int bind(const std::string& address, int port);
    // On the script's thread: serves until `stop` says so (asked at least every 100 ms), then shuts the
    // server down at once, open pages or not. `idle` runs on the script's thread between requests, about
    // four times a second.
    void serveUntil(const std::function<bool()>& stop, const std::function<void()>& idle = {});

    // The Host header values the server answers (lower case), after bind().
    const std::vector<std::string>& allowedHosts() const { return allowedHosts_; }

private:
    void routes();
    void shutDown();

    Workbench& bench_;
    EventStream& events_;
    ScriptQueue queue_;
    httplib::Server server_;
    std::thread listener_;
    std::vector<std::string> allowedHosts_;
};

// True for an address only this machine can reach.
bool isLoopbackAddress(const std::string& address);
// True for `application/json`, with parameters or not, in any case.
bool isJsonContentType(const std::string& contentType);

// Loads the library, binds the address (a port in use is refused before the script starts), plays `steps`
// as a scenario run would, prints the page's address and serves it until SIGINT or SIGTERM. With
// options.watch it follows rebuilds of the library. The transcript goes to standard output as well. The
// session is saved as it grows under $XDG_STATE_HOME (or ~/.local/state)/panel_host/sessions/, in
// LIBRARY-PORT.scenario. Returns what `finish` returns for the run as it ends (in the build's process),
// or 3 when that process is gone.
int serveWorkbench(const std::string& library, const Site& site, const std::vector<Step>& steps,
                   const ServeOptions& options, const std::function<int(Runner&)>& finish);
