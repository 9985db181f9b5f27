#pragma once

#include "app/DocumentFiles.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "support/TestSupport.h"
#include "support/TreeTestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

// One undoable new tree, so the database is dirty and saves differently.
inline void addRoot(CTree& tree) {
    int32_t root = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return tree.newRoot(root); }), kNoErr);
}

// A new grammar holding `roots` empty trees, each made as one step.
inline std::unique_ptr<CTree> grammarWithRoots(int32_t roots) {
    auto tree = std::make_unique<CTree>();
    EXPECT_EQ(tree->createTree(true), kNoErr);
    for (int32_t i = 0; i < roots; ++i)
        addRoot(*tree);
    return tree;
}

// Saves the way the Save command does, over the file itself or replacing it.
inline RErr saveTo(CTree& tree, const std::string& path, bool overItself) {
    CFileDescriptor file(path);
    return saveDatabaseFileSafely(tree, file, overItself);
}

inline RErr loadFrom(const std::string& path, std::unique_ptr<CTree>& loaded) {
    CFileDescriptor file(path);
    return loadDatabaseFile(file, loaded);
}
