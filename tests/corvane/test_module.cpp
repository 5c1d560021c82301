// The built module as the host uses it: opened with dlopen, the export resolved by name, the script
// created, driven through notify and deleted through its interface.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "host_records.h"
#include "orvo_client_callback.h"
#include "orvo_event_kind.h"
#include "orvo_host.h"
#include "recording_host.h"

namespace {

using LoadScript = orvo_client_callback* (*)(orvo_host*, const char*);

class CorvaneModule : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = dlopen(CORVANE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module_, nullptr) << dlerror();
        load = reinterpret_cast<LoadScript>(dlsym(module_, "load_orvo_client_script"));
        ASSERT_NE(load, nullptr) << dlerror();
    }
    void TearDown() override {
        if (module_ != nullptr) {
            dlclose(module_);
        }
    }

    LoadScript load = nullptr;

private:
    void* module_ = nullptr;
};

TEST_F(CorvaneModule, CreatesAPanelThatAnswersTheHostAndClosesOnDelete) {
    RecordingHost host;
    host.answer("SD 'DAZ Tally Infodriver'", "7 0");
    orvo_client_callback* panel = load(&host, "layouts");
    ASSERT_NE(panel, nullptr);
    ASSERT_FALSE(host.commands().empty());
    EXPECT_EQ(host.commands().front(), "PI '1' 'layouts/Vessa2540.orvo_ui'");
    EXPECT_EQ(host.commands().back(), "ET 1 1000");
    host.clear();

    const HostRecord record = HostRecord::revertive(7, 181, "0");
    EXPECT_EQ(panel->notify(record.data(), orvo_event_revertive), nullptr);
    EXPECT_EQ(host.commands().front(), "TP 'cell.0.1=000' '1' 'Mixer'");

    char* answer = panel->notify(const_cast<char*>("_events"), orvo_event_parent);
    ASSERT_NE(answer, nullptr);
    EXPECT_STREQ(answer, "notify=*");
    EXPECT_EQ(panel->notify(answer, orvo_event_release), nullptr);

    host.clear();
    delete panel;
    EXPECT_EQ(host.commands(), (std::vector<std::string>{"IU 7", "AS"}));
    EXPECT_EQ(host.outstanding(), 0u);
    EXPECT_TRUE(host.handBackErrors().empty());
}

TEST_F(CorvaneModule, RunsWithoutAHostObjectOrBasePath) {
    orvo_client_callback* panel = load(nullptr, nullptr);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->notify(orvo_data_from_integer(1), orvo_event_timer), nullptr);
    char* answer = panel->notify(const_cast<char*>("return=all"), orvo_event_parent);
    ASSERT_NE(answer, nullptr);
    EXPECT_STREQ(answer, "myParam=");
    panel->notify(answer, orvo_event_release);
    delete panel;
}

TEST_F(CorvaneModule, EachCallCreatesAnIndependentPanel) {
    orvo_client_callback* first = load(nullptr, "");
    orvo_client_callback* second = load(nullptr, "");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->notify(const_cast<char*>("myParam=one"), orvo_event_parent), nullptr);
    char* answer = second->notify(const_cast<char*>("return=all"), orvo_event_parent);
    ASSERT_NE(answer, nullptr);
    EXPECT_STREQ(answer, "myParam=");
    second->notify(answer, orvo_event_release);
    delete first;
    delete second;
}

}  // namespace
