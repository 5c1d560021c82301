// The resources family: what a long run costs the host's process. The live heap must not grow with
// the events, nor stay grown once the script is gone; no event may hold the operator's thread longer
// than the budget. Processor time is the calling thread's own, so a busy machine does not fail a good
// panel.
#if !defined(_WIN32)
#include <dlfcn.h>
#endif

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <thread>

#include "checks.h"
#include "storm.h"
#include "storm_plan.h"

namespace {

// The live heap of the process, or -1 where the C library does not say.
int64_t liveHeap() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
    struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
#else
    return -1;
#endif
}

// The live heap less what the session itself keeps (the steps played).
int64_t liveHeap(const StormSession& session) {
    return liveHeap() - static_cast<int64_t>(session.keptBytes());
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

std::string kib(int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / 1024.0);
    return text;
}

CheckResult brokenBy(StormSession& session) {
    CheckResult result = CheckResult::fail(session.firstError(), session.firstErrorWhere());
    result.steps = session.played();
    result.coverage = session.coverage();
    return result;
}

// A scenario replays the events but not the heap measured around them, so a growth failure carries no
// steps to shrink (they would only replay clean): it says how to run the same storm again instead.
CheckResult heapFailure(const CheckContext& context, CheckResult result) {
    result.steps.clear();
    result.message +=
        "; a scenario cannot show the heap: run this check again with --only "
        "resources.no_growth --seed " +
        std::to_string(context.seed) + " --level " + std::to_string(context.level);
    return result;
}

}  // namespace

// Growth is measured over the storm, less the steps the session keeps. What stays once the script is
// gone is measured after the whole host model (its queues, its records, its slot texts) is gone too,
// against a baseline taken after a first load and unload of the library, so only what the script and its
// library kept counts. The storm runs on a thread of its own, joined before that last measure: the C
// library keeps a cache of freed blocks for each thread, counted as live until the thread ends.
CheckResult checkNoGrowth(const CheckContext& context) {
    if (liveHeap() < 0) {
        return CheckResult::skip("this C library does not report its live heap");
    }
    if (sanitizerHeap()) {
        return CheckResult::skip(
            "AddressSanitizer's allocator serves this process, so the live heap is not seen "
            "(its leak check reports leaks instead)");
    }
    {
        // What loading the library costs once (the loader's own records, a library that is never
        // unloaded) is not the script's.
        StormSession warmUp(context, false);
        warmUp.play("start");
        warmUp.finish();
    }
    const int64_t beforeCreation = liveHeap();
    const int64_t warmUp = 2000;
    const int64_t steps = stormSteps(context.level) / 5;
    // Measured over the second half of the storm: texts the script keeps only as long as the longest one
    // seen so far grow in jumps ever rarer, which the first half absorbs; a leak grows in both.
    const int64_t middle = warmUp + steps / 2;
    CheckResult result;
    int64_t grown = 0;
    std::thread storm([&] {
        StormSession session(context, false, context.trailFd);
        StormGenerator generator(StormKind::Mixed, context.seed ^ 0x5eedull, context.seeds.get());
        session.play("start");
        int64_t atMiddle = 0;
        while (!session.broken() && session.events() <= warmUp + steps) {
            if (session.events() == middle) {
                atMiddle = liveHeap(session);
            }
            session.play(generator.next(session));
        }
        grown = liveHeap(session) - atMiddle;
        Coverage coverage = session.coverage();
        if (!session.broken() && grown <= kGrowthTolerance) {
            session.play("stop");
            session.finish();
        }
        result = session.broken() ? brokenBy(session) : CheckResult::pass();
        result.steps = session.played();
        result.events = session.events();
        result.coverage = std::move(coverage);
    });
    storm.join();
    if (result.outcome != Outcome::Pass) {
        return result;
    }
    if (grown > kGrowthTolerance) {
        result.outcome = Outcome::Fail;
        result.message = "the live heap grew by " + kib(grown) + " over the last " +
                         std::to_string(warmUp + steps - middle) + " steps of a storm of " +
                         std::to_string(warmUp + steps) + " (tolerance " + kib(kGrowthTolerance) + ")";
        result.where = "storm steps " + std::to_string(middle) + " to " + std::to_string(result.events);
        return heapFailure(context, result);
    }
    int64_t left = liveHeap() - static_cast<int64_t>(keptBytesOf(result.steps)) - beforeCreation;
    if (left > kRestoreTolerance) {
        result.outcome = Outcome::Fail;
        result.message = "once the script was destroyed and the library closed the live heap stayed " +
                         kib(left) + " above its size before creation (tolerance " + kib(kRestoreTolerance) +
                         ")";
        result.where = "stop";
        return heapFailure(context, result);
    }
    result.steps.clear();
    // The figures of a pass too: how close a panel runs to the tolerances.
    result.message = "grew by " + kib(grown) + " over the last " + std::to_string(warmUp + steps - middle) +
                     " steps; " + kib(left) + " above its size before creation once destroyed";
    return result;
}

CheckResult checkEventTime(const CheckContext& context) {
    StormSession session(context, false, context.trailFd);
    StormGenerator generator(StormKind::Mixed, context.seed ^ 0x7153ull);
    const int64_t steps = stormSteps(context.level) / 5;
    const double budget = kEventBudgetMs * context.timeScale;
    struct Slow {
        double ms;
        std::string step;
    };
    std::vector<Slow> slowest;
    int overBudget = 0;
    session.timeCalls();
    session.play("start");
    // Three calls over the budget are enough to show; a slow panel would otherwise take all night.
    while (!session.broken() && session.events() <= steps && overBudget < 3) {
        std::string line = generator.next(session);
        session.play(line);
        const StormSession::SlowCall& call = session.slowestCall();
        overBudget += call.ms > budget ? 1 : 0;
        slowest.push_back(
            {call.ms, call.call + " (storm:" + std::to_string(session.events()) + ": " + line + ")"});
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
    result.coverage = session.coverage();
    if (slowest.empty() || slowest.front().ms <= budget) {
        return result;
    }
    std::string list;
    for (const Slow& slow : slowest) {
        char ms[32];
        std::snprintf(ms, sizeof ms, "%.1f ms", slow.ms);
        list += std::string(list.empty() ? "" : "; ") + ms + " at " + slow.step;
    }
    char limit[32];
    std::snprintf(limit, sizeof limit, "%g ms", budget);
    std::string message = "a call into the script took more processor time than the budget of " +
                          std::string(limit) + "; the slowest: " + list;
    if (context.level < 5) {
        result.warning = message + " (a failure from level 5)";
        return result;
    }
    // One call over the budget in a whole storm is the machine (the kernel's work on the host's guarded
    // pages, a page fault, a migration); a slow path of the script's is slow each time it is taken.
    if (overBudget < 2) {
        result.warning =
            message + " (once in " + std::to_string(session.events()) + " steps: not taken for the script's)";
        return result;
    }
    result.outcome = Outcome::Fail;
    result.message = message;
    result.where = slowest.front().step;
    return result;
}
