#include "checks.h"

const char* outcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Pass:
            return "pass";
        case Outcome::Fail:
            return "FAIL";
        case Outcome::Crash:
            return "CRASH";
        case Outcome::Timeout:
            return "TIMEOUT";
        case Outcome::Skip:
            return "skip";
    }
    return "FAIL";
}

Outcome outcomeFromName(const std::string& name) {
    for (Outcome outcome : {Outcome::Pass, Outcome::Crash, Outcome::Timeout, Outcome::Skip}) {
        if (name == outcomeName(outcome)) {
            return outcome;
        }
    }
    return Outcome::Fail;
}

CheckResult CheckResult::fail(std::string message, std::string where) {
    CheckResult result;
    result.outcome = Outcome::Fail;
    result.message = std::move(message);
    result.where = std::move(where);
    return result;
}

CheckResult CheckResult::skip(std::string reason) {
    CheckResult result;
    result.outcome = Outcome::Skip;
    result.message = std::move(reason);
    return result;
}

const std::vector<Check>& allChecks() {
    static const std::vector<Check> checks = {
        {"module.opens", 1, false, "the module opens with every symbol bound at once", checkModuleOpens},
        {"module.export", 1, false, "the module exports load_orvo_client_script", checkModuleExport},
        {"lifecycle.null_host", 1, false, "a script created with a null host never calls through it",
         checkNullHost},
        {"lifecycle.base_paths", 1, false,
         "scripts created with a null, an empty and a missing base path, destroyed at once", checkBasePaths},
        {"lifecycle.many_scripts", 2, false,
         "100 scripts alive at once, each on a host object of its own, destroyed in reverse and in random "
         "order",
         checkManyScripts},
        {"events.hostile", 1, false,
         "every event kind with null, zeroed, 1 MiB and non-UTF-8 data: nothing thrown, null returned but "
         "for kind 3",
         checkHostileEvents},
        {"events.odd_kinds", 1, false, "kinds outside 1..7 are ignored: nothing thrown, null returned",
         checkOddKinds},
        {"storm.operator", 1, true,
         "seeded presses, list and picker choices on every control the script loaded", checkOperatorStorm},
        {"storm.devices", 1, true, "seeded revertives with random texts on the slots the script registered",
         checkDeviceStorm},
        {"storm.clock", 1, false, "seeded clock advances and ticks of running and unknown timers",
         checkClockStorm},
        {"storm.parent", 1, false, "seeded parent requests, plausible and random, and kinds 6 and 7",
         checkParentStorm},
        {"storm.mixed", 1, false, "a seeded storm of every event the host can send, interleaved",
         checkMixedStorm},
        {"resources.no_growth", 3, false,
         "a long storm does not grow the live heap; destroying the script gives it back", checkNoGrowth},
        {"resources.event_time", 3, false, "no event takes more processor time than the operator's budget",
         checkEventTime},
        {"storm.determinism", 4, false, "the same seed played twice gives the same transcript",
         checkDeterminism},
    };
    return checks;
}
