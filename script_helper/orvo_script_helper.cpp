#include "orvo_script_helper.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "debug_output.h"
#include "orvo_debug_failure.h"
#include "orvo_event_kind.h"
#include "parsed_command.h"

orvo_script_helper::orvo_script_helper(orvo_host* host, const char* path)
    : hostHandle(host), basePath(path), alarmHandling(0) {}

orvo_script_helper::~orvo_script_helper() {
    if (hostHandle != nullptr) {
        static const char kClosing[] = "AS";
        hostHandle->request(const_cast<char*>(kClosing), orvo_request_command);
    }
    // Answers the host never handed back go with heldAnswers_.
}

char* orvo_script_helper::notify(void* data, int32_t kind) {
    // Nothing may escape into the host: a failure drops this one event and the script carries on.
    try {
        switch (kind) {
            case orvo_event_revertive: {
                RevertiveEvent event(static_cast<const orvo_revertive_record*>(data));
                onRevertive(&event);
                return nullptr;
            }
            case orvo_event_button: {
                ButtonEvent event(static_cast<const orvo_button_record*>(data));
                if (!interceptAlarmButton(event)) {
                    onButton(&event);
                }
                return nullptr;
            }
            case orvo_event_parent:
                return answerParentRequest(static_cast<const char*>(data));
            case orvo_event_timer:
                onTimer(orvo_integer_from_data(data));
                return nullptr;
            case orvo_event_release:
                releaseAnswer(data);
                return nullptr;
            case orvo_event_record: {
                RecordEvent event(data);
                onRecordEvent(&event);
                return nullptr;
            }
            case orvo_event_integer: {
                int32_t value = orvo_integer_from_data(data);
                onIntegerEvent(&value);
                return nullptr;
            }
            default:
                return nullptr;
        }
    } catch (...) {
        char lead[48];
        std::snprintf(lead, sizeof lead, "notify: dropped a kind-%d event: ", static_cast<int>(kind));
        orvo_debug_failure(lead);
        return nullptr;
    }
}

char* orvo_script_helper::answerParentRequest(const char* text) {
    ParsedCommand request;  // parseCommand() sets every field, so clearing it first would be wasted
    request.parseCommand(text);
    // The record dies with this call, so freeing its copy is all its release needs, however the handler
    // call ends.
    const std::unique_ptr<char[]> requestCopy(request.ownedCopy);

    ParentRequest wrapped(&request);
    orvo_string answer = onParentRequest(&wrapped);
    if (answer.length() == 0) {
        return nullptr;  // the host takes no text as an empty answer
    }
    const size_t size = static_cast<size_t>(answer.length()) + 1;
    std::unique_ptr<char[]> block(new char[size]);
    std::memcpy(block.get(), answer.c_str(), size);
    heldAnswers_.hold(block.get());  // when the ledger cannot take it, the block goes with the failure
    return block.release();
}

void orvo_script_helper::releaseAnswer(void* answer) {
    if (answer == nullptr || heldAnswers_.release(answer)) {
        return;
    }
    // Freeing a pointer this script did not hand out (or already took back) would corrupt the heap.
    debug("notify: ignored the release of a text this script does not hold\n");
}

void orvo_script_helper::onIntegerEvent(int32_t* /*value*/) {}

void orvo_script_helper::onRecordEvent(RecordEvent* /*event*/) {}

intptr_t orvo_script_helper::send(const char* command) {
    if (hostHandle == nullptr) {
        return 0;
    }
    return hostHandle->request(const_cast<char*>(command), orvo_request_command);
}
