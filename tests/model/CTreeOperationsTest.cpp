#include "CallTable.h"

#include <cstring>
#include <memory>
#include <tuple>

namespace {

constexpr int32_t kN = 3; // standard categories: X 2, N 3, V 4, A 5, P 6
constexpr int32_t kV = 4;

class CTreeOperations : public ModelFixture {
protected:
    void setValue(int32_t n, int32_t slot, const char* value) {
        const CRString text(value, 1);
        step([&] { return tree.attributeAssignment(n, slot, &text); });
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

TEST(CTreeCalls, TreeBuildingOperations) {
    const char* const clause = "S(NP(D N) VP(V))";
    const char* const aux = "S(NP VP(V) PP); VPa(VPf Adv); .setFoot VPa VPf";
    expectCalls({
        // A root leaves the root list; an inner node is detached first; onto a leaf it becomes
        // the only daughter; to its own mother it moves to the end.
        {"S(NP VP(V)); D", "attachLeft D VP", "S(NP VP(D V))"},
        {"S(NP VP(D V))", "attachRight NP VP", "S(VP(D V NP))"},
        {"S(VP(D V NP))", "attachRight D V", "S(VP(V(D) NP))"},
        {"S(VP(V(D) NP))", "attachRight V VP", "S(VP(NP V(D)))"},
        // No operation links a node below itself: into its own subtree, out of a subtree about
        // to be killed, onto itself; an auxiliary tree inside itself or whose root is not first.
        {clause, "attachLeft S D", "!attachDaughterToLeft"},
        {clause, "attachRight NP NP", "!attachDaughterToRight"},
        {clause, "substitute S V", "!substitute"},
        {clause, "substitute S S", "!substitute"},
        {clause, "moveDaughters S NP", "!moveDaughters"},
        {clause, "moveDaughters NP S", "!moveDaughters"},
        {clause, "moveDaughters VP VP", "!moveDaughters"},
        {"S(NP(D N) VP(V)); .setFoot S N", "tagAdjoin S V", "!tagAdjoin"},
        {"S(NP(D N)); .setFoot S N; T(U)", "tagAdjoin NP U", "!tagAdjoin"},
        // A detached node makes a tree; a clone stays as a leaf, its copy takes the daughters.
        {clause, "detach NP", "NP(D N) | S(VP(V))"},
        {clause, "detachClone NP", "NP(D N) | S(NP VP(V))"},
        {clause, "detach S", "!detach"},
        // The target's daughters are killed and the others move over in order, across trees too.
        {"S(NP(D N) VP(V(X Y)))", "moveDaughters NP V", "S(NP VP(V(D N)))"},
        {"S(NP VP(V(D N))); T(A B)", "moveDaughters T NP", "T | S(NP(A B) VP(V(D N)))"},
        // A tree takes the node's place, which dies; a first argument that is not a root does
        // nothing; a root for a root kills the second tree.
        {"S(NP VP(V NP2 PP)); DP(D N)", "substitute DP NP2", "S(NP VP(V DP(D N) PP))"},
        {"S(NP VP(V)); E", "substitute E NP", "S(E VP(V))"},
        {"S(NP VP(V)); DP(D N)", "substitute D V", "DP(D N) | S(NP VP(V))"},
        {"S(NP VP(V)); T(U)", "substitute T S", "T(U)"},
        // A root site is allowed; not a root, the same tree or no foot node are not.
        {aux, "canTagAdjoin VPa VP", "=1"},
        {aux, "canTagAdjoin VPa S", "=1"},
        {aux, "canTagAdjoin Adv VP", "=0"},
        {aux, "canTagAdjoin VPa Adv", "=0"},
        {aux, "canTagAdjoin VPa VPa", "=0"},
        {aux, "canTagAdjoin S VPa", "=0"},
        {aux, "tagAdjoin VPa VP", "S(NP VPa(VP(V) Adv) PP)"},
        {aux, "tagAdjoin VPa S", "VPa(VPf Adv) | S(NP VP(V) PP)"},
        // The site splits; at a root the copy takes the root's place in the root list.
        {"S(NP VP(V) PP)", "cloneForAdjunction VP", "S(NP VP(VP(V)) PP)"},
        {"S(NP VP(V) PP); T(U)", "cloneForAdjunction S", "T(U) | S(S(NP VP(V) PP))"},
        // A deep copy takes the second node's place; over a root it makes a tree of its own.
        {"S(NP(D N) VP(V X))", "copySubtree NP X", "S(NP(D N) VP(V NP(D N)))"},
        {"S(NP(D N) VP(V X)); T", "copySubtree VP T", "VP(V X) | S(NP(D N) VP(V X))"},
        // Slashes combine in either order (the second rule makes the second node the functor);
        // a label without a slash contributes none; without a rule nothing is made.
        {"NP; S/NP", "apply S/NP NP", "S(NP S/NP)"},
        {"S/NP; NP", "apply NP S/NP", "S(NP S/NP)"},
        {"S\\NP; NP", "apply S\\NP NP", "S(S\\NP NP)"},
        {"S/NP; NP/N", "compose S/NP NP/N", "S/N(S/NP NP/N)"},
        {"NP\\N; S/NP", "compose NP\\N S/NP", "S/N(S/NP NP\\N)"},
        {"N; NP/N", "compose N NP/N", "NP/(NP/N N)"},
        {"S/NP; VP", "apply S/NP VP", "VP | S/NP"},
        {"S/NP; VP", "compose S/NP VP", "VP | S/NP"},
    });
}

TEST_F(CTreeOperations, DetachPlacesTheNewTreeWhereTheNodeWasDrawn) {
    // The new tree sits one row below the node; a clone's copy one row lower again.
    for (const bool clone : {false, true}) {
        SCOPED_TRACE(clone);
        ASSERT_EQ(tree.createTree(true), kNoErr);
        const int32_t s = build("S(NP(D N) VP(V))");
        const int32_t np = node("NP");
        poke(np, kAttrRelativeH, 40);
        poke(np, kAttrRelativeV, 60);
        int32_t made = np;
        const auto run = [&] { return clone ? tree.detachClone(np, made) : tree.detach(np); };
        marksForLayout({s}, run);
        EXPECT_EQ(cell(np, kAttrDirty), 0);
        undoable(run);
        EXPECT_EQ(made != np, clone);
        EXPECT_EQ(row(made, {kAttrWhereIsTree, kAttrAbsoluteH, kAttrAbsoluteV, kAttrDirty}),
                  clone ? "2 40 90 1" : "2 40 80 1");
    }
}

TEST_F(CTreeOperations, AdjunctionMarksBothTreesAndCopiesKeepWhatBelongsToThem) {
    const int32_t s = build("S(NP VP(V) PP)");
    const int32_t aux = build("VPa(VPf Adv)");
    const int32_t foot = node("VPf");
    step([&] { return tree.setFootNode(aux, foot); });
    // At a root site nothing changes but both trees are marked for layout, also by undo.
    marksForLayout({s, aux}, [&] { return tree.tagAdjoin(aux, s); });
    undoable([&] { return tree.tagAdjoin(aux, node("VP")); });
    EXPECT_EQ(cell(aux, kAttrFootNode), 0);

    // At a root the copy made for adjunction takes the root's information.
    int32_t copy = 0;
    const CRString word("walks", 1);
    step([&] {
        return firstError(
            {tree.setWhereIsTree(s, kTreeOnWorkArea), tree.setCitationForm(s, &word)});
    });
    undoable([&] { return tree.cloneForAdjunction(s, copy); });
    EXPECT_EQ(cell(copy, kAttrWhereIsTree), kTreeOnWorkArea);
    EXPECT_EQ(text(copy, kAttrCitationForm), "walks");

    // A copied subtree is not selected, and the original keeps its selection and daughters.
    build("T(NP(D N) X)");
    ASSERT_EQ(tree.setSelectedValue(node("NP"), 1), kNoErr);
    undoable([&] { return tree.copySubtree(node("NP"), node("X")); });
    const int32_t copied = q(&CTree::getRightmostDaughter, node("T"));
    EXPECT_EQ(joined(std::vector{cell(copied, kAttrSelected), cell(node("NP"), kAttrSelected),
                                 cell(node("D"), kAttrMother)}),
              joined(std::vector{0, 1, node("NP")}));
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeOperations, CategorialLabelsParseAndCombine) {
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
    const int32_t lower = build("np"), broken = build("S/NP/NP");
    // Either order; labels compare exactly, letter case included; a broken label raises the
    // error flag.
    EXPECT_EQ(can(&CTree::canApply, slash, np) + can(&CTree::canApply, np, slash), "1 01 0");
    EXPECT_EQ(can(&CTree::canApply, slash, backslash) + can(&CTree::canApply, slash, lower),
              "0 00 0");
    EXPECT_EQ(can(&CTree::canCompose, slash, build("NP/N")), "1 0");
    EXPECT_EQ(can(&CTree::canApply, broken, lower).back(), '1');
    EXPECT_EQ(can(&CTree::canCompose, lower, broken).back(), '1');
    // The new tree sits where the first node was, on the work area.
    poke(np, kAttrRelativeH, 15);
    poke(np, kAttrRelativeV, 25);
    int32_t made = 0;
    undoable([&] { return tree.apply(slash, np, made); });
    EXPECT_EQ(row(made, {kAttrWhereIsTree, kAttrAbsoluteH, kAttrAbsoluteV, kAttrMother}),
              "2 15 25 0");
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
    marksForLayout({root}, [&] { return tree.setNodeLabel(a, vp); });
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

    marksForLayout({root}, [&] { return tree.autoNodeLabel(a); });
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
