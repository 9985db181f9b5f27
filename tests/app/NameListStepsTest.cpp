#include "app/NameListSteps.h"

#include "base/ErrorCodes.h"
#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/RecordingUserInterface.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"
#include "support/TreeTestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Tasks = std::vector<std::pair<int32_t, int32_t>>;

// A standard grammar (X N V A P) with one word of category N whose leaf is a V, and the
// user-interface tasks recorded.
class NameListStepsTest : public ::testing::Test {
protected:
    NameListStepsTest() {
        EXPECT_EQ(tree.createTree(true), kNoErr);
        tree.script()->middleInterface().installCRamexApp(&ui);
        EXPECT_EQ(inStep(tree, kLabelNewTree,
                         [&] {
                             RErr err = tree.newRoot(word);
                             if (!err)
                                 err = tree.newDaughterToLeft(word, leaf);
                             if (!err)
                                 err = tree.setWordCategory(word, category("N"));
                             if (!err)
                                 err = tree.setNodeCategory(leaf, category("V"));
                             return err;
                         }),
                  kNoErr);
        ui.clear();
    }

    int32_t category(const std::string& name) {
        int32_t record = 0;
        tree.convertCategoryLabelToIndex(CRString(name, 1), record);
        return record;
    }

    std::vector<std::string> names(const RNameListKind& kind) {
        std::vector<int32_t> array;
        EXPECT_EQ(NameListSteps::sortedRecords(tree, kind, array), kNoErr);
        std::vector<std::string> out;
        for (std::size_t i = 1; i < array.size(); ++i)
            out.push_back(NameListSteps::nameOf(tree, array[i]));
        return out;
    }

    Tasks tasks() {
        Tasks out;
        for (const auto& request : ui.requestsOfKind(RecordingUserInterface::Kind::UndoTask))
            out.emplace_back(request.first, request.second);
        ui.clear();
        return out;
    }

    RecordingPlatformScope platform;
    RecordingUserInterface ui;
    CTree tree;
    int32_t word = 0;
    int32_t leaf = 0;
};

} // namespace

TEST_F(NameListStepsTest, NewNameIsOneStepWhoseUndoAndRedoRestoreTheWholeDatabase) {
    const DatabaseState before = captureState(tree);
    int32_t record = 0;
    ASSERT_EQ(NameListSteps::addName(tree, categoriesList(), record), kNoErr);
    EXPECT_EQ(names(categoriesList()), (std::vector<std::string>{"A", "N", "P", "V", "X", "X0"}));
    EXPECT_EQ(NameListSteps::nameOf(tree, record), "X0");
    // Rebuild, select the new name, show the window.
    EXPECT_EQ(tasks(), (Tasks{{2, 0}, {7, record}, {11, 0}}));
    int32_t label = 0;
    tree.undoStructure().currentUndoLabel(label);
    EXPECT_EQ(label, kLabelNewCategory);
    const DatabaseState after = captureState(tree);

    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    // Undone in reverse: the selection goes back to the first name (0).
    EXPECT_EQ(tasks(), (Tasks{{11, 0}, {7, 0}, {2, 0}}));
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(after, captureState(tree)));
    EXPECT_EQ(tasks(), (Tasks{{2, 0}, {7, record}, {11, 0}}));

    // A feature the same way, under its own label and tasks.
    ASSERT_EQ(NameListSteps::addName(tree, featuresList(), record), kNoErr);
    EXPECT_EQ(names(featuresList()), (std::vector<std::string>{"Feature 0"}));
    EXPECT_EQ(tasks(), (Tasks{{3, 0}, {8, record}, {12, 0}}));
    tree.undoStructure().currentUndoLabel(label);
    EXPECT_EQ(label, kLabelNewFeature);
    EXPECT_TRUE(stringsAreConsistent(tree));
}

TEST_F(NameListStepsTest, ACategoryInUseOrTheBlessedOneIsNotRemoved) {
    const std::size_t steps = tree.undoStructure().stepCount();
    bool refused = false;
    // N only as the word's category, V only as a node's category.
    for (const char* name : {"N", "V"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(NameListSteps::removeName(tree, categoriesList(), category(name), refused),
                  kNoErr);
        EXPECT_TRUE(refused);
    }
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);
    EXPECT_TRUE(tasks().empty());

    int32_t blessed = 0;
    tree.getBlessedCategory(blessed);
    EXPECT_EQ(blessed, category("X"));
    EXPECT_FALSE(NameListSteps::canRemove(tree, categoriesList(), blessed));
    EXPECT_FALSE(NameListSteps::canRemove(tree, categoriesList(), 0));
    EXPECT_TRUE(NameListSteps::canRemove(tree, categoriesList(), category("A")));
    EXPECT_EQ(NameListSteps::removeName(tree, categoriesList(), blessed, refused),
              kErrInvalidParameter);
    EXPECT_FALSE(refused);
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);

    // An unused one goes, in one step that undo and redo reverse exactly.
    const DatabaseState before = captureState(tree);
    const int32_t a = category("A");
    ASSERT_EQ(NameListSteps::removeName(tree, categoriesList(), a, refused), kNoErr);
    EXPECT_FALSE(refused);
    EXPECT_EQ(names(categoriesList()), (std::vector<std::string>{"N", "P", "V", "X"}));
    EXPECT_EQ(tasks(), (Tasks{{2, 0}, {7, 0}, {11, 0}}));
    const DatabaseState after = captureState(tree);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(names(categoriesList()), (std::vector<std::string>{"A", "N", "P", "V", "X"}));
    // Undoing selects the name that came back.
    EXPECT_EQ(tasks(), (Tasks{{11, 0}, {7, a}, {2, 0}}));
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(after, captureState(tree)));
}

TEST_F(NameListStepsTest, RemovingAFeatureClearsItsValuesAndUndoBringsThemBack) {
    int32_t feature = 0;
    ASSERT_EQ(NameListSteps::addName(tree, featuresList(), feature), kNoErr);
    int32_t slot = 0;
    ASSERT_EQ(tree.convertToAttributeIndex(feature, slot), kNoErr);
    ASSERT_EQ(inStep(tree, kLabelChangeAttribute,
                     [&] {
                         const CRString sg("sg", 1);
                         const CRString pl("pl", 1);
                         RErr err = tree.attributeAssignment(word, slot, &sg);
                         if (!err)
                             err = tree.attributeAssignment(leaf, slot, &pl);
                         return err;
                     }),
              kNoErr);
    ui.clear();
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(before.texts.at({leaf, slot}), "pl");

    bool refused = false;
    ASSERT_EQ(NameListSteps::removeName(tree, featuresList(), feature, refused), kNoErr);
    EXPECT_FALSE(refused);
    const DatabaseState after = captureState(tree);
    EXPECT_EQ(after.cell(word, slot), 0);
    EXPECT_EQ(after.cell(leaf, slot), 0);
    EXPECT_TRUE(names(featuresList()).empty());
    EXPECT_EQ(tasks(), (Tasks{{3, 0}, {8, 0}, {12, 0}}));
    int32_t label = 0;
    tree.undoStructure().currentUndoLabel(label);
    EXPECT_EQ(label, kLabelDeleteFeature);

    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    const CRString* value = nullptr;
    ASSERT_EQ(tree.getAuthorFeatureValue(word, feature, value), kNoErr);
    EXPECT_EQ(value->str(), "sg");
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(after, captureState(tree)));
    EXPECT_TRUE(stringsAreConsistent(tree));
}
