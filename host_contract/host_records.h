// HostRecord: the data of one host event, laid out as the host lays it out, ready for notify().
//
// The one builder of host records for the kit, the emulator, and any test, fuzz target or benchmark that
// drives a script: a revertive (kind 1: the record with its text inline, exactly as long as the text
// needs), a button press (kind 2: the record, its panel and control ids, and the message cut by the
// host's reader, ButtonMessage) and a parent request (kind 3: the request text). Everything the record
// points to lives in the same block, owned by the HostRecord and freed with it.
//
// Guarded (RecordPages): the block sits on pages of its own, and seal() (or the destructor) makes them
// unreadable, so a script that keeps a pointer into a record and reads it in a later call faults at once,
// and the kit says which event's record it was. A plain record costs one heap block. A HostRecord never
// calls the script and never reads what the script wrote.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "record_pages.h"

class HostRecord {
public:
    enum class Guard { None, Pages };

    static HostRecord revertive(int32_t device, int32_t slot, const std::string& text,
                                Guard guard = Guard::None);
    static HostRecord button(const std::string& panelId, const std::string& controlId,
                             const std::string& message, Guard guard = Guard::None);
    static HostRecord parentRequest(const std::string& request, Guard guard = Guard::None);

    HostRecord(HostRecord&&) noexcept = default;
    HostRecord& operator=(HostRecord&&) noexcept = default;

    // What notify() takes, and with which kind.
    void* data() const { return data_; }
    int32_t kind() const { return kind_; }
    // The event as the kit names it in a message: `revertive 3 7 "LIVE"`, `button 1 Take "pressed"`.
    const std::string& event() const { return event_; }

    // The call that carried the record has returned: a guarded record is unreadable from now on.
    void seal() { pages_->seal(); }

private:
    HostRecord(size_t size, size_t alignment, Guard guard, int32_t kind, std::string event);

    std::unique_ptr<RecordPages> pages_;
    void* data_ = nullptr;
    int32_t kind_ = 0;
    std::string event_;
};
