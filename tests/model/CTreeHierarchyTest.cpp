#include "ModelTestSupport.h"

#include "storage/CFileDescriptor.h"

#include <climits>
#include <memory>

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
        const CRString* value = q<const CRString*>(getter, n);
        return value ? value->str() : "<null>";
    }
};

} // namespace

TEST_F(CTreeHierarchy, OnlyNodeRecordsPassValidationAndNeverTheHeader) {
    const int32_t s = build("S(A)");
    EXPECT_TRUE(tree.verifyNode(s));
    EXPECT_TRUE(tree.verifyNode(node("A")));
    for (const int32_t notNode : {0, -3, 2, tree.recordCount() + 1}) // 2: the category X
        EXPECT_FALSE(tree.verifyNode(notNode)) << notNode;
    // The header's first cell is the free-list head; holding 2 must not make it a node.
    poke(kHeaderRecord, kHdrFirstUnusedRecord, kRecordNode);
    EXPECT_FALSE(tree.verifyNode(kHeaderRecord));
    poke(kHeaderRecord, kHdrFirstUnusedRecord, 0);
    EXPECT_EQ(reports(), RReports{});

    EXPECT_EQ(tree.validateNodeWithError(s), kNoErr);
    EXPECT_EQ(tree.validateRootWithError(s), kNoErr);
    bad(tree.validateNodeWithError(2), "CTree::validateNodeWithError");
    bad(tree.validateRootWithError(node("A")), "CTree::validateRootWithError");
    platform.recorder.clear();
    int32_t mother = -1;
    EXPECT_EQ(tree.getMother(99, mother), kErrInvalidParameter);
    EXPECT_EQ(mother, 0);
    EXPECT_EQ(reports(), (RReports{"CTree::validateNodeWithError (invalid parameter)",
                                   "CTree::getMother (invalid parameter)"}));
}

TEST_F(CTreeHierarchy, NewRootsJoinTheFrontOfTheRootListBlackAndDirty) {
    int32_t a = 0, b = 0, c = 0;
    undoable([&] {
        EXPECT_EQ(tree.newRoot(a), kNoErr);
        EXPECT_EQ(tree.newRoot(b), kNoErr);
        EXPECT_EQ(tree.newRoot(c), kNoErr);
    });
    EXPECT_EQ((std::vector{a, b, c}), (std::vector{7, 8, 9}));
    std::vector<int32_t> order;
    for (int32_t root = q(&CTree::getFirstRoot); root != 0; root = q(&CTree::getNextRoot, root))
        order.push_back(root);
    EXPECT_EQ(order, (std::vector{c, b, a}));
    EXPECT_EQ((std::vector{cell(c, kAttrPreviousRoot), cell(b, kAttrPreviousRoot),
                           cell(a, kAttrPreviousRoot)}),
              (std::vector{0, c, b}));
    for (const int32_t r : order) {
        cells(r, {{kAttrType, kRecordNode}, {kAttrColor, 1}, {kAttrDirty, 1}, {kAttrMother, 0}});
        EXPECT_NE(tree.fishSpine(r), nullptr);
    }
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeHierarchy, RemovingARootRelinksItsNeighboursAndRefusesNonMembers) {
    const int32_t a = build("A"), b = build("B"), c = build("C");
    undoable([&] { return tree.removeNodeFromRootList(b); });
    EXPECT_EQ(describeRootList(tree), "C | A");
    EXPECT_EQ(cell(c, kAttrNextRoot), a);
    EXPECT_EQ(cell(a, kAttrPreviousRoot), c);
    cells(b, {{kAttrNextRoot, 0}, {kAttrPreviousRoot, 0}});
    undoable([&] { return tree.removeNodeFromRootList(c); });
    EXPECT_EQ(describeRootList(tree), "A");
    EXPECT_EQ(cell(kHeaderRecord, kHdrFirstRoot), a);
    EXPECT_EQ(cell(a, kAttrPreviousRoot), 0);
    undoable([&] { return tree.removeNodeFromRootList(a); });
    EXPECT_EQ(cell(kHeaderRecord, kHdrFirstRoot), 0);
    // Taking out a node that is not in the list, or adding one twice, would lose or loop the
    // list: both are refused and nothing changes.
    const int32_t s = build("S(D)");
    for (const int32_t notMember : {node("D"), b})
        refused([&] { return tree.removeNodeFromRootList(notMember); },
                "CTree::removeNodeFromRootList (invalid parameter)");
    refused([&] { return tree.addNodeToRootList(s); },
            "CTree::addNodeToRootList (invalid parameter)");
    EXPECT_EQ(describeRootList(tree), "S(D)");
}

TEST_F(CTreeHierarchy, DaughtersAndSistersFollowTheLinks) {
    const int32_t s = build("S(A B(E) C)");
    const int32_t a = node("A"), b = node("B"), c = node("C"), e = node("E");
    const struct {
        RGetter getter;
        int32_t n, expected;
    } rows[] = {{&CTree::getLeftmostDaughter, s, a},
                {&CTree::getRightmostDaughter, s, c},
                {&CTree::getRightmostDaughter, a, 0},
                {&CTree::getNextSister, a, b},
                {&CTree::getNextSister, c, 0},
                {&CTree::getPreviousSister, c, b},
                {&CTree::getPreviousSister, a, 0},
                {&CTree::getPreviousSister, s, 0},
                {&CTree::getPreviousSister, e, 0},
                {&CTree::howManyDaughters, s, 3},
                {&CTree::howManyDaughters, e, 0},
                {&CTree::getMother, e, b},
                {&CTree::getMother, s, 0},
                {&CTree::findRoot, e, s},
                {&CTree::findRoot, s, s}};
    for (const auto& row : rows)
        EXPECT_EQ(get(row.getter, row.n), row.expected) << &row - rows;
    int32_t value = -1;
    bad(tree.getNextRoot(b, value), "CTree::getNextRoot");
}

TEST_F(CTreeHierarchy, NewDaughtersGoToEitherEndAndALeafGetsItsFirstDaughter) {
    const int32_t s = build("S(A B)");
    const int32_t a = node("A");
    int32_t left = 0, right = 0, onLeaf = 0;
    undoable([&] {
        EXPECT_EQ(tree.newDaughterToLeft(s, left), kNoErr);
        EXPECT_EQ(tree.newDaughterToRight(s, right), kNoErr);
        EXPECT_EQ(tree.newDaughterToRight(a, onLeaf), kNoErr);
        EXPECT_EQ(tree.setMainString(left, CRString("L", 1)), kNoErr);
        EXPECT_EQ(tree.setMainString(right, CRString("R", 1)), kNoErr);
        EXPECT_EQ(tree.setMainString(onLeaf, CRString("X", 1)), kNoErr);
    });
    EXPECT_EQ(describeTree(tree, s), "S(L A(X) B R)");
    EXPECT_EQ(cell(a, kAttrLeftmostDaughter), onLeaf);
    EXPECT_EQ(cell(onLeaf, kAttrNextSister), 0);
    for (const int32_t n : {left, right, onLeaf}) {
        cells(n, {{kAttrColor, 1}, {kAttrNextRoot, 0}, {kAttrPreviousRoot, 0}});
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
    const struct {
        int32_t from, halt, expected;
    } rows[] = {{node("Y"), 0, s},         {node("V"), 0, 0}, {r, 0, node("X")}, {node("N"), np, 0},
                {node("D"), node("D"), 0}, {node("V"), s, 0}, {lone, 0, r},      {lone, lone, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(q(&CTree::getNextNode, row.from, row.halt), row.expected) << &row - rows;
    EXPECT_EQ(walkLabels(lone, 0), "L R X Y S NP D N VP V");
    int32_t result = -1;
    bad(tree.getNextNode(s, 2, result), "CTree::getNextNode");
    EXPECT_EQ(result, 0);
    bad(tree.getNextNode(0, 0, result), "CTree::getNextNode");
}

TEST_F(CTreeHierarchy, LabelsAndSubscriptsReadEmptyWhenAbsent) {
    const int32_t s = build("S(A)");
    const int32_t a = node("A");
    int32_t bare = 0;
    step([&] { return tree.newRoot(bare); });
    EXPECT_EQ(string(&CTree::getLabel, bare), "");
    EXPECT_EQ(string(&CTree::getLabel, s), "S");
    EXPECT_EQ(string(&CTree::getSubscript, a), "");
    const CRString subscript("i\xC3\xA4", 1);
    undoable([&] { return tree.setSubscript(a, &subscript); });
    EXPECT_EQ(string(&CTree::getSubscript, a), "i\xC3\xA4");
    undoable([&] { return tree.setSubscript(a, nullptr); });
    EXPECT_EQ(cell(a, kAttrSubscript), 0);
    EXPECT_EQ(string(&CTree::getSubscript, a), "");
    const CRString* label = nullptr;
    bad(tree.getLabel(2, label), "CTree::getLabel");
    EXPECT_EQ(label, nullptr);
}

TEST_F(CTreeHierarchy, SelectedIsWrittenDirectlyAndOnlyAsZeroOrOne) {
    const int32_t s = build("S");
    const std::size_t steps = tree.undoStructure().stepCount();
    EXPECT_EQ(tree.setSelectedValue(s, 1), kNoErr);
    EXPECT_EQ(cell(s, kAttrSelected), 1);
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);
    EXPECT_EQ(reports(), RReports{});
    bad(tree.setSelectedValue(s, 2), "CTree::setSelectedValue");
    bad(tree.setSelectedValue(s, -1), "CTree::setSelectedValue");
    EXPECT_EQ(cell(s, kAttrSelected), 1);
    EXPECT_EQ(tree.setSelectedValue(s, 0), kNoErr);
    EXPECT_EQ(cell(s, kAttrSelected), 0);
}

TEST_F(CTreeHierarchy, OffendingMarksAndStylesAreUndoableAndChecked) {
    const int32_t s = build("S(A B)");
    const int32_t r = build("R(C)");
    undoable([&] {
        for (const int32_t n : {node("A"), node("C"), r})
            EXPECT_EQ(tree.setOffendingNodeValue(n, 1), kNoErr);
    });
    EXPECT_EQ(get(&CTree::getOffendingNodeValue, node("A")), 1);
    EXPECT_EQ(get(&CTree::getOffendingNodeValue, s), 0);
    undoable([&] { return tree.turnOffAllOffendingNodes(); });
    for (const int32_t n : {s, node("A"), node("B"), r, node("C")})
        EXPECT_EQ(cell(n, kAttrOffending), 0);
    EXPECT_EQ(reports(), RReports{});
    // Without an open undo list nothing may change; the failure carries the setter's name.
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    bad(tree.turnOffAllOffendingNodes(), "CTree::setOffendingNodeValue", kErrUnbalancedUndo);
    EXPECT_EQ(cell(r, kAttrOffending), 1);

    // Colour and style bits: 2 and 1 make 3, 0 clears them; 3 is not one bit.
    undoable([&] {
        EXPECT_EQ(tree.setColor(s, 4), kNoErr);
        EXPECT_EQ(tree.addTextAttribute(s, 2), kNoErr);
        EXPECT_EQ(tree.addTextAttribute(s, 1), kNoErr);
    });
    EXPECT_EQ(get(&CTree::getColor, s), 4);
    EXPECT_EQ(cell(s, kAttrTextStyle), 3);
    EXPECT_EQ(q(&CTree::hasTextAttribute, s, 2), 1);
    EXPECT_EQ(q(&CTree::hasTextAttribute, s, 4), 0);
    int32_t ignored = 0;
    EXPECT_EQ(tree.hasTextAttribute(s, 3, ignored), kErrInvalidParameter);
    undoable([&] { return tree.addTextAttribute(s, 0); });
    EXPECT_EQ(cell(s, kAttrTextStyle), 0);
    EXPECT_EQ(CTree::translateColor(CRString("RED", 1)), 4);
    EXPECT_EQ(CTree::translateColor(CRString("Magenta", 1)), 11);
    EXPECT_EQ(CTree::translateColor(CRString("mauve", 1)), 1);
}

TEST_F(CTreeHierarchy, ChangesUndoneRedoneOrLoadedLeaveTheTreeDirty) {
    const int32_t s = build("S(A)");
    const int32_t r = build("R");
    poke(s, kAttrDirty, 0); // laid out
    const CRString subscript("j", 1);
    step([&] { return tree.setSubscript(node("A"), &subscript); });
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    poke(s, kAttrDirty, 0);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    EXPECT_EQ(cell(node("A"), kAttrSubscript), 0);
    poke(s, kAttrDirty, 0);
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    // Marking goes to the root, whichever node of the tree is named.
    poke(s, kAttrDirty, 0);
    step([&] { return tree.treeDirty(node("A")); });
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    EXPECT_EQ(cell(node("A"), kAttrDirty), 0);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);

    // Loading marks every tree dirty, with nothing to undo.
    poke(s, kAttrDirty, 0);
    poke(r, kAttrDirty, 0);
    TempDir dir;
    CFileDescriptor file(dir.file("trees.rgr"));
    ASSERT_EQ(tree.doSave(file), kNoErr);
    CTree loaded;
    ASSERT_EQ(loaded.createTree(false), kNoErr);
    ASSERT_EQ(loaded.doLoad(file), kNoErr);
    EXPECT_EQ(loaded.tablet().cell(s, kAttrDirty), 1);
    EXPECT_EQ(loaded.tablet().cell(r, kAttrDirty), 1);
    EXPECT_EQ(loaded.tablet().cell(node("A"), kAttrDirty), 0);
    EXPECT_FALSE(ask<bool>(loaded.undoStructure(), &CUndoStructure::canUndo));
    EXPECT_EQ(describeRootList(loaded), "R | S(A)");
}

TEST_F(CTreeHierarchy, RootInformationBelongsToRootsOnlyAndMovesWhole) {
    const int32_t w = build("W(N(dog))");
    const int32_t n = node("N"), dog = node("dog");
    const CRString citation("dog", 1);
    undoable([&] {
        EXPECT_EQ(tree.setCitationForm(w, &citation), kNoErr);
        EXPECT_EQ(tree.setWordCategory(w, 3), kNoErr);
        EXPECT_EQ(tree.setMainTerminalNode(w, dog), kNoErr);
        EXPECT_EQ(tree.setFootNode(w, n), kNoErr);
        EXPECT_EQ(tree.setLowestXBarSpineNode(w, n), kNoErr);
        EXPECT_EQ(tree.setWhereIsTree(w, kTreeInLexicon), kNoErr);
        EXPECT_EQ(tree.setBelongsToXBarSpine(n), kNoErr);
    });
    EXPECT_EQ(string(&CTree::getCitationForm, w), "dog");
    const struct {
        RGetter getter;
        int32_t n, expected;
    } rows[] = {{&CTree::getWordCategory, w, 3},
                {&CTree::getMainTerminalNode, w, dog},
                {&CTree::getFootNode, w, n},
                {&CTree::getLowestXBarSpineNode, w, n},
                {&CTree::getWhereIsTree, w, kTreeInLexicon},
                {&CTree::getBelongsToXBarSpine, n, 1},
                {&CTree::getBelongsToXBarSpine, dog, 0}};
    for (const auto& row : rows) {
        EXPECT_EQ(get(row.getter, row.n), row.expected) << &row - rows;
        if (row.n == w) { // every getter wants a root
            int32_t value = -1;
            EXPECT_EQ((tree.*row.getter)(n, value), kErrInvalidParameter);
            EXPECT_EQ(value, 0);
        }
    }
    const CRString* none = nullptr;
    EXPECT_EQ(tree.getCitationForm(n, none), kErrInvalidParameter);
    // Every setter wants a root; categories and nodes are checked.
    const auto refusedAs = [&](const char* name, auto change) {
        refused(change, (std::string("CTree::") + name + " (invalid parameter)").c_str());
    };
    refusedAs("setCitationForm", [&] { return tree.setCitationForm(n, &citation); });
    const std::pair<int32_t, int32_t> badCategories[] = {{n, 3}, {w, n}, {w, 999}};
    for (const auto& row : badCategories)
        refusedAs("setWordCategory", [&] { return tree.setWordCategory(row.first, row.second); });
    refusedAs("setMainTerminalNode", [&] { return tree.setMainTerminalNode(w, 3); });
    refusedAs("setFootNode", [&] { return tree.setFootNode(n, dog); });
    refusedAs("setLowestXBarSpineNode", [&] { return tree.setLowestXBarSpineNode(w, 999); });
    refusedAs("setWhereIsTree", [&] { return tree.setWhereIsTree(dog, 2); });
    refusedAs("setBelongsToXBarSpine", [&] { return tree.setBelongsToXBarSpine(4); });
    undoable([&] { return tree.setWordCategory(w, 0); });
    EXPECT_EQ(cell(w, kAttrWordCategory), 0);

    // Moving the information empties the old root; moving from an empty root empties the target.
    const int32_t b = build("B");
    undoable([&] {
        EXPECT_EQ(tree.setWordCategory(w, 4), kNoErr);
        EXPECT_EQ(tree.setLowestXBarSpineNode(w, w), kNoErr);
    });
    undoable([&] { return tree.moveRootInfo(w, b); });
    EXPECT_EQ(text(b, kAttrCitationForm), "dog");
    cells(b, {{kAttrWordCategory, 4},
              {kAttrMainTerminalNode, dog},
              {kAttrFootNode, n},
              {kAttrLowestXBarSpineNode, w}});
    for (const int32_t attribute : {kAttrCitationForm, kAttrWordCategory, kAttrMainTerminalNode,
                                    kAttrFootNode, kAttrLowestXBarSpineNode})
        EXPECT_EQ(cell(w, attribute), 0) << attribute;
    undoable([&] { return tree.moveRootInfo(w, b); });
    cells(b, {{kAttrCitationForm, 0}, {kAttrWordCategory, 0}});
    refusedAs("moveRootInfo", [&] { return tree.moveRootInfo(w, dog); });
}

TEST_F(CTreeHierarchy, ArbitraryNamesCountFromZeroAndTheCountIsUndoable) {
    std::vector<std::string> names;
    undoable([&] {
        for (const int32_t type :
             {kRecordNode, kRecordNode, kRecordCategory, kRecordFeature, kRecordCategory}) {
            std::unique_ptr<CRString> made;
            EXPECT_EQ(tree.makeArbitraryString(type, made), kNoErr);
            names.push_back(made ? made->str() : "<none>");
        }
    });
    EXPECT_EQ(names,
              (std::vector<std::string>{"New Word 0", "New Word 1", "X0", "Feature 0", "X1"}));
    cells(kHeaderRecord,
          {{kHdrWordNameCounter, 2}, {kHdrCategoryNameCounter, 2}, {kHdrFeatureNameCounter, 1}});
    std::unique_ptr<CRString> made;
    refused([&] { return tree.makeArbitraryString(1, made); },
            "CTree::makeArbitraryString (general error)", kErrGeneral);
    EXPECT_EQ(made, nullptr);
    // The largest count still names a word and the counter wraps instead of overflowing.
    poke(kHeaderRecord, kHdrWordNameCounter, INT32_MAX);
    step([&] { return tree.makeArbitraryString(kRecordNode, made); });
    EXPECT_EQ(made->str(), "New Word 2147483647");
    EXPECT_EQ(cell(kHeaderRecord, kHdrWordNameCounter), INT32_MIN);
}
