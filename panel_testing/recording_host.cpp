#include "recording_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

RecordingHost::RecordingHost() = default;

RecordingHost::~RecordingHost() {
    if (!outstanding_.empty()) {
        breach(std::to_string(outstanding_.size()) + " answer(s) never handed back");
    }
    for (char* text : outstanding_) {
        delete[] text;
    }
    for (char* text : overdue_) {
        delete[] text;
    }
}

void RecordingHost::reserved() {
    std::abort();  // a script must never call it
}

void RecordingHost::captureDebug() {
    if (capture_ == nullptr) {
        capture_ = std::make_unique<DebugLineCapture>();
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

void RecordingHost::breach(const std::string& what) {
    breaches_.push_back(what);
    ADD_FAILURE() << "host contract: " << what;
}

void RecordingHost::reportOverdue(const std::string& what) {
    breach(what);
    // Reported once: a later hand-back of these is taken without another report.
    overdue_.insert(outstanding_.begin(), outstanding_.end());
    outstanding_.clear();
}

void RecordingHost::beginCall() {
    if (capture_ != nullptr) {
        capture_->claim();
    }
}

void RecordingHost::endOfCall() {
    pullDebug();
    if (!outstanding_.empty()) {
        reportOverdue("an answer was not handed back before the call into the script returned");
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
        if (found == outstanding_.end() && overdue_.erase(text) == 1) {
            log_.push_back(std::string("release ") + text);
            delete[] text;
            return 0;
        }
        if (found == outstanding_.end()) {
            const std::string what = "hand-back of a pointer this host did not give out or already got back";
            handBackErrors_.push_back(what);
            breach(what);
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
        breach(data == nullptr ? "a null command" : "a request of kind " + std::to_string(kind));
        log_.push_back("bad request kind " + std::to_string(kind));
        return 0;
    }
    std::string command(static_cast<const char*>(data));
    if (!outstanding_.empty()) {
        reportOverdue("\"" + command + "\" sent before the previous answer was handed back");
    }
    if (closed_) {
        breach("\"" + command + "\" sent after AS, which must be the script's last command");
    }
    closed_ = closed_ || command == "AS";
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
