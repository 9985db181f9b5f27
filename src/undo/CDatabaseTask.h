#pragma once

#include "undo/CTask.h"

#include <cstdint>

class CTablet;
class CUndoStructure;

// The undoable change of one integer cell.
class CDatabaseTask : public CTask {
public:
    // Reads the cell's old value (1004 for an invalid cell), appends the task to the open list
    // (1005 if none; the cell is then unchanged) and stores the new value.
    static RErr construct(CUndoStructure& undo, CTablet& tablet, int32_t record, int32_t attribute,
                          int32_t newValue);

    RErr doSelf() override;
    RErr undoSelf() override;
    void printSummary() const override;

private:
    CDatabaseTask(CTablet& tablet, int32_t record, int32_t attribute, int32_t oldValue,
                  int32_t newValue);

    CTablet& theTablet;
    int32_t recordIndex;
    int32_t attributeIndex;
    int32_t oldValue;
    int32_t newValue;
};
