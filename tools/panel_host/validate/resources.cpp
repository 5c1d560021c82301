// The resources family: what a long run costs the host's process. The live heap must not grow with
// the events, nor stay grown once the script is gone; no event may hold the operator's thread longer
// than the budget. Processor time is the calling thread's own, so a busy machine does not fail a good
// panel.
#if defined(_WIN32)
#define NOMINMAX
#include <windows.h>
#else
#include <dlfcn.h>
#include <time.h>
#endif

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "checks.h"
#include "storm.h"
#include "storm_plan.h"

namespace {

// The live heap less what the session itself keeps (the transcript's lines, the steps played).
int64_t liveHeap(const StormSession& session) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
    struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd) - static_cast<int64_t>(session.keptBytes());
#else
    (void)session;
    return -1;
#endif
}

// True when a sanitizer's allocator serves the process (an AddressSanitizer runtime preloaded for a panel
// built with it): the C library's heap figures then see none of the script's blocks.
bool sanitizerHeap() {
#if defined(_WIN32)
    return false;
#else
    return ::dlsym(RTLD_DEFAULT, "__asan_init") != nullptr;
#endif
}

// Processor time of the calling thread, in milliseconds.
double threadMs() {
#if defined(_WIN32)
    FILETIME created, ended, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user);
    auto ticks = [](const FILETIME& time) {
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e4;  // 100 ns ticks
#else
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
#endif
}

std::string kib(int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / 1024.0);
    return text;
}

CheckResult brokenBy(const StormSession& session) {
    CheckResult result = CheckResult::fail(session.firstError(), session.firstErrorWhere());
    result.steps = session.played();
    return result;
}

}  // namespace

CheckResult checkNoGrowth(const CheckContext& context) {
    StormSession session(context, false, context.trailFd);
    if (liveHeap(session) < 0) {
        return CheckResult::skip("this C library does not report its live heap");
    }
    if (sanitizerHeap()) {
        return CheckResult::skip(
            "AddressSanitizer's allocator serves this process, so the live heap is not seen "
            "(its leak check reports leaks instead)");
    }
    const int64_t beforeCreation = liveHeap(session);
    StormGenerator generator(StormKind::Mixed, context.seed ^ 0x5eedull);
    const int64_t warmUp = 2000;
    const int64_t steps = stormSteps(context.level) / 5;
    // Measured over the second half of the storm: texts the script keeps only as long as the longest one
    // seen so far grow in jumps ever rarer, which the first half absorbs; a leak grows in both.
    const int64_t middle = warmUp + steps / 2;
    session.play("start");
    int64_t atMiddle = 0;
    while (!session.broken() && session.events() <= warmUp + steps) {
        if (session.events() == middle) {
            atMiddle = liveHeap(session);
        }
        session.play(generator.next(session));
    }
    if (session.broken()) {
        return brokenBy(session);
    }
    int64_t grown = liveHeap(session) - atMiddle;
    CheckResult result;
    result.events = session.events();
    if (grown > kGrowthTolerance) {
        result = CheckResult::fail(
            "the live heap grew by " + kib(grown) + " over the last " +
                std::to_string(warmUp + steps - middle) + " steps of a storm of " +
                std::to_string(warmUp + steps) + " (tolerance " + kib(kGrowthTolerance) + ")",
            "storm steps " + std::to_string(middle) + " to " + std::to_string(session.events()));
        result.events = session.events();
        return result;
    }
    session.play("stop");
    int64_t left = liveHeap(session) - beforeCreation;
    if (session.broken()) {
        return brokenBy(session);
    }
    if (left > kRestoreTolerance) {
        result = CheckResult::fail("once the script was destroyed the live heap stayed " + kib(left) +
                                       " above its size before creation (tolerance " +
                                       kib(kRestoreTolerance) + ")",
                                   "stop");
        result.events = session.events();
        return result;
    }
    // The figures of a pass too: how close a panel runs to the tolerances.
    result.message = "grew by " + kib(grown) + " over the last " + std::to_string(warmUp + steps - middle) +
                     " steps; " + kib(left) + " above its size before creation once destroyed";
    return result;
}

CheckResult checkEventTime(const CheckContext& context) {
    StormSession session(context, false, context.trailFd);
    StormGenerator generator(StormKind::Mixed, context.seed ^ 0x7153ull);
    const int64_t steps = stormSteps(context.level) / 5;
    struct Slow {
        double ms;
        std::string step;
    };
    std::vector<Slow> slowest;
    int overBudget = 0;
    session.play("start");
    // Three events over the budget are enough to show; a slow panel would otherwise take all night.
    while (!session.broken() && session.events() <= steps && overBudget < 3) {
        std::string line = generator.next(session);
        double start = threadMs();
        session.play(line);
        double spent = threadMs() - start;
        overBudget += spent > kEventBudgetMs ? 1 : 0;
        slowest.push_back({spent, "storm:" + std::to_string(session.events()) + ": " + line});
        std::sort(slowest.begin(), slowest.end(), [](const Slow& a, const Slow& b) { return a.ms > b.ms; });
        if (slowest.size() > 3) {
            slowest.pop_back();
        }
    }
    if (session.broken()) {
        return brokenBy(session);
    }
    CheckResult result;
    result.events = session.events();
    if (slowest.empty() || slowest.front().ms <= kEventBudgetMs) {
        return result;
    }
    std::string list;
    for (const Slow& slow : slowest) {
        char ms[32];
        std::snprintf(ms, sizeof ms, "%.1f ms", slow.ms);
        list += std::string(list.empty() ? "" : "; ") + ms + " at " + slow.step;
    }
    std::string message = "an event took more processor time than the budget of " +
                          std::to_string(static_cast<int>(kEventBudgetMs)) + " ms; the slowest: " + list;
    if (context.level < 5) {
        result.warning = message + " (a failure from level 5)";
        return result;
    }
    result = CheckResult::fail(message, slowest.front().step);
    result.events = session.events();
    return result;
}
