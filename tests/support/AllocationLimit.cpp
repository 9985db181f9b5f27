#include "AllocationLimit.h"

#include <cstdlib>
#include <new>

namespace {
std::size_t limit = 0;
} // namespace

LargeAllocationsFail::LargeAllocationsFail(std::size_t bytes) {
    limit = bytes;
}

LargeAllocationsFail::~LargeAllocationsFail() {
    limit = 0;
}

#ifdef __SANITIZE_ADDRESS__
bool allocatorReplaced() {
    return false;
}
#else
bool allocatorReplaced() {
    return true;
}

void* operator new(std::size_t size) {
    if (limit != 0 && size >= limit)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
#endif
