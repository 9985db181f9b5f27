#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>

class CRString;

// What the undo tasks call back into, so that undo depends on nothing above it: the tree
// database owns fish spines, the script owns variables, the middle interface passes
// refreshes on to the windows.

class RFishSpineOwner {
public:
    virtual ~RFishSpineOwner() = default;
    virtual RErr allocateFishspine(int32_t node) = 0;
    virtual RErr deallocateFishspine(int32_t node) = 0;
};

class RVariable {
public:
    virtual ~RVariable() = default;
    virtual const CRString& variableValue() const = 0;
    virtual void setVariableValue(const CRString& value) = 0;
};

class RUserInterfaceSink {
public:
    virtual ~RUserInterfaceSink() = default;
    virtual RErr doUserInterfaceUndoTask(int32_t taskCode, int32_t value) = 0;
    // text is nullptr when the field goes back to having no text.
    virtual RErr notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute,
                                                 const CRString* text, int32_t selectionStart,
                                                 int32_t selectionEnd) = 0;
};
