#include "NativeTestSupport.h"

#include "model/TreeAttributes.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kShape = "S(NP(D N) VP(V O(D2 N2)))";

} // namespace

TEST_F(NativeTest, CreatedDaughtersAreTheResultAndUndoTakesThemBack) {
    build(kShape);
    const CRString left = runUndoable("create-daughter-to-left", {node("NP")});
    EXPECT_NE(left.getNumericValue(), node("D"));
    EXPECT_EQ(run("leftmost-daughter", {node("NP")}).getNumericValue(), left.getNumericValue());
    const CRString right = runUndoable("create-daughter-to-right", {node("NP")});
    EXPECT_EQ(run("rightmost-daughter", {node("NP")}).getNumericValue(), right.getNumericValue());
    EXPECT_EQ(run("how-many-daughters", {node("NP")}).str(), "4");
}

TEST_F(NativeTest, AttachingMovesARootBelowAMotherAndRefusesACycle) {
    build(kShape);
    build("R");
    build("R2");
    EXPECT_EQ(runUndoable("attach-daughter-to-left", {node("R"), node("NP")}).str(), "1");
    EXPECT_EQ(run("leftmost-daughter", {node("NP")}).getNumericValue(), node("R"));
    EXPECT_EQ(runUndoable("attach-daughter-to-right", {node("R2"), node("VP")}).str(), "1");
    EXPECT_EQ(run("rightmost-daughter", {node("VP")}).getNumericValue(), node("R2"));
    EXPECT_TRUE(bugReports().empty());

    // A failed operation is not a success: the answer is 0 and nothing changes.
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(run("attach-daughter-to-left", {node("S"), node("N")}).str(), "0");
    EXPECT_NE(lastErr, kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_TRUE(databaseIsSound(tree));
}

TEST_F(NativeTest, DetachMakesANewTreeAndLeavesARootAsItIs) {
    build(kShape);
    EXPECT_EQ(runUndoable("detach", {node("NP")}).str(), "1");
    EXPECT_EQ(run("is-root-node", {node("NP")}).str(), "1");
    EXPECT_EQ(run("how-many-root-nodes").str(), "2");
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(run("detach", {node("S")}).str(), "1");
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_TRUE(bugReports().empty());
}

TEST_F(NativeTest, ClonesAreTheResultOfDetachCloneAndCloneForAdjunction) {
    build(kShape);
    const int32_t copy = runUndoable("detach-clone", {node("VP")}).getNumericValue();
    EXPECT_EQ(describeTree(tree, copy), "VP(V O(D2 N2))");
    EXPECT_EQ(run("has-daughters", {node("VP")}).str(), "0");
    const int32_t site = runUndoable("clone-for-adjunction", {node("NP")}).getNumericValue();
    EXPECT_EQ(run("mother", {node("NP")}).getNumericValue(), site);
    EXPECT_EQ(run("mother", {site}).getNumericValue(), node("S"));
}

TEST_F(NativeTest, KillNodeRemovesASubtreeOrAWholeTree) {
    const int32_t root = build(kShape);
    build("R(F)");
    const CRString result = runUndoable("kill-node", {node("VP")});
    EXPECT_FALSE(result.hasValue());
    EXPECT_FALSE(tree.verifyNode(node("VP")));
    EXPECT_EQ(describeTree(tree, root), "S(NP(D N))");
    runUndoable("kill-node", {node("R")});
    EXPECT_EQ(run("how-many-root-nodes").str(), "1");
    EXPECT_TRUE(bugReports().empty());
}

TEST_F(NativeTest, MoveDaughtersCopySubtreeAndSubstituteRebuildTrees) {
    const int32_t root = build(kShape);
    build("R(F G)");
    EXPECT_EQ(runUndoable("move-daughters", {node("NP"), node("O")}).str(), "1");
    EXPECT_EQ(describeTree(tree, root), "S(NP VP(V O(D N)))");
    EXPECT_EQ(runUndoable("copy-subtree", {node("R"), node("NP")}).str(), "1");
    EXPECT_EQ(describeTree(tree, root), "S(R(F G) VP(V O(D N)))");
    EXPECT_EQ(describeTree(tree, node("R")), "R(F G)");
    EXPECT_EQ(runUndoable("substitute", {node("R"), node("V")}).str(), "1");
    EXPECT_EQ(describeTree(tree, root), "S(R(F G) VP(R(F G) O(D N)))");
    EXPECT_EQ(run("how-many-root-nodes").str(), "1");
    EXPECT_TRUE(databaseIsSound(tree));
}

TEST_F(NativeTest, SubstituteWantsARootFirst) {
    build(kShape);
    for (const bool debugging : {false, true}) {
        if (debugging)
            middle().turnOnRunTimeDebugging();
        platform.recorder.clear();
        const DatabaseState before = captureState(tree);
        EXPECT_EQ(run("substitute", {node("NP"), node("O")}).str(), "0");
        EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
        EXPECT_EQ(runTimeErrors(),
                  debugging
                      ? std::vector<std::string>{nativeErrorText("substitute", "Not a root node")}
                      : std::vector<std::string>{});
    }
}

TEST_F(NativeTest, TagAdjoinAdjoinsOnlyWhereAdjunctionIsPossible) {
    const int32_t root = build(kShape);
    const int32_t auxiliary = build("A(B A2)");
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setFootNode(auxiliary, node("A2")); }),
              kNoErr);
    build("R(F)");
    EXPECT_EQ(run("can-tag-adjoin", {node("R"), node("NP")}).str(), "0");
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(run("tag-adjoin", {node("R"), node("NP")}).str(), "0");
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));

    EXPECT_EQ(run("can-tag-adjoin", {auxiliary, node("NP")}).str(), "1");
    EXPECT_EQ(runUndoable("tag-adjoin", {auxiliary, node("NP")}).str(), "1");
    EXPECT_EQ(describeTree(tree, root), "S(A(B NP(D N)) VP(V O(D2 N2)))");
    EXPECT_TRUE(databaseIsSound(tree));
}

TEST_F(NativeTest, CategorialCombinationMakesNewRootsAndReportsBadLabels) {
    build("S/NP");
    build("NP");
    build("NP/N");
    build("A");
    build("X/Y");
    build("Y/Z");
    EXPECT_EQ(run("can-apply", {node("S/NP"), node("NP")}).str(), "1");
    EXPECT_EQ(run("can-apply", {node("A"), node("NP")}).str(), "0");
    EXPECT_EQ(run("can-compose", {node("S/NP"), node("NP/N")}).str(), "1");
    EXPECT_EQ(run("can-compose", {node("A"), node("NP")}).str(), "0");

    const int32_t applied = runUndoable("apply", {node("S/NP"), node("NP")}).getNumericValue();
    EXPECT_EQ(labelOf(applied), "S");
    EXPECT_EQ(run("is-root-node", {applied}).str(), "1");
    EXPECT_EQ(run("mother", {node("NP")}).getNumericValue(), applied);
    EXPECT_EQ(run("mother", {node("S/NP")}).getNumericValue(), applied);
    const int32_t composed = runUndoable("compose", {node("X/Y"), node("Y/Z")}).getNumericValue();
    EXPECT_EQ(describeTree(tree, composed), "X/Z(X/Y Y/Z)");
    EXPECT_EQ(run("compose", {node("NP/N"), node("A")}).str(), "0");

    // Nothing to combine: no new tree, and "apply" answers 0.
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(run("apply", {node("A"), node("NP/N")}).str(), "0");
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));

    middle().turnOnRunTimeDebugging();
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] { return tree.setNodeLabel(node("A"), CRString("S)/NP", 1)); }),
              kNoErr);
    for (const char* native : {"can-apply", "can-compose"}) {
        platform.recorder.clear();
        EXPECT_FALSE(run(native, {node("A"), node("NP")}).hasValue()) << native;
        EXPECT_EQ(runTimeErrors(),
                  std::vector<std::string>{nativeErrorText(native, "Invalid category label")});
    }
}

TEST_F(NativeTest, FeatureNativesCopyAndUnifyValues) {
    build(kShape);
    int32_t feature = 0;
    int32_t slot = 0;
    const CRString one("1", 1);
    const CRString two("2", 1);
    ASSERT_EQ(inStep(tree, kLabelNewFeature,
                     [&] {
                         RErr err = tree.newName(kRecordFeature, feature);
                         if (!err)
                             err = tree.setMainString(feature, CRString("num", 1));
                         if (!err)
                             err = tree.convertToAttributeIndex(feature, slot);
                         if (!err)
                             err = tree.attributeAssignment(node("NP"), slot, &one);
                         if (!err)
                             err = tree.attributeAssignment(node("O"), slot, &two);
                         return err;
                     }),
              kNoErr);
    EXPECT_EQ(run("can-unify", {node("NP"), node("O")}).str(), "0");
    EXPECT_EQ(run("can-unify", {node("NP"), node("V")}).str(), "1");
    EXPECT_EQ(runUndoable("unify", {node("NP"), node("V")}).str(), "1");
    EXPECT_EQ(cellText(tree, node("V"), slot), "1");
    EXPECT_EQ(runUndoable("unify", {node("NP"), node("O")}).str(), "1");
    EXPECT_EQ(cellText(tree, node("O"), slot), "2");
    EXPECT_EQ(runUndoable("copy-features", {node("NP"), node("O")}).str(), "1");
    EXPECT_EQ(cellText(tree, node("O"), slot), "1");
}

TEST_F(NativeTest, LabelsCategoriesAndProjectionsAreSetWithTheirChecks) {
    build(kShape);
    middle().turnOnRunTimeDebugging();
    EXPECT_EQ(runUndoable("set-node-label", {node("NP"), "DP"}).str(), "1");
    EXPECT_EQ(labelOf(node("NP")), "DP");

    EXPECT_FALSE(runUndoable("set-node-category", {node("NP"), "N"}).hasValue());
    EXPECT_EQ(run("category", {node("NP")}).str(), "N");
    EXPECT_EQ(runUndoable("set-node-projection", {node("NP"), 2}).str(), "1");
    EXPECT_EQ(run("projection", {node("NP")}).str(), "2");
    EXPECT_EQ(runUndoable("auto-node-label", {node("NP")}).str(), "1");
    EXPECT_EQ(labelOf(node("NP")), "NP");
    EXPECT_EQ(run("set-node-projection", {node("NP"), -1}).str(), "1");
    EXPECT_EQ(run("projection", {node("NP")}).str(), "-1");
    EXPECT_TRUE(runTimeErrors().empty());

    const DatabaseState before = captureState(tree);
    EXPECT_EQ(run("set-node-category", {node("NP"), "n"}).str(), "0");
    EXPECT_EQ(run("set-node-projection", {node("NP"), 3}).str(), "0");
    EXPECT_EQ(run("set-node-projection", {node("NP"), -2}).str(), "0");
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(runTimeErrors(), (std::vector<std::string>{
                                   nativeErrorText("set-node-category", "Invalid category"),
                                   nativeErrorText("set-node-projection", "Invalid projection"),
                                   nativeErrorText("set-node-projection", "Invalid projection")}));

    EXPECT_FALSE(run("set-node-category", {node("NP"), "NONE"}).hasValue());
    EXPECT_EQ(run("category", {node("NP")}).str(), "None");
}

TEST_F(NativeTest, OffendingNodesAreMarkedOneOrManyAndClearedUndoably) {
    build(kShape);
    int32_t value = 0;
    EXPECT_EQ(runUndoable("set-offending-node", {node("D")}).str(), "1");
    EXPECT_EQ(runUndoable("set-offending-node", {node("N")}).str(), "1");
    ASSERT_EQ(tree.getOffendingNodeValue(node("D"), value), kNoErr);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(runUndoable("set-single-offending-node", {node("V")}).str(), "1");
    ASSERT_EQ(tree.getOffendingNodeValue(node("D"), value), kNoErr);
    EXPECT_EQ(value, 0);
    ASSERT_EQ(tree.getOffendingNodeValue(node("V"), value), kNoErr);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(runUndoable("turn-off-offending-nodes").str(), "1");
    ASSERT_EQ(tree.getOffendingNodeValue(node("V"), value), kNoErr);
    EXPECT_EQ(value, 0);
}

TEST_F(NativeTest, NewIndexHandsOutLettersThatUndoGivesBack) {
    EXPECT_EQ(runUndoable("new-index").str(), "i");
    EXPECT_EQ(run("new-index").str(), "j");
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(run("new-index").str(), "j");
}
