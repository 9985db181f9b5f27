#include "undo/CDatabaseTask.h"

#include "base/ErrorReporter.h"
#include "storage/CTablet.h"
#include "undo/CUndoStructure.h"

#include <cstdio>

CDatabaseTask::CDatabaseTask(CTablet& tablet, int32_t record, int32_t attribute,
                             int32_t previousValue, int32_t value)
    : theTablet(tablet), recordIndex(record), attributeIndex(attribute), oldValue(previousValue),
      newValue(value) {}

RErr CDatabaseTask::construct(CUndoStructure& undo, CTablet& tablet, int32_t record,
                              int32_t attribute, int32_t newValue) {
    int32_t previousValue = 0;
    RErr err = tablet.getValue(record, attribute, previousValue);
    CTask* added = nullptr;
    if (!err)
        err = undo.addTask(std::unique_ptr<CTask>(new CDatabaseTask(tablet, record, attribute,
                                                                    previousValue, newValue)),
                           added);
    if (!err)
        err = added->doSelf();
    if (err)
        bug("CDatabaseTask::CDatabaseTask", err);
    return err;
}

RErr CDatabaseTask::doSelf() {
    const RErr err = theTablet.setValue(recordIndex, attributeIndex, newValue);
    if (err)
        bug("CDatabaseTask::doSelf", err);
    return err;
}

RErr CDatabaseTask::undoSelf() {
    const RErr err = theTablet.setValue(recordIndex, attributeIndex, oldValue);
    if (err)
        bug("CDatabaseTask::undoSelf", err);
    return err;
}

void CDatabaseTask::printSummary() const {
    std::printf("\t\tSet attribute %u of record %u from %u to %u.\n",
                static_cast<unsigned>(attributeIndex), static_cast<unsigned>(recordIndex),
                static_cast<unsigned>(oldValue), static_cast<unsigned>(newValue));
}
