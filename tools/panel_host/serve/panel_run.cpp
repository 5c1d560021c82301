#include "panel_run.h"

#include <algorithm>
#include <cstdlib>

#include "action.h"
#include "host_state.h"

namespace {

// How the page marks an entry's lines.
const char* kindOf(LogTag tag) {
    switch (tag) {
        case LogTag::Step:
            return "step";
        case LogTag::Event:
            return "event";
        case LogTag::Sent:
            return "sent";
        case LogTag::Answer:
        case LogTag::Result:
            return "answer";
        case LogTag::Back:
            return "back";
        case LogTag::Debug:
            return "debug";
        case LogTag::Note:
            return "note";
        case LogTag::Error:
            return "ERROR";
        case LogTag::Failure:
            return "FAIL";
        case LogTag::Block:
            return "text";
    }
    return "text";
}

}  // namespace

PanelRun::PanelRun(const Site& site, const std::string& library, EntrySink entry)
    : site_(site), entry_(std::move(entry)) {
    runner_ = std::make_unique<Runner>(site_, library, pageLog_);
}

void PanelRun::PageLog::write(const LogEntry& entry) {
    run_.learnFeeds(entry);
    format_.write(entry);
    std::string text = text_.str();
    text_.str("");
    if (!text.empty()) {
        run_.entry_(kindOf(entry.tag), text);
    }
}

void PanelRun::playRecorded(const Step& step, std::vector<Played>& played) {
    bool needsScript = step.kind != StepKind::Silent && step.kind != StepKind::Unknown;
    if (!runner_->started() && needsScript && step.kind != StepKind::Start) {
        playRecorded(*parseStep("start", step.file, step.line), played);
    }
    if (step.isExpect() || step.kind == StepKind::Show) {
        runner_->run(step);
        return;
    }
    size_t before = runner_->record().sentTotal();
    runner_->run(step);
    // The record's window holds what this step sent (it opens as the step begins).
    const std::vector<std::string>& sent = runner_->record().sent();
    size_t count = std::min(runner_->record().sentTotal() - before, sent.size());
    played.push_back(
        {step.source, std::vector<std::string>(sent.end() - static_cast<std::ptrdiff_t>(count), sent.end())});
}

Step PanelRun::actionStep(const std::string& body, int number) const {
    std::string where = "browser:" + std::to_string(number);
    std::string line = actionLine(body, runner_->panels(), runner_->timers(), where);
    return *parseStep(line, "browser", number);
}

std::vector<PanelRun::Played> PanelRun::play(const Step& step) {
    std::vector<Played> played;
    playRecorded(step, played);
    return played;
}

std::vector<PanelRun::Played> PanelRun::ready() {
    std::vector<Played> played;
    if (!runner_->started()) {
        playRecorded(*parseStep("start", "workbench", 0), played);
    }
    return played;
}

void PanelRun::learnFeeds(const LogEntry& entry) {
    if (entry.tag == LogTag::Step) {
        handling_.reset();
    } else if (entry.tag == LogTag::Event) {
        // "revertive DEVICE SLOT TEXT"
        std::istringstream words{std::string(entry.text)};
        std::string what;
        int32_t device = 0, slot = 0;
        if (words >> what >> device >> slot && what == "revertive") {
            handling_ = std::make_pair(device, slot);
        } else {
            handling_.reset();
        }
    } else if (entry.tag == LogTag::Sent && handling_) {
        // "TP 'cell.R.C=text' 'PANEL' 'LIST'", rows counted from 0
        std::string text(entry.text);
        size_t list = text.rfind(" '");
        if (text.rfind("TP 'cell.", 0) != 0 || list == std::string::npos || text.back() != '\'') {
            return;
        }
        feeds_[*handling_] = {text.substr(list + 2, text.size() - list - 3), std::atoi(text.c_str() + 9) + 1};
    }
}

nlohmann::json PanelRun::state() const {
    nlohmann::json state = hostState(*runner_, site_);
    for (auto& driver : state["devices"]["infodrivers"]) {
        for (auto& slot : driver["slots"]) {
            auto feed = feeds_.find({driver["device"].get<int32_t>(), slot["slot"].get<int32_t>()});
            if (feed != feeds_.end()) {
                slot["feeds"] = {{"control", feed->second.control}, {"row", feed->second.row}};
            }
        }
    }
    return state;
}
