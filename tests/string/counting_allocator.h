// The tests' counting allocator: a test program that links counting_allocator.cpp has its global
// operator new and delete replaced, so a test can count the blocks the library takes and gives back,
// and make the next allocations fail. One program holds one set of counters; the allocator never
// frees what it did not hand out, and it is not for programs with threads.
#pragma once

#include <cstdint>

namespace orvo_test {

extern int64_t allocationsMade;           // every successful operator new since the program started
extern int64_t blocksLive;                // blocks handed out and not yet given back
extern int64_t allocationsBeforeFailure;  // -1: never fail; otherwise this many succeed, then all fail

// Counts the allocations made while it lives.
class AllocationCount {
public:
    AllocationCount() : start_(allocationsMade) {}
    int64_t made() const { return allocationsMade - start_; }

private:
    int64_t start_;
};

// While it lives, the first `allowed` allocations succeed and every later one throws std::bad_alloc.
// Nothing in its scope may call a GoogleTest assertion: a failing one would need memory.
class FailingAllocations {
public:
    explicit FailingAllocations(int64_t allowed = 0) { allocationsBeforeFailure = allowed; }
    ~FailingAllocations() { allocationsBeforeFailure = -1; }
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

}  // namespace orvo_test
