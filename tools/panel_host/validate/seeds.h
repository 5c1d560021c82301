// Seeds: what the author's own scenarios give the validator (--scenarios, --from). Each scenario is
// replayed first, as a check of its own; its parent requests, press messages, revertive texts, the
// controls it works and the rows and numbers it chooses on them, the timers it ticks and the advances it
// makes join the storm generators' vocabulary; and storms start from the states the scenarios reach
// (the scenario's driving steps played first, or those of --from for every storm). Read once, before
// any check runs, and shared read-only by every check; it never plays anything itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storm_session.h"

struct Seeds {
    std::vector<ScenarioSeed> scenarios;
    std::vector<std::string> from;  // the steps every storm plays first (--from), or none
    // The vocabulary, every scenario's together.
    std::vector<std::string> requests;       // whole parent requests
    std::vector<std::string> requestWords;   // their first words ("salvo" of "salvo=3")
    std::vector<std::string> requestValues;  // what follows the word
    std::vector<std::string> messages;
    std::vector<std::string> texts;
    std::vector<std::string> controls;                     // worked by the author's operator
    std::vector<std::pair<std::string, int32_t>> choices;  // (control, row or number) chosen on them
    std::vector<int32_t> ticks;                            // the timers ticked
    std::vector<int32_t> advances;                         // the clock units advanced by
    std::vector<int32_t> numbers;                          // integer events

    // The steps a storm plays first: --from's, or else the driving steps of one of the scenarios, chosen
    // by `pick` (a storm's own stream); none without scenarios.
    const std::vector<std::string>& prefixFor(uint64_t pick) const;
};

// The scenarios at `paths` (files, or folders whose *.scenario files are read in name order) and, when
// `from` is not empty, that scenario as every storm's prefix. Throws std::runtime_error naming the path
// (or the file and line) of a scenario that cannot be read.
std::shared_ptr<const Seeds> readSeeds(const std::vector<std::string>& paths, const std::string& from);
