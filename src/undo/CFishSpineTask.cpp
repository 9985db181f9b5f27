#include "undo/CFishSpineTask.h"

#include "base/ErrorReporter.h"
#include "undo/CUndoStructure.h"
#include "undo/RUndoClients.h"

#include <cstdio>

CFishSpineTask::CFishSpineTask(RFishSpineOwner& tree, int32_t record, bool allocate)
    : theTree(tree), recordIndex(record), doMeansAllocate(allocate) {}

RErr CFishSpineTask::construct(CUndoStructure& undo, RFishSpineOwner& tree, int32_t record,
                               bool allocate) {
    CTask* added = nullptr;
    RErr err =
        undo.addTask(std::unique_ptr<CTask>(new CFishSpineTask(tree, record, allocate)), added);
    if (!err)
        err = added->doSelf();
    if (err)
        bug("CFishSpineTask::CFishSpineTask", err);
    return err;
}

RErr CFishSpineTask::apply(bool allocate) {
    return allocate ? theTree.allocateFishspine(recordIndex)
                    : theTree.deallocateFishspine(recordIndex);
}

RErr CFishSpineTask::doSelf() {
    const RErr err = apply(doMeansAllocate);
    if (err)
        bug("CFishSpineTask::doSelf", err);
    return err;
}

RErr CFishSpineTask::undoSelf() {
    const RErr err = apply(!doMeansAllocate);
    if (err)
        bug("CFishSpineTask::undoSelf", err);
    return err;
}

void CFishSpineTask::printSummary() const {
    std::printf("\t\t%s the fish spine of record %u.\n", doMeansAllocate ? "Allocate" : "Free",
                static_cast<unsigned>(recordIndex));
}
