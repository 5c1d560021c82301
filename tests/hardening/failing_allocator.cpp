#include "failing_allocator.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

// The mark in front of every block. 16 bytes keep the block as aligned as malloc's own.
constexpr std::size_t kHeader = 16;
constexpr uint64_t kCounted = 0xC0C0C0C0C0C0C0C0u;
constexpr uint64_t kPlain = 0x5050505050505050u;

struct State {
    bool armed = false;
    int pauses = 0;
    int64_t failAt = 0;
    int64_t counted = 0;
    bool failed = false;
    int64_t live = 0;
};

State& state() {
    static State s;
    return s;
}

// Null when the allocation is to fail (or malloc has nothing left).
void* allocate(std::size_t size) {
    State& s = state();
    const bool counting = s.armed && s.pauses == 0;
    if (counting) {
        ++s.counted;
        if (s.counted == s.failAt) {
            s.failed = true;
            return nullptr;
        }
    }
    void* raw = std::malloc(size + kHeader);
    if (raw == nullptr) {
        return nullptr;
    }
    *static_cast<uint64_t*>(raw) = counting ? kCounted : kPlain;
    if (counting) {
        ++s.live;
    }
    return static_cast<char*>(raw) + kHeader;
}

void release(void* block) {
    if (block == nullptr) {
        return;
    }
    void* raw = static_cast<char*>(block) - kHeader;
    const uint64_t mark = *static_cast<uint64_t*>(raw);
    if (mark == kCounted) {
        --state().live;
    } else if (mark != kPlain) {
        std::abort();  // not a block of this allocator: a wild delete
    }
    *static_cast<uint64_t*>(raw) = 0;
    std::free(raw);
}

void* allocateOrThrow(std::size_t size) {
    void* block = allocate(size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

namespace failing_allocator {

void arm(int64_t failAt) {
    State& s = state();
    s.armed = true;
    s.failAt = failAt;
    s.counted = 0;
    s.failed = false;
}

void disarm() {
    state().armed = false;
}

int64_t counted() {
    return state().counted;
}

bool failed() {
    return state().failed;
}

int64_t liveBlocks() {
    return state().live;
}

Pause::Pause() {
    ++state().pauses;
}

Pause::~Pause() {
    --state().pauses;
}

}  // namespace failing_allocator

void* operator new(std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
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
void operator delete(void* block, const std::nothrow_t&) noexcept {
    release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    release(block);
}
