#include "support/HierarchyTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

class CTreeHierarchy : public HierarchyFixture {
protected:
    std::string walkLabels(int32_t start, int32_t haltNode) {
        std::string labels;
        for (int32_t n = start, guard = 0; n != 0 && guard < 100; ++guard) {
            labels += (labels.empty() ? "" : " ") + cellText(tree, n, kAttrLabel);
            EXPECT_EQ(tree.getNextNode(n, haltNode, n), kNoErr);
        }
        return labels;
    }
    int32_t next(int32_t n, int32_t haltNode) {
        int32_t result = -1;
        EXPECT_EQ(tree.getNextNode(n, haltNode, result), kNoErr);
        return result;
    }
};

const std::vector<std::string> kNoReports;

} // namespace

TEST_F(CTreeHierarchy, OnlyNodeRecordsPassValidationAndNeverTheHeader) {
    const int32_t s = build("S(A)");
    EXPECT_TRUE(tree.verifyNode(s));
    EXPECT_TRUE(tree.verifyNode(node("A")));
    EXPECT_FALSE(tree.verifyNode(0));
    EXPECT_FALSE(tree.verifyNode(-3));
    EXPECT_FALSE(tree.verifyNode(2)); // the category X
    EXPECT_FALSE(tree.verifyNode(tree.recordCount() + 1));
    // The header's first cell is the free-list head; holding 2 must not make it a node.
    tree.tablet().setValue(kHeaderRecord, kHdrFirstUnusedRecord, kRecordNode);
    EXPECT_FALSE(tree.verifyNode(kHeaderRecord));
    tree.tablet().setValue(kHeaderRecord, kHdrFirstUnusedRecord, 0);
    EXPECT_EQ(reports(), kNoReports);

    EXPECT_EQ(tree.validateNodeWithError(s), kNoErr);
    EXPECT_EQ(tree.validateRootWithError(s), kNoErr);
    EXPECT_EQ(tree.validateNodeWithError(2), kErrInvalidParameter);
    EXPECT_EQ(tree.validateRootWithError(node("A")), kErrInvalidParameter);
    EXPECT_EQ(reports(),
              (std::vector<std::string>{"CTree::validateNodeWithError (invalid parameter)",
                                        "CTree::validateRootWithError (invalid parameter)"}));

    platform.recorder.clear();
    int32_t mother = -1;
    EXPECT_EQ(tree.getMother(99, mother), kErrInvalidParameter);
    EXPECT_EQ(mother, 0);
    EXPECT_EQ(reports(),
              (std::vector<std::string>{"CTree::validateNodeWithError (invalid parameter)",
                                        "CTree::getMother (invalid parameter)"}));
}

TEST_F(CTreeHierarchy, NewRootsJoinTheFrontOfTheRootListBlackAndDirty) {
    int32_t a = 0, b = 0, c = 0;
    expectStepUndoesAndRedoes(tree, [&] {
        RErr err = tree.newRoot(a);
        if (!err)
            err = tree.newRoot(b);
        if (!err)
            err = tree.newRoot(c);
        return err;
    });
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 8);
    EXPECT_EQ(c, 9);
    int32_t root = 0;
    ASSERT_EQ(tree.getFirstRoot(root), kNoErr);
    std::vector<int32_t> order;
    while (root != 0) {
        order.push_back(root);
        ASSERT_EQ(tree.getNextRoot(root, root), kNoErr);
    }
    EXPECT_EQ(order, (std::vector<int32_t>{c, b, a}));
    EXPECT_EQ(cell(c, kAttrPreviousRoot), 0);
    EXPECT_EQ(cell(b, kAttrPreviousRoot), c);
    EXPECT_EQ(cell(a, kAttrPreviousRoot), b);
    for (const int32_t r : order) {
        EXPECT_EQ(cell(r, kAttrType), kRecordNode);
        EXPECT_EQ(cell(r, kAttrColor), 1);
        EXPECT_EQ(cell(r, kAttrDirty), 1);
        EXPECT_EQ(cell(r, kAttrMother), 0);
        EXPECT_NE(tree.fishSpine(r), nullptr);
    }
    EXPECT_EQ(reports(), kNoReports);
}

TEST_F(CTreeHierarchy, RemovingARootRelinksItsNeighboursAndRefusesNonMembers) {
    const int32_t a = build("A");
    const int32_t b = build("B");
    const int32_t c = build("C");
    ASSERT_EQ(describeRootList(tree), "C | B | A");

    expectStepUndoesAndRedoes(tree, [&] { return tree.removeNodeFromRootList(b); });
    EXPECT_EQ(describeRootList(tree), "C | A");
    EXPECT_EQ(cell(c, kAttrNextRoot), a);
    EXPECT_EQ(cell(a, kAttrPreviousRoot), c);
    EXPECT_EQ(cell(b, kAttrNextRoot), 0);
    EXPECT_EQ(cell(b, kAttrPreviousRoot), 0);

    expectStepUndoesAndRedoes(tree, [&] { return tree.removeNodeFromRootList(c); });
    EXPECT_EQ(describeRootList(tree), "A");
    EXPECT_EQ(cell(kHeaderRecord, kHdrFirstRoot), a);
    EXPECT_EQ(cell(a, kAttrPreviousRoot), 0);
    expectStepUndoesAndRedoes(tree, [&] { return tree.removeNodeFromRootList(a); });
    EXPECT_EQ(cell(kHeaderRecord, kHdrFirstRoot), 0);

    // Taking out a node that is not in the list, or adding one twice, would lose or loop the
    // list: both are refused and nothing changes.
    const int32_t s = build("S(D)");
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.removeNodeFromRootList(node("D")); }),
              kErrInvalidParameter);
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.removeNodeFromRootList(b); }),
              kErrInvalidParameter);
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.addNodeToRootList(s); }),
              kErrInvalidParameter);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(describeRootList(tree), "S(D)");
    EXPECT_EQ(reports().back(), "CTree::addNodeToRootList (invalid parameter)");
}

TEST_F(CTreeHierarchy, DaughtersAndSistersFollowTheLinks) {
    const int32_t s = build("S(A B(E) C)");
    const int32_t a = node("A"), b = node("B"), c = node("C"), e = node("E");
    EXPECT_EQ(get(&CTree::getLeftmostDaughter, s), a);
    EXPECT_EQ(get(&CTree::getRightmostDaughter, s), c);
    EXPECT_EQ(get(&CTree::getRightmostDaughter, a), 0);
    EXPECT_EQ(get(&CTree::getNextSister, a), b);
    EXPECT_EQ(get(&CTree::getNextSister, c), 0);
    EXPECT_EQ(get(&CTree::getPreviousSister, c), b);
    EXPECT_EQ(get(&CTree::getPreviousSister, a), 0);
    EXPECT_EQ(get(&CTree::getPreviousSister, s), 0);
    EXPECT_EQ(get(&CTree::getPreviousSister, e), 0);
    EXPECT_EQ(get(&CTree::howManyDaughters, s), 3);
    EXPECT_EQ(get(&CTree::howManyDaughters, e), 0);
    EXPECT_EQ(get(&CTree::getMother, e), b);
    EXPECT_EQ(get(&CTree::getMother, s), 0);
    EXPECT_EQ(get(&CTree::findRoot, e), s);
    EXPECT_EQ(get(&CTree::findRoot, s), s);
    int32_t value = -1;
    EXPECT_EQ(tree.getNextRoot(b, value), kErrInvalidParameter);
    EXPECT_EQ(reports().back(), "CTree::getNextRoot (invalid parameter)");
}

TEST_F(CTreeHierarchy, NewDaughtersGoToEitherEndAndALeafGetsItsFirstDaughter) {
    const int32_t s = build("S(A B)");
    const int32_t a = node("A");
    int32_t left = 0, right = 0, onLeaf = 0;
    expectStepUndoesAndRedoes(tree, [&] {
        RErr err = tree.newDaughterToLeft(s, left);
        if (!err)
            err = tree.newDaughterToRight(s, right);
        if (!err)
            err = tree.newDaughterToRight(a, onLeaf);
        const CRString l("L", 1), r("R", 1), x("X", 1);
        if (!err)
            err = tree.setMainString(left, l);
        if (!err)
            err = tree.setMainString(right, r);
        if (!err)
            err = tree.setMainString(onLeaf, x);
        return err;
    });
    EXPECT_EQ(describeTree(tree, s), "S(L A(X) B R)");
    EXPECT_EQ(cell(a, kAttrLeftmostDaughter), onLeaf);
    EXPECT_EQ(cell(onLeaf, kAttrNextSister), 0);
    for (const int32_t n : {left, right, onLeaf}) {
        EXPECT_EQ(cell(n, kAttrColor), 1);
        EXPECT_EQ(cell(n, kAttrNextRoot), 0);
        EXPECT_EQ(cell(n, kAttrPreviousRoot), 0);
        EXPECT_NE(tree.fishSpine(n), nullptr);
    }

    // A new daughter of a freshly emptied tree marks it for layout again.
    tree.tablet().setValue(s, kAttrDirty, 0);
    int32_t more = 0;
    ASSERT_EQ(inStep(tree, kLabelCreateDaughter, [&] { return tree.newDaughterToLeft(a, more); }),
              kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    EXPECT_EQ(cell(more, kAttrNextSister), onLeaf);
    EXPECT_EQ(tree.newDaughterToRight(3, more), kErrInvalidParameter);
    EXPECT_EQ(more, 0);
}

TEST_F(CTreeHierarchy, NextNodeWalksEveryTreeInPreOrderOrStaysBelowTheHaltNode) {
    const int32_t s = build("S(NP(D N) VP(V))");
    const int32_t r = build("R(X Y)");
    EXPECT_EQ(walkLabels(r, 0), "R X Y S NP D N VP V");
    // The end of an earlier tree leads to the next root, the end of the last one to nothing.
    EXPECT_EQ(next(node("Y"), 0), s);
    EXPECT_EQ(next(node("V"), 0), 0);
    EXPECT_EQ(next(r, 0), node("X"));

    const int32_t np = node("NP");
    EXPECT_EQ(walkLabels(np, np), "NP D N");
    EXPECT_EQ(next(node("N"), np), 0);
    EXPECT_EQ(next(node("D"), node("D")), 0);
    EXPECT_EQ(walkLabels(s, s), "S NP D N VP V");
    EXPECT_EQ(next(node("V"), s), 0);

    const int32_t lone = build("L");
    EXPECT_EQ(next(lone, 0), r);
    EXPECT_EQ(next(lone, lone), 0);
    EXPECT_EQ(walkLabels(lone, 0), "L R X Y S NP D N VP V");

    int32_t result = -1;
    EXPECT_EQ(tree.getNextNode(s, 2, result), kErrInvalidParameter);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(tree.getNextNode(0, 0, result), kErrInvalidParameter);
    EXPECT_EQ(reports().back(), "CTree::getNextNode (invalid parameter)");
}

TEST_F(CTreeHierarchy, LabelsAndSubscriptsReadEmptyWhenAbsent) {
    const int32_t s = build("S(A)");
    const int32_t a = node("A");
    int32_t bare = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return tree.newRoot(bare); }), kNoErr);
    const CRString* text = nullptr;
    ASSERT_EQ(tree.getLabel(bare, text), kNoErr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->str(), "");
    ASSERT_EQ(tree.getLabel(s, text), kNoErr);
    EXPECT_EQ(text->str(), "S");
    ASSERT_EQ(tree.getSubscript(a, text), kNoErr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->str(), "");

    const CRString subscript("i\xC3\xA4", 1);
    expectStepUndoesAndRedoes(tree, [&] { return tree.setSubscript(a, &subscript); });
    ASSERT_EQ(tree.getSubscript(a, text), kNoErr);
    EXPECT_EQ(text->str(), "i\xC3\xA4");
    expectStepUndoesAndRedoes(tree, [&] { return tree.setSubscript(a, nullptr); });
    EXPECT_EQ(cell(a, kAttrSubscript), 0);
    ASSERT_EQ(tree.getSubscript(a, text), kNoErr);
    EXPECT_EQ(text->str(), "");

    EXPECT_EQ(tree.getLabel(2, text), kErrInvalidParameter);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(reports().back(), "CTree::getLabel (invalid parameter)");
}

TEST_F(CTreeHierarchy, SelectedIsWrittenDirectlyAndOnlyAsZeroOrOne) {
    const int32_t s = build("S");
    const std::size_t steps = tree.undoStructure().stepCount();
    EXPECT_EQ(tree.setSelectedValue(s, 1), kNoErr);
    EXPECT_EQ(cell(s, kAttrSelected), 1);
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);
    EXPECT_EQ(reports(), kNoReports);
    EXPECT_EQ(tree.setSelectedValue(s, 2), kErrInvalidParameter);
    EXPECT_EQ(tree.setSelectedValue(s, -1), kErrInvalidParameter);
    EXPECT_EQ(cell(s, kAttrSelected), 1);
    EXPECT_EQ(tree.setSelectedValue(s, 0), kNoErr);
    EXPECT_EQ(cell(s, kAttrSelected), 0);
    EXPECT_EQ(reports(), (std::vector<std::string>{"CTree::setSelectedValue (invalid parameter)",
                                                   "CTree::setSelectedValue (invalid parameter)"}));
}

TEST_F(CTreeHierarchy, OffendingMarksAreUndoableAndCanAllBeTurnedOff) {
    const int32_t s = build("S(A B)");
    const int32_t r = build("R(C)");
    expectStepUndoesAndRedoes(tree, [&] {
        RErr err = tree.setOffendingNodeValue(node("A"), 1);
        if (!err)
            err = tree.setOffendingNodeValue(node("C"), 1);
        if (!err)
            err = tree.setOffendingNodeValue(r, 1);
        return err;
    });
    EXPECT_EQ(get(&CTree::getOffendingNodeValue, node("A")), 1);
    EXPECT_EQ(get(&CTree::getOffendingNodeValue, s), 0);

    expectStepUndoesAndRedoes(tree, [&] { return tree.turnOffAllOffendingNodes(); });
    for (const int32_t n : {s, node("A"), node("B"), r, node("C")})
        EXPECT_EQ(cell(n, kAttrOffending), 0);
    EXPECT_EQ(reports(), kNoReports);

    // Without an open undo list nothing may change; the failure carries the setter's name.
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(tree.turnOffAllOffendingNodes(), kErrUnbalancedUndo);
    EXPECT_EQ(cell(r, kAttrOffending), 1);
    EXPECT_EQ(reports().back(), "CTree::setOffendingNodeValue (unbalanced undo list bracketing)");
}

TEST_F(CTreeHierarchy, UndoingOrRedoingAChangeLeavesTheTreeDirty) {
    const int32_t s = build("S(A)");
    tree.tablet().setValue(s, kAttrDirty, 0); // laid out
    const CRString subscript("j", 1);
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setSubscript(node("A"), &subscript); }),
              kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    tree.tablet().setValue(s, kAttrDirty, 0);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    EXPECT_EQ(cell(node("A"), kAttrSubscript), 0);
    tree.tablet().setValue(s, kAttrDirty, 0);
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);

    // Marking goes to the root, whichever node of the tree is named.
    tree.tablet().setValue(s, kAttrDirty, 0);
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.treeDirty(node("A")); }), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    EXPECT_EQ(cell(node("A"), kAttrDirty), 0);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
}

TEST_F(CTreeHierarchy, LoadingMarksEveryTreeDirtyWithNothingToUndo) {
    const int32_t s = build("S(A)");
    const int32_t r = build("R");
    tree.tablet().setValue(s, kAttrDirty, 0);
    tree.tablet().setValue(r, kAttrDirty, 0);
    TempDir dir;
    CFileDescriptor file(dir.file("trees.rgr"));
    ASSERT_EQ(tree.doSave(file), kNoErr);
    CTree loaded;
    ASSERT_EQ(loaded.createTree(false), kNoErr);
    ASSERT_EQ(loaded.doLoad(file), kNoErr);
    EXPECT_EQ(loaded.tablet().cell(s, kAttrDirty), 1);
    EXPECT_EQ(loaded.tablet().cell(r, kAttrDirty), 1);
    EXPECT_EQ(loaded.tablet().cell(node("A"), kAttrDirty), 0);
    bool can = true;
    loaded.undoStructure().canUndo(can);
    EXPECT_FALSE(can);
    EXPECT_EQ(describeRootList(loaded), "R | S(A)");
}

TEST_F(CTreeHierarchy, RootInformationBelongsToRootsOnly) {
    const int32_t w = build("W(N(dog))");
    const int32_t n = node("N"), dog = node("dog");
    const CRString citation("dog", 1);
    expectStepUndoesAndRedoes(tree, [&] {
        RErr err = tree.setCitationForm(w, &citation);
        if (!err)
            err = tree.setWordCategory(w, 3);
        if (!err)
            err = tree.setMainTerminalNode(w, dog);
        if (!err)
            err = tree.setFootNode(w, n);
        if (!err)
            err = tree.setLowestXBarSpineNode(w, n);
        if (!err)
            err = tree.setWhereIsTree(w, kTreeInLexicon);
        if (!err)
            err = tree.setBelongsToXBarSpine(n);
        return err;
    });
    const CRString* text = nullptr;
    int32_t value = 0;
    ASSERT_EQ(tree.getCitationForm(w, text), kNoErr);
    EXPECT_EQ(text->str(), "dog");
    EXPECT_EQ(get(&CTree::getWordCategory, w), 3);
    EXPECT_EQ(get(&CTree::getMainTerminalNode, w), dog);
    EXPECT_EQ(get(&CTree::getFootNode, w), n);
    EXPECT_EQ(get(&CTree::getLowestXBarSpineNode, w), n);
    EXPECT_EQ(get(&CTree::getWhereIsTree, w), kTreeInLexicon);
    EXPECT_EQ(get(&CTree::getBelongsToXBarSpine, n), 1);
    EXPECT_EQ(get(&CTree::getBelongsToXBarSpine, dog), 0);

    // Every getter and setter wants a root; categories and nodes are checked.
    const DatabaseState before = captureState(tree);
    platform.recorder.clear();
    EXPECT_EQ(tree.getCitationForm(n, text), kErrInvalidParameter);
    for (const RGetter getter :
         {&CTree::getWordCategory, &CTree::getMainTerminalNode, &CTree::getFootNode,
          &CTree::getLowestXBarSpineNode, &CTree::getWhereIsTree}) {
        value = -1;
        EXPECT_EQ((tree.*getter)(n, value), kErrInvalidParameter);
        EXPECT_EQ(value, 0);
    }
    const auto refused = [&](auto change) {
        return inStep(tree, kLabelMenu, change) == kErrInvalidParameter;
    };
    EXPECT_TRUE(refused([&] { return tree.setCitationForm(n, &citation); }));
    EXPECT_TRUE(refused([&] { return tree.setWordCategory(n, 3); }));
    EXPECT_TRUE(refused([&] { return tree.setWordCategory(w, n); }));
    EXPECT_TRUE(refused([&] { return tree.setWordCategory(w, 999); }));
    EXPECT_EQ(reports().back(), "CTree::setWordCategory (invalid parameter)");
    EXPECT_TRUE(refused([&] { return tree.setMainTerminalNode(w, 3); }));
    EXPECT_TRUE(refused([&] { return tree.setFootNode(n, dog); }));
    EXPECT_TRUE(refused([&] { return tree.setLowestXBarSpineNode(w, 999); }));
    EXPECT_TRUE(refused([&] { return tree.setWhereIsTree(dog, 2); }));
    EXPECT_TRUE(refused([&] { return tree.setBelongsToXBarSpine(4); }));
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));

    expectStepUndoesAndRedoes(tree, [&] { return tree.setWordCategory(w, 0); });
    EXPECT_EQ(cell(w, kAttrWordCategory), 0);
}

TEST_F(CTreeHierarchy, MovingRootInformationEmptiesTheOldRoot) {
    const int32_t a = build("A(x)");
    const int32_t b = build("B");
    const CRString citation("cat", 1);
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = tree.setCitationForm(a, &citation);
                         if (!err)
                             err = tree.setWordCategory(a, 4);
                         if (!err)
                             err = tree.setMainTerminalNode(a, node("x"));
                         if (!err)
                             err = tree.setFootNode(a, node("x"));
                         if (!err)
                             err = tree.setLowestXBarSpineNode(a, a);
                         return err;
                     }),
              kNoErr);
    expectStepUndoesAndRedoes(tree, [&] { return tree.moveRootInfo(a, b); });
    EXPECT_EQ(cellText(tree, b, kAttrCitationForm), "cat");
    EXPECT_EQ(cell(b, kAttrWordCategory), 4);
    EXPECT_EQ(cell(b, kAttrMainTerminalNode), node("x"));
    EXPECT_EQ(cell(b, kAttrFootNode), node("x"));
    EXPECT_EQ(cell(b, kAttrLowestXBarSpineNode), a);
    for (const int32_t attribute : {kAttrCitationForm, kAttrWordCategory, kAttrMainTerminalNode,
                                    kAttrFootNode, kAttrLowestXBarSpineNode})
        EXPECT_EQ(cell(a, attribute), 0) << attribute;

    // Moving from an empty root empties the target.
    expectStepUndoesAndRedoes(tree, [&] { return tree.moveRootInfo(a, b); });
    EXPECT_EQ(cell(b, kAttrCitationForm), 0);
    EXPECT_EQ(cell(b, kAttrWordCategory), 0);
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.moveRootInfo(a, node("x")); }),
              kErrInvalidParameter);
    EXPECT_EQ(reports().back(), "CTree::moveRootInfo (invalid parameter)");
}

TEST_F(CTreeHierarchy, ArbitraryNamesCountFromZeroAndTheCountIsUndoable) {
    std::vector<std::string> names;
    expectStepUndoesAndRedoes(tree, [&] {
        RErr err = kNoErr;
        for (const int32_t type :
             {kRecordNode, kRecordNode, kRecordCategory, kRecordFeature, kRecordCategory}) {
            std::unique_ptr<CRString> text;
            if (!err)
                err = tree.makeArbitraryString(type, text);
            if (!err)
                names.push_back(text->str());
        }
        return err;
    });
    EXPECT_EQ(names,
              (std::vector<std::string>{"New Word 0", "New Word 1", "X0", "Feature 0", "X1"}));
    EXPECT_EQ(cell(kHeaderRecord, kHdrWordNameCounter), 2);
    EXPECT_EQ(cell(kHeaderRecord, kHdrCategoryNameCounter), 2);
    EXPECT_EQ(cell(kHeaderRecord, kHdrFeatureNameCounter), 1);

    std::unique_ptr<CRString> text;
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.makeArbitraryString(1, text); }),
              kErrGeneral);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(reports(), (std::vector<std::string>{"CTree::makeArbitraryString (general error)"}));

    // The largest count still names a word and the counter wraps instead of overflowing.
    tree.tablet().setValue(kHeaderRecord, kHdrWordNameCounter, INT32_MAX);
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.makeArbitraryString(kRecordNode, text); }),
              kNoErr);
    EXPECT_EQ(text->str(), "New Word 2147483647");
    EXPECT_EQ(cell(kHeaderRecord, kHdrWordNameCounter), INT32_MIN);
}
