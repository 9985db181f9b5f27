#include "CallTable.h"

#include <map>

namespace {

// The copy as the natural recursion makes it: a node, then its next sisters, then its
// daughters.
struct RRecursiveCopier {
    CTree& tree;
    int32_t mainTerminal, foot, lowest;
    int32_t newRoot = 0;

    int32_t copy(int32_t old, int32_t newMother, bool top) {
        int32_t made = 0;
        EXPECT_EQ(tree.cloneNode(old, made), kNoErr);
        if (top) {
            newRoot = made;
            EXPECT_EQ(tree.addNodeToRootList(made), kNoErr);
        }
        EXPECT_EQ(tree.dataTask(made, kAttrMother, newMother), kNoErr);
        EXPECT_EQ(firstError({old == mainTerminal ? tree.setMainTerminalNode(newRoot, made) : 0,
                              old == foot ? tree.setFootNode(newRoot, made) : 0,
                              old == lowest ? tree.setLowestXBarSpineNode(newRoot, made) : 0}),
                  kNoErr);
        if (const int32_t sister = tree.tablet().cell(old, kAttrNextSister)) {
            EXPECT_EQ(tree.dataTask(made, kAttrNextSister, copy(sister, newMother, false)), kNoErr);
        }
        if (const int32_t daughter = tree.tablet().cell(old, kAttrLeftmostDaughter)) {
            EXPECT_EQ(tree.dataTask(made, kAttrLeftmostDaughter, copy(daughter, made, false)),
                      kNoErr);
        }
        return made;
    }
};

const char* const kWordShape = "W(NP(D N(dog)) VP(V(bark) XP(X Y(y1 y2))) Z)";

// A word with texts in several cells; with killFirst a copy reuses freed records first.
int32_t buildWord(CTree& tree, std::map<std::string, int32_t>& nodes, bool killFirst) {
    int32_t root = 0;
    const CRString citation("dog", 1), value("pl", 1), sub("2", 1);
    step(tree, [&] {
        int32_t feature = 0, doomed = 0;
        return firstError(
            {tree.newName(kRecordFeature, feature), buildTree(tree, kWordShape, root, nodes),
             tree.setCitationForm(root, &citation), tree.setWordCategory(root, 3),
             tree.stringTask(nodes.at("N"), kFirstFeatureSlot, &value),
             tree.setSubscript(nodes.at("y2"), &sub),
             tree.setMainTerminalNode(root, nodes.at("dog")), tree.setFootNode(root, nodes.at("Z")),
             tree.setLowestXBarSpineNode(root, nodes.at("N")),
             killFirst ? buildTree(tree, "K(k1 k2(k3) k4)", doomed, nodes) : 0,
             killFirst ? tree.killRootNode(doomed) : 0});
    });
    return root;
}

using CTreeClone = ModelFixture;

} // namespace

TEST_F(CTreeClone, ANodeCopyHasEveryCellButItsOwnFishSpine) {
    int32_t feature = 0;
    step([&] { return tree.newName(kRecordFeature, feature); });
    const int32_t slot = cell(feature, kAttrNextSister);
    const int32_t s = build("S(A B)");
    const int32_t a = node("A");
    const CRString subscript("i", 1), value("nom", 1);
    step([&] {
        EXPECT_EQ(firstError({tree.setSubscript(a, &subscript), tree.stringTask(a, slot, &value)}),
                  kNoErr);
        const int32_t values[][2] = {
            {kAttrColor, 4},      {kAttrTextStyle, 3}, {kAttrCategory, 3},
            {kAttrProjection, 2}, {kAttrOffending, 1}, {kAttrTriangle, 1},
            {kAttrAbsoluteH, -7}, {kAttrXOffset, 12},  {kAttrNodeRectRight, 30}};
        for (const auto& [attribute, v] : values)
            EXPECT_EQ(tree.dataTask(a, attribute, v), kNoErr);
    });
    tree.setSelectedValue(a, 1);
    poke(a, kAttrFishSpineDepth, 5); // as layout leaves it
    int32_t copy = 0;
    undoable([&] { return tree.cloneNode(a, copy); });
    ASSERT_NE(copy, 0);
    for (int32_t attribute = 1; attribute <= tree.attributeCount(); ++attribute) {
        if (attribute == kAttrFishSpine || attribute == kAttrFishSpineDepth)
            continue;
        if (isStringAttribute(attribute) && cell(a, attribute) != 0) {
            EXPECT_NE(cell(copy, attribute), cell(a, attribute)) << attribute;
            EXPECT_EQ(text(copy, attribute), text(a, attribute));
        } else {
            EXPECT_EQ(cell(copy, attribute), cell(a, attribute)) << attribute;
        }
    }
    EXPECT_EQ(text(copy) + text(copy, slot), "Anom");
    EXPECT_EQ(row(copy, {kAttrMother, kAttrNextSister, kAttrFishSpineDepth}),
              joined(std::vector{s, node("B"), 1}));
    ASSERT_NE(tree.fishSpine(copy), nullptr);
    EXPECT_NE(tree.fishSpine(copy), tree.fishSpine(a));
    EXPECT_EQ(describeTree(tree, s), "S(A B)"); // the copy is nobody's daughter yet
    EXPECT_EQ(tree.cloneNode(2, copy), kErrInvalidParameter);
    EXPECT_EQ(copy, 0);
}

TEST(CTreeCalls, CloningTrees) {
    // A copy is a new root at the head of the list, from any root; only roots can be copied.
    expectCall("O; W(N(n) M)", "cloneTree W", "W(N(n) M) | W(N(n) M) | O");
    expectCall("O; W(N(n) M)", "cloneTree O", "O | W(N(n) M) | O");
    expectCall("W(N(n) M)", "cloneTree N", "!CTree::cloneTree (invalid parameter)");
}

TEST(CTreeCloneOrder, TakesTheSameRecordsInTheSameOrderAsARecursiveCopy) {
    RecordingPlatformScope platform;
    CTree iterative, recursive;
    std::map<std::string, int32_t> nodes;
    ASSERT_EQ(iterative.createTree(true), kNoErr);
    ASSERT_EQ(recursive.createTree(true), kNoErr);
    const int32_t root = buildWord(iterative, nodes, true);
    ASSERT_EQ(buildWord(recursive, nodes, true), root);
    ASSERT_TRUE(sameStateAllowingGrowth(captureState(iterative), captureState(recursive)));
    ASSERT_NE(iterative.tablet().cell(kHeaderRecord, kHdrFirstUnusedRecord), 0);

    int32_t copy = 0, twinCopy = 0;
    step(iterative, [&] { return iterative.cloneTree(root, copy); });
    step(recursive, [&] {
        const auto cell = [&](int32_t attribute) {
            return recursive.tablet().cell(root, attribute);
        };
        RRecursiveCopier copier{recursive, cell(kAttrMainTerminalNode), cell(kAttrFootNode),
                                cell(kAttrLowestXBarSpineNode)};
        twinCopy = copier.copy(root, 0, true);
        EXPECT_EQ(recursive.treeDirty(twinCopy), kNoErr);
    });
    EXPECT_EQ(copy, twinCopy);
    EXPECT_EQ(iterative.recordCount(), recursive.recordCount());
    EXPECT_TRUE(sameStateAllowingGrowth(captureState(recursive), captureState(iterative)));
    ASSERT_EQ(iterative.undoStructure().undo(), kNoErr);
    ASSERT_EQ(recursive.undoStructure().undo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(captureState(recursive), captureState(iterative)));
    EXPECT_EQ(platform.recorder.bugReports(), RReports{});
}
