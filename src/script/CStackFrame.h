#pragma once

#include "app/ErrorCodes.h"
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
    void resize(int32_t size);
    // Empties every slot, so that the frame can be used again.
    void clear();

    // Replaces the slot with a copy of the value; 1004 (reported) outside 0..size.
    RErr setField(int32_t index, const CRString& value);
    // The slot's value; 1004 (reported, `value` untouched) outside 0..size.
    RErr getField(int32_t index, const CRString*& value) const;
    // The slot itself, to be filled in place; 1004 (reported) outside 0..size.
    RErr getMutableField(int32_t index, CRString*& value);
    int32_t size() const { return static_cast<int32_t>(field.size()) - 1; }

private:
    RObjectCounter<kKindCStackFrame> counter;
    std::vector<CRString> field;
};
