// orvo_held_answers: the parent-request answers a script has handed to the host and not yet had back.
//
// The host may hold any number of answers and hand them back in any order, so holding and taking back
// one answer each cost constant time on average, however many are held. A pointer the host hands back
// is only ever compared, never read, until it is found here: a foreign pointer, or one handed back
// twice, is refused rather than freed. The ledger owns every block it holds (from new[]) and frees what
// is left when it is destroyed. Its table is one block that grows by doubling and is kept for later
// answers, so a script that answers one request at a time allocates nothing here after its first
// answer. Node-based standard sets would allocate once per answer held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class orvo_held_answers {
public:
    orvo_held_answers() = default;
    ~orvo_held_answers();
    orvo_held_answers(const orvo_held_answers&) = delete;
    orvo_held_answers& operator=(const orvo_held_answers&) = delete;

    // Takes `block` into the ledger. On std::bad_alloc (a larger table could not be had) the block is not
    // taken and stays the caller's.
    void hold(char* block);
    // Frees `block` when the ledger holds it and returns true; otherwise changes nothing and returns false.
    bool release(const void* block);

private:
    size_t homeOf(const void* block) const;
    // Puts `block` into the first free slot from its home on; the table has a free slot.
    void place(char* block);

    std::vector<char*> slots_;  // open addressing with linear probing; null marks a free slot
    size_t held_ = 0;           // blocks in slots_, at most half of them, so every probe ends soon
};
