// The records the host hands a script with revertive and button events, built the way the host builds
// them. A benchmark makes them once, before its timed loop, since making them is the host's work.
#pragma once

#include <cstdint>
#include <cstring>

#include "orvo_host_records.h"
#include "parsed_command.h"

// A device's report of one slot: the number fields, then the slot's text stored in the record itself.
class RevertiveRecord {
public:
    RevertiveRecord(int32_t device, int32_t slot, const char* text) : bytes_{} {
        orvo_revertive_record fields{};
        fields.deviceNumber = device;
        fields.slotIndex = slot;
        std::memcpy(bytes_, &fields, offsetof(orvo_revertive_record, slotText));
        std::strncpy(reinterpret_cast<char*>(bytes_) + offsetof(orvo_revertive_record, slotText), text,
                     kTextRoom - 1);
    }
    void* data() { return bytes_; }
    const char* text() const {
        return reinterpret_cast<const char*>(bytes_) + offsetof(orvo_revertive_record, slotText);
    }
    int32_t slot() const {
        int32_t slot = 0;
        std::memcpy(&slot, bytes_ + offsetof(orvo_revertive_record, slotIndex), sizeof slot);
        return slot;
    }

private:
    static constexpr std::size_t kTextRoom = 32;
    alignas(
        orvo_revertive_record) unsigned char bytes_[offsetof(orvo_revertive_record, slotText) + kTextRoom];
};

// A press on one control, with the control's message parsed as the host parses it.
class ButtonPress {
public:
    ButtonPress(const char* panelId, const char* controlId, const char* message) : message_{}, record_{} {
        message_.parseCommand(message);
        record_.panelId = panelId;
        record_.controlId = controlId;
        record_.message = &message_;
    }
    ~ButtonPress() { message_.release(); }
    ButtonPress(const ButtonPress&) = delete;
    ButtonPress& operator=(const ButtonPress&) = delete;

    void* data() { return &record_; }

private:
    ParsedCommand message_;
    orvo_button_record record_;
};
