#pragma once

#include <cstddef>

// The app tests replace operator new so a test can make large allocations fail. The address
// sanitizer brings an allocator of its own, which a replacement would fight: there it is left
// out and the tests that need it skip.
bool allocatorReplaced();
// From now on, every allocation of at least `bytes` throws std::bad_alloc; 0 lifts the limit.
void failAllocationsFrom(std::size_t bytes);
