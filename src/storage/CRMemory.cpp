#include "storage/CRMemory.h"

#include <cstdlib>

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
    allocations = allocated;
    frees = freed;
}

int64_t CRMemory::allocations(int32_t tag) const {
    return validTag(tag) ? allocated[tag] : 0;
}

int64_t CRMemory::frees(int32_t tag) const {
    return validTag(tag) ? freed[tag] : 0;
}
