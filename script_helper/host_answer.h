// orvo_host_answer: one answer text the host returned for a command, held only until it is handed back.
//
// The host owns the text; the script must hand it back with request(text, 5) within the command
// operation that asked. handBack() does that at the point the operation chooses; if the operation ends
// early (an allocation fails while the answer is being read), the destructor hands it back instead, so
// no answer is ever kept or leaked. A null answer is only handed back when `handBackNull` is set
// (readName's rule). Never throws.
#pragma once

#include "orvo_event_kind.h"
#include "orvo_host.h"

class orvo_host_answer {
public:
    orvo_host_answer(orvo_host* host, const char* text, bool handBackNull = false)
        : host_(host), text_(text), pending_(host != nullptr && (text != nullptr || handBackNull)) {}
    ~orvo_host_answer() { handBack(); }
    orvo_host_answer(const orvo_host_answer&) = delete;
    orvo_host_answer& operator=(const orvo_host_answer&) = delete;

    const char* text() const { return text_; }

    // Hands the text back now; later calls do nothing.
    void handBack() {
        if (pending_) {
            pending_ = false;
            host_->request(const_cast<char*>(text_), orvo_request_release);
        }
    }

private:
    orvo_host* host_;
    const char* text_;
    bool pending_;
};
