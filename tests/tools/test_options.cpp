// panel_host's command line: each form to its mode and files, the port's whole range taken, and each
// malformed line refused with the message a user sees.
#include <gtest/gtest.h>

#include "input_error.h"
#include "options.h"

namespace {

TEST(Options, EachFormReadsToItsModeAndAMalformedLineIsRefused) {
    struct Case {
        std::vector<std::string> args;
        const char* error;  // nullptr: read, with this mode, library and port
        Mode mode = Mode::Run;
        const char* library = "";
        int port = 0;
    };
    const Case cases[] = {
        {{"L", "S"}, nullptr, Mode::Run, "L", 8250},
        {{"--compare", "O", "L", "S", "X"}, nullptr, Mode::Compare, "L", 8250},
        {{"--serve", "--port", "65535", "L", "S"}, nullptr, Mode::Serve, "L", 65535},
        {{"--serve", "--watch", "--port", "0", "L", "S"}, nullptr, Mode::Serve, "L", 0},
        {{"--serve", "--port", "65536", "L", "S"},
         "panel_host: --port needs a port number from 0 to 65535, not 65536"},
        {{"--serve", "--port", "-1", "L", "S"},
         "panel_host: --port needs a port number from 0 to 65535, not -1"},
        {{"--compare"}, "panel_host: --compare needs the other library"},
        {{"L"}, ""},
        {{"L", "S", "X", "Y"}, ""},
    };
    for (const Case& c : cases) {
        const std::string line = ::testing::PrintToString(c.args);
        try {
            Options options = readOptions(c.args);
            ASSERT_EQ(c.error, nullptr) << line << " was read";
            EXPECT_EQ(options.mode, c.mode) << line;
            EXPECT_EQ(options.library, c.library) << line;
            EXPECT_EQ(options.port, c.port) << line;
        } catch (const InputError& error) {
            ASSERT_NE(c.error, nullptr) << line << ": " << error.what();
            EXPECT_STREQ(error.what(), c.error) << line;
        }
    }
}

}  // namespace
