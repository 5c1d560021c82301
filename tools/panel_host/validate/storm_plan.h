// How long the storms of a level are, and the limits the checks hold a script to; docs/validator.md
// gives the same table.
#pragma once

#include <cstdint>

// The steps of all five storms together at a level (1..10); each storm plays a fifth.
int64_t stormSteps(int level);

// A check's time limit at a level: 10 s to level 5, growing with the storms above it.
double checkTimeLimit(int level);

// A storm goes on past a breach until this many breaches of different rules.
constexpr int kDistinctFailures = 3;
// ... or this many breaches in all: each costs a fresh script, and a script that breaks a rule on every
// step (one that never rests spends a hundred thousand ticks on each) would be broken a thousand times.
constexpr int kMostBreaches = 12;

// The most processor time one step may take (the host calls a panel on its operator's thread).
constexpr double kEventBudgetMs = 20.0;
// The live heap may grow this much over the long storm, and be this much above its size before the
// script was created once it is destroyed.
constexpr int64_t kGrowthTolerance = 64 * 1024;
constexpr int64_t kRestoreTolerance = 256 * 1024;
