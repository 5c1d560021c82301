// The events family: every event kind delivered with the worst data a host may hand over, and kinds
// the contract does not define. Nothing may be thrown out of notify, and only a parent request (kind 3)
// may return a text.
#include <climits>
#include <cstddef>
#include <cstring>
#include <vector>

#include "checks.h"
#include "orvo_event_kind.h"
#include "orvo_host_records.h"
#include "storm_session.h"

namespace {

const size_t kMiB = 1024 * 1024;

std::string notUtf8() {
    return std::string("\xff\xfe\xc3\x28\xa0\xa1\xe2\x28\xa1\xf0\x28\x8c\xbc", 13);
}

// A revertive record sized for its text, as the host lays it out.
std::vector<int64_t> revertiveRecord(int32_t device, int32_t slot, const std::string& text) {
    size_t bytes = offsetof(orvo_revertive_record, slotText) + text.size() + 1;
    std::vector<int64_t> storage((bytes + 7) / 8, 0);
    auto* record = reinterpret_cast<orvo_revertive_record*>(storage.data());
    record->deviceNumber = device;
    record->slotIndex = slot;
    std::memcpy(record->slotText, text.c_str(), text.size() + 1);
    return storage;
}

class EventTrial {
public:
    explicit EventTrial(RawScript& script) : script_(script) {}

    // One event; false (with `failure` set) when the script broke the contract on it.
    bool deliver(void* data, int32_t kind, const std::string& what) {
        bool threw = false;
        std::string label = "kind " + std::to_string(kind) + ", " + what;
        size_t before = script_.breaches().size();
        char* answer = script_.notify(data, kind, label, threw);
        if (answer != nullptr && kind == orvo_event_parent) {
            script_.notify(answer, orvo_event_release, label + ", its answer handed back", threw);
        }
        std::vector<std::string> breaches = script_.breaches();
        if (breaches.size() > before) {
            failure = CheckResult::fail(breaches[before], label);
            return false;
        }
        return true;
    }

    CheckResult failure;

private:
    RawScript& script_;
};

}  // namespace

CheckResult checkHostileEvents(const CheckContext& context) {
    RawScript script(context, basePathOf(context).c_str());
    if (!script.created()) {
        return CheckResult::fail("the export returned no script");
    }
    EventTrial trial(script);
    const std::string huge(kMiB, 'x');
    const std::string bad = notUtf8();

    // Revertives (kind 1).
    std::vector<int64_t> zeroed(64, 0);
    std::vector<int64_t> hugeRevertive = revertiveRecord(7, 181, huge);
    std::vector<int64_t> badRevertive = revertiveRecord(7, 181, bad);
    std::vector<int64_t> oddRevertive = revertiveRecord(INT_MIN, INT_MAX, "12");
    // Buttons (kind 2): a record with null texts, one with a message whose texts are null, and huge
    // and bad texts everywhere.
    ParsedCommand nullMessage{};
    orvo_button_record nullTexts{};
    orvo_button_record nullInMessage{};
    nullInMessage.message = &nullMessage;
    ParsedCommand hugeMessage{};
    hugeMessage.command = huge.c_str();
    hugeMessage.value = huge.c_str();
    for (const char*& word : hugeMessage.subWords) {
        word = bad.c_str();
    }
    hugeMessage.subWordCount = ParsedCommand::kMaxSubWords;
    hugeMessage.hasValue = 1;
    orvo_button_record hugeButton{};
    hugeButton.panelId = huge.c_str();
    hugeButton.controlId = bad.c_str();
    hugeButton.message = &hugeMessage;
    std::vector<char> hugeRequest(huge.begin(), huge.end());
    hugeRequest.push_back('\0');
    std::vector<char> badRequest(bad.begin(), bad.end());
    badRequest.push_back('\0');
    std::vector<char> emptyRequest(1, '\0');

    struct Trial {
        void* data;
        int32_t kind;
        const char* what;
    };
    const Trial trials[] = {
        {nullptr, orvo_event_revertive, "a null record"},
        {zeroed.data(), orvo_event_revertive, "a zeroed record"},
        {hugeRevertive.data(), orvo_event_revertive, "a 1 MiB text"},
        {badRevertive.data(), orvo_event_revertive, "a text that is not UTF-8"},
        {oddRevertive.data(), orvo_event_revertive, "device INT_MIN, slot INT_MAX"},
        {nullptr, orvo_event_button, "a null record"},
        {&nullTexts, orvo_event_button, "a record of null texts"},
        {&nullInMessage, orvo_event_button, "a message of null texts"},
        {&hugeButton, orvo_event_button, "1 MiB and non-UTF-8 texts"},
        {nullptr, orvo_event_parent, "a null request"},
        {emptyRequest.data(), orvo_event_parent, "an empty request"},
        {hugeRequest.data(), orvo_event_parent, "a 1 MiB request"},
        {badRequest.data(), orvo_event_parent, "a request that is not UTF-8"},
        {orvo_data_from_integer(0), orvo_event_timer, "timer 0"},
        {orvo_data_from_integer(-1), orvo_event_timer, "timer -1"},
        {orvo_data_from_integer(INT_MIN), orvo_event_timer, "timer INT_MIN"},
        {orvo_data_from_integer(INT_MAX), orvo_event_timer, "timer INT_MAX"},
        {nullptr, orvo_event_release, "a null text"},
        {nullptr, orvo_event_record, "a null record"},
        {zeroed.data(), orvo_event_record, "a zeroed record"},
        {orvo_data_from_integer(0), orvo_event_integer, "0"},
        {orvo_data_from_integer(INT_MIN), orvo_event_integer, "INT_MIN"},
        {orvo_data_from_integer(INT_MAX), orvo_event_integer, "INT_MAX"},
    };
    for (const Trial& one : trials) {
        if (!trial.deliver(one.data, one.kind, one.what)) {
            return trial.failure;
        }
    }
    std::vector<std::string> breaches = script.destroy();
    if (!breaches.empty()) {
        return CheckResult::fail(breaches.front(), "the destructor after the hostile events");
    }
    CheckResult result;
    result.events = static_cast<int64_t>(sizeof trials / sizeof trials[0]);
    return result;
}

CheckResult checkOddKinds(const CheckContext& context) {
    RawScript script(context, basePathOf(context).c_str());
    if (!script.created()) {
        return CheckResult::fail("the export returned no script");
    }
    EventTrial trial(script);
    std::vector<int64_t> zeroed(64, 0);
    for (int32_t kind : {0, 8, -1, INT_MIN, INT_MAX}) {
        if (!trial.deliver(nullptr, kind, "null data") ||
            !trial.deliver(zeroed.data(), kind, "a zeroed record")) {
            return trial.failure;
        }
    }
    std::vector<std::string> breaches = script.destroy();
    if (!breaches.empty()) {
        return CheckResult::fail(breaches.front(), "the destructor after the odd kinds");
    }
    return CheckResult::pass();
}
