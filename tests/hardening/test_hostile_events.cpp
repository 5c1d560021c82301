// Corvane, created through the export, under host records no careful host would send: null texts,
// host-filled messages with null words and absurd counts, numbers at the ends of the 32-bit range,
// texts of 1 MiB, timer ids and event kinds far outside what the panel uses.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "exported_panel.h"
#include "orvo_event_kind.h"

namespace {

const std::string kMebibyteOfNines(1 << 20, '9');

// "index.x.x...=12" with `dots` sub-words before the value.
std::string dottedDest(int dots) {
    std::string message = "index";
    for (int i = 0; i < dots; ++i) {
        message += ".x";
    }
    return message + "=12";
}

// What Select sends for row 3 showing `number`: a name lookup unless the destination is 0, which the
// router does not know here, and the change mark when it differs from the stored 0.
Lines selectRow3(const std::string& number, const std::string& dest) {
    const bool none = dest == "0";
    Lines lines = {"TP 'cell.2.1=" + number + "' '1' 'Mixer'"};
    if (!none) {
        lines.push_back("RN 3 1 " + dest);
        lines.push_back("release null");
    }
    lines.push_back("TP 'cell.2.2=' '1' 'Mixer'");
    lines.push_back(std::string("TP 'cell.2.3=") + (none ? "" : "*") + "' '1' 'Mixer'");
    return lines;
}

TEST(HostileButtonRecords, NullTextsAndCarelessMessagesPickNothing) {
    const ParsedCommand nullWords = carelessMessage(nullptr, nullptr, 1000);
    const ParsedCommand negativeCount = carelessMessage("index", nullptr, -5);
    const ParsedCommand nullSubWords = carelessMessage(nullptr, "12", 32);
    const ParsedCommand hugeCount = carelessMessage("index", "12", INT_MAX);
    const std::string dots40 = dottedDest(40);
    const std::string dots31 = dottedDest(31);
    const std::string mebibyte = "index=" + kMebibyteOfNines;

    struct Case {
        const char* name;
        const char* panelId;
        const char* controlId;
        const ParsedCommand* message;  // used when text is null
        const char* text;              // a message the host parsed from this text
        bool picked;                   // the event picked a destination
        std::string number;            // cell 1 after Select
        std::string dest;              // the destination Select looks up and Network writes
    };
    const Case cases[] = {
        {"null panel id", nullptr, "Dest", nullptr, "index=12", false, "000", "0"},
        {"null control id", "1", nullptr, nullptr, "index=12", false, "000", "0"},
        {"panel id 1 with a blank", "1 ", "Dest", nullptr, "index=12", false, "000", "0"},
        {"panel id +1", "+1", "Dest", nullptr, "index=12", false, "000", "0"},
        {"no message", "1", "Dest", nullptr, nullptr, false, "000", "0"},
        {"null words, count 1000", "1", "Dest", &nullWords, nullptr, false, "000", "0"},
        {"null value, count -5", "1", "Dest", &negativeCount, nullptr, false, "000", "0"},
        {"null sub-words, count 32", "1", "Dest", &nullSubWords, nullptr, true, "012", "12"},
        {"count INT_MAX", "1", "Dest", &hugeCount, nullptr, true, "012", "12"},
        {"31 sub-words keep the value", "1", "Dest", nullptr, dots31.c_str(), true, "012", "12"},
        {"40 sub-words leave no value", "1", "Dest", nullptr, dots40.c_str(), false, "000", "0"},
        {"INT_MAX", "1", "Dest", nullptr, "index=2147483647", true, "2147483647", "2147483647"},
        {"INT_MIN", "1", "Dest", nullptr, "index=-2147483648", false, "000", "0"},
        {"beyond INT_MAX", "1", "Dest", nullptr, "index=99999999999999", true, "2147483647", "2147483647"},
        {"1 MiB of digits", "1", "Dest", nullptr, mebibyte.c_str(), true, "2147483647", "2147483647"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportedPanel panel;
        panel.sent();
        const char* result = c.text != nullptr ? panel.button(c.panelId, c.controlId, c.text)
                                               : panel.button(c.panelId, c.controlId, c.message);
        EXPECT_EQ(result, nullptr);
        EXPECT_EQ(panel.sent(), Lines{});

        panel.chooseRow3();
        Lines chosen = {"TG '1' 'Mixer' 'selectedindex'", "release selectedindex=2", "CE '1' 'Deselect'"};
        if (c.picked) {
            chosen.push_back("CE '1' 'Select'");
        }
        EXPECT_EQ(panel.sent(), chosen);

        panel.press("Select");
        const Lines select = panel.sent();
        const Lines expected = selectRow3(c.number, c.dest);
        ASSERT_GE(select.size(), expected.size());
        EXPECT_EQ(Lines(select.begin(), select.begin() + static_cast<std::ptrdiff_t>(expected.size())),
                  expected);
        EXPECT_EQ(select.back(), c.dest == "0" ? "CD '1' 'Network'" : "CE '1' 'Network'");

        panel.press("Network");
        const Lines network = panel.sent();
        ASSERT_FALSE(network.empty());
        EXPECT_EQ(network.front(),
                  c.dest == "0" ? "TP 'clearSelection' '1' 'Mixer'" : "IW 7 '" + c.dest + "' 183 1");
        panel.close();
        expectHandBacksBalanced(panel.host);
    }
}

TEST(HostileRevertives, ExtremeDevicesSlotsAndTextsAreIgnoredOrSaturated) {
    struct Case {
        const char* name;
        int32_t device;
        int32_t slot;
        std::string text;
        Lines expected;
    };
    const Lines ignored;
    const Case cases[] = {
        {"device INT_MIN", INT_MIN, 183, "12", ignored},
        {"device INT_MAX", INT_MAX, 183, "12", ignored},
        {"slot INT_MIN", 7, INT_MIN, "12", ignored},
        {"slot INT_MAX", 7, INT_MAX, "12", ignored},
        {"1 MiB of digits",
         7,
         183,
         kMebibyteOfNines,
         {"TP 'cell.2.1=2147483647' '1' 'Mixer'", "RN 3 1 2147483647", "release null",
          "TP 'cell.2.2=' '1' 'Mixer'", "TP 'cell.2.3=' '1' 'Mixer'"}},
        {"1 MiB of letters",
         7,
         183,
         std::string(1 << 20, 'x'),
         {"TP 'cell.2.1=000' '1' 'Mixer'", "TP 'cell.2.2=' '1' 'Mixer'", "TP 'cell.2.3=' '1' 'Mixer'"}},
        {"12 and 1 MiB of blanks",
         7,
         196,
         "12" + std::string(1 << 20, ' '),
         {"TP 'cell.15.1=012' '1' 'Mixer'", "RN 3 1 12", "release null", "TP 'cell.15.2=' '1' 'Mixer'",
          "TP 'cell.15.3=' '1' 'Mixer'"}},
        {"below INT_MIN",
         7,
         181,
         "-2147483649",
         {"TP 'cell.0.1=-2147483648' '1' 'Mixer'", "RN 3 1 -2147483648", "release null",
          "TP 'cell.0.2=' '1' 'Mixer'", "TP 'cell.0.3=' '1' 'Mixer'"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportedPanel panel;
        panel.sent();
        EXPECT_EQ(panel.report(c.device, c.slot, c.text), nullptr);
        EXPECT_EQ(panel.sent(), c.expected);
        panel.close();
        expectHandBacksBalanced(panel.host);
    }
}

TEST(HostileRevertives, TallyDriverAtTheEndsOfTheRangeIsRegisteredPolledHeardAndUnregistered) {
    struct Case {
        const char* answer;
        std::string device;
    };
    const Case cases[] = {
        {"-2147483648 0", "-2147483648"},
        {"2147483647", "2147483647"},
        {"99999999999 0", "2147483647"},
        {"-99999999999", "-2147483648"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        ExportedPanel panel(c.answer);
        const Lines start = panel.sent();
        ASSERT_GE(start.size(), 3u);
        EXPECT_EQ(Lines(start.end() - 3, start.end()),
                  (Lines{"IR " + c.device + " 181 196", "IP " + c.device + " 181 196", "ET 1 1000"}));

        panel.report(static_cast<int32_t>(std::stoll(c.device)), 190, "5");
        EXPECT_EQ(panel.sent().front(), "TP 'cell.9.1=005' '1' 'Mixer'");
        panel.press("Restore");
        panel.press("Network");  // nothing differs: no write
        EXPECT_EQ(panel.sent().back(), "CD '1' 'Network'");
        panel.close();
        EXPECT_EQ(panel.sent(), (Lines{"IU " + c.device, "AS"}));
        expectHandBacksBalanced(panel.host);
    }
}

TEST(HostileTimers, ForeignIdsAreStoppedAsGivenAndHighPointerBitsAreNotPartOfTheId) {
    struct Case {
        void* data;
        Lines expected;
    };
    const uintptr_t high = sizeof(void*) > 4 ? ~uintptr_t{0} << 16 << 16 : 0;
    const Lines poll = {"debug Corvane: Repeating poll of tally infodriver.", "IP 7 181 196"};
    const Case cases[] = {
        {orvo_data_from_integer(-1), {"ET -1"}},
        {orvo_data_from_integer(INT_MIN), {"ET -2147483648"}},
        {orvo_data_from_integer(INT_MAX), {"ET 2147483647"}},
        {orvo_data_from_integer(0), {"ET 0"}},
        {reinterpret_cast<void*>(high | 2u), {"ET 2"}},
        {reinterpret_cast<void*>(high | 1u), poll},
    };
    ExportedPanel panel;
    panel.sent();
    for (const Case& c : cases) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(c.data));
        EXPECT_EQ(panel.notify(c.data, orvo_event_timer), nullptr);
        EXPECT_EQ(panel.sent(), c.expected);
    }
}

TEST(HostileKinds, KindsOutsideOneToSevenTouchNeitherTheDataNorThePanel) {
    ExportedPanel panel;
    panel.sent();
    char request[] = "myParam=changed";
    char* answer = panel.notify(const_cast<char*>("_events"), orvo_event_parent);
    ASSERT_NE(answer, nullptr);
    for (int32_t kind : {INT_MIN, INT_MIN + 5, -5, -1, 0, 8, 9, 105, INT_MAX}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(panel.notify(request, kind), nullptr);
        EXPECT_EQ(panel.notify(answer, kind), nullptr);  // not a release: the answer stays the host's
        EXPECT_EQ(panel.notify(nullptr, kind), nullptr);
    }
    EXPECT_STREQ(answer, "notify=*");
    EXPECT_EQ(panel.notify(answer, orvo_event_release), nullptr);
    EXPECT_EQ(panel.ask("return=all"), "myParam=");
    EXPECT_EQ(panel.sent(), Lines{});
}

}  // namespace
