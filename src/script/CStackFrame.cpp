#include "script/CStackFrame.h"

#include "app/ErrorReporter.h"

namespace {
constexpr int32_t kFrameSlotCreatorTag = 120;
}

CStackFrame::CStackFrame(int32_t size)
    : field(static_cast<std::size_t>(size < 0 ? 1 : size + 1), CRString(kFrameSlotCreatorTag)) {}

RErr CStackFrame::setField(int32_t index, const CRString& value) {
    if (index < 0 || index > size()) {
        bug("CStackFrame::setField", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    field[static_cast<std::size_t>(index)].setStringValue(value);
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
