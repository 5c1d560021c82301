#include "workbench.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <sstream>

#include "action.h"
#include "host_state.h"
#include "input_error.h"
#include "text.h"

namespace {

std::string newSessionId() {
    std::random_device random;
    std::ostringstream out;
    out << std::hex << random() << random();
    return out.str();
}

// A scratch folder of its own under the system's temporary folder.
std::string makeScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "panel_host-watch-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw InputError("panel_host: cannot make a scratch folder for --watch in " +
                         std::filesystem::temp_directory_path().string());
    }
    return pattern;
}

}  // namespace

Workbench::Workbench(const std::string& library, const Site& site, EventStream& events, std::ostream& out,
                     bool watch)
    : library_(library), site_(site), events_(events), out_(out), terminal_(out), session_(newSessionId()) {
    if (watch) {
        scratch_ = makeScratch();
    }
    loaded_ = watch ? takeBuild() : library_;
    runner_ = openRun(loaded_);
}

Workbench::~Workbench() {
    runner_.reset();
    if (!scratch_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(scratch_, ignored);
    }
}

std::string Workbench::takeBuild() {
    std::filesystem::path copy =
        std::filesystem::path(scratch_) /
        ("build-" + std::to_string(++copies_) + std::filesystem::path(library_).extension().string());
    std::error_code error;
    std::filesystem::copy_file(library_, copy, std::filesystem::copy_options::overwrite_existing, error);
    if (error) {
        throw InputError(library_ + ": cannot be read: " + error.message());
    }
    return copy.string();
}

std::unique_ptr<Runner> Workbench::openRun(const std::string& library) {
    auto runner = std::make_unique<Runner>(site_, library, terminal_);
    runner->addListener(pageLog_);
    return runner;
}

void Workbench::say(const std::string& kind, const std::string& line) {
    out_ << line << std::endl;
    pageLine(kind, line);
}

void Workbench::startFirst(const Step& step) {
    bool needsScript = step.kind != StepKind::Silent && step.kind != StepKind::Unknown;
    if (runner_->started() || !needsScript || step.kind == StepKind::Start) {
        return;
    }
    std::optional<Step> start = parseStep("start", step.file, step.line);
    playRecorded(*start);
}

void Workbench::playRecorded(const Step& step) {
    startFirst(step);
    if (step.isExpect() || step.kind == StepKind::Show) {
        runner_->run(step);
        return;
    }
    size_t before = runner_->record().sentTotal();
    runner_->run(step);
    // The record's window holds what this step sent (it opens as the step begins).
    const std::vector<std::string>& sent = runner_->record().sent();
    size_t count = std::min(runner_->record().sentTotal() - before, sent.size());
    record_.played(step.source,
                   std::vector<std::string>(sent.end() - static_cast<std::ptrdiff_t>(count), sent.end()));
}

void Workbench::play(const Step& step) {
    playRecorded(step);
}

void Workbench::ready() {
    if (!runner_->started()) {
        playRecorded(*parseStep("start", "workbench", 0));
    }
    publishState();
}

Workbench::Reply Workbench::act(const std::string& body) {
    Reply reply;
    try {
        std::string where = "browser:" + std::to_string(actions_ + 1);
        std::string line = actionLine(body, runner_->panels(), runner_->timers(), where);
        std::optional<Step> step = parseStep(line, "browser", actions_ + 1);
        ++actions_;
        playRecorded(*step);
        publishState();
        reply.body = jsonText({{"version", version_}});
    } catch (const InputError& error) {
        // Under the step's line when it got that far; the page still sees where the host stands.
        say("refused", std::string("   refused ") + error.what());
        publishState();
        reply.status = 400;
        reply.body = error.what();
    }
    return reply;
}

Workbench::Reply Workbench::newSession() {
    runner_->finish();
    runner_.reset();
    runner_ = openRun(loaded_);
    record_ = ScenarioRecord();
    actions_ = 0;
    events_.clear();
    ready();
    return {200, jsonText({{"version", version_}})};
}

void Workbench::clearTranscript() {
    events_.clear();
    publishState();
}

size_t Workbench::replay(const std::vector<Step>& steps, std::optional<Runner>& old,
                         std::ostringstream& oldOut) {
    compare_ = old ? nlohmann::json{{"same", true}, {"steps", 0}} : nlohmann::json();
    std::vector<std::string> newLines;
    size_t played = 0;
    for (const Step& step : steps) {
        std::string refused;
        newLines.clear();
        capture_ = &newLines;
        try {
            playRecorded(step);
        } catch (const InputError& error) {
            refused = error.what();
            say("refused", "   refused " + refused);
        }
        capture_ = nullptr;
        if (old) {
            oldOut.str("");
            try {
                old->run(step);
            } catch (const InputError& error) {
                oldOut << "   refused " << error.what() << "\n";
            }
            std::vector<std::string> oldLines = linesOf(oldOut.str());
            if (oldLines != newLines) {
                size_t at = 0;
                while (at < oldLines.size() && at < newLines.size() && oldLines[at] == newLines[at]) {
                    ++at;
                }
                compare_ = {{"same", false},
                            {"steps", played},
                            {"step", step.source},
                            {"old", at < oldLines.size() ? oldLines[at] : "(nothing more)"},
                            {"new", at < newLines.size() ? newLines[at] : "(nothing more)"},
                            {"oldLines", oldLines},
                            {"newLines", newLines}};
                // Past the first difference the old build has nothing more to say.
                old->finish();
                old.reset();
            }
        }
        if (!refused.empty()) {
            break;  // the rest of the session is in what was saved
        }
        ++played;
        if (old) {
            compare_["steps"] = played;
        }
    }
    return played;
}

void Workbench::reload() {
    std::string copy;
    std::unique_ptr<Runner> runner;
    try {
        copy = takeBuild();
        runner = std::make_unique<Runner>(site_, copy, terminal_);
    } catch (const std::exception& error) {
        if (!copy.empty()) {
            std::error_code ignored;
            std::filesystem::remove(copy, ignored);
        }
        // Named as the author knows it, not by the copy it was loaded from.
        buildProblem_ = error.what();
        for (size_t at = buildProblem_.find(copy); !copy.empty() && at != std::string::npos;
             at = buildProblem_.find(copy, at + library_.size())) {
            buildProblem_.replace(at, copy.size(), library_);
        }
        say("text", "panel_host: the rebuilt library cannot be loaded, so the session stays on build " +
                        std::to_string(build_) + ": " + buildProblem_);
        publishState();
        return;
    }
    buildProblem_.clear();
    ++build_;
    say("text", "panel_host: build " + std::to_string(build_) + " of " + library_ +
                    " arrived; the old build's script ends and the session is played again on the new one");

    // The session's steps, as "Save as scenario" would keep them.
    std::istringstream saved(record_.text());
    std::vector<Step> steps;
    for (const Step& step : readScenario(saved, "session")) {
        if (!step.isExpect()) {
            steps.push_back(step);
        }
    }

    runner_->finish();
    runner_.reset();
    // The old build plays the same steps beside the new one, on a host of its own, as --compare does.
    std::ostringstream oldOut;
    Transcript oldTranscript(oldOut);
    std::optional<Runner> old;
    try {
        old.emplace(site_, loaded_, oldTranscript);
    } catch (const InputError& error) {
        say("text",
            std::string("panel_host: the old build cannot be played again, so there is no comparison: ") +
                error.what());
    }

    runner_ = std::move(runner);
    runner_->addListener(pageLog_);
    record_ = ScenarioRecord();
    actions_ = 0;
    size_t played = replay(steps, old, oldOut);
    if (old) {
        old->finish();
        old.reset();
    }
    std::error_code ignored;
    std::filesystem::remove(loaded_, ignored);
    loaded_ = copy;
    if (compare_.is_object() && compare_["same"] == true) {
        say("text", "panel_host: build " + std::to_string(build_) + " is the same through " +
                        std::to_string(played) + " steps");
    } else if (compare_.is_object()) {
        say("text", "panel_host: build " + std::to_string(build_) + " differs from the one before at " +
                        compare_["step"].get<std::string>());
    }
    publishState();
}

std::string Workbench::compare() const {
    return jsonText(compare_.is_null() ? nlohmann::json{{"same", nullptr}} : compare_);
}

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

void Workbench::PageLog::write(const LogEntry& entry) {
    bench_.learnFeeds(entry);
    format_.write(entry);
    std::string text = text_.str();
    text_.str("");
    for (const std::string& line : linesOf(text)) {
        bench_.pageLine(kindOf(entry.tag), line);
    }
}

void Workbench::learnFeeds(const LogEntry& entry) {
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

void Workbench::pageLine(const std::string& kind, const std::string& line) {
    events_.line(jsonText({{"kind", kind}, {"text", line}}));
    if (capture_ != nullptr) {
        capture_->push_back(line);
    }
}

std::string Workbench::state() {
    nlohmann::json state = hostState(*runner_, site_);
    state["version"] = version_;
    state["session"] = session_;
    state["build"] = build_;
    state["watching"] = !scratch_.empty();
    state["buildProblem"] = buildProblem_;
    state["compare"] = compare_;
    for (auto& driver : state["devices"]["infodrivers"]) {
        for (auto& slot : driver["slots"]) {
            auto feed = feeds_.find({driver["device"].get<int32_t>(), slot["slot"].get<int32_t>()});
            if (feed != feeds_.end()) {
                slot["feeds"] = {{"control", feed->second.control}, {"row", feed->second.row}};
            }
        }
    }
    return jsonText(state);
}

void Workbench::publishState() {
    ++version_;
    events_.state(state());
}
