// Fuzzes the Corvane panel as the host drives it: created through the library's export, fed a sequence
// of notify() calls of every kind (and of kinds that do not exist), with host records built from the
// fuzz input and a FuzzHost whose answers come from the input too, then deleted through its interface.
//
// Input layout: two bytes (little-endian) give the length of the host's answer bytes, which follow;
// the rest is the event sequence. One byte picks each event, then its fields as FuzzInput reads them:
//   0 revertive: device (0: 7, 1: 3, 2: 0, else int32), slot (byte b: 175 + b % 30, b >= 240: int32), text
//   1 button: panel id and control id (0 null, 1 text, else a fixed word: panel ids "1", "2", "01",
//     "-1", "", "1 "; the panel's control names and a few others), message (0 null, 1 a text cut by the
//     host's reader, 2 host-filled with null sub-words and a fuzzed count), then the host's two leading words
//   2 parent request (0 null, else text); the answer is kept for a later release
//   3 timer tick: (0: 1, 1: 2, 2: int32, 3: int32 with high pointer bits set)
//   4 release: (0 null; 1, 2 a held answer, the next byte even: the oldest, odd: the newest; 3 a foreign
//     pointer; 4 an answer released before)
//   5 record event (0 null, else a buffer of fuzzed bytes)
//   6 integer event: int32
//   7 another kind: int32 (kinds 1 to 7 are moved out of range), data a zeroed buffer
//   8 the host deletes the panel and creates a new one
// Before the events, one byte picks the host (a multiple of 16: none) and a text is the base path.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "button_message.h"
#include "fuzz_check.h"
#include "fuzz_host.h"
#include "fuzz_input.h"
#include "host_records.h"
#include "orvo_client_callback.h"
#include "orvo_event_kind.h"
#include "orvo_host_records.h"
#include "parsed_command.h"

extern "C" orvo_client_callback* load_orvo_client_script(orvo_host* host, const char* basePath);

namespace {

constexpr int kMaxEvents = 256;

// A NUL-terminated copy on the heap at its exact size, so the sanitizer sees any read past its end.
std::unique_ptr<char[]> heapText(const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

class EventRun {
public:
    EventRun(FuzzInput& events, FuzzHost* host) : events_(events), host_(host) {}

    void create(const std::string& basePath) {
        panel_ = load_orvo_client_script(host_, basePath.c_str());
        FUZZ_REQUIRE(panel_ != nullptr);
        callEnded();
    }

    void destroy() {
        // Answers the host never handed back are the script's to free.
        delete panel_;
        panel_ = nullptr;
        answers_.clear();
        released_.clear();
        callEnded();
    }

    void run() {
        for (int i = 0; i < kMaxEvents && !events_.empty(); ++i) {
            switch (events_.byte() % 9) {
                case 0:
                    revertive();
                    break;
                case 1:
                    button();
                    break;
                case 2:
                    parentRequest();
                    break;
                case 3:
                    timer();
                    break;
                case 4:
                    release();
                    break;
                case 5:
                    record();
                    break;
                case 6:
                    expectNull(panel_->notify(orvo_data_from_integer(events_.int32()), orvo_event_integer));
                    break;
                case 7:
                    otherKind();
                    break;
                default:
                    destroy();
                    create(events_.text());
                    break;
            }
            callEnded();
        }
    }

private:
    void callEnded() {
        if (host_ != nullptr) {
            host_->callEnded();
        }
    }

    static void expectNull(char* result) { FUZZ_REQUIRE(result == nullptr); }

    void revertive() {
        const uint8_t deviceChoice = events_.byte();
        const int32_t device = deviceChoice == 0   ? 7
                               : deviceChoice == 1 ? 3
                               : deviceChoice == 2 ? 0
                                                   : events_.int32();
        const uint8_t slotChoice = events_.byte();
        const int32_t slot = slotChoice >= 240 ? events_.int32() : 175 + slotChoice % 30;
        const HostRecord record = HostRecord::revertive(device, slot, events_.text());
        expectNull(panel_->notify(record.data(), orvo_event_revertive));
    }

    // A text field of a host record: null, a fixed word, or fuzzed text.
    std::unique_ptr<char[]> field(const char* const* words, size_t wordCount) {
        const uint8_t choice = events_.byte();
        if (choice == 0) {
            return nullptr;
        }
        if (choice == 1) {
            return heapText(events_.text());
        }
        return heapText(words[choice % wordCount]);
    }

    void button() {
        static const char* const kPanels[] = {"1", "2", "01", "-1", "", "1 "};
        static const char* const kControls[] = {"Mixer",   "Dest",    "Clear",     "Select", "Deselect",
                                                "Network", "Restore", "ActionAll", "AckAll", "mixer"};
        std::unique_ptr<char[]> panelId = field(kPanels, sizeof kPanels / sizeof kPanels[0]);
        std::unique_ptr<char[]> controlId = field(kControls, sizeof kControls / sizeof kControls[0]);

        std::unique_ptr<ParsedCommand> message;
        std::unique_ptr<ButtonMessage> cut;
        std::unique_ptr<char[]> command;
        std::unique_ptr<char[]> value;
        const uint8_t messageChoice = events_.byte() % 3;
        if (messageChoice == 1) {
            cut.reset(new ButtonMessage(events_.text()));  // cut by the host's reader
        } else if (messageChoice == 2) {
            // Filled by a careless host: null texts, null sub-words and whatever count it likes.
            message.reset(new ParsedCommand);
            std::memset(message.get(), 0, sizeof(ParsedCommand));
            command = field(kControls, 1);
            value = field(kControls, 1);
            message->command = command.get();
            message->value = value.get();
            message->subWordCount = events_.int32();
            message->hasValue = events_.byte();
        }
        const orvo_button_record record{events_.int32(), events_.int32(), panelId.get(), controlId.get(),
                                        cut != nullptr ? cut->parsed() : message.get()};
        expectNull(panel_->notify(const_cast<orvo_button_record*>(&record), orvo_event_button));
    }

    void parentRequest() {
        std::unique_ptr<char[]> request;
        if (events_.byte() != 0) {
            request = heapText(events_.text());
        }
        char* answer = panel_->notify(request.get(), orvo_event_parent);
        if (answer != nullptr) {
            FUZZ_REQUIRE(std::strlen(answer) > 0);  // an empty answer reaches the host as null
            answers_.push_back(answer);
        }
    }

    void timer() {
        const uint8_t choice = events_.byte() % 4;
        void* data = nullptr;
        if (choice == 0) {
            data = orvo_data_from_integer(1);
        } else if (choice == 1) {
            data = orvo_data_from_integer(2);
        } else if (choice == 2) {
            data = orvo_data_from_integer(events_.int32());
        } else {
            // A 64-bit host that leaves junk in the high half of the pointer.
            const uintptr_t high = sizeof(void*) > 4 ? ~uintptr_t{0} << 16 << 16 : 0;
            data = reinterpret_cast<void*>(high | static_cast<uint32_t>(events_.int32()));
        }
        expectNull(panel_->notify(data, orvo_event_timer));
    }

    void release() {
        char foreign[16] = "not the panel's";
        void* data = nullptr;
        switch (events_.byte() % 5) {
            case 0:
                break;
            case 1:
            case 2: {
                if (answers_.empty()) {
                    break;
                }
                const bool oldest = events_.byte() % 2 == 0;
                data = oldest ? answers_.front() : answers_.back();
                answers_.erase(oldest ? answers_.begin() : answers_.end() - 1);
                released_.push_back(data);
                break;
            }
            case 3:
                data = foreign;
                break;
            default:
                // The script must recognise the pointer without touching the freed block.
                data = released_.empty() ? foreign : released_.back();
                break;
        }
        expectNull(panel_->notify(data, orvo_event_release));
        FUZZ_REQUIRE(std::strcmp(foreign, "not the panel's") == 0);
    }

    void record() {
        if (events_.byte() == 0) {
            expectNull(panel_->notify(nullptr, orvo_event_record));
            return;
        }
        std::unique_ptr<char[]> bytes = heapText(events_.text());
        expectNull(panel_->notify(bytes.get(), orvo_event_record));
    }

    void otherKind() {
        int32_t kind = events_.int32();
        if (kind >= orvo_event_revertive && kind <= orvo_event_integer) {
            kind += 100;
        }
        std::unique_ptr<char[]> zeros(new char[64]());
        expectNull(panel_->notify(zeros.get(), kind));
    }

    FuzzInput& events_;
    FuzzHost* host_;
    orvo_client_callback* panel_ = nullptr;
    std::vector<char*> answers_;   // parent-request answers the host still holds
    std::vector<void*> released_;  // answers already handed back, for second releases
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const size_t answerLength = input.byte() | static_cast<size_t>(input.byte()) << 8;
    const std::string answers = input.take(answerLength);

    const bool withHost = input.byte() % 16 != 0;
    FuzzHost host(answers);
    EventRun run(input, withHost ? &host : nullptr);
    run.create(input.text());
    run.run();
    run.destroy();
    return 0;
}
