#include "call_guard.h"

#include "text.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iostream>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace {

// "file:line: " and " during notify kind 2\n", set before each call; the handlers only read them.
char libraryText[512] = "";
char stepText[512] = "";
char callText[128] = "";
std::atomic<bool> calling{false};
bool installed = false;
// Standard error as it was at installation: during a call it points at the debug capture.
int reportFd = 2;

void writeAll(const char* text) {
    size_t length = std::strlen(text);
#if defined(_WIN32)
    int ignored = ::_write(reportFd, text, static_cast<unsigned>(length));
#else
    ssize_t ignored = ::write(reportFd, text, length);
#endif
    (void)ignored;
}

[[noreturn]] void report(const char* what) {
    writeAll("panel_host: ");
    writeAll(libraryText);
    writeAll(stepText);
    writeAll(what);
    writeAll(callText);
    std::_Exit(call_guard::kScriptEndedStatus);
}

const char* signalName(int signal) {
    switch (signal) {
        case SIGSEGV:
            return "the script crashed (SIGSEGV)";
        case SIGABRT:
            return "the script crashed (SIGABRT)";
        case SIGFPE:
            return "the script crashed (SIGFPE)";
        case SIGILL:
            return "the script crashed (SIGILL)";
#if !defined(_WIN32)
        case SIGBUS:
            return "the script crashed (SIGBUS)";
#endif
        default:
            return "the script crashed";
    }
}

void onSignal(int signal) {
    if (!calling.load()) {
        // The host's own fault: let it take its usual course.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    report(signalName(signal));
}

// exit() during a call: the run would otherwise end with whatever status the script chose.
void onExit() {
    if (calling.load()) {
        std::cout.flush();
        report("the script ended the process (exit)");
    }
}

#if defined(_WIN32)
LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* info) {
    if (!calling.load()) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    // The code as hex digits, without a formatting call.
    char text[] = "the script crashed (exception 0x00000000)";
    DWORD code = info->ExceptionRecord->ExceptionCode;
    char* digit = std::strchr(text, ')') - 1;
    for (int i = 0; i < 8; ++i, code >>= 4) {
        *digit-- = "0123456789abcdef"[code & 0xf];
    }
    report(text);
}
#endif

#if !defined(_WIN32)
// A script that overflows its stack faults where no handler could run; the handlers run on a stack of
// their own instead. It belongs to the thread that installs the guard, the one that calls the script.
void useOwnSignalStack() {
    stack_t current{};
    if (::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0) {
        return;
    }
    const size_t size = 64 * 1024;
    stack_t own{};
    own.ss_sp = std::malloc(size);  // kept for the life of the process, as the thread may fault at any time
    own.ss_size = size;
    if (own.ss_sp != nullptr && ::sigaltstack(&own, nullptr) != 0) {
        std::free(own.ss_sp);
        return;
    }
    // Held where a leak checker sees it: only the kernel points at it otherwise. The guard is installed
    // by a handful of threads at most; a stack beyond the list is still used, only not listed.
    static void* volatile kept[64];
    static std::atomic<size_t> count{0};
    size_t slot = count.fetch_add(1);
    if (slot < sizeof kept / sizeof kept[0]) {
        kept[slot] = own.ss_sp;
    }
}
#endif

const int kFaultSignals[] = {
    SIGSEGV, SIGABRT, SIGFPE, SIGILL,
#if !defined(_WIN32)
    SIGBUS,
#endif
};

}  // namespace

namespace call_guard {

void install() {
    std::atexit(onExit);
#if !defined(_WIN32)
    useOwnSignalStack();
#endif
    if (installed) {
        return;
    }
    installed = true;
#if defined(_WIN32)
    ::SetUnhandledExceptionFilter(onUnhandledException);
    for (int signal : kFaultSignals) {
        std::signal(signal, onSignal);
    }
#else
    int saved = ::dup(2);
    if (saved >= 0) {
        reportFd = saved;
    }
    std::at_quick_exit(onExit);
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kFaultSignals) {
        ::sigaction(signal, &action, nullptr);
    }
#endif
}

namespace {

// The texts one after another into `out`, cut to fit and always ended, as a formatted print would leave
// them; runs at every step and every call, so without the formatter.
template <size_t N>
void compose(char (&out)[N], std::initializer_list<const char*> texts) {
    size_t at = 0;
    for (const char* text : texts) {
        for (; *text != '\0' && at + 1 < N; ++text) {
            out[at++] = *text;
        }
    }
    out[at] = '\0';
}

}  // namespace

void setLibrary(const std::string& library) {
    compose(libraryText, {library.c_str(), library.empty() ? "" : ": "});
}

void setStep(const std::string& where) {
    compose(stepText, {where.c_str(), ": "});
}

void enter(const std::string& call) {
    compose(callText, {" during ", call.c_str(), "\n"});
    calling.store(true);
}

void leave() {
    calling.store(false);
}

bool inCall() {
    return calling.load();
}

Report readReport(const std::string& errorText) {
    Report report;
    const std::string guardPrefix = "panel_host: ";
    const std::string breachPrefix = "host contract: ERROR ";
    std::vector<std::string> lines = linesOf(errorText);
    for (size_t i = lines.size(); i > 0 && (report.breach.empty() || report.what.empty()); --i) {
        const std::string& line = lines[i - 1];
        size_t what = line.find("the script ");
        if (report.what.empty() && line.compare(0, guardPrefix.size(), guardPrefix) == 0 &&
            what != std::string::npos) {
            report.what = line.substr(what);
            // "panel_host: [library: ]where: the script ..."
            std::string before =
                what >= 2 ? line.substr(guardPrefix.size(), what - 2 - guardPrefix.size()) : "";
            size_t cut = before.rfind(": ");
            report.where = cut == std::string::npos ? before : before.substr(cut + 2);
        } else if (report.breach.empty() && line.compare(0, breachPrefix.size(), breachPrefix) == 0) {
            report.breach = line.substr(breachPrefix.size());
        }
    }
    return report;
}

}  // namespace call_guard
