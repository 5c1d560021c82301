#include "storm_session.h"

#include <filesystem>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "call_guard.h"
#include "emulated_host.h"
#include "input_error.h"
#include "panel_library.h"
#include "panels.h"
#include "runner.h"
#include "scenario_writer.h"
#include "script_session.h"
#include "transcript.h"

// Listens to the host log: keeps the first ERROR with its rule and the step it came in, every ERROR for
// the raw scripts, and the first note of each named rule (a command that will not do what it meant).
class ErrorWatch final : public HostLog {
public:
    std::string firstError;
    std::string firstErrorWhere;
    std::vector<std::string> errors;
    std::vector<std::string> notes;

    void write(const LogEntry& entry) override {
        if (entry.tag == LogTag::Step) {
            step_.assign(entry.where.data(), entry.where.size());
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

private:
    std::string step_;
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

size_t blocksOf(const std::vector<std::string>& lines) {
    size_t bytes = lines.capacity() == 0 ? 0 : heapBlock(lines.data());
    for (const std::string& line : lines) {
        bytes += blockOf(line);
    }
    return bytes;
}

}  // namespace

StormSession::StormSession(const CheckContext& context, bool keepText, int trailFd)
    : watch_(std::make_unique<ErrorWatch>()), site_(*context.site), trailFd_(trailFd) {
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
    std::optional<Step> step = parseStep(line, "storm", static_cast<int>(played_.size()) + 1);
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
    try {
        runner_->run(canonical);
    } catch (const InputError& error) {
        stopped_ = std::string("the storm could not go on: ") + error.what();
        stoppedWhere_ = step.where();
    }
    return !broken();
}

bool StormSession::finish() {
    if (finished_) {
        return !broken();
    }
    finished_ = true;
    try {
        runner_->finish();
    } catch (const InputError& error) {
        stopped_ = error.what();
        stoppedWhere_ = "end";
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
    return blocksOf(played_);
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
