#include "CliTestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

TEST(CliLayout, PrintsEveryNodeInTreeOrderAndRefusesBadMetrics) {
    // One tree, M over A and BBB, at h 100, v 10.
    TempDir dir;
    const std::string doc = dir.file("doc.rdc");
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    ASSERT_EQ(tree.undoStructure().startTaskList(kLabelNeverUndoable), kNoErr);
    int32_t nodes[3] = {};
    ASSERT_EQ(tree.newRoot(nodes[0]), kNoErr);
    ASSERT_EQ(tree.newDaughterToRight(nodes[0], nodes[1]), kNoErr);
    ASSERT_EQ(tree.newDaughterToRight(nodes[0], nodes[2]), kNoErr);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(tree.setMainString(nodes[i], CRString(i == 0   ? "M"
                                                        : i == 1 ? "A"
                                                                 : "BBB",
                                                        155)),
                  kNoErr);
    ASSERT_EQ(tree.setWhereIsTree(nodes[0], kTreeOnWorkArea), kNoErr);
    ASSERT_EQ(tree.dataTask(nodes[0], kAttrAbsoluteH, 100), kNoErr);
    ASSERT_EQ(tree.dataTask(nodes[0], kAttrAbsoluteV, 10), kNoErr);
    ASSERT_EQ(tree.undoStructure().finishTaskList(), kNoErr);
    ASSERT_TRUE(writeDatabase(tree, doc));

    const CommandResult result = cli({"layout", doc, "--fixed-metrics", "10,12"});
    EXPECT_EQ(result.status, kExitSuccess);
    // Rows 12 + 2 + 16 + 2 apart; A and BBB 15 + 25 apart, the mother midway.
    EXPECT_EQ(result.out, "7 M x=100 y=10 offset=0 rect=94,9,106,23 cum=74,9,136,55\n"
                          "8 A x=80 y=42 offset=-20 rect=74,41,86,55 cum=74,41,86,55\n"
                          "9 BBB x=120 y=42 offset=20 rect=104,41,136,55 cum=104,41,136,55\n");
    // Without the option the default metrics apply: 7 pixels a character.
    const CommandResult plain = cli({"layout", doc});
    EXPECT_EQ(plain.status, kExitSuccess);
    EXPECT_NE(plain.out.find("8 A x=84 y=43"), std::string::npos) << plain.out;

    for (const std::vector<std::string>& words :
         std::vector<std::vector<std::string>>{{"layout"},
                                               {"layout", doc, "--fixed-metrics"},
                                               {"layout", doc, "--fixed-metrics", "10"},
                                               {"layout", doc, "--fixed-metrics", "0,12"}})
        EXPECT_EQ(cli(words).status, kExitUsage) << words.back();
    const CommandResult missing = cli({"layout", dir.file("none.rdc")});
    EXPECT_EQ(missing.status, kExitInputFault);
    EXPECT_EQ(missing.out, "");
}
