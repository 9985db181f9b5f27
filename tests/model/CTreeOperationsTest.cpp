#include "support/HierarchyTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kN = 3; // standard categories: X 2, N 3, V 4, A 5, P 6
constexpr int32_t kV = 4;

class CTreeOperations : public HierarchyFixture {
protected:
    int32_t rootOf(int32_t n) {
        int32_t root = 0;
        EXPECT_EQ(tree.findRoot(n, root), kNoErr);
        return root;
    }
    std::string label(int32_t n) { return cellText(tree, n, kAttrLabel); }
    // Layout's record of where a node was drawn (written without undo).
    void drawnAt(int32_t n, int32_t h, int32_t v) {
        ASSERT_EQ(tree.tablet().setValue(n, kAttrRelativeH, h), kNoErr);
        ASSERT_EQ(tree.tablet().setValue(n, kAttrRelativeV, v), kNoErr);
    }
    // As if layout had just run: the root is clean.
    void laidOut(int32_t root) { ASSERT_EQ(tree.tablet().setValue(root, kAttrDirty, 0), kNoErr); }
    // The step marks the tree for layout, and undo leaves it marked so that it is laid out
    // again; the state is then as before the step.
    template <typename Body> void expectMarksForLayout(int32_t root, Body body) {
        laidOut(root);
        ASSERT_EQ(inStep(tree, kLabelMenu, body), kNoErr);
        EXPECT_EQ(cell(root, kAttrDirty), 1);
        ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
        EXPECT_EQ(cell(root, kAttrDirty), 1);
    }
    // The operation fails with the code and the report, and changes nothing.
    template <typename Body> void expectRefused(Body body, const std::string& report) {
        const DatabaseState before = captureState(tree);
        platform.recorder.clear();
        EXPECT_EQ(inStep(tree, kLabelMenu, body), kErrInvalidParameter);
        EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
        EXPECT_EQ(reports(), std::vector<std::string>{report});
    }
    int32_t newFeature() {
        int32_t feature = 0;
        EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.newName(kRecordFeature, feature); }),
                  kNoErr);
        int32_t slot = 0;
        EXPECT_EQ(tree.convertToAttributeIndex(feature, slot), kNoErr);
        return slot;
    }
    void setValue(int32_t n, int32_t slot, const char* text) {
        const CRString value(text, 1);
        ASSERT_EQ(
            inStep(tree, kLabelMenu, [&] { return tree.attributeAssignment(n, slot, &value); }),
            kNoErr);
    }
    int32_t newCombination(bool compose, int32_t first, int32_t second) {
        int32_t made = -1;
        expectStepUndoesAndRedoes(tree, [&] {
            return compose ? tree.compose(first, second, made) : tree.apply(first, second, made);
        });
        return made;
    }
};

TEST_F(CTreeOperations, AttachTakesTheDaughterFromWhereverItWas) {
    build("S(NP VP(V))");
    const int32_t loose = build("D");
    // A root leaves the root list and becomes the leftmost daughter.
    expectStepUndoesAndRedoes(tree, [&] { return tree.attachDaughterToLeft(loose, node("VP")); });
    EXPECT_EQ(describeRootList(tree), "S(NP VP(D V))");
    // An inner node is detached first; appended after the rightmost daughter.
    expectStepUndoesAndRedoes(tree,
                              [&] { return tree.attachDaughterToRight(node("NP"), node("VP")); });
    EXPECT_EQ(describeRootList(tree), "S(VP(D V NP))");
    // Onto a leaf it becomes the only daughter; to its own mother it moves to the end.
    expectStepUndoesAndRedoes(tree,
                              [&] { return tree.attachDaughterToRight(node("D"), node("V")); });
    EXPECT_EQ(describeRootList(tree), "S(VP(V(D) NP))");
    expectStepUndoesAndRedoes(tree,
                              [&] { return tree.attachDaughterToRight(node("V"), node("VP")); });
    EXPECT_EQ(describeRootList(tree), "S(VP(NP V(D)))");
    EXPECT_EQ(reports(), std::vector<std::string>{});
}

TEST_F(CTreeOperations, NoOperationLinksANodeBelowItself) {
    const int32_t s = build("S(NP(D N) VP(V))");
    expectRefused([&] { return tree.attachDaughterToLeft(s, node("D")); },
                  "CTree::attachDaughterToLeft (invalid parameter)");
    expectRefused([&] { return tree.attachDaughterToRight(node("NP"), node("NP")); },
                  "CTree::attachDaughterToRight (invalid parameter)");
    expectRefused([&] { return tree.substitute(s, node("V")); },
                  "CTree::substitute (invalid parameter)");
    expectRefused([&] { return tree.substitute(s, s); }, "CTree::substitute (invalid parameter)");
    // Into its own subtree, out of a subtree that is about to be killed, or onto itself.
    expectRefused([&] { return tree.moveDaughters(node("S"), node("NP")); },
                  "CTree::moveDaughters (invalid parameter)");
    expectRefused([&] { return tree.moveDaughters(node("NP"), s); },
                  "CTree::moveDaughters (invalid parameter)");
    expectRefused([&] { return tree.moveDaughters(node("VP"), node("VP")); },
                  "CTree::moveDaughters (invalid parameter)");
    // An auxiliary tree adjoined inside itself, and one whose root is not first.
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setFootNode(s, node("N")); }), kNoErr);
    expectRefused([&] { return tree.tagAdjoin(s, node("V")); },
                  "CTree::tagAdjoin (invalid parameter)");
    const int32_t other = build("T(U)");
    expectRefused([&] { return tree.tagAdjoin(node("NP"), node("U")); },
                  "CTree::tagAdjoin (invalid parameter)");
    EXPECT_EQ(describeRootList(tree), "T(U) | S(NP(D N) VP(V))");
    EXPECT_NE(other, 0);
}

TEST_F(CTreeOperations, DetachMakesATreeBelowWhereTheNodeWasDrawn) {
    const int32_t s = build("S(NP(D N) VP(V))");
    drawnAt(node("NP"), 40, 60);
    expectMarksForLayout(s, [&] { return tree.detach(node("NP")); });
    EXPECT_EQ(cell(node("NP"), kAttrDirty), 0);
    expectStepUndoesAndRedoes(tree, [&] { return tree.detach(node("NP")); });
    EXPECT_EQ(describeRootList(tree), "NP(D N) | S(VP(V))");
    EXPECT_EQ(cell(node("NP"), kAttrWhereIsTree), kTreeOnWorkArea);
    EXPECT_EQ(cell(node("NP"), kAttrAbsoluteH), 40);
    EXPECT_EQ(cell(node("NP"), kAttrAbsoluteV), 80);
    EXPECT_EQ(cell(node("NP"), kAttrDirty), 1);
    // A root cannot be detached.
    expectRefused([&] { return tree.detach(s); }, "CTree::detach (invalid parameter)");
}

TEST_F(CTreeOperations, DetachCloneLeavesTheNodeAsALeafAndTheCopyTakesItsDaughters) {
    const int32_t s = build("S(NP(D N) VP(V))");
    drawnAt(node("NP"), 40, 60);
    int32_t copy = 0;
    expectMarksForLayout(s, [&] { return tree.detachClone(node("NP"), copy); });
    expectStepUndoesAndRedoes(tree, [&] { return tree.detachClone(node("NP"), copy); });
    EXPECT_EQ(describeRootList(tree), "NP(D N) | S(NP VP(V))");
    EXPECT_NE(copy, node("NP"));
    EXPECT_EQ(cell(copy, kAttrMother), 0);
    EXPECT_EQ(cell(copy, kAttrNextSister), 0);
    EXPECT_EQ(cell(node("D"), kAttrMother), copy);
    EXPECT_EQ(cell(copy, kAttrWhereIsTree), kTreeOnWorkArea);
    EXPECT_EQ(cell(copy, kAttrAbsoluteH), 40);
    EXPECT_EQ(cell(copy, kAttrAbsoluteV), 90);
    EXPECT_EQ(cell(copy, kAttrDirty), 1);
}

TEST_F(CTreeOperations, MoveDaughtersKillsTheTargetsDaughtersAndMovesTheOthersInOrder) {
    build("S(NP(D N) VP(V(X Y)))");
    const int32_t x = node("X");
    expectStepUndoesAndRedoes(tree, [&] { return tree.moveDaughters(node("NP"), node("V")); });
    EXPECT_EQ(describeRootList(tree), "S(NP VP(V(D N)))");
    EXPECT_EQ(cell(x, kAttrType), kRecordUnused);
    // Across trees too.
    build("T(A B)");
    expectStepUndoesAndRedoes(tree, [&] { return tree.moveDaughters(node("T"), node("NP")); });
    EXPECT_EQ(describeRootList(tree), "T | S(NP(A B) VP(V(D N)))");
}

TEST_F(CTreeOperations, SubstituteReplacesANodeByATree) {
    const int32_t s = build("S(NP VP(V NP2 PP))");
    const int32_t dp = build("DP(D N)");
    const DatabaseState before = captureState(tree);
    // A first argument that is not a root: nothing happens, no error.
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.substitute(node("D"), node("V")); }),
              kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    // Same mother, same place between the sisters; the replaced node dies.
    const int32_t np2 = node("NP2");
    expectStepUndoesAndRedoes(tree, [&] { return tree.substitute(dp, np2); });
    EXPECT_EQ(describeRootList(tree), "S(NP VP(V DP(D N) PP))");
    EXPECT_EQ(cell(np2, kAttrType), kRecordUnused);
    // A leftmost place.
    const int32_t e = build("E");
    expectStepUndoesAndRedoes(tree, [&] { return tree.substitute(e, node("NP")); });
    EXPECT_EQ(describeRootList(tree), "S(E VP(V DP(D N) PP))");
    // A root for a root: the second tree is killed, the first stays a tree of its own.
    const int32_t t = build("T(U)");
    expectStepUndoesAndRedoes(tree, [&] { return tree.substitute(t, s); });
    EXPECT_EQ(describeRootList(tree), "T(U)");
    EXPECT_EQ(cell(node("V"), kAttrType), kRecordUnused);
    EXPECT_EQ(reports(), std::vector<std::string>{});
}

TEST_F(CTreeOperations, TagAdjoinSplicesTheAuxiliaryTreeAtTheSite) {
    const int32_t s = build("S(NP VP(V) PP)");
    const int32_t aux = build("VPa(VPf Adv)");
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setFootNode(aux, node("VPf")); }), kNoErr);

    int32_t can = -1;
    EXPECT_EQ(tree.canTagAdjoin(aux, node("VP"), can), kNoErr);
    EXPECT_EQ(can, 1);
    EXPECT_EQ(tree.canTagAdjoin(aux, s, can), kNoErr); // a root site is still allowed here
    EXPECT_EQ(can, 1);
    EXPECT_EQ(tree.canTagAdjoin(node("Adv"), node("VP"), can), kNoErr); // not a root
    EXPECT_EQ(can, 0);
    EXPECT_EQ(tree.canTagAdjoin(aux, node("Adv"), can), kNoErr); // same tree
    EXPECT_EQ(can, 0);
    EXPECT_EQ(tree.canTagAdjoin(aux, aux, can), kNoErr);
    EXPECT_EQ(can, 0);
    EXPECT_EQ(tree.canTagAdjoin(s, aux, can), kNoErr); // no foot node
    EXPECT_EQ(can, 0);

    // At a root site nothing changes but both trees are marked for layout.
    laidOut(s);
    laidOut(aux);
    const DatabaseState before = captureState(tree);
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.tagAdjoin(aux, s); }), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    EXPECT_EQ(cell(aux, kAttrDirty), 1);
    laidOut(s);
    laidOut(aux);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    EXPECT_EQ(cell(aux, kAttrDirty), 1);

    const int32_t foot = node("VPf");
    expectStepUndoesAndRedoes(tree, [&] { return tree.tagAdjoin(aux, node("VP")); });
    EXPECT_EQ(describeRootList(tree), "S(NP VPa(VP(V) Adv) PP)");
    EXPECT_EQ(cell(foot, kAttrType), kRecordUnused);
    EXPECT_EQ(cell(aux, kAttrFootNode), 0);
    EXPECT_EQ(reports(), std::vector<std::string>{});
}

TEST_F(CTreeOperations, CloneForAdjunctionSplitsTheSite) {
    const int32_t s = build("S(NP VP(V) PP)");
    int32_t copy = 0;
    expectStepUndoesAndRedoes(tree, [&] { return tree.cloneForAdjunction(node("VP"), copy); });
    EXPECT_EQ(describeRootList(tree), "S(NP VP(VP(V)) PP)");
    EXPECT_EQ(cell(copy, kAttrLeftmostDaughter), node("VP"));
    EXPECT_EQ(cell(node("VP"), kAttrNextSister), 0);
    // At a root the copy takes the root's place in the root list.
    const int32_t t = build("T(U)");
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = tree.setWhereIsTree(s, kTreeOnWorkArea);
                         const CRString word("walks", 1);
                         if (!err)
                             err = tree.setCitationForm(s, &word);
                         return err;
                     }),
              kNoErr);
    expectStepUndoesAndRedoes(tree, [&] { return tree.cloneForAdjunction(s, copy); });
    EXPECT_EQ(describeRootList(tree), "T(U) | S(S(NP VP(VP(V)) PP))");
    EXPECT_EQ(cell(copy, kAttrWhereIsTree), kTreeOnWorkArea);
    EXPECT_EQ(cellText(tree, copy, kAttrCitationForm), "walks");
    EXPECT_NE(t, 0);
}

TEST_F(CTreeOperations, CopySubtreeSubstitutesADeepCopyAndLeavesTheOriginal) {
    build("S(NP(D N) VP(V X))");
    ASSERT_EQ(tree.setSelectedValue(node("NP"), 1), kNoErr);
    expectStepUndoesAndRedoes(tree, [&] { return tree.copySubtree(node("NP"), node("X")); });
    EXPECT_EQ(describeRootList(tree), "S(NP(D N) VP(V NP(D N)))");
    int32_t copy = 0;
    ASSERT_EQ(tree.getRightmostDaughter(node("VP"), copy), kNoErr);
    EXPECT_NE(copy, node("NP"));
    EXPECT_EQ(cell(copy, kAttrSelected), 0);
    EXPECT_EQ(cell(node("NP"), kAttrSelected), 1);
    EXPECT_EQ(cell(node("D"), kAttrMother), node("NP"));
    // Over a root the copy becomes a tree of its own.
    const int32_t t = build("T");
    expectStepUndoesAndRedoes(tree, [&] { return tree.copySubtree(node("VP"), t); });
    EXPECT_EQ(describeRootList(tree), "VP(V NP(D N)) | S(NP(D N) VP(V NP(D N)))");
    EXPECT_EQ(reports(), std::vector<std::string>{});
}

TEST_F(CTreeOperations, CategorialLabelsParse) {
    const struct {
        const char* label;
        const char* left;
        const char* right;
        int32_t direction;
        bool error;
    } cases[] = {
        {"S\\NP", "S", "NP", '\\', false},
        {"(S\\NP)/NP", "S\\NP", "NP", '/', false},
        {"((S\\NP)/NP)/PP", "(S\\NP)/NP", "PP", '/', false},
        {"NP/(N/N)", "NP", "N/N", '/', false},
        {"NP", "NP", "", 0, false},
        {"(NP)", "NP", "", 0, false},
        {"", "", "", 0, false},
        {"S/NP/NP", "S", "NPNP", '/', true},
        {"(S/NP", "S/NP", "", 0, true},
        {"S/NP)", "S", "NP", '/', true},
        {"S)/(NP", "S", "NP", '/', true},
    };
    for (const auto& c : cases) {
        std::unique_ptr<CRString> left;
        std::unique_ptr<CRString> right;
        int32_t direction = -1;
        bool error = !c.error;
        CTree::parseCategorialLabel(CRString(c.label, 1), left, right, direction, error);
        EXPECT_EQ(left->str(), c.left) << c.label;
        EXPECT_EQ(right->str(), c.right) << c.label;
        EXPECT_EQ(direction, c.direction) << c.label;
        EXPECT_EQ(error, c.error) << c.label;
    }
}

TEST_F(CTreeOperations, ApplyPutsTheArgumentOnTheSideItsSlashNames) {
    const int32_t np = build("NP");
    const int32_t slash = build("S/NP");
    const int32_t backslash = build("S\\NP");
    drawnAt(np, 15, 25);
    bool can = false;
    bool error = true;
    EXPECT_EQ(tree.canApply(slash, np, can, error), kNoErr);
    EXPECT_TRUE(can);
    EXPECT_FALSE(error);
    EXPECT_EQ(tree.canApply(np, slash, can, error), kNoErr); // either order
    EXPECT_TRUE(can);
    EXPECT_EQ(tree.canApply(slash, backslash, can, error), kNoErr);
    EXPECT_FALSE(can);

    const int32_t made = newCombination(false, slash, np);
    EXPECT_EQ(describeTree(tree, made), "S(NP S/NP)");
    EXPECT_EQ(cell(made, kAttrWhereIsTree), kTreeOnWorkArea);
    EXPECT_EQ(cell(made, kAttrAbsoluteH), 15);
    EXPECT_EQ(cell(made, kAttrAbsoluteV), 25);
    EXPECT_EQ(cell(made, kAttrMother), 0);

    const int32_t np2 = build("NP");
    EXPECT_EQ(describeTree(tree, newCombination(false, backslash, np2)), "S(S\\NP NP)");
    // The second rule: the second node is the functor.
    const int32_t np3 = build("NP");
    const int32_t slash3 = build("S/NP");
    EXPECT_EQ(describeTree(tree, newCombination(false, np3, slash3)), "S(NP S/NP)");
    EXPECT_EQ(reports(), std::vector<std::string>{});
}

TEST_F(CTreeOperations, CombiningWithoutARuleMakesNothing) {
    const int32_t a = build("S/NP");
    const int32_t b = build("VP");
    const int32_t broken = build("S/NP/NP");
    const DatabaseState before = captureState(tree);
    int32_t made = -1;
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.apply(a, b, made); }), kNoErr);
    EXPECT_EQ(made, 0);
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.compose(a, b, made); }), kNoErr);
    EXPECT_EQ(made, 0);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(describeRootList(tree), "S/NP/NP | VP | S/NP");
    // Labels compare exactly, letter case included; a broken label raises the error flag.
    const int32_t lower = build("np");
    bool can = true;
    bool error = true;
    EXPECT_EQ(tree.canApply(a, lower, can, error), kNoErr);
    EXPECT_FALSE(can);
    EXPECT_FALSE(error);
    EXPECT_EQ(tree.canApply(broken, lower, can, error), kNoErr);
    EXPECT_TRUE(error);
    EXPECT_EQ(tree.canCompose(lower, broken, can, error), kNoErr);
    EXPECT_TRUE(error);
}

TEST_F(CTreeOperations, ComposeJoinsTheOuterParts) {
    const int32_t first = build("S/NP");
    const int32_t second = build("NP/N");
    bool can = false;
    bool error = true;
    EXPECT_EQ(tree.canCompose(first, second, can, error), kNoErr);
    EXPECT_TRUE(can);
    EXPECT_FALSE(error);
    EXPECT_EQ(describeTree(tree, newCombination(true, first, second)), "S/N(S/NP NP/N)");
    // The other way round: left1 = right2, the second node leads.
    const int32_t one = build("NP\\N");
    const int32_t two = build("S/NP");
    EXPECT_EQ(describeTree(tree, newCombination(true, one, two)), "S/N(S/NP NP\\N)");
    // A label without a slash contributes no slash.
    const int32_t bare = build("N");
    const int32_t functor = build("NP/N");
    EXPECT_EQ(describeTree(tree, newCombination(true, bare, functor)), "NP/(NP/N N)");
}

TEST_F(CTreeOperations, FeaturesUnifyOnlyWhereTheSecondIsUnset) {
    build("R(A B)");
    const int32_t number = newFeature();
    const int32_t person = newFeature();
    const int32_t gender = newFeature();
    const int32_t a = node("A");
    const int32_t b = node("B");
    // number: "sg" / "0" (unset); person: "" / "3"; gender: "f" / "m".
    setValue(a, number, "sg");
    setValue(b, number, "0");
    setValue(b, person, "3");
    setValue(a, gender, "f");
    setValue(b, gender, "m");
    bool can = true;
    EXPECT_EQ(tree.canUnify(a, b, can), kNoErr);
    EXPECT_FALSE(can);
    setValue(b, gender, "0");
    EXPECT_EQ(tree.canUnify(a, b, can), kNoErr);
    EXPECT_TRUE(can);
    setValue(b, gender, "f");
    EXPECT_EQ(tree.canUnify(a, b, can), kNoErr);
    EXPECT_TRUE(can);

    expectStepUndoesAndRedoes(tree, [&] { return tree.unify(a, b); });
    EXPECT_EQ(cellText(tree, b, number), "sg"); // "0" was unset
    EXPECT_EQ(cellText(tree, b, person), "3");  // set: kept although the first has none
    EXPECT_EQ(cellText(tree, b, gender), "f");
    EXPECT_EQ(cellText(tree, a, person), ""); // the first node never changes
    // An unset value is replaced by an unset one as well: "0" by "".
    setValue(b, person, "0");
    expectStepUndoesAndRedoes(tree, [&] { return tree.unify(a, b); });
    EXPECT_EQ(cell(b, person), 0);

    setValue(b, number, "pl");
    expectStepUndoesAndRedoes(tree, [&] { return tree.copyFeatures(b, a); });
    EXPECT_EQ(cellText(tree, a, number), "pl");
    EXPECT_EQ(cell(a, person), 0);
    EXPECT_EQ(cellText(tree, a, gender), "f");
    // Only string cells take strings.
    expectRefused([&] { return tree.attributeAssignment(a, kAttrMother, nullptr); },
                  "CTree::attributeAssignment (invalid parameter)");
}

TEST_F(CTreeOperations, LabelsCategoriesAndProjections) {
    const int32_t root = build("R(A)");
    const int32_t a = node("A");
    const CRString text("VP", 1);
    expectMarksForLayout(root, [&] { return tree.setNodeLabel(a, text); });
    expectStepUndoesAndRedoes(tree, [&] { return tree.setNodeLabel(a, text); });
    EXPECT_EQ(label(a), "VP");

    laidOut(root);
    expectStepUndoesAndRedoes(tree, [&] {
        RErr err = tree.setNodeCategory(a, kV);
        if (!err)
            err = tree.setNodeProjection(a, 1);
        return err;
    });
    EXPECT_EQ(cell(a, kAttrCategory), kV);
    EXPECT_EQ(cell(a, kAttrProjection), 1);
    EXPECT_EQ(cell(root, kAttrDirty), 0); // categories are not drawn
    expectRefused([&] { return tree.setNodeCategory(a, a); },
                  "CTree::setNodeCategory (invalid parameter)");
    expectRefused([&] { return tree.setNodeProjection(a, 3); },
                  "CTree::setNodeProjection (invalid parameter)");
    expectRefused([&] { return tree.setNodeProjection(a, -2); },
                  "CTree::setNodeProjection (invalid parameter)");

    expectMarksForLayout(root, [&] { return tree.autoNodeLabel(a); });
    expectStepUndoesAndRedoes(tree, [&] { return tree.autoNodeLabel(a); });
    EXPECT_EQ(label(a), "V'");
    expectStepUndoesAndRedoes(tree, [&] { return tree.setNodeProjection(a, -1); });
    expectStepUndoesAndRedoes(tree, [&] { return tree.autoNodeLabel(a); });
    EXPECT_EQ(label(a), "X");

    platform.recorder.clear();
    const struct {
        int32_t category;
        int32_t projection;
        RErr err;
        const char* label; // nullptr: no label
    } cases[] = {{kN, 0, kNoErr, "N"},
                 {kN, 1, kNoErr, "N'"},
                 {kN, 2, kNoErr, "NP"},
                 {0, -1, kNoErr, "X"},
                 {a, -1, kNoErr, "X"}, // not a category: counts as 0
                 {kN, -1, kErrInvalidParameter, "N"},
                 {0, 2, kErrInvalidParameter, nullptr}};
    for (const auto& c : cases) {
        std::unique_ptr<CRString> made;
        EXPECT_EQ(tree.makeNodeLabel(c.category, c.projection, made), c.err);
        if (c.label)
            EXPECT_EQ(made ? made->str() : "<none>", c.label);
        else
            EXPECT_EQ(made, nullptr);
    }
    EXPECT_EQ(reports(), (std::vector<std::string>{"CTree::makeNodeLabel (invalid parameter)",
                                                   "CTree::makeNodeLabel (invalid parameter)"}));
}

TEST_F(CTreeOperations, IndicesRunFromIThroughZThenFromA) {
    std::string letters;
    for (int32_t i = 0; i < 20; ++i) {
        std::unique_ptr<CRString> index;
        expectStepUndoesAndRedoes(tree, [&] { return tree.newIndex(index); });
        letters += index->str();
    }
    EXPECT_EQ(letters, "ijklmnopqrstuvwxyzab");
    // Undo gives the same letter again.
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    std::unique_ptr<CRString> again;
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.newIndex(again); }), kNoErr);
    EXPECT_EQ(again->str(), "b");
}

} // namespace
