#include "CallTable.h"

namespace {

// The order the natural recursion takes records in: a copy takes a node, then its next
// sisters, then its daughters; a kill frees every daughter's subtree before the node.
void recursionOrder(const CTree& tree, int32_t n, bool kill, std::vector<int32_t>& order) {
    const int32_t sister = tree.tablet().cell(n, kAttrNextSister);
    const int32_t daughter = tree.tablet().cell(n, kAttrLeftmostDaughter);
    if (!kill)
        order.push_back(n);
    for (const int32_t next : kill ? std::vector<int32_t>{} : std::vector{sister, daughter})
        if (next)
            recursionOrder(tree, next, false, order);
    for (int32_t d = kill ? daughter : 0; d != 0; d = tree.tablet().cell(d, kAttrNextSister))
        recursionOrder(tree, d, true, order);
    if (kill)
        order.push_back(n);
}

// The free list from its head: the records newRecord gives next.
std::vector<int32_t> freeList(const CTree& tree) {
    std::vector<int32_t> records;
    for (int32_t r = tree.tablet().cell(kHeaderRecord, kHdrFirstUnusedRecord); r != 0;
         r = tree.tablet().cell(r, kAttrNextRoot))
        records.push_back(r);
    return records;
}

std::vector<int32_t> preOrder(CTree& tree, int32_t root) {
    std::vector<int32_t> records;
    for (int32_t n = root; n != 0; n = ask(tree, &CTree::getNextNode, n, root))
        records.push_back(n);
    return records;
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
    buildSetup(tree, nodes,
               ".newName 4; S(A B); .assign A 52 'nom; .setSubscript A 'k; .setCitation S 'dog; "
               ".data A color 4; .data A style 3; .kind A 3 2; .data A offending 1; "
               ".data A triangle 1; .data A absH -7; .data A xOffset 12; .data A rectRight 30");
    const int32_t s = node("S"), a = node("A");
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

// Copy and kill take and free records in the same order as the plain recursions, so that
// files stay the same whichever made them.
TEST_F(ModelFixture, CopyAndKillTakeRecordsInTheOrderOfARecursion) {
    const char* const shape = "W(NP(D N(dog)) VP(V(bark) XP(X Y(y1 y2))) Z)";
    buildSetup(tree, nodes,
               std::string(".newName 4; ") + shape +
                   "; .assign N 52 'nom; .setSubscript y2 'k; .setCitation W 'dog; "
                   ".setMainTerminal W dog; .setFoot W Z; .setLowestSpine W N; K(k1 k2(k3)); "
                   ".kill K");
    const int32_t root = node("W");
    // The copy takes the free list (a killed tree's records), then new records.
    std::vector<int32_t> order, records = freeList(tree);
    recursionOrder(tree, root, false, order);
    ASSERT_FALSE(records.empty());
    for (int32_t next = tree.recordCount() + 1; records.size() < order.size(); ++next)
        records.push_back(next);
    std::map<int32_t, int32_t> copyOf;
    for (std::size_t i = 0; i < order.size(); ++i)
        copyOf[order[i]] = records[i];
    int32_t copy = 0;
    step([&] { return tree.cloneTree(root, copy); });
    std::vector<int32_t> expected;
    for (const int32_t n : preOrder(tree, root))
        expected.push_back(copyOf[n]);
    EXPECT_EQ(preOrder(tree, copy), expected);
    EXPECT_EQ(describeTree(tree, copy), shape);
    EXPECT_EQ(text(copy, kAttrCitationForm) + text(copyOf[node("N")], kFirstFeatureSlot) +
                  text(copyOf[node("y2")], kAttrSubscript),
              "dognomk");
    EXPECT_EQ(row(copy, {kAttrMainTerminalNode, kAttrFootNode, kAttrLowestXBarSpineNode}),
              joined(std::vector{copyOf[node("dog")], copyOf[node("Z")], copyOf[node("N")]}));
    // The kill frees each record to the head of the free list.
    order.clear();
    recursionOrder(tree, copy, true, order);
    std::vector<int32_t> freed(order.rbegin(), order.rend());
    for (const int32_t r : freeList(tree))
        freed.push_back(r);
    step([&] { return tree.killRootNode(copy); });
    EXPECT_EQ(freeList(tree), freed);
    EXPECT_EQ(reports(), RReports{});
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
