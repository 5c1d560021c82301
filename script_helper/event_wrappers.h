// The one-pointer views a handler receives for each host event.
//
// Each wraps a record it does not own, lives only for the handler call, and answers copies of the
// record's texts as orvo_string, so a handler never holds a pointer into host memory. A null record, or
// a null text inside one, reads as the empty text (and as 0 for numbers).
#pragma once

#include <cstdint>

#include "orvo_host_records.h"
#include "orvo_string.h"
#include "parsed_command.h"

class RevertiveEvent {
public:
    explicit RevertiveEvent(const orvo_revertive_record* record) : record_(record) {}
    int32_t deviceNumber() const;
    int32_t slotIndex() const;
    orvo_string slotText() const;

private:
    const orvo_revertive_record* record_;
};

class ButtonEvent {
public:
    explicit ButtonEvent(const orvo_button_record* record) : record_(record) {}
    orvo_string panelId() const;
    orvo_string controlId() const;
    orvo_string messageCommand() const;  // the command word of the control's message
    orvo_string messageValue() const;    // the text after the message's first '='

private:
    const orvo_button_record* record_;
};

class ParentRequest {
public:
    explicit ParentRequest(const ParsedCommand* request) : request_(request) {}
    orvo_string requestCommand() const;
    orvo_string requestValue() const;

private:
    const ParsedCommand* request_;
};

// A kind-6 record; this library reads nothing from it.
class RecordEvent {
public:
    explicit RecordEvent(const void* record) : record_(record) {}
    const void* record() const { return record_; }

private:
    const void* record_;
};
