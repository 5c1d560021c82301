// The storms family: seeded random sequences of every event the host can send to what the script set
// up, each step checked against the host contract as it is played. A storm stops at the first breach;
// its steps so far go with the failure, to be shrunk into a scenario.
#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>

#include "checks.h"
#include "seeds.h"
#include "storm.h"
#include "storm_plan.h"

namespace {

// Each storm draws from its own stream of the seed, so --only does not change what a storm plays.
uint64_t streamOf(uint64_t seed, uint64_t storm) {
    return seed * 0x9E3779B97F4A7C15ull + storm;
}

CheckResult failureOf(StormSession& session) {
    CheckResult result = CheckResult::fail(session.firstError(), session.firstErrorWhere());
    result.steps = session.played();
    result.events = session.events();
    result.coverage = session.coverage();
    return result;
}

// A fresh script, started from the state an author's scenario reaches when there are any. False when the
// start or the prefix already broke the contract.
bool begin(StormSession& session, const CheckContext& context, uint64_t stream) {
    if (!session.play("start")) {
        return false;
    }
    if (context.seeds) {
        for (const std::string& line : context.seeds->prefixFor(stream)) {
            if (!session.play(line)) {
                return false;
            }
        }
    }
    return true;
}

// The rule a breach broke ("answer-not-handed-back"), which tells failures apart.
std::string ruleOf(const std::string& message) {
    return message.substr(0, message.find(':'));
}

// A storm goes on past a breach with a fresh script, until kDistinctFailures breaches of different rules,
// kMostBreaches in all, or its steps are played; the first is the result, the others go with it, and repeats
// are counted.
CheckResult storm(const CheckContext& context, StormKind kind, int64_t steps, const char* nothingToDo) {
    const uint64_t stream = streamOf(context.seed, static_cast<uint64_t>(kind));
    auto session = std::make_unique<StormSession>(context, false, context.trailFd);
    if (!begin(*session, context, stream)) {
        return failureOf(*session);
    }
    StormGenerator generator(kind, stream, context.seeds.get());
    std::vector<CheckResult> failures;
    Coverage coverage;
    int64_t played = 0;
    int64_t events = 0;
    int breaches = 0;
    while (played < steps) {
        std::string line = generator.next(*session);
        if (line.empty()) {
            if (played == 0) {
                return CheckResult::skip(nothingToDo);
            }
            break;
        }
        ++played;
        if (session->play(line)) {
            continue;
        }
        CheckResult failure = failureOf(*session);
        coverage.merge(failure.coverage);
        events += session->events();
        auto same = std::find_if(failures.begin(), failures.end(), [&](const CheckResult& seen) {
            return ruleOf(seen.message) == ruleOf(failure.message);
        });
        if (same != failures.end()) {
            ++same->repeats;
        } else {
            failures.push_back(std::move(failure));
        }
        if (static_cast<int>(failures.size()) >= kDistinctFailures || ++breaches >= kMostBreaches) {
            break;
        }
        session = std::make_unique<StormSession>(context, false, context.trailFd);
        session->restartTrail();
        if (!begin(*session, context, stream)) {
            break;
        }
    }
    if (failures.empty()) {
        CheckResult result;
        if (!session->finish()) {
            return failureOf(*session);
        }
        result.coverage = session->coverage();
        result.events = session->events();
        // The host's named notes: commands it carried out that will not do what the script meant.
        for (const std::string& note : session->notes()) {
            result.warning += (result.warning.empty() ? "note " : "; note ") + note;
        }
        return result;
    }
    CheckResult result = std::move(failures.front());
    result.more.assign(std::make_move_iterator(failures.begin() + 1),
                       std::make_move_iterator(failures.end()));
    result.coverage = std::move(coverage);
    result.events = events;
    return result;
}

}  // namespace

int64_t stormSteps(int level) {
    static const int64_t steps[] = {5000,   10000,  25000,  50000,  100000,
                                    125000, 150000, 200000, 250000, 300000};
    return steps[level < 1 ? 0 : level > 10 ? 9 : level - 1];
}

double checkTimeLimit(int level) {
    return level <= 5 ? 10.0
                      : 10.0 * static_cast<double>(stormSteps(level)) / static_cast<double>(stormSteps(5));
}

CheckResult checkOperatorStorm(const CheckContext& context) {
    return storm(context, StormKind::Operator, stormSteps(context.level) / 5,
                 "the script loaded no panel with controls to press");
}

CheckResult checkDeviceStorm(const CheckContext& context) {
    return storm(context, StormKind::Devices, stormSteps(context.level) / 5,
                 "the script registered no slot of the site's information drivers");
}

CheckResult checkClockStorm(const CheckContext& context) {
    return storm(context, StormKind::Clock, stormSteps(context.level) / 5, "");
}

CheckResult checkParentStorm(const CheckContext& context) {
    return storm(context, StormKind::Parent, stormSteps(context.level) / 5, "");
}

CheckResult checkMixedStorm(const CheckContext& context) {
    return storm(context, StormKind::Mixed, stormSteps(context.level) / 5, "");
}

CheckResult checkDeterminism(const CheckContext& context) {
    // The same lines played twice: the storm is generated once and replayed, so only the script can
    // make the two transcripts differ.
    const int64_t steps = stormSteps(context.level) / 20;
    std::vector<std::string> lines;
    std::string first;
    Coverage coverage;
    {
        StormSession session(context, true, context.trailFd);
        session.play("start");
        StormGenerator generator(StormKind::Mixed, streamOf(context.seed, 99), context.seeds.get());
        while (!session.broken() && session.events() <= steps) {
            session.play(generator.next(session));
        }
        session.finish();
        if (session.broken()) {
            return failureOf(session);
        }
        lines = session.played();
        first = session.transcriptText();
        coverage = session.coverage();
    }
    // The second run restarts the trail, so its steps keep the child's clock going as the first's did.
    StormSession again(context, true, context.trailFd);
    again.restartTrail();
    for (const std::string& line : lines) {
        again.play(line);
    }
    again.finish();
    std::string second = again.transcriptText();
    CheckResult result;
    result.events = static_cast<int64_t>(lines.size()) * 2;
    result.coverage = coverage;
    if (first == second) {
        return result;
    }
    size_t at = 0;
    int line = 1;
    while (at < first.size() && at < second.size() && first[at] == second[at]) {
        line += first[at] == '\n' ? 1 : 0;
        ++at;
    }
    std::string message =
        "the same steps gave different transcripts from transcript line " + std::to_string(line);
    if (context.level >= 8) {
        result.outcome = Outcome::Fail;
        result.message = message;
        return result;
    }
    result.warning = message + " (a failure from level 8; a panel that shows the wall clock differs)";
    return result;
}
