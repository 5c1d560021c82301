// LibraryWatch: tells when a library file has been rebuilt and the build has finished writing it.
//
// Polled about four times a second (its size and time, no busy waiting), it answers "ready" once the
// file differs from the build last taken, has not changed for the settle window and is a whole shared
// library (libraryFileProblem), so a file still being written, or left empty by the linker for a moment,
// is not taken half-way. A file that stays incomplete or is no library past the give-up window is
// reported once, with why; it is then waited on again until it changes. It only reads the file and owns
// nothing else.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

class LibraryWatch {
public:
    struct Verdict {
        bool ready = false;   // a new whole build: take it
        std::string problem;  // otherwise, once per settled file that is not one: why
    };

    // The file as it is now counts as taken.
    explicit LibraryWatch(std::string path, std::chrono::milliseconds settle = std::chrono::milliseconds(500),
                          std::chrono::milliseconds giveUp = std::chrono::seconds(3));

    Verdict poll();

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
    std::chrono::milliseconds settle_;
    std::chrono::milliseconds giveUp_;
    Stamp taken_;
    Stamp previous_;
    std::chrono::steady_clock::time_point steadySince_;
    bool reported_ = false;
};
