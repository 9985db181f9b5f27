#include "CallTable.h"

#include <cstring>
#include <memory>
#include <tuple>

namespace {

constexpr int32_t kN = 3; // standard categories: X 2, N 3, V 4, A 5, P 6

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
        // The new tree sits one row below the node; a clone's copy one row lower again.
        {"S(NP(D N) VP(V)); .poke NP relH 40; .poke NP relV 60",
         "detach NP ? whereIsTree NP; cell NP absH; cell NP absV; cell NP dirty",
         "NP(D N) | S(VP(V)) =2 40 80 1"},
        {"S(NP(D N) VP(V)); .poke NP relH 40; .poke NP relV 60",
         "detachClone NP ? whereIsTree 13; cell 13 absH; cell 13 absV; cell 13 dirty",
         "NP(D N) | S(NP VP(V)) =2 40 90 1"},
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
        {aux, "tagAdjoin VPa VP ? cell VPa footNode", "S(NP VPa(VP(V) Adv) PP) =0"},
        {aux, "tagAdjoin VPa S", "VPa(VPf Adv) | S(NP VP(V) PP)"},
        // The site splits; at a root the copy takes the root's place in the root list.
        {"S(NP VP(V) PP)", "cloneForAdjunction VP", "S(NP VP(VP(V)) PP)"},
        {"S(NP VP(V) PP); T(U); .setWhereIsTree S 2; .setCitation S 'walks",
         "cloneForAdjunction S ? whereIsTree 14; citation 14", "T(U) | S(S(NP VP(V) PP)) =2 walks"},
        // A deep copy takes the second node's place; over a root it makes a tree of its own.
        {"S(NP(D N) VP(V X)); .setSelected NP 1",
         "copySubtree NP X ? cell 13 selected; cell NP selected; mother D",
         "S(NP(D N) VP(V NP(D N))) =0 1 NP"},
        {"S(NP(D N) VP(V X)); T", "copySubtree VP T", "VP(V X) | S(NP(D N) VP(V X))"},
        // Slashes combine in either order (the second rule makes the second node the functor);
        // a label without a slash contributes none; without a rule nothing is made.
        // The new tree sits where the first node was, on the work area.
        {"NP; S/NP; .poke NP relH 15; .poke NP relV 25",
         "apply S/NP NP ? whereIsTree 9; cell 9 absH; cell 9 absV; cell 9 mother",
         "S(NP S/NP) =2 15 25 0"},
        {"S/NP; NP", "apply NP S/NP", "S(NP S/NP)"},
        {"S\\NP; NP", "apply S\\NP NP", "S(S\\NP NP)"},
        {"S/NP; NP/N", "compose S/NP NP/N", "S/N(S/NP NP/N)"},
        {"NP\\N; S/NP", "compose NP\\N S/NP", "S/N(S/NP NP\\N)"},
        {"N; NP/N", "compose N NP/N", "NP/(NP/N N)"},
        // Labels compare exactly, letter case included; a broken label raises the error flag.
        {"NP; S/NP; S\\NP; np; S/NP/NP; NP/N",
         "canApply S/NP NP; canApply NP S/NP; canApply S/NP S\\NP; canApply S/NP np; "
         "canCompose S/NP NP/N; canApply S/NP/NP np; canCompose np S/NP/NP",
         "=1,0 1,0 0,0 0,0 1,0 0,1 0,1"},
        {"S/NP; VP", "apply S/NP VP", "VP | S/NP"},
        {"S/NP; VP", "compose S/NP VP", "VP | S/NP"},
    });
}

TEST_F(ModelFixture, DetachingAndAdjoiningMarkTheTreesForLayout) {
    const int32_t s = build("S(NP(D N) VP(V))");
    int32_t copy = 0;
    marksForLayout({s}, [&] { return tree.detach(node("NP")); });
    marksForLayout({s}, [&] { return tree.detachClone(node("VP"), copy); });
    EXPECT_EQ(cell(node("NP"), kAttrDirty) + cell(node("VP"), kAttrDirty), 0);
    // At a root site nothing changes but both trees are marked, also by undo.
    const int32_t aux = build("VPa(VPf Adv)");
    step([&] { return tree.setFootNode(aux, node("VPf")); });
    marksForLayout({s, aux}, [&] { return tree.tagAdjoin(aux, s); });
}

TEST(CTree, CategorialLabelsParse) {
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
}

TEST(CTreeCalls, FeaturesUnifyOnlyWhereTheSecondIsUnsetAndLabelsFollowCategories) {
    // Slots 52 to 54: number "sg" / "0" (unset), person "" / "3", gender "f" / set by the row.
    const std::string features = "R(A B); .newName 4; .newName 4; .newName 4; .assign A 52 'sg; "
                                 ".assign B 52 '0; .assign B 53 '3; .assign A 54 'f; ";
    const auto with = [&](const char* more) { return features + more; };
    const char* const values = "text B 52; text B 53; text B 54; text A 52; text A 53; text A 54";
    const std::string unify = std::string("unify A B ? ") + values;
    expectCalls({
        {with(".assign B 54 'm").c_str(), "canUnify A B", "=0"},
        {with(".assign B 54 '0").c_str(), "canUnify A B", "=1"},
        {with(".assign B 54 'f").c_str(), "canUnify A B", "=1"},
        // "0" was unset; a set value is kept although the first has none; the first never
        // changes; an unset value is replaced by an unset one as well: "0" by "".
        {with(".assign B 54 '0").c_str(), unify.c_str(), "R(A B) =sg 3 f sg - f"},
        {with(".assign B 53 '0").c_str(), "unify A B ? cell B 53", "R(A B) =0"},
        {"R(A B); .newName 4; .newName 4; .assign A 52 'sg; .assign B 52 'pl; .assign A 53 '3",
         "copyFeatures B A ? text A 52; text A 53; cell A 53", "R(A B) =pl - 0"},
        // Only string cells take strings.
        {"R(A)", "assign A mother", "!attributeAssignment"},
        {"R(A)", "setLabel A 'VP", "R(VP)"},
        // Neither category nor projection marks the tree for layout.
        {"R(A); .poke R dirty 0",
         "setCategory A 4; setProjection A 1 ? cell A category; cell A projection; cell R dirty",
         "R(A) =4 1 0"},
        {"R(A)", "setCategory A A", "!setNodeCategory"},
        {"R(A)", "setProjection A 3", "!setNodeProjection"},
        {"R(A)", "setProjection A -2", "!setNodeProjection"},
        {"R(A); .setCategory A 4; .setProjection A 1", "autoLabel A", "R(V')"},
        {"R(A); .setCategory A 4; .setProjection A -1", "autoLabel A", "R(X)"},
    });
}

TEST_F(ModelFixture, LabelsMarkTheTreeAndIndicesRunOn) {
    const int32_t root = build("R(A)");
    const int32_t a = node("A");
    const CRString vp("VP", 1);
    marksForLayout({root}, [&] { return tree.setNodeLabel(a, vp); });
    marksForLayout({root}, [&] { return tree.autoNodeLabel(a); });
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
        expectStepUndoesAndRedoes(tree, [&] { return tree.newIndex(index); });
        letters += index->str();
    }
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    std::unique_ptr<CRString> again;
    step([&] { return tree.newIndex(again); });
    EXPECT_EQ(letters + again->str(), "ijklmnopqrstuvwxyzabb");
}

} // namespace
