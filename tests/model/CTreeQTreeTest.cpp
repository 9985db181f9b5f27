#include "support/HierarchyTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class QTreeFixture : public HierarchyFixture {
protected:
    std::string qtree(int32_t node) {
        std::string text = "\\Tree ";
        EXPECT_EQ(tree.makeQTreeForThisNodeAndBelow(node, text), kNoErr);
        return text;
    }
    void roof(const std::string& label) {
        ASSERT_EQ(inStep(tree, kLabelTriangle,
                         [&] { return tree.dataTask(node(label), kAttrTriangle, 1); }),
                  kNoErr);
    }
    void subscript(const std::string& label, const std::string& text) {
        const CRString value(text, 1);
        ASSERT_EQ(
            inStep(tree, kLabelTyping, [&] { return tree.setSubscript(node(label), &value); }),
            kNoErr);
    }
};

} // namespace

TEST_F(QTreeFixture, InnerNodesLeavesRoofsAndSubscripts) {
    const int32_t s = build("S(NP(the dog) VP(barks))");
    roof("NP");
    EXPECT_EQ(qtree(s), "\\Tree [.S \\qroof{ the dog}.NP [.VP barks ] ] ");
    // Only the node's own subtree, which need not be a whole tree.
    EXPECT_EQ(qtree(node("VP")), "\\Tree [.VP barks ] ");
    EXPECT_EQ(qtree(node("dog")), "\\Tree dog ");

    const int32_t other = build("XP(YP(a b c) ZP_$(w))");
    roof("YP");
    subscript("ZP_$", "i");
    subscript("w", "j");
    EXPECT_EQ(qtree(other), "\\Tree [.XP \\qroof{ a b c}.YP [.ZP_$_i w_j ] ] ");
    // A roof over a leaf holds the leaf's own label.
    roof("w");
    EXPECT_EQ(qtree(node("w")), "\\Tree \\qroof{ w}.w_j ");
    EXPECT_TRUE(reports().empty());
}

TEST_F(QTreeFixture, DeepChainsAndBadNodes) {
    int32_t root = 0;
    int32_t deepest = 0;
    const int32_t depth = 20000;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return buildChain(tree, depth, root, deepest); }),
              kNoErr);
    std::string text;
    ASSERT_EQ(tree.makeQTreeForThisNodeAndBelow(root, text), kNoErr);
    // Every node but the deepest opens a bracket; unlabelled nodes write a blank alone.
    std::string expected;
    for (int32_t i = 1; i < depth; ++i)
        expected += "[. ";
    expected += " ";
    for (int32_t i = 1; i < depth; ++i)
        expected += "] ";
    EXPECT_EQ(text, expected);

    std::string partial = "kept";
    EXPECT_EQ(tree.makeQTreeForThisNodeAndBelow(tree.recordCount() + 5, partial),
              kErrInvalidParameter);
    EXPECT_EQ(partial, "kept");
    ASSERT_FALSE(reports().empty());
    EXPECT_NE(reports().back().find("CTree::catchLostNodes"), std::string::npos);
}
