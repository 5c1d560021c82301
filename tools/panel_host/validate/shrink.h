// shrink(): cuts a failing list of steps down to a short one that still fails the same way (delta
// debugging). It first drops halves, then quarters and so on down to single steps, keeping each cut the
// predicate still fails on, and starts over at halves whenever a cut held. It is a pure function: the
// predicate does all the playing (the validator plays each candidate in a child of its own) and is
// asked at most `budget` times; what has been cut by then is returned. The first step is never cut
// when `keepFirst` is set (a storm's "start").
//
// shrinkValues() then shrinks inside the steps left: each step is offered its simpler forms (a shorter
// text, a smaller number, from `simpler`, simplest first) and takes the first the predicate still fails
// on, again and again while one does. It returns which steps took their simplest form: their value does
// not matter to the failure.
#pragma once

#include <functional>
#include <string>
#include <vector>

using StepList = std::vector<std::string>;

StepList shrink(const StepList& failing, const std::function<bool(const StepList&)>& stillFails, int budget,
                bool keepFirst = true);

struct ValueShrink {
    StepList steps;
    std::vector<bool> valueFree;  // for each step: it took its simplest form
};
ValueShrink shrinkValues(const StepList& failing,
                         const std::function<std::vector<std::string>(const std::string&)>& simpler,
                         const std::function<bool(const StepList&)>& stillFails, int budget,
                         bool keepFirst = true);
