#include "ModelTestSupport.h"

#include <cstring>
#include <memory>
#include <tuple>

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
    // The step undoes and redoes, and leaves the root list as given.
    template <typename Body> void gives(const char* after, Body body) {
        undoable(body);
        EXPECT_EQ(describeRootList(tree), after);
    }
    void setValue(int32_t n, int32_t slot, const char* value) {
        const CRString text(value, 1);
        step([&] { return tree.attributeAssignment(n, slot, &text); });
    }
    std::string combined(bool compose, int32_t first, int32_t second) {
        int32_t made = -1;
        undoable([&] {
            return compose ? tree.compose(first, second, made) : tree.apply(first, second, made);
        });
        return describeTree(tree, made);
    }
    // canApply or canCompose as "can error", the same whatever the flags held before.
    template <typename F> std::string can(F canDo, int32_t a, int32_t b) {
        std::string answers[2];
        for (const bool start : {false, true}) {
            bool yes = start, error = start;
            EXPECT_EQ((tree.*canDo)(a, b, yes, error), kNoErr);
            answers[start] = std::to_string(yes) + " " + std::to_string(error);
        }
        EXPECT_EQ(answers[0], answers[1]) << "an answer left as it was";
        return answers[0];
    }
};

TEST_F(CTreeOperations, AttachDetachAndMoveDaughters) {
    build("S(NP VP(V))");
    const int32_t loose = build("D");
    // A root leaves the root list; an inner node is detached first; onto a leaf it becomes
    // the only daughter; to its own mother it moves to the end.
    gives("S(NP VP(D V))", [&] { return tree.attachDaughterToLeft(loose, node("VP")); });
    gives("S(VP(D V NP))", [&] { return tree.attachDaughterToRight(node("NP"), node("VP")); });
    gives("S(VP(V(D) NP))", [&] { return tree.attachDaughterToRight(node("D"), node("V")); });
    gives("S(VP(NP V(D)))", [&] { return tree.attachDaughterToRight(node("V"), node("VP")); });
    EXPECT_EQ(reports(), RReports{});

    // Detaching makes a tree one row below where the node was drawn; a clone stays as a leaf
    // and its copy, one row lower again, takes the daughters.
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
        gives(clone ? "NP(D N) | S(NP VP(V))" : "NP(D N) | S(VP(V))", run);
        EXPECT_EQ(made != np, clone);
        EXPECT_EQ(cell(node("D"), kAttrMother), made);
        EXPECT_EQ(row(made, {kAttrMother, kAttrNextSister, kAttrWhereIsTree, kAttrAbsoluteH,
                             kAttrAbsoluteV, kAttrDirty}),
                  clone ? "0 0 2 40 90 1" : "0 0 2 40 80 1");
    }
    refusedBy("detach", [&] { return tree.detach(node("S")); }); // a root

    // The target's daughters are killed and the others move over in order, across trees too.
    ASSERT_EQ(tree.createTree(true), kNoErr);
    build("S(NP(D N) VP(V(X Y)))");
    const int32_t x = node("X");
    gives("S(NP VP(V(D N)))", [&] { return tree.moveDaughters(node("NP"), node("V")); });
    EXPECT_EQ(cell(x, kAttrType), kRecordUnused);
    build("T(A B)");
    gives("T | S(NP(A B) VP(V(D N)))", [&] { return tree.moveDaughters(node("T"), node("NP")); });
}

TEST_F(CTreeOperations, NoOperationLinksANodeBelowItself) {
    const int32_t s = build("S(NP(D N) VP(V))");
    const int32_t np = node("NP"), vp = node("VP");
    refusedBy("attachDaughterToLeft", [&] { return tree.attachDaughterToLeft(s, node("D")); });
    refusedBy("attachDaughterToRight", [&] { return tree.attachDaughterToRight(np, np); });
    refusedBy("substitute", [&] { return tree.substitute(s, node("V")); });
    refusedBy("substitute", [&] { return tree.substitute(s, s); });
    // Into its own subtree, out of a subtree that is about to be killed, or onto itself.
    const std::pair<int32_t, int32_t> moves[] = {{s, np}, {np, s}, {vp, vp}};
    for (const auto& [from, to] : moves)
        refusedBy("moveDaughters", [&] { return tree.moveDaughters(from, to); });
    // An auxiliary tree adjoined inside itself, and one whose root is not first.
    step([&] { return tree.setFootNode(s, node("N")); });
    refusedBy("tagAdjoin", [&] { return tree.tagAdjoin(s, node("V")); });
    build("T(U)");
    refusedBy("tagAdjoin", [&] { return tree.tagAdjoin(np, node("U")); });
    EXPECT_EQ(describeRootList(tree), "T(U) | S(NP(D N) VP(V))");
}

TEST_F(CTreeOperations, SubstituteTagAdjoinAndCopySubtree) {
    const int32_t s = build("S(NP VP(V NP2 PP))");
    const int32_t dp = build("DP(D N)");
    const DatabaseState before = captureState(tree);
    // A first argument that is not a root: nothing happens, no error.
    step([&] { return tree.substitute(node("D"), node("V")); });
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    // Same mother, same place between the sisters or leftmost; the replaced node dies. A root
    // for a root: the second tree is killed, the first stays a tree of its own.
    const int32_t np2 = node("NP2"), np = node("NP"), v = node("V");
    const int32_t e = build("E");
    const int32_t t = build("T(U)");
    gives("T(U) | E | S(NP VP(V DP(D N) PP))", [&] { return tree.substitute(dp, np2); });
    gives("T(U) | S(E VP(V DP(D N) PP))", [&] { return tree.substitute(e, np); });
    gives("T(U)", [&] { return tree.substitute(t, s); });
    for (const int32_t dead : {np2, np, v})
        EXPECT_EQ(cell(dead, kAttrType), kRecordUnused);

    const int32_t site = build("S(NP VP(V) PP)");
    const int32_t aux = build("VPa(VPf Adv)");
    const int32_t vp = node("VP"), adv = node("Adv"), foot = node("VPf");
    step([&] { return tree.setFootNode(aux, foot); });
    // A root site is still allowed; not a root, the same tree or no foot node are not.
    const int32_t rows[][3] = {{aux, vp, 1},  {aux, site, 1}, {adv, vp, 0},
                               {aux, adv, 0}, {aux, aux, 0},  {site, aux, 0}};
    for (const auto& [first, second, yes] : rows)
        EXPECT_EQ(q(&CTree::canTagAdjoin, first, second), yes) << first << " " << second;
    // At a root site nothing changes but both trees are marked for layout, also by undo.
    poke(site, kAttrDirty, 0);
    poke(aux, kAttrDirty, 0);
    const DatabaseState clean = captureState(tree);
    step([&] { return tree.tagAdjoin(aux, site); });
    EXPECT_EQ(cell(site, kAttrDirty) + cell(aux, kAttrDirty), 2);
    poke(site, kAttrDirty, 0);
    poke(aux, kAttrDirty, 0);
    EXPECT_TRUE(sameStateAllowingGrowth(clean, captureState(tree)));
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cell(site, kAttrDirty) + cell(aux, kAttrDirty), 2);
    gives("S(NP VPa(VP(V) Adv) PP) | T(U)", [&] { return tree.tagAdjoin(aux, vp); });
    EXPECT_EQ(cell(foot, kAttrType), kRecordUnused);
    EXPECT_EQ(cell(aux, kAttrFootNode), 0);

    // A deep copy takes the second node's place and leaves the original; over a root the copy
    // becomes a tree of its own.
    ASSERT_EQ(tree.createTree(true), kNoErr);
    platform.recorder.clear();
    build("S(NP(D N) VP(V X))");
    ASSERT_EQ(tree.setSelectedValue(node("NP"), 1), kNoErr);
    gives("S(NP(D N) VP(V NP(D N)))", [&] { return tree.copySubtree(node("NP"), node("X")); });
    const int32_t copy = q(&CTree::getRightmostDaughter, node("VP"));
    EXPECT_NE(copy, node("NP"));
    EXPECT_EQ(cell(copy, kAttrSelected), 0);
    EXPECT_EQ(cell(node("NP"), kAttrSelected), 1);
    EXPECT_EQ(cell(node("D"), kAttrMother), node("NP"));
    const int32_t lone = build("T");
    gives("VP(V NP(D N)) | S(NP(D N) VP(V NP(D N)))",
          [&] { return tree.copySubtree(node("VP"), lone); });
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeOperations, CloneForAdjunctionSplitsTheSite) {
    const int32_t s = build("S(NP VP(V) PP)");
    int32_t copy = 0;
    gives("S(NP VP(VP(V)) PP)", [&] { return tree.cloneForAdjunction(node("VP"), copy); });
    EXPECT_EQ(cell(copy, kAttrLeftmostDaughter), node("VP"));
    EXPECT_EQ(cell(node("VP"), kAttrNextSister), 0);
    // At a root the copy takes the root's place in the root list, with the root's information.
    build("T(U)");
    const CRString word("walks", 1);
    step([&] {
        return firstError(
            {tree.setWhereIsTree(s, kTreeOnWorkArea), tree.setCitationForm(s, &word)});
    });
    gives("T(U) | S(S(NP VP(VP(V)) PP))", [&] { return tree.cloneForAdjunction(s, copy); });
    EXPECT_EQ(cell(copy, kAttrWhereIsTree), kTreeOnWorkArea);
    EXPECT_EQ(text(copy, kAttrCitationForm), "walks");
}

TEST_F(CTreeOperations, CategorialLabelsParseApplyAndCompose) {
    // label, then left|right|direction|error
    const char* const rows[][2] = {
        {"S\\NP", "S|NP|\\|0"},
        {"(S\\NP)/NP", "S\\NP|NP|/|0"},
        {"((S\\NP)/NP)/PP", "(S\\NP)/NP|PP|/|0"},
        {"NP/(N/N)", "NP|N/N|/|0"},
        {"NP", "NP|||0"},
        {"(NP)", "NP|||0"},
        {"", "|||0"},
        {"S/NP/NP", "S|NPNP|/|1"},
        {"(S/NP", "S/NP|||1"},
        {"S/NP)", "S|NP|/|1"},
        {"S)/(NP", "S|NP|/|1"},
    };
    for (const auto& [label, expected] : rows) {
        std::unique_ptr<CRString> left, right;
        int32_t direction = -1;
        bool error = expected[std::strlen(expected) - 1] == '0';
        CTree::parseCategorialLabel(CRString(label, 1), left, right, direction, error);
        EXPECT_EQ(str(left.get()) + "|" + str(right.get()) + "|" +
                      (direction ? std::string(1, static_cast<char>(direction)) : "") + "|" +
                      std::to_string(error),
                  expected)
            << label;
    }

    const int32_t np = build("NP"), slash = build("S/NP"), backslash = build("S\\NP");
    poke(np, kAttrRelativeH, 15);
    poke(np, kAttrRelativeV, 25);
    EXPECT_EQ(can(&CTree::canApply, slash, np), "1 0");
    EXPECT_EQ(can(&CTree::canApply, np, slash), "1 0"); // either order
    EXPECT_EQ(can(&CTree::canApply, slash, backslash), "0 0");
    EXPECT_EQ(combined(false, slash, np), "S(NP S/NP)");
    const int32_t made = q(&CTree::getFirstRoot);
    EXPECT_EQ(row(made, {kAttrWhereIsTree, kAttrAbsoluteH, kAttrAbsoluteV, kAttrMother}),
              "2 15 25 0");
    EXPECT_EQ(combined(false, backslash, build("NP")), "S(S\\NP NP)");
    // The second rule: the second node is the functor.
    const int32_t np3 = build("NP");
    EXPECT_EQ(combined(false, np3, build("S/NP")), "S(NP S/NP)");
    const int32_t first = build("S/NP"), second = build("NP/N");
    EXPECT_EQ(can(&CTree::canCompose, first, second), "1 0");
    EXPECT_EQ(combined(true, first, second), "S/N(S/NP NP/N)");
    // The other way round: left1 = right2, the second node leads.
    const int32_t one = build("NP\\N");
    EXPECT_EQ(combined(true, one, build("S/NP")), "S/N(S/NP NP\\N)");
    // A label without a slash contributes no slash.
    const int32_t bare = build("N");
    EXPECT_EQ(combined(true, bare, build("NP/N")), "NP/(NP/N N)");
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeOperations, CombiningWithoutARuleMakesNothing) {
    const int32_t a = build("S/NP"), b = build("VP"), broken = build("S/NP/NP");
    const DatabaseState before = captureState(tree);
    int32_t applied = -1, composed = -1;
    step([&] { return firstError({tree.apply(a, b, applied), tree.compose(a, b, composed)}); });
    EXPECT_EQ(applied + composed, 0);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    // Labels compare exactly, letter case included; a broken label raises the error flag.
    const int32_t lower = build("np");
    EXPECT_EQ(can(&CTree::canApply, a, lower), "0 0");
    EXPECT_EQ(can(&CTree::canApply, broken, lower).back(), '1');
    EXPECT_EQ(can(&CTree::canCompose, lower, broken).back(), '1');
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
    const auto values = [&](int32_t n) {
        return text(n, number) + "|" + text(n, person) + "|" + text(n, gender);
    };
    // number: "sg" / "0" (unset); person: "" / "3"; gender: "f" / "m", then unset, then equal.
    setValue(a, number, "sg");
    setValue(b, number, "0");
    setValue(b, person, "3");
    setValue(a, gender, "f");
    const std::pair<const char*, bool> genders[] = {{"m", false}, {"0", true}, {"f", true}};
    for (const auto& [value, yes] : genders) {
        setValue(b, gender, value);
        EXPECT_EQ(q<bool>(&CTree::canUnify, a, b), yes) << value;
    }
    // "0" was unset; a set value is kept although the first has none; the first never changes.
    undoable([&] { return tree.unify(a, b); });
    EXPECT_EQ(values(b) + " " + values(a), "sg|3|f sg||f");
    // An unset value is replaced by an unset one as well: "0" by "".
    setValue(b, person, "0");
    undoable([&] { return tree.unify(a, b); });
    EXPECT_EQ(cell(b, person), 0);

    setValue(b, number, "pl");
    undoable([&] { return tree.copyFeatures(b, a); });
    EXPECT_EQ(values(a) + " " + std::to_string(cell(a, person)), "pl||f 0");
    // Only string cells take strings.
    refusedBy("attributeAssignment",
              [&] { return tree.attributeAssignment(a, kAttrMother, nullptr); });
}

TEST_F(CTreeOperations, LabelsCategoriesProjectionsAndIndices) {
    const int32_t root = build("R(A)");
    const int32_t a = node("A");
    const CRString vp("VP", 1);
    marksForLayout(root, [&] { return tree.setNodeLabel(a, vp); });
    undoable([&] { return tree.setNodeLabel(a, vp); });
    EXPECT_EQ(text(a), "VP");

    poke(root, kAttrDirty, 0);
    undoable([&] {
        return firstError({tree.setNodeCategory(a, kV), tree.setNodeProjection(a, 1)});
    });
    EXPECT_EQ(row(a, {kAttrCategory, kAttrProjection}) + " " + row(root, {kAttrDirty}), "4 1 0");
    refusedBy("setNodeCategory", [&] { return tree.setNodeCategory(a, a); });
    for (const int32_t wrong : {3, -2})
        refusedBy("setNodeProjection", [&] { return tree.setNodeProjection(a, wrong); });

    marksForLayout(root, [&] { return tree.autoNodeLabel(a); });
    undoable([&] { return tree.autoNodeLabel(a); });
    EXPECT_EQ(text(a), "V'");
    undoable([&] { return firstError({tree.setNodeProjection(a, -1), tree.autoNodeLabel(a)}); });
    EXPECT_EQ(text(a), "X");

    platform.recorder.clear();
    // category, projection and the label made ("!" after a refusal); a node is no category.
    const std::tuple<int32_t, int32_t, const char*> rows[] = {
        {kN, 0, "N"}, {kN, 1, "N'"},  {kN, 2, "NP"},    {0, -1, "X"},
        {a, -1, "X"}, {kN, -1, "N!"}, {0, 2, "<null>!"}};
    for (const auto& [category, projection, expected] : rows) {
        std::unique_ptr<CRString> made;
        const RErr err = tree.makeNodeLabel(category, projection, made);
        EXPECT_EQ(str(made.get()) + (err == kErrInvalidParameter ? "!" : err ? "?" : ""), expected);
    }
    EXPECT_EQ(reports(), RReports(2, "CTree::makeNodeLabel (invalid parameter)"));

    // Indices run from i through z, then from a; undo gives the same letter again.
    std::string letters;
    for (int32_t i = 0; i < 20; ++i) {
        std::unique_ptr<CRString> index;
        undoable([&] { return tree.newIndex(index); });
        letters += index->str();
    }
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    std::unique_ptr<CRString> again;
    step([&] { return tree.newIndex(again); });
    EXPECT_EQ(letters + again->str(), "ijklmnopqrstuvwxyzabb");
}

} // namespace
