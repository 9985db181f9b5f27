#include "CallTable.h"

namespace {

class CTreeHierarchy : public ModelFixture {
protected:
    std::string walkLabels(int32_t start, int32_t haltNode) {
        std::string labels;
        for (int32_t n = start, guard = 0; n != 0 && guard < 100; ++guard) {
            labels += (labels.empty() ? "" : " ") + text(n);
            n = q(&CTree::getNextNode, n, haltNode);
        }
        return labels;
    }
    std::string string(RErr (CTree::*getter)(int32_t, const CRString*&), int32_t n) {
        return str(q<const CRString*>(getter, n));
    }
};

} // namespace

TEST_F(CTreeHierarchy, OnlyNodeRecordsPassValidationAndNeverTheHeader) {
    const int32_t s = build("S(A)");
    EXPECT_TRUE(tree.verifyNode(s) && tree.verifyNode(node("A")));
    for (const int32_t notNode : {0, -3, 2, tree.recordCount() + 1}) // 2: the category X
        EXPECT_FALSE(tree.verifyNode(notNode)) << notNode;
    // The header's first cell is the free-list head; holding 2 must not make it a node.
    poke(kHeaderRecord, kHdrFirstUnusedRecord, kRecordNode);
    EXPECT_FALSE(tree.verifyNode(kHeaderRecord));
    poke(kHeaderRecord, kHdrFirstUnusedRecord, 0);
    EXPECT_EQ(reports(), RReports{});
    EXPECT_EQ(firstError({tree.validateNodeWithError(s), tree.validateRootWithError(s)}), kNoErr);
    bad(tree.validateNodeWithError(2), "CTree::validateNodeWithError");
    bad(tree.validateRootWithError(node("A")), "CTree::validateRootWithError");
    platform.recorder.clear();
    int32_t mother = -1;
    EXPECT_EQ(tree.getMother(99, mother), kErrInvalidParameter);
    EXPECT_EQ(mother, 0);
    EXPECT_EQ(reports(), (RReports{"CTree::validateNodeWithError (invalid parameter)",
                                   "CTree::getMother (invalid parameter)"}));
}

TEST_F(CTreeHierarchy, RootListGrowsAtTheFront) {
    int32_t a = 0, b = 0, c = 0;
    undoable([&] { return firstError({tree.newRoot(a), tree.newRoot(b), tree.newRoot(c)}); });
    EXPECT_EQ(joined(std::vector{a, b, c}), "7 8 9");
    std::vector<int32_t> order;
    for (int32_t root = q(&CTree::getFirstRoot); root != 0; root = q(&CTree::getNextRoot, root))
        order.push_back(root);
    EXPECT_EQ(joined(order), "9 8 7");
    // New roots are black and dirty nodes with a fish spine.
    for (const int32_t r : order) {
        EXPECT_EQ(row(r, {kAttrType, kAttrColor, kAttrDirty, kAttrMother, kAttrPreviousRoot}),
                  "2 1 1 0 " + std::to_string(r == c ? 0 : r + 1));
        EXPECT_NE(tree.fishSpine(r), nullptr);
    }
}

TEST(CTreeCalls, RootListLeavesAndRefusals) {
    // Taking out a node that is not in the list, or adding one twice, would lose or loop the
    // list: both are refused and nothing changes.
    const char* const rows[][3] = {
        {"A; B; C", "removeFromRootList B", "C | A"},
        {"A; C", "removeFromRootList C", "A"},
        {"A", "removeFromRootList A", ""},
        {"S(D)", "removeFromRootList D", "!CTree::removeNodeFromRootList (invalid parameter)"},
        {"B; .removeFromRootList B", "removeFromRootList B",
         "!CTree::removeNodeFromRootList (invalid parameter)"},
        {"S(D)", "addToRootList S", "!CTree::addNodeToRootList (invalid parameter)"},
    };
    for (const auto& [setup, call, after] : rows)
        expectCall(setup, call, after);
}

TEST_F(CTreeHierarchy, DaughtersSistersAndTheWalk) {
    const int32_t s = build("S(A B(E) C)");
    const int32_t a = node("A"), b = node("B");
    // Per node: first and last daughter, previous and next sister, mother, root, count.
    std::string family;
    for (const int32_t n : {s, a, b, node("E"), node("C")}) {
        family += text(n) + ":";
        for (const RGetter g :
             {&CTree::getLeftmostDaughter, &CTree::getRightmostDaughter, &CTree::getPreviousSister,
              &CTree::getNextSister, &CTree::getMother, &CTree::findRoot})
            family += (get(g, n) ? text(get(g, n)) : "-") + ",";
        family += std::to_string(get(&CTree::howManyDaughters, n)) + " ";
    }
    EXPECT_EQ(family, "S:A,C,-,-,-,S,3 A:-,-,-,B,S,S,0 B:E,E,A,C,S,S,1 E:-,-,-,-,B,S,0 "
                      "C:-,-,B,-,S,S,0 ");
    int32_t value = -1;
    bad(tree.getNextRoot(b, value), "CTree::getNextRoot");

    // New daughters go to either end and a leaf gets its first; each is black, on no list and
    // with a fish spine.
    int32_t left = 0, right = 0, onLeaf = 0;
    undoable([&] {
        return firstError({tree.newDaughterToLeft(s, left), tree.newDaughterToRight(s, right),
                           tree.newDaughterToRight(a, onLeaf),
                           tree.setMainString(left, CRString("L", 1)),
                           tree.setMainString(right, CRString("R", 1)),
                           tree.setMainString(onLeaf, CRString("X", 1))});
    });
    EXPECT_EQ(describeTree(tree, s), "S(L A(X) B(E) C R)");
    for (const int32_t n : {left, right, onLeaf}) {
        EXPECT_EQ(row(n, {kAttrColor, kAttrNextRoot, kAttrPreviousRoot}), "1 0 0");
        EXPECT_NE(tree.fishSpine(n), nullptr);
    }
    // A new daughter of a laid-out tree marks it for layout again.
    poke(s, kAttrDirty, 0);
    int32_t more = 0;
    step([&] { return tree.newDaughterToLeft(a, more); });
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    EXPECT_EQ(cell(more, kAttrNextSister), onLeaf);
    EXPECT_EQ(tree.newDaughterToRight(3, more), kErrInvalidParameter);
    EXPECT_EQ(more, 0);
}

TEST_F(CTreeHierarchy, NextNodeWalksEveryTreeInPreOrderOrStaysBelowTheHaltNode) {
    const int32_t s = build("S(NP(D N) VP(V))");
    const int32_t r = build("R(X Y)");
    const int32_t np = node("NP");
    EXPECT_EQ(walkLabels(r, 0), "R X Y S NP D N VP V");
    EXPECT_EQ(walkLabels(np, np), "NP D N");
    EXPECT_EQ(walkLabels(s, s), "S NP D N VP V");
    // The end of an earlier tree leads to the next root, the end of the last one to nothing.
    const int32_t lone = build("L");
    const int32_t rows[][3] = {{node("Y"), 0, s},         {node("V"), 0, 0}, {r, 0, node("X")},
                               {node("N"), np, 0},        {lone, 0, r},      {lone, lone, 0},
                               {node("D"), node("D"), 0}, {node("V"), s, 0}};
    for (const auto& [from, halt, expected] : rows)
        EXPECT_EQ(q(&CTree::getNextNode, from, halt), expected) << from << " " << halt;
    EXPECT_EQ(walkLabels(lone, 0), "L R X Y S NP D N VP V");
    int32_t result = -1;
    bad(tree.getNextNode(s, 2, result), "CTree::getNextNode");
    EXPECT_EQ(result, 0);
    bad(tree.getNextNode(0, 0, result), "CTree::getNextNode");
}

TEST_F(CTreeHierarchy, LabelsSubscriptsSelectionMarksAndStyles) {
    const int32_t s = build("S(A B)");
    const int32_t a = node("A");
    int32_t bare = 0;
    step([&] { return tree.newRoot(bare); });
    EXPECT_EQ(string(&CTree::getLabel, bare) + "|" + string(&CTree::getLabel, s) + "|" +
                  string(&CTree::getSubscript, a),
              "|S|");
    const CRString subscript("i\xC3\xA4", 1);
    undoable([&] { return tree.setSubscript(a, &subscript); });
    EXPECT_EQ(string(&CTree::getSubscript, a), "i\xC3\xA4");
    undoable([&] { return tree.setSubscript(a, nullptr); });
    EXPECT_EQ(cell(a, kAttrSubscript), 0);
    EXPECT_EQ(string(&CTree::getSubscript, a), "");
    const CRString* label = nullptr;
    bad(tree.getLabel(2, label), "CTree::getLabel");
    EXPECT_EQ(label, nullptr);

    // Selected is written directly, and only as 0 or 1.
    const std::size_t steps = tree.undoStructure().stepCount();
    for (const int32_t value : {1, 2, -1, 0}) {
        const bool good = value == 0 || value == 1;
        platform.recorder.clear();
        EXPECT_EQ(tree.setSelectedValue(s, value), good ? kNoErr : kErrInvalidParameter);
        EXPECT_EQ(cell(s, kAttrSelected), value == 0 ? 0 : 1) << value;
        EXPECT_EQ(reports(),
                  good ? RReports{} : RReports{"CTree::setSelectedValue (invalid parameter)"});
    }
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);

    // Offending marks are undoable, and turned off in every tree.
    const int32_t r = build("R(C)");
    undoable([&] {
        return firstError({tree.setOffendingNodeValue(a, 1),
                           tree.setOffendingNodeValue(node("C"), 1),
                           tree.setOffendingNodeValue(r, 1)});
    });
    EXPECT_EQ(get(&CTree::getOffendingNodeValue, a) * 10 + get(&CTree::getOffendingNodeValue, s),
              10);
    undoable([&] { return tree.turnOffAllOffendingNodes(); });
    for (const int32_t n : {s, a, node("B"), r, node("C")})
        EXPECT_EQ(cell(n, kAttrOffending), 0);
    // Without an open undo list nothing may change; the failure carries the setter's name.
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    bad(tree.turnOffAllOffendingNodes(), "CTree::setOffendingNodeValue", kErrUnbalancedUndo);
    EXPECT_EQ(cell(r, kAttrOffending), 1);

    // Colour and style bits: 2 and 1 make 3, 0 clears them; 3 is not one bit.
    undoable([&] {
        return firstError(
            {tree.setColor(s, 4), tree.addTextAttribute(s, 2), tree.addTextAttribute(s, 1)});
    });
    EXPECT_EQ(get(&CTree::getColor, s), 4);
    EXPECT_EQ(cell(s, kAttrTextStyle), 3);
    EXPECT_EQ(q(&CTree::hasTextAttribute, s, 2) * 10 + q(&CTree::hasTextAttribute, s, 4), 10);
    int32_t ignored = 0;
    EXPECT_EQ(tree.hasTextAttribute(s, 3, ignored), kErrInvalidParameter);
    undoable([&] { return tree.addTextAttribute(s, 0); });
    EXPECT_EQ(cell(s, kAttrTextStyle), 0);
    EXPECT_EQ(joined(std::vector{CTree::translateColor(CRString("RED", 1)),
                                 CTree::translateColor(CRString("Magenta", 1)),
                                 CTree::translateColor(CRString("mauve", 1))}),
              "4 11 1");
}

TEST_F(CTreeHierarchy, ChangesUndoneAndRedoneLeaveTheTreeDirty) {
    const int32_t s = build("S(A)");
    const CRString subscript("j", 1);
    marksForLayout({s}, [&] { return tree.setSubscript(node("A"), &subscript); });
    EXPECT_EQ(cell(node("A"), kAttrSubscript), 0);
    poke(s, kAttrDirty, 0);
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    // A mark through an inner node lands on the root.
    marksForLayout({s}, [&] { return tree.treeDirty(node("A")); });
    EXPECT_EQ(cell(node("A"), kAttrDirty), 0);
}

TEST_F(CTreeHierarchy, RootInformationBelongsToRootsOnlyAndMovesWhole) {
    const int32_t w = build("W(N(dog))");
    const int32_t n = node("N"), dog = node("dog");
    const CRString citation("dog", 1);
    undoable([&] {
        return firstError({tree.setCitationForm(w, &citation), tree.setWordCategory(w, 3),
                           tree.setMainTerminalNode(w, dog), tree.setFootNode(w, n),
                           tree.setLowestXBarSpineNode(w, n),
                           tree.setWhereIsTree(w, kTreeInLexicon), tree.setBelongsToXBarSpine(n)});
    });
    EXPECT_EQ(string(&CTree::getCitationForm, w), "dog");
    // Each getter's answer for the root, then for a node that is not a root (refused, 0).
    std::vector<int32_t> got;
    for (const RGetter g :
         {&CTree::getWordCategory, &CTree::getMainTerminalNode, &CTree::getFootNode,
          &CTree::getLowestXBarSpineNode, &CTree::getWhereIsTree}) {
        int32_t value = -1;
        got.insert(got.end(), {get(g, w), (tree.*g)(n, value), value});
    }
    const RErr no = kErrInvalidParameter;
    EXPECT_EQ(joined(got), joined(std::vector{3, no, 0, dog, no, 0, n, no, 0, n, no, 0,
                                              int32_t{kTreeInLexicon}, no, 0}));
    EXPECT_EQ(get(&CTree::getBelongsToXBarSpine, n) * 10 + get(&CTree::getBelongsToXBarSpine, dog),
              10);
    const CRString* none = nullptr;
    EXPECT_EQ(tree.getCitationForm(n, none), kErrInvalidParameter);
    // Every setter wants a root; categories and nodes are checked.
    refusedBy("setCitationForm", [&] { return tree.setCitationForm(n, &citation); });
    const std::pair<int32_t, int32_t> badCategories[] = {{n, 3}, {w, n}, {w, 999}};
    for (const auto& [root, category] : badCategories)
        refusedBy("setWordCategory", [&] { return tree.setWordCategory(root, category); });
    refusedBy("setMainTerminalNode", [&] { return tree.setMainTerminalNode(w, 3); });
    refusedBy("setFootNode", [&] { return tree.setFootNode(n, dog); });
    refusedBy("setLowestXBarSpineNode", [&] { return tree.setLowestXBarSpineNode(w, 999); });
    refusedBy("setWhereIsTree", [&] { return tree.setWhereIsTree(dog, 2); });
    refusedBy("setBelongsToXBarSpine", [&] { return tree.setBelongsToXBarSpine(4); });
    undoable([&] { return tree.setWordCategory(w, 0); });
    EXPECT_EQ(cell(w, kAttrWordCategory), 0);

    // Moving the information empties the old root; moving from an empty root empties the target.
    const int32_t b = build("B");
    undoable([&] {
        return firstError({tree.setWordCategory(w, 4), tree.setLowestXBarSpineNode(w, w)});
    });
    undoable([&] { return tree.moveRootInfo(w, b); });
    const std::initializer_list<int32_t> info = {kAttrWordCategory, kAttrMainTerminalNode,
                                                 kAttrFootNode, kAttrLowestXBarSpineNode};
    EXPECT_EQ(text(b, kAttrCitationForm), "dog");
    EXPECT_EQ(row(b, info), joined(std::vector{4, dog, n, w}));
    EXPECT_EQ(row(w, info) + " " + row(w, {kAttrCitationForm}), "0 0 0 0 0");
    undoable([&] { return tree.moveRootInfo(w, b); });
    EXPECT_EQ(row(b, info) + " " + row(b, {kAttrCitationForm}), "0 0 0 0 0");
    refusedBy("moveRootInfo", [&] { return tree.moveRootInfo(w, dog); });
}
