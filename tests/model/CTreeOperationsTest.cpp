#include "ModelTestSupport.h"

#include <memory>

namespace {

constexpr int32_t kN = 3; // standard categories: X 2, N 3, V 4, A 5, P 6
constexpr int32_t kV = 4;

class CTreeOperations : public ModelFixture {
protected:
    // The step marks the tree for layout, and undo leaves it marked so that it is laid out
    // again.
    template <typename Body> void marksForLayout(int32_t root, Body body) {
        poke(root, kAttrDirty, 0);
        step(body);
        EXPECT_EQ(cell(root, kAttrDirty), 1);
        ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
        EXPECT_EQ(cell(root, kAttrDirty), 1);
    }
    void setValue(int32_t n, int32_t slot, const char* value) {
        const CRString text(value, 1);
        step([&] { return tree.attributeAssignment(n, slot, &text); });
    }
    int32_t combined(bool compose, int32_t first, int32_t second) {
        int32_t made = -1;
        undoable([&] {
            return compose ? tree.compose(first, second, made) : tree.apply(first, second, made);
        });
        return made;
    }
};

TEST_F(CTreeOperations, AttachTakesTheDaughterFromWhereverItWas) {
    build("S(NP VP(V))");
    const int32_t loose = build("D");
    // A root leaves the root list; an inner node is detached first; onto a leaf it becomes
    // the only daughter; to its own mother it moves to the end.
    const struct {
        bool left;
        int32_t daughter, mother;
        const char* after;
    } rows[] = {{true, loose, node("VP"), "S(NP VP(D V))"},
                {false, node("NP"), node("VP"), "S(VP(D V NP))"},
                {false, node("D"), node("V"), "S(VP(V(D) NP))"},
                {false, node("V"), node("VP"), "S(VP(NP V(D)))"}};
    for (const auto& row : rows) {
        undoable([&] {
            return row.left ? tree.attachDaughterToLeft(row.daughter, row.mother)
                            : tree.attachDaughterToRight(row.daughter, row.mother);
        });
        EXPECT_EQ(describeRootList(tree), row.after);
    }
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeOperations, NoOperationLinksANodeBelowItself) {
    const int32_t s = build("S(NP(D N) VP(V))");
    const int32_t np = node("NP"), vp = node("VP");
    refused([&] { return tree.attachDaughterToLeft(s, node("D")); },
            "CTree::attachDaughterToLeft (invalid parameter)");
    refused([&] { return tree.attachDaughterToRight(np, np); },
            "CTree::attachDaughterToRight (invalid parameter)");
    refused([&] { return tree.substitute(s, node("V")); }, "CTree::substitute (invalid parameter)");
    refused([&] { return tree.substitute(s, s); }, "CTree::substitute (invalid parameter)");
    // Into its own subtree, out of a subtree that is about to be killed, or onto itself.
    const std::pair<int32_t, int32_t> moves[] = {{s, np}, {np, s}, {vp, vp}};
    for (const auto& move : moves)
        refused([&] { return tree.moveDaughters(move.first, move.second); },
                "CTree::moveDaughters (invalid parameter)");
    // An auxiliary tree adjoined inside itself, and one whose root is not first.
    step([&] { return tree.setFootNode(s, node("N")); });
    refused([&] { return tree.tagAdjoin(s, node("V")); }, "CTree::tagAdjoin (invalid parameter)");
    build("T(U)");
    refused([&] { return tree.tagAdjoin(np, node("U")); }, "CTree::tagAdjoin (invalid parameter)");
    EXPECT_EQ(describeRootList(tree), "T(U) | S(NP(D N) VP(V))");
}

TEST_F(CTreeOperations, DetachMakesATreeBelowWhereTheNodeWasDrawnAndDetachCloneCopies) {
    for (const bool clone : {false, true}) {
        SCOPED_TRACE(clone);
        ASSERT_EQ(tree.createTree(true), kNoErr);
        const int32_t s = build("S(NP(D N) VP(V))");
        const int32_t np = node("NP");
        poke(np, kAttrRelativeH, 40);
        poke(np, kAttrRelativeV, 60);
        int32_t made = np;
        const auto run = [&] { return clone ? tree.detachClone(np, made) : tree.detach(np); };
        marksForLayout(s, run);
        EXPECT_EQ(cell(np, kAttrDirty), 0);
        undoable(run);
        // A clone stays as a leaf and its copy, one row lower, takes the daughters.
        EXPECT_EQ(describeRootList(tree), clone ? "NP(D N) | S(NP VP(V))" : "NP(D N) | S(VP(V))");
        EXPECT_EQ(made != np, clone);
        EXPECT_EQ(cell(node("D"), kAttrMother), made);
        cells(made, {{kAttrMother, 0},
                     {kAttrNextSister, 0},
                     {kAttrWhereIsTree, kTreeOnWorkArea},
                     {kAttrAbsoluteH, 40},
                     {kAttrAbsoluteV, clone ? 90 : 80},
                     {kAttrDirty, 1}});
        if (!clone) // a root cannot be detached
            refused([&] { return tree.detach(s); }, "CTree::detach (invalid parameter)");
    }
}

TEST_F(CTreeOperations, MoveDaughtersKillsTheTargetsDaughtersAndMovesTheOthersInOrder) {
    build("S(NP(D N) VP(V(X Y)))");
    const int32_t x = node("X");
    undoable([&] { return tree.moveDaughters(node("NP"), node("V")); });
    EXPECT_EQ(describeRootList(tree), "S(NP VP(V(D N)))");
    EXPECT_EQ(cell(x, kAttrType), kRecordUnused);
    build("T(A B)"); // across trees too
    undoable([&] { return tree.moveDaughters(node("T"), node("NP")); });
    EXPECT_EQ(describeRootList(tree), "T | S(NP(A B) VP(V(D N)))");
}

TEST_F(CTreeOperations, SubstituteReplacesANodeByATree) {
    const int32_t s = build("S(NP VP(V NP2 PP))");
    const int32_t dp = build("DP(D N)");
    const DatabaseState before = captureState(tree);
    // A first argument that is not a root: nothing happens, no error.
    step([&] { return tree.substitute(node("D"), node("V")); });
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    // Same mother, same place between the sisters or leftmost; the replaced node dies. A root
    // for a root: the second tree is killed, the first stays a tree of its own.
    const int32_t np2 = node("NP2"), v = node("V");
    const int32_t e = build("E");
    const int32_t t = build("T(U)");
    const struct {
        int32_t with, replaced, dead;
        const char* after;
    } rows[] = {{dp, np2, np2, "T(U) | E | S(NP VP(V DP(D N) PP))"},
                {e, node("NP"), node("NP"), "T(U) | S(E VP(V DP(D N) PP))"},
                {t, s, v, "T(U)"}};
    for (const auto& row : rows) {
        undoable([&] { return tree.substitute(row.with, row.replaced); });
        EXPECT_EQ(describeRootList(tree), row.after);
        EXPECT_EQ(cell(row.dead, kAttrType), kRecordUnused);
    }
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeOperations, TagAdjoinSplicesTheAuxiliaryTreeAtTheSite) {
    const int32_t s = build("S(NP VP(V) PP)");
    const int32_t aux = build("VPa(VPf Adv)");
    const int32_t vp = node("VP"), adv = node("Adv"), foot = node("VPf");
    step([&] { return tree.setFootNode(aux, foot); });
    // A root site is still allowed; not a root, the same tree or no foot node are not.
    const struct {
        int32_t aux, site, can;
    } rows[] = {{aux, vp, 1}, {aux, s, 1}, {adv, vp, 0}, {aux, adv, 0}, {aux, aux, 0}, {s, aux, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(q(&CTree::canTagAdjoin, row.aux, row.site), row.can) << row.aux << row.site;

    // At a root site nothing changes but both trees are marked for layout, also by undo.
    poke(s, kAttrDirty, 0);
    poke(aux, kAttrDirty, 0);
    const DatabaseState before = captureState(tree);
    step([&] { return tree.tagAdjoin(aux, s); });
    for (const int32_t root : {s, aux}) {
        EXPECT_EQ(cell(root, kAttrDirty), 1);
        poke(root, kAttrDirty, 0);
    }
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty) + cell(aux, kAttrDirty), 2);

    undoable([&] { return tree.tagAdjoin(aux, vp); });
    EXPECT_EQ(describeRootList(tree), "S(NP VPa(VP(V) Adv) PP)");
    EXPECT_EQ(cell(foot, kAttrType), kRecordUnused);
    EXPECT_EQ(cell(aux, kAttrFootNode), 0);
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeOperations, CloneForAdjunctionSplitsTheSite) {
    const int32_t s = build("S(NP VP(V) PP)");
    int32_t copy = 0;
    undoable([&] { return tree.cloneForAdjunction(node("VP"), copy); });
    EXPECT_EQ(describeRootList(tree), "S(NP VP(VP(V)) PP)");
    EXPECT_EQ(cell(copy, kAttrLeftmostDaughter), node("VP"));
    EXPECT_EQ(cell(node("VP"), kAttrNextSister), 0);
    // At a root the copy takes the root's place in the root list, with the root's information.
    build("T(U)");
    const CRString word("walks", 1);
    step([&] {
        EXPECT_EQ(tree.setWhereIsTree(s, kTreeOnWorkArea), kNoErr);
        EXPECT_EQ(tree.setCitationForm(s, &word), kNoErr);
    });
    undoable([&] { return tree.cloneForAdjunction(s, copy); });
    EXPECT_EQ(describeRootList(tree), "T(U) | S(S(NP VP(VP(V)) PP))");
    EXPECT_EQ(cell(copy, kAttrWhereIsTree), kTreeOnWorkArea);
    EXPECT_EQ(text(copy, kAttrCitationForm), "walks");
}

TEST_F(CTreeOperations, CopySubtreeSubstitutesADeepCopyAndLeavesTheOriginal) {
    build("S(NP(D N) VP(V X))");
    ASSERT_EQ(tree.setSelectedValue(node("NP"), 1), kNoErr);
    undoable([&] { return tree.copySubtree(node("NP"), node("X")); });
    EXPECT_EQ(describeRootList(tree), "S(NP(D N) VP(V NP(D N)))");
    const int32_t copy = q(&CTree::getRightmostDaughter, node("VP"));
    EXPECT_NE(copy, node("NP"));
    EXPECT_EQ(cell(copy, kAttrSelected), 0);
    EXPECT_EQ(cell(node("NP"), kAttrSelected), 1);
    EXPECT_EQ(cell(node("D"), kAttrMother), node("NP"));
    // Over a root the copy becomes a tree of its own.
    const int32_t t = build("T");
    undoable([&] { return tree.copySubtree(node("VP"), t); });
    EXPECT_EQ(describeRootList(tree), "VP(V NP(D N)) | S(NP(D N) VP(V NP(D N)))");
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeOperations, CategorialLabelsParse) {
    const struct {
        const char *label, *left, *right;
        int32_t direction;
        bool error;
    } rows[] = {
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
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::unique_ptr<CRString> left, right;
        int32_t direction = -1;
        bool error = !row.error;
        CTree::parseCategorialLabel(CRString(row.label, 1), left, right, direction, error);
        EXPECT_EQ(left->str(), row.left);
        EXPECT_EQ(right->str(), row.right);
        EXPECT_EQ(direction, row.direction);
        EXPECT_EQ(error, row.error);
    }
}

TEST_F(CTreeOperations, ApplyAndComposeFollowTheSlashes) {
    const int32_t np = build("NP"), slash = build("S/NP"), backslash = build("S\\NP");
    poke(np, kAttrRelativeH, 15);
    poke(np, kAttrRelativeV, 25);
    bool can = false, error = true;
    const auto check = [&](auto canDo, int32_t a, int32_t b, bool expectCan, bool expectError) {
        can = !expectCan;
        error = !expectError;
        EXPECT_EQ((tree.*canDo)(a, b, can, error), kNoErr);
        EXPECT_EQ(can, expectCan) << a << " " << b;
        EXPECT_EQ(error, expectError) << a << " " << b;
    };
    check(&CTree::canApply, slash, np, true, false);
    check(&CTree::canApply, np, slash, true, false); // either order
    check(&CTree::canApply, slash, backslash, false, false);

    const int32_t made = combined(false, slash, np);
    EXPECT_EQ(describeTree(tree, made), "S(NP S/NP)");
    cells(made, {{kAttrWhereIsTree, kTreeOnWorkArea},
                 {kAttrAbsoluteH, 15},
                 {kAttrAbsoluteV, 25},
                 {kAttrMother, 0}});
    EXPECT_EQ(describeTree(tree, combined(false, backslash, build("NP"))), "S(S\\NP NP)");
    // The second rule: the second node is the functor.
    const int32_t np3 = build("NP");
    EXPECT_EQ(describeTree(tree, combined(false, np3, build("S/NP"))), "S(NP S/NP)");

    const int32_t first = build("S/NP"), second = build("NP/N");
    check(&CTree::canCompose, first, second, true, false);
    EXPECT_EQ(describeTree(tree, combined(true, first, second)), "S/N(S/NP NP/N)");
    // The other way round: left1 = right2, the second node leads.
    const int32_t one = build("NP\\N");
    EXPECT_EQ(describeTree(tree, combined(true, one, build("S/NP"))), "S/N(S/NP NP\\N)");
    // A label without a slash contributes no slash.
    const int32_t bare = build("N");
    EXPECT_EQ(describeTree(tree, combined(true, bare, build("NP/N"))), "NP/(NP/N N)");
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeOperations, CombiningWithoutARuleMakesNothing) {
    const int32_t a = build("S/NP"), b = build("VP"), broken = build("S/NP/NP");
    const DatabaseState before = captureState(tree);
    int32_t made = -1;
    step([&] { return tree.apply(a, b, made); });
    EXPECT_EQ(made, 0);
    step([&] { return tree.compose(a, b, made); });
    EXPECT_EQ(made, 0);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(describeRootList(tree), "S/NP/NP | VP | S/NP");
    // Labels compare exactly, letter case included; a broken label raises the error flag.
    const int32_t lower = build("np");
    bool can = true, error = true;
    EXPECT_EQ(tree.canApply(a, lower, can, error), kNoErr);
    EXPECT_FALSE(can);
    EXPECT_FALSE(error);
    EXPECT_EQ(tree.canApply(broken, lower, can, error), kNoErr);
    EXPECT_TRUE(error);
    error = false;
    EXPECT_EQ(tree.canCompose(lower, broken, can, error), kNoErr);
    EXPECT_TRUE(error);
}

TEST_F(CTreeOperations, FeaturesUnifyOnlyWhereTheSecondIsUnset) {
    build("R(A B)");
    int32_t slots[3] = {};
    for (int32_t& slot : slots) {
        int32_t feature = 0;
        step([&] { return tree.newName(kRecordFeature, feature); });
        slot = q(&CTree::convertToAttributeIndex, feature);
    }
    const auto [number, person, gender] = slots;
    const int32_t a = node("A"), b = node("B");
    // number: "sg" / "0" (unset); person: "" / "3"; gender: "f" / "m", then unset, then equal.
    setValue(a, number, "sg");
    setValue(b, number, "0");
    setValue(b, person, "3");
    setValue(a, gender, "f");
    const std::pair<const char*, bool> genders[] = {{"m", false}, {"0", true}, {"f", true}};
    for (const auto& [value, can] : genders) {
        setValue(b, gender, value);
        EXPECT_EQ(q<bool>(&CTree::canUnify, a, b), can) << value;
    }
    undoable([&] { return tree.unify(a, b); });
    EXPECT_EQ(text(b, number), "sg"); // "0" was unset
    EXPECT_EQ(text(b, person), "3");  // set: kept although the first has none
    EXPECT_EQ(text(b, gender), "f");
    EXPECT_EQ(text(a, person), ""); // the first node never changes
    // An unset value is replaced by an unset one as well: "0" by "".
    setValue(b, person, "0");
    undoable([&] { return tree.unify(a, b); });
    EXPECT_EQ(cell(b, person), 0);

    setValue(b, number, "pl");
    undoable([&] { return tree.copyFeatures(b, a); });
    EXPECT_EQ(text(a, number), "pl");
    EXPECT_EQ(cell(a, person), 0);
    EXPECT_EQ(text(a, gender), "f");
    // Only string cells take strings.
    refused([&] { return tree.attributeAssignment(a, kAttrMother, nullptr); },
            "CTree::attributeAssignment (invalid parameter)");
}

TEST_F(CTreeOperations, LabelsCategoriesAndProjections) {
    const int32_t root = build("R(A)");
    const int32_t a = node("A");
    const CRString vp("VP", 1);
    marksForLayout(root, [&] { return tree.setNodeLabel(a, vp); });
    undoable([&] { return tree.setNodeLabel(a, vp); });
    EXPECT_EQ(text(a), "VP");

    poke(root, kAttrDirty, 0);
    undoable([&] {
        EXPECT_EQ(tree.setNodeCategory(a, kV), kNoErr);
        EXPECT_EQ(tree.setNodeProjection(a, 1), kNoErr);
    });
    EXPECT_EQ(cell(a, kAttrCategory), kV);
    EXPECT_EQ(cell(a, kAttrProjection), 1);
    EXPECT_EQ(cell(root, kAttrDirty), 0); // categories are not drawn
    refused([&] { return tree.setNodeCategory(a, a); },
            "CTree::setNodeCategory (invalid parameter)");
    for (const int32_t bad : {3, -2})
        refused([&] { return tree.setNodeProjection(a, bad); },
                "CTree::setNodeProjection (invalid parameter)");

    marksForLayout(root, [&] { return tree.autoNodeLabel(a); });
    undoable([&] { return tree.autoNodeLabel(a); });
    EXPECT_EQ(text(a), "V'");
    undoable([&] { return tree.setNodeProjection(a, -1); });
    undoable([&] { return tree.autoNodeLabel(a); });
    EXPECT_EQ(text(a), "X");

    platform.recorder.clear();
    const struct {
        int32_t category, projection;
        RErr err;
        const char* label; // nullptr: no label
    } rows[] = {{kN, 0, kNoErr, "N"},
                {kN, 1, kNoErr, "N'"},
                {kN, 2, kNoErr, "NP"},
                {0, -1, kNoErr, "X"},
                {a, -1, kNoErr, "X"}, // not a category: counts as 0
                {kN, -1, kErrInvalidParameter, "N"},
                {0, 2, kErrInvalidParameter, nullptr}};
    for (const auto& row : rows) {
        std::unique_ptr<CRString> made;
        EXPECT_EQ(tree.makeNodeLabel(row.category, row.projection, made), row.err);
        EXPECT_EQ(made ? made->str() : "<none>", row.label ? row.label : "<none>");
    }
    EXPECT_EQ(reports(), RReports(2, "CTree::makeNodeLabel (invalid parameter)"));
}

TEST_F(CTreeOperations, IndicesRunFromIThroughZThenFromA) {
    std::string letters;
    for (int32_t i = 0; i < 20; ++i) {
        std::unique_ptr<CRString> index;
        undoable([&] { return tree.newIndex(index); });
        letters += index->str();
    }
    EXPECT_EQ(letters, "ijklmnopqrstuvwxyzab");
    // Undo gives the same letter again.
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    std::unique_ptr<CRString> again;
    step([&] { return tree.newIndex(again); });
    EXPECT_EQ(again->str(), "b");
}

} // namespace
