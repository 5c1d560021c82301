#include "validate.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>

#include "checks.h"
#include "isolation.h"
#include "report.h"
#include "shrink.h"
#include "storm_plan.h"
#include "storm_session.h"

const char* const kValidateUsage =
    "validator: panel_host --validate [--level N] [--seed N] [--only REGEX] [--report-dir DIR]\n"
    "                              [--in-process] LIBRARY [SITE]\n"
    "  holds the library to the whole host contract, each check in a child process; without SITE the\n"
    "  host knows no layout, instance or slot, and the checks that need one are skipped\n"
    "  --level N   1 to 10 (default 5): longer storms and more checks as it grows\n"
    "  --seed N    the seed of every random choice (default 2540; the same seed gives the same run)\n"
    "  --only REGEX  only the checks whose names match\n"
    "  --report-dir DIR  write DIR/junit.xml, DIR/report.json and DIR/<check>.scenario for each failure\n"
    "  --in-process  run every check in this process, for a debugger\n"
    "  exit status: 0 every check passed or was skipped, 1 one failed, crashed or timed out, 2 a bad input\n";

namespace {

const uint64_t kDefaultSeed = 2540;

struct Options {
    int level = 5;
    uint64_t seed = kDefaultSeed;
    std::string only;
    std::string reportDir;
    bool inProcess = false;
    std::string library;
    std::string site;
};

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
        bool takesValue = arg == "--level" || arg == "--seed" || arg == "--only" || arg == "--report-dir";
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

CheckResult replay(const CheckContext& context, const StepList& steps) {
    return runIsolated(
        [&](int trailFd) {
            StormSession session(context, false, trailFd);
            for (const std::string& line : steps) {
                if (!session.play(line)) {
                    break;
                }
            }
            session.finish();
            return session.broken() ? CheckResult::fail(session.firstError(), session.firstErrorWhere())
                                    : CheckResult::pass();
        },
        context.inProcess, context.timeLimit, nullptr);
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
        for (const Check& check : allChecks()) {
            if (!options_.only.empty() && !std::regex_search(check.name, only)) {
                continue;
            }
            CheckResult result = runOne(check, unusable);
            if (std::string(check.name).compare(0, 7, "module.") == 0 && result.outcome != Outcome::Pass &&
                result.outcome != Outcome::Skip && unusable.empty()) {
                unusable = std::string("the module cannot be used (") + check.name + ")";
            }
            if (result.outcome != Outcome::Pass && result.outcome != Outcome::Skip) {
                status = 1;
            }
            events += result.events;
            for (ResultListener* listener : listeners_) {
                listener->result(check, result);
            }
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (ResultListener* listener : listeners_) {
            listener->end(seconds, events);
        }
        return status;
    }

private:
    CheckResult runOne(const Check& check, const std::string& unusable) {
        if (check.level > options_.level) {
            return CheckResult::skip("runs from level " + std::to_string(check.level));
        }
        if (!unusable.empty()) {
            return CheckResult::skip(unusable);
        }
        if (check.needsSite && !context_.hasSite) {
            return CheckResult::skip("needs a site: without one the host knows no layout, instance or slot");
        }
        auto start = std::chrono::steady_clock::now();
        std::vector<std::string> trail;
        CheckResult result = runIsolated(
            [&](int trailFd) {
                CheckContext context = context_;
                context.trailFd = trailFd;
                return check.run(context);
            },
            context_.inProcess, context_.timeLimit, &trail);
        if (result.outcome == Outcome::Timeout && !result.where.empty()) {
            result.message += "; the call that never returned was " + result.where;
        }
        if (result.steps.empty()) {
            result.steps = trail;
        }
        if (!result.steps.empty() && result.outcome != Outcome::Pass && result.outcome != Outcome::Skip) {
            reproduce(check, result);
        }
        result.steps.clear();
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return result;
    }

    // Cuts the steps of a failure down and keeps them as a scenario that replays it. A hang is kept as
    // it is: each candidate would cost the whole time limit.
    void reproduce(const Check& check, CheckResult& result) {
        StepList steps = result.steps;
        if (result.outcome != Outcome::Timeout) {
            const std::string wanted = signatureOf(result);
            auto stillFails = [&](const StepList& candidate) {
                return signatureOf(replay(context_, candidate)) == wanted;
            };
            if (!stillFails(steps)) {
                result.scenario = "(the failure did not happen again when its " +
                                  std::to_string(steps.size()) + " steps were replayed)";
                return;
            }
            steps = shrink(steps, stillFails, 40 * options_.level);
        }
        std::string said = result.message;
        std::replace(said.begin(), said.end(), '\n', ' ');
        std::string text = "# " + std::string(check.name) + ": " + said + "\n# " +
                           std::to_string(result.steps.size()) + " storm steps shrunk to " +
                           std::to_string(steps.size()) + " (seed " + std::to_string(options_.seed) +
                           ", level " + std::to_string(options_.level) + ").\n# Replay: panel_host " +
                           options_.library + " " + (options_.site.empty() ? "SITE" : options_.site) +
                           " THIS_FILE\n";
        for (const std::string& line : steps) {
            text += line + "\n";
        }
        std::string how =
            steps.size() == result.steps.size()
                ? std::to_string(steps.size()) + " steps"
                : std::to_string(steps.size()) + " steps, shrunk from " + std::to_string(result.steps.size());
        if (options_.reportDir.empty()) {
            result.scenario = how + " (--report-dir DIR keeps them as DIR/" + check.name + ".scenario)";
            return;
        }
        std::string path =
            (std::filesystem::path(options_.reportDir) / (std::string(check.name) + ".scenario")).string();
        std::ofstream out(path, std::ios::binary);
        out << text;
        result.scenario = out ? path + " (" + how + ")" : "(cannot write " + path + ")";
    }

    Options options_;
    CheckContext context_;
    std::vector<ResultListener*> listeners_;
};

}  // namespace

int runValidate(const std::vector<std::string>& args) {
    Options options;
    if (!parseOptions(args, options)) {
        return 2;
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
        if (!any) {
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
    context.timeLimit = checkTimeLimit(options.level);
    try {
        context.site = readSiteOrNone(options.site);
    } catch (const std::exception& bad) {
        std::cerr << bad.what() << "\n";
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
