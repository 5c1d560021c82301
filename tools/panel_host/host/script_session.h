// ScriptSession: the one script object of a run, from the export's call to its destruction.
//
// Every call into the script (the export, notify, the destructor) goes through here, so each one runs
// with the log synced, the call guard told what is running, the script's debug output caught, and ends
// with the host's end-of-call checks. An exception the script lets out, and a text notify returns for
// any kind but a parent request, are ERRORs in the host log. The session owns
// the script object and deletes it in stop() (or its own destructor); it does not own the library, which
// must outlive it, nor the host.
#pragma once

#include <string>

#include "debug_line_capture.h"
#include "emulated_host.h"
#include "host_log.h"
#include "orvo_event_kind.h"
#include "panel_library.h"

class ScriptSession {
public:
    ScriptSession(const PanelLibrary& library, EmulatedHost& host, HostLog& log);
    ~ScriptSession();
    ScriptSession(const ScriptSession&) = delete;
    ScriptSession& operator=(const ScriptSession&) = delete;

    // Calls the export with the host and the base path. False when it returned no script.
    bool start(const std::string& basePath);
    // One event; returns what notify() returned. `event` names it for a record read after its call
    // (`revertive 7 183 "12"`); "" names it by its kind.
    char* notify(void* data, int32_t kind, const std::string& event = "");
    // Deletes the script through its destructor slot. Revertives still queued go nowhere.
    void stop();
    bool running() const { return script_ != nullptr; }

private:
    void beginCall(const std::string& call, const std::string& event);
    void endCall();

    const PanelLibrary& library_;
    EmulatedHost& host_;
    HostLog& log_;
    DebugLineCapture capture_;
    orvo_client_callback* script_ = nullptr;
};
