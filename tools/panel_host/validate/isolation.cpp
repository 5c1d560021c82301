#include "isolation.h"

#include <nlohmann/json.hpp>

#if !defined(_WIN32)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>
#endif

#include "call_guard.h"
#include "text.h"

namespace {

nlohmann::json toJson(const CheckResult& result) {
    nlohmann::json more = nlohmann::json::array();
    for (const CheckResult& other : result.more) {
        more.push_back(toJson(other));
    }
    return {{"outcome", outcomeName(result.outcome)},
            {"message", result.message},
            {"where", result.where},
            {"scenario", result.scenario},
            {"warning", result.warning},
            {"events", result.events},
            {"steps", result.steps},
            {"coverage", result.coverage.groups},
            {"commands", result.coverage.commandsSent},
            {"repeats", result.repeats},
            {"more", more}};
}

CheckResult fromJson(const nlohmann::json& in) {
    CheckResult result;
    result.outcome = outcomeFromName(in.value("outcome", "FAIL"));
    result.message = in.value("message", "");
    result.where = in.value("where", "");
    result.scenario = in.value("scenario", "");
    result.warning = in.value("warning", "");
    result.events = in.value("events", int64_t{0});
    result.steps = in.value("steps", std::vector<std::string>{});
    if (in.contains("coverage")) {
        in.at("coverage").get_to(result.coverage.groups);
        in.at("commands").get_to(result.coverage.commandsSent);
    }
    result.repeats = in.value("repeats", 0);
    if (in.contains("more")) {
        for (const nlohmann::json& other : in.at("more")) {
            result.more.push_back(fromJson(other));
        }
    }
    return result;
}

}  // namespace

std::string resultToJson(const CheckResult& result) {
    // A script's texts need not be UTF-8; the JSON carries them with the bad bytes replaced.
    return toJson(result).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

CheckResult resultFromJson(const std::string& text) {
    return fromJson(nlohmann::json::parse(text));
}

#if defined(_WIN32)

bool canIsolate() {
    return false;
}

CheckResult runIsolated(const std::function<CheckResult(int, Pace*)>& body, bool, double,
                        std::vector<std::string>*, double*) {
    return body(-1, nullptr);
}

#else

namespace {

int scratchFile() {
    char name[] = "/tmp/panel_host_validate_XXXXXX";
    int fd = ::mkstemp(name);
    if (fd >= 0) {
        ::unlink(name);
    }
    return fd;
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    off_t at = 0;
    for (;;) {
        ssize_t got = ::pread(fd, buffer, sizeof buffer, at);
        if (got <= 0) {
            return text;
        }
        text.append(buffer, static_cast<size_t>(got));
        at += got;
    }
}

// The call guard's last message ("storm:12: the script crashed (SIGSEGV) during notify kind 2"), after
// the breach of the host contract that brought it about when one was named, so the rule comes first.
std::string guardMessage(const std::string& errorText) {
    call_guard::Report report = call_guard::readReport(errorText);
    std::string guard =
        report.what.empty() || report.where.empty() ? report.what : report.where + ": " + report.what;
    if (report.breach.empty() || guard.empty()) {
        return report.breach.empty() ? guard : report.breach;
    }
    return report.breach + "; " + guard;
}

// What a sanitizer built into the panel reported before it ended the process ("AddressSanitizer:
// stack-buffer-overflow, WRITE of size 1"): it exits without a signal, so the call guard never speaks.
std::string sanitizerFinding(const std::string& errorText) {
    std::vector<std::string> lines = linesOf(errorText);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        size_t asan = line.find("ERROR: AddressSanitizer: ");
        if (asan != std::string::npos) {
            std::string what = line.substr(asan + 7);
            what = what.substr(0, what.find(" on "));
            if (i + 1 < lines.size() &&
                (lines[i + 1].compare(0, 6, "WRITE ") == 0 || lines[i + 1].compare(0, 5, "READ ") == 0)) {
                what += ", " + lines[i + 1].substr(0, lines[i + 1].find(" at "));
            }
            return "the script's code was stopped by " + what;
        }
        size_t ubsan = line.find(": runtime error: ");
        if (ubsan != std::string::npos) {
            return "the script's code was stopped by UndefinedBehaviorSanitizer: " + line.substr(ubsan + 17);
        }
    }
    return "";
}

[[noreturn]] void runChild(const std::function<CheckResult(int, Pace*)>& body, int resultFd, int trailFd,
                           int errorFd, Pace* pace) {
    int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        ::dup2(devNull, STDOUT_FILENO);
    }
    ::dup2(errorFd, STDERR_FILENO);
    std::string json;
    try {
        json = resultToJson(body(trailFd, pace));
    } catch (const std::exception& error) {
        json = resultToJson(
            CheckResult::fail(std::string("the validator could not run the check: ") + error.what()));
    }
    size_t at = 0;
    while (at < json.size()) {
        ssize_t put = ::write(resultFd, json.data() + at, json.size() - at);
        if (put <= 0) {
            break;
        }
        at += static_cast<size_t>(put);
    }
    // Skip exit-time code: the library's unload was already checked, and the parent owns the rest.
    ::_exit(0);
}

}  // namespace

bool canIsolate() {
    return true;
}

CheckResult runIsolated(const std::function<CheckResult(int, Pace*)>& body, bool inProcess, double timeLimit,
                        std::vector<std::string>* trail, double* slowestStep) {
    if (inProcess) {
        return body(-1, nullptr);
    }
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return CheckResult::fail("the validator could not make a pipe for the check");
    }
    // Shared with the child, so the parent sees its calls as they begin; without it, only its steps.
    void* shared = ::mmap(nullptr, sizeof(Pace), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    Pace* pace = shared == MAP_FAILED ? nullptr : new (shared) Pace();
    int trailFd = scratchFile();
    int errorFd = scratchFile();
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        runChild(body, pipeFds[1], trailFd, errorFd, pace);
    }
    ::close(pipeFds[1]);
    CheckResult result;
    std::string json;
    bool timedOut = false;
    if (child < 0) {
        result = CheckResult::fail("the validator could not start a child process for the check");
    } else {
        // The limit is on one call: each step a storm writes to its trail and each call it begins starts
        // the clock again, so a long storm on a busy machine is not a hang, and a call that never returns
        // is. It follows the panel's pace: a panel whose calls take long gets as much longer.
        auto limitNow = [&]() {
            double slowest = pace == nullptr ? 0 : static_cast<double>(pace->slowestMicros.load()) / 1e6;
            return std::max(timeLimit, kPaceFactor * slowest);
        };
        auto seconds = [](double value) {
            return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                std::chrono::duration<double>(value));
        };
        auto lastProgress = std::chrono::steady_clock::now();
        off_t trailSize = 0;
        uint64_t calls = 0;
        for (;;) {
            auto now = std::chrono::steady_clock::now();
            struct stat trailStat {};
            bool progress = false;
            if (::fstat(trailFd, &trailStat) == 0 && trailStat.st_size != trailSize) {
                trailSize = trailStat.st_size;
                progress = true;
            }
            if (pace != nullptr && pace->calls.load() != calls) {
                calls = pace->calls.load();
                progress = true;
            }
            if (progress) {
                if (slowestStep != nullptr) {
                    double spent = std::chrono::duration<double>(now - lastProgress).count();
                    *slowestStep = std::max(*slowestStep, spent);
                }
                lastProgress = now;
            }
            const auto deadline = lastProgress + seconds(limitNow());
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
            if (left.count() <= 0) {
                timedOut = true;
                break;
            }
            pollfd watch{pipeFds[0], POLLIN, 0};
            int ready = ::poll(&watch, 1, static_cast<int>(std::min<int64_t>(left.count(), 200)));
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready <= 0) {
                continue;
            }
            char buffer[65536];
            ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            json.append(buffer, static_cast<size_t>(got));
        }
        if (timedOut) {
            ::kill(child, SIGKILL);
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        const std::string errorText = readAll(errorFd);
        std::string guard = guardMessage(errorText);
        if (guard.empty()) {
            guard = sanitizerFinding(errorText);
        }
        if (timedOut) {
            result.outcome = Outcome::Timeout;
            char limitText[32];
            std::snprintf(limitText, sizeof limitText, "%g", limitNow());
            result.message = std::string("no step finished within ") + limitText + " s";
        } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !json.empty()) {
            try {
                result = resultFromJson(json);
            } catch (const std::exception& error) {
                result =
                    CheckResult::fail(std::string("the check's result could not be read: ") + error.what());
            }
        } else {
            result.outcome = Outcome::Crash;
            if (!guard.empty()) {
                result.message = guard;
            } else if (WIFSIGNALED(status)) {
                result.message = std::string("the process died of signal ") +
                                 std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
            } else {
                result.message =
                    "the process ended with status " + std::to_string(WEXITSTATUS(status)) + " and no result";
            }
        }
        if (result.outcome == Outcome::Timeout || result.outcome == Outcome::Crash) {
            std::vector<std::string> steps = linesOf(readAll(trailFd));
            result.events = static_cast<int64_t>(steps.size());
            if (!steps.empty()) {
                // A step may carry a text of thousands of bytes; its beginning says which it was.
                std::string step = steps.back();
                if (step.size() > 160) {
                    step = step.substr(0, 120) + "... (" + std::to_string(step.size()) + " bytes)";
                }
                result.where = "storm step " + std::to_string(steps.size()) + ": " + step;
            }
            if (trail != nullptr) {
                *trail = steps;
            }
        }
    }
    if (pace != nullptr) {
        if (slowestStep != nullptr) {
            *slowestStep = std::max(*slowestStep, static_cast<double>(pace->slowestMicros.load()) / 1e6);
        }
        pace->~Pace();
        ::munmap(shared, sizeof(Pace));
    }
    ::close(pipeFds[0]);
    ::close(trailFd);
    ::close(errorFd);
    return result;
}

#endif
