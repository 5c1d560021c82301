// RecorderScript: the script object the host gets from the recorder, standing between the host and the
// real panel's script and writing what crosses between them as a scenario.
//
// It creates the real script with a host object of its own (ForwardingHost) that hands every request to
// the real host unchanged and returns the real host's result unchanged; every event goes to the real
// script with the same pointer and kind, and its result back to the host, so the real script and the host
// see exactly the calls, texts and pointers they would see without it. On the way it writes each event as
// a step, each command as `expect sent`, and the host's answers to the panel's requests as `host answers`
// (session_file.h says when the file is written and how the recording stops). It owns the real script
// and the real module, and deletes the script before it closes the module; it never owns the host, never
// calls the host or the script on its own, keeps no state outside itself, and lets none of its own
// failures out: a recording that cannot go on stops, and the forwarding goes on.
#pragma once

#include <memory>
#include <string>

#include "orvo_client_callback.h"
#include "orvo_host.h"
#include "panel_module.h"
#include "recorder_settings.h"
#include "redaction.h"
#include "session_file.h"

class RecorderScript final : public orvo_client_callback {
public:
    // `host` may be null: the real script then gets null too, and nothing is recorded.
    RecorderScript(orvo_host* host, std::unique_ptr<PanelModule> module, const RecorderSettings& settings);
    ~RecorderScript() override;
    RecorderScript(const RecorderScript&) = delete;
    RecorderScript& operator=(const RecorderScript&) = delete;

    // Creates the real script through the real module's entry point; false when it answered null.
    bool start(const char* basePath);

    char* notify(void* data, int32_t kind) override;

private:
    // The host object the real script gets.
    class ForwardingHost final : public orvo_host {
    public:
        explicit ForwardingHost(RecorderScript& owner) : owner_(owner) {}
        void reserved() override;
        intptr_t request(void* data, int32_t kind) override;

    private:
        RecorderScript& owner_;
    };

    // The step for an event, written before the real script gets it.
    void beginEvent(void* data, int32_t kind) noexcept;
    // What the real script answered, then the event's lines go to the file.
    void endEvent(int32_t kind, const char* answer) noexcept;
    void recordCommand(const char* command, intptr_t result) noexcept;
    void recordAnswer(const std::string& command, const char* answer, bool layout) noexcept;
    void deleteRealScript() noexcept;

    orvo_host* host_;
    ForwardingHost forwarding_;
    std::unique_ptr<PanelModule> module_;
    orvo_client_callback* real_ = nullptr;
    Redaction redaction_;
    SessionFile session_;
    bool windowOpen_ = false;  // a step's commands are listed; the next step closes its window
};
