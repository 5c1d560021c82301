// The ledger of held answers at every size from 1 to a few hundred, so each of its load limits (it grows
// when half full) is met exactly: whatever the order the host hands answers back in, each is found and
// freed once, a second hand-back and a pointer it never held are refused (and never loop), and what the
// host keeps is freed with the ledger.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "counting_allocator.h"
#include "held_answers.h"

namespace {

// The orders answers come back in: as given, reversed, every seventh from the middle round again, and
// shuffled; runs of neighbouring slots and jumps across the table, so moved blocks are searched for again.
std::vector<std::vector<size_t>> handBackOrders(size_t count, std::mt19937& shuffle) {
    std::vector<size_t> given(count);
    for (size_t i = 0; i < count; ++i) {
        given[i] = i;
    }
    std::vector<size_t> reversed(given.rbegin(), given.rend());
    std::vector<size_t> strided;
    for (size_t step = 0; step < count; ++step) {
        strided.push_back((count / 2 + step * 7) % count);
    }
    if (count % 7 == 0) {
        strided = given;  // 7 does not walk round a multiple of itself
    }
    std::vector<size_t> shuffled = given;
    std::shuffle(shuffled.begin(), shuffled.end(), shuffle);
    return {given, reversed, strided, shuffled};
}

TEST(HeldAnswers, AtEverySizeEachAnswerComesBackOnceInAnyOrderAndNothingElseIsTaken) {
    const int64_t liveBefore = orvo_test::blocksLive;
    std::mt19937 shuffle(21);
    char foreign[] = "the host's own";
    for (size_t count = 1; count <= 300; ++count) {
        for (const std::vector<size_t>& order : handBackOrders(count, shuffle)) {
            orvo_held_answers held;
            std::vector<char*> blocks;
            for (size_t i = 0; i < count; ++i) {
                blocks.push_back(new char[1 + i % 40]);  // blocks of many sizes lie scattered in memory
                held.hold(blocks.back());
            }
            // Full to the limit or not, a pointer never held is refused.
            ASSERT_FALSE(held.release(foreign)) << count << " held";
            ASSERT_FALSE(held.release(blocks[0] + 1)) << count << " held";
            ASSERT_FALSE(held.release(nullptr)) << count << " held";
            // Three quarters come back; the ledger frees the rest.
            for (size_t i = 0; i < order.size() - order.size() / 4; ++i) {
                char* block = blocks[order[i]];
                ASSERT_TRUE(held.release(block)) << count << " held, answer " << order[i] << " not found";
                ASSERT_FALSE(held.release(block)) << count << " held, answer " << order[i] << " taken twice";
            }
            ASSERT_FALSE(held.release(foreign)) << count << " held";
        }
        ASSERT_EQ(orvo_test::blocksLive, liveBefore) << count << " held";
    }
}

// A script that answers one request at a time and has each answer back before the next holds one answer
// at most, so the ledger's table is made once and kept, however many rounds there are.
TEST(HeldAnswers, OneAnswerAtATimeMakesTheTableOnce) {
    orvo_held_answers held;
    const orvo_test::AllocationCount count;
    for (int round = 0; round < 10000; ++round) {
        char* block = new char[8];
        held.hold(block);
        ASSERT_TRUE(held.release(block)) << "round " << round;
    }
    EXPECT_EQ(count.made(), 10000 + 1);  // each answer, and the table once
}

}  // namespace
