#include "storage/CRMemory.h"

#include <cstdlib>

CRMemory& CRMemory::shared() {
    static CRMemory memory;
    return memory;
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

void CRMemory::countAllocation(int32_t tag) {
    if (validTag(tag))
        ++allocated[tag];
    ++blocks;
}

void CRMemory::countFree(int32_t tag) {
    if (validTag(tag))
        ++freed[tag];
    --blocks;
}

void CRMemory::incrementObjectCounter(int32_t kind) {
    if (validTag(kind))
        ++allocated[kind];
}

void CRMemory::decrementObjectCounter(int32_t kind) {
    if (validTag(kind))
        ++freed[kind];
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
