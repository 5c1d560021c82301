// The allocation-failure sweep's global operator new and delete, which can be told to fail the k-th
// allocation.
//
// Only the sweep program links this file: it replaces the program's operator new, new[], delete and
// delete[] (plain, sized and nothrow forms). While armed, allocations are counted; the k-th throws
// std::bad_alloc (the nothrow forms return null), as a full heap would. Every block carries a mark saying
// whether it was counted, so the number of counted blocks still alive can be read after a run: anything
// above 0 once the script is gone is a leak. Code that is not under test (the fake host) pauses the count
// while it works. Not thread-safe; the sweep has one thread.
#pragma once

#include <cstdint>

namespace failing_allocator {

// Counts allocations from now on; the `failAt`-th (1-based) fails. 0 counts without failing.
void arm(int64_t failAt);
// Stops counting and failing. Live blocks stay counted until they are freed.
void disarm();

// Allocations counted since arm(), the failed one included.
int64_t counted();
// True when the armed allocation has failed since arm().
bool failed();
// Counted blocks not yet freed.
int64_t liveBlocks();

// While one lives, allocations are neither counted nor failed (for the fake host and the sweep's own
// bookkeeping inside an armed run).
class Pause {
public:
    Pause();
    ~Pause();
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;
};

}  // namespace failing_allocator
