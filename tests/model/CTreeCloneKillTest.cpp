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

TEST_F(ModelFixture, ANodeCopyHasEveryCellButItsOwnFishSpine) {
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
    expectStepUndoesAndRedoes(tree, [&] { return tree.cloneNode(a, copy); });
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

TEST(CTreeCalls, RootsHandOverMoveUpOrForgetTheNodesTheyName) {
    expectCalls({
        // A root with one daughter hands the whole word to it, but no name of itself.
        {"W(N(n M)); O; .setCitation W 'dog; .setWordCategory W 3; .setMainTerminal W n; "
         ".setFoot W M; .setLowestSpine W N",
         "deleteNode W ? citation N; wordCategory N; mainTerminal N; foot N; lowestSpine N; "
         "cell N dirty; nextRoot N",
         "N(n M) | O =dog 3 n M N 1 O"},
        {"X(Y(y)); .setMainTerminal X y; .setLowestSpine X X",
         "deleteNode X ? mainTerminal Y; foot Y; lowestSpine Y", "Y(y) =y 0 0"},
        // A deleted lowest spine node gives way to its mother; a main terminal or foot is
        // forgotten.
        {"W(V1(V0(v))); .setMainTerminal W v; .setLowestSpine W V0",
         "deleteNode V0 ? lowestSpine W; mainTerminal W", "W(V1(v)) =V1 v"},
        {"F(N(n) Ft); .setMainTerminal F n; .setFoot F Ft", "deleteNode n ? mainTerminal F; foot F",
         "F(N Ft) =0 Ft"},
        {"F(N(n) Ft); .setMainTerminal F n; .setFoot F Ft",
         "deleteNode Ft ? mainTerminal F; foot F", "F(N(n)) =n 0"},
        // A killed subtree is forgotten by every root that names one of its nodes.
        {"K(N(n) F(f)); O(o); .setMainTerminal K n; .setFoot K f; .setLowestSpine K N; "
         ".setMainTerminal O n",
         "kill N ? mainTerminal K; foot K; lowestSpine K; mainTerminal O",
         "O(o) | K(F(f)) =0 f 0 0"},
    });
}

TEST_F(ModelFixture, KillingMarksTheTreeForLayoutAlsoByUndo) {
    const int32_t s = build("S(A D)"), t = build("T(E)");
    marksForLayout({s}, [&] { return tree.killRootNode(node("D")); });
    poke(t, kAttrDirty, 0);
    step([&] { return tree.killRootNode(t); });
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(t, kAttrDirty), 1);
    EXPECT_NE(tree.fishSpine(node("E")), nullptr); // undo gives back the fish spines
    EXPECT_EQ(reports(), RReports{});
}
