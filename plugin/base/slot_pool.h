// Fixed-size slots for the small handles wrappers own. Host code makes and
// drops a wrapper for every step it takes through a tree, so a general-purpose
// allocation per handle would cost more than the step itself: slots come from
// 16 KiB chunks instead, a free list per chunk, taken and given back in a few
// instructions.
//
// Memory stays bounded by what is live: a chunk whose last slot is given back
// is freed unless it is the only chunk with room, so a loop that makes and
// drops one wrapper at a time reuses one chunk instead of allocating one per
// step. A chunk that gets room again is found first, so emptier chunks get
// the chance to empty.
//
// Calls arrive on the host's one thread, one at a time: no locking. Under
// AddressSanitizer a slot is poisoned while free, so a handle used after its
// wrapper died is still reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#if defined(_WIN32)
#include <malloc.h>  // _aligned_malloc
#endif

#include "base/compiler.h"

#if defined(__has_include)
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

template <std::size_t Size>
class SlotPool {
    static_assert(Size >= sizeof(void*) && Size % alignof(std::max_align_t) == 0,
                  "slots hold a free-list link and keep the default alignment");

public:
    static constexpr std::size_t kChunkBytes = 16384;

    constexpr SlotPool() = default;
    SlotPool(const SlotPool&) = delete;
    SlotPool& operator=(const SlotPool&) = delete;
    // At unload: frees the empty chunk; chunks still holding a slot (a handle
    // the host never released) stay, and are freed as soon as they empty.
    ~SlotPool() {
        closing_ = true;
        for (Chunk* c = open_; c;) {
            Chunk* following = c->next;
            if (c->live == 0) Release(c);
            c = following;
        }
    }

    // Throws std::bad_alloc when no chunk can be had.
    void* Take() {
        Chunk* c = open_;
        if (!c) c = Grow();
        void* slot = c->free;  // an open chunk always has one
        ASAN_UNPOISON_MEMORY_REGION(slot, Size);
        c->free = *static_cast<void**>(slot);
        if (++c->live == kSlots) Unlink(c);  // full: out of the open list
        return slot;
    }

    void Give(void* slot) noexcept {
        if (!slot) return;
        Chunk* c = ChunkOf(slot);
        *static_cast<void**>(slot) = c->free;
        c->free = slot;
        ASAN_POISON_MEMORY_REGION(slot, Size);
        if (c->live-- == kSlots) return PushFront(c);  // room again: found first
        // An empty chunk stays only while it is the one chunk with room.
        if (c->live == 0 && (closing_ || open_ != c || c->next)) Release(c);
    }

    // What the pool holds now; for tests and measurements.
    std::size_t ChunksHeld() const { return chunks_; }
    std::size_t SlotsPerChunk() const { return kSlots; }

private:
    struct Chunk {
        Chunk* prev;
        Chunk* next;
        void* free;        // given-back slots, linked through their first word
        std::size_t live;  // slots taken
        char* Slots() { return reinterpret_cast<char*>(this) + kHeader; }
    };
    static constexpr std::size_t kHeader = (sizeof(Chunk) + alignof(std::max_align_t) - 1) /
                                           alignof(std::max_align_t) * alignof(std::max_align_t);
    static constexpr std::size_t kSlots = (kChunkBytes - kHeader) / Size;

    // Chunks are aligned to their size, so a slot finds its chunk by masking.
    static Chunk* ChunkOf(void* slot) {
        return reinterpret_cast<Chunk*>(reinterpret_cast<std::uintptr_t>(slot) &
                                        ~static_cast<std::uintptr_t>(kChunkBytes - 1));
    }

    TORVXML_COLD Chunk* Grow() {
        void* memory = nullptr;
#if defined(_WIN32)
        memory = _aligned_malloc(kChunkBytes, kChunkBytes);
#else
        if (posix_memalign(&memory, kChunkBytes, kChunkBytes) != 0) memory = nullptr;
#endif
        if (!memory) throw std::bad_alloc();
        Chunk* c = static_cast<Chunk*>(memory);
        c->prev = c->next = nullptr;
        c->live = 0;
        // Every slot starts on the free list, in address order.
        char* slots = c->Slots();
        for (std::size_t i = 0; i + 1 < kSlots; ++i)
            *reinterpret_cast<void**>(slots + i * Size) = slots + (i + 1) * Size;
        *reinterpret_cast<void**>(slots + (kSlots - 1) * Size) = nullptr;
        c->free = slots;
        ASAN_POISON_MEMORY_REGION(slots, kSlots * Size);
        ++chunks_;
        PushFront(c);
        return c;
    }

    // Frees an empty chunk.
    TORVXML_COLD void Release(Chunk* c) {
        Unlink(c);
        --chunks_;
        ASAN_UNPOISON_MEMORY_REGION(c->Slots(), kSlots * Size);
#if defined(_WIN32)
        _aligned_free(c);
#else
        std::free(c);
#endif
    }

    void PushFront(Chunk* c) {
        c->prev = nullptr;
        c->next = open_;
        if (open_) open_->prev = c;
        open_ = c;
    }
    void Unlink(Chunk* c) {
        (c->prev ? c->prev->next : open_) = c->next;
        if (c->next) c->next->prev = c->prev;
        c->prev = c->next = nullptr;
    }

    Chunk* open_ = nullptr;  // chunks with a free slot
    std::size_t chunks_ = 0;
    bool closing_ = false;
};

// The pool serving objects of `Size` bytes: one per slot size, so handles of
// equal size share chunks.
template <std::size_t Size>
inline SlotPool<Size> gSlotPool;

// Handles derive from this to take their storage from a slot pool (objects up
// to 64 bytes; anything larger, such as a whole tree's handle, from the
// heap). Deleting through a base pointer would give the wrong size: like every
// handle here, these are deleted as the type they were made as.
struct PoolAllocated {
    static constexpr std::size_t SlotSizeFor(std::size_t size) {
        return size <= 32 ? 32 : size <= 48 ? 48 : size <= 64 ? 64 : 0;
    }

    static void* operator new(std::size_t size) {
        switch (SlotSizeFor(size)) {
            case 32:
                return gSlotPool<32>.Take();
            case 48:
                return gSlotPool<48>.Take();
            case 64:
                return gSlotPool<64>.Take();
            default:
                return ::operator new(size);
        }
    }

    static void operator delete(void* p, std::size_t size) noexcept {
        switch (SlotSizeFor(size)) {
            case 32:
                return gSlotPool<32>.Give(p);
            case 48:
                return gSlotPool<48>.Give(p);
            case 64:
                return gSlotPool<64>.Give(p);
            default:
                return ::operator delete(p);
        }
    }
};
