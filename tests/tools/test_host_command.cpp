#include <gtest/gtest.h>

#include "host_command.h"

namespace {

TEST(CommandText, FieldsAreCutAsTheScriptSendsThem) {
    struct Case {
        const char* text;
        const char* word;
        std::vector<std::string> texts;
        std::vector<int32_t> numbers;
        bool add;
    };
    const Case cases[] = {
        {"PI '1' 'layouts/Vessa2540.orvo_ui'", "PI", {"1", "layouts/Vessa2540.orvo_ui"}, {}, false},
        {"PS '1' 'V.orvo_ui' 'e'", "PS", {"1", "V.orvo_ui", "e"}, {}, false},
        {"CE '1' 'Network'", "CE", {"1", "Network"}, {}, false},
        {"TP 'add=25;;' '1' 'Mixer'", "TP", {"add=25;;", "1", "Mixer"}, {}, false},
        {"TP 'it's' '1' 'Mixer'", "TP", {"it's", "1", "Mixer"}, {}, false},
        // A text holding the field separator itself: the panel and control are the last two fields.
        {"TP 'a' 'b' '1' 'Mixer'", "TP", {"a' 'b", "1", "Mixer"}, {}, false},
        {"TP '' '1' 'Mixer'", "TP", {"", "1", "Mixer"}, {}, false},
        {"TG '1' 'Mixer' 'selectedindex'", "TG", {"1", "Mixer", "selectedindex"}, {}, false},
        {"XI '1' 'alm_'", "XI", {"1", "alm_"}, {}, false},
        {"SD 'DAZ Tally Infodriver'", "SD", {"DAZ Tally Infodriver"}, {}, false},
        {"SD 'O'Neil'", "SD", {"O'Neil"}, {}, false},
        {"IR 7 181 196", "IR", {}, {7, 181, 196}, false},
        {"IR 7 181 196 'ADD'", "IR", {}, {7, 181, 196}, true},
        {"IP -1 181 196", "IP", {}, {-1, 181, 196}, false},
        {"IU 7", "IU", {}, {7}, false},
        {"IW 7 '12' 183 1", "IW", {"12"}, {7, 183, 1}, false},
        {"IW 7 '' 183 0", "IW", {""}, {7, 183, 0}, false},
        {"IW 7 'a' 'b' 183 1", "IW", {"a' 'b"}, {7, 183, 1}, false},
        {"IW 7 '50%1' 183 1", "IW", {"50%1"}, {7, 183, 1}, false},
        {"RN 3 1 12", "RN", {}, {3, 1, 12}, false},
        {"ET 1 1000", "ET", {}, {1, 1000}, false},
        {"ET 1", "ET", {}, {1}, false},
        {"AS", "AS", {}, {}, false},
    };
    for (const Case& c : cases) {
        HostCommand command = parseHostCommand(c.text);
        EXPECT_EQ(command.word, c.word) << c.text;
        EXPECT_EQ(command.texts, c.texts) << c.text;
        EXPECT_EQ(command.numbers, c.numbers) << c.text;
        EXPECT_EQ(command.add, c.add) << c.text;
    }
}

TEST(CommandText, MalformedCommandsAreNamedFaults) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"", "an empty command"},
        {"XX '1'", "unknown command word \"XX\""},
        {"pi '1' 'V'", "unknown command word \"pi\""},
        {"AS now", "AS takes no fields"},
        {"PI 1 V", "PI needs its fields in single quotes"},
        {"PI '1'", "PI takes '{panel}' '{file}' and an optional '{extra}'"},
        {"CE '1' 'A' 'B'", "CE takes '{panel}' '{control}'"},
        {"TG '1' 'Mixer'", "TG takes '{panel}' '{control}' '{param}'"},
        {"TP 'x' '1'", "TP takes '{text}' '{panel}' '{control}'"},
        {"SD Router", "SD takes '{instance name}'"},
        {"IR 7 181", "IR takes {device} {first} {last} and an optional 'ADD'"},
        {"IR 7 181 196 ADD", "IR takes {device} {first} {last} and an optional 'ADD'"},
        {"IP 7 181 x", "IP: field \"x\" is not a number"},
        {"IP 7  181 196", "IP takes {device} {first} {last}"},
        {"IP 7 1 3 ", "IP takes {device} {first} {last}"},
        {"IU", "IU takes {device}"},
        {"RN 3 1", "RN takes {device} {database} {index}"},
        {"ET", "ET takes {id} and an optional {interval}"},
        {"ET 1 2 3", "ET takes {id} and an optional {interval}"},
        {"IW 7 12 183 1", "IW takes {device} '{text}' {slot} {flag}"},
        {"IW x '12' 183 1", "IW: device \"x\" is not a number"},
        {"IW 7 '12' 183 2", "IW: the flag must be 0 or 1"},
        {"IW 7 '12' 183 -1", "IW: the flag must be 0 or 1"},
        {"IW 7 '12' 183", "IW takes {device} '{text}' {slot} {flag}"},
    };
    for (const Case& c : cases) {
        try {
            parseHostCommand(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const CommandError& error) {
            EXPECT_STREQ(error.what(), c.message) << c.text;
        }
    }
}

}  // namespace
