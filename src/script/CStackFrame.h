#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRMemory.h"
#include "storage/CRString.h"

#include <cstdint>
#include <vector>

// One function activation: slot 0 the result, slots 1 to P the parameters, then the local
// variables; every slot starts as an empty value. A native function's frame has its argument
// count as its size.
class CStackFrame {
public:
    explicit CStackFrame(int32_t size);

    // Makes the frame one of the given size, keeping the slots it already has; every slot must
    // be empty (see clear), as after construction.
    void resize(int32_t size) {
        if (field.size() != slotCount(size))
            changeSlotCount(slotCount(size));
    }
    // Empties every slot, so that the frame can be used again.
    void clear();

    // Replaces the slot with a copy of the value; 1004 (reported) outside 0..size.
    RErr setField(int32_t index, const CRString& value);
    // Replaces the slot with the number, as setField with a value holding only that number.
    RErr setNumericField(int32_t index, int32_t number);
    // The slot's value; 1004 (reported, `value` untouched) outside 0..size.
    RErr getField(int32_t index, const CRString*& value) const {
        if (!holds(index))
            return badIndex("CStackFrame::getField");
        value = &field[static_cast<std::size_t>(index)];
        return kNoErr;
    }
    // The slot itself, to be filled in place; 1004 (reported) outside 0..size.
    RErr getMutableField(int32_t index, CRString*& value) {
        if (!holds(index))
            return badIndex("CStackFrame::getMutableField");
        value = &field[static_cast<std::size_t>(index)];
        return kNoErr;
    }
    // The slot, or nullptr (not reported) outside 0..size.
    const CRString* findField(int32_t index) const {
        return holds(index) ? &field[static_cast<std::size_t>(index)] : nullptr;
    }
    int32_t size() const { return static_cast<int32_t>(field.size()) - 1; }

private:
    // True when index names a slot (0..size).
    bool holds(int32_t index) const {
        return index >= 0 && static_cast<std::size_t>(index) < field.size();
    }
    // Slots 0 to size; a negative size still has the result slot.
    static std::size_t slotCount(int32_t size) {
        return static_cast<std::size_t>(size < 0 ? 1 : size + 1);
    }
    void changeSlotCount(std::size_t wanted);
    static RErr badIndex(const char* operation);

    RObjectCounter<kKindCStackFrame> counter;
    std::vector<CRString> field;
};
