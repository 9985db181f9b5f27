#include "cli/CliLayout.h"
#include "CliTestSupport.h"
#include "cli/CliCommand.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

CommandResult layout(const std::vector<std::string>& arguments) {
    return runPrinting(layoutCommand, arguments);
}

// A document whose one tree, M over A and BBB, stands at h 100, v 10.
void writeDocument(const std::string& path) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    ASSERT_EQ(tree.undoStructure().startTaskList(kLabelNeverUndoable), kNoErr);
    int32_t root = 0;
    int32_t a = 0;
    int32_t b = 0;
    ASSERT_EQ(tree.newRoot(root), kNoErr);
    ASSERT_EQ(tree.setMainString(root, CRString("M", 155)), kNoErr);
    ASSERT_EQ(tree.newDaughterToRight(root, a), kNoErr);
    ASSERT_EQ(tree.setMainString(a, CRString("A", 155)), kNoErr);
    ASSERT_EQ(tree.newDaughterToRight(root, b), kNoErr);
    ASSERT_EQ(tree.setMainString(b, CRString("BBB", 155)), kNoErr);
    ASSERT_EQ(tree.setWhereIsTree(root, kTreeOnWorkArea), kNoErr);
    ASSERT_EQ(tree.dataTask(root, kAttrAbsoluteH, 100), kNoErr);
    ASSERT_EQ(tree.dataTask(root, kAttrAbsoluteV, 10), kNoErr);
    ASSERT_EQ(tree.undoStructure().finishTaskList(), kNoErr);
    ASSERT_TRUE(writeDatabase(tree, path));
}

} // namespace

TEST(CliLayout, PrintsEveryNodeWithFixedMetricsInTreeOrder) {
    TempDir dir;
    writeDocument(dir.file("doc.rdc"));
    const CommandResult result = layout({dir.file("doc.rdc"), "--fixed-metrics", "10,12"});
    EXPECT_EQ(result.status, kExitSuccess);
    // Rows 12 + 2 + 16 + 2 apart; A and BBB 15 + 25 apart, the mother midway.
    EXPECT_EQ(result.out, "7 M x=100 y=10 offset=0 rect=94,9,106,23 cum=74,9,136,55\n"
                          "8 A x=80 y=42 offset=-20 rect=74,41,86,55 cum=74,41,86,55\n"
                          "9 BBB x=120 y=42 offset=20 rect=104,41,136,55 cum=104,41,136,55\n");
}

TEST(CliLayout, RefusesBadMetricsAndMissingFiles) {
    TempDir dir;
    writeDocument(dir.file("doc.rdc"));
    EXPECT_EQ(layout({dir.file("doc.rdc"), "--fixed-metrics", "10"}).status, kExitUsage);
    EXPECT_EQ(layout({dir.file("doc.rdc"), "--fixed-metrics", "0,12"}).status, kExitUsage);
    EXPECT_EQ(layout({dir.file("doc.rdc"), "--fixed-metrics"}).status, kExitUsage);
    EXPECT_EQ(layout({}).status, kExitUsage);
    const CommandResult missing = layout({dir.file("none.rdc")});
    EXPECT_EQ(missing.status, kExitInputFault);
    EXPECT_EQ(missing.out, "");
    // Without the option the default metrics apply: 7 pixels a character.
    const CommandResult plain = layout({dir.file("doc.rdc")});
    EXPECT_EQ(plain.status, kExitSuccess);
    EXPECT_NE(plain.out.find("8 A x=84 y=43"), std::string::npos) << plain.out;
}
