// The panel test kit: unit tests of a panel script class in GoogleTest, without a host.
//
// TestedPanel is one script on a RecordingHost. The test sets the host's answers, creates the script
// (by class or through the module's entry point), drives it with host events built from plain values,
// and compares what the script sent with what it expects:
//
//   TestedPanel panel;
//   panel.host.answer("SD 'My Router'", "3 0");
//   panel.create<MyPanel>("layouts");
//   panel.sent();                                  // the start-up commands
//   panel.button("1", "Take", "");                 // a plain press: the empty message
//   EXPECT_EQ(panel.sent(), (std::vector<std::string>{"CE '1' 'Undo'"}));
//
// Each event is one notify() call with a record laid out as the host lays it out (orvo_host_records.h),
// built before the call on pages of its own (HostRecord) and made unreadable when the call returns, so a
// script that keeps a pointer into a record and reads it later crashes at once, with the line
// "host contract: ERROR record-read-after-call: ..." on standard error naming the event whose record it
// read and the event that read it. The host holds the script to the host contract with the checker the
// emulator and the validator use: every breach is a GoogleTest failure reported at the line of the test
// that delivered the event (each method takes the caller's file and line by default), and requests
// outside a call are breaches too (see recording_host.h). The script is handed the host's door, so a
// request after the TestedPanel has ended (a static destructor, a thread left running) prints its breach
// and ends the program with status 1. The script's debug lines are caught from the start and show in
// sent(), a line an entry.
//
// The TestedPanel owns the host and the script; the script is destroyed first, through its interface
// as the host destroys it, by close() or by the TestedPanel's destructor. It never calls into the script
// of its own accord: every event is one the test asked for, and timers tick only when the test says.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host_records.h"
#include "orvo_client_callback.h"
#include "orvo_panel_export.h"
#include "recording_host.h"

class TestedPanel {
public:
    // A host with debug capture on and no script yet.
    TestedPanel();
    // Closes the script if it is still open.
    ~TestedPanel();
    TestedPanel(const TestedPanel&) = delete;
    TestedPanel& operator=(const TestedPanel&) = delete;

    // --- Creating and ending the script -------------------------------------------------------------
    // Creates Panel(&host, basePath) directly; the start-up commands are in sent() afterwards.
    template <class Panel>
    Panel& create(const char* basePath = "", TestCallSite where = TestCallSite()) {
        host.setCallSite(where);
        host.beginCall("the constructor");
        Panel* script = new Panel(host.door(), basePath);
        panel.reset(script);
        host.endOfCall();
        return *script;
    }
    // Creates the script as the host does, through the module's entry point (pass
    // load_orvo_client_script). Returns false, with a test failure, when the entry point answers null or
    // lets an exception out, as the host's rules no-script and export-threw say.
    bool createThroughExport(orvo_load_script_function entryPoint, const char* basePath = "",
                             TestCallSite where = TestCallSite());
    // The host destroys the script (it may still send commands, AS last, which it must have sent by the
    // end). Does nothing when there is none.
    void close(TestCallSite where = TestCallSite());

    // --- Host events: one notify() call each ----------------------------------------------------------
    // Kind 2: a press or change on control `controlId` of panel `panelId`, whose message (empty for a
    // plain press, "index=12" from a picker, "selectedindex=2" from a list) the host has cut into words
    // before the call.
    void button(const std::string& panelId, const std::string& controlId, const std::string& message,
                TestCallSite where = TestCallSite());
    // Kind 1: device `device` reports slot `slot` with `text`, stored in the record itself.
    void revertive(int32_t device, int32_t slot, const std::string& text,
                   TestCallSite where = TestCallSite());
    // Kind 4: a tick of timer `timerId`.
    void tick(int32_t timerId, TestCallSite where = TestCallSite());
    // Kind 3: the host asks `request` (like "return=all"). The answer is read, handed back at once with
    // kind 5, and returned; nullopt when the script answered no text.
    std::optional<std::string> parentRequest(const std::string& request, TestCallSite where = TestCallSite());
    // Kind 6 with `record`, which stays the test's.
    void recordEvent(void* record, TestCallSite where = TestCallSite());
    // Kind 7 carrying `value`.
    void integerEvent(int32_t value, TestCallSite where = TestCallSite());
    // Any kind with any data, as given; the script's result is returned as it is (a text for any kind
    // but a parent request is a breach).
    char* notify(void* data, int32_t kind, TestCallSite where = TestCallSite());

    // What went out since the last look: commands, hand-backs and debug lines, in order (see
    // RecordingHost::log()).
    std::vector<std::string> sent();

    RecordingHost host;
    // The script as the host holds it; null before creation and after close().
    std::unique_ptr<orvo_client_callback> panel;

private:
    char* call(void* data, int32_t kind, const std::string& event);
    void deliver(HostRecord record, const TestCallSite& where);
};
