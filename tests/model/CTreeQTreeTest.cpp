#include "ModelTestSupport.h"

namespace {

class QTreeFixture : public ModelFixture {
protected:
    std::string qtree(int32_t n) {
        std::string text = "\\Tree ";
        EXPECT_EQ(tree.makeQTreeForThisNodeAndBelow(n, text), kNoErr);
        return text;
    }
    void roof(const std::string& label) {
        step([&] { return tree.dataTask(node(label), kAttrTriangle, 1); });
    }
    void subscript(const std::string& label, const std::string& value) {
        const CRString text(value, 1);
        step([&] { return tree.setSubscript(node(label), &text); });
    }
};

} // namespace

TEST_F(QTreeFixture, InnerNodesLeavesRoofsAndSubscripts) {
    build("S(NP(the dog) VP(barks))");
    build("XP(YP(a b c) ZP_$(w))");
    roof("NP");
    roof("YP");
    subscript("ZP_$", "i");
    subscript("w", "j");
    // Only the node's own subtree, which need not be a whole tree.
    const std::pair<const char*, const char*> rows[] = {
        {"S", "[.S \\qroof{ the dog}.NP [.VP barks ] ] "},
        {"VP", "[.VP barks ] "},
        {"dog", "dog "},
        {"XP", "[.XP \\qroof{ a b c}.YP [.ZP_$_i w_j ] ] "}};
    for (const auto& [label, expected] : rows)
        EXPECT_EQ(qtree(node(label)), std::string("\\Tree ") + expected);
    // A roof over a leaf holds the leaf's own label.
    roof("w");
    EXPECT_EQ(qtree(node("w")), "\\Tree \\qroof{ w}.w_j ");
    EXPECT_TRUE(reports().empty());
}

TEST_F(QTreeFixture, BadNodesLeaveTheTextAlone) {
    std::string partial = "kept";
    EXPECT_EQ(tree.makeQTreeForThisNodeAndBelow(tree.recordCount() + 5, partial),
              kErrInvalidParameter);
    EXPECT_EQ(partial, "kept");
    ASSERT_FALSE(reports().empty());
    EXPECT_NE(reports().back().find("CTree::catchLostNodes"), std::string::npos);
}
