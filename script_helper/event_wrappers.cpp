#include "event_wrappers.h"

namespace {

// The host's records may carry null texts; a handler always gets a text.
orvo_string hostText(const char* text) {
    return orvo_string(text != nullptr ? text : orvo_empty_text());
}

}  // namespace

int32_t RevertiveEvent::deviceNumber() const {
    return record_ != nullptr ? record_->deviceNumber : 0;
}

int32_t RevertiveEvent::slotIndex() const {
    return record_ != nullptr ? record_->slotIndex : 0;
}

orvo_string RevertiveEvent::slotText() const {
    if (record_ == nullptr) {
        return orvo_string();
    }
    // The text runs on past the declared end of the record, up to its NUL.
    return orvo_string(record_->slotText);
}

orvo_string ButtonEvent::panelId() const {
    return record_ != nullptr ? hostText(record_->panelId) : orvo_string();
}

orvo_string ButtonEvent::controlId() const {
    return record_ != nullptr ? hostText(record_->controlId) : orvo_string();
}

// Only the command word and the value are read from the host's message; its sub-word count is the
// host's and is never trusted as an index.
orvo_string ButtonEvent::messageCommand() const {
    if (record_ == nullptr || record_->message == nullptr) {
        return orvo_string();
    }
    return hostText(record_->message->command);
}

orvo_string ButtonEvent::messageValue() const {
    if (record_ == nullptr || record_->message == nullptr) {
        return orvo_string();
    }
    return hostText(record_->message->value);
}

orvo_string ParentRequest::requestCommand() const {
    return request_ != nullptr ? hostText(request_->command) : orvo_string();
}

orvo_string ParentRequest::requestValue() const {
    return request_ != nullptr ? hostText(request_->value) : orvo_string();
}
