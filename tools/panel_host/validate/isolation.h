// Isolation: runs one check (or one replay of a shrink candidate) so that a crash or a hang is a result
// and not the end of the run.
//
// On POSIX the body runs in a child process (fork). Its result comes back over a pipe as JSON, since
// the child's standard output and error belong to the transcript and the debug capture; its standard
// error goes to a file, where the call guard writes what the script did as it took the process down.
// The child writes each storm step to a trail file before playing it, so a crash or a hang still says
// which steps led to it. A child that passes the time limit is killed (SIGKILL): TIMEOUT. The limit is on
// one call into the script: the clock starts again at each step written to the trail and at each call the
// child reports through its Pace, and it grows to kPaceFactor times the slowest call the child finished,
// so a long storm on a busy machine, or a slow but correct panel, is not taken for a hang. A child that ends
// without a result: CRASH, with the guard's message or the signal. In process (--in-process, and always on
// Windows) the body runs here, with no time limit and no protection.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "check.h"

// What a child tells its parent while it runs, in memory both share: each call into the script it begins
// (which restarts the parent's clock), and the longest call it finished, in microseconds of wall time.
struct Pace {
    std::atomic<uint64_t> calls{0};
    std::atomic<int64_t> slowestMicros{0};
};

// A call counts as hung only past the larger of the check's limit and this many times the slowest call the
// same child finished.
constexpr double kPaceFactor = 10;

// False where a check cannot run in a child of its own (Windows).
bool canIsolate();

// The body gets the trail descriptor (-1 in process) and the pace it reports its calls to (null in
// process). `trail` receives the steps the child wrote when it
// died without a result; `slowestStep` (when given) the longest the child spent on one step of its trail
// or call that it finished, in seconds, as the parent saw it (to a fifth of a second) or the child
// measured it.
CheckResult runIsolated(const std::function<CheckResult(int trailFd, Pace* pace)>& body, bool inProcess,
                        double timeLimit, std::vector<std::string>* trail, double* slowestStep = nullptr);

// A result as the JSON that crosses the pipe, and back.
std::string resultToJson(const CheckResult& result);
CheckResult resultFromJson(const std::string& text);
