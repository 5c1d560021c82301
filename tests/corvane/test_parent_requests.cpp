// The host's parameter requests and the panel's answers.
#include <gtest/gtest.h>

#include "orvo_event_kind.h"
#include "panel_story.h"

namespace {

TEST(CorvaneParentRequests, AnswerAndSetTheParameters) {
    struct Case {
        std::vector<const char*> before;  // requests sent first; each answers nothing
        const char* request;
        std::optional<std::string> answer;
    };
    const Case cases[] = {
        {{}, "return=all", "myParam="},
        {{"myParam=abc"}, "return=all", "myParam=abc"},
        {{"myParam=abc"}, "return=myParam", "myParam=abc"},
        {{"myParam=abc"}, "return.x=all", "myParam=abc"},
        {{"myParam=abc", "myParam"}, "return=all", "myParam="},
        {{"myParam=a=b"}, "return=myParam", "myParam=a=b"},
        {{"myParam=1.5"}, "return=all", "myParam=1.5"},
        {{"myParam.x.y=5"}, "return=all", "myParam=5"},
        {{"myParam=%2%1"}, "return=myParam", "myParam=%2%1"},
        {{"myParam=abc", "instance=cam2", "instance=cam2", "notify=1"}, "return=all", "myParam=abc"},
        {{}, "return", std::nullopt},
        {{}, "return=other", std::nullopt},
        {{"instance=cam2"}, "return=instance", std::nullopt},
        {{}, "_events=x", "notify=*"},
        {{}, "_events", "notify=*"},
        {{}, "_commands", "myParam=[value]"},
        {{}, "notify=1", std::nullopt},
        {{}, "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        PanelStory story;
        story.sent();
        for (const char* before : c.before) {
            EXPECT_EQ(story.ask(before), std::nullopt) << before;
        }
        EXPECT_EQ(story.ask(c.request), c.answer);
        EXPECT_EQ(story.sent(), Lines{});
        story.close();
        expectHandBacksBalanced(story.host);
    }
}

TEST(CorvaneParentRequests, EachAnswerIsASeparateTextTheHostHandsBackLater) {
    PanelStory story;
    char* first = story.panel->notify(const_cast<char*>("_events"), orvo_event_parent);
    char* second = story.panel->notify(const_cast<char*>("_commands"), orvo_event_parent);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_STREQ(first, "notify=*");
    EXPECT_STREQ(second, "myParam=[value]");
    EXPECT_EQ(story.panel->notify(second, orvo_event_release), nullptr);
    EXPECT_EQ(story.panel->notify(first, orvo_event_release), nullptr);
    EXPECT_EQ(story.panel->notify(nullptr, orvo_event_release), nullptr);
}

}  // namespace
