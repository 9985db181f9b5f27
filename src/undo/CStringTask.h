#pragma once

#include "undo/CTask.h"

#include <cstdint>

class CRString;
class CStringManager;
class CTablet;
class CUndoStructure;

// The undoable change of one string cell: the cell holds a string ID of the string manager.
// Doing makes the new ID current and the old one undone; undoing the reverse. Destroying the
// task frees the one ID it could still bring back, which is the only way a database's strings
// are ever freed.
class CStringTask : public CTask {
public:
    // text nullptr empties the cell. The caller keeps its text; the manager registers a copy.
    static RErr construct(CUndoStructure& undo, CTablet& tablet, CStringManager& strings,
                          int32_t record, int32_t attribute, const CRString* text);
    ~CStringTask() override;

    RErr doSelf() override;
    RErr undoSelf() override;
    void printSummary() const override;

    int32_t oldStringID() const { return oldValue; }
    int32_t newStringID() const { return newValue; }
    bool done() const { return hasBeenDone; }

protected:
    CStringTask(CTablet& tablet, CStringManager& strings, int32_t record, int32_t attribute);
    // Records the old ID and registers the new text.
    RErr record(const CRString* text);

    CTablet& theTablet;
    CStringManager& theStringManager;
    int32_t recordIndex;
    int32_t attributeIndex;
    int32_t oldValue = 0;
    int32_t newValue = 0;
    bool hasBeenDone = false;
};
