// The benchmark program's global operator new and delete, which count every heap allocation.
//
// Every form of operator new (plain, array, nothrow, aligned) adds one to the count and takes its block
// from malloc; every operator delete gives it back with free. The program exports these definitions, so
// Corvane.so, opened with dlopen, allocates through them as well. The count only ever grows; a benchmark
// reads it before and after the work it measures. One thread only: the count is a plain integer.
#pragma once

#include <cstdint>

namespace bench_counting {
extern uint64_t allocationCount;  // written only by the operators in counting_new.cpp
}

// Heap allocations made through operator new since the program started. Inline, so reading it around
// a short operation adds next to nothing to the operation's time.
inline uint64_t heapAllocations() {
    return bench_counting::allocationCount;
}
