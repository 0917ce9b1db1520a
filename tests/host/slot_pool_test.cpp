// The slot pools wrapper handles live in: slots never overlap, given-back
// slots are reused, and memory follows what is live instead of the peak.
#include "base/slot_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TORVXML_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TORVXML_TEST_ASAN 1
#endif

namespace {

using Pool = SlotPool<48>;

// Every slot keeps its own bytes while others are written, and every slot
// is aligned for any object.
TEST(SlotPool, SlotsAreDistinctAlignedAndKeepTheirBytes) {
    Pool pool;
    std::vector<void*> slots;
    for (size_t i = 0; i < 3 * pool.SlotsPerChunk() + 7; ++i) {
        void* slot = pool.Take();
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(slot) % alignof(std::max_align_t), 0u);
        std::memset(slot, static_cast<int>(i & 0xff), 48);
        slots.push_back(slot);
    }
    EXPECT_EQ(std::set<void*>(slots.begin(), slots.end()).size(), slots.size());
    for (size_t i = 0; i < slots.size(); ++i) {
        const unsigned char* bytes = static_cast<const unsigned char*>(slots[i]);
        ASSERT_EQ(bytes[0], i & 0xff) << i;
        ASSERT_EQ(bytes[47], i & 0xff) << i;
    }
    EXPECT_EQ(pool.ChunksHeld(), 4u);
    for (void* slot : slots) pool.Give(slot);
    EXPECT_EQ(pool.ChunksHeld(), 1u);  // the one kept for the next wrapper
}

// A loop that makes and drops one handle at a time neither grows nor frees.
TEST(SlotPool, OneAtATimeReusesOneChunk) {
    Pool pool;
    void* first = pool.Take();
    pool.Give(first);
    for (int i = 0; i < 10000; ++i) {
        void* slot = pool.Take();
        EXPECT_EQ(slot, first);
        pool.Give(slot);
    }
    EXPECT_EQ(pool.ChunksHeld(), 1u);
}

// A chunk that empties while another has room is freed; a full chunk that
// gets room back is used before a fresh one is made.
TEST(SlotPool, MemoryFollowsWhatIsLive) {
    Pool pool;
    const size_t perChunk = pool.SlotsPerChunk();
    std::vector<void*> first, second;
    for (size_t i = 0; i < perChunk; ++i) first.push_back(pool.Take());
    for (size_t i = 0; i < perChunk / 2; ++i) second.push_back(pool.Take());
    ASSERT_EQ(pool.ChunksHeld(), 2u);

    pool.Give(first[3]);  // the full chunk has room again
    EXPECT_EQ(pool.Take(), first[3]);
    EXPECT_EQ(pool.ChunksHeld(), 2u);

    for (void* slot : first) pool.Give(slot);  // empties while the second has room
    EXPECT_EQ(pool.ChunksHeld(), 1u);
    for (void* slot : second) pool.Give(slot);  // the last one with room: kept
    EXPECT_EQ(pool.ChunksHeld(), 1u);

    // Alternating at a chunk's edge does not make a chunk per round.
    std::vector<void*> full;
    for (size_t i = 0; i < perChunk; ++i) full.push_back(pool.Take());
    for (int round = 0; round < 100; ++round) {
        void* extra = pool.Take();
        pool.Give(extra);
        pool.Give(full.back());
        full.back() = pool.Take();
    }
    EXPECT_LE(pool.ChunksHeld(), 2u);
    for (void* slot : full) pool.Give(slot);
    EXPECT_EQ(pool.ChunksHeld(), 1u);
}

// Handles deriving from PoolAllocated take slots by size; larger objects
// come from the heap.
struct Small : PoolAllocated {
    void* words[3];
};
struct Large : PoolAllocated {
    char bytes[200];
};

TEST(SlotPool, HandlesTakeSlotsBySize) {
    const size_t before = gSlotPool<32>.ChunksHeld();
    auto* a = new Small{};
    auto* b = new Small{};
    const auto chunkOf = [](const void* p) {
        return reinterpret_cast<std::uintptr_t>(p) / SlotPool<32>::kChunkBytes;
    };
    EXPECT_EQ(chunkOf(a), chunkOf(b));
    EXPECT_GE(gSlotPool<32>.ChunksHeld(), 1u);
    delete a;
    auto* c = new Small{};
    EXPECT_EQ(static_cast<void*>(c), static_cast<void*>(a));  // the slot given back
    delete b;
    delete c;
    EXPECT_LE(gSlotPool<32>.ChunksHeld(), before + 1);
    auto* big = new Large{};
    big->bytes[199] = 1;  // from the heap: AddressSanitizer checks its extent
    delete big;
}

#ifdef TORVXML_TEST_ASAN
// A handle read after its wrapper died is still reported.
TEST(SlotPoolDeathTest, FreeSlotsArePoisoned) {
    EXPECT_DEATH(
        {
            Pool pool;
            auto* slot = static_cast<volatile char*>(pool.Take());
            pool.Give(const_cast<char*>(slot));
            (void)slot[8];
        },
        "use-after-poison");
}
#endif

}  // namespace
