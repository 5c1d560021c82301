// The session file on its own: several scripts of one process recording at once each get a file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "session_file.h"

namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SessionFile, ScriptsRecordingAtOnceEachWriteAFileOfTheirOwn) {
    std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "session_file_siblings";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::string path = (folder / "panel.scenario").string();
    const std::string recorded = "replay\n# the recording ends here\n";
    SessionFile first;
    SessionFile second;
    SessionFile third;
    first.open(path, 1 << 20, "replay\n");
    second.open(path, 1 << 20, "replay\n");
    third.open(path, 1 << 20, "replay\n");
    ASSERT_TRUE(first.recording() && second.recording() && third.recording());
    second.lines() += "start\n";
    second.endEvent();
    second.close("# the recording ends here\n");
    EXPECT_EQ(contents(folder / "panel-2.scenario"), "replay\nstart\n# the recording ends here\n");
    // Closed, its name is free again: the next script takes it.
    SessionFile fourth;
    fourth.open(path, 1 << 20, "replay\n");
    fourth.close("# the recording ends here\n");
    EXPECT_EQ(contents(folder / "panel-2.scenario"), recorded);
    first.close("# the recording ends here\n");
    third.close("# the recording ends here\n");
    EXPECT_EQ(contents(folder / "panel.scenario"), recorded);
    EXPECT_EQ(contents(folder / "panel-3.scenario"), recorded);
}

}  // namespace
