#include <gtest/gtest.h>

#include "host_records.h"
#include "orvo_event_kind.h"
#include "orvo_panel_testing.h"

TestedPanel::TestedPanel() {
    host.captureDebug();
    host.watchCallState();
}

TestedPanel::~TestedPanel() {
    close();
}

bool TestedPanel::createThroughExport(orvo_load_script_function entryPoint, const char* basePath,
                                      TestCallSite where) {
    host.setCallSite(where);
    host.beginCall("the export");
    try {
        panel.reset(entryPoint(host.door(), basePath));
    } catch (...) {
        host.endOfCall();
        host.breach(Fault::ExportThrew, "load_orvo_client_script threw an exception into the host");
        return false;
    }
    host.endOfCall();
    if (panel == nullptr) {
        host.breach(Fault::NoScript, "load_orvo_client_script answered null");
    }
    return panel != nullptr;
}

void TestedPanel::close(TestCallSite where) {
    if (panel != nullptr) {
        host.setCallSite(where);
        host.beginCall("the destructor");
        panel.reset();
        host.endOfCall();
        host.scriptDestroyed();
    }
}

char* TestedPanel::call(void* data, int32_t kind, const std::string& event) {
    if (panel == nullptr) {
        ADD_FAILURE() << "an event for a script that was not created or is closed";
        return nullptr;
    }
    host.beginCall(event);
    char* result = panel->notify(data, kind);
    host.endOfCall();
    host.returned(kind, result);
    return result;
}

char* TestedPanel::notify(void* data, int32_t kind, TestCallSite where) {
    host.setCallSite(where);
    return call(data, kind, "notify kind " + std::to_string(kind));
}

void TestedPanel::deliver(HostRecord record, const TestCallSite& where) {
    host.setCallSite(where);
    call(record.data(), record.kind(), record.event());
    // A script that kept a pointer into the record faults on its next read, and the kit names the event.
    record.seal();
}

void TestedPanel::button(const std::string& panelId, const std::string& controlId, const std::string& message,
                         TestCallSite where) {
    deliver(HostRecord::button(panelId, controlId, message, HostRecord::Guard::Pages), where);
}

void TestedPanel::revertive(int32_t device, int32_t slot, const std::string& text, TestCallSite where) {
    deliver(HostRecord::revertive(device, slot, text, HostRecord::Guard::Pages), where);
}

void TestedPanel::tick(int32_t timerId, TestCallSite where) {
    host.setCallSite(where);
    call(orvo_data_from_integer(timerId), orvo_event_timer, "tick " + std::to_string(timerId));
}

std::optional<std::string> TestedPanel::parentRequest(const std::string& request, TestCallSite where) {
    host.setCallSite(where);
    HostRecord text = HostRecord::parentRequest(request, HostRecord::Guard::Pages);
    char* answer = call(text.data(), text.kind(), text.event());
    text.seal();
    if (answer == nullptr) {
        return std::nullopt;
    }
    std::string copy(answer);
    call(answer, orvo_event_release, "release of the answer to " + text.event());
    return copy;
}

void TestedPanel::recordEvent(void* record, TestCallSite where) {
    host.setCallSite(where);
    call(record, orvo_event_record, "record event");
}

void TestedPanel::integerEvent(int32_t value, TestCallSite where) {
    host.setCallSite(where);
    call(orvo_data_from_integer(value), orvo_event_integer, "integer " + std::to_string(value));
}

std::vector<std::string> TestedPanel::sent() {
    std::vector<std::string> lines = host.log();
    host.clear();
    return lines;
}
