#pragma once

#include <cstddef>

// A program that links AllocationLimit.cpp replaces operator new, so a test can make large
// allocations fail. The address sanitizer brings an allocator of its own, which a replacement
// would fight: there it is left out and the tests that need it skip.
bool allocatorReplaced();

// While one lives, every allocation of at least `bytes` throws std::bad_alloc; small ones, such
// as a script's own values and its messages, still get their memory, as on a machine whose
// large blocks are gone.
class LargeAllocationsFail {
public:
    explicit LargeAllocationsFail(std::size_t bytes);
    ~LargeAllocationsFail();
    LargeAllocationsFail(const LargeAllocationsFail&) = delete;
    LargeAllocationsFail& operator=(const LargeAllocationsFail&) = delete;
};
