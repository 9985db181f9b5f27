#include "ScriptSupport.h"

#include "model/TreeAttributes.h"

namespace {

constexpr const char* kShape = "S(NP(D N) VP(V O(D2 N2)))";

} // namespace

TEST_F(NativeTest, CreatedDaughtersAreTheResultAndUndoTakesThemBack) {
    build(kShape);
    const CRString left = callUndoable("create-daughter-to-left", {node("NP")});
    EXPECT_NE(left.getNumericValue(), node("D"));
    EXPECT_EQ(call("leftmost-daughter", {node("NP")}).getNumericValue(), left.getNumericValue());
    const CRString right = callUndoable("create-daughter-to-right", {node("NP")});
    EXPECT_EQ(call("rightmost-daughter", {node("NP")}).getNumericValue(), right.getNumericValue());
    EXPECT_EQ(call("how-many-daughters", {node("NP")}).str(), "4");
}

TEST_F(NativeTest, AttachingMovesARootBelowAMotherAndRefusesACycle) {
    build(kShape);
    build("R");
    build("R2");
    EXPECT_EQ(callUndoable("attach-daughter-to-left", {node("R"), node("NP")}).str(), "1");
    EXPECT_EQ(call("leftmost-daughter", {node("NP")}).getNumericValue(), node("R"));
    EXPECT_EQ(callUndoable("attach-daughter-to-right", {node("R2"), node("VP")}).str(), "1");
    EXPECT_EQ(call("rightmost-daughter", {node("VP")}).getNumericValue(), node("R2"));
    EXPECT_TRUE(bugReports().empty());

    // A failed operation is not a success: the answer is 0 and nothing changes.
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(call("attach-daughter-to-left", {node("S"), node("N")}).str(), "0");
    EXPECT_NE(lastErr, kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_TRUE(databaseIsSound(tree));
}

TEST_F(NativeTest, DetachMakesANewTreeAndLeavesARootAsItIs) {
    build(kShape);
    EXPECT_EQ(callUndoable("detach", {node("NP")}).str(), "1");
    EXPECT_EQ(call("is-root-node", {node("NP")}).str(), "1");
    EXPECT_EQ(call("how-many-root-nodes").str(), "2");
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(call("detach", {node("S")}).str(), "1");
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_TRUE(bugReports().empty());
}

TEST_F(NativeTest, ClonesAreTheResultOfDetachCloneAndCloneForAdjunction) {
    build(kShape);
    const int32_t copy = callUndoable("detach-clone", {node("VP")}).getNumericValue();
    EXPECT_EQ(describeTree(tree, copy), "VP(V O(D2 N2))");
    EXPECT_EQ(call("has-daughters", {node("VP")}).str(), "0");
    const int32_t site = callUndoable("clone-for-adjunction", {node("NP")}).getNumericValue();
    EXPECT_EQ(call("mother", {node("NP")}).getNumericValue(), site);
    EXPECT_EQ(call("mother", {site}).getNumericValue(), node("S"));
}

TEST_F(NativeTest, KillNodeRemovesASubtreeOrAWholeTree) {
    const int32_t root = build(kShape);
    build("R(F)");
    const CRString result = callUndoable("kill-node", {node("VP")});
    EXPECT_FALSE(result.hasValue());
    EXPECT_FALSE(tree.verifyNode(node("VP")));
    EXPECT_EQ(describeTree(tree, root), "S(NP(D N))");
    callUndoable("kill-node", {node("R")});
    EXPECT_EQ(call("how-many-root-nodes").str(), "1");
    EXPECT_TRUE(bugReports().empty());
}

TEST_F(NativeTest, MoveDaughtersCopySubtreeAndSubstituteRebuildTrees) {
    const int32_t root = build(kShape);
    build("R(F G)");
    EXPECT_EQ(callUndoable("move-daughters", {node("NP"), node("O")}).str(), "1");
    EXPECT_EQ(describeTree(tree, root), "S(NP VP(V O(D N)))");
    EXPECT_EQ(callUndoable("copy-subtree", {node("R"), node("NP")}).str(), "1");
    EXPECT_EQ(describeTree(tree, root), "S(R(F G) VP(V O(D N)))");
    EXPECT_EQ(describeTree(tree, node("R")), "R(F G)");
    EXPECT_EQ(callUndoable("substitute", {node("R"), node("V")}).str(), "1");
    EXPECT_EQ(describeTree(tree, root), "S(R(F G) VP(R(F G) O(D N)))");
    EXPECT_EQ(call("how-many-root-nodes").str(), "1");
    EXPECT_TRUE(databaseIsSound(tree));
}

TEST_F(NativeTest, SubstituteWantsARootFirst) {
    build(kShape);
    for (const bool debugging : {false, true}) {
        if (debugging)
            middle().turnOnRunTimeDebugging();
        platform.recorder.clear();
        const DatabaseState before = captureState(tree);
        EXPECT_EQ(call("substitute", {node("NP"), node("O")}).str(), "0");
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
    EXPECT_EQ(call("can-tag-adjoin", {node("R"), node("NP")}).str(), "0");
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(call("tag-adjoin", {node("R"), node("NP")}).str(), "0");
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));

    EXPECT_EQ(call("can-tag-adjoin", {auxiliary, node("NP")}).str(), "1");
    EXPECT_EQ(callUndoable("tag-adjoin", {auxiliary, node("NP")}).str(), "1");
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
    EXPECT_EQ(call("can-apply", {node("S/NP"), node("NP")}).str(), "1");
    EXPECT_EQ(call("can-apply", {node("A"), node("NP")}).str(), "0");
    EXPECT_EQ(call("can-compose", {node("S/NP"), node("NP/N")}).str(), "1");
    EXPECT_EQ(call("can-compose", {node("A"), node("NP")}).str(), "0");

    const int32_t applied = callUndoable("apply", {node("S/NP"), node("NP")}).getNumericValue();
    EXPECT_EQ(labelOf(applied), "S");
    EXPECT_EQ(call("is-root-node", {applied}).str(), "1");
    EXPECT_EQ(call("mother", {node("NP")}).getNumericValue(), applied);
    EXPECT_EQ(call("mother", {node("S/NP")}).getNumericValue(), applied);
    const int32_t composed = callUndoable("compose", {node("X/Y"), node("Y/Z")}).getNumericValue();
    EXPECT_EQ(describeTree(tree, composed), "X/Z(X/Y Y/Z)");
    EXPECT_EQ(call("compose", {node("NP/N"), node("A")}).str(), "0");

    // Nothing to combine: no new tree, and "apply" answers 0.
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(call("apply", {node("A"), node("NP/N")}).str(), "0");
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));

    middle().turnOnRunTimeDebugging();
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] { return tree.setNodeLabel(node("A"), CRString("S)/NP", 1)); }),
              kNoErr);
    for (const char* native : {"can-apply", "can-compose"}) {
        platform.recorder.clear();
        EXPECT_FALSE(call(native, {node("A"), node("NP")}).hasValue()) << native;
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
    EXPECT_EQ(call("can-unify", {node("NP"), node("O")}).str(), "0");
    EXPECT_EQ(call("can-unify", {node("NP"), node("V")}).str(), "1");
    EXPECT_EQ(callUndoable("unify", {node("NP"), node("V")}).str(), "1");
    EXPECT_EQ(cellText(tree, node("V"), slot), "1");
    EXPECT_EQ(callUndoable("unify", {node("NP"), node("O")}).str(), "1");
    EXPECT_EQ(cellText(tree, node("O"), slot), "2");
    EXPECT_EQ(callUndoable("copy-features", {node("NP"), node("O")}).str(), "1");
    EXPECT_EQ(cellText(tree, node("O"), slot), "1");
}

TEST_F(NativeTest, LabelsCategoriesAndProjectionsAreSetWithTheirChecks) {
    build(kShape);
    middle().turnOnRunTimeDebugging();
    EXPECT_EQ(callUndoable("set-node-label", {node("NP"), "DP"}).str(), "1");
    EXPECT_EQ(labelOf(node("NP")), "DP");

    EXPECT_FALSE(callUndoable("set-node-category", {node("NP"), "N"}).hasValue());
    EXPECT_EQ(call("category", {node("NP")}).str(), "N");
    EXPECT_EQ(callUndoable("set-node-projection", {node("NP"), 2}).str(), "1");
    EXPECT_EQ(call("projection", {node("NP")}).str(), "2");
    EXPECT_EQ(callUndoable("auto-node-label", {node("NP")}).str(), "1");
    EXPECT_EQ(labelOf(node("NP")), "NP");
    EXPECT_EQ(call("set-node-projection", {node("NP"), -1}).str(), "1");
    EXPECT_EQ(call("projection", {node("NP")}).str(), "-1");
    EXPECT_TRUE(runTimeErrors().empty());

    const DatabaseState before = captureState(tree);
    EXPECT_EQ(call("set-node-category", {node("NP"), "n"}).str(), "0");
    EXPECT_EQ(call("set-node-projection", {node("NP"), 3}).str(), "0");
    EXPECT_EQ(call("set-node-projection", {node("NP"), -2}).str(), "0");
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(runTimeErrors(), (std::vector<std::string>{
                                   nativeErrorText("set-node-category", "Invalid category"),
                                   nativeErrorText("set-node-projection", "Invalid projection"),
                                   nativeErrorText("set-node-projection", "Invalid projection")}));

    EXPECT_FALSE(call("set-node-category", {node("NP"), "NONE"}).hasValue());
    EXPECT_EQ(call("category", {node("NP")}).str(), "None");
}

TEST_F(NativeTest, OffendingNodesAreMarkedOneOrManyAndClearedUndoably) {
    build(kShape);
    int32_t value = 0;
    EXPECT_EQ(callUndoable("set-offending-node", {node("D")}).str(), "1");
    EXPECT_EQ(callUndoable("set-offending-node", {node("N")}).str(), "1");
    ASSERT_EQ(tree.getOffendingNodeValue(node("D"), value), kNoErr);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(callUndoable("set-single-offending-node", {node("V")}).str(), "1");
    ASSERT_EQ(tree.getOffendingNodeValue(node("D"), value), kNoErr);
    EXPECT_EQ(value, 0);
    ASSERT_EQ(tree.getOffendingNodeValue(node("V"), value), kNoErr);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(callUndoable("turn-off-offending-nodes").str(), "1");
    ASSERT_EQ(tree.getOffendingNodeValue(node("V"), value), kNoErr);
    EXPECT_EQ(value, 0);
}

TEST_F(NativeTest, NewIndexHandsOutLettersThatUndoGivesBack) {
    EXPECT_EQ(callUndoable("new-index").str(), "i");
    EXPECT_EQ(call("new-index").str(), "j");
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(call("new-index").str(), "j");
}
