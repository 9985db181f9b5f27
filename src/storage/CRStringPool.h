#pragma once

#include "storage/CRString.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Strings kept by value in fixed-size chunks, each in a numbered slot. A string stays at its
// address until its slot is released, however many strings are added meanwhile, so a caller
// may hold a pointer to one while registering another. Loading a document creates one string
// per text; a chunk serves a thousand of them with a single allocation.
//
// Released slots are handed out again, last released first. Slots hold nothing but the
// strings: the strings count themselves as they always do, and the pool adds no counts.
class CRStringPool {
public:
    CRStringPool() = default;
    CRStringPool(const CRStringPool&) = delete;
    CRStringPool& operator=(const CRStringPool&) = delete;
    ~CRStringPool() = default;

    // Constructs a CRString from args in a free slot and returns the slot. Throws
    // std::bad_alloc when a new chunk is needed and cannot be had; no string is made then.
    template <typename... Args> int32_t emplace(Args&&... args) {
        const int32_t slot = takeSlot();
        try {
            slotAt(slot).emplace(std::forward<Args>(args)...);
        } catch (...) {
            freeSlots.push_back(slot); // cannot allocate: the capacity covers every slot
            throw;
        }
        ++liveStrings;
        return slot;
    }
    // Destroys the string of a slot that emplace handed out.
    void release(int32_t slot);
    // Destroys every string and gives the chunks back.
    void clear();
    void swap(CRStringPool& other) noexcept;

    CRString& at(int32_t slot) { return *slotAt(slot); }
    const CRString& at(int32_t slot) const { return *slotAt(slot); }
    int32_t size() const { return liveStrings; }

private:
    using Slot = std::optional<CRString>;
    static constexpr int32_t kChunkBits = 10;
    static constexpr int32_t kChunkSlots = 1 << kChunkBits;

    int32_t takeSlot();
    Slot& slotAt(int32_t slot) {
        return chunks[static_cast<std::size_t>(slot >> kChunkBits)]
                     [static_cast<std::size_t>(slot & (kChunkSlots - 1))];
    }
    const Slot& slotAt(int32_t slot) const {
        return chunks[static_cast<std::size_t>(slot >> kChunkBits)]
                     [static_cast<std::size_t>(slot & (kChunkSlots - 1))];
    }

    std::vector<std::unique_ptr<Slot[]>> chunks;
    // Its capacity always covers every slot of every chunk, so releasing never allocates.
    std::vector<int32_t> freeSlots;
    int32_t slotsTaken = 0; // slots below this number have been handed out at least once
    int32_t liveStrings = 0;
};
