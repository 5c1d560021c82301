#include "library_watch.h"

LibraryWatch::LibraryWatch(std::string path) : path_(std::move(path)) {
    taken_ = stampNow();
    previous_ = taken_;
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

bool LibraryWatch::settled() {
    Stamp now = stampNow();
    bool steady = now == previous_;
    previous_ = now;
    if (!steady || !now.exists || now == taken_) {
        return false;
    }
    taken_ = now;
    return true;
}
