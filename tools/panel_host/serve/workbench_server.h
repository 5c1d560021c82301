// WorkbenchServer: the workbench over HTTP, and serveWorkbench(), the `panel_host --serve` front end.
//
//   GET  /            the page (and /workbench.css, /workbench.js), embedded in the program
//   GET  /events      Server-Sent Events: "line" for each transcript line, "state" for each new drawing
//   GET  /state       the newest drawing, as JSON
//   POST /action      one action as JSON (see action.h); 200, or 400 with what is wrong
//   GET  /scenario    the session so far as a scenario file
//
// The server's threads only parse HTTP; everything that touches the runner is queued to the script's
// thread, one job at a time. Bound to the loopback address, it also refuses requests whose Host is not
// that address (a page elsewhere cannot reach it through a name of its own), and it takes actions only as
// application/json, which a page elsewhere cannot post without asking first. The server does not own
// the workbench or the event stream.
#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

#include "event_stream.h"
#include "runner.h"
#include "scenario.h"
#include "script_queue.h"
#include "site.h"
#include "transcript.h"
#include "workbench.h"

struct ServeOptions {
    std::string address = "127.0.0.1";
    int port = 8250;  // 0: any free port
};

class WorkbenchServer {
public:
    WorkbenchServer(Workbench& bench, EventStream& events);
    ~WorkbenchServer();

    // Binds the address; returns the port. An InputError when it cannot.
    int bind(const std::string& address, int port);
    // On the script's thread: serves until `stop` says so (asked at least every 100 ms), then shuts the
    // server down.
    void serveUntil(const std::function<bool()>& stop);

private:
    void routes();
    void shutDown();

    Workbench& bench_;
    EventStream& events_;
    ScriptQueue queue_;
    httplib::Server server_;
    std::thread listener_;
    std::vector<std::string> allowedHosts_;  // empty: any
};

// Plays `steps` as a scenario run would, prints the page's address and serves it until SIGINT or
// SIGTERM; the caller then finishes the run. The transcript still goes to standard output as well.
void serveWorkbench(Runner& runner, Transcript& transcript, const Site& site, const std::vector<Step>& steps,
                    const ServeOptions& options);
