#include "workbench.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "call_guard.h"
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

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); !from.empty() && at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// How many differing steps a comparison lists; the rest are counted.
constexpr size_t kListedDifferences = 50;

}  // namespace

Workbench::Workbench(const std::string& library, const Site& site, EventStream& events, std::ostream& out,
                     BenchOptions options)
    : library_(library),
      site_(site),
      events_(events),
      out_(out),
      options_(std::move(options)),
      session_(newSessionId()) {
    if (options_.watch) {
        scratch_ = makeScratch();
    }
    loaded_ = options_.watch ? takeBuild() : library_;
    good_ = loaded_;
    child_ = openChild(loaded_);
    drawing_ = child_->drawing();
}

Workbench::~Workbench() {
    child_.reset();
    saveSession();
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

void Workbench::dropCopy(const std::string& copy) {
    if (!scratch_.empty() && copy != loaded_ && copy != good_ && copy != library_) {
        std::error_code ignored;
        std::filesystem::remove(copy, ignored);
    }
}

std::unique_ptr<PanelChild> Workbench::openChild(const std::string& library) {
    PanelChild::Options options{options_.stepLimit, options_.stopping, options_.finish};
    return std::make_unique<PanelChild>(site_, library, options);
}

void Workbench::entry(const std::string& kind, const std::string& text) {
    if (kind == "step") {
        // "== browser:3  press Select": the step a crash or a hang is then named by.
        size_t gap = text.find("  ");
        std::string line = linesOf(text).empty() ? text : linesOf(text).front();
        playing_ = gap == std::string::npos || line.size() < 3
                       ? line
                       : line.substr(3, gap - 3) + " `" + line.substr(std::min(line.size(), gap + 2)) + "`";
    }
    out_ << text << std::flush;
    for (const std::string& line : linesOf(text)) {
        pageLine(kind, line);
    }
}

void Workbench::say(const std::string& kind, const std::string& line) {
    out_ << line << std::endl;
    pageLine(kind, line);
}

void Workbench::pageLine(const std::string& kind, const std::string& line) {
    events_.line(jsonText({{"kind", kind}, {"text", line}}));
    if (capture_ != nullptr) {
        capture_->push_back(line);
    }
}

PanelChild::Answer Workbench::askLive(const nlohmann::json& request, const std::string& step) {
    if (!child_) {
        return PanelChild::Answer{false, nullptr, failure_, false, false};
    }
    playing_.clear();
    PanelChild::Answer answer =
        child_->ask(request, [this](const std::string& kind, const std::string& text) { entry(kind, text); });
    if (!answer.answered) {
        std::string where = !step.empty() ? step : !playing_.empty() ? playing_ : "the step asked for";
        const char* what = answer.hung ? " hung" : answer.stopped ? " was stopped" : " crashed";
        failure_ = "build " + std::to_string(loadedBuild_) + what + " at " + where + ": " + answer.failure;
        say("ERROR", "panel_host: " + failure_);
        child_.reset();
        drawing_["running"] = false;
    }
    return answer;
}

void Workbench::take(const PanelChild::Answer& answer) {
    for (const auto& played : answer.reply.value("played", nlohmann::json::array())) {
        record_.played(played.value("line", ""), played.value("sent", std::vector<std::string>{}));
        unsaved_ = true;
    }
    if (answer.reply.contains("state")) {
        drawing_ = answer.reply["state"];
    }
    // A replay's session is saved once it has gone through, never half-way.
    if (unsaved_ && !replaying_ &&
        std::chrono::steady_clock::now() - savedAt_ > std::chrono::milliseconds(200)) {
        saveSession();
    }
    if (answer.reply.contains("refused")) {
        throw InputError(answer.reply["refused"].get<std::string>());
    }
}

void Workbench::play(const Step& step) {
    PanelChild::Answer answer =
        askLive({{"op", "step"}, {"line", step.source}, {"file", step.file}, {"at", step.line}},
                step.where() + " `" + step.source + "`");
    if (!answer.answered) {
        throw InputError(step.where() + ": " + failure_);
    }
    take(answer);
}

void Workbench::ready() {
    PanelChild::Answer answer = askLive({{"op", "ready"}}, "the start");
    if (answer.answered) {
        take(answer);
    }
    publishState();
}

Workbench::Reply Workbench::act(const std::string& body) {
    if (!child_) {
        return {409, "build " + std::to_string(loadedBuild_) + " is not running (" + failure_ +
                         "); take back build " + std::to_string(goodBuild_) + " or rebuild"};
    }
    Reply reply;
    PanelChild::Answer answer = askLive({{"op", "action"}, {"body", body}, {"number", actions_ + 1}}, "");
    if (answer.answered && answer.reply.value("counted", false)) {
        ++actions_;
    }
    try {
        if (!answer.answered) {
            ++actions_;
            publishState();
            return {500, "panel_host: " + failure_};
        }
        take(answer);
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
    if (child_) {
        askLive({{"op", "end"}}, "the end of the session");
    }
    child_.reset();
    failure_.clear();
    record_ = ScenarioRecord();
    unsaved_ = true;
    actions_ = 0;
    events_.clear();
    try {
        child_ = openChild(loaded_);
        drawing_ = child_->drawing();
    } catch (const InputError& error) {
        failure_ = error.what();
        say("ERROR", std::string("panel_host: ") + failure_);
        publishState();
        return {500, failure_};
    }
    ready();
    return {200, jsonText({{"version", version_}})};
}

Workbench::Reply Workbench::takeBack() {
    return playAgain(
        sessionSteps(), true,
        "panel_host: build " + std::to_string(goodBuild_) + " taken back; the session is played again on it");
}

Workbench::Reply Workbench::resumePrevious() {
    std::ifstream in(previousSession_, std::ios::binary);
    if (previousSession_.empty() || !in) {
        return {404, "there is no earlier session to take up"};
    }
    std::vector<Step> steps;
    try {
        for (const Step& step : readScenario(in, previousSession_)) {
            if (!step.isExpect()) {
                steps.push_back(step);
            }
        }
    } catch (const InputError& error) {
        return {400, error.what()};
    }
    return playAgain(steps, false,
                     "panel_host: the earlier session in " + previousSession_ + " is played on build " +
                         std::to_string(goodBuild_));
}

Workbench::Reply Workbench::playAgain(const std::vector<Step>& steps, bool keepWhole,
                                      const std::string& note) {
    if (child_) {
        askLive({{"op", "end"}}, "the end of build " + std::to_string(loadedBuild_));
        child_.reset();
    }
    std::string previous = loaded_;
    loaded_ = good_;
    loadedBuild_ = goodBuild_;
    dropCopy(previous);
    failure_.clear();
    buildProblem_.clear();
    say("text", note);
    try {
        child_ = openChild(loaded_);
        drawing_ = child_->drawing();
    } catch (const InputError& error) {
        failure_ = error.what();
        say("ERROR", std::string("panel_host: ") + failure_);
        publishState();
        return {500, failure_};
    }
    ScenarioRecord whole = record_;
    record_ = ScenarioRecord();
    unsaved_ = true;
    actions_ = 0;
    size_t played = replay(steps, nullptr);
    if (keepWhole) {
        keepWholeSession(whole);
    }
    compare_ = nullptr;
    say("text", "panel_host: build " + std::to_string(loadedBuild_) + " played " + std::to_string(played) +
                    " of the session's " + std::to_string(steps.size()) + " steps");
    publishState();
    return {200, jsonText({{"version", version_}})};
}

void Workbench::clearTranscript() {
    events_.clear();
    publishState();
}

std::vector<Step> Workbench::sessionSteps() const {
    std::istringstream saved(record_.text());
    std::vector<Step> steps;
    for (const Step& step : readScenario(saved, "session")) {
        if (!step.isExpect()) {
            steps.push_back(step);
        }
    }
    return steps;
}

size_t Workbench::replay(const std::vector<Step>& steps, std::unique_ptr<PanelChild> old) {
    nlohmann::json differences = nlohmann::json::array();
    size_t differing = 0;
    std::string stopped;
    std::vector<std::string> newLines;
    size_t played = 0;
    replaying_ = true;
    for (const Step& step : steps) {
        std::string name = "step " + std::to_string(played + 1) + " `" + step.source + "`";
        nlohmann::json request = {
            {"op", "step"}, {"line", step.source}, {"file", step.file}, {"at", step.line}};
        newLines.clear();
        capture_ = &newLines;
        PanelChild::Answer answer = askLive(request, name);
        std::string refused;
        if (answer.answered) {
            try {
                take(answer);
            } catch (const InputError& error) {
                refused = error.what();
                say("refused", "   refused " + refused);
            }
        }
        capture_ = nullptr;
        if (old) {
            std::vector<std::string> oldLines;
            PanelChild::Answer before = old->ask(request, [&](const std::string&, const std::string& text) {
                for (const std::string& line : linesOf(text)) {
                    oldLines.push_back(line);
                }
            });
            if (!before.answered) {
                oldLines.push_back("panel_host: the old build's process was lost: " + before.failure);
                old.reset();
            } else if (before.reply.contains("refused")) {
                oldLines.push_back("   refused " + before.reply["refused"].get<std::string>());
            }
            if (oldLines != newLines && ++differing <= kListedDifferences) {
                differences.push_back({{"index", played + 1},
                                       {"step", step.source},
                                       {"oldLines", oldLines},
                                       {"newLines", newLines}});
            }
        }
        if (!answer.answered) {
            stopped = failure_;
            break;
        }
        if (!refused.empty()) {
            stopped = name + " was refused: " + refused;
            break;  // the rest of the session is in what was saved
        }
        ++played;
    }
    replaying_ = false;
    if (old) {
        old->ask({{"op", "end"}}, [](const std::string&, const std::string&) {});
    }
    compare_ = {{"same", differences.empty() && stopped.empty()},
                {"replayed", played},
                {"of", steps.size()},
                {"steps", played},
                {"differing", differing},
                {"differences", differences}};
    if (!stopped.empty()) {
        compare_["stopped"] = stopped;
    }
    if (!differences.empty()) {
        // The first difference as the fields of old, for scripts that read only it.
        const nlohmann::json& first = differences[0];
        std::vector<std::string> oldLines = first["oldLines"], newLines0 = first["newLines"];
        size_t at = 0;
        while (at < oldLines.size() && at < newLines0.size() && oldLines[at] == newLines0[at]) {
            ++at;
        }
        compare_["step"] = first["step"];
        compare_["old"] = at < oldLines.size() ? oldLines[at] : "(nothing more)";
        compare_["new"] = at < newLines0.size() ? newLines0[at] : "(nothing more)";
        compare_["oldLines"] = oldLines;
        compare_["newLines"] = newLines0;
    }
    return played;
}

bool Workbench::keepWholeSession(const ScenarioRecord& whole) {
    if (compare_.is_null() || !compare_.contains("stopped")) {
        return false;
    }
    // The session stays as the operator made it, to be taken up on a build that plays it through; a
    // build left half-way through it would make a session that is neither the old one nor its own.
    record_ = whole;
    unsaved_ = true;
    if (child_) {
        askLive({{"op", "end"}}, "the end of build " + std::to_string(loadedBuild_));
        child_.reset();
        failure_ = "build " + std::to_string(loadedBuild_) +
                   " stopped the replay: " + compare_["stopped"].get<std::string>();
        drawing_["running"] = false;
    }
    return true;
}

void Workbench::reload() {
    std::string copy;
    std::unique_ptr<PanelChild> child;
    try {
        copy = takeBuild();
        child = openChild(copy);
    } catch (const std::exception& error) {
        // Named as the author knows it, not by the copy it was loaded from.
        buildProblem_ = replaceAll(error.what(), copy, library_);
        if (!copy.empty()) {
            dropCopy(copy);
        }
        say("ERROR", "panel_host: not loaded: " + buildProblem_ + " (the session stays on build " +
                         std::to_string(loadedBuild_) + ")");
        publishState();
        return;
    }
    buildProblem_.clear();
    ++build_;
    say("text", "panel_host: build " + std::to_string(build_) + " of " + library_ +
                    " arrived; the old build's script ends and the session is played again on the new one");

    std::vector<Step> steps = sessionSteps();
    if (child_) {
        askLive({{"op", "end"}}, "the end of build " + std::to_string(loadedBuild_));
        child_.reset();
    }
    // The old build plays the same steps beside the new one, in a process of its own, as --compare does.
    std::unique_ptr<PanelChild> old;
    try {
        old = openChild(loaded_);
    } catch (const InputError& error) {
        say("text",
            std::string("panel_host: the old build cannot be played again, so there is no comparison: ") +
                error.what());
    }
    std::string previous = loaded_;
    child_ = std::move(child);
    drawing_ = child_->drawing();
    failure_.clear();
    loaded_ = copy;
    loadedBuild_ = build_;
    ScenarioRecord whole = record_;
    record_ = ScenarioRecord();
    actions_ = 0;
    size_t played = replay(steps, std::move(old));
    if (!keepWholeSession(whole)) {
        good_ = loaded_;
        goodBuild_ = loadedBuild_;
    }
    dropCopy(previous);
    if (compare_.value("same", false)) {
        say("text", "panel_host: build " + std::to_string(build_) + " is the same through " +
                        std::to_string(played) + " steps");
    } else {
        std::string why = compare_.contains("stopped") ? compare_["stopped"].get<std::string>()
                                                       : std::to_string(compare_.value("differing", 0)) +
                                                             " of them differ from the build before";
        say(compare_.contains("stopped") ? "ERROR" : "text",
            "panel_host: build " + std::to_string(build_) + " replayed " + std::to_string(played) + " of " +
                std::to_string(steps.size()) + " steps; " + why);
    }
    publishState();
}

void Workbench::notLoaded(const std::string& why) {
    buildProblem_ = why;
    say("ERROR", "panel_host: not loaded: " + why + " (the session stays on build " +
                     std::to_string(loadedBuild_) + ")");
    publishState();
}

void Workbench::idle() {
    if (unsaved_ && !replaying_) {
        saveSession();
    }
}

void Workbench::saveSession() {
    unsaved_ = false;
    savedAt_ = std::chrono::steady_clock::now();
    if (options_.sessionFile.empty()) {
        return;
    }
    // Written beside and renamed over the file, so a crash of anything leaves the old or the new whole.
    std::filesystem::path file = options_.sessionFile;
    std::filesystem::path part = file;
    part += ".part";
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << record_.text();
        if (!out.flush()) {
            return;
        }
    }
    std::filesystem::rename(part, file, error);
}

std::string Workbench::compare() const {
    return jsonText(compare_.is_null() ? nlohmann::json{{"same", nullptr}} : compare_);
}

std::string Workbench::state() {
    nlohmann::json state = drawing_;
    state["version"] = version_;
    state["session"] = session_;
    state["build"] = build_;
    state["runningBuild"] = loadedBuild_;
    state["goodBuild"] = goodBuild_;
    state["watching"] = !scratch_.empty();
    state["buildProblem"] = buildProblem_;
    state["failure"] = failure_;
    state["compare"] = compare_;
    state["steps"] = record_.steps();
    state["earlierSession"] = previousSession_;
    return jsonText(state);
}

void Workbench::publishState() {
    ++version_;
    events_.state(state());
}

int Workbench::finish() {
    out_.flush();
    if (!child_) {
        say("ERROR", "panel_host: the run ends with build " + std::to_string(loadedBuild_) +
                         "'s process gone: " + failure_);
        return call_guard::kScriptEndedStatus;
    }
    PanelChild::Answer answer = askLive({{"op", "finish"}}, "the end of the run");
    if (!answer.answered) {
        return call_guard::kScriptEndedStatus;
    }
    return answer.reply.value("exit", 1);
}
