#include "panel_story.h"

#include <cstring>

#include "Corvane.h"
#include "orvo_event_kind.h"
#include "orvo_host_records.h"
#include "parsed_command.h"

PanelStory::PanelStory(bool devicesFound, const char* basePath) {
    host.captureDebug();
    if (devicesFound) {
        host.answer("SD 'ZaD SDI Router'", std::to_string(ROUTER) + " 0");
        host.answer("SD 'DAZ Tally Infodriver'", std::to_string(TALLY) + " 0");
    }
    panel.reset(new Corvane(&host, basePath));
}

void PanelStory::chooseRow(int32_t row) {
    clickMixer("selectedindex=" + std::to_string(row - 1));
}

void PanelStory::clickMixer(std::optional<std::string> answer) {
    host.answer("TG '1' 'Mixer' 'selectedindex'", std::move(answer));
    event("1", "Mixer", "selected");
}

void PanelStory::pickDest(int32_t dest) {
    event("1", "Dest", ("index=" + std::to_string(dest)).c_str());
}

void PanelStory::press(const char* button) {
    event("1", button, "pressed");
}

void PanelStory::event(const char* panelId, const char* controlId, const char* message) {
    ParsedCommand parsed;
    parsed.parseCommand(message);
    orvo_button_record record{0, 0, panelId, controlId, &parsed};
    panel->notify(&record, orvo_event_button);
    parsed.release();
}

void PanelStory::nameDest(int32_t dest, const char* name) {
    host.answer("RN " + std::to_string(ROUTER) + " 1 " + std::to_string(dest), name);
}

void PanelStory::report(int32_t slot, const std::string& text, int32_t device) {
    // The host's record: device at 0, slot at 8, the text stored in the record from offset 16.
    alignas(orvo_revertive_record) unsigned char record[16 + 64] = {};
    ASSERT_LT(text.size(), sizeof record - 16);
    std::memcpy(record + 0, &device, sizeof device);
    std::memcpy(record + 8, &slot, sizeof slot);
    std::memcpy(record + 16, text.c_str(), text.size() + 1);
    panel->notify(record, orvo_event_revertive);
}

void PanelStory::tick(int32_t timerId) {
    panel->notify(orvo_data_from_integer(timerId), orvo_event_timer);
}

std::optional<std::string> PanelStory::ask(const char* request) {
    char* answer = panel->notify(const_cast<char*>(request), orvo_event_parent);
    if (answer == nullptr) {
        return std::nullopt;
    }
    std::string text(answer);
    panel->notify(answer, orvo_event_release);
    return text;
}

void PanelStory::close() {
    panel.reset();
}

Lines PanelStory::sent() {
    Lines lines = host.log();
    host.clear();
    return lines;
}

Lines join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Lines redraw(int32_t row, const std::string& number, const Lines& lookup, const std::string& name,
             const std::string& mark) {
    const std::string cell = "TP 'cell." + std::to_string(row - 1);
    return join({{cell + ".1=" + number + "' '1' 'Mixer'"},
                 lookup,
                 {cell + ".2=" + name + "' '1' 'Mixer'", cell + ".3=" + mark + "' '1' 'Mixer'"}});
}

Lines nameLookup(int32_t dest, const char* answer) {
    return {"RN " + std::to_string(PanelStory::ROUTER) + " 1 " + std::to_string(dest),
            answer != nullptr ? std::string("release ") + answer : "release null"};
}

Lines selectionReset() {
    return {"TP 'clearSelection' '1' 'Mixer'", "TP 'index=-1' '1' 'Dest'", "CD '1' 'Select'",
            "CD '1' 'Deselect'"};
}

void expectHandBacksBalanced(const RecordingHost& host) {
    EXPECT_EQ(host.outstanding(), 0u);
    EXPECT_TRUE(host.handBackErrors().empty());
    EXPECT_EQ(host.badRequests(), 0);
}
