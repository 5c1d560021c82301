#include "exported_panel.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>

#include "button_message.h"
#include "host_records.h"
#include "orvo_event_kind.h"
#include "orvo_host_records.h"

extern "C" orvo_client_callback* load_orvo_client_script(orvo_host* host, const char* basePath);

namespace {

std::unique_ptr<char[]> heapText(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const size_t size = std::strlen(text) + 1;
    std::unique_ptr<char[]> copy(new char[size]);
    std::memcpy(copy.get(), text, size);
    return copy;
}

}  // namespace

ExportedPanel::ExportedPanel(std::optional<std::string> tallyAnswer,
                             std::optional<std::string> routerAnswer) {
    host.captureDebug();
    host.answer("SD 'ZaD SDI Router'", std::move(routerAnswer));
    host.answer("SD 'DAZ Tally Infodriver'", std::move(tallyAnswer));
    host.answer("TG '1' 'Mixer' 'selectedindex'", "selectedindex=2");
    panel = load_orvo_client_script(&host, "");
}

ExportedPanel::~ExportedPanel() {
    close();
}

char* ExportedPanel::button(const char* panelId, const char* controlId, const ParsedCommand* message) {
    std::unique_ptr<char[]> panelText = heapText(panelId);
    std::unique_ptr<char[]> controlText = heapText(controlId);
    std::unique_ptr<orvo_button_record> record(
        new orvo_button_record{-1, -1, panelText.get(), controlText.get(), message});
    return notify(record.get(), orvo_event_button);
}

char* ExportedPanel::button(const char* panelId, const char* controlId, const char* message) {
    if (message == nullptr) {
        return button(panelId, controlId, static_cast<const ParsedCommand*>(nullptr));
    }
    const ButtonMessage parsed(message);  // cut by the host's reader, not the script's parser
    return button(panelId, controlId, parsed.parsed());
}

void ExportedPanel::chooseRow3() {
    button("1", "Mixer", "selected");
}

void ExportedPanel::press(const char* control) {
    button("1", control, "pressed");
}

char* ExportedPanel::report(int32_t device, int32_t slot, const std::string& text) {
    const HostRecord record = HostRecord::revertive(device, slot, text);
    return notify(record.data(), orvo_event_revertive);
}

std::optional<std::string> ExportedPanel::ask(const char* request) {
    std::unique_ptr<char[]> text = heapText(request);
    char* answer = notify(text.get(), orvo_event_parent);
    if (answer == nullptr) {
        return std::nullopt;
    }
    std::string copy(answer);
    notify(answer, orvo_event_release);
    return copy;
}

char* ExportedPanel::notify(void* data, int32_t kind) {
    return panel->notify(data, kind);
}

Lines ExportedPanel::sent() {
    Lines lines = host.log();
    host.clear();
    return lines;
}

void ExportedPanel::close() {
    delete panel;
    panel = nullptr;
}

ParsedCommand carelessMessage(const char* command, const char* value, int32_t subWordCount) {
    ParsedCommand message;
    std::memset(&message, 0,
                sizeof message);  // sub-words and the owned copy null, as a careless host leaves them
    message.command = command;
    message.value = value;
    message.subWordCount = subWordCount;
    message.hasValue = value != nullptr ? 1 : 0;
    return message;
}

void expectHandBacksBalanced(const RecordingHost& host) {
    EXPECT_EQ(host.outstanding(), 0u);
    EXPECT_TRUE(host.handBackErrors().empty());
    EXPECT_EQ(host.badRequests(), 0);
}
