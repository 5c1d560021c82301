#include "held_answers.h"

orvo_held_answers::~orvo_held_answers() {
    for (char* block : slots_) {
        delete[] block;
    }
}

size_t orvo_held_answers::homeOf(const void* block) const {
    // Blocks from new[] share their low bits; a multiplicative hash spreads the high ones over the table,
    // whose size is a power of two.
    const uint64_t mixed = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(block)) * 0x9E3779B97F4A7C15u;
    return static_cast<size_t>(mixed >> 32) & (slots_.size() - 1);
}

void orvo_held_answers::hold(char* block) {
    if ((held_ + 1) * 2 > slots_.size()) {
        // Making the larger table is the only step that can fail, and nothing has changed before it.
        std::vector<char*> previous(slots_.empty() ? 8 : slots_.size() * 2, nullptr);
        previous.swap(slots_);
        for (char* earlier : previous) {
            if (earlier != nullptr) {
                place(earlier);
            }
        }
    }
    place(block);
    ++held_;
}

void orvo_held_answers::place(char* block) {
    size_t at = homeOf(block);
    while (slots_[at] != nullptr) {
        at = (at + 1) & (slots_.size() - 1);
    }
    slots_[at] = block;
}

bool orvo_held_answers::release(const void* block) {
    if (block == nullptr || slots_.empty()) {
        return false;
    }
    const size_t mask = slots_.size() - 1;
    size_t hole = homeOf(block);
    while (slots_[hole] != block) {
        if (slots_[hole] == nullptr) {
            return false;
        }
        hole = (hole + 1) & mask;
    }
    delete[] slots_[hole];
    --held_;
    // Close the gap: every later block of the run that may not sit past the hole (its home lies at or
    // before the hole, going round the table) moves into it, so no probe stops short of its block.
    for (size_t at = (hole + 1) & mask; slots_[at] != nullptr; at = (at + 1) & mask) {
        const size_t home = homeOf(slots_[at]);
        if (((at - home) & mask) >= ((at - hole) & mask)) {
            slots_[hole] = slots_[at];
            hole = at;
        }
    }
    slots_[hole] = nullptr;
    return true;
}
