#include "storage/CRMemory.h"

#include <cstdlib>
#include <functional>

CRMemory& CRMemory::shared() {
    // Holds nothing itself: the counts are per thread, and outlive every object that counts.
    static CRMemory memory;
    return memory;
}

int64_t CRMemory::sum(const std::function<int64_t(const RThreadCounts&)>& read) {
    int64_t total = 0;
    CThreadCounts::forEach([&](const RThreadCounts& counts) { total += read(counts); });
    return total;
}

void* CRMemory::malloc(std::size_t size, int32_t tag) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block)
        countAllocation(tag);
    return block;
}

void* CRMemory::realloc(void* block, std::size_t newSize) {
    return std::realloc(block, newSize == 0 ? 1 : newSize);
}

void CRMemory::free(void* block, int32_t tag) {
    if (!block)
        return;
    std::free(block);
    countFree(tag);
}

void CRMemory::returnCounters(Counters& allocations, Counters& frees) const {
    allocations.fill(0);
    frees.fill(0);
    CThreadCounts::forEach([&](const RThreadCounts& counts) {
        for (std::size_t tag = 0; tag < allocations.size(); ++tag) {
            allocations[tag] += counts.allocated[tag].load(std::memory_order_relaxed);
            frees[tag] += counts.freed[tag].load(std::memory_order_relaxed);
        }
    });
}

int64_t CRMemory::allocations(int32_t tag) const {
    if (!validTag(tag))
        return 0;
    return sum([tag](const RThreadCounts& counts) {
        return counts.allocated[static_cast<std::size_t>(tag)].load(std::memory_order_relaxed);
    });
}

int64_t CRMemory::frees(int32_t tag) const {
    if (!validTag(tag))
        return 0;
    return sum([tag](const RThreadCounts& counts) {
        return counts.freed[static_cast<std::size_t>(tag)].load(std::memory_order_relaxed);
    });
}

int64_t CRMemory::blocksAllocated() const {
    return sum(
        [](const RThreadCounts& counts) { return counts.blocks.load(std::memory_order_relaxed); });
}
