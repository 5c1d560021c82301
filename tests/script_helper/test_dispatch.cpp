// How host events reach a script's handlers, and what notify() gives back.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "counting_allocator.h"
#include "host_records.h"
#include "orvo_event_kind.h"
#include "orvo_host_records.h"
#include "recording_host.h"
#include "test_script.h"

namespace {

TEST(Dispatch, EachKindReachesItsHandler) {
    RecordingHost host;
    TestScript script(&host, "");

    const HostRecord revertive = HostRecord::revertive(7, 183, "12");
    EXPECT_EQ(script.notify(revertive.data(), orvo_event_revertive), nullptr);
    const HostRecord button = HostRecord::button("1", "Dest", "index=12");
    EXPECT_EQ(script.notify(button.data(), orvo_event_button), nullptr);

    EXPECT_EQ(script.notify(orvo_data_from_integer(1), orvo_event_timer), nullptr);
    EXPECT_EQ(script.notify(orvo_data_from_integer(-5), orvo_event_timer), nullptr);
    int record = 0;
    EXPECT_EQ(script.notify(&record, orvo_event_record), nullptr);
    EXPECT_EQ(script.notify(orvo_data_from_integer(INT_MIN), orvo_event_integer), nullptr);
    char request[] = "myParam=5";
    EXPECT_EQ(script.notify(request, orvo_event_parent), nullptr);  // empty answer

    std::vector<std::string> expected = {
        "revertive 7 183 12",  "button 1 Dest index=12", "timer 1", "timer -5", "record",
        "integer -2147483648", "parent myParam=5",
    };
    EXPECT_EQ(script.calls, expected);
    EXPECT_TRUE(host.commands().empty());
}

TEST(Dispatch, KindsOutsideOneToSevenCallNoHandler) {
    RecordingHost host;
    TestScript script(&host, "");
    int dummy = 0;
    for (int32_t kind : {0, 8, -1, 100, INT_MIN, INT_MAX}) {
        EXPECT_EQ(script.notify(&dummy, kind), nullptr) << kind;
    }
    EXPECT_TRUE(script.calls.empty());
    EXPECT_TRUE(host.commands().empty());
}

TEST(Dispatch, TimerIdIsTheLow32BitsOfThePointerValue) {
    TestScript script(nullptr, "");
    // A 64-bit host may sign-extend a negative id into the pointer; the id is the same either way.
    script.notify(reinterpret_cast<void*>(static_cast<intptr_t>(-2)), orvo_event_timer);
    script.notify(orvo_data_from_integer(INT_MAX), orvo_event_timer);
    EXPECT_EQ(script.calls, (std::vector<std::string>{"timer -2", "timer 2147483647"}));
}

TEST(Dispatch, NullRecordsReadAsEmpty) {
    TestScript script(nullptr, "");
    script.notify(nullptr, orvo_event_revertive);
    script.notify(nullptr, orvo_event_button);
    script.notify(nullptr, orvo_event_parent);
    script.notify(nullptr, orvo_event_record);
    orvo_button_record nulls{0, 0, nullptr, nullptr, nullptr};
    script.notify(&nulls, orvo_event_button);
    EXPECT_EQ(script.calls, (std::vector<std::string>{
                                "revertive 0 0 ", "button   =", "parent =", "record null", "button   ="}));
}

TEST(Dispatch, ParentRequestAnswerIsACopyTheHostReleases) {
    TestScript script(nullptr, "");
    script.answer = "myParam=abc";
    char request[] = "return=all";
    char* first = script.notify(request, orvo_event_parent);
    char* second = script.notify(request, orvo_event_parent);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_STREQ(first, "myParam=abc");
    EXPECT_STREQ(second, "myParam=abc");
    EXPECT_EQ(script.notify(first, orvo_event_release), nullptr);
    EXPECT_STREQ(second, "myParam=abc");  // releasing one leaves the other intact
    EXPECT_EQ(script.notify(second, orvo_event_release), nullptr);
    EXPECT_EQ(script.calls, (std::vector<std::string>{"parent return=all", "parent return=all"}));
}

TEST(Dispatch, EmptyParentAnswerReachesTheHostAsNull) {
    TestScript script(nullptr, "");
    script.answer = "";
    char request[] = "return";
    EXPECT_EQ(script.notify(request, orvo_event_parent), nullptr);
}

TEST(Dispatch, LongParentAnswerIsCopiedWhole) {
    TestScript script(nullptr, "");
    script.answer = std::string(1 << 20, 'x');
    std::string request(1 << 20, 'r');
    char* answer = script.notify(&request[0], orvo_event_parent);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(std::strlen(answer), size_t{1} << 20);
    script.notify(answer, orvo_event_release);
}

TEST(Dispatch, ReleaseOfNullOrForeignOrRepeatedPointerIsIgnored) {
    RecordingHost host;
    host.captureDebug();
    TestScript script(&host, "");
    EXPECT_EQ(script.notify(nullptr, orvo_event_release), nullptr);

    char foreign[] = "not ours";
    EXPECT_EQ(script.notify(foreign, orvo_event_release), nullptr);
    EXPECT_STREQ(foreign, "not ours");

    script.answer = "x";
    char request[] = "q";
    char* answer = script.notify(request, orvo_event_parent);
    script.notify(answer, orvo_event_release);
    script.notify(answer, orvo_event_release);  // a second release must not free it again
    const std::string ignored = "notify: ignored the release of a text this script does not hold";
    EXPECT_EQ(host.debugLines(), (std::vector<std::string>{ignored, ignored}));
    EXPECT_TRUE(host.commands().empty());
}

TEST(Dispatch, ManyHeldAnswersAreTakenBackInAnyOrder) {
    RecordingHost host;
    host.captureDebug();
    TestScript script(&host, "");
    char request[] = "q";
    std::vector<char*> held;
    for (int i = 0; i < 3000; ++i) {
        script.answer = std::string(1 + i * 37 % 300, 'x');  // blocks of many sizes lie scattered in memory
        held.push_back(script.notify(request, orvo_event_parent));
    }
    // Every seventh, from the middle out and round again: runs of neighbours and jumps across the record.
    std::vector<char*> order;
    for (size_t step = 0; step < held.size(); ++step) {
        order.push_back(held[(1500 + step * 7) % held.size()]);
    }
    for (char* answer : order) {
        script.notify(answer, orvo_event_release);
    }
    EXPECT_TRUE(host.debugLines().empty());  // each one was found
    script.notify(order[0], orvo_event_release);
    EXPECT_EQ(host.debugLines().size(), 1u);  // and taken back only once
}

TEST(Dispatch, AnswersNeverHandedBackAreFreedWithTheScript) {
    const int64_t liveBefore = orvo_test::blocksLive;
    auto* script = new TestScript(nullptr, "");
    script->answer = "kept";
    char request[] = "q";
    ASSERT_NE(script->notify(request, orvo_event_parent), nullptr);
    ASSERT_NE(script->notify(request, orvo_event_parent), nullptr);
    ASSERT_GT(orvo_test::blocksLive, liveBefore);
    delete script;
    EXPECT_EQ(orvo_test::blocksLive, liveBefore);
}

TEST(Dispatch, FailureInsideAHandlerDropsOnlyThatEvent) {
    RecordingHost host;
    TestScript script(&host, "");
    script.failInHandler = true;
    script.answer = "answer";
    char request[] = "return=all";
    EXPECT_EQ(script.notify(request, orvo_event_parent), nullptr);
    EXPECT_EQ(script.notify(orvo_data_from_integer(1), orvo_event_timer), nullptr);
    const HostRecord revertive = HostRecord::revertive(1, 2, "x");
    EXPECT_EQ(script.notify(revertive.data(), orvo_event_revertive), nullptr);

    script.failInHandler = false;
    char* answer = script.notify(request, orvo_event_parent);
    ASSERT_NE(answer, nullptr);
    EXPECT_STREQ(answer, "answer");
    script.notify(answer, orvo_event_release);
}

TEST(Dispatch, ADroppedEventSaysWhyInOneDebugLine) {
    struct Case {
        int32_t kind;
        bool nonStd;  // the handler throws something that is no std::exception
        const char* line;
    };
    const Case cases[] = {
        {orvo_event_revertive, false, "notify: dropped a kind-1 event: std::bad_alloc"},
        {orvo_event_button, true, "notify: dropped a kind-2 event: unknown error"},
        {orvo_event_parent, false, "notify: dropped a kind-3 event: std::bad_alloc"},
        {orvo_event_timer, true, "notify: dropped a kind-4 event: unknown error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        RecordingHost host;
        host.captureDebug();
        TestScript script(&host, "");
        script.failInHandler = true;
        script.failWithNonStd = c.nonStd;
        script.answer = "answer";
        char request[] = "return=all";
        void* data = c.kind == orvo_event_parent  ? static_cast<void*>(request)
                     : c.kind == orvo_event_timer ? orvo_data_from_integer(1)
                                                  : nullptr;
        EXPECT_EQ(script.notify(data, c.kind), nullptr);
        EXPECT_EQ(host.debugLines(), std::vector<std::string>{c.line});
    }
}

TEST(Lifecycle, DestructorSendsASAsTheLastCommand) {
    RecordingHost host;
    {
        TestScript script(&host, "layouts");
        script.controlEnable("1", "Select");
    }
    EXPECT_EQ(host.commands(), (std::vector<std::string>{"CE '1' 'Select'", "AS"}));
}

TEST(Lifecycle, WithoutAHostNothingIsSentAndBasePathIsKept) {
    TestScript script(nullptr, nullptr);
    EXPECT_EQ(script.path().length(), 0);
    TestScript withPath(nullptr, "C:/panels");
    EXPECT_STREQ(withPath.path().c_str(), "C:/panels");
}

}  // namespace
