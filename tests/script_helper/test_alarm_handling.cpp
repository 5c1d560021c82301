// The alarm facility: with it on, "ActionAll" and "AckAll" presses set or acknowledge every alarm control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_records.h"
#include "orvo_event_kind.h"
#include "recording_host.h"
#include "test_script.h"

namespace {

class AlarmHandling : public ::testing::Test {
protected:
    void SetUp() override {
        host.captureDebug();  // keeps the textGet lines of odd answers out of the test output
        host.answer("XI '1' 'alm_'", "alm_1,alm_2");
        script.setAlarmHandling(true);
    }

    void press(const char* panel, const char* control, const char* message) {
        const HostRecord record = HostRecord::button(panel, control, message);
        script.notify(record.data(), orvo_event_button);
    }

    RecordingHost host;
    TestScript script{&host, ""};
};

TEST_F(AlarmHandling, ActionAllWithASingleDigitLevelSetsAlarmAndValueOfEachControl) {
    press("1", "ActionAll", "alarm=3");
    EXPECT_EQ(host.commands(), (std::vector<std::string>{
                                   "XI '1' 'alm_'",
                                   "TP 'alarm=3' '1' 'alm_1'",
                                   "TP 'value=3' '1' 'alm_1'",
                                   "TP 'alarm=3' '1' 'alm_2'",
                                   "TP 'value=3' '1' 'alm_2'",
                               }));
    EXPECT_TRUE(script.calls.empty());  // consumed: onButton never sees it
    EXPECT_EQ(host.outstanding(), 0u);
}

TEST_F(AlarmHandling, AcknowledgeSetsOnlyControlsWhoseValueIsOneNegativeOrAboveFive) {
    struct Case {
        const char* valueRead;
        bool setToFour;
    };
    const std::vector<Case> cases = {
        {"value=1", true},  {"value=6", true},  {"value=-2", true}, {"value=0", false}, {"value=2", false},
        {"value=3", false}, {"value=4", false}, {"value=5", false}, {"other=1", false}, {"value=", false},
    };
    for (const Case& c : cases) {
        host.clear();
        host.answer("TG '1' 'alm_1' 'value'", c.valueRead);
        host.answer("TG '1' 'alm_2' 'value'", "value=3");
        press("1", "ActionAll", "alarm=ack");
        std::vector<std::string> expected = {"XI '1' 'alm_'", "TP 'alarm=ack' '1' 'alm_1'",
                                             "TG '1' 'alm_1' 'value'"};
        if (c.setToFour) {
            expected.push_back("TP 'value=4' '1' 'alm_1'");
        }
        expected.push_back("TP 'alarm=ack' '1' 'alm_2'");
        expected.push_back("TG '1' 'alm_2' 'value'");
        EXPECT_EQ(host.commands(), expected) << c.valueRead;
        EXPECT_EQ(host.outstanding(), 0u);
    }
}

TEST_F(AlarmHandling, AckAllAcknowledgesWithTheTextFourWhateverItCarries) {
    host.answer("TG '1' 'alm_1' 'value'", "value=1");
    host.answer("TG '1' 'alm_2' 'value'", std::nullopt);
    press("7", "AckAll", "anything=else");
    EXPECT_EQ(host.commands(), (std::vector<std::string>{
                                   "XI '1' 'alm_'",
                                   "TP 'alarm=4' '1' 'alm_1'",
                                   "TG '1' 'alm_1' 'value'",
                                   "TP 'value=4' '1' 'alm_1'",
                                   "TP 'alarm=4' '1' 'alm_2'",
                                   "TG '1' 'alm_2' 'value'",
                               }));
    EXPECT_TRUE(script.calls.empty());
}

TEST_F(AlarmHandling, LevelTextsWithoutALevelOnlyPassTheAlarmText) {
    for (const char* message : {"alarm=12", "alarm", "alarm=", "alarm=acknowledge"}) {
        host.clear();
        press("1", "ActionAll", message);
        std::string text = std::string(message).size() > 6 ? std::string(message).substr(6) : "";
        EXPECT_EQ(host.commands(), (std::vector<std::string>{
                                       "XI '1' 'alm_'",
                                       "TP 'alarm=" + text + "' '1' 'alm_1'",
                                       "TP 'alarm=" + text + "' '1' 'alm_2'",
                                   }))
            << message;
    }
}

TEST_F(AlarmHandling, OtherPressesReachOnButton) {
    press("1", "ActionAll", "level=3");
    press("1", "Select", "alarm=3");
    EXPECT_TRUE(host.commands().empty());
    EXPECT_EQ(script.calls,
              (std::vector<std::string>{"button 1 ActionAll level=3", "button 1 Select alarm=3"}));
}

TEST_F(AlarmHandling, NoListedControlsMeansOnlyTheListRequest) {
    for (std::optional<std::string> answer : {std::optional<std::string>(), std::optional<std::string>("")}) {
        host.clear();
        host.answer("XI '1' 'alm_'", answer);
        press("1", "ActionAll", "alarm=3");
        EXPECT_EQ(host.commands(), (std::vector<std::string>{"XI '1' 'alm_'"}));
    }
}

TEST(AlarmHandlingOff, AlarmButtonsReachOnButtonAndSendNothing) {
    RecordingHost host;
    host.answer("XI '1' 'alm_'", "alm_1");
    TestScript script(&host, "");
    for (const char* control : {"ActionAll", "AckAll"}) {
        const HostRecord record = HostRecord::button("1", control, "alarm=3");
        script.notify(record.data(), orvo_event_button);
    }
    EXPECT_TRUE(host.commands().empty());
    EXPECT_EQ(script.calls,
              (std::vector<std::string>{"button 1 ActionAll alarm=3", "button 1 AckAll alarm=3"}));
}

}  // namespace
