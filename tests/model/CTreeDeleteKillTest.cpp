#include "CallTable.h"

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

// A bushy tree with a feature value, a subscript and a citation form, built after another tree was
// made and killed, so that records come off the free list.
void buildTwin(CTree& tree, int32_t& root) {
    ASSERT_EQ(tree.createTree(true), kNoErr);
    std::map<std::string, int32_t> nodes;
    const CRString value("acc", 1), subscript("k", 1), citation("walk", 1);
    step(tree, [&] {
        int32_t feature = 0, doomed = 0;
        return firstError(
            {tree.newName(kRecordFeature, feature), buildTree(tree, "Z(z1 z2(z3))", doomed, nodes),
             tree.killRootNode(doomed), buildTree(tree, kBushyShape, root, nodes),
             tree.stringTask(nodes.at("C"), kFirstFeatureSlot, &value),
             tree.setSubscript(nodes.at("J"), &subscript), tree.setCitationForm(root, &citation)});
    });
}

} // namespace

TEST(CTreeCalls, DeletingAndKillingNodes) {
    const char* const trees = "S(A B); W(N); L";
    const char* const rows[][3] = {
        // Every inner node can go, but a root only with one daughter.
        {trees, "canDelete A", "=1"},
        {trees, "canDelete B", "=1"},
        {trees, "canDelete S", "=0"},
        {trees, "canDelete W", "=1"},
        {trees, "canDelete N", "=1"},
        {trees, "canDelete L", "=0"},
        {trees, "canDelete 2", "!CTree::canDeleteNode (invalid parameter)"},
        {trees, "deleteNode S", "!CTree::deleteNode (general error)"},
        {trees, "deleteNode L", "!CTree::deleteNode (general error)"},
        {trees, "deleteNode W", "N | L | S(A B)"},
        // The daughters take the node's place in order, and a leaf leaves no gap.
        {"S(A M(B C D) E)", "deleteNode M", "S(A B C D E)"},
        {"T(F(G H) I)", "deleteNode F", "T(G H I)"},
        {"U(J K(L P))", "deleteNode K", "U(J L P)"},
        {"V(Q(R(r)))", "deleteNode Q", "V(R(r))"},
        {"V(R(r))", "deleteNode R", "V(r)"},
        {"S(A B C)", "deleteNode B", "S(A C)"},
        {"S(A C)", "deleteNode A", "S(C)"},
        {"S(C)", "deleteNode C", "S"},
        // A killed node is detached from its sisters first; a killed root leaves the list.
        {"S(A B(C) D)", "kill B", "S(A D)"},
        {"S(A D)", "kill A", "S(D)"},
        {"S(D)", "kill D", "S"},
        {"S(NP(D N) VP); O", "kill S", "O"},
        {"W(F(f)); O(o)", "killWithoutDetaching O", "W(F(f))"},
        {trees, "kill 99", "!CTree::killNode (invalid parameter)"},
        {trees, "killWithoutDetaching 3", "!CTree::killNodeWithoutDetaching (invalid parameter)"},
    };
    for (const auto& [setup, call, after] : rows)
        expectCall(setup, call, after);
}

TEST_F(CTreeDelete, RootsHandOverMoveUpOrForgetTheNodesTheyName) {
    // A root with one daughter hands the whole word to it, but no name of itself.
    const int32_t w = build("W(N(n M))");
    const int32_t other = build("O");
    const int32_t n = node("N");
    makeWord(w, node("n"), node("M"), n);
    EXPECT_EQ(deleted(w), n);
    EXPECT_EQ(text(n, kAttrCitationForm), "dog");
    EXPECT_EQ(row(n, {kAttrMother, kAttrNextRoot, kAttrWordCategory, kAttrDirty}) + " " + named(n),
              joined(std::vector{0, other, 3, 1, node("n"), node("M"), n}));
    const int32_t x = build("X(Y(y))");
    makeWord(x, node("y"), 0, x);
    EXPECT_EQ(deleted(x), node("Y"));
    EXPECT_EQ(named(node("Y")), std::to_string(node("y")) + " 0 0");
    // A deleted lowest spine node gives way to its mother; a main terminal or foot is forgotten.
    const int32_t v = build("W(V1(V0(v)))");
    makeWord(v, node("v"), 0, node("V0"));
    EXPECT_EQ(deleted(node("V0")), v);
    EXPECT_EQ(cell(v, kAttrLowestXBarSpineNode), node("V1"));
    const int32_t f = build("F(N(n) Ft)");
    makeWord(f, node("n"), node("Ft"), 0);
    deleted(node("n"));
    EXPECT_EQ(named(f), "0 " + std::to_string(node("Ft")) + " 0");
    deleted(node("Ft"));
    EXPECT_EQ(named(f), "0 0 0");
    // A killed subtree is forgotten by every root that names one of its nodes.
    const int32_t k = build("K(N(n) F(f))");
    const int32_t o = build("O(o)");
    step([&] {
        return firstError({tree.setMainTerminalNode(k, node("n")), tree.setFootNode(k, node("f")),
                           tree.setLowestXBarSpineNode(k, node("N")),
                           tree.setMainTerminalNode(o, node("n"))});
    });
    undoable([&] { return tree.killRootNode(node("N")); });
    EXPECT_EQ(named(k) + " " + named(o), "0 " + std::to_string(node("f")) + " 0 0 0 0");
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeKill, UndoMarksForLayoutAndGivesBackFishSpines) {
    const int32_t s = build("S(A D)");
    poke(s, kAttrDirty, 0);
    step([&] { return tree.killRootNode(node("D")); });
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    poke(s, kAttrDirty, 0);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    const int32_t t = build("T(E)");
    poke(t, kAttrDirty, 0);
    step([&] { return tree.killRootNode(t); });
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(t, kAttrDirty), 1);
    EXPECT_NE(tree.fishSpine(node("E")), nullptr);
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
