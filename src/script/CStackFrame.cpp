#include "script/CStackFrame.h"

#include "app/ErrorReporter.h"

namespace {
constexpr int32_t kFrameSlotCreatorTag = 120;

std::size_t slotCount(int32_t size) {
    return static_cast<std::size_t>(size < 0 ? 1 : size + 1);
}
} // namespace

CStackFrame::CStackFrame(int32_t size) : field(slotCount(size), CRString(kFrameSlotCreatorTag)) {}

void CStackFrame::resize(int32_t size) {
    const std::size_t wanted = slotCount(size);
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

RErr CStackFrame::setField(int32_t index, const CRString& value) {
    if (index < 0 || index > size()) {
        bug("CStackFrame::setField", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    field[static_cast<std::size_t>(index)].setStringValue(value);
    return kNoErr;
}

RErr CStackFrame::getMutableField(int32_t index, CRString*& value) {
    if (index < 0 || index > size()) {
        bug("CStackFrame::getMutableField", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    value = &field[static_cast<std::size_t>(index)];
    return kNoErr;
}

RErr CStackFrame::getField(int32_t index, const CRString*& value) const {
    if (index < 0 || index > size()) {
        bug("CStackFrame::getField", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    value = &field[static_cast<std::size_t>(index)];
    return kNoErr;
}
