#include "counting_allocator.h"

#include <cstdlib>
#include <new>

namespace orvo_test {

int64_t allocationsMade = 0;
int64_t blocksLive = 0;
int64_t allocationsBeforeFailure = -1;

}  // namespace orvo_test

namespace {

void* allocate(std::size_t size) {
    using namespace orvo_test;
    if (allocationsBeforeFailure == 0) {
        throw std::bad_alloc();
    }
    if (allocationsBeforeFailure > 0) {
        --allocationsBeforeFailure;
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    ++allocationsMade;
    ++blocksLive;
    return block;
}

void release(void* block) noexcept {
    if (block != nullptr) {
        --orvo_test::blocksLive;
        std::free(block);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* block) noexcept {
    release(block);
}
void operator delete[](void* block) noexcept {
    release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    release(block);
}
