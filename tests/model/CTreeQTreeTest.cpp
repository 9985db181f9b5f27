#include "CallTable.h"

TEST(CTreeCalls, QTreeTextOfInnerNodesLeavesRoofsAndSubscripts) {
    const char* const trees = "S(NP(the dog) VP(barks)); XP(YP(a b c) ZP_$(w)); "
                              ".data NP triangle 1; .data YP triangle 1; .setSubscript ZP_$ 'i; "
                              ".setSubscript w 'j";
    // Only the node's own subtree, which need not be a whole tree; a roof over a leaf holds
    // the leaf's own label.
    expectCalls({
        {trees, "qtree S", "=[.S \\qroof{ the dog}.NP [.VP barks ] ] "},
        {trees, "qtree VP; qtree dog", "=[.VP barks ]  dog "},
        {trees, "qtree XP", "=[.XP \\qroof{ a b c}.YP [.ZP_$_i w_j ] ] "},
        {(std::string(trees) + "; .data w triangle 1").c_str(), "qtree w", "=\\qroof{ w}.w_j "},
    });
}

TEST_F(ModelFixture, QTreeOfABadNodeLeavesTheTextAlone) {
    std::string partial = "kept";
    EXPECT_EQ(tree.makeQTreeForThisNodeAndBelow(tree.recordCount() + 5, partial),
              kErrInvalidParameter);
    EXPECT_EQ(partial, "kept");
    ASSERT_FALSE(reports().empty());
    EXPECT_NE(reports().back().find("CTree::catchLostNodes"), std::string::npos);
}
