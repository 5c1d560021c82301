// The exact texts of the device, lookup and timer commands, and how their answers are read.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "recording_host.h"
#include "test_script.h"

namespace {

struct CommandCase {
    const char* behaviour;
    std::function<void(TestScript&)> call;
    std::vector<std::string> expected;
};

TEST(DeviceCommands, SendTheirTextsExactly) {
    const std::string longName(300, 'n');
    const std::vector<CommandCase> cases = {
        {"register", [](TestScript& s) { s.infoRegister(7, 181, 196, false); }, {"IR 7 181 196"}},
        {"register with add",
         [](TestScript& s) { s.infoRegister(7, 181, 196, true); },
         {"IR 7 181 196 'ADD'"}},
        {"poll", [](TestScript& s) { s.infoPoll(7, 181, 196); }, {"IP 7 181 196"}},
        {"unregister", [](TestScript& s) { s.infoUnregister(7); }, {"IU 7"}},
        {"unregister negative", [](TestScript& s) { s.infoUnregister(-1); }, {"IU -1"}},
        {"write with flag", [](TestScript& s) { s.infoWrite(7, "12", 183, true); }, {"IW 7 '12' 183 1"}},
        {"write without flag", [](TestScript& s) { s.infoWrite(7, "12", 183, false); }, {"IW 7 '12' 183 0"}},
        {"write keeps place markers",
         [](TestScript& s) { s.infoWrite(7, "50%1", 183, true); },
         {"IW 7 '50%1' 183 1"}},
        {"write empty text", [](TestScript& s) { s.infoWrite(0, "", 181, true); }, {"IW 0 '' 181 1"}},
        {"write extreme numbers",
         [](TestScript& s) { s.infoWrite(INT_MIN, "x", INT_MAX, true); },
         {"IW -2147483648 'x' 2147483647 1"}},
        {"read name",
         [](TestScript& s) {
             orvo_string out;
             s.readName(3, 1, 12, out);
         },
         {"RN 3 1 12"}},
        {"start timer", [](TestScript& s) { s.timerStart(1, 1000); }, {"ET 1 1000"}},
        {"start timer with interval 0 stops it", [](TestScript& s) { s.timerStart(1, 0); }, {"ET 1"}},
        {"stop timer", [](TestScript& s) { s.timerStop(1); }, {"ET 1"}},
        {"negative timer", [](TestScript& s) { s.timerStart(-3, -1); }, {"ET -3 -1"}},
        {"lookup",
         [](TestScript& s) { s.instanceLookup("DAZ Tally Infodriver", nullptr, nullptr); },
         {"SD 'DAZ Tally Infodriver'"}},
    };
    for (const CommandCase& c : cases) {
        RecordingHost host;
        TestScript script(&host, "");
        c.call(script);
        EXPECT_EQ(host.commands(), c.expected) << c.behaviour;
    }
}

TEST(DeviceCommands, NumbersTooLongForTheShortBufferAreSentWhole) {
    const std::vector<CommandCase> cases = {
        {"poll",
         [](TestScript& s) { s.infoPoll(INT_MIN, INT_MIN, INT_MIN); },
         {"IP -2147483648 -2147483648 -2147483648"}},
        {"register",
         [](TestScript& s) { s.infoRegister(INT_MIN, INT_MIN, INT_MIN, false); },
         {"IR -2147483648 -2147483648 -2147483648"}},
        {"register with add",
         [](TestScript& s) { s.infoRegister(INT_MIN, INT_MIN, INT_MIN, true); },
         {"IR -2147483648 -2147483648 -2147483648 'ADD'"}},
        {"register with add at the limit",
         [](TestScript& s) { s.infoRegister(1234567, 181, 196, true); },
         {"IR 1234567 181 196 'ADD'"}},
        {"timer", [](TestScript& s) { s.timerStart(INT_MIN, INT_MIN); }, {"ET -2147483648 -2147483648"}},
        {"unregister", [](TestScript& s) { s.infoUnregister(INT_MIN); }, {"IU -2147483648"}},
    };
    for (const CommandCase& c : cases) {
        RecordingHost host;
        TestScript script(&host, "");
        c.call(script);
        EXPECT_EQ(host.commands(), c.expected) << c.behaviour;
    }
}

// A number written with exactly `width` characters (1 to 11).
std::string numberOfWidth(int width) {
    return width == 11 ? "-1000000000" : "1" + std::string(static_cast<size_t>(width - 1), '0');
}

TEST(DeviceCommands, TextsAtEveryLimitOfTheCommandBuffersAreSentWhole) {
    // The registration, poll and timer commands go through a 32-byte stack buffer (31 characters and
    // the NUL), the others through a builder with room for 255 characters before its first heap block,
    // which doubles. Each is tried one under, at and one over each limit.
    std::vector<std::string> expected;
    std::vector<std::function<void(TestScript&)>> calls;
    for (int length = 29; length <= 34; ++length) {
        for (const bool add : {false, true}) {
            // IR and IP: "IR a b c" and "IR a b c 'ADD'", the numbers' widths chosen to make `length`.
            const int digits = length - (add ? 11 : 5);
            const int widths[3] = {digits - 2 * (digits / 3), digits / 3, digits / 3};
            const std::string a = numberOfWidth(widths[0]), b = numberOfWidth(widths[1]),
                              c = numberOfWidth(widths[2]);
            const std::string fields = a + " " + b + " " + c;
            const auto n = [](const std::string& text) { return static_cast<int32_t>(std::stol(text)); };
            expected.push_back("IR " + fields + (add ? " 'ADD'" : ""));
            calls.push_back([=](TestScript& s) { s.infoRegister(n(a), n(b), n(c), add); });
            if (!add) {
                expected.push_back("IP " + fields);
                calls.push_back([=](TestScript& s) { s.infoPoll(n(a), n(b), n(c)); });
            }
        }
    }
    for (const int limit : {255, 510, 1020}) {
        for (int length = limit - 2; length <= limit + 2; ++length) {
            // "IW 7 '" and "' 183 1" around the text.
            const std::string text(static_cast<size_t>(length - 14), 'w');
            expected.push_back("IW 7 '" + text + "' 183 1");
            calls.push_back([=](TestScript& s) { s.infoWrite(7, text.c_str(), 183, true); });
            const std::string name(static_cast<size_t>(length - 5), 'n');  // "SD '" and "'"
            expected.push_back("SD '" + name + "'");
            calls.push_back([=](TestScript& s) { s.instanceLookup(name.c_str(), nullptr, nullptr); });
        }
    }
    for (size_t i = 0; i < calls.size(); ++i) {
        RecordingHost host;
        TestScript script(&host, "");
        calls[i](script);
        EXPECT_EQ(host.commands(), std::vector<std::string>{expected[i]})
            << expected[i].size() << " characters";
    }
}

TEST(InfoWrite, OverLongTextWritesOneDebugLineAndIsStillSentWhole) {
    for (size_t length : {size_t{255}, size_t{256}, size_t{257}, size_t{1} << 20}) {
        RecordingHost host;
        host.captureDebug();
        TestScript script(&host, "");
        std::string text(length, 'a');
        script.infoWrite(7, text.c_str(), 183, true);
        ASSERT_EQ(host.commands().size(), 1u);
        EXPECT_EQ(host.commands()[0], "IW 7 '" + text + "' 183 1");
        std::vector<std::string> expectedDebug;
        if (length > 256) {
            expectedDebug.push_back("The IW string is too long (max 256 chars)");
        }
        EXPECT_EQ(host.debugLines(), expectedDebug) << length;
    }
}

struct LookupCase {
    std::optional<std::string> answer;
    bool found;
    int32_t device;
    int32_t offset;
};

TEST(InstanceLookup, ReadsDeviceAndOffsetFromTheFirstTwoTokens) {
    const std::vector<LookupCase> cases = {
        {"12 0", true, 12, 0},
        {"12", true, 12, 0},
        {"12 5 9", true, 12, 5},
        {" 12 0", true, 0, 12},    // a leading blank leaves token 0 empty
        {"'a b' 12", true, 0, 0},  // a quoted first field: token 0 empty, "a b" is token 1
        {"", true, 0, 0},          // an answer, even empty, is an answer
        {"abc def", true, 0, 0},
        {"-4 -7", true, -4, -7},
        {"99999999999 -99999999999", true, INT_MAX, INT_MIN},
        {"12abc 3x", true, 12, 3},
        {std::nullopt, false, 0, 0},
    };
    for (const LookupCase& c : cases) {
        RecordingHost host;
        host.answer("SD 'ZaD SDI Router'", c.answer);
        TestScript script(&host, "");
        int32_t device = 77;
        int32_t offset = 77;
        EXPECT_EQ(script.instanceLookup("ZaD SDI Router", &device, &offset), c.found)
            << c.answer.value_or("<null>");
        EXPECT_EQ(device, c.device) << c.answer.value_or("<null>");
        EXPECT_EQ(offset, c.offset) << c.answer.value_or("<null>");
        EXPECT_EQ(host.outstanding(), 0u);
        EXPECT_EQ(host.log().size(), c.answer ? 2u : 1u);  // no hand-back without an answer
    }
}

TEST(InstanceLookup, EitherOutputMayBeNull) {
    RecordingHost host;
    host.answer("SD 'x'", "3 4");
    TestScript script(&host, "");
    int32_t device = 0;
    int32_t offset = 0;
    EXPECT_TRUE(script.instanceLookup("x", &device, nullptr));
    EXPECT_TRUE(script.instanceLookup("x", nullptr, &offset));
    EXPECT_TRUE(script.instanceLookup("x", nullptr, nullptr));
    EXPECT_EQ(device, 3);
    EXPECT_EQ(offset, 4);
    EXPECT_EQ(host.commands().size(), 3u);
    EXPECT_EQ(host.outstanding(), 0u);
}

TEST(ReadName, SetsTheNameOrKeepsTheOldOneAndAlwaysHandsBack) {
    RecordingHost host;
    host.answer("RN 3 1 12", "Camera 1");
    host.answer("RN 3 1 13", std::nullopt);
    TestScript script(&host, "");
    orvo_string name("before");
    script.readName(3, 1, 12, name);
    EXPECT_STREQ(name.c_str(), "Camera 1");
    script.readName(3, 1, 13, name);
    EXPECT_STREQ(name.c_str(), "Camera 1");
    EXPECT_EQ(host.log(),
              (std::vector<std::string>{"RN 3 1 12", "release Camera 1", "RN 3 1 13", "release null"}));
    EXPECT_EQ(host.outstanding(), 0u);
}

TEST(DeviceCommands, WithoutAHostSendNothingAndGiveEmptyResults) {
    TestScript script(nullptr, "");
    int32_t device = 5;
    int32_t offset = 5;
    EXPECT_FALSE(script.instanceLookup("x", &device, &offset));
    EXPECT_EQ(device, 0);
    EXPECT_EQ(offset, 0);
    orvo_string name("kept");
    script.readName(1, 1, 1, name);
    EXPECT_STREQ(name.c_str(), "kept");
    script.infoRegister(1, 2, 3, true);
    script.infoPoll(1, 2, 3);
    script.infoUnregister(1);
    script.infoWrite(1, "x", 2, true);
    script.timerStart(1, 1000);
    script.timerStop(1);
}

}  // namespace
