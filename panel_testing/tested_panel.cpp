#include <gtest/gtest.h>

#include "host_records.h"
#include "orvo_event_kind.h"
#include "orvo_panel_testing.h"

TestedPanel::TestedPanel() {
    host.captureDebug();
}

TestedPanel::~TestedPanel() {
    close();
}

bool TestedPanel::createThroughExport(orvo_load_script_function entryPoint, const char* basePath) {
    host.beginCall();
    panel.reset(entryPoint(&host, basePath));
    host.endOfCall();
    EXPECT_NE(panel, nullptr) << "load_orvo_client_script answered null";
    return panel != nullptr;
}

void TestedPanel::close() {
    if (panel != nullptr) {
        host.beginCall();
        panel.reset();
        host.endOfCall();
    }
}

char* TestedPanel::notify(void* data, int32_t kind) {
    if (panel == nullptr) {
        ADD_FAILURE() << "an event for a script that was not created or is closed";
        return nullptr;
    }
    host.beginCall();
    char* result = panel->notify(data, kind);
    host.endOfCall();
    return result;
}

void TestedPanel::deliver(HostRecord record) {
    notify(record.data(), record.kind());
    // A script that kept a pointer into the record faults on its next read, and the kit names the event.
    record.seal();
}

void TestedPanel::button(const std::string& panelId, const std::string& controlId,
                         const std::string& message) {
    deliver(HostRecord::button(panelId, controlId, message, HostRecord::Guard::Pages));
}

void TestedPanel::revertive(int32_t device, int32_t slot, const std::string& text) {
    deliver(HostRecord::revertive(device, slot, text, HostRecord::Guard::Pages));
}

void TestedPanel::tick(int32_t timerId) {
    notify(orvo_data_from_integer(timerId), orvo_event_timer);
}

std::optional<std::string> TestedPanel::parentRequest(const std::string& request) {
    HostRecord text = HostRecord::parentRequest(request, HostRecord::Guard::Pages);
    char* answer = notify(text.data(), text.kind());
    text.seal();
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
