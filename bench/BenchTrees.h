// Trees of plain numbered nodes for the benchmarks, built through the undoable primitives as
// a student's trees are.
#pragma once

#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"

#include <cstdint>
#include <deque>
#include <string>

// A new node below the mother, to the right of `previous` (0 for the first daughter).
inline RErr addBenchDaughter(CTree& tree, int32_t mother, int32_t previous, int32_t index,
                             int32_t tag, int32_t& node) {
    RErr err = tree.newRecord(node, kRecordNode);
    if (!err)
        err = tree.dataTask(node, kAttrMother, mother);
    if (!err)
        err = previous == 0 ? tree.dataTask(mother, kAttrLeftmostDaughter, node)
                            : tree.dataTask(previous, kAttrNextSister, node);
    if (!err)
        err = tree.dataTask(node, kAttrColor, kColorBlack);
    if (!err)
        err = tree.setMainString(node, CRString("N" + std::to_string(index % 100), tag));
    return err;
}

// A work-area tree of `count` nodes, each mother with `branching` daughters, filled breadth
// first.
inline RErr buildBalancedTree(CTree& tree, int32_t count, int32_t branching, int32_t tag,
                              int32_t& root) {
    RErr err = tree.newRoot(root);
    if (!err)
        err = tree.setMainString(root, CRString("S", tag));
    if (!err)
        err = tree.setWhereIsTree(root, kTreeOnWorkArea);
    std::deque<int32_t> mothers{root};
    for (int32_t made = 1; !err && made < count;) {
        const int32_t mother = mothers.front();
        mothers.pop_front();
        int32_t previous = 0;
        for (int32_t i = 0; i < branching && made < count && !err; ++i, ++made) {
            int32_t node = 0;
            err = addBenchDaughter(tree, mother, previous, made, tag, node);
            mothers.push_back(node);
            previous = node;
        }
    }
    return err;
}
