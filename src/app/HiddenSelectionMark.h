#pragma once

#include "model/CTree.h"

#include <cstdint>

// Takes the selection highlight off a node for as long as it lives, so that a printed page or
// a picture shows the tree as it is, not as it is being edited; the highlight comes back after.
class CHiddenSelectionMark {
public:
    CHiddenSelectionMark(CTree& tree, int32_t node) : theTree(tree) {
        if (node != 0 && tree.verifyNode(node)) {
            hiddenNode = node;
            tree.setSelectedValue(node, 0);
        }
    }
    ~CHiddenSelectionMark() {
        if (hiddenNode != 0 && theTree.verifyNode(hiddenNode))
            theTree.setSelectedValue(hiddenNode, 1);
    }
    CHiddenSelectionMark(const CHiddenSelectionMark&) = delete;
    CHiddenSelectionMark& operator=(const CHiddenSelectionMark&) = delete;

private:
    CTree& theTree;
    int32_t hiddenNode = 0;
};
