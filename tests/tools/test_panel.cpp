// A tiny panel script for testing the host emulator: a library with the real export that implements the
// host contract directly, without the helper base, so each of its faults is one deliberate line.
//
// Controls (pressed with a message "value=<command>" where a command is wanted):
//   Send     sends the command and hands its answer back, as a well-behaved script does
//   Keep     sends the command and keeps the answer, until Return hands it back
//   Return   hands back the answer Keep kept
//   Twice    sends the command and hands its answer back twice
//   Foreign  hands back a text the host never gave out
//   Poll     sends the command, then writes the debug line "TestPanel: after the command"
//   Mute     makes the destructor leave out the closing AS
//   OnTick   from now on sends the command on every tick
// and the hostile ones, each breaking the contract in one way:
//   Crash    crashes: value=segv writes to an address no process maps, value=abort aborts, value=stack
//            recurses once a character of a text that never ends, until the stack overflows
//   Exit     ends the process with exit(0)
//   Thread   sends the command from a thread of its own (and waits for it)
//   Late     leaves an object behind that sends the command when the library unloads
//   Rude     from now on returns a text from notify for revertives and ticks
//   Reload   sends the command (a PI), then reads the button record's panel and control ids
//   Forge    sends a command holding a line feed and a carriage return
// Built with TEST_PANEL_MUTANT, Poll sends its command twice: the changed build a replay tells apart.
// Revertives, ticks, integer and record events are written as debug lines; a parent request is answered
// "echo:<text>", or not at all for the empty request.
// Built with TEST_PANEL_EVERY_PRESS_OVERFLOWS, every press is a press of Crash with value=stack, for the
// validator, whose storms press what they like.
#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "debug_output.h"
#include "orvo_client_callback.h"
#include "orvo_event_kind.h"
#include "orvo_host.h"
#include "orvo_host_records.h"
#include "orvo_panel_export.h"

namespace {

// Where a panel library writes its debug text: the platform's debug output.
void debugLine(const std::string& text) {
    orvo_debug_output(text.c_str());
}

// Sends its command through the host when the library unloads, long after the script is gone.
struct LateRequest {
    orvo_host* host = nullptr;
    std::string command;
    ~LateRequest() {
        if (host != nullptr) {
            host->request(const_cast<char*>(command.c_str()), orvo_request_command);
        }
    }
};
LateRequest lateRequest;

char rudeText[] = "rude";

// One frame a character, as a parser that recurses over its text does, on a text far longer than any
// stack holds frames for. The frame is read after the call, so the recursion cannot become a loop.
size_t depthOfText(const char* text, size_t at, size_t length) {
    if (at == length) {
        return 0;
    }
    volatile char frame[512];
    frame[0] = text[at % 4];
    return depthOfText(text, at + 1, length) + static_cast<size_t>(frame[0]);
}

class TestPanel : public orvo_client_callback {
public:
    TestPanel(orvo_host* host, const char* basePath) : host_(host) {
        debugLine("TestPanel: created\n");
        std::string base = basePath;
        send("PI '1' '" + (base.empty() ? std::string() : base + "/") + "Test.orvo_ui'");
    }

    ~TestPanel() override {
        if (!mute_) {
            send("AS");
        }
    }

    char* notify(void* data, int32_t kind) override {
        switch (kind) {
            case orvo_event_revertive: {
                auto* record = static_cast<const orvo_revertive_record*>(data);
                debugLine("TestPanel: revertive " + std::to_string(record->deviceNumber) + " " +
                          std::to_string(record->slotIndex) + " " + record->slotText + "\n");
                return rude_ ? rudeText : nullptr;
            }
            case orvo_event_button:
                button(*static_cast<const orvo_button_record*>(data));
                return nullptr;
            case orvo_event_parent: {
                std::string text = static_cast<const char*>(data);
                if (text.empty()) {
                    return nullptr;
                }
                std::string answer = "echo:" + text;
                char* block = new char[answer.size() + 1];
                std::memcpy(block, answer.c_str(), answer.size() + 1);
                return block;
            }
            case orvo_event_timer:
                debugLine("TestPanel: tick " + std::to_string(orvo_integer_from_data(data)) + "\n");
                if (!onTick_.empty()) {
                    send(onTick_);
                }
                return rude_ ? rudeText : nullptr;
            case orvo_event_release:
                delete[] static_cast<char*>(data);
                return nullptr;
            case orvo_event_record:
                debugLine("TestPanel: record\n");
                return nullptr;
            case orvo_event_integer:
                debugLine("TestPanel: integer " + std::to_string(orvo_integer_from_data(data)) + "\n");
                return nullptr;
            default:
                return nullptr;
        }
    }

private:
    intptr_t send(const std::string& command) {
        return host_->request(const_cast<char*>(command.c_str()), orvo_request_command);
    }

    void button(const orvo_button_record& record) {
        std::string control = record.controlId;
        std::string value = record.message->value;
#if defined(TEST_PANEL_EVERY_PRESS_OVERFLOWS)
        control = "Crash";
        value = "stack";
#endif
        if (control == "Send" || control == "Twice" || control == "Keep" || control == "Poll") {
            intptr_t answer = send(value);
#if defined(TEST_PANEL_MUTANT)
            if (control == "Poll" && answer == 0) {
                send(value);
            }
#endif
            if (control == "Poll") {
                debugLine("TestPanel: after the command\n");
            }
            if (control == "Keep") {
                kept_ = answer;
            } else if (answer != 0) {
                host_->request(reinterpret_cast<void*>(answer), orvo_request_release);
                if (control == "Twice") {
                    host_->request(reinterpret_cast<void*>(answer), orvo_request_release);
                }
            }
        } else if (control == "Foreign") {
            static char foreign[] = "not the host's";
            host_->request(foreign, orvo_request_release);
        } else if (control == "Return") {
            host_->request(reinterpret_cast<void*>(kept_), orvo_request_release);
        } else if (control == "Mute") {
            mute_ = true;
        } else if (control == "OnTick") {
            onTick_ = value;
        } else if (control == "Crash") {
            if (value == "abort") {
                std::abort();
            }
            if (value == "stack") {
                debugLine("TestPanel: depth " + std::to_string(depthOfText("text", 0, ~size_t{0})) + "\n");
            }
            volatile uintptr_t unmapped = 8;
            *reinterpret_cast<volatile int*>(unmapped) = 1;
        } else if (control == "Exit") {
            std::exit(0);
        } else if (control == "Thread") {
            std::thread other([this, value] { send(value); });
            other.join();
        } else if (control == "Late") {
            lateRequest.host = host_;
            lateRequest.command = value;
        } else if (control == "Forge") {
            send("CE '1' 'Send'\n== forged\r");
        } else if (control == "Rude") {
            rude_ = true;
        } else if (control == "Reload") {
            send(value);
            debugLine(std::string("TestPanel: pressed ") + record.panelId + " " + record.controlId + "\n");
        }
    }

    orvo_host* host_;
    bool mute_ = false;
    bool rude_ = false;
    intptr_t kept_ = 0;
    std::string onTick_;
};

}  // namespace

extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host,
                                                                           const char* basePath) {
    return new TestPanel(host, basePath == nullptr ? "" : basePath);
}
