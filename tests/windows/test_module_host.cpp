// Corvane.dll as a Microsoft-built host uses it: loaded with LoadLibrary, the export found by its plain
// name, the panel created with a host object of the Microsoft layout, driven and deleted only through
// the raw entries of its table. On Windows this stands in for the dlopen test of the module.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "msvc_host.h"
#include "orvo_event_kind.h"
#include "orvo_host_records.h"
#include "parsed_command.h"

namespace {

using Lines = std::vector<std::string>;
using LoadScript = orvo_client_callback* (*)(orvo_host*, const char*);

class CorvaneDll : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = ::LoadLibraryA("Corvane.dll");
        ASSERT_NE(module_, nullptr) << "LoadLibrary failed: " << ::GetLastError();
        load = reinterpret_cast<LoadScript>(
            reinterpret_cast<void*>(::GetProcAddress(module_, "load_orvo_client_script")));
        ASSERT_NE(load, nullptr) << "no export load_orvo_client_script";
        recorder.captureDebug();
    }
    void TearDown() override {
        if (module_ != nullptr) {
            ::FreeLibrary(module_);
        }
    }

    // What went out since the last look: commands, hand-backs and debug lines, in order.
    Lines sent() {
        Lines lines = recorder.log();
        recorder.clear();
        return lines;
    }

    LoadScript load = nullptr;
    RecordingHost recorder;
    MsvcShapedHost host{recorder};

private:
    HMODULE module_ = nullptr;
};

TEST_F(CorvaneDll, APanelDrivenOnlyThroughRawEntriesAnswersEveryEventKindAndClosesOnHostDelete) {
    recorder.answer("SD 'ZaD SDI Router'", "3 0");
    recorder.answer("SD 'DAZ Tally Infodriver'", "7 0");
    orvo_client_callback* panel = load(host.hostObject(), "layouts");
    ASSERT_NE(panel, nullptr);
    Lines start = sent();
    ASSERT_FALSE(start.empty());
    EXPECT_EQ(start.front(), "PI '1' 'layouts/Vessa2540.orvo_ui'");
    EXPECT_EQ(start.back(), "ET 1 1000");

    // Kind 1: the information driver reports slot 181, the first row.
    alignas(orvo_revertive_record) unsigned char revertive[32] = {};
    const int32_t tally = 7;
    const int32_t slot = 181;
    std::memcpy(revertive + 0, &tally, sizeof tally);
    std::memcpy(revertive + 8, &slot, sizeof slot);
    std::memcpy(revertive + 16, "0", 2);
    EXPECT_EQ(hostNotify(panel, revertive, orvo_event_revertive), nullptr);
    EXPECT_EQ(sent().front(), "TP 'cell.0.1=000' '1' 'Mixer'");

    // Kind 2: the operator clicks row 3 of the Mixer list.
    recorder.answer("TG '1' 'Mixer' 'selectedindex'", "selectedindex=2");
    ParsedCommand message;
    message.parseCommand("selected");
    orvo_button_record button{0, 0, "1", "Mixer", &message};
    EXPECT_EQ(hostNotify(panel, &button, orvo_event_button), nullptr);
    message.release();
    EXPECT_EQ(sent(),
              (Lines{"TG '1' 'Mixer' 'selectedindex'", "release selectedindex=2", "CE '1' 'Deselect'"}));

    // Kinds 3 and 5: a parent request, its answer handed back.
    char* answer = hostNotify(panel, const_cast<char*>("_events"), orvo_event_parent);
    ASSERT_NE(answer, nullptr);
    EXPECT_STREQ(answer, "notify=*");
    EXPECT_EQ(hostNotify(panel, answer, orvo_event_release), nullptr);

    // Kind 4: the poll timer, with fifteen slots still unanswered; the debug line comes through
    // OutputDebugStringA.
    EXPECT_EQ(hostNotify(panel, orvo_data_from_integer(1), orvo_event_timer), nullptr);
    EXPECT_EQ(sent(), (Lines{"debug Corvane: Repeating poll of tally infodriver.", "IP 7 181 196"}));

    // Kinds 6 and 7, and kinds outside the contract: nothing happens.
    int32_t record = 0;
    for (int32_t kind :
         {int32_t{orvo_event_record}, int32_t{orvo_event_integer}, int32_t{0}, int32_t{8}, int32_t{-1}}) {
        EXPECT_EQ(hostNotify(panel, &record, kind), nullptr) << kind;
    }
    EXPECT_EQ(sent(), Lines{});

    hostDelete(panel, orvo_msvc_free_memory);
    EXPECT_EQ(sent(), (Lines{"IU 7", "AS"}));
    EXPECT_EQ(recorder.outstanding(), 0u);
    EXPECT_TRUE(recorder.handBackErrors().empty());
    EXPECT_EQ(recorder.badRequests(), 0);
    EXPECT_EQ(host.destructorCalls, 0);
}

TEST_F(CorvaneDll, APanelWithoutAHostObjectReportsTheMissingDevicesAndStillAnswers) {
    orvo_client_callback* panel = load(nullptr, nullptr);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(recorder.debugLines(), (Lines{"Corvane:: Failed to find SDI driver ID in Instances.xml",
                                            "Corvane:: Failed to find tally infodriver ID in Instances.xml"}));
    char* answer = hostNotify(panel, const_cast<char*>("return=all"), orvo_event_parent);
    ASSERT_NE(answer, nullptr);
    EXPECT_STREQ(answer, "myParam=");
    hostNotify(panel, answer, orvo_event_release);
    hostDelete(panel);
}

TEST_F(CorvaneDll, EachCallCreatesAnIndependentPanel) {
    orvo_client_callback* first = load(nullptr, "");
    orvo_client_callback* second = load(nullptr, "");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(hostNotify(first, const_cast<char*>("myParam=one"), orvo_event_parent), nullptr);
    char* answer = hostNotify(second, const_cast<char*>("return=all"), orvo_event_parent);
    ASSERT_NE(answer, nullptr);
    EXPECT_STREQ(answer, "myParam=");
    hostNotify(second, answer, orvo_event_release);
    hostDelete(first);
    hostDelete(second);
}

}  // namespace
