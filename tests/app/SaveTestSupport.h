#pragma once

#include "app/DocumentFiles.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

// A new grammar holding `roots` empty trees, each made as one step.
inline std::unique_ptr<CTree> grammarWithRoots(int32_t roots) {
    auto tree = std::make_unique<CTree>();
    EXPECT_EQ(tree->createTree(true), kNoErr);
    for (int32_t i = 0; i < roots; ++i) {
        int32_t root = 0;
        EXPECT_EQ(tree->undoStructure().startTaskList(kLabelNewTree), kNoErr);
        EXPECT_EQ(tree->newRoot(root), kNoErr);
        EXPECT_EQ(tree->undoStructure().finishTaskList(), kNoErr);
    }
    return tree;
}

// Saves the way the Save command does, over the file itself or replacing it.
inline RErr saveTo(CTree& tree, const std::string& path, bool overItself) {
    CFileDescriptor file(path);
    return saveDatabaseFileSafely(tree, file, overItself);
}
