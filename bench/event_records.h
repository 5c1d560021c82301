// The records the host hands a script with revertive and button events, made by the kit's one record
// builder as the host lays them out. A benchmark makes them once, before its timed loop, since making
// them is the host's work.
#pragma once

#include <cstdint>
#include <string>

#include "host_records.h"

// A device's report of one slot; the floor reads its slot and text back to format the same commands.
class RevertiveRecord {
public:
    RevertiveRecord(int32_t device, int32_t slot, const char* text)
        : record_(HostRecord::revertive(device, slot, text)), slot_(slot), text_(text) {}
    void* data() const { return record_.data(); }
    const char* text() const { return text_.c_str(); }
    int32_t slot() const { return slot_; }

private:
    HostRecord record_;
    int32_t slot_;
    std::string text_;
};

// A press on one control, with the control's message cut by the host's reader.
class ButtonPress {
public:
    ButtonPress(const char* panelId, const char* controlId, const char* message)
        : record_(HostRecord::button(panelId, controlId, message)) {}
    void* data() const { return record_.data(); }

private:
    HostRecord record_;
};
