#include "recording_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

RecordingHost::RecordingHost() = default;

RecordingHost::~RecordingHost() {
    // Those not reported yet; the rule frees every answer still out.
    const size_t neverBack = answers_.overdue().size();
    if (neverBack > 0) {
        breach(std::to_string(neverBack) + " answer(s) never handed back");
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

void RecordingHost::reportOverdue(const std::string& when) {
    // Reported once: a later hand-back of these is taken without another report.
    for (const HandBackRule::Answer& due : answers_.overdue()) {
        breach("the answer \"" + due.text + "\" to " + due.command + " was not handed back " + when);
    }
}

void RecordingHost::beginCall() {
    if (capture_ != nullptr) {
        capture_->claim();
    }
}

void RecordingHost::endOfCall() {
    pullDebug();
    reportOverdue("before the call into the script returned");
    answers_.callEnded();
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
        HandBackRule::HandBack back = answers_.handBack(data);
        if (back.fault == HandBackRule::Fault::None) {
            log_.push_back("release " + back.text);
            return 0;
        }
        const std::string what =
            back.fault == HandBackRule::Fault::Twice
                ? "the answer \"" + back.text + "\" to " + back.command + " was handed back twice"
                : "hand-back of a pointer this host did not give out or already got back";
        handBackErrors_.push_back(what);
        breach(what);
        log_.push_back("release <foreign>");
        return 0;
    }
    if (kind != orvo_request_command || data == nullptr) {
        ++badRequests_;
        breach(data == nullptr ? "a null command" : "a request of kind " + std::to_string(kind));
        log_.push_back("bad request kind " + std::to_string(kind));
        return 0;
    }
    std::string command(static_cast<const char*>(data));
    reportOverdue("before \"" + command + "\" was sent");
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
    return reinterpret_cast<intptr_t>(answers_.give(*text, command));
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
