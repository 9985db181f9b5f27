#include "ModelTestSupport.h"

namespace {

class CTreeDelete : public ModelFixture {
protected:
    // Gives a word root its citation form, category and the three nodes it names.
    void makeWord(int32_t root, int32_t mainTerminal, int32_t foot, int32_t lowest) {
        const CRString citation("dog", 1);
        step([&] {
            return firstError({tree.setCitationForm(root, &citation), tree.setWordCategory(root, 3),
                               tree.setMainTerminalNode(root, mainTerminal),
                               tree.setFootNode(root, foot),
                               tree.setLowestXBarSpineNode(root, lowest)});
        });
    }
    int32_t deleted(int32_t n) {
        int32_t root = -1;
        undoable([&] { return tree.deleteNode(n, root); });
        return root;
    }
    // The nodes a root names: main terminal, foot, lowest spine node.
    std::string named(int32_t root) const {
        return row(root, {kAttrMainTerminalNode, kAttrFootNode, kAttrLowestXBarSpineNode});
    }
};

using CTreeKill = CTreeDelete;

// The kill as a plain recursion over the daughters, for comparing the records it frees.
RErr killRecursively(CTree& tree, int32_t node) {
    for (int32_t d = tree.tablet().cell(node, kAttrLeftmostDaughter); d != 0;) {
        const int32_t next = tree.tablet().cell(d, kAttrNextSister);
        EXPECT_EQ(killRecursively(tree, d), kNoErr);
        d = next;
    }
    for (int32_t a = 2; a <= tree.attributeCount(); ++a)
        if (isStringAttribute(a) &&
            (a < kFirstFeatureSlot || tree.tablet().cell(kHeaderRecord, a))) {
            EXPECT_EQ(tree.killStringField(node, a), kNoErr);
        }
    for (int32_t a = 2; a <= kBaseAttributeCount; ++a)
        if (a != kAttrFishSpine) {
            EXPECT_EQ(tree.dataTask(node, a, 0), kNoErr);
        }
    return tree.discardRecord(node);
}

const char* const kBushyShape = "S(A(B C(D E) F) G(H) I(J(K L) M))";

// A bushy tree with a feature value and a subscript, built after another tree was made and
// killed, so that records come off the free list.
void buildTwin(CTree& tree, int32_t& root) {
    ASSERT_EQ(tree.createTree(true), kNoErr);
    std::map<std::string, int32_t> nodes;
    const CRString value("acc", 1), subscript("k", 1);
    step(tree, [&] {
        int32_t feature = 0, doomed = 0;
        return firstError({tree.newName(kRecordFeature, feature),
                           buildTree(tree, "Z(z1 z2(z3))", doomed, nodes),
                           tree.killRootNode(doomed), buildTree(tree, kBushyShape, root, nodes),
                           tree.stringTask(nodes.at("C"), kFirstFeatureSlot, &value),
                           tree.setSubscript(nodes.at("J"), &subscript)});
    });
}

} // namespace

TEST_F(CTreeDelete, EveryInnerNodeCanGoButARootOnlyWithOneDaughter) {
    const int32_t s = build("S(A B)");
    const int32_t w = build("W(N)");
    const int32_t lone = build("L");
    std::string can;
    for (const int32_t n : {node("A"), node("B"), s, w, node("N"), lone})
        can += std::to_string(q<bool>(&CTree::canDeleteNode, n));
    EXPECT_EQ(can, "110110");
    bool answer = true;
    EXPECT_EQ(tree.canDeleteNode(2, answer), kErrInvalidParameter);
    EXPECT_FALSE(answer);
    // A root with two daughters or none stays and nothing changes.
    for (const int32_t n : {s, lone}) {
        int32_t root = -1;
        refusedBy(
            "deleteNode", [&] { return tree.deleteNode(n, root); }, kErrGeneral);
        EXPECT_EQ(root, 0);
    }
}

TEST_F(CTreeDelete, ARootWithOneDaughterHandsTheWholeWordToIt) {
    const int32_t w = build("W(N(n M))");
    const int32_t other = build("O");
    const int32_t n = node("N");
    makeWord(w, node("n"), node("M"), n);
    EXPECT_EQ(deleted(w), n);
    EXPECT_EQ(describeRootList(tree), "N(n M) | O");
    EXPECT_EQ(text(n, kAttrCitationForm), "dog");
    EXPECT_EQ(row(n, {kAttrMother, kAttrNextRoot, kAttrWordCategory, kAttrDirty}) + " " + named(n),
              joined(std::vector{0, other, 3, 1, node("n"), node("M"), n}));
    EXPECT_EQ(cell(w, kAttrType), kRecordUnused);
    EXPECT_EQ(cell(kHeaderRecord, kHdrFirstUnusedRecord), w);
    EXPECT_EQ(reports(), RReports{});
    // A root that names itself as the lowest spine node leaves no name of itself behind.
    const int32_t x = build("X(Y(y))");
    makeWord(x, node("y"), 0, x);
    EXPECT_EQ(deleted(x), node("Y"));
    EXPECT_EQ(named(node("Y")), std::to_string(node("y")) + " 0 0");
}

TEST_F(CTreeDelete, AnInnerNodesDaughtersTakeItsPlaceInOrderAndALeafLeavesNoGap) {
    const char* const rows[][3] = {{"S(A M(B C D) E)", "M", "S(A B C D E)"},
                                   {"T(F(G H) I)", "F", "T(G H I)"},
                                   {"U(J K(L P))", "K", "U(J L P)"},
                                   {"V(Q(R(r)))", "Q", "V(R(r))"},
                                   {"V(R(r))", "R", "V(r)"},
                                   {"S(A B C)", "B", "S(A C)"},
                                   {"S(A C)", "A", "S(C)"},
                                   {"S(C)", "C", "S"}};
    for (const auto& [shape, gone, after] : rows) {
        SCOPED_TRACE(shape);
        const int32_t root = build(shape);
        const int32_t n = node(gone);
        EXPECT_EQ(deleted(n), root);
        EXPECT_EQ(describeTree(tree, root), after); // which also checks every mother
        EXPECT_EQ(cell(n, kAttrType), kRecordUnused);
    }
}

TEST_F(CTreeDelete, RootsForgetOrMoveUpTheNodesTheyNameWhenTheseGo) {
    // The lowest spine node gives way to its mother.
    const int32_t w = build("W(V1(V0(v)))");
    makeWord(w, node("v"), 0, node("V0"));
    EXPECT_EQ(deleted(node("V0")), w);
    EXPECT_EQ(cell(w, kAttrLowestXBarSpineNode), node("V1"));
    EXPECT_EQ(describeTree(tree, w), "W(V1(v))");
    // The main terminal or foot is forgotten.
    const int32_t f = build("F(N(n) Ft)");
    makeWord(f, node("n"), node("Ft"), 0);
    deleted(node("n"));
    EXPECT_EQ(named(f), "0 " + std::to_string(node("Ft")) + " 0");
    deleted(node("Ft"));
    EXPECT_EQ(named(f), "0 0 0");
    EXPECT_EQ(describeTree(tree, f), "F(N)");
}

TEST_F(CTreeKill, KillingATreeFreesEveryRecordAndEveryText) {
    int32_t feature = 0;
    step([&] { return tree.newName(kRecordFeature, feature); });
    const int32_t slot = cell(feature, kAttrNextSister);
    const int32_t s = build("S(NP(D N) VP)");
    const CRString subscript("i", 1), value("acc", 1), citation("walk", 1);
    step([&] {
        return firstError({tree.setSubscript(node("D"), &subscript),
                           tree.stringTask(node("N"), slot, &value),
                           tree.setCitationForm(s, &citation)});
    });
    build("O");
    undoable([&] { return tree.killRootNode(s); });
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
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeKill, AnInnerNodeIsDetachedFirstAndUndoMarksForLayout) {
    const int32_t s = build("S(A B(C) D)");
    undoable([&] { return tree.killRootNode(node("B")); });
    EXPECT_EQ(describeTree(tree, s), "S(A D)");
    EXPECT_EQ(cell(node("C"), kAttrType), kRecordUnused);
    undoable([&] { return tree.killRootNode(node("A")); });
    poke(s, kAttrDirty, 0);
    step([&] { return tree.killRootNode(node("D")); });
    EXPECT_EQ(describeRootList(tree) + " " + row(s, {kAttrDirty}), "S 1");
    poke(s, kAttrDirty, 0);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(describeTree(tree, s) + " " + row(s, {kAttrDirty}), "S(D) 1");
    // A whole tree comes back marked, with its fish spines.
    const int32_t t = build("T(E)");
    poke(t, kAttrDirty, 0);
    step([&] { return tree.killRootNode(t); });
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(describeRootList(tree) + " " + row(t, {kAttrDirty}), "T(E) | S(D) 1");
    EXPECT_NE(tree.fishSpine(node("E")), nullptr);
}

TEST_F(CTreeKill, NoRootIsLeftNamingAKilledNode) {
    const int32_t w = build("W(N(n) F(f))");
    const int32_t o = build("O(o)");
    step([&] {
        return firstError({tree.setMainTerminalNode(w, node("n")), tree.setFootNode(w, node("f")),
                           tree.setLowestXBarSpineNode(w, node("N")),
                           tree.setMainTerminalNode(o, node("n"))});
    });
    undoable([&] { return tree.killRootNode(node("N")); });
    EXPECT_EQ(named(w) + " " + named(o), "0 " + std::to_string(node("f")) + " 0 0 0 0");
    // Killing a root that is still in the root list takes it out of the list as well.
    undoable([&] { return tree.killNodeWithoutDetaching(o); });
    EXPECT_EQ(describeRootList(tree), "W(F(f))");
    EXPECT_EQ(reports(), RReports{});
    // Failures carry the name of the kill.
    refusedBy("killNode", [&] { return tree.killRootNode(o); });
    bad(tree.killNodeWithoutDetaching(3), "CTree::killNodeWithoutDetaching");
}

TEST(CTreeKillOrder, FreesTheSameRecordsInTheSameOrderAsARecursiveKill) {
    RecordingPlatformScope platform;
    CTree iterative, recursive;
    int32_t root = 0, twinRoot = 0;
    buildTwin(iterative, root);
    buildTwin(recursive, twinRoot);
    ASSERT_EQ(root, twinRoot);
    ASSERT_TRUE(sameStateAllowingGrowth(captureState(iterative), captureState(recursive)));
    step(iterative, [&] { return iterative.killRootNode(root); });
    step(recursive, [&] {
        return firstError(
            {recursive.removeNodeFromRootList(root), killRecursively(recursive, root)});
    });
    EXPECT_TRUE(sameStateAllowingGrowth(captureState(recursive), captureState(iterative)));
    EXPECT_EQ(iterative.recordCount(), recursive.recordCount());
    ASSERT_EQ(iterative.undoStructure().undo(), kNoErr);
    ASSERT_EQ(recursive.undoStructure().undo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(captureState(recursive), captureState(iterative)));
    EXPECT_EQ(describeTree(iterative, root), kBushyShape);
    EXPECT_EQ(platform.recorder.bugReports(), RReports{});
}
