#include "counting_new.h"

#include <cstdlib>
#include <new>

namespace bench_counting {
uint64_t allocationCount = 0;
}

namespace {

using bench_counting::allocationCount;

void* countedBlock(std::size_t size) noexcept {
    ++allocationCount;
    return std::malloc(size == 0 ? 1 : size);
}

void* countedAlignedBlock(std::size_t size, std::align_val_t alignment) noexcept {
    ++allocationCount;
    std::size_t align = static_cast<std::size_t>(alignment);
    if (align < sizeof(void*)) {
        align = sizeof(void*);
    }
    void* block = nullptr;
    if (posix_memalign(&block, align, size == 0 ? 1 : size) != 0) {
        return nullptr;
    }
    return block;
}

void* orThrow(void* block) {
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

}  // namespace

void* operator new(std::size_t size) {
    return orThrow(countedBlock(size));
}
void* operator new[](std::size_t size) {
    return orThrow(countedBlock(size));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return countedBlock(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return countedBlock(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return orThrow(countedAlignedBlock(size, alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return orThrow(countedAlignedBlock(size, alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return countedAlignedBlock(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return countedAlignedBlock(size, alignment);
}

void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    std::free(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(block);
}
