// Isolation: runs one check (or one replay of a shrink candidate) so that a crash or a hang is a result
// and not the end of the run.
//
// On POSIX the body runs in a child process (fork). Its result comes back over a pipe as JSON, since
// the child's standard output and error belong to the transcript and the debug capture; its standard
// error goes to a file, where the call guard writes what the script did as it took the process down.
// The child writes each storm step to a trail file before playing it, so a crash or a hang still says
// which steps led to it. A child that passes the time limit is killed (SIGKILL): TIMEOUT; for a storm
// the limit is on one step, its clock started again at each step written to the trail, so a long storm
// on a busy machine is not taken for a hang. A child that ends without a result: CRASH, with the guard's
// message or the signal. In process (--in-process, and always on Windows) the body runs here, with no time
// limit and no protection.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "check.h"

// False where a check cannot run in a child of its own (Windows).
bool canIsolate();

// The body gets the trail descriptor (-1 in process). `trail` receives the steps the child wrote when it
// died without a result; `slowestStep` (when given) the longest the child spent on one step of its trail
// that it finished, in seconds, as the parent saw it (to a fifth of a second).
CheckResult runIsolated(const std::function<CheckResult(int trailFd)>& body, bool inProcess, double timeLimit,
                        std::vector<std::string>* trail, double* slowestStep = nullptr);

// A result as the JSON that crosses the pipe, and back.
std::string resultToJson(const CheckResult& result);
CheckResult resultFromJson(const std::string& text);
