#include "support/HierarchyTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

class CTreeClone : public HierarchyFixture {
protected:
    // Pairs every node of the source tree with its copy by walking both in pre-order.
    std::map<int32_t, int32_t> pairUp(int32_t source, int32_t copy) {
        std::map<int32_t, int32_t> copies;
        while (source != 0 && copy != 0) {
            copies[source] = copy;
            EXPECT_EQ(tree.getNextNode(source, nodeRootOf(source), source), kNoErr);
            EXPECT_EQ(tree.getNextNode(copy, nodeRootOf(copy), copy), kNoErr);
        }
        EXPECT_EQ(source, copy); // both walks end together
        return copies;
    }
    int32_t nodeRootOf(int32_t n) {
        int32_t root = 0;
        EXPECT_EQ(tree.findRoot(n, root), kNoErr);
        return root;
    }
};

// The copy as the natural recursion makes it: a node, then its next sisters, then its
// daughters.
struct RRecursiveCopier {
    CTree& tree;
    int32_t mainTerminal, foot, lowest;
    int32_t newRoot = 0;

    RErr copy(int32_t old, int32_t newMother, bool top, int32_t& made) {
        RErr err = tree.cloneNode(old, made);
        if (!err && top) {
            newRoot = made;
            err = tree.addNodeToRootList(made);
        }
        if (!err)
            err = tree.dataTask(made, kAttrMother, newMother);
        if (!err && old == mainTerminal)
            err = tree.setMainTerminalNode(newRoot, made);
        if (!err && old == foot)
            err = tree.setFootNode(newRoot, made);
        if (!err && old == lowest)
            err = tree.setLowestXBarSpineNode(newRoot, made);
        const int32_t sister = tree.tablet().cell(old, kAttrNextSister);
        int32_t sisterCopy = 0;
        if (!err && sister != 0)
            err = copy(sister, newMother, false, sisterCopy);
        if (!err && sister != 0)
            err = tree.dataTask(made, kAttrNextSister, sisterCopy);
        const int32_t daughter = tree.tablet().cell(old, kAttrLeftmostDaughter);
        int32_t daughterCopy = 0;
        if (!err && daughter != 0)
            err = copy(daughter, made, false, daughterCopy);
        if (!err && daughter != 0)
            err = tree.dataTask(made, kAttrLeftmostDaughter, daughterCopy);
        return err;
    }
};

RErr cloneRecursively(CTree& tree, int32_t root, int32_t& newRoot) {
    RRecursiveCopier copier{tree, tree.tablet().cell(root, kAttrMainTerminalNode),
                            tree.tablet().cell(root, kAttrFootNode),
                            tree.tablet().cell(root, kAttrLowestXBarSpineNode)};
    RErr err = copier.copy(root, 0, true, newRoot);
    return err ? err : tree.treeDirty(newRoot);
}

const char* const kWordShape = "W(NP(D N(dog)) VP(V(bark) XP(X Y(y1 y2))) Z)";

// A word with texts in several cells, made after another tree was killed so that the copy
// takes records from the free list before the table grows.
void buildWordTwin(CTree& tree, int32_t& root) {
    ASSERT_EQ(tree.createTree(true), kNoErr);
    std::map<std::string, int32_t> nodes;
    ASSERT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         int32_t feature = 0, doomed = 0;
                         RErr err = tree.newName(kRecordFeature, feature);
                         if (!err)
                             err = buildTree(tree, kWordShape, root, nodes);
                         const CRString citation("dog", 1), value("pl", 1), sub("2", 1);
                         if (!err)
                             err = tree.setCitationForm(root, &citation);
                         if (!err)
                             err = tree.stringTask(nodes.at("N"), kFirstFeatureSlot, &value);
                         if (!err)
                             err = tree.setSubscript(nodes.at("y2"), &sub);
                         if (!err)
                             err = tree.setMainTerminalNode(root, nodes.at("dog"));
                         if (!err)
                             err = tree.setFootNode(root, nodes.at("Z"));
                         if (!err)
                             err = tree.setLowestXBarSpineNode(root, nodes.at("N"));
                         if (!err)
                             err = buildTree(tree, "K(k1 k2(k3) k4)", doomed, nodes);
                         if (!err)
                             err = tree.killRootNode(doomed);
                         return err;
                     }),
              kNoErr);
}

} // namespace

TEST_F(CTreeClone, ANodeCopyHasEveryCellButItsOwnFishSpine) {
    int32_t feature = 0;
    ASSERT_EQ(inStep(tree, kLabelNewFeature, [&] { return tree.newName(kRecordFeature, feature); }),
              kNoErr);
    const int32_t slot = cell(feature, kAttrNextSister);
    const int32_t s = build("S(A B)");
    const int32_t a = node("A");
    const CRString subscript("i", 1), value("nom", 1);
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = tree.setSubscript(a, &subscript);
                         if (!err)
                             err = tree.stringTask(a, slot, &value);
                         const int32_t values[][2] = {
                             {kAttrColor, 4},      {kAttrTextStyle, 3}, {kAttrCategory, 3},
                             {kAttrProjection, 2}, {kAttrOffending, 1}, {kAttrTriangle, 1},
                             {kAttrAbsoluteH, -7}, {kAttrXOffset, 12},  {kAttrNodeRectRight, 30}};
                         for (const auto& [attribute, v] : values)
                             if (!err)
                                 err = tree.dataTask(a, attribute, v);
                         return err;
                     }),
              kNoErr);
    tree.setSelectedValue(a, 1);
    tree.tablet().setValue(a, kAttrFishSpineDepth, 5); // as layout leaves it
    int32_t copy = 0;
    expectStepUndoesAndRedoes(tree, [&] { return tree.cloneNode(a, copy); });
    ASSERT_NE(copy, 0);
    for (int32_t attribute = 1; attribute <= tree.attributeCount(); ++attribute) {
        if (attribute == kAttrFishSpine || attribute == kAttrFishSpineDepth)
            continue;
        if (isStringAttribute(attribute) && cell(a, attribute) != 0) {
            EXPECT_NE(cell(copy, attribute), cell(a, attribute)) << attribute;
            EXPECT_EQ(cellText(tree, copy, attribute), cellText(tree, a, attribute));
        } else {
            EXPECT_EQ(cell(copy, attribute), cell(a, attribute)) << attribute;
        }
    }
    EXPECT_EQ(cellText(tree, copy, kAttrLabel), "A");
    EXPECT_EQ(cellText(tree, copy, slot), "nom");
    EXPECT_EQ(cell(copy, kAttrMother), s);
    EXPECT_EQ(cell(copy, kAttrNextSister), node("B"));
    EXPECT_EQ(cell(copy, kAttrFishSpineDepth), 1);
    ASSERT_NE(tree.fishSpine(copy), nullptr);
    EXPECT_NE(tree.fishSpine(copy), tree.fishSpine(a));
    EXPECT_EQ(describeTree(tree, s), "S(A B)"); // the copy is nobody's daughter yet
    EXPECT_EQ(tree.cloneNode(2, copy), kErrInvalidParameter);
    EXPECT_EQ(copy, 0);
}

TEST_F(CTreeClone, AWordsCopyIsANewRootNamingItsOwnCopiedNodes) {
    const int32_t o = build("O");
    int32_t w = 0;
    std::map<std::string, int32_t> wordNodes;
    const CRString citation("dog", 1);
    ASSERT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         RErr err = buildTree(tree, kWordShape, w, wordNodes);
                         if (!err)
                             err = tree.setCitationForm(w, &citation);
                         if (!err)
                             err = tree.setWordCategory(w, 3);
                         if (!err)
                             err = tree.setMainTerminalNode(w, wordNodes.at("dog"));
                         if (!err)
                             err = tree.setFootNode(w, wordNodes.at("Z"));
                         if (!err)
                             err = tree.setLowestXBarSpineNode(w, wordNodes.at("N"));
                         if (!err)
                             err = tree.setWhereIsTree(w, kTreeInLexicon);
                         if (!err)
                             err = tree.dataTask(w, kAttrAbsoluteH, 40);
                         if (!err)
                             err = tree.dataTask(w, kAttrAbsoluteV, 50);
                         return err;
                     }),
              kNoErr);
    tree.tablet().setValue(w, kAttrDirty, 0); // laid out
    int32_t copy = 0;
    expectStepUndoesAndRedoes(tree, [&] { return tree.cloneTree(w, copy); });
    EXPECT_EQ(describeTree(tree, copy), kWordShape);
    EXPECT_EQ(describeTree(tree, w), kWordShape);
    EXPECT_EQ(cell(kHeaderRecord, kHdrFirstRoot), copy);
    EXPECT_EQ(cell(copy, kAttrNextRoot), w);
    EXPECT_EQ(cell(copy, kAttrPreviousRoot), 0);
    EXPECT_EQ(cell(w, kAttrPreviousRoot), copy);
    EXPECT_EQ(cell(copy, kAttrMother), 0);

    const std::map<int32_t, int32_t> copies = pairUp(w, copy);
    ASSERT_EQ(copies.size(), wordNodes.size());
    for (const auto& [source, made] : copies) {
        EXPECT_NE(source, made);
        EXPECT_EQ(copies.count(made), 0u) << "a node shared by both trees";
    }
    EXPECT_EQ(cell(copy, kAttrMainTerminalNode), copies.at(wordNodes.at("dog")));
    EXPECT_EQ(cell(copy, kAttrFootNode), copies.at(wordNodes.at("Z")));
    EXPECT_EQ(cell(copy, kAttrLowestXBarSpineNode), copies.at(wordNodes.at("N")));
    EXPECT_EQ(cell(w, kAttrMainTerminalNode), wordNodes.at("dog"));
    EXPECT_EQ(cellText(tree, copy, kAttrCitationForm), "dog");
    EXPECT_EQ(cell(copy, kAttrWordCategory), 3);
    EXPECT_EQ(cell(copy, kAttrWhereIsTree), kTreeInLexicon);
    EXPECT_EQ(cell(copy, kAttrAbsoluteH), 40);
    EXPECT_EQ(cell(copy, kAttrAbsoluteV), 50);
    EXPECT_EQ(cell(copy, kAttrDirty), 1);
    EXPECT_EQ(cell(w, kAttrDirty), 0);

    // A root further down the list is copied just as well; only roots can be copied.
    int32_t second = 0;
    expectStepUndoesAndRedoes(tree, [&] { return tree.cloneTree(o, second); });
    EXPECT_EQ(describeRootList(tree),
              std::string("O | ") + kWordShape + " | " + kWordShape + " | O");
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.cloneTree(wordNodes.at("NP"), second); }),
              kErrInvalidParameter);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(reports().back(), "CTree::cloneTree (invalid parameter)");
}

TEST(CTreeCloneOrder, TakesTheSameRecordsInTheSameOrderAsARecursiveCopy) {
    RecordingPlatformScope platform;
    CTree iterative, recursive;
    int32_t root = 0, twinRoot = 0;
    buildWordTwin(iterative, root);
    buildWordTwin(recursive, twinRoot);
    ASSERT_EQ(root, twinRoot);
    ASSERT_TRUE(sameStateAllowingGrowth(captureState(iterative), captureState(recursive)));
    ASSERT_NE(iterative.tablet().cell(kHeaderRecord, kHdrFirstUnusedRecord), 0);

    int32_t copy = 0, twinCopy = 0;
    ASSERT_EQ(
        inStep(iterative, kLabelDuplicateWord, [&] { return iterative.cloneTree(root, copy); }),
        kNoErr);
    ASSERT_EQ(inStep(recursive, kLabelDuplicateWord,
                     [&] { return cloneRecursively(recursive, twinRoot, twinCopy); }),
              kNoErr);
    EXPECT_EQ(copy, twinCopy);
    EXPECT_EQ(iterative.recordCount(), recursive.recordCount());
    EXPECT_TRUE(sameStateAllowingGrowth(captureState(recursive), captureState(iterative)));
    ASSERT_EQ(iterative.undoStructure().undo(), kNoErr);
    ASSERT_EQ(recursive.undoStructure().undo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(captureState(recursive), captureState(iterative)));
    EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>{});
}
