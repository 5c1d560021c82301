#include "panel_story.h"

#include "Corvane.h"

PanelStory::PanelStory(bool devicesFound, const char* basePath) {
    if (devicesFound) {
        host.answer("SD 'ZaD SDI Router'", std::to_string(ROUTER) + " 0");
        host.answer("SD 'DAZ Tally Infodriver'", std::to_string(TALLY) + " 0");
    }
    create<Corvane>(basePath);
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
    button(panelId, controlId, message);
}

void PanelStory::nameDest(int32_t dest, const char* name) {
    host.answer("RN " + std::to_string(ROUTER) + " 1 " + std::to_string(dest), name);
}

void PanelStory::report(int32_t slot, const std::string& text, int32_t device) {
    revertive(device, slot, text);
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
