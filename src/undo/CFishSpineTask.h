#pragma once

#include "undo/CTask.h"

#include <cstdint>

class CUndoStructure;
class RFishSpineOwner;

// Allocates (or frees) a node's fish spine, and the opposite on undo.
class CFishSpineTask : public CTask {
public:
    static RErr construct(CUndoStructure& undo, RFishSpineOwner& tree, int32_t record,
                          bool allocate);

    RErr doSelf() override;
    RErr undoSelf() override;
    void printSummary() const override;

private:
    CFishSpineTask(RFishSpineOwner& tree, int32_t record, bool allocate);
    RErr apply(bool allocate);

    RFishSpineOwner& theTree;
    int32_t recordIndex;
    bool doMeansAllocate;
};
