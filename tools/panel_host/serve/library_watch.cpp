#include "library_watch.h"

#include "library_file.h"

LibraryWatch::LibraryWatch(std::string path, std::chrono::milliseconds settle,
                           std::chrono::milliseconds giveUp)
    : path_(std::move(path)), settle_(settle), giveUp_(giveUp) {
    taken_ = stampNow();
    previous_ = taken_;
    steadySince_ = std::chrono::steady_clock::now();
}

LibraryWatch::Stamp LibraryWatch::stampNow() const {
    Stamp stamp;
    std::error_code error;
    stamp.size = std::filesystem::file_size(path_, error);
    if (error) {
        return Stamp{};
    }
    stamp.time = std::filesystem::last_write_time(path_, error);
    stamp.exists = !error;
    return stamp;
}

LibraryWatch::Verdict LibraryWatch::poll() {
    Stamp now = stampNow();
    auto clock = std::chrono::steady_clock::now();
    if (now != previous_) {
        previous_ = now;
        steadySince_ = clock;
        reported_ = false;
        return {};
    }
    if (!now.exists || now == taken_ || clock - steadySince_ < settle_) {
        return {};
    }
    std::string problem = libraryFileProblem(path_);
    if (problem.empty()) {
        taken_ = now;
        return {true, ""};
    }
    if (reported_ || clock - steadySince_ < giveUp_) {
        return {};
    }
    reported_ = true;
    return {false, path_ + ": " + problem};
}
