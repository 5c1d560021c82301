// StormGenerator: seeded random events against what the script set up, one scenario line at a time.
//
// Each call of next() looks at the session's current state (the controls of the loaded panels, the
// slots the script registered, the running timers) and writes one step the host could send: a press of
// a control with a message its kind takes, a list or picker choice, a revertive with a random text on a
// registered slot, a clock advance to the next tick or a tick, a parent request from a grammar of
// plausible and random ones, an integer or a record event. With the author's scenarios (seeds.h) it also
// draws their requests, words, values, messages and texts, works the controls they work more often (with
// the rows and numbers they chose), and ticks the timers they tick. Now and then it draws what breaks
// careless code: long texts and texts cut inside a UTF-8 sequence on the registered slots, deeply nested and
// repeated structures in parent-request values. The same seed against the same script gives the same
// lines. It owns only its random engine; it never plays a step itself.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "seeds.h"
#include "storm_session.h"

enum class StormKind { Operator, Devices, Clock, Parent, Mixed };

class StormGenerator {
public:
    // `seeds` may be null; it must outlive the generator.
    StormGenerator(StormKind kind, uint64_t seed, const Seeds* seeds = nullptr)
        : kind_(kind), random_(seed), seeds_(seeds) {}

    // The next step as a scenario line, or "" when the script set up nothing this storm can use.
    std::string next(StormSession& session);

private:
    std::string operatorStep();
    std::string deviceStep();
    std::string clockStep(StormSession& session);
    std::string parentStep();
    // A text for the rest of a line: printable bytes and bytes that are not UTF-8, never a line break.
    std::string randomText(size_t longest);
    // A slot text that breaks careless readers: very long, or cut inside a UTF-8 sequence.
    std::string edgeText();
    // A parent-request value nested or repeated thousands of times.
    std::string deepValue();
    // One of `list` at random; "" for an empty list.
    const std::string& oneOf(const std::vector<std::string>& list);
    int32_t number(int32_t low, int32_t high);
    // A random index into a list of `size` items (not 0).
    size_t index(size_t size) { return static_cast<size_t>(number(0, static_cast<int32_t>(size) - 1)); }
    // The control to work next: now and then one the author's scenarios work, when it is loaded.
    const StormSession::ControlView& nextControl();
    // A row or number the author's scenarios chose on `control`, if they chose any (false otherwise).
    bool seededChoice(const std::string& control, int32_t& choice);
    bool chance(int percent) { return number(0, 99) < percent; }
    void refresh(StormSession& session);

    StormKind kind_;
    std::mt19937_64 random_;
    const Seeds* seeds_;
    int64_t steps_ = 0;
    std::vector<StormSession::ControlView> controls_;
    std::vector<std::pair<int32_t, int32_t>> slots_;
};
