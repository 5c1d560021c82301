#include "recording_host.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
namespace {

// Where the newest DebugStringCapture keeps its text. The vectored handler has no context of its own, so
// this is how it finds the capture; the tests are single-threaded.
std::string* capturedText = nullptr;

LONG CALLBACK catchDebugString(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2 ||
        capturedText == nullptr) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    // Parameter 1 is the NUL-terminated text (parameter 0 its length). Continuing ends the exception here,
    // as a debugger that took the text would.
    const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    if (text != nullptr) {
        capturedText->append(text);
    }
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

DebugStringCapture::DebugStringCapture() : handler_(nullptr), outerText_(capturedText) {
    capturedText = &text_;
    handler_ = ::AddVectoredExceptionHandler(1, catchDebugString);
    if (handler_ == nullptr) {
        std::abort();
    }
}

DebugStringCapture::~DebugStringCapture() {
    ::RemoveVectoredExceptionHandler(handler_);
    capturedText = outerText_;
}

std::string DebugStringCapture::drain() {
    std::string text;
    text.swap(text_);
    return text;
}
#else
StderrCapture::StderrCapture() : savedFd_(-1), fileFd_(-1), readPos_(0) {
    std::fflush(stderr);
    char name[] = "/tmp/orvo_stderr_XXXXXX";
    fileFd_ = ::mkstemp(name);
    if (fileFd_ < 0) {
        std::abort();
    }
    ::unlink(name);
    savedFd_ = ::dup(STDERR_FILENO);
    ::dup2(fileFd_, STDERR_FILENO);
}

StderrCapture::~StderrCapture() {
    std::fflush(stderr);
    ::dup2(savedFd_, STDERR_FILENO);
    ::close(savedFd_);
    ::close(fileFd_);
}

std::string StderrCapture::drain() {
    std::fflush(stderr);
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t got = ::pread(fileFd_, buffer, sizeof buffer, readPos_);
        if (got <= 0) {
            break;
        }
        text.append(buffer, static_cast<size_t>(got));
        readPos_ += got;
    }
    return text;
}
#endif

RecordingHost::RecordingHost() = default;

RecordingHost::~RecordingHost() {
    for (char* text : outstanding_) {
        delete[] text;
    }
    delete capture_;
}

void RecordingHost::reserved() {
    std::abort();
}  // a script must never call it

void RecordingHost::captureDebug() {
    if (capture_ == nullptr) {
        capture_ = new StderrCapture();
    }
}

void RecordingHost::pullDebug() {
    if (capture_ == nullptr) {
        return;
    }
    std::string text = capture_->drain();
    if (!text.empty()) {
        debug_.push_back(text);
        log_.push_back("debug " + text);
    }
}

void RecordingHost::answer(const std::string& command, std::optional<std::string> text) {
    exact_[command] = std::move(text);
}

void RecordingHost::answerPrefix(const std::string& prefix, std::optional<std::string> text) {
    prefix_[prefix] = std::move(text);
}

void RecordingHost::answerSequence(const std::string& command,
                                   std::vector<std::optional<std::string>> texts) {
    sequences_[command] = std::move(texts);
}

std::optional<std::string> RecordingHost::answerFor(const std::string& command) {
    auto sequence = sequences_.find(command);
    if (sequence != sequences_.end() && !sequence->second.empty()) {
        std::optional<std::string> next = sequence->second.front();
        if (sequence->second.size() > 1) {
            sequence->second.erase(sequence->second.begin());
        }
        return next;
    }
    auto exact = exact_.find(command);
    if (exact != exact_.end()) {
        return exact->second;
    }
    const std::optional<std::string>* best = nullptr;
    size_t bestLength = 0;
    for (const auto& [prefix, text] : prefix_) {
        if (command.compare(0, prefix.size(), prefix) == 0 &&
            (best == nullptr || prefix.size() > bestLength)) {
            best = &text;
            bestLength = prefix.size();
        }
    }
    return best != nullptr ? *best : std::nullopt;
}

intptr_t RecordingHost::request(void* data, int32_t kind) {
    pullDebug();
    if (kind == orvo_request_release) {
        if (data == nullptr) {
            log_.push_back("release null");
            return 0;
        }
        char* text = static_cast<char*>(data);
        auto found = outstanding_.find(text);
        if (found == outstanding_.end()) {
            handBackErrors_.push_back(
                "hand-back of a pointer this host did not give out or already got back");
            log_.push_back("release <foreign>");
            return 0;
        }
        log_.push_back(std::string("release ") + text);
        outstanding_.erase(found);
        delete[] text;
        return 0;
    }
    if (kind != orvo_request_command || data == nullptr) {
        ++badRequests_;
        log_.push_back("bad request kind " + std::to_string(kind));
        return 0;
    }
    std::string command(static_cast<const char*>(data));
    commands_.push_back(command);
    log_.push_back(command);
    if (command.compare(0, 3, "PI ") == 0 || command.compare(0, 3, "PS ") == 0) {
        return layoutResult_;
    }
    std::optional<std::string> text = answerFor(command);
    if (!text) {
        return 0;
    }
    char* copy = new char[text->size() + 1];
    std::memcpy(copy, text->c_str(), text->size() + 1);
    outstanding_.insert(copy);
    return reinterpret_cast<intptr_t>(copy);
}

std::vector<std::string> RecordingHost::log() {
    pullDebug();
    return log_;
}

std::vector<std::string> RecordingHost::debugLines() {
    pullDebug();
    return debug_;
}

void RecordingHost::clear() {
    pullDebug();
    commands_.clear();
    log_.clear();
    debug_.clear();
}
