#include "storage/CRStringPool.h"

#include <algorithm>

void CRStringPool::release(int32_t slot) {
    slotAt(slot).reset();
    freeSlots.push_back(slot);
    --liveStrings;
}

void CRStringPool::clear() {
    chunks.clear(); // each chunk destroys the strings it holds
    chunks.shrink_to_fit();
    freeSlots.clear();
    freeSlots.shrink_to_fit();
    slotsTaken = 0;
    liveStrings = 0;
}

void CRStringPool::swap(CRStringPool& other) noexcept {
    chunks.swap(other.chunks);
    freeSlots.swap(other.freeSlots);
    std::swap(slotsTaken, other.slotsTaken);
    std::swap(liveStrings, other.liveStrings);
}

int32_t CRStringPool::takeSlot() {
    if (!freeSlots.empty()) {
        const int32_t slot = freeSlots.back();
        freeSlots.pop_back();
        return slot;
    }
    const auto slots = chunks.size() * static_cast<std::size_t>(kChunkSlots);
    if (static_cast<std::size_t>(slotsTaken) == slots) {
        // Everything that can throw happens before the pool changes.
        auto chunk = std::make_unique<Slot[]>(static_cast<std::size_t>(kChunkSlots));
        const std::size_t needed = slots + static_cast<std::size_t>(kChunkSlots);
        if (freeSlots.capacity() < needed)
            freeSlots.reserve(std::max(needed, 2 * freeSlots.capacity()));
        chunks.push_back(std::move(chunk));
    }
    return slotsTaken++;
}
