#include "app/NameListSteps.h"
#include "AppTestSupport.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/RecordingUserInterface.h"
#include "storage/CRString.h"

namespace {

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
                             err = err ? err : tree.newDaughterToLeft(word, leaf);
                             err = err ? err : tree.setWordCategory(word, category("N"));
                             return err ? err : tree.setNodeCategory(leaf, category("V"));
                         }),
                  kNoErr);
        ui.clear();
    }
    int32_t category(const std::string& name) {
        int32_t record = 0;
        tree.convertCategoryLabelToIndex(CRString(name, 1), record);
        return record;
    }
    // The list's names in order, then the window tasks since the last look as "code:value".
    std::string names(const RNameListKind& kind) {
        std::vector<int32_t> array;
        EXPECT_EQ(NameListSteps::sortedRecords(tree, kind, array), kNoErr);
        std::string out;
        for (std::size_t i = 1; i < array.size(); ++i)
            out += NameListSteps::nameOf(tree, array[i]) + " ";
        out += "|";
        for (const auto& request : ui.requestsOfKind(RecordingUserInterface::Kind::UndoTask))
            out += " " + std::to_string(request.first) + ":" + std::to_string(request.second);
        ui.clear();
        return out;
    }
    // The step just done, under `label`, shows `done`: undone it gives back `before` and shows
    // `undone`, redone the state it made and `done` again.
    void roundTrip(const DatabaseState& before, int32_t label, const RNameListKind& kind,
                   const std::string& done, const std::string& undone) {
        int32_t current = 0;
        EXPECT_EQ(tree.undoStructure().currentUndoLabel(current), kNoErr);
        EXPECT_EQ(current, label);
        EXPECT_EQ(names(kind), done);
        const DatabaseState after = captureState(tree);
        ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
        EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
        EXPECT_EQ(names(kind), undone);
        ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
        EXPECT_TRUE(sameStateAllowingGrowth(after, captureState(tree)));
        EXPECT_EQ(names(kind), done);
        EXPECT_TRUE(stringsAreConsistent(tree));
    }

    RecordingPlatformScope platform;
    RecordingUserInterface ui;
    CTree tree;
    int32_t word = 0;
    int32_t leaf = 0;
};

} // namespace

TEST_F(NameListStepsTest, NewNameIsOneStepThatRebuildsSelectsAndShowsTheList) {
    // Rebuild, select the new name, show the window; undone in reverse, back to name 0.
    DatabaseState before = captureState(tree);
    int32_t record = 0;
    ASSERT_EQ(NameListSteps::addName(tree, categoriesList(), record), kNoErr);
    const std::string r = std::to_string(record);
    roundTrip(before, kLabelNewCategory, categoriesList(), "A N P V X X0 | 2:0 7:" + r + " 11:0",
              "A N P V X | 11:0 7:0 2:0");
    before = captureState(tree);
    ASSERT_EQ(NameListSteps::addName(tree, featuresList(), record), kNoErr);
    roundTrip(before, kLabelNewFeature, featuresList(),
              "Feature 0 | 3:0 8:" + std::to_string(record) + " 12:0", "| 12:0 8:0 3:0");
}

TEST_F(NameListStepsTest, ACategoryInUseOrTheBlessedOneIsNotRemovedAndAnUnusedOneIs) {
    const std::size_t steps = tree.undoStructure().stepCount();
    bool refused = false;
    // N only as the word's category, V only as a node's category.
    for (const char* name : {"N", "V"}) {
        EXPECT_EQ(NameListSteps::removeName(tree, categoriesList(), category(name), refused),
                  kNoErr);
        EXPECT_TRUE(refused) << name;
    }
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
    EXPECT_EQ(names(categoriesList()), "A N P V X |");
    // An unused one goes in one step; undoing selects the name that came back.
    const DatabaseState before = captureState(tree);
    const int32_t a = category("A");
    ASSERT_EQ(NameListSteps::removeName(tree, categoriesList(), a, refused), kNoErr);
    EXPECT_FALSE(refused);
    roundTrip(before, kLabelDeleteCategory, categoriesList(), "N P V X | 2:0 7:0 11:0",
              "A N P V X | 11:0 7:" + std::to_string(a) + " 2:0");
}

TEST_F(NameListStepsTest, RemovingAFeatureClearsItsValuesAndUndoBringsThemBack) {
    int32_t feature = 0;
    ASSERT_EQ(NameListSteps::addName(tree, featuresList(), feature), kNoErr);
    int32_t slot = 0;
    ASSERT_EQ(tree.convertToAttributeIndex(feature, slot), kNoErr);
    const CRString sg("sg", 1);
    const CRString pl("pl", 1);
    ASSERT_EQ(inStep(tree, kLabelChangeAttribute,
                     [&] {
                         const RErr err = tree.attributeAssignment(word, slot, &sg);
                         return err ? err : tree.attributeAssignment(leaf, slot, &pl);
                     }),
              kNoErr);
    ui.clear();
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(before.texts.at({leaf, slot}), "pl");
    bool refused = false;
    ASSERT_EQ(NameListSteps::removeName(tree, featuresList(), feature, refused), kNoErr);
    EXPECT_FALSE(refused);
    const DatabaseState after = captureState(tree);
    EXPECT_EQ(std::make_pair(after.cell(word, slot), after.cell(leaf, slot)), std::make_pair(0, 0));
    roundTrip(before, kLabelDeleteFeature, featuresList(), "| 3:0 8:0 12:0",
              "Feature 0 | 12:0 8:" + std::to_string(feature) + " 3:0");
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    const CRString* value = nullptr;
    ASSERT_EQ(tree.getAuthorFeatureValue(word, feature, value), kNoErr);
    EXPECT_EQ(value->str(), "sg");
}
