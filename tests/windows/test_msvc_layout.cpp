// A script as a Microsoft-built host meets it: entry 0 of its table is the scalar deleting destructor,
// entry 1 notify(), and the host object's request() is entry 1 of the host's table.
#include <gtest/gtest.h>

#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "msvc_host.h"
#include "orvo_event_kind.h"
#include "orvo_host_records.h"
#include "parsed_command.h"
#include "test_script.h"

namespace {

// Counts its own destruction and the freeing of its memory, so a test sees both halves of a delete.
class CountedScript : public TestScript {
public:
    CountedScript(orvo_host* host, int* destroyed) : TestScript(host, ""), destroyed_(destroyed) {}
    ~CountedScript() override { ++*destroyed_; }

    static void* operator new(std::size_t size) { return ::operator new(size); }
    static void* operator new(std::size_t, void* storage) { return storage; }
    static void operator delete(void* memory) {
        ++freed;
        ::operator delete(memory);
    }
    static int freed;

private:
    int* destroyed_;
};
int CountedScript::freed = 0;

class MsvcLayout : public ::testing::Test {
protected:
    void SetUp() override { CountedScript::freed = 0; }

    RecordingHost recorder;
    MsvcShapedHost host{recorder};
    int destroyed = 0;
};

TEST_F(MsvcLayout, HostDeleteThroughEntryZeroDestroysTheWholeScriptAndFreesIt) {
    orvo_client_callback* script = new CountedScript(host.hostObject(), &destroyed);
    EXPECT_EQ(hostDelete(script, orvo_msvc_free_memory), static_cast<void*>(script));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(CountedScript::freed, 1);
    // The helper base's destructor ran last and sent its closing command through the host's entry 1.
    EXPECT_EQ(recorder.commands(), std::vector<std::string>{"AS"});
    EXPECT_EQ(host.destructorCalls, 0);
}

TEST_F(MsvcLayout, EntryZeroWithoutTheFreeBitDestroysButKeepsTheMemory) {
    alignas(CountedScript) unsigned char storage[sizeof(CountedScript)];
    orvo_client_callback* script = new (storage) CountedScript(host.hostObject(), &destroyed);
    hostDelete(script, 0);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(CountedScript::freed, 0);
    EXPECT_EQ(recorder.commands(), std::vector<std::string>{"AS"});
}

TEST_F(MsvcLayout, OurOwnDeleteThroughTheInterfaceStillDestroysTheWholeScript) {
    orvo_client_callback* script = new CountedScript(host.hostObject(), &destroyed);
    delete script;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(CountedScript::freed, 1);
    EXPECT_EQ(recorder.commands(), std::vector<std::string>{"AS"});
}

TEST_F(MsvcLayout, EntryOneIsNotifyForEveryEventKind) {
    auto* script = new CountedScript(host.hostObject(), &destroyed);

    alignas(orvo_revertive_record) unsigned char revertive[32] = {};
    revertive[0] = 9;   // device 9
    revertive[8] = 42;  // slot 42
    revertive[16] = 'x';
    ParsedCommand message;
    message.parseCommand("pressed");
    orvo_button_record button{0, 0, "1", "Select", &message};
    int32_t record = 0;

    struct Case {
        int32_t kind;
        void* data;
        std::vector<std::string> calls;  // handler calls the event must make, in order
    };
    const Case cases[] = {
        {orvo_event_revertive, revertive, {"revertive 9 42 x"}},
        {orvo_event_button, &button, {"button 1 Select pressed="}},
        {orvo_event_timer, orvo_data_from_integer(3), {"timer 3"}},
        {orvo_event_release, nullptr, {}},
        {orvo_event_record, &record, {"record"}},
        {orvo_event_integer, orvo_data_from_integer(-5), {"integer -5"}},
        {0, &record, {}},
        {8, &record, {}},
        {-1, &record, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        script->calls.clear();
        EXPECT_EQ(hostNotify(script, c.data, c.kind), nullptr);
        EXPECT_EQ(script->calls, c.calls);
    }
    message.release();

    // A parent request answers with a text the host hands back through the same entry.
    script->answer = "notify=*";
    char* answer = hostNotify(script, const_cast<char*>("_events"), orvo_event_parent);
    ASSERT_NE(answer, nullptr);
    EXPECT_STREQ(answer, "notify=*");
    EXPECT_EQ(hostNotify(script, answer, orvo_event_release), nullptr);

    hostDelete(script);
    EXPECT_EQ(destroyed, 1);
    EXPECT_TRUE(recorder.handBackErrors().empty());
    EXPECT_EQ(host.destructorCalls, 0);
}

TEST_F(MsvcLayout, CommandsReachTheHostThroughItsSecondEntryWithTheirAnswers) {
    recorder.answer("TG '1' 'Mixer' 'value'", "value=12");
    auto* script = new CountedScript(host.hostObject(), &destroyed);
    orvo_string text;
    script->textGet("value", "1", "Mixer", text);
    EXPECT_STREQ(text.c_str(), "12");
    hostDelete(script);
    EXPECT_EQ(recorder.log(), (std::vector<std::string>{"TG '1' 'Mixer' 'value'", "release value=12", "AS"}));
    EXPECT_EQ(recorder.outstanding(), 0u);
    EXPECT_EQ(host.destructorCalls, 0);
}

}  // namespace
