#include "sweep_panel.h"

#include <cstring>

#include "failing_allocator.h"
#include "host_records.h"
#include "orvo_event_kind.h"

extern "C" orvo_client_callback* load_orvo_client_script(orvo_host* host, const char* basePath);

intptr_t SweepHost::request(void* data, int32_t kind) {
    failing_allocator::Pause pause;
    return RecordingHost::request(data, kind);
}

namespace {

// A host record, made with the failing allocator paused: its blocks are the host's, not counted.
template <typename Build>
HostRecord pausedRecord(Build build) {
    failing_allocator::Pause pause;
    return build();
}

std::unique_ptr<SweepHost> siteHost(const Site& site) {
    auto host = std::make_unique<SweepHost>();
    host->answer("SD 'ZaD SDI Router'", "3 0");
    host->answer("SD 'DAZ Tally Infodriver'", "7 0");
    host->answer("TG '1' 'Mixer' 'selectedindex'", "selectedindex=2");
    host->answerPrefix("RN 3 1 ", "Camera|12" + site.namePad);
    return host;
}

}  // namespace

SweepPanel::SweepPanel(const Site& s) : site(s), host_(siteHost(s)) {
    answers_.reserve(64);
    answerTexts_.reserve(64);
}

std::vector<std::string> SweepPanel::contractBreaches() const {
    std::vector<std::string> all = earlierBreaches_;
    all.insert(all.end(), host_->contractBreaches().begin(), host_->contractBreaches().end());
    if (host_->outstanding() != 0) {
        all.push_back(std::to_string(host_->outstanding()) + " answer(s) never handed back");
    }
    return all;
}

SweepPanel::~SweepPanel() {
    destroy();
}

bool SweepPanel::create() {
    if (hostUsed_) {
        failing_allocator::Pause pause;
        destroy();
        earlierBreaches_ = contractBreaches();
        host_ = siteHost(site);
    }
    hostUsed_ = true;
    try {
        panel_ = load_orvo_client_script(host_.get(), site.basePath.c_str());
    } catch (...) {
        ++escapes_;
        panel_ = nullptr;
    }
    return panel_ != nullptr;
}

void SweepPanel::destroy() {
    if (panel_ == nullptr) {
        return;
    }
    // The destructor is noexcept: an exception leaving it ends the program, which the sweep reports as
    // a crash.
    delete panel_;
    panel_ = nullptr;
    answers_.clear();
    answerTexts_.clear();
}

char* SweepPanel::notify(void* data, int32_t kind) {
    char* result = nullptr;
    try {
        result = panel_->notify(data, kind);
    } catch (...) {
        ++escapes_;
    }
    // Every answer of the call was due back by its end.
    failing_allocator::Pause pause;
    host_->endOfCall();
    return result;
}

void SweepPanel::chooseRow3() {
    event("1", "Mixer", "selected");
}

void SweepPanel::pickDest(int32_t dest) {
    std::string message;
    {
        failing_allocator::Pause pause;
        message = "index=" + std::to_string(dest);
    }
    event("1", "Dest", message.c_str());
}

void SweepPanel::press(const char* control) {
    event("1", control, "pressed");
}

void SweepPanel::event(const char* panelId, const char* controlId, const char* message) {
    const HostRecord record = pausedRecord([&] { return HostRecord::button(panelId, controlId, message); });
    notify(record.data(), orvo_event_button);
}

void SweepPanel::report(int32_t slot, const std::string& value, int32_t device) {
    const HostRecord record = pausedRecord(
        [&] { return HostRecord::revertive(device, slot, value + std::string(site.slotPad.size(), ' ')); });
    notify(record.data(), orvo_event_revertive);
}

void SweepPanel::tick(int32_t timerId) {
    notify(orvo_data_from_integer(timerId), orvo_event_timer);
}

void SweepPanel::ask(const char* request) {
    char* answer = notify(const_cast<char*>(request), orvo_event_parent);
    if (answer != nullptr) {
        failing_allocator::Pause pause;
        answers_.push_back(answer);
        answerTexts_.push_back(answer);
    }
}

void SweepPanel::releaseOldest() {
    if (answers_.empty()) {
        return;
    }
    char* answer = answers_.front();
    {
        failing_allocator::Pause pause;
        answers_.erase(answers_.begin());
        answerTexts_.erase(answerTexts_.begin());
    }
    released_ = answer;
    notify(answer, orvo_event_release);
}

void SweepPanel::releaseForeign() {
    char foreign[] = "the host's own text";
    notify(foreign, orvo_event_release);
}

void SweepPanel::releaseAgain() {
    if (released_ != nullptr) {
        notify(released_, orvo_event_release);
    }
}

void SweepPanel::notifyRaw(void* data, int32_t kind) {
    notify(data, kind);
}
