#include "CallTable.h"

namespace {

// The copy as the natural recursion makes it: a node, then its next sisters, then its
// daughters.
struct RRecursiveCopier {
    CTree& tree;
    int32_t old;
    int32_t newRoot = 0;

    int32_t copy(int32_t from, int32_t newMother) {
        int32_t made = 0;
        const auto oldCell = [&](int32_t attribute) { return tree.tablet().cell(old, attribute); };
        EXPECT_EQ(tree.cloneNode(from, made), kNoErr);
        if (newRoot == 0) {
            newRoot = made;
            EXPECT_EQ(tree.addNodeToRootList(made), kNoErr);
        }
        EXPECT_EQ(firstError({tree.dataTask(made, kAttrMother, newMother),
                              from == oldCell(kAttrMainTerminalNode)
                                  ? tree.setMainTerminalNode(newRoot, made)
                                  : 0,
                              from == oldCell(kAttrFootNode) ? tree.setFootNode(newRoot, made) : 0,
                              from == oldCell(kAttrLowestXBarSpineNode)
                                  ? tree.setLowestXBarSpineNode(newRoot, made)
                                  : 0}),
                  kNoErr);
        if (const int32_t sister = tree.tablet().cell(from, kAttrNextSister)) {
            EXPECT_EQ(tree.dataTask(made, kAttrNextSister, copy(sister, newMother)), kNoErr);
        }
        if (const int32_t daughter = tree.tablet().cell(from, kAttrLeftmostDaughter)) {
            EXPECT_EQ(tree.dataTask(made, kAttrLeftmostDaughter, copy(daughter, made)), kNoErr);
        }
        return made;
    }
};

// The kill as a plain recursion over the daughters.
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

class CTreeCloneKill : public ModelFixture {
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

} // namespace

TEST(CTreeCalls, DeletingKillingAndCloningNodes) {
    const char* const trees = "S(A B); W(N); L";
    expectCalls({
        // Every inner node can go, but a root only with one daughter.
        {trees, "canDelete A", "=1"},
        {trees, "canDelete S", "=0"},
        {trees, "canDelete W", "=1"},
        {trees, "canDelete N", "=1"},
        {trees, "canDelete L", "=0"},
        {trees, "canDelete 2", "!canDeleteNode"},
        {trees, "deleteNode S", "!CTree::deleteNode (general error)"},
        {trees, "deleteNode L", "!CTree::deleteNode (general error)"},
        {trees, "deleteNode W", "N | L | S(A B)"},
        // The daughters take the node's place in order, and a leaf leaves no gap.
        {"S(A M(B C D) E)", "deleteNode M", "S(A B C D E)"},
        {"U(J K(L P))", "deleteNode K", "U(J L P)"},
        {"V(Q(R(r)))", "deleteNode Q", "V(R(r))"},
        {"S(A B C)", "deleteNode B", "S(A C)"},
        {"S(A C)", "deleteNode A", "S(C)"},
        {"S(C)", "deleteNode C", "S"},
        // A killed node is detached from its sisters first; a killed root leaves the list.
        {"S(A B(C) D)", "kill B", "S(A D)"},
        {"S(D)", "kill D", "S"},
        {"S(NP(D N) VP); O", "kill S", "O"},
        {"W(F(f)); O(o)", "killWithoutDetaching O", "W(F(f))"},
        {trees, "kill 99", "!killNode"},
        {trees, "killWithoutDetaching 3", "!killNodeWithoutDetaching"},
        // A copy is a new root at the head of the list, from any root; only roots can be copied.
        {"O; W(N(n) M)", "cloneTree W", "W(N(n) M) | W(N(n) M) | O"},
        {"O; W(N(n) M)", "cloneTree O", "O | W(N(n) M) | O"},
        {"W(N(n) M)", "cloneTree N", "!cloneTree"},
    });
}

TEST_F(CTreeCloneKill, ANodeCopyHasEveryCellButItsOwnFishSpine) {
    const int32_t s = buildDocument(tree, "S(A B)", nodes, "A", "A");
    const int32_t a = node("A");
    step([&] {
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
        // A text is copied into a string of the copy's own.
        const bool isText = isStringAttribute(attribute);
        EXPECT_EQ(cell(copy, attribute) == cell(a, attribute), !isText || !cell(a, attribute));
        EXPECT_EQ(isText ? text(copy, attribute) : "", isText ? text(a, attribute) : "")
            << attribute;
    }
    EXPECT_EQ(text(copy) + text(copy, kFirstFeatureSlot) + text(copy, kAttrSubscript), "Anomk");
    EXPECT_EQ(row(copy, {kAttrMother, kAttrNextSister, kAttrFishSpineDepth}),
              joined(std::vector{s, node("B"), 1}));
    ASSERT_NE(tree.fishSpine(copy), nullptr);
    EXPECT_NE(tree.fishSpine(copy), tree.fishSpine(a));
    EXPECT_EQ(describeTree(tree, s), "S(A B)"); // the copy is nobody's daughter yet
    EXPECT_EQ(tree.cloneNode(2, copy), kErrInvalidParameter);
    EXPECT_EQ(copy, 0);
}

// Copy and kill take and free the same records in the same order as the plain recursions, so
// that files stay the same whichever made them.
TEST(CTreeCloneKillOrder, SameRecordsInTheSameOrderAsARecursion) {
    RecordingPlatformScope platform;
    const char* const shape = "W(NP(D N(dog)) VP(V(bark) XP(X Y(y1 y2))) Z)";
    for (const bool kill : {false, true}) {
        SCOPED_TRACE(kill);
        CTree iterative, recursive;
        std::map<std::string, int32_t> nodes;
        int32_t root = 0, doomed = 0;
        for (CTree* tree : {&iterative, &recursive}) {
            ASSERT_EQ(tree->createTree(true), kNoErr);
            root = buildDocument(*tree, shape, nodes, "N", "y2", true);
            step(*tree, [&] {
                return firstError({tree->setWordCategory(root, 3),
                                   tree->setMainTerminalNode(root, nodes.at("dog")),
                                   tree->setFootNode(root, nodes.at("Z")),
                                   tree->setLowestXBarSpineNode(root, nodes.at("N")),
                                   buildTree(*tree, "Z(z1 z2(z3))", doomed, nodes),
                                   tree->killRootNode(doomed)});
            });
        }
        ASSERT_TRUE(sameStateAllowingGrowth(captureState(iterative), captureState(recursive)));
        ASSERT_NE(iterative.tablet().cell(kHeaderRecord, kHdrFirstUnusedRecord), 0);
        int32_t copy = 0;
        step(iterative,
             [&] { return kill ? iterative.killRootNode(root) : iterative.cloneTree(root, copy); });
        step(recursive, [&] {
            if (kill)
                return firstError(
                    {recursive.removeNodeFromRootList(root), killRecursively(recursive, root)});
            RRecursiveCopier copier{recursive, root};
            EXPECT_EQ(copier.copy(root, 0), copy);
            return recursive.treeDirty(copier.newRoot);
        });
        EXPECT_EQ(iterative.recordCount(), recursive.recordCount());
        EXPECT_TRUE(sameStateAllowingGrowth(captureState(recursive), captureState(iterative)));
        ASSERT_EQ(iterative.undoStructure().undo(), kNoErr);
        ASSERT_EQ(recursive.undoStructure().undo(), kNoErr);
        EXPECT_TRUE(sameStateAllowingGrowth(captureState(recursive), captureState(iterative)));
        EXPECT_EQ(describeTree(iterative, root), shape);
    }
    EXPECT_EQ(platform.recorder.bugReports(), RReports{});
}

TEST_F(CTreeCloneKill, RootsHandOverMoveUpOrForgetTheNodesTheyName) {
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

    // Killing marks the tree for layout, also by undo, which gives back the fish spines.
    const int32_t s = build("S(A D)"), t = build("T(E)");
    marksForLayout({s}, [&] { return tree.killRootNode(node("D")); });
    poke(t, kAttrDirty, 0);
    step([&] { return tree.killRootNode(t); });
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(t, kAttrDirty), 1);
    EXPECT_NE(tree.fishSpine(node("E")), nullptr);
    EXPECT_EQ(reports(), RReports{});
}
