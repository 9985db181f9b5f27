#include "support/HierarchyTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class CTreeDelete : public HierarchyFixture {
protected:
    // Gives a word root its citation form, category and the three nodes it names.
    RErr makeWord(int32_t root, int32_t mainTerminal, int32_t foot, int32_t lowest) {
        const CRString citation("dog", 1);
        RErr err = tree.setCitationForm(root, &citation);
        if (!err)
            err = tree.setWordCategory(root, 3);
        if (!err)
            err = tree.setMainTerminalNode(root, mainTerminal);
        if (!err)
            err = tree.setFootNode(root, foot);
        if (!err)
            err = tree.setLowestXBarSpineNode(root, lowest);
        return err;
    }
    int32_t deleted(int32_t n) {
        int32_t root = -1;
        expectStepUndoesAndRedoes(tree, [&] { return tree.deleteNode(n, root); });
        return root;
    }
};

class CTreeKill : public HierarchyFixture {};

// The kill as a plain recursion over the daughters, for comparing the records it frees.
RErr killRecursively(CTree& tree, int32_t node) {
    RErr err = kNoErr;
    for (int32_t d = tree.tablet().cell(node, kAttrLeftmostDaughter); d != 0 && !err;) {
        const int32_t next = tree.tablet().cell(d, kAttrNextSister);
        err = killRecursively(tree, d);
        d = next;
    }
    for (const int32_t a : {kAttrLabel, kAttrSubscript, kAttrCitationForm})
        if (!err)
            err = tree.killStringField(node, a);
    for (int32_t k = kFirstFeatureSlot; k <= tree.attributeCount() && !err; ++k)
        if (tree.tablet().cell(kHeaderRecord, k) != 0)
            err = tree.killStringField(node, k);
    for (int32_t a = 2; a <= kBaseAttributeCount && !err; ++a)
        if (a != kAttrFishSpine)
            err = tree.dataTask(node, a, 0);
    return err ? err : tree.discardRecord(node);
}

const char* const kBushyShape = "S(A(B C(D E) F) G(H) I(J(K L) M))";

// The same database in two trees: a bushy tree with a feature value and a subscript, built
// after another tree was made and killed, so that records come off the free list.
void buildTwin(CTree& tree, int32_t& root) {
    ASSERT_EQ(tree.createTree(true), kNoErr);
    std::map<std::string, int32_t> nodes;
    int32_t doomed = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         int32_t feature = 0;
                         RErr err = tree.newName(kRecordFeature, feature);
                         if (!err)
                             err = buildTree(tree, "Z(z1 z2(z3))", doomed, nodes);
                         if (!err)
                             err = tree.killRootNode(doomed);
                         if (!err)
                             err = buildTree(tree, kBushyShape, root, nodes);
                         const CRString value("acc", 1), subscript("k", 1);
                         if (!err)
                             err = tree.stringTask(nodes.at("C"), kFirstFeatureSlot, &value);
                         if (!err)
                             err = tree.setSubscript(nodes.at("J"), &subscript);
                         return err;
                     }),
              kNoErr);
}

} // namespace

TEST_F(CTreeDelete, EveryInnerNodeCanGoButOnlyARootWithOneDaughter) {
    build("S(A B)");
    const int32_t w = build("W(N)");
    const int32_t lone = build("L");
    bool can = false;
    const auto canDelete = [&](int32_t n) {
        can = false;
        EXPECT_EQ(tree.canDeleteNode(n, can), kNoErr);
        return can;
    };
    EXPECT_TRUE(canDelete(node("A")));
    EXPECT_TRUE(canDelete(node("B")));
    EXPECT_FALSE(canDelete(node("S")));
    EXPECT_TRUE(canDelete(w));
    EXPECT_TRUE(canDelete(node("N")));
    EXPECT_FALSE(canDelete(lone));
    can = true;
    EXPECT_EQ(tree.canDeleteNode(2, can), kErrInvalidParameter);
    EXPECT_FALSE(can);
}

TEST_F(CTreeDelete, ARootWithTwoDaughtersOrNoneStaysAndNothingChanges) {
    const int32_t s = build("S(A B)");
    const int32_t lone = build("L");
    const DatabaseState before = captureState(tree);
    for (const int32_t n : {s, lone}) {
        int32_t root = -1;
        EXPECT_EQ(inStep(tree, kLabelDeleteNode, [&] { return tree.deleteNode(n, root); }),
                  kErrGeneral);
        EXPECT_EQ(root, 0);
    }
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(reports(), (std::vector<std::string>{"CTree::deleteNode (general error)",
                                                   "CTree::deleteNode (general error)"}));
}

TEST_F(CTreeDelete, ARootWithOneDaughterHandsTheWholeWordToIt) {
    const int32_t w = build("W(N(n M))");
    const int32_t other = build("O");
    const int32_t n = node("N");
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return makeWord(w, node("n"), node("M"), n); }),
              kNoErr);
    EXPECT_EQ(deleted(w), n);
    EXPECT_EQ(describeRootList(tree), "N(n M) | O");
    EXPECT_EQ(cell(n, kAttrMother), 0);
    EXPECT_EQ(cell(n, kAttrNextRoot), other);
    EXPECT_EQ(cellText(tree, n, kAttrCitationForm), "dog");
    EXPECT_EQ(cell(n, kAttrWordCategory), 3);
    EXPECT_EQ(cell(n, kAttrMainTerminalNode), node("n"));
    EXPECT_EQ(cell(n, kAttrFootNode), node("M"));
    EXPECT_EQ(cell(n, kAttrLowestXBarSpineNode), n);
    EXPECT_EQ(cell(n, kAttrDirty), 1);
    EXPECT_EQ(cell(w, kAttrType), kRecordUnused);
    EXPECT_EQ(cell(kHeaderRecord, kHdrFirstUnusedRecord), w);
    EXPECT_EQ(reports(), std::vector<std::string>{});

    // A root that names itself as the lowest spine node leaves no name of itself behind.
    const int32_t x = build("X(Y(y))");
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return makeWord(x, node("y"), 0, x); }), kNoErr);
    EXPECT_EQ(deleted(x), node("Y"));
    EXPECT_EQ(cell(node("Y"), kAttrLowestXBarSpineNode), 0);
    EXPECT_EQ(cell(node("Y"), kAttrMainTerminalNode), node("y"));
}

TEST_F(CTreeDelete, AnInnerNodesDaughtersTakeItsPlaceInOrder) {
    const int32_t s = build("S(A M(B C D) E)");
    EXPECT_EQ(deleted(node("M")), s);
    EXPECT_EQ(describeTree(tree, s), "S(A B C D E)");
    for (const char* label : {"B", "C", "D"})
        EXPECT_EQ(cell(node(label), kAttrMother), s);
    EXPECT_EQ(cell(node("M"), kAttrType), kRecordUnused);

    const int32_t t = build("T(F(G H) I)");
    EXPECT_EQ(deleted(node("F")), t);
    EXPECT_EQ(describeTree(tree, t), "T(G H I)");
    const int32_t u = build("U(J K(L P))");
    EXPECT_EQ(deleted(node("K")), u);
    EXPECT_EQ(describeTree(tree, u), "U(J L P)");
    const int32_t v = build("V(Q(R(r)))");
    EXPECT_EQ(deleted(node("Q")), v);
    EXPECT_EQ(describeTree(tree, v), "V(R(r))");
    EXPECT_EQ(deleted(node("R")), v);
    EXPECT_EQ(describeTree(tree, v), "V(r)");
}

TEST_F(CTreeDelete, ALeafLeavesNoGapAmongItsSisters) {
    const int32_t s = build("S(A B C)");
    EXPECT_EQ(deleted(node("B")), s);
    EXPECT_EQ(describeTree(tree, s), "S(A C)");
    EXPECT_EQ(deleted(node("A")), s);
    EXPECT_EQ(describeTree(tree, s), "S(C)");
    EXPECT_EQ(deleted(node("C")), s);
    EXPECT_EQ(describeTree(tree, s), "S");
}

TEST_F(CTreeDelete, TheLowestSpineNodeGivesWayToItsMother) {
    const int32_t w = build("W(V1(V0(v)))");
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return makeWord(w, node("v"), 0, node("V0")); }),
              kNoErr);
    EXPECT_EQ(deleted(node("V0")), w);
    EXPECT_EQ(cell(w, kAttrLowestXBarSpineNode), node("V1"));
    EXPECT_EQ(describeTree(tree, w), "W(V1(v))");
}

TEST_F(CTreeDelete, TheMainTerminalOrFootIsForgottenWhenItGoes) {
    const int32_t w = build("W(N(n) F)");
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return makeWord(w, node("n"), node("F"), 0); }),
              kNoErr);
    deleted(node("n"));
    EXPECT_EQ(cell(w, kAttrMainTerminalNode), 0);
    EXPECT_EQ(cell(w, kAttrFootNode), node("F"));
    deleted(node("F"));
    EXPECT_EQ(cell(w, kAttrFootNode), 0);
    EXPECT_EQ(describeTree(tree, w), "W(N)");
    EXPECT_TRUE(databaseIsSound(tree));
}

TEST_F(CTreeKill, KillingATreeFreesEveryRecordAndEveryText) {
    int32_t feature = 0;
    ASSERT_EQ(inStep(tree, kLabelNewFeature, [&] { return tree.newName(kRecordFeature, feature); }),
              kNoErr);
    const int32_t slot = cell(feature, kAttrNextSister);
    const int32_t s = build("S(NP(D N) VP)");
    const CRString subscript("i", 1), value("acc", 1), citation("walk", 1);
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = tree.setSubscript(node("D"), &subscript);
                         if (!err)
                             err = tree.stringTask(node("N"), slot, &value);
                         if (!err)
                             err = tree.setCitationForm(s, &citation);
                         return err;
                     }),
              kNoErr);
    build("O");
    expectStepUndoesAndRedoes(tree, [&] { return tree.killRootNode(s); });
    EXPECT_EQ(describeRootList(tree), "O");
    for (const char* label : {"S", "NP", "D", "N", "VP"}) {
        const int32_t n = node(label);
        EXPECT_FALSE(tree.verifyNode(n));
        EXPECT_EQ(tree.fishSpine(n), nullptr);
        EXPECT_EQ(cell(n, kAttrType), kRecordUnused);
        for (int32_t a = 3; a <= tree.attributeCount(); ++a)
            EXPECT_EQ(cell(n, a), 0) << label << " attribute " << a;
    }
    // Daughters go before their mothers, left to right, so the root was freed last.
    std::vector<int32_t> freeList;
    for (int32_t r = cell(kHeaderRecord, kHdrFirstUnusedRecord); r != 0; r = cell(r, kAttrNextRoot))
        freeList.push_back(r);
    EXPECT_EQ(freeList, (std::vector<int32_t>{s, node("VP"), node("NP"), node("N"), node("D")}));

    int32_t reused = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return tree.newRoot(reused); }), kNoErr);
    EXPECT_EQ(reused, s);
    EXPECT_EQ(reports(), std::vector<std::string>{});
}

TEST_F(CTreeKill, AnInnerNodeIsDetachedFromItsSistersFirst) {
    const int32_t s = build("S(A B(C) D)");
    expectStepUndoesAndRedoes(tree, [&] { return tree.killRootNode(node("B")); });
    EXPECT_EQ(describeTree(tree, s), "S(A D)");
    EXPECT_EQ(cell(node("C"), kAttrType), kRecordUnused);
    expectStepUndoesAndRedoes(tree, [&] { return tree.killRootNode(node("A")); });
    EXPECT_EQ(describeTree(tree, s), "S(D)");
    tree.tablet().setValue(s, kAttrDirty, 0);
    ASSERT_EQ(inStep(tree, kLabelClearWord, [&] { return tree.killRootNode(node("D")); }), kNoErr);
    EXPECT_EQ(describeTree(tree, s), "S");
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    EXPECT_EQ(describeRootList(tree), "S");
    tree.tablet().setValue(s, kAttrDirty, 0);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(describeTree(tree, s), "S(D)");
    EXPECT_EQ(cell(s, kAttrDirty), 1);
}

TEST_F(CTreeKill, UndoingTheKillOfATreeBringsItBackMarkedForLayout) {
    const int32_t s = build("S(A)");
    tree.tablet().setValue(s, kAttrDirty, 0);
    ASSERT_EQ(inStep(tree, kLabelClearWord, [&] { return tree.killRootNode(s); }), kNoErr);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(describeRootList(tree), "S(A)");
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    EXPECT_NE(tree.fishSpine(node("A")), nullptr);
}

TEST_F(CTreeKill, NoRootIsLeftNamingAKilledNode) {
    const int32_t w = build("W(N(n) F(f))");
    const int32_t o = build("O(o)");
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = tree.setMainTerminalNode(w, node("n"));
                         if (!err)
                             err = tree.setFootNode(w, node("f"));
                         if (!err)
                             err = tree.setLowestXBarSpineNode(w, node("N"));
                         if (!err)
                             err = tree.setMainTerminalNode(o, node("n"));
                         return err;
                     }),
              kNoErr);
    expectStepUndoesAndRedoes(tree, [&] { return tree.killRootNode(node("N")); });
    EXPECT_EQ(cell(w, kAttrMainTerminalNode), 0);
    EXPECT_EQ(cell(w, kAttrLowestXBarSpineNode), 0);
    EXPECT_EQ(cell(w, kAttrFootNode), node("f"));
    EXPECT_EQ(cell(o, kAttrMainTerminalNode), 0);

    // Killing a root that is still in the root list takes it out of the list as well.
    expectStepUndoesAndRedoes(tree, [&] { return tree.killNodeWithoutDetaching(o); });
    EXPECT_EQ(describeRootList(tree), "W(F(f))");
    EXPECT_EQ(reports(), std::vector<std::string>{});
}

TEST_F(CTreeKill, FailuresCarryTheNameOfTheKill) {
    const int32_t s = build("S");
    ASSERT_EQ(inStep(tree, kLabelClearWord, [&] { return tree.killRootNode(s); }), kNoErr);
    EXPECT_EQ(inStep(tree, kLabelClearWord, [&] { return tree.killRootNode(s); }),
              kErrInvalidParameter);
    EXPECT_EQ(reports().back(), "CTree::killNode (invalid parameter)");
    EXPECT_EQ(tree.killNodeWithoutDetaching(3), kErrInvalidParameter);
    EXPECT_EQ(reports().back(), "CTree::killNodeWithoutDetaching (invalid parameter)");
}

TEST(CTreeKillOrder, FreesTheSameRecordsInTheSameOrderAsARecursiveKill) {
    RecordingPlatformScope platform;
    CTree iterative, recursive;
    int32_t root = 0, twinRoot = 0;
    buildTwin(iterative, root);
    buildTwin(recursive, twinRoot);
    ASSERT_EQ(root, twinRoot);
    ASSERT_TRUE(sameStateAllowingGrowth(captureState(iterative), captureState(recursive)));

    ASSERT_EQ(inStep(iterative, kLabelClearWord, [&] { return iterative.killRootNode(root); }),
              kNoErr);
    ASSERT_EQ(inStep(recursive, kLabelClearWord,
                     [&] {
                         RErr err = recursive.removeNodeFromRootList(root);
                         return err ? err : killRecursively(recursive, root);
                     }),
              kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(captureState(recursive), captureState(iterative)));
    EXPECT_EQ(iterative.recordCount(), recursive.recordCount());
    ASSERT_EQ(iterative.undoStructure().undo(), kNoErr);
    ASSERT_EQ(recursive.undoStructure().undo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(captureState(recursive), captureState(iterative)));
    EXPECT_EQ(describeTree(iterative, root), kBushyShape);
    EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>{});
}
