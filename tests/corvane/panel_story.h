// PanelStory: one Corvane panel on the test kit's TestedPanel, driven the way the operator and the host
// drive it, so a test reads as the operator's story: chooseRow(3); pickDest(12); press("Select").
//
// The kit builds every record as the host does and checks the host contract after each call; the story
// adds Corvane's devices, controls and the traffic they bring. sent() answers what went out since the
// last look: commands, hand-backs ("release ...") and debug lines ("debug ..."), in order.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvo_panel_testing.h"

using Lines = std::vector<std::string>;

class PanelStory : public TestedPanel {
public:
    static constexpr int32_t ROUTER = 3;  // the device number the host gives the SDI router
    static constexpr int32_t TALLY = 7;   // the device number the host gives the tally information driver

    // Starts a panel. With `devicesFound` false the host knows neither instance name.
    explicit PanelStory(bool devicesFound = true, const char* basePath = "");

    // --- The operator ------------------------------------------------------------------------------
    // Clicks list row `row` (1 to 16): the list then reports selectedindex row - 1.
    void chooseRow(int32_t row);
    // Clicks the Mixer list, which answers the selectedindex read with `answer` (nullopt: no answer).
    void clickMixer(std::optional<std::string> answer);
    void pickDest(int32_t dest);
    void press(const char* button);
    // Any control event, from any panel.
    void event(const char* panelId, const char* controlId, const char* message);

    // --- The host ----------------------------------------------------------------------------------
    // The router's database 1 names destination `dest` (unnamed destinations answer null).
    void nameDest(int32_t dest, const char* name);
    // The information driver reports slot `slot`.
    void report(int32_t slot, const std::string& text, int32_t device = TALLY);
    // A parent request; a text answer is read and handed back with kind 5.
    std::optional<std::string> ask(const char* request) { return parentRequest(request); }
};

// --- Expected traffic ----------------------------------------------------------------------------------
Lines join(std::initializer_list<Lines> parts);
// Redrawing list row `row`: cell 1 shows `number`, then `lookup` (the name lookup, if any), then cell 2
// shows `name` and cell 3 `mark`.
Lines redraw(int32_t row, const std::string& number, const Lines& lookup, const std::string& name,
             const std::string& mark);
// The router lookup of a destination's name, answered with `answer` (nullptr: no name) and handed back.
Lines nameLookup(int32_t dest, const char* answer);
// The pickers cleared and Select and Deselect disabled after every action.
Lines selectionReset();

// Every answer the host gave was handed back exactly once, and nothing else came back.
void expectHandBacksBalanced(const RecordingHost& host);

// A panel that has started with both devices found; its start-up traffic is already looked at.
class StartedPanel : public ::testing::Test {
protected:
    void SetUp() override { story.sent(); }
    void TearDown() override {
        story.close();
        expectHandBacksBalanced(story.host);
    }
    PanelStory story;
};
