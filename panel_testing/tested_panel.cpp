#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "orvo_event_kind.h"
#include "orvo_host_records.h"
#include "orvo_panel_testing.h"
#include "parsed_command.h"

TestedPanel::TestedPanel() {
    host.captureDebug();
}

TestedPanel::~TestedPanel() {
    close();
}

bool TestedPanel::createThroughExport(orvo_load_script_function entryPoint, const char* basePath) {
    panel.reset(entryPoint(&host, basePath));
    host.endOfCall();
    EXPECT_NE(panel, nullptr) << "load_orvo_client_script answered null";
    return panel != nullptr;
}

void TestedPanel::close() {
    if (panel != nullptr) {
        panel.reset();
        host.endOfCall();
    }
}

char* TestedPanel::notify(void* data, int32_t kind) {
    if (panel == nullptr) {
        ADD_FAILURE() << "an event for a script that was not created or is closed";
        return nullptr;
    }
    char* result = panel->notify(data, kind);
    host.endOfCall();
    return result;
}

void TestedPanel::button(const std::string& panelId, const std::string& controlId,
                         const std::string& message) {
    // The host's parse of the message follows the same rules as the script's own parser.
    ParsedCommand parsed;
    parsed.parseCommand(message.c_str());
    orvo_button_record record{0, 0, panelId.c_str(), controlId.c_str(), &parsed};
    notify(&record, orvo_event_button);
    parsed.release();
}

void TestedPanel::revertive(int32_t device, int32_t slot, const std::string& text) {
    // Exactly as long as the host's record: the text ends the record.
    const size_t size = offsetof(orvo_revertive_record, slotText) + text.size() + 1;
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[size]());
    std::memcpy(bytes.get() + offsetof(orvo_revertive_record, deviceNumber), &device, sizeof device);
    std::memcpy(bytes.get() + offsetof(orvo_revertive_record, slotIndex), &slot, sizeof slot);
    std::memcpy(bytes.get() + offsetof(orvo_revertive_record, slotText), text.c_str(), text.size() + 1);
    notify(bytes.get(), orvo_event_revertive);
}

void TestedPanel::tick(int32_t timerId) {
    notify(orvo_data_from_integer(timerId), orvo_event_timer);
}

std::optional<std::string> TestedPanel::parentRequest(const std::string& request) {
    std::unique_ptr<char[]> text(new char[request.size() + 1]);
    std::memcpy(text.get(), request.c_str(), request.size() + 1);
    char* answer = notify(text.get(), orvo_event_parent);
    if (answer == nullptr) {
        return std::nullopt;
    }
    std::string copy(answer);
    notify(answer, orvo_event_release);
    return copy;
}

void TestedPanel::recordEvent(void* record) {
    notify(record, orvo_event_record);
}

void TestedPanel::integerEvent(int32_t value) {
    notify(orvo_data_from_integer(value), orvo_event_integer);
}

std::vector<std::string> TestedPanel::sent() {
    std::vector<std::string> lines = host.log();
    host.clear();
    return lines;
}
