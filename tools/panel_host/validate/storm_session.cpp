#include "storm_session.h"

#include <filesystem>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(_WIN32)
#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#else
#include <time.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <string_view>

#include "call_guard.h"
#include "emulated_host.h"
#include "input_error.h"
#include "isolation.h"
#include "panel_library.h"
#include "panels.h"
#include "runner.h"
#include "scenario_writer.h"
#include "script_session.h"
#include "seeds.h"
#include "transcript.h"

double threadMs() {
#if defined(_WIN32)
    FILETIME created, ended, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user);
    auto ticks = [](const FILETIME& time) {
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e4;  // 100 ns ticks
#else
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
#endif
}

namespace {

// The classes of a picker's number the coverage tells apart: no choice, the first, an ordinary choice, one
// far beyond any panel's, and a negative one other than "none".
const char* const kPickerClasses[] = {"none", "0", "1 to 63", "64 and above", "below -1"};

const char* pickerClass(int64_t value) {
    return value == -1               ? kPickerClasses[0]
           : value == 0              ? kPickerClasses[1]
           : value > 0 && value < 64 ? kPickerClasses[2]
           : value >= 64             ? kPickerClasses[3]
                                     : kPickerClasses[4];
}

// A list's rows offered to the coverage, at most; a list of thousands would drown every other group.
const int32_t kRowsOffered = 64;

}  // namespace

// Listens to the host log: keeps the first ERROR with its rule and the step it came in, every ERROR for
// the raw scripts, the first note of each named rule (a command that will not do what it meant), and
// what the events reached. When timing, each call runs from the event the host announces to the next
// event or the end of the step, so what the host does for the call (its commands) is the call's.
class ErrorWatch final : public HostLog {
public:
    std::string firstError;
    std::string firstErrorWhere;
    std::vector<std::string> errors;
    std::vector<std::string> notes;
    bool timing = false;
    StormSession::SlowCall slowest;
    Coverage coverage;

    void write(const LogEntry& entry) override {
        if (entry.tag == LogTag::Event) {
            reached(entry.text);
        } else if (entry.tag == LogTag::Sent) {
            sent(entry.text.substr(0, entry.text.find(' ')));
        } else if (entry.tag == LogTag::Answer && !entry.absent) {
            situations |= situation::Answered;
        }
        if (pace != nullptr && (entry.tag == LogTag::Step || entry.tag == LogTag::Event)) {
            paceCall(entry.tag == LogTag::Event);
        }
        if (timing && (entry.tag == LogTag::Step || entry.tag == LogTag::Event)) {
            endCall();
            if (entry.tag == LogTag::Event) {
                // Its beginning names it; a request may carry hundreds of kilobytes.
                call_.assign(entry.text.data(), std::min<size_t>(entry.text.size(), 120));
                callStart_ = threadMs();
            } else {
                slowest = {};
            }
        }
        if (entry.tag == LogTag::Step) {
            step_.assign(entry.where.data(), entry.where.size());
        } else if (entry.tag == LogTag::Failure && firstError.empty()) {
            // Only a scenario's own checks fail this way; a storm has none.
            firstError = "expectation: " + std::string(entry.text);
            firstErrorWhere = step_;
        } else if (entry.tag == LogTag::Note && entry.fault != Fault::None) {
            const std::string rule = faultName(entry.fault);
            bool known = false;
            for (const std::string& note : notes) {
                known = known || note.compare(0, rule.size() + 1, rule + ":") == 0;
            }
            if (!known) {
                notes.push_back(rule + ": " + std::string(entry.text) + " (" + step_ + ")");
            }
        } else if (entry.tag == LogTag::Error) {
            // The rule's name first: a shrunk storm must break the same rule, whatever the texts.
            errors.push_back(std::string(faultName(entry.fault)) + ": " + std::string(entry.text));
            if (firstError.empty()) {
                firstError = errors.back();
                firstErrorWhere = step_;
            }
        }
    }

    // An event as the host announced it ("button 1 Go 'x'", "timer 1 (clock 5)", ...).
    // An event as the host announced it ("button 1 Go 'x'", "timer 1 (clock 5)", ...), noted without
    // allocating unless it is new: this runs for every event of every storm.
    void reached(std::string_view text) {
        static const std::string_view prefixes[] = {"revertive ", "button ", "parent ", "timer ",
                                                    "release ",   "record ", "integer "};
        for (int kind = 0; kind < 7; ++kind) {
            const std::string_view prefix = prefixes[kind];
            if (text.compare(0, prefix.size(), prefix) != 0) {
                continue;
            }
            kindsReached |= 1u << kind;
            const bool record = kind == 0 || kind == 1 || kind == 5;
            situations |= situation::Called | (kind == 2 ? 0u : situation::CalledNotParent) |
                          (recordOut_ ? situation::CalledAfterRecord : 0u) |
                          (record ? situation::RecordDelivered : 0u) |
                          (kind == 0 || kind == 3 ? situation::Woken : 0u);
            recordOut_ = record;
            std::string_view rest = text.substr(prefix.size());
            if (kind == 0 || kind == 1) {
                // "7 181 ..." or "1 Go ...": the first two words
                size_t second = rest.find(' ');
                size_t end = second == std::string_view::npos ? second : rest.find(' ', second + 1);
                note(kind == 0 ? slotsReached : controlsReached, rest.substr(0, end));
                if (kind == 1 && end != std::string_view::npos) {
                    choice(rest.substr(0, end), rest.substr(end + 1));
                }
            } else if (kind == 3 && text.find("not running") == std::string_view::npos) {
                note(timersReached, rest.substr(0, rest.find(' ')));
            }
            return;
        }
    }

    static void note(std::set<std::string, std::less<>>& seen, std::string_view item) {
        if (seen.find(item) == seen.end()) {
            seen.emplace(item);
        }
    }

    // A list's row or a picker's number, as its press message carries it ("selectedindex=2",
    // "index=7", quoted): noted as "<panel> <control> row 3" and "<panel> <control> <class>", which count
    // only where they were offered (a button pressed with such a message has neither).
    void choice(std::string_view control, std::string_view message) {
        static const std::string_view row = "selectedindex=", number = "index=";
        if (message.size() < 2 || message[0] != '"') {
            return;
        }
        message.remove_prefix(1);
        const bool isRow = message.compare(0, row.size(), row) == 0;
        if (!isRow && message.compare(0, number.size(), number) != 0) {
            return;
        }
        message.remove_prefix(isRow ? row.size() : number.size());
        int64_t value = 0;
        const bool negative = !message.empty() && message[0] == '-';
        size_t digits = negative ? 1 : 0;
        const size_t first = digits;
        for (; digits < message.size() && digits < 12 && message[digits] >= '0' && message[digits] <= '9';
             ++digits) {
            value = value * 10 + (message[digits] - '0');
        }
        if (digits == first || digits + 1 != message.size() || message[digits] != '"') {
            return;
        }
        value = negative ? -value : value;
        if (isRow) {
            if (value >= 0) {
                note(choicesReached, std::string(control) + " row " + std::to_string(value + 1));
            }
            return;
        }
        note(choicesReached, std::string(control) + " " + pickerClass(value));
    }

    void sent(std::string_view word) {
        note(commandsSent, word);
        situations |= situation::CommandSent;
        if (word == "IR") {
            situations |= situation::Registered;
        } else if (word == "IP") {
            situations |= situation::Polled | situation::SlotUsed;
        } else if (word == "IW") {
            situations |= situation::SlotUsed;
        } else if (word == "ET") {
            situations |= situation::TimerStarted;
        } else if (word == "AS") {
            situations |= situation::Closed;
        }
    }

    // The parent's clock restarts at each step and each call; a call runs until the next event or step,
    // or the end of the step that made it.
    void paceCall(bool begins) {
        auto now = std::chrono::steady_clock::now();
        if (paceOpen_) {
            int64_t spent = std::chrono::duration_cast<std::chrono::microseconds>(now - paceStart_).count();
            if (spent > pace->slowestMicros.load(std::memory_order_relaxed)) {
                pace->slowestMicros.store(spent, std::memory_order_relaxed);
            }
        }
        paceOpen_ = begins;
        paceStart_ = now;
        pace->calls.fetch_add(1, std::memory_order_relaxed);
    }
    void endPace() {
        if (pace != nullptr && paceOpen_) {
            paceCall(false);
        }
    }

    unsigned kindsReached = 0;  // bit k-1 for kind k
    unsigned situations = 0;    // situation:: bits met so far
    Pace* pace = nullptr;
    std::set<std::string, std::less<>> slotsReached, controlsReached, timersReached, commandsSent,
        choicesReached;

    void endCall() {
        if (call_.empty()) {
            return;
        }
        double spent = threadMs() - callStart_;
        if (spent > slowest.ms) {
            slowest.ms = spent;
            slowest.call = call_;
        }
        call_.clear();
    }

private:
    std::string step_;
    std::string call_;  // the call being timed, "" between calls
    double callStart_ = 0;
    bool recordOut_ = false;  // the last call carried a record
    bool paceOpen_ = false;
    std::chrono::steady_clock::time_point paceStart_;
};

namespace {

// The heap block behind `data` as the C library counts it in its live heap; 0 where it does not say (the
// heap check is skipped there).
size_t heapBlock(const void* data) {
#if defined(__GLIBC__)
    return malloc_usable_size(const_cast<void*>(data)) + sizeof(size_t);
#else
    (void)data;
    return 0;
#endif
}

// The heap block behind a kept text, or 0 when the text lives inside the string itself.
size_t blockOf(const std::string& text) {
    const char* data = text.data();
    const char* self = reinterpret_cast<const char*>(&text);
    if (data >= self && data < self + sizeof(std::string)) {
        return 0;
    }
    return heapBlock(data);
}

}  // namespace

size_t keptBytesOf(const std::vector<std::string>& lines) {
    size_t bytes = lines.capacity() == 0 ? 0 : heapBlock(lines.data());
    for (const std::string& line : lines) {
        bytes += blockOf(line);
    }
    return bytes;
}

StormSession::StormSession(const CheckContext& context, bool keepText, int trailFd)
    : watch_(std::make_unique<ErrorWatch>()),
      site_(*context.site),
      trailFd_(trailFd),
      seeds_(context.seeds.get()) {
    watch_->pace = context.pace;
    runner_ = std::make_unique<Runner>(site_, context.library, *watch_);
    if (keepText) {
        text_ = std::make_unique<std::ostringstream>();
        transcript_ = std::make_unique<Transcript>(*text_);
        runner_->addListener(*transcript_);
    }
}

StormSession::~StormSession() {
    runner_.reset();
}

const std::vector<std::string>& StormSession::notes() const {
    return watch_->notes;
}

const std::string& StormSession::firstError() const {
    return watch_->firstError.empty() ? stopped_ : watch_->firstError;
}

const std::string& StormSession::firstErrorWhere() const {
    return watch_->firstErrorWhere.empty() ? stoppedWhere_ : watch_->firstErrorWhere;
}

std::string StormSession::transcriptText() const {
    return text_ ? text_->str() : "";
}

bool StormSession::play(const std::string& line) {
    return play(line, "storm", static_cast<int>(played_.size()) + 1);
}

bool StormSession::play(const std::string& line, const std::string& file, int lineNo) {
    std::optional<Step> step = parseStep(line, file, lineNo);
    if (!step) {
        return !broken();
    }
    return play(*step);
}

bool StormSession::play(const Step& step) {
    if (broken() || finished_) {
        return false;
    }
    // Played as the scenario writer writes it, so the transcript of a storm and of its replay agree.
    Step canonical = step;
    if (std::optional<std::string> written = scenarioLine(step)) {
        canonical.source = *written;
    }
    played_.push_back(canonical.source);
    if (trailFd_ >= 0) {
        std::string line = played_.back() + "\n";
#if defined(_WIN32)
        int ignored = ::_write(trailFd_, line.data(), static_cast<unsigned>(line.size()));
#else
        ssize_t ignored = ::write(trailFd_, line.data(), line.size());
#endif
        (void)ignored;
    }
    if (canonical.kind == StepKind::Request) {
        std::string word = canonical.text.substr(0, canonical.text.find_first_of("= "));
        if (seeds_ != nullptr && std::find(seeds_->requestWords.begin(), seeds_->requestWords.end(), word) !=
                                     seeds_->requestWords.end()) {
            watch_->coverage.reach("request words", word);
        }
    }
    if (played_.size() % 256 == 0) {
        offerWhatIsSetUp();
    }
    try {
        runner_->run(canonical);
    } catch (const InputError& error) {
        stopped_ = std::string("the storm could not go on: ") + error.what();
        stoppedWhere_ = step.where();
    }
    if (watch_->timing) {
        watch_->endCall();
    }
    watch_->endPace();
    return !broken();
}

bool StormSession::finish() {
    if (finished_) {
        return !broken();
    }
    finished_ = true;
    offerWhatIsSetUp();
    try {
        runner_->finish();
    } catch (const InputError& error) {
        stopped_ = error.what();
        stoppedWhere_ = "end";
    }
    if ((watch_->situations & situation::Created) != 0) {
        watch_->situations |= situation::Destroyed;
    }
    return !broken();
}

std::vector<StormSession::ControlView> StormSession::controls() {
    std::vector<ControlView> views;
    if (!runner_->running()) {
        return views;
    }
    for (const auto& entry : runner_->panels().all()) {
        for (const Control& control : entry.second.controls) {
            ControlView view;
            view.id = control.id();
            switch (control.kind()) {
                case ControlKind::List:
                    view.kind = ControlView::List;
                    view.rows = static_cast<int32_t>(control.rows().size());
                    break;
                case ControlKind::Picker:
                    view.kind = ControlView::Picker;
                    break;
                default:
                    view.kind = ControlView::Button;
                    break;
            }
            views.push_back(view);
        }
    }
    return views;
}

std::vector<std::pair<int32_t, int32_t>> StormSession::registeredSlots() {
    std::vector<std::pair<int32_t, int32_t>> slots;
    for (const Devices::SlotRange& range : runner_->devices().registeredRanges()) {
        // A registration of a whole device would be millions of slots; its first thousand will do.
        for (int64_t slot = range.first; slot <= range.last && slot < int64_t{range.first} + 1024; ++slot) {
            slots.emplace_back(range.device, static_cast<int32_t>(slot));
        }
    }
    return slots;
}

std::optional<int64_t> StormSession::nextTickIn() {
    const Timers& timers = runner_->timers();
    std::vector<Timers::Running> running = timers.running();
    if (running.empty()) {
        return std::nullopt;
    }
    return running.front().due - timers.now();
}

size_t StormSession::keptBytes() const {
    return keptBytesOf(played_);
}

void StormSession::offerWhatIsSetUp() {
    Coverage& coverage = watch_->coverage;
    static const char* const kinds[] = {"1 revertive", "2 button", "3 parent request", "4 timer",
                                        "5 release",   "6 record", "7 integer"};
    for (const char* kind : kinds) {
        coverage.offer("event kinds", kind);
    }
    if (!runner_) {
        return;
    }
    if (!runner_->running()) {
        return;
    }
    watch_->situations |= situation::Created;
    for (const auto& entry : runner_->panels().all()) {
        for (const Control& control : entry.second.controls) {
            const std::string name = entry.first + " " + control.id();
            coverage.offer("controls", name);
            if (control.kind() == ControlKind::List) {
                const auto rows = std::min<size_t>(control.rows().size(), kRowsOffered);
                for (size_t row = 1; row <= rows; ++row) {
                    coverage.offer("list rows", name + " row " + std::to_string(row));
                }
            } else if (control.kind() == ControlKind::Picker) {
                for (const char* value : kPickerClasses) {
                    coverage.offer("picker values", name + " " + value);
                }
            }
        }
    }
    for (const auto& slot : registeredSlots()) {
        coverage.offer("slots", std::to_string(slot.first) + " " + std::to_string(slot.second));
    }
    for (const Timers::Running& timer : runner_->timers().running()) {
        coverage.offer("timers", std::to_string(timer.id));
    }
    if (seeds_ != nullptr) {
        for (const std::string& word : seeds_->requestWords) {
            coverage.offer("request words", word);
        }
    }
}

Coverage StormSession::coverage() {
    offerWhatIsSetUp();
    Coverage coverage = watch_->coverage;
    static const char* const kinds[] = {"1 revertive", "2 button", "3 parent request", "4 timer",
                                        "5 release",   "6 record", "7 integer"};
    for (unsigned kind = 0; kind < 7; ++kind) {
        if ((watch_->kindsReached & (1u << kind)) != 0) {
            coverage.reach("event kinds", kinds[kind]);
        }
    }
    for (const std::string& slot : watch_->slotsReached) {
        coverage.reach("slots", slot);
    }
    for (const std::string& control : watch_->controlsReached) {
        coverage.reach("controls", control);
    }
    for (const std::string& timer : watch_->timersReached) {
        coverage.reach("timers", timer);
    }
    for (const char* group : {"list rows", "picker values"}) {
        auto& items = coverage.groups[group];
        for (const std::string& choice : watch_->choicesReached) {
            auto item = items.find(choice);
            if (item != items.end()) {
                item->second = true;
            }
        }
        if (items.empty()) {
            coverage.groups.erase(group);
        }
    }
    coverContractRules(watch_->situations, coverage);
    coverage.commandsSent.insert(watch_->commandsSent.begin(), watch_->commandsSent.end());
    return coverage;
}

void StormSession::timeCalls() {
    watch_->timing = true;
}

const StormSession::SlowCall& StormSession::slowestCall() const {
    return watch_->slowest;
}

void StormSession::restartTrail() {
#if !defined(_WIN32)
    if (trailFd_ >= 0 && ::ftruncate(trailFd_, 0) == 0) {
        ::lseek(trailFd_, 0, SEEK_SET);
    }
#endif
}

ScenarioSeed readScenarioSeed(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw InputError(path + ": cannot read the scenario");
    }
    ScenarioSeed seed;
    seed.file = path;
    for (const Step& step : readScenario(in, path)) {
        std::string line = scenarioLine(step).value_or(step.source);
        seed.lines.emplace_back(step.line, line);
        if (step.isExpect() || step.kind == StepKind::Show || step.kind == StepKind::Help ||
            step.kind == StepKind::Start || step.kind == StepKind::Stop) {
            continue;
        }
        seed.prefix.push_back(line);
        if ((step.kind == StepKind::Press || step.kind == StepKind::Select || step.kind == StepKind::Pick) &&
            !step.name.empty()) {
            seed.controls.push_back(step.name);
        }
        switch (step.kind) {
            case StepKind::Request:
                seed.requests.push_back(step.text);
                break;
            case StepKind::Press:
                if (!step.text.empty()) {
                    seed.messages.push_back(step.text);
                }
                break;
            case StepKind::Revertive:
                seed.texts.push_back(step.text);
                break;
            case StepKind::Select:
            case StepKind::Pick:
                // "select none" is a choice too, but no row to come back to.
                if (!step.name.empty() && !step.none) {
                    seed.choices.emplace_back(step.name, step.first);
                }
                break;
            case StepKind::Tick:
                seed.ticks.push_back(step.first);
                break;
            case StepKind::Advance:
                seed.advances.push_back(step.first);
                break;
            default:
                seed.numbers.push_back(step.first);
                break;
        }
    }
    return seed;
}

std::vector<std::string> simplerLines(const std::string& line) {
    std::optional<Step> step = parseStep(line, "storm", 1);
    std::vector<std::string> forms;
    if (!step) {
        return forms;
    }
    auto offer = [&](const Step& form) {
        std::optional<std::string> written = scenarioLine(form);
        if (written && *written != line && std::find(forms.begin(), forms.end(), *written) == forms.end()) {
            forms.push_back(*written);
        }
    };
    const bool hasText =
        step->kind == StepKind::Press || step->kind == StepKind::Request || step->kind == StepKind::Revertive;
    if (hasText && !step->text.empty()) {
        for (const std::string& text : {std::string(), step->text.substr(0, step->text.size() / 2),
                                        step->text.substr(step->text.size() / 2)}) {
            Step form = *step;
            form.text = text;
            offer(form);
        }
    }
    const bool hasNumber = step->kind == StepKind::Advance || step->kind == StepKind::Tick ||
                           step->kind == StepKind::Integer || step->kind == StepKind::Pick;
    if (hasNumber) {
        const int32_t low = step->kind == StepKind::Advance ? 1 : 0;
        for (int32_t number : {low, int32_t{1}, step->first / 2}) {
            Step form = *step;
            form.first = std::max(low, number);
            offer(form);
        }
    }
    return forms;
}

std::string scenarioRest(const std::string& text) {
    return scenarioText(text);
}

std::shared_ptr<const Site> readSiteOrNone(const std::string& path) {
    if (path.empty()) {
        return std::make_shared<const Site>();
    }
    auto site = std::make_shared<const Site>(readSiteFile(path));
    // The layouts are read once here: a check that met a broken one would blame the panel for it.
    std::filesystem::path folder(site->basePath);
    if (folder.is_relative()) {
        folder = std::filesystem::path(site->siteDir) / folder;
    }
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".orvo_ui" && !entry.is_directory(error)) {
            Panels scratch;
            scratch.load("layout", entry.path().string(), entry.path().string(), false);
        }
    }
    return site;
}

std::string basePathOf(const CheckContext& context) {
    return context.site->basePath;
}

// ---- Direct calls ---------------------------------------------------------------------------------------

// The script's table as the host calls it, as the session declares it: the destructor, then notify.
class ScriptTable {
public:
#if defined(_WIN32)
    virtual void* scalarDeletingDestructor(uint32_t flags) = 0;
#else
    virtual ~ScriptTable() noexcept(false) = default;
#endif
    virtual char* notify(void* data, int32_t kind) = 0;
};

struct RawScript::Parts {
    explicit Parts(const Site& site) : host(site, watch) {}
    ErrorWatch watch;
    EmulatedHost host;
    std::unique_ptr<PanelLibrary> library;
    std::unique_ptr<ScriptSession> session;
    bool created = false;
};

RawScript::RawScript(const CheckContext& context, const char* basePath)
    : parts_(std::make_unique<Parts>(*context.site)) {
    parts_->library = PanelLibrary::open(context.library);
    call_guard::install();
    call_guard::setStep("raw events");
    parts_->session = std::make_unique<ScriptSession>(*parts_->library, parts_->host, parts_->watch);
    parts_->created = parts_->session->start(basePath == nullptr ? std::string() : basePath);
}

RawScript::~RawScript() {
    destroy();
    parts_->session.reset();
    if (parts_->library) {
        parts_->library->unload();
    }
}

bool RawScript::created() const {
    return parts_->created;
}

char* RawScript::notify(void* data, int32_t kind, const std::string& what, bool& threw) {
    call_guard::setStep(what);
    size_t before = parts_->watch.errors.size();
    char* answer = parts_->session->notify(data, kind);
    threw = false;
    for (size_t i = before; i < parts_->watch.errors.size(); ++i) {
        threw = threw || parts_->watch.errors[i].find("threw") != std::string::npos;
    }
    return answer;
}

std::vector<std::string> RawScript::destroy() {
    if (parts_->session) {
        parts_->session->stop();
    }
    return parts_->watch.errors;
}

std::vector<std::string> RawScript::breaches() const {
    return parts_->watch.errors;
}

// The script is deleted through a table it was not built with, which the sanitizer's vptr check would
// take for a fault; the entries are the same ones.
#if defined(__clang__) || defined(__GNUC__)
__attribute__((no_sanitize("vptr")))
#endif
bool createWithNullHost(const std::string& library, const char* basePath) {
    std::unique_ptr<PanelLibrary> opened = PanelLibrary::open(library);
    call_guard::install();
    call_guard::enter("the export with a null host");
    orvo_client_callback* script = opened->loadScript()(nullptr, basePath);
    call_guard::leave();
    if (script == nullptr) {
        return false;
    }
    call_guard::enter("the destructor of a script with a null host");
#if defined(_WIN32)
    reinterpret_cast<ScriptTable*>(script)->scalarDeletingDestructor(1);
#else
    delete reinterpret_cast<ScriptTable*>(script);
#endif
    call_guard::leave();
    return true;
}

std::vector<std::string> manyScripts(const CheckContext& context, const std::vector<int>& destroyOrder) {
    std::vector<std::unique_ptr<RawScript>> scripts;
    std::vector<std::string> breaches;
    for (size_t i = 0; i < destroyOrder.size(); ++i) {
        scripts.push_back(std::make_unique<RawScript>(context, context.site->basePath.c_str()));
        if (!scripts.back()->created()) {
            breaches.push_back("script " + std::to_string(i + 1) + " could not be created");
        }
    }
    for (int index : destroyOrder) {
        for (const std::string& breach : scripts[static_cast<size_t>(index)]->destroy()) {
            breaches.push_back("script " + std::to_string(index + 1) + ": " + breach);
        }
    }
    return breaches;
}
