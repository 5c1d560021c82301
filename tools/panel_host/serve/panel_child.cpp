#include "panel_child.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "call_guard.h"
#include "host_state.h"
#include "input_error.h"
#include "text.h"

namespace {

bool writeAll(int fd, const std::string& text) {
    size_t at = 0;
    while (at < text.size()) {
        ssize_t put = ::write(fd, text.data() + at, text.size() - at);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        at += static_cast<size_t>(put);
    }
    return true;
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

// The call guard's last line, from "the script" on, after the breach of the host contract that brought
// it about when one was named.
std::string guardMessage(const std::string& errorText) {
    call_guard::Report report = call_guard::readReport(errorText);
    return report.breach.empty() || report.what.empty() ? report.what : report.breach + "; " + report.what;
}

// The descriptors open in this process.
std::vector<int> openDescriptors() {
    std::vector<int> fds;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.') {
                fds.push_back(std::atoi(entry->d_name));
            }
        }
        ::closedir(dir);
        return fds;
    }
    for (int fd = 0; fd < 1024; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1) {
            fds.push_back(fd);
        }
    }
    return fds;
}

// In the child: sends standard error to `errors`, and closes
// everything else the server had open (its listening socket, the pages' connections, other builds'
// pipes), so nothing of the server lives on in the child. A copy of standard error the call guard took
// in the server (its report goes there) is pointed at `errors` too and kept.
void keepOnly(int requests, int answers, int errors) {
    struct stat original {};
    bool hasError = ::fstat(STDERR_FILENO, &original) == 0;
    for (int fd : openDescriptors()) {
        struct stat file {};
        if (fd <= STDERR_FILENO || fd == requests || fd == answers || fd == errors) {
            continue;
        }
        if (hasError && errors >= 0 && ::fstat(fd, &file) == 0 && file.st_dev == original.st_dev &&
            file.st_ino == original.st_ino) {
            ::dup2(errors, fd);
            continue;
        }
        ::close(fd);
    }
    if (errors >= 0) {
        ::dup2(errors, STDERR_FILENO);
        ::close(errors);
    }
}

// The child's side: answers requests until the server closes the pipe.
[[noreturn]] void serveChild(const Site& site, const std::string& library,
                             const std::function<int(Runner&)>& finish, int requests, int answers) {
    auto send = [answers](const nlohmann::json& message) {
        if (!writeAll(answers, jsonText(message) + "\n")) {
            ::_exit(0);  // the server is gone
        }
    };
    PanelRun::EntrySink entry = [&](const std::string& kind, const std::string& text) {
        send({{"kind", kind}, {"text", text}});
    };
    std::unique_ptr<PanelRun> run;
    try {
        run = std::make_unique<PanelRun>(site, library, entry);
        send({{"done", true}, {"state", run->state()}});
    } catch (const std::exception& error) {
        send({{"done", true}, {"refused", error.what()}});
        ::_exit(0);
    }
    std::string buffer;
    char chunk[65536];
    for (;;) {
        size_t end = buffer.find('\n');
        if (end == std::string::npos) {
            ssize_t got = ::read(requests, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                ::_exit(0);
            }
            buffer.append(chunk, static_cast<size_t>(got));
            continue;
        }
        nlohmann::json request = nlohmann::json::parse(buffer.substr(0, end), nullptr, false);
        buffer.erase(0, end + 1);
        nlohmann::json answer = {{"done", true}};
        std::string op = request.is_object() ? request.value("op", "") : "";
        try {
            std::vector<PanelRun::Played> played;
            if (op == "action") {
                Step step = run->actionStep(request.value("body", ""), request.value("number", 0));
                answer["counted"] = true;  // a step from here on, refused or not
                played = run->play(step);
            } else if (op == "step") {
                std::optional<Step> step =
                    parseStep(request.value("line", ""), request.value("file", ""), request.value("at", 0));
                if (step) {
                    played = run->play(*step);
                }
            } else if (op == "ready") {
                played = run->ready();
            } else if (op == "end") {
                run->runner().finish();
            } else if (op == "finish") {
                answer["exit"] = finish ? finish(run->runner()) : (run->runner().finish(), 0);
                std::cout.flush();
            }
            answer["played"] = nlohmann::json::array();
            for (const PanelRun::Played& step : played) {
                answer["played"].push_back({{"line", step.line}, {"sent", step.sent}});
            }
        } catch (const InputError& error) {
            answer["refused"] = error.what();
        }
        if (op != "finish" && op != "end") {
            answer["state"] = run->state();
        }
        send(answer);
    }
}

}  // namespace

PanelChild::PanelChild(const Site& site, const std::string& library, Options options)
    : options_(std::move(options)) {
    int requests[2], answers[2];
    if (::pipe(requests) != 0 || ::pipe(answers) != 0) {
        throw InputError("panel_host: cannot make a pipe for the panel's process");
    }
    char name[] = "/tmp/panel_host_serve_XXXXXX";
    errors_ = ::mkstemp(name);
    if (errors_ >= 0) {
        ::unlink(name);
    }
    std::cout.flush();
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
#ifdef __linux__
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        ::signal(SIGINT, SIG_IGN);
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        int devNull = ::open("/dev/null", O_RDONLY);
        ::dup2(devNull, STDIN_FILENO);
        keepOnly(requests[0], answers[1], errors_);
        serveChild(site, library, options_.finish, requests[0], answers[1]);
    }
    ::close(requests[0]);
    ::close(answers[1]);
    requests_ = requests[1];
    answers_ = answers[0];
    if (pid_ < 0) {
        throw InputError("panel_host: cannot start a process for the panel");
    }
    ::fcntl(requests_, F_SETFD, FD_CLOEXEC);
    ::fcntl(answers_, F_SETFD, FD_CLOEXEC);
    Answer loaded = ask(nullptr, [](const std::string&, const std::string&) {});
    if (!loaded.answered) {
        throw InputError(library + ": the library took its process down while loading: " + loaded.failure);
    }
    if (loaded.reply.contains("refused")) {
        throw InputError(loaded.reply["refused"].get<std::string>());
    }
    drawing_ = loaded.reply.value("state", nlohmann::json::object());
}

PanelChild::~PanelChild() {
    if (requests_ >= 0) {
        ::close(requests_);
    }
    if (pid_ > 0) {
        // The child ends when its pipe closes; one that does not within a moment is stopped.
        for (int i = 0; i < 50 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i) {
            ::usleep(10000);
        }
        if (::kill(pid_, SIGKILL) == 0) {
            ::waitpid(pid_, nullptr, 0);
        }
    }
    if (answers_ >= 0) {
        ::close(answers_);
    }
    if (errors_ >= 0) {
        ::close(errors_);
    }
}

PanelChild::Answer PanelChild::lost(bool hung, const std::string& why) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    Answer answer;
    answer.hung = hung;
    answer.stopped = !hung && !why.empty();
    std::string guard = errors_ >= 0 ? guardMessage(readAll(errors_)) : "";
    if (!why.empty()) {
        answer.failure = why;
    } else if (!guard.empty()) {
        answer.failure = guard;
    } else if (WIFSIGNALED(status)) {
        answer.failure = "the process died of signal " + std::to_string(WTERMSIG(status)) + " (" +
                         strsignal(WTERMSIG(status)) + ")";
    } else {
        answer.failure = "the process ended with status " + std::to_string(WEXITSTATUS(status));
    }
    return answer;
}

PanelChild::Answer PanelChild::ask(const nlohmann::json& request, const PanelRun::EntrySink& entry) {
    if (pid_ <= 0) {
        return Answer{false, nullptr, "the panel's process has ended", false, false};
    }
    if (!request.is_null() && !writeAll(requests_, jsonText(request) + "\n")) {
        return lost(false, "");
    }
    const auto limit = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(options_.stepLimit));
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[65536];
    for (;;) {
        for (size_t end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
            nlohmann::json message = nlohmann::json::parse(pending_.substr(0, end), nullptr, false);
            pending_.erase(0, end + 1);
            if (message.is_object() && message.contains("done")) {
                return Answer{true, std::move(message), "", false, false};
            }
            if (message.is_object()) {
                entry(message.value("kind", "text"), message.value("text", ""));
            }
        }
        if (options_.stopping && options_.stopping()) {
            return lost(false, "stopped as the workbench ends");
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            std::string seconds = std::to_string(options_.stepLimit);
            seconds.erase(seconds.find_last_not_of('0') + 1);
            if (!seconds.empty() && seconds.back() == '.') {
                seconds.pop_back();
            }
            return lost(true, "the script did not finish within the step limit of " + seconds +
                                  " s, so its process was killed");
        }
        pollfd watch{answers_, POLLIN, 0};
        int ready = ::poll(&watch, 1, static_cast<int>(std::min<int64_t>(left.count(), 100)));
        if (ready <= 0) {
            continue;
        }
        ssize_t got = ::read(answers_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return lost(false, "");
        }
        pending_.append(buffer, static_cast<size_t>(got));
    }
}
