#include "recording_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "text.h"

RecordingHost::RecordingHost() : checker_(*this), door_(HostDoor::open(*this)) {}

RecordingHost::~RecordingHost() {
    // Those not reported yet; the checker frees every answer still out.
    checker_.hostEnding();
    door_->close("the test's RecordingHost or TestedPanel has ended");
}

void RecordingHost::reserved() {
    std::abort();  // a script must never call it
}

void RecordingHost::report(Fault fault, const std::string& words) {
    const std::string entry = std::string(faultName(fault)) + ": " + words;
    if (faultSeverity(fault) == Severity::Note) {
        notes_.push_back(entry);
        return;
    }
    if (fault == Fault::HandedBackTwice || fault == Fault::ForeignHandBack) {
        handBackErrors_.push_back(words);
    }
    if (fault == Fault::UnknownRequestKind || fault == Fault::CommandWithoutText) {
        ++badRequests_;
    }
    breaches_.push_back(entry);
    if (where_.file != nullptr) {
        ADD_FAILURE_AT(where_.file, where_.line) << "host contract: ERROR " << entry;
    } else {
        ADD_FAILURE() << "host contract: ERROR " << entry;
    }
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
    // As the transcript shows them: a line an entry, without its line end.
    for (const std::string& line : linesOf(capture_->drain())) {
        debug_.push_back(line);
        log_.push_back("debug " + line);
    }
}

void RecordingHost::beginCall(const std::string& event) {
    if (capture_ != nullptr) {
        capture_->claim();
    }
    checker_.beginCall(event);
}

void RecordingHost::endOfCall() {
    pullDebug();
    checker_.endCall();
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
    if (!checker_.admit(data, kind)) {
        return 0;
    }
    if (kind == orvo_request_release) {
        ContractChecker::HandBack back = checker_.handBack(data);
        log_.push_back(!back.inOrder ? "release <foreign>"
                       : back.absent ? "release null"
                                     : "release " + back.text);
        return 0;
    }
    if (kind != orvo_request_command || data == nullptr) {
        log_.push_back("bad request kind " + std::to_string(kind));
    }
    std::optional<HostCommand> command = checker_.command(data, kind, [this](const std::string& text) {
        commands_.push_back(text);
        log_.push_back(text);
    });
    if (!command) {
        return 0;
    }
    if (command->word == "PI" || command->word == "PS") {
        return layoutResult_;
    }
    const std::string text(static_cast<const char*>(data));
    std::optional<std::string> answer = answerFor(text);
    if (!answer) {
        return 0;
    }
    return reinterpret_cast<intptr_t>(checker_.give(*answer, text));
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
