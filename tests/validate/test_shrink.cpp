// The shrinker against a fake predicate: a list of steps "fails" when it holds the steps a fault needs,
// in order, so the shortest failing list is known for every case.
#include <gtest/gtest.h>

#include "shrink.h"

namespace {

// True when `needed` appears in `steps` as a subsequence.
bool holds(const StepList& steps, const StepList& needed) {
    size_t next = 0;
    for (const std::string& step : steps) {
        if (next < needed.size() && step == needed[next]) {
            ++next;
        }
    }
    return next == needed.size();
}

StepList storm(size_t length, const StepList& planted, size_t every) {
    StepList steps{"start"};
    size_t plantedAt = 0;
    for (size_t i = 1; i < length; ++i) {
        if (plantedAt < planted.size() && i % every == 0) {
            steps.push_back(planted[plantedAt++]);
        } else {
            steps.push_back("press Other value=" + std::to_string(i));
        }
    }
    return steps;
}

TEST(Shrinker, CutsAStormDownToTheStepsItsFaultNeeds) {
    struct Case {
        const char* story;
        StepList steps;
        StepList needed;
        int budget;
        size_t longest;  // the shrunk list's length at most
    };
    const StepList crash = {"press A", "press A", "press A", "press B"};
    const Case cases[] = {
        {"three presses and a fourth in a long storm", storm(2000, crash, 300), crash, 500, 5},
        {"one step at the very end", storm(300, {"press B"}, 299), {"press B"}, 200, 2},
        {"steps next to each other", storm(64, crash, 1), crash, 200, 5},
        // Six asks: the second half goes, then the second quarter; the last two find nothing more to cut.
        {"a budget too small to finish returns the failing list cut as far as it got", storm(1000, crash, 50),
         crash, 6, 251},
        {"the same step needed twice, with one between them that is not",
         storm(200, {"press B", "press A", "press B"}, 60),
         {"press B", "press B"},
         100,
         3},
    };
    for (const Case& one : cases) {
        int asked = 0;
        auto stillFails = [&](const StepList& candidate) {
            ++asked;
            return candidate.front() == "start" && holds(candidate, one.needed);
        };
        StepList shrunk = shrink(one.steps, stillFails, one.budget);
        EXPECT_TRUE(stillFails(shrunk)) << one.story;
        EXPECT_LE(shrunk.size(), one.longest) << one.story;
        EXPECT_LE(asked - 1, one.budget) << one.story;
        EXPECT_EQ(shrunk.front(), "start") << one.story;
    }
}

TEST(Shrinker, ShrinksTheValuesInsideTheStepsLeft) {
    // A fake step "request x..." fails when its text holds at least `needs` bytes; a press never matters.
    auto simpler = [](const std::string& line) {
        std::vector<std::string> forms;
        size_t blank = line.find(' ');
        std::string text = line.substr(blank + 1);
        if (blank != std::string::npos && !text.empty()) {
            forms = {line.substr(0, blank + 1), line.substr(0, blank + 1) + text.substr(0, text.size() / 2)};
        }
        return forms;
    };
    struct Case {
        const char* story;
        size_t needs;
        size_t longest;  // the request's text after shrinking, at most
        bool free;       // its value does not matter
    };
    const Case cases[] = {
        {"a long text cut down to what the fault needs", 300, 599, false},
        {"a text whose value does not matter", 0, 0, true},
    };
    for (const Case& one : cases) {
        auto stillFails = [&](const StepList& steps) {
            return steps.size() == 3 && steps[2].size() >= std::string("request ").size() + one.needs;
        };
        StepList steps = {"start", "press A x", "request " + std::string(5000, 'x')};
        ValueShrink shrunk = shrinkValues(steps, simpler, stillFails, 100);
        EXPECT_TRUE(stillFails(shrunk.steps)) << one.story;
        EXPECT_LE(shrunk.steps[2].size() - 8, one.longest) << one.story;
        EXPECT_EQ(shrunk.valueFree[2], one.free) << one.story;
        EXPECT_TRUE(shrunk.valueFree[1]) << one.story;
    }
}

}  // namespace
