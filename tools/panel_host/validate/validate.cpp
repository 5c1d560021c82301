#include "validate.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>

#include "checks.h"
#include "isolation.h"
#include "report.h"
#include "seeds.h"
#include "shrink.h"
#include "storm_plan.h"
#include "storm_session.h"

const char* const kValidateUsage =
    "validator: panel_host --validate [--level N] [--seed N] [--only REGEX] [--skip NAME=REASON]...\n"
    "                              [--strict] [--scenarios PATH]... [--from SCENARIO] [--time-scale F]\n"
    "                              [--min-coverage N]\n"
    "                              [--report-dir DIR] [--in-process] LIBRARY [SITE]\n"
    "           panel_host --validate --list-checks [--level N] [--format text|json]\n"
    "  holds the library to the whole host contract, each check in a child process; without SITE the\n"
    "  host knows no layout, instance or slot, and the checks that need one are skipped\n"
    "  --level N   1 to 10 (default 5): longer storms and more checks as it grows\n"
    "  --seed N    the seed of every random choice (default 2540; the same seed gives the same run)\n"
    "  --only REGEX  only the checks whose names match (the scenarios of --scenarios replay still)\n"
    "  --skip NAME=REASON  leave the check out, saying why (in the report and as JUnit skipped)\n"
    "  --strict    a check skipped for any other reason than --skip or the level fails the run\n"
    "  --scenarios PATH  scenario files, or folders of *.scenario files: each is replayed first as a check\n"
    "              of its own, and the storms learn from them and start from the states they reach\n"
    "  --from SCENARIO  every storm plays this scenario's steps first\n"
    "  --min-coverage N  fail the run when it reached less than N percent of the reachable items\n"
    "  --time-scale F  multiply every time limit and budget by F (or set "
    "PANEL_HOST_TIME_SCALE)\n"
    "  --report-dir DIR  write DIR/junit.xml, DIR/report.json and DIR/<check>.scenario for each failure\n"
    "  --in-process  run every check in this process, for a debugger\n"
    "  --list-checks  print the checks, their levels and what each does, and exit\n"
    "  exit status: 0 every check passed or was skipped, 1 one failed, crashed or timed out (or was\n"
    "  skipped under --strict), 2 a bad input\n";

namespace {

const uint64_t kDefaultSeed = 2540;

const char* const kTimeScaleVariable = "PANEL_HOST_TIME_SCALE";

struct Options {
    int level = 5;
    bool levelGiven = false;
    uint64_t seed = kDefaultSeed;
    std::string only;
    std::string reportDir;
    bool inProcess = false;
    bool strict = false;
    bool listChecks = false;
    std::string format = "text";
    double timeScale = 1;
    int minCoverage = 0;
    std::map<std::string, std::string> skips;  // check name -> reason
    std::vector<std::string> scenarios;
    std::string from;
    std::string library;
    std::string site;
};

// A factor of time: a positive number such as 2 or 0.5.
bool parseScale(const std::string& text, double& out) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !(value > 0) || value > 1000) {
        return false;
    }
    out = value;
    return true;
}

bool knownCheck(const std::string& name) {
    for (const Check& check : allChecks()) {
        if (name == check.name) {
            return true;
        }
    }
    return false;
}

bool parseNumber(const std::string& text, uint64_t& out) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 19) {
        return false;
    }
    out = std::stoull(text);
    return true;
}

// False (with the message on standard error) for a bad command line.
bool parseOptions(const std::vector<std::string>& args, Options& options) {
    std::vector<std::string> operands;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool takesValue = arg == "--level" || arg == "--seed" || arg == "--only" || arg == "--report-dir" ||
                          arg == "--skip" || arg == "--time-scale" || arg == "--scenarios" ||
                          arg == "--from" || arg == "--format" || arg == "--min-coverage";
        if (takesValue && i + 1 >= args.size()) {
            std::cerr << "panel_host: " << arg << " needs a value\n";
            return false;
        }
        uint64_t number = 0;
        if (arg == "--level") {
            if (!parseNumber(args[++i], number) || number < 1 || number > 10) {
                std::cerr << "panel_host: --level needs a number from 1 to 10, not " << args[i] << "\n";
                return false;
            }
            options.level = static_cast<int>(number);
            options.levelGiven = true;
        } else if (arg == "--skip") {
            const std::string& value = args[++i];
            size_t equals = value.find('=');
            std::string name = value.substr(0, equals);
            if (equals == std::string::npos || equals + 1 == value.size()) {
                std::cerr << "panel_host: --skip " << value
                          << ": give the check and the reason, NAME=REASON\n";
                return false;
            }
            if (!knownCheck(name)) {
                std::cerr << "panel_host: --skip " << value << ": there is no check " << name
                          << " (--list-checks lists them)\n";
                return false;
            }
            options.skips[name] = value.substr(equals + 1);
        } else if (arg == "--time-scale") {
            if (!parseScale(args[++i], options.timeScale)) {
                std::cerr << "panel_host: --time-scale needs a factor above 0 (such as 2 or 0.5), not "
                          << args[i] << "\n";
                return false;
            }
        } else if (arg == "--scenarios") {
            // The paths that follow are the option's too, as long as they are folders or scenarios: the
            // library and the site are neither.
            options.scenarios.push_back(args[++i]);
            while (i + 1 < args.size() && (std::filesystem::is_directory(args[i + 1]) ||
                                           std::filesystem::path(args[i + 1]).extension() == ".scenario")) {
                options.scenarios.push_back(args[++i]);
            }
        } else if (arg == "--min-coverage") {
            if (!parseNumber(args[++i], number) || number > 100) {
                std::cerr << "panel_host: --min-coverage needs a percentage from 0 to 100, not " << args[i]
                          << "\n";
                return false;
            }
            options.minCoverage = static_cast<int>(number);
        } else if (arg == "--from") {
            options.from = args[++i];
        } else if (arg == "--format") {
            options.format = args[++i];
            if (options.format != "text" && options.format != "json") {
                std::cerr << "panel_host: --format is text or json, not " << options.format << "\n";
                return false;
            }
        } else if (arg == "--strict") {
            options.strict = true;
        } else if (arg == "--list-checks") {
            options.listChecks = true;
        } else if (arg == "--seed") {
            if (!parseNumber(args[++i], number)) {
                std::cerr << "panel_host: --seed needs a whole number, not " << args[i] << "\n";
                return false;
            }
            options.seed = number;
        } else if (arg == "--only") {
            options.only = args[++i];
            try {
                std::regex check(options.only);
            } catch (const std::regex_error& error) {
                std::cerr << "panel_host: --only " << options.only << ": not a regular expression ("
                          << error.what() << ")\n";
                return false;
            }
        } else if (arg == "--report-dir") {
            options.reportDir = args[++i];
        } else if (arg == "--in-process") {
            options.inProcess = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::cerr << "panel_host: --validate does not know the option " << arg << "\n";
            return false;
        } else {
            operands.push_back(arg);
        }
    }
    if (options.listChecks) {
        if (!operands.empty()) {
            std::cerr << "panel_host: --list-checks takes no library\n";
            return false;
        }
        return true;
    }
    if (operands.empty() || operands.size() > 2) {
        std::cerr << "panel_host: --validate needs the library and, optionally, the site\n" << kValidateUsage;
        return false;
    }
    options.library = operands[0];
    options.site = operands.size() == 2 ? operands[1] : "";
    return true;
}

// What a failure is, without where it happened: the same check failing the same way on fewer steps.
std::string signatureOf(const CheckResult& result) {
    if (result.outcome == Outcome::Timeout) {
        return outcomeName(result.outcome);  // its message names the limit, which a candidate's may not
    }
    std::string text = result.message;
    size_t script = text.find("the script ");
    if (result.outcome == Outcome::Crash && script != std::string::npos) {
        text = text.substr(script);
    } else if (result.outcome == Outcome::Fail) {
        // A breach begins with the name of the rule it broke.
        text = text.substr(0, text.find(':'));
    }
    std::string kept;
    for (char c : text) {
        if (c < '0' || c > '9') {
            kept += c;
        }
    }
    return std::string(outcomeName(result.outcome)) + ": " + kept;
}

CheckResult replay(const CheckContext& context, const StepList& steps, double timeLimit) {
    return runIsolated(
        [&](int trailFd, Pace* pace) {
            CheckContext paced = context;
            paced.pace = pace;
            StormSession session(paced, false, trailFd);
            for (const std::string& line : steps) {
                if (!session.play(line)) {
                    break;
                }
            }
            session.finish();
            return session.broken() ? CheckResult::fail(session.firstError(), session.firstErrorWhere())
                                    : CheckResult::pass();
        },
        context.inProcess, timeLimit, nullptr);
}

// An author's scenario, played as it is written: a breach of the contract or a check of its own that
// does not hold fails it, named by the file and line.
CheckResult replayScenario(const CheckContext& context, const ScenarioSeed& scenario) {
    StormSession session(context, false, context.trailFd);
    for (const auto& line : scenario.lines) {
        if (!session.play(line.second, scenario.file, line.first)) {
            break;
        }
    }
    session.finish();
    Coverage coverage = session.coverage();
    CheckResult result = session.broken() ? CheckResult::fail(session.firstError(), session.firstErrorWhere())
                                          : CheckResult::pass();
    result.events = session.events();
    result.coverage = std::move(coverage);
    return result;
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g s", seconds);
    return text;
}

class Validator {
public:
    Validator(const Options& options, CheckContext context)
        : options_(options), context_(std::move(context)) {}

    void listen(ResultListener& listener) { listeners_.push_back(&listener); }

    int run() {
        RunInfo info{options_.library, options_.site, options_.level, options_.seed, !context_.inProcess, ""};
        info.isolationNote = context_.inProcess ? "every check in this process"
                             : canIsolate()     ? "each check in a child process"
                                            : "every check in this process (no child processes on Windows)";
        context_.inProcess = context_.inProcess || !canIsolate();
        for (ResultListener* listener : listeners_) {
            listener->begin(info);
        }
        auto start = std::chrono::steady_clock::now();
        std::regex only(options_.only.empty() ? std::string(".*") : options_.only);
        std::string unusable;
        int status = 0;
        int64_t events = 0;
        Coverage coverage;
        for (const Check& check : checksToRun()) {
            // The author's own scenarios always replay: --only chooses among the table's checks.
            const bool ownScenario = std::string(check.name).compare(0, 7, "replay.") == 0;
            if (!options_.only.empty() && !ownScenario && !std::regex_search(check.name, only)) {
                continue;
            }
            CheckResult result = runOne(check, unusable);
            if (std::string(check.name).compare(0, 7, "module.") == 0 && result.outcome != Outcome::Pass &&
                result.outcome != Outcome::Skip && unusable.empty()) {
                unusable = std::string("the module cannot be used (") + check.name + ")";
            }
            if (result.outcome == Outcome::Skip && options_.strict && !chosenSkip(check)) {
                // No green without evidence: what was not tested is not passed.
                result.outcome = Outcome::Fail;
                result.message = "skipped, which fails the run under --strict: " + result.message;
            }
            if (result.outcome != Outcome::Pass && result.outcome != Outcome::Skip) {
                status = 1;
            }
            events += result.events;
            coverage.merge(result.coverage);
            for (ResultListener* listener : listeners_) {
                listener->result(check, result);
            }
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (ResultListener* listener : listeners_) {
            listener->end(seconds, events, coverage);
        }
        if (options_.minCoverage > 0 && coverage.percent() < options_.minCoverage) {
            std::cout << "panel_host: FAIL: the run reached " << static_cast<int>(coverage.percent())
                      << "% of the reachable items, below --min-coverage " << options_.minCoverage << "\n";
            status = 1;
        }
        return status;
    }

private:
    // The author's scenarios first, each a check of its own, then the table.
    const std::vector<Check>& checksToRun() {
        if (!checks_.empty()) {
            return checks_;
        }
        const std::vector<ScenarioSeed>& scenarios = context_.seeds->scenarios;
        names_.reserve(scenarios.size());
        for (const ScenarioSeed& scenario : scenarios) {
            names_.push_back("replay." + std::filesystem::path(scenario.file).stem().string());
            descriptions_.push_back("the scenario " + scenario.file +
                                    " plays with every rule and check holding");
        }
        for (size_t i = 0; i < scenarios.size(); ++i) {
            const ScenarioSeed* scenario = &scenarios[i];
            checks_.push_back(
                {names_[i].c_str(), 1, false, descriptions_[i].c_str(),
                 [scenario](const CheckContext& context) { return replayScenario(context, *scenario); }});
        }
        checks_.insert(checks_.end(), allChecks().begin(), allChecks().end());
        return checks_;
    }

    // Skipped because the user asked for it: above the level, or by --skip.
    bool chosenSkip(const Check& check) const {
        return check.level > options_.level || options_.skips.count(check.name) != 0;
    }

    CheckResult runOne(const Check& check, const std::string& unusable) {
        if (check.level > options_.level) {
            return CheckResult::skip("runs from level " + std::to_string(check.level));
        }
        auto skipped = options_.skips.find(check.name);
        if (skipped != options_.skips.end()) {
            return CheckResult::skip("skipped by --skip: " + skipped->second);
        }
        if (!unusable.empty()) {
            return CheckResult::skip(unusable);
        }
        if (check.needsSite && !context_.hasSite) {
            return CheckResult::skip("needs a site: without one the host knows no layout, instance or slot");
        }
        auto start = std::chrono::steady_clock::now();
        std::vector<std::string> trail;
        double slowestStep = 0;
        CheckResult result = runIsolated(
            [&](int trailFd, Pace* pace) {
                CheckContext context = context_;
                context.trailFd = trailFd;
                context.pace = pace;
                return check.run(context);
            },
            context_.inProcess, context_.timeLimit, &trail, &slowestStep);
        if (result.steps.empty()) {
            result.steps = trail;
        }
        const bool replayOwn = std::string(check.name).compare(0, 7, "replay.") == 0;
        if (result.outcome == Outcome::Timeout && !result.steps.empty() && !replayOwn) {
            confirmTimeout(result);
        }
        if (result.outcome == Outcome::Timeout && !result.where.empty()) {
            result.message += "; the call that never returned was " + result.where;
        }
        if (!result.steps.empty() && result.outcome != Outcome::Pass && result.outcome != Outcome::Skip &&
            !replayOwn) {
            reproduce(check, check.name, result, slowestStep);
        }
        result.steps.clear();
        // The storm's other distinct failures, each shrunk into a scenario of its own.
        for (size_t i = 0; i < result.more.size(); ++i) {
            CheckResult& other = result.more[i];
            reproduce(check, std::string(check.name) + "." + std::to_string(i + 2), other, slowestStep);
            other.steps.clear();
        }
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return result;
    }

    // A machine busy elsewhere can hold one step past the limit: a hang is a hang only if the same steps
    // hang again.
    void confirmTimeout(CheckResult& result) {
        CheckResult again = replay(context_, result.steps, context_.timeLimit);
        if (again.outcome == Outcome::Timeout) {
            return;
        }
        CheckResult passed = CheckResult::pass();
        passed.events = result.events;
        passed.warning = "a step ran past the time limit of " + secondsText(context_.timeLimit) + " (" +
                         result.where + ") but its " + std::to_string(result.steps.size()) +
                         " steps replayed within it, so it is not taken for a hang (--time-scale gives a "
                         "slow machine more time)";
        result = passed;
    }

    // Cuts the steps of a failure down and keeps them as a scenario that replays it. A hang's candidates
    // get a limit from the step times of the failing run, so each costs seconds rather than the whole
    // limit; shrinking stops at a wall-clock cap and keeps the best cut found by then.
    void reproduce(const Check& check, const std::string& file, CheckResult& result, double slowestStep) {
        StepList steps = result.steps;
        const std::string wanted = signatureOf(result);
        const bool hang = result.outcome == Outcome::Timeout;
        const double candidateLimit =
            hang ? std::min(context_.timeLimit, std::max(1.0, 4 * slowestStep) * context_.timeScale)
                 : context_.timeLimit;
        const auto cap = std::chrono::steady_clock::now() +
                         std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(kShrinkSeconds * context_.timeScale));
        bool capped = false;
        auto stillFails = [&](const StepList& candidate) {
            if (std::chrono::steady_clock::now() > cap) {
                capped = true;
                return false;
            }
            return signatureOf(replay(context_, candidate, candidateLimit)) == wanted;
        };
        if (!hang && !stillFails(steps)) {
            result.scenario = "(the failure did not happen again when its " + std::to_string(steps.size()) +
                              " steps were replayed)";
            return;
        }
        steps = shrink(steps, stillFails, 40 * options_.level);
        ValueShrink values = shrinkValues(steps, simplerLines, stillFails, 40 * options_.level);
        steps = values.steps;
        CheckResult last = replay(context_, steps, candidateLimit);
        std::string said = result.message;
        std::replace(said.begin(), said.end(), '\n', ' ');
        std::string text =
            "# " + std::string(check.name) + ": " + said + "\n# " + std::to_string(result.steps.size()) +
            " storm steps shrunk to " + std::to_string(steps.size()) +
            ", and their values as far as the failure allowed (seed " + std::to_string(options_.seed) +
            ", level " + std::to_string(options_.level) + ")" +
            (capped ? "; shrinking stopped at its time cap, this is the best cut found" : "") +
            ".\n# Every step is needed: without any one of them the failure does not happen.\n"
            "# Replay: panel_host " +
            options_.library + " " + (options_.site.empty() ? "SITE" : options_.site) + " THIS_FILE\n";
        for (size_t i = 0; i < steps.size(); ++i) {
            if (values.valueFree[i]) {
                text += "# (the value of the next step does not matter)\n";
            }
            text += steps[i] + "\n";
        }
        std::string because = last.message.empty() ? said : last.message;
        std::replace(because.begin(), because.end(), '\n', ' ');
        text += "# Because " + because + (last.where.empty() ? "" : ", in " + last.where) + ".\n";
        std::string how =
            steps.size() == result.steps.size()
                ? std::to_string(steps.size()) + " steps"
                : std::to_string(steps.size()) + " steps, shrunk from " + std::to_string(result.steps.size());
        if (options_.reportDir.empty()) {
            result.scenario = how + " (--report-dir DIR keeps them as DIR/" + file + ".scenario)";
            return;
        }
        std::string path = (std::filesystem::path(options_.reportDir) / (file + ".scenario")).string();
        std::ofstream out(path, std::ios::binary);
        out << text;
        result.scenario = out ? path + " (" + how + ")" : "(cannot write " + path + ")";
    }

    // The longest a failure's shrinking may take, before --time-scale.
    static constexpr double kShrinkSeconds = 120;

    Options options_;
    CheckContext context_;
    std::vector<ResultListener*> listeners_;
    std::vector<Check> checks_;
    std::vector<std::string> names_;  // the replay checks' names and descriptions, which checks_ points into
    std::vector<std::string> descriptions_;
};

int listChecks(const Options& options) {
    nlohmann::json list = nlohmann::json::array();
    for (const Check& check : allChecks()) {
        if (options.levelGiven && check.level > options.level) {
            continue;
        }
        if (options.format == "json") {
            list.push_back({{"name", check.name},
                            {"level", check.level},
                            {"needs_site", check.needsSite},
                            {"description", check.description}});
            continue;
        }
        char head[64];
        std::snprintf(head, sizeof head, "%-22s level %-2d %-5s ", check.name, check.level,
                      check.needsSite ? "site" : "");
        std::cout << head << check.description << "\n";
    }
    if (options.format == "json") {
        std::cout << list.dump(2) << "\n";
    } else {
        std::cout << "(\"site\": skipped without a SITE; each author's scenario given with --scenarios runs "
                     "first as replay.<name>)\n";
    }
    return 0;
}

}  // namespace

int runValidate(const std::vector<std::string>& args) {
    Options options;
    if (!parseOptions(args, options)) {
        return 2;
    }
    if (options.listChecks) {
        return listChecks(options);
    }
    if (std::find(args.begin(), args.end(), "--time-scale") == args.end()) {
        if (const char* scale = std::getenv(kTimeScaleVariable)) {
            if (!parseScale(scale, options.timeScale)) {
                std::cerr << "panel_host: " << kTimeScaleVariable << "=" << scale
                          << ": needs a factor above 0 (such as 2 or 0.5)\n";
                return 2;
            }
        }
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(options.library, error)) {
        std::cerr << "panel_host: " << options.library << ": no such library\n";
        return 2;
    }
    if (!options.only.empty()) {
        std::regex only(options.only);
        bool any = false;
        for (const Check& check : allChecks()) {
            any = any || std::regex_search(check.name, only);
        }
        if (!any && options.scenarios.empty()) {
            std::cerr << "panel_host: --only " << options.only << " matches no check\n";
            return 2;
        }
    }
    CheckContext context;
    context.library = options.library;
    context.hasSite = !options.site.empty();
    context.level = options.level;
    context.seed = options.seed;
    context.inProcess = options.inProcess;
    context.timeScale = options.timeScale;
    context.timeLimit = checkTimeLimit(options.level) * options.timeScale;
    try {
        context.site = readSiteOrNone(options.site);
        context.seeds = readSeeds(options.scenarios, options.from);
    } catch (const std::exception& bad) {
        std::cerr << "panel_host: " << bad.what() << "\n";
        return 2;
    }
    std::unique_ptr<ResultListener> terminal = terminalReport(std::cout);
    std::unique_ptr<ResultListener> junit;
    std::unique_ptr<ResultListener> json;
    Validator validator(options, context);
    validator.listen(*terminal);
    if (!options.reportDir.empty()) {
        std::filesystem::create_directories(options.reportDir, error);
        if (!std::filesystem::is_directory(options.reportDir, error)) {
            std::cerr << "panel_host: " << options.reportDir << ": cannot make the report folder\n";
            return 2;
        }
        // A report written only at the end would fail after every check had run, and quietly.
        const std::string junitPath = (std::filesystem::path(options.reportDir) / "junit.xml").string();
        const std::string jsonPath = (std::filesystem::path(options.reportDir) / "report.json").string();
        for (const std::string& path : {junitPath, jsonPath}) {
            if (!std::ofstream(path, std::ios::binary)) {
                std::cerr << "panel_host: " << path << ": cannot write the report there\n";
                return 2;
            }
        }
        junit = junitReport(junitPath, std::cerr);
        json = jsonReport(jsonPath, std::cerr);
        validator.listen(*junit);
        validator.listen(*json);
    }
    return validator.run();
}
