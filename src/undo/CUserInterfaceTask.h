#pragma once

#include "undo/CTask.h"

#include <cstdint>

class CUndoStructure;
class RUserInterfaceSink;

// Asks a window to bring itself back in step: with the new value when done, the old value
// when undone. Commands add one first and one last in their list, so the refresh runs after
// all data are restored in either direction.
class CUserInterfaceTask : public CTask {
public:
    static RErr construct(CUndoStructure& undo, RUserInterfaceSink& sink, int32_t taskCode,
                          int32_t oldValue, int32_t newValue);

    RErr doSelf() override;
    RErr undoSelf() override;
    void printSummary() const override;

private:
    CUserInterfaceTask(RUserInterfaceSink& sink, int32_t taskCode, int32_t oldValue,
                       int32_t newValue);

    RUserInterfaceSink& theMiddleInterface;
    int32_t taskCode;
    int32_t oldValue;
    int32_t newValue;
};
