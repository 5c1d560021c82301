#include "host_records.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "button_message.h"
#include "orvo_event_kind.h"
#include "orvo_host_records.h"

namespace {

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Rounds an offset up so that what is placed there is aligned for any record field.
size_t aligned(size_t offset) {
    const size_t align = alignof(std::max_align_t);
    return (offset + align - 1) / align * align;
}

}  // namespace

HostRecord::HostRecord(size_t size, size_t alignment, Guard guard, int32_t kind, std::string event)
    : pages_(std::make_unique<RecordPages>(size, alignment, guard == Guard::Pages, event)),
      data_(pages_->data()),
      kind_(kind),
      event_(std::move(event)) {}

HostRecord HostRecord::revertive(int32_t device, int32_t slot, const std::string& text, Guard guard) {
    // Exactly as long as the host's record: the text ends it.
    const size_t size = offsetof(orvo_revertive_record, slotText) + text.size() + 1;
    HostRecord record(
        size, alignof(orvo_revertive_record), guard, orvo_event_revertive,
        "revertive " + std::to_string(device) + " " + std::to_string(slot) + " " + quoted(text));
    char* bytes = static_cast<char*>(record.data_);
    std::memcpy(bytes + offsetof(orvo_revertive_record, deviceNumber), &device, sizeof device);
    std::memcpy(bytes + offsetof(orvo_revertive_record, slotIndex), &slot, sizeof slot);
    std::memcpy(bytes + offsetof(orvo_revertive_record, slotText), text.c_str(), text.size() + 1);
    return record;
}

HostRecord HostRecord::button(const std::string& panelId, const std::string& controlId,
                              const std::string& message, Guard guard) {
    // One block: the record, the parsed message, then the texts they point into.
    const size_t parsedAt = aligned(sizeof(orvo_button_record));
    const size_t panelAt = parsedAt + sizeof(ParsedCommand);
    const size_t controlAt = panelAt + panelId.size() + 1;
    const size_t messageAt = controlAt + controlId.size() + 1;
    const size_t size = messageAt + message.size() + 1;
    HostRecord record(size, alignof(std::max_align_t), guard, orvo_event_button,
                      "button " + panelId + " " + controlId + " " + quoted(message));
    char* bytes = static_cast<char*>(record.data_);
    std::memcpy(bytes + panelAt, panelId.c_str(), panelId.size() + 1);
    std::memcpy(bytes + controlAt, controlId.c_str(), controlId.size() + 1);
    std::memcpy(bytes + messageAt, message.c_str(), message.size() + 1);
    auto* parsed = new (bytes + parsedAt) ParsedCommand;
    cutButtonMessage(bytes + messageAt, *parsed);
    auto* button = new (bytes) orvo_button_record{};
    button->panelId = bytes + panelAt;
    button->controlId = bytes + controlAt;
    button->message = parsed;
    return record;
}

HostRecord HostRecord::parentRequest(const std::string& request, Guard guard) {
    HostRecord record(request.size() + 1, 1, guard, orvo_event_parent, "parent request " + quoted(request));
    std::memcpy(record.data_, request.c_str(), request.size() + 1);
    return record;
}
