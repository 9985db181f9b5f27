#include "script/CStackFrame.h"

#include "base/ErrorReporter.h"

namespace {
constexpr int32_t kFrameSlotCreatorTag = 120;
} // namespace

CStackFrame::CStackFrame(int32_t size) : field(slotCount(size), CRString(kFrameSlotCreatorTag)) {}

void CStackFrame::changeSlotCount(std::size_t wanted) {
    if (field.size() > wanted) {
        field.erase(field.begin() + static_cast<std::ptrdiff_t>(wanted), field.end());
        return;
    }
    field.reserve(wanted);
    while (field.size() < wanted)
        field.emplace_back(kFrameSlotCreatorTag);
}

void CStackFrame::clear() {
    for (CRString& slot : field)
        slot.clearValue();
}

RErr CStackFrame::badIndex(const char* operation) {
    bug(operation, kErrInvalidParameter);
    return kErrInvalidParameter;
}

RErr CStackFrame::setField(int32_t index, const CRString& value) {
    if (!holds(index))
        return badIndex("CStackFrame::setField");
    field[static_cast<std::size_t>(index)].setStringValue(value);
    return kNoErr;
}

RErr CStackFrame::setNumericField(int32_t index, int32_t number) {
    if (!holds(index))
        return badIndex("CStackFrame::setField");
    field[static_cast<std::size_t>(index)].setNumericValue(number);
    return kNoErr;
}
