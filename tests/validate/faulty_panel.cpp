// A small panel with one deliberate fault, chosen by a FAULT_ definition when it is built: each of the
// validator's checks is proven able to fail by running one of these through --validate. Each fault is a
// line or two under its #if; without one the panel keeps the contract.
//
//   FAULT_SEQUENCE_CRASH  crashes when B is pressed after three presses of A (other presses between count
//   not) FAULT_KEEP_ANSWER     never hands back the answer to the lookup Go sends FAULT_TICK_TEXT returns a
//   text from notify for a timer tick FAULT_OTHER_THREAD    sends Go's command from a thread of its own
//   FAULT_LEAK_PER_TICK   leaks a block on every tick of its timer
//   FAULT_SLOW_EVENT      spends 60 ms of processor time on Go
//   FAULT_NEVER_RETURNS   never returns from Go
//   FAULT_THROWS          lets an exception out of notify for an integer event
//   FAULT_WALL_CLOCK      writes the wall clock in a debug line on A, so no two runs are the same
//   FAULT_NULL_HOST       calls the host at creation without looking whether there is one
//   FAULT_NO_ENTRY        has no export at all
//   FAULT_SLOT_SPRINTF    formats a slot's text into a 256-byte buffer on the stack, unchecked
//   FAULT_HALVING_TIMER   halves its timer's interval on every tick, down to an interval of 0
//   FAULT_DEEP_PARSE      parses a parent request's value by recursion, one call per '[', unbounded
//   FAULT_SALVO_LEAK      answers its own request salvo=N, and for an N outside 1..8 keeps the lookup's
//                         answer (only storms that know the word salvo reach it)
//   FAULT_TWO_MISTAKES    keeps Go's answer, and sends a timer interval of 0 on B: two rules in one storm
//   FAULT_SLOT_LABEL      copies a slot's text into a 256-byte buffer on the stack with no room for the
//                         end of a text of 256 bytes or more: one byte past it, which only AddressSanitizer
//                         sees
//   FAULT_WATCHDOG_TICK   on a tick of timer 42 (the parent's watchdog, which the panel never starts) after
//                         its own timer has ticked, keeps the lookup's answer (only storms that learn the
//                         tick from the author's scenario reach it)
//   CORRECT_SLOW_TICKS    no fault: a timer of interval 1 whose every tick takes 3 ms of wall time, so one
//                         clock step of a thousand ticks takes seconds while no call takes long
//   CORRECT_SLOWING_TICKS no fault: a timer of interval 1 whose first ten ticks take 10 ms of wall time each
//                         and every later one 60 ms: slower than the first calls, but not ten times slower
//   CORRECT_POLLER        no fault: polls its 2 slots on every tick of a timer of interval 1, keeping
//                         each slot's latest text (the host's queues grow, the script's memory does not)
// The authors' mistakes, each named by the same rule in the kit, a scenario run and the validator:
//   FAULT_KEPT_RECORD         keeps the record of a press of A and reads it in the next event
//   FAULT_MALFORMED_COMMAND   sends a command built by hand without its quotes on Go
//   FAULT_AFTER_DESTRUCTION   a static object sends a command through the host once the script is gone
//   FAULT_UNREGISTERED_WRITE  writes a slot it never registered for on Go (a note, not a breach)
//   FAULT_UNKNOWN_KIND        makes a request of kind 9 on Go
//   FAULT_NULL_COMMAND        makes a command request without a text on Go
//   FAULT_RELEASE_TWICE       hands the lookup's answer back twice
//   FAULT_FOREIGN_RELEASE     hands back a copy of the lookup's answer instead of the answer
//   FAULT_AFTER_CLOSE         sends a command after AS in its destructor
//   FAULT_NO_CLOSE            ends without sending AS
//   FAULT_EMPTY_RANGE         registers slots 5 to 1 on Go
//   FAULT_POLL_REFUSED        polls 5000 slots on Go
//   FAULT_ZERO_INTERVAL       starts a timer with interval 0 on Go
//   FAULT_QUOTE_IN_TEXT       puts a text holding ' ' on a control on Go (a note, not a breach)
//   FAULT_EXPORT_THROWS       lets an exception out of its export
//   FAULT_NO_SCRIPT           its export answers null
//   FAULT_NEVER_RESTS         starts one more timer on every tick, so the ticks double every millisecond
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string>
#include <thread>

#include "debug_output.h"
#include "orvo_client_callback.h"
#include "orvo_event_kind.h"
#include "orvo_host.h"
#include "orvo_host_records.h"
#include "orvo_panel_export.h"

namespace {

#if defined(FAULT_TICK_TEXT)
char tickText[] = "tick";
#endif

#if defined(FAULT_AFTER_DESTRUCTION)
// Says goodbye through the last host it saw, from its destructor: at unload or at the end of the process,
// long after the host destroyed the script.
struct Farewell {
    orvo_host* host = nullptr;
    ~Farewell() {
        if (host != nullptr) {
            host->request(const_cast<char*>("CE '1' 'Go'"), orvo_request_command);
        }
    }
} farewell;
#endif

class FaultyPanel : public orvo_client_callback {
public:
    FaultyPanel(orvo_host* host, const char* basePath) : host_(host) {
#if !defined(FAULT_NULL_HOST)
        if (host_ == nullptr) {
            return;
        }
#endif
#if defined(FAULT_AFTER_DESTRUCTION)
        farewell.host = host_;
#endif
        std::string base = basePath == nullptr ? "" : basePath;
        send("PS '1' '" + (base.empty() ? std::string() : base + "/") + "Faulty.orvo_ui'");
#if defined(CORRECT_POLLER)
        send("IR 7 1 2");
        send("ET 1 1");
#elif defined(CORRECT_SLOW_TICKS) || defined(CORRECT_SLOWING_TICKS)
        send("ET 1 1");
#elif defined(FAULT_SLOT_SPRINTF) || defined(FAULT_SLOT_LABEL)
        send("IR 7 1 2");
        send("ET 1 100");
#else
        send("ET 1 100");
#endif
#if defined(FAULT_NEVER_RESTS)
        send("ET 2 1");
#endif
    }

    ~FaultyPanel() override {
        if (host_ != nullptr) {
#if !defined(FAULT_NO_CLOSE)
            send("AS");
#endif
#if defined(FAULT_AFTER_CLOSE)
            send("CD '1' 'Go'");
#endif
        }
    }

    char* notify(void* data, int32_t kind) override {
#if defined(FAULT_KEPT_RECORD)
        if (kept_ != nullptr) {
            // The fault: the record of an earlier call, read now.
            volatile char first = kept_->controlId[0];
            (void)first;
        }
        kept_ = kind == orvo_event_button ? static_cast<const orvo_button_record*>(data) : nullptr;
#endif
        if (kind == orvo_event_button && data != nullptr) {
            const char* control = static_cast<const orvo_button_record*>(data)->controlId;
            button(control == nullptr ? "" : control);
        } else if (kind == orvo_event_revertive && data != nullptr) {
            const auto* revertive = static_cast<const orvo_revertive_record*>(data);
            if (revertive->slotIndex >= 1 && revertive->slotIndex <= 64) {
                texts_[revertive->slotIndex - 1] = revertive->slotText;
            }
#if defined(FAULT_SLOT_SPRINTF)
            char line[256];
            std::sprintf(line, "Tally %d: %s", static_cast<int>(revertive->slotIndex), revertive->slotText);
            orvo_debug_output(line);
#endif
#if defined(FAULT_SLOT_LABEL)
            char label[256];
            const size_t length = std::min(std::strlen(revertive->slotText), sizeof label);
            *std::copy_n(revertive->slotText, length, label) = '\0';  // the fault: label[256] for a long text
            orvo_debug_output(label);
#endif
        } else if (kind == orvo_event_parent && data != nullptr) {
            parent(static_cast<const char*>(data));
        } else if (kind == orvo_event_timer) {
#if defined(CORRECT_SLOW_TICKS)
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(3);
            while (std::chrono::steady_clock::now() < until) {
            }
#endif
#if defined(CORRECT_SLOWING_TICKS)
            const auto slowed =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(++ticks_ > 10 ? 60 : 10);
            while (std::chrono::steady_clock::now() < slowed) {
            }
#endif
#if defined(FAULT_WATCHDOG_TICK)
            if (orvo_integer_from_data(data) == 42 && ticks_ > 0) {
                (void)send("SD 'Router'");  // the fault: the watchdog's lookup is never handed back
            }
            ticks_ += orvo_integer_from_data(data) == 1 ? 1 : 0;
#endif
#if defined(CORRECT_POLLER)
            send("IP 7 1 2");
#endif
#if defined(FAULT_HALVING_TIMER)
            interval_ /= 2;
            send("ET 1 " + std::to_string(interval_));
#endif
#if defined(FAULT_LEAK_PER_TICK)
            leaked_ = new char[512];
            leaked_[0] = 1;
#else
            leaked_ = nullptr;
#endif
#if defined(FAULT_NEVER_RESTS)
            send("ET " + std::to_string(++timers_ + 2) + " 1");
#endif
#if defined(FAULT_TICK_TEXT)
            return tickText;
#endif
        } else if (kind == orvo_event_integer) {
#if defined(FAULT_THROWS)
            throw std::runtime_error("an integer event");
#endif
        }
        return nullptr;
    }

private:
    intptr_t send(const std::string& command) {
        return host_->request(const_cast<char*>(command.c_str()), orvo_request_command);
    }

    void lookUp() {
        intptr_t answer = send("SD 'Router'");
#if defined(FAULT_KEEP_ANSWER) || defined(FAULT_TWO_MISTAKES)
        (void)answer;  // the fault: the answer is never handed back
#elif defined(FAULT_FOREIGN_RELEASE)
        if (answer != 0) {
            std::string copy = reinterpret_cast<const char*>(answer);
            host_->request(copy.data(), orvo_request_release);
            host_->request(reinterpret_cast<void*>(answer), orvo_request_release);
        }
#else
        if (answer != 0) {
            host_->request(reinterpret_cast<void*>(answer), orvo_request_release);
#if defined(FAULT_RELEASE_TWICE)
            host_->request(reinterpret_cast<void*>(answer), orvo_request_release);
#endif
        }
#endif
    }

    void parent(const std::string& request) {
        size_t equals = request.find('=');
        std::string word = request.substr(0, equals);
        std::string value = equals == std::string::npos ? "" : request.substr(equals + 1);
#if defined(FAULT_DEEP_PARSE)
        depthOf(value.c_str());
#endif
        if (word == "salvo") {
            int salvo = std::atoi(value.c_str());
            intptr_t answer = send("SD 'Router'");
#if defined(FAULT_SALVO_LEAK)
            if (salvo < 1 || salvo > 8) {
                return;  // the fault: this path forgets the hand-back
            }
#endif
            (void)salvo;
            if (answer != 0) {
                host_->request(reinterpret_cast<void*>(answer), orvo_request_release);
            }
        }
    }

#if defined(FAULT_DEEP_PARSE)
    // How deep the brackets go, one call a level, each with a token buffer of its own.
    static int depthOf(const char* at) {
        volatile char token[160];
        token[0] = *at;
        if (token[0] != '[') {
            return 0;
        }
        return 1 + depthOf(at + 1) + token[1] * 0;
    }
#endif

    void button(const std::string& control) {
        if (control == "A") {
            ++presses_;
#if defined(FAULT_WALL_CLOCK)
            std::string now = "Faulty: at " +
                              std::to_string(std::chrono::system_clock::now().time_since_epoch().count()) +
                              "\n";
            orvo_debug_output(now.c_str());
#endif
        } else if (control == "B") {
#if defined(FAULT_TWO_MISTAKES)
            send("ET 1 0");
#endif
#if defined(FAULT_SEQUENCE_CRASH)
            if (presses_ >= 3) {
                volatile uintptr_t unmapped = 8;
                *reinterpret_cast<volatile int*>(unmapped) = 1;
            }
#endif
        } else if (control == "Go") {
#if defined(FAULT_MALFORMED_COMMAND)
            send("IW 8 12 1 1");
#endif
#if defined(FAULT_UNREGISTERED_WRITE)
            send("IW 3 '12' 183 1");
#endif
#if defined(FAULT_UNKNOWN_KIND)
            host_->request(const_cast<char*>("CE '1' 'Go'"), 9);
#endif
#if defined(FAULT_NULL_COMMAND)
            host_->request(nullptr, orvo_request_command);
#endif
#if defined(FAULT_EMPTY_RANGE)
            send("IR 3 5 1");
#endif
#if defined(FAULT_POLL_REFUSED)
            send("IP 3 1 5000");
#endif
#if defined(FAULT_ZERO_INTERVAL)
            send("ET 2 0");
#endif
#if defined(FAULT_QUOTE_IN_TEXT)
            send("TP 'a' 'b' '1' 'Go'");
#endif
#if defined(FAULT_OTHER_THREAD)
            std::thread other([this] { lookUp(); });
            other.join();
#else
            lookUp();
#endif
#if defined(FAULT_SLOW_EVENT)
            std::clock_t until = std::clock() + CLOCKS_PER_SEC * 60 / 1000;
            while (std::clock() < until) {
            }
#endif
#if defined(FAULT_NEVER_RETURNS)
            for (volatile bool forever = true; forever;) {
            }
#endif
        }
    }

    orvo_host* host_;
    int presses_ = 0;
    int timers_ = 0;
    char* leaked_ = nullptr;
    std::string texts_[64];
    int interval_ = 100;
#if defined(FAULT_WATCHDOG_TICK) || defined(CORRECT_SLOWING_TICKS)
    int ticks_ = 0;
#endif
#if defined(FAULT_KEPT_RECORD)
    const orvo_button_record* kept_ = nullptr;
#endif
};

}  // namespace

#if !defined(FAULT_NO_ENTRY)
extern "C" ORVO_PANEL_EXPORT orvo_client_callback* load_orvo_client_script(orvo_host* host,
                                                                           const char* basePath) {
#if defined(FAULT_EXPORT_THROWS)
    throw std::runtime_error("no panel today");
#elif defined(FAULT_NO_SCRIPT)
    return nullptr;
#endif
    return new FaultyPanel(host, basePath);
}
#else
extern "C" ORVO_PANEL_EXPORT int faulty_panel_without_entry() {
    return 0;
}
#endif
