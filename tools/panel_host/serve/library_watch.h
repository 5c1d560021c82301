// LibraryWatch: tells when a library file has been rebuilt and the build has finished writing it.
//
// Asked about four times a second (a poll of the file's size and time, no busy waiting), it answers true
// once the file differs from the build last taken and has not changed since the poll before, so a file
// still being written is not taken half-way. It only reads the file's metadata and owns nothing else.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

class LibraryWatch {
public:
    // The file as it is now counts as taken.
    explicit LibraryWatch(std::string path);

    bool settled();

private:
    struct Stamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time{};
        bool operator==(const Stamp& other) const {
            return exists == other.exists && size == other.size && time == other.time;
        }
        bool operator!=(const Stamp& other) const { return !(*this == other); }
    };
    Stamp stampNow() const;

    std::string path_;
    Stamp taken_;
    Stamp previous_;
};
