#pragma once

#include "model/CTree.h"
#include "undo/CUndoStructure.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Everything a user could observe of a database: every cell (the fish-spine handle only as
// present or absent, since handles are runtime) and the text of every string cell.
struct DatabaseState {
    int32_t records = 0;
    int32_t attributes = 0;
    std::vector<int32_t> cells; // record by record
    std::map<std::pair<int32_t, int32_t>, std::string> texts;

    int32_t cell(int32_t record, int32_t attribute) const {
        return cells[static_cast<std::size_t>((record - 1) * attributes + attribute - 1)];
    }
};

DatabaseState captureState(CTree& tree);

// True when `now` equals `earlier`, allowing records and attributes added since, provided
// they hold 0 everywhere (growth of the table is not undone).
::testing::AssertionResult sameStateAllowingGrowth(const DatabaseState& earlier,
                                                   const DatabaseState& now);

// Every string cell holds a current entry of its own, and nothing else is current.
::testing::AssertionResult stringsAreConsistent(CTree& tree);

// Runs body inside one undo step with the label.
template <typename Body> RErr inStep(CTree& tree, int32_t label, Body body) {
    RErr err = tree.undoStructure().startTaskList(label);
    if (err)
        return err;
    err = body();
    const RErr finishErr = tree.undoStructure().finishTaskList();
    return err ? err : finishErr;
}
