#include "session_file.h"

#include <cerrno>

#if defined(_WIN32)
#include <io.h>
#include <share.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "debug_output.h"

namespace {

// Every script the host creates from the module records on its own: a file another script has open is
// left to it, and the next name tried.
constexpr int kMaxSiblings = 100;

const char kStoppedHere[] = "# the recording stopped here\n";
// Kept free for the line that says why a recording stopped, so even that line stays within the cap.
constexpr uint64_t kLastLineRoom = 256;

bool seekTo(std::FILE* file, uint64_t offset) {
#if defined(_WIN32)
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

// `path`, or for n > 1 the same with "-n" before the extension.
std::string sibling(const std::string& path, int n) {
    if (n == 1) {
        return path;
    }
    size_t slash = path.find_last_of("/\\");
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        dot = path.size();
    }
    return path.substr(0, dot) + "-" + std::to_string(n) + path.substr(dot);
}

// Opens `path` emptied for writing unless another open of it holds it; null otherwise.
std::FILE* openAlone(const std::string& path, bool& held) {
    held = false;
#if defined(_WIN32)
    std::FILE* file = _fsopen(path.c_str(), "wb", _SH_DENYWR);
    held = file == nullptr && errno == EACCES;
    return file;
#else
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        held = true;
        ::close(fd);
        return nullptr;
    }
    // A device (a pipe, /dev/full) cannot be emptied and needs not be.
    struct stat status {};
    bool emptied = ftruncate(fd, 0) == 0 || (fstat(fd, &status) == 0 && !S_ISREG(status.st_mode));
    std::FILE* file = emptied ? fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
#endif
}

}  // namespace

SessionFile::~SessionFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

void SessionFile::open(const std::string& path, uint64_t cap, const std::string& header) noexcept {
    try {
        cap_ = cap;
        bool held = true;
        for (int n = 1; file_ == nullptr && held && n <= kMaxSiblings; ++n) {
            path_ = sibling(path, n);
            file_ = openAlone(path_, held);
        }
        if (file_ == nullptr) {
            stop("the session file " + path + " cannot be opened");
            return;
        }
        lines_ = header;
        endEvent();
    } catch (...) {
        stop("");
    }
}

bool SessionFile::room() noexcept {
    if (file_ == nullptr) {
        return false;
    }
    if (answers_.size() + lines_.size() > kMaxEventBytes) {
        stop("one event gathered more than 1 MiB of lines");
        return false;
    }
    return true;
}

bool SessionFile::write(const char* closing) noexcept {
    size_t closingSize = std::char_traits<char>::length(closing);
    uint64_t size = answers_.size() + lines_.size();
    if (end_ + size + kLastLineRoom > cap_) {
        try {
            stop("the size cap of " + std::to_string(cap_) + " bytes is reached");
        } catch (...) {
            stop("the size cap is reached");
        }
        return false;
    }
    bool written = seekTo(file_, end_) &&
                   std::fwrite(answers_.data(), 1, answers_.size(), file_) == answers_.size() &&
                   std::fwrite(lines_.data(), 1, lines_.size(), file_) == lines_.size() &&
                   std::fwrite(closing, 1, closingSize, file_) == closingSize && std::fflush(file_) == 0;
    answers_.clear();
    lines_.clear();
    if (!written) {
        stop("the session file " + path_ + " cannot be written (is the disk full?)");
        return false;
    }
    end_ += size;
    return true;
}

void SessionFile::endEvent() noexcept {
    if (file_ != nullptr) {
        write(kStoppedHere);
    }
}

void SessionFile::close(const char* lastLine) noexcept {
    if (file_ != nullptr && write(lastLine)) {
        // The last line may be shorter than the trailing line it replaced.
        cutAt(end_ + std::char_traits<char>::length(lastLine));
        std::fclose(file_);
        file_ = nullptr;
    }
}

void SessionFile::cutAt(uint64_t size) noexcept {
    std::fflush(file_);
#if defined(_WIN32)
    (void)_chsize_s(_fileno(file_), static_cast<long long>(size));
#else
    (void)ftruncate(fileno(file_), static_cast<off_t>(size));
#endif
}

void SessionFile::stop(const std::string& why) noexcept {
    answers_.clear();
    lines_.clear();
    try {
        if (file_ != nullptr) {
            // The line may not fit on a full disk; the file then ends in the previous trailing line.
            // A file that could not even take its header still reads as a recording, of nothing.
            std::string first = end_ == 0 ? "replay\n" : "";
            std::string last =
                first + "# the recording stopped here: " + why + "; the panel went on without it\n";
            if (end_ + last.size() > cap_) {
                last = first + kStoppedHere;
            }
            if (seekTo(file_, end_) && std::fwrite(last.data(), 1, last.size(), file_) == last.size()) {
                cutAt(end_ + last.size());
            }
        }
        orvo_debug_output(("PanelRecorder: the recording stopped: " + why + "\n").c_str());
    } catch (...) {
        orvo_debug_output("PanelRecorder: the recording stopped\n");
    }
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}
