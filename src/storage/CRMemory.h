#pragma once

#include "base/ThreadOwned.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

// Object kinds, counted by constructors and destructors.
enum RObjectKind : int32_t {
    kKindCRString = 1,
    kKindCFileDescriptor = 2,
    kKindCRFile = 3,
    kKindCPort = 4,
    kKindCTask = 5,
    kKindCTaskList = 6,
    kKindCUndoStructure = 7,
    kKindCTablet = 8,
    kKindCStringManager = 9,
    kKindCTree = 10,
    kKindCBinaryTree = 11,
    kKindCSymbolTable = 12,
    kKindCScriptNode = 13,
    kKindCStackFrame = 14,
    kKindCScript = 15,
    kKindCVersionInfo = 16,
    kKindCMiddleInterface = 17,
    kKindCSymbol = 18,
};

// Memory tags of named buffers, counted where they are taken and freed.
enum RMemoryTag : int32_t {
    kTagBugText1 = 20,
    kTagBugText2 = 21,
    kTagSortedArray = 22,
    kTagFileExistenceBuffer = 23,
    kTagEditFieldBuffer = 24,
    kTagStackFrameSlots = 25,
    kTagStringTable = 26,
    kTagStringReadBuffer = 28,
    kTagSymbolBuckets = 29,
    kTagTabletPointers = 30,
    kTagTabletColumn = 31,
    kTagFishSpine = 33,
    kTagLayoutArray1 = 34,
    kTagLayoutArray2 = 35,
    kTagLayoutArray3 = 36,
    kTagSubstringBuffer = 39,
    kTagStringForm = 40,
    kTagVersionWordsWritten = 48,
    kTagVersionWordsRead = 49,
    kTagFileNameBuffer = 51,
    kTagContainerHeader = 52,
    kTagContainerEntries = 53,
    kTagIntSeriesRead = 54,
    kTagIntSeriesWritten = 55,
    kTagSegmentMoveDown = 56,
    kTagSegmentMoveUp = 57,
};

// Memory accounting: per tag, how many allocations (or constructions) and frees (or
// destructions) happened, and how many blocks are held now. The memory debugging dialog
// lists these counters.
//
// Counting is on every string's construction, so it must stay cheap when several threads
// work at once: each thread counts into a block of its own (one writer, so a relaxed load
// and store is enough), and reading adds up the blocks of every thread that ever counted.
// A block outlives its thread, so nothing counted is lost.
class CRMemory {
public:
    static constexpr int32_t kTagCount = 161;
    using Counters = std::array<int64_t, kTagCount>;

    static CRMemory& shared();

    void* malloc(std::size_t size, int32_t tag);
    void* realloc(void* block, std::size_t newSize);
    void free(void* block, int32_t tag);

    // For buffers held in standard containers: count the taking and the freeing alone.
    void countAllocation(int32_t tag) {
        RThreadCounts& counts = threadCounts();
        if (validTag(tag))
            bump(counts.allocated[static_cast<std::size_t>(tag)], 1);
        bump(counts.blocks, 1);
    }
    void countFree(int32_t tag) {
        RThreadCounts& counts = threadCounts();
        if (validTag(tag))
            bump(counts.freed[static_cast<std::size_t>(tag)], 1);
        bump(counts.blocks, -1);
    }

    void incrementObjectCounter(int32_t kind) {
        if (validTag(kind))
            bump(threadCounts().allocated[static_cast<std::size_t>(kind)], 1);
    }
    void decrementObjectCounter(int32_t kind) {
        if (validTag(kind))
            bump(threadCounts().freed[static_cast<std::size_t>(kind)], 1);
    }

    // Totals over every thread.
    void returnCounters(Counters& allocations, Counters& frees) const;
    int64_t allocations(int32_t tag) const;
    int64_t frees(int32_t tag) const;
    int64_t live(int32_t tag) const { return allocations(tag) - frees(tag); }
    int64_t blocksAllocated() const;

private:
    struct RThreadCounts {
        std::array<std::atomic<int64_t>, kTagCount> allocated{};
        std::array<std::atomic<int64_t>, kTagCount> freed{};
        std::atomic<int64_t> blocks{0};
    };

    CRMemory() = default;
    static bool validTag(int32_t tag) { return tag >= 0 && tag < kTagCount; }
    static void bump(std::atomic<int64_t>& counter, int64_t by) {
        counter.store(counter.load(std::memory_order_relaxed) + by, std::memory_order_relaxed);
    }
    using CThreadCounts = CThreadOwned<CRMemory, RThreadCounts>;

    // Inline: strings count themselves on every construction, so this is hot.
    static RThreadCounts& threadCounts() { return CThreadCounts::mine(); }
    static int64_t sum(const std::function<int64_t(const RThreadCounts&)>& read);
};

// A member that counts its owner under an object kind for as long as the owner lives,
// copies included.
template <int32_t Kind> class RObjectCounter {
public:
    RObjectCounter() { CRMemory::shared().incrementObjectCounter(Kind); }
    RObjectCounter(const RObjectCounter&) { CRMemory::shared().incrementObjectCounter(Kind); }
    RObjectCounter& operator=(const RObjectCounter&) { return *this; }
    ~RObjectCounter() { CRMemory::shared().decrementObjectCounter(Kind); }
};

// A buffer counted under a memory tag while it is held.
template <int32_t Tag> class RCountedBuffer {
public:
    RCountedBuffer() { CRMemory::shared().countAllocation(Tag); }
    RCountedBuffer(const RCountedBuffer&) = delete;
    RCountedBuffer& operator=(const RCountedBuffer&) = delete;
    ~RCountedBuffer() { CRMemory::shared().countFree(Tag); }
};
