#include "support/HierarchyTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"
#include "support/TestSupport.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string nameOf(CTree& tree, int32_t record) {
    const CRString* name = nullptr;
    EXPECT_EQ(tree.getNameString(record, name), kNoErr);
    return name ? name->str() : "<null>";
}

std::string listOf(CTree& tree, int32_t type) {
    std::string names;
    int32_t record = 0;
    EXPECT_EQ(tree.getFirstName(type, record), kNoErr);
    for (int guard = 0; record != 0 && guard < 100; ++guard) {
        names += (names.empty() ? "" : " ") + nameOf(tree, record);
        EXPECT_EQ(tree.getNextName(record, record), kNoErr);
    }
    return names;
}

int32_t slotOf(CTree& tree, int32_t feature) {
    int32_t slot = 0;
    EXPECT_EQ(tree.convertToAttributeIndex(feature, slot), kNoErr);
    return slot;
}

int32_t ownerOf(CTree& tree, int32_t slot) {
    int32_t feature = 0;
    EXPECT_EQ(tree.convertAttributeIndexToFeatureRecord(slot, feature), kNoErr);
    return feature;
}

std::string featureValue(CTree& tree, int32_t node, int32_t feature) {
    const CRString* value = nullptr;
    EXPECT_EQ(tree.getAuthorFeatureValue(node, feature, value), kNoErr);
    return value ? value->str() : "<null>";
}

RErr newNamed(CTree& tree, int32_t type, const char* text, int32_t& record) {
    RErr err = tree.newName(type, record);
    const CRString name(text, 1);
    if (!err)
        err = tree.setMainString(record, name);
    return err;
}

RErr setFeature(CTree& tree, int32_t node, int32_t feature, const char* text) {
    const CRString value(text, 1);
    return tree.stringTask(node, slotOf(tree, feature), &value);
}

class CTreeNameLists : public HierarchyFixture {
protected:
    // New names of the type, made in one step, newest last.
    std::vector<int32_t> newNames(int32_t type, const std::vector<const char*>& texts) {
        std::vector<int32_t> records(texts.size());
        EXPECT_EQ(inStep(tree, kLabelMenu,
                         [&] {
                             RErr err = kNoErr;
                             for (std::size_t i = 0; i < texts.size() && !err; ++i)
                                 err = newNamed(tree, type, texts[i], records[i]);
                             return err;
                         }),
                  kNoErr);
        return records;
    }
};

} // namespace

TEST_F(CTreeNameLists, NewGrammarListsCategoriesNewestFirstWithXBlessed) {
    EXPECT_EQ(listOf(tree, kRecordCategory), "P A V N X");
    EXPECT_EQ(listOf(tree, kRecordFeature), "");
    int32_t blessed = 0;
    ASSERT_EQ(tree.getBlessedCategory(blessed), kNoErr);
    EXPECT_EQ(nameOf(tree, blessed), "X");

    platform.recorder.clear();
    int32_t next = 99;
    EXPECT_EQ(tree.getNextName(kHeaderRecord, next), kErrInvalidParameter);
    EXPECT_EQ(next, 0);
    EXPECT_EQ(tree.getNextName(tree.recordCount() + 1, next), kErrInvalidParameter);
    const CRString* name = nullptr;
    EXPECT_EQ(tree.getNameString(0, name), kErrInvalidParameter);
    EXPECT_EQ(name, nullptr);
    int32_t first = 0;
    EXPECT_EQ(tree.getFirstName(5, first), kErrInvalidParameter);
    const auto reports = platform.recorder.bugReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front(), "CTree::getNextName (invalid parameter)");
    EXPECT_EQ(reports.back(), "CTree::getFirstName (invalid parameter)");
}

TEST_F(CTreeNameLists, NewFeatureTakesTheHighestFreeSlotAndFreedSlotsAreReused) {
    const std::vector<int32_t> made = newNames(kRecordFeature, {"case", "number", "person"});
    const int32_t f1 = made[0], f2 = made[1], f3 = made[2];
    EXPECT_EQ(slotOf(tree, f1), 52);
    EXPECT_EQ(slotOf(tree, f2), 53);
    EXPECT_EQ(slotOf(tree, f3), 54);
    EXPECT_EQ(tree.attributeCount(), 54);
    EXPECT_EQ(listOf(tree, kRecordFeature), "person number case");

    expectStepUndoesAndRedoes(tree, [&] {
        RErr err = tree.removeName(f1);
        if (!err)
            err = tree.removeName(f3);
        return err;
    });
    EXPECT_EQ(ownerOf(tree, 52), 0);
    EXPECT_EQ(ownerOf(tree, 53), f2);
    EXPECT_EQ(ownerOf(tree, 54), 0);
    EXPECT_EQ(listOf(tree, kRecordFeature), "number");

    // With 52 and 54 free and 53 owned, the highest free slot is taken first.
    int32_t f4 = 0, f5 = 0, f6 = 0;
    expectStepUndoesAndRedoes(tree, [&] { return newNamed(tree, kRecordFeature, "gender", f4); });
    EXPECT_EQ(slotOf(tree, f4), 54);
    EXPECT_EQ(ownerOf(tree, 54), f4);
    EXPECT_EQ(tree.attributeCount(), 54);
    expectStepUndoesAndRedoes(tree, [&] { return newNamed(tree, kRecordFeature, "tense", f5); });
    EXPECT_EQ(slotOf(tree, f5), 52);
    EXPECT_EQ(tree.attributeCount(), 54);
    // Only when every slot is owned does the table widen, and undo leaves it wide.
    expectStepUndoesAndRedoes(tree, [&] { return newNamed(tree, kRecordFeature, "mood", f6); });
    EXPECT_EQ(slotOf(tree, f6), 55);
    EXPECT_EQ(tree.attributeCount(), 55);
    EXPECT_EQ(listOf(tree, kRecordFeature), "mood tense gender number");
}

TEST_F(CTreeNameLists, RemovingANameUnlinksItFromAnyPlaceAndFreesItsRecord) {
    const int32_t x = categoryNamed(tree, "X"), n = categoryNamed(tree, "N"),
                  v = categoryNamed(tree, "V"), a = categoryNamed(tree, "A"),
                  p = categoryNamed(tree, "P");

    expectStepUndoesAndRedoes(tree, [&] { return tree.removeName(v); }); // from the middle
    EXPECT_EQ(listOf(tree, kRecordCategory), "P A N X");
    EXPECT_EQ(tree.tablet().cell(a, kAttrNextRoot), n);
    EXPECT_EQ(tree.tablet().cell(n, kAttrPreviousRoot), a);
    int32_t type = 0, freeHead = 0;
    tree.getRecordType(v, type);
    EXPECT_EQ(type, kRecordUnused);
    tree.getRootOfList(kHdrFirstUnusedRecord, freeHead);
    EXPECT_EQ(freeHead, v);

    expectStepUndoesAndRedoes(tree, [&] { return tree.removeName(p); }); // the head
    EXPECT_EQ(listOf(tree, kRecordCategory), "A N X");
    EXPECT_EQ(tree.tablet().cell(a, kAttrPreviousRoot), 0);

    // The tail, which is also the blessed category: nothing may go on naming its record.
    expectStepUndoesAndRedoes(tree, [&] { return tree.removeName(x); });
    EXPECT_EQ(listOf(tree, kRecordCategory), "A N");
    EXPECT_EQ(tree.tablet().cell(n, kAttrNextRoot), 0);
    int32_t blessed = -1;
    tree.getBlessedCategory(blessed);
    EXPECT_EQ(blessed, 0);

    // Stale runtime values (a first word, sort links) do not stop the removal.
    tree.tablet().setValue(a, kAttrNextWordInCategory, 3);
    tree.tablet().setValue(a, kAttrSortParent, 5);
    expectStepUndoesAndRedoes(tree, [&] { return tree.removeName(a); });
    EXPECT_EQ(listOf(tree, kRecordCategory), "N");

    // Reused records join their list cleanly.
    int32_t again = 0;
    expectStepUndoesAndRedoes(tree, [&] { return newNamed(tree, kRecordCategory, "D", again); });
    EXPECT_EQ(again, a);
    EXPECT_EQ(listOf(tree, kRecordCategory), "D N");

    platform.recorder.clear();
    int32_t root = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return tree.newRoot(root); }), kNoErr);
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.removeName(root); }),
              kErrInvalidParameter);
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.removeName(kHeaderRecord); }),
              kErrInvalidParameter);
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.removeName(v); }),
              kErrInvalidParameter); // already unused
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(platform.recorder.bugReports().back(), "CTree::removeName (invalid parameter)");
}

TEST_F(CTreeNameLists, DeallocatingAFeatureFreesOnlyItsOwnSlot) {
    const std::vector<int32_t> made = newNames(kRecordFeature, {"case", "number"});
    const int32_t f1 = made[0], f2 = made[1];
    expectStepUndoesAndRedoes(tree, [&] { return tree.deallocateAttribute(f1); });
    EXPECT_EQ(slotOf(tree, f1), 0);
    EXPECT_EQ(ownerOf(tree, 52), 0);
    EXPECT_EQ(ownerOf(tree, 53), f2);
    // Nothing left to free: no change at all.
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.deallocateAttribute(f1); }), kNoErr);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));

    // A feature that names a slot another feature owns leaves the owner alone.
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.dataTask(f1, kAttrNextSister, 53); }),
              kNoErr);
    expectStepUndoesAndRedoes(tree, [&] { return tree.deallocateAttribute(f1); });
    EXPECT_EQ(ownerOf(tree, 53), f2);
    EXPECT_EQ(slotOf(tree, f1), 0);

    platform.recorder.clear();
    int32_t x = categoryNamed(tree, "X");
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.deallocateAttribute(x); }),
              kErrInvalidParameter);
    EXPECT_EQ(platform.recorder.bugReports().back(),
              "CTree::deallocateAttribute (invalid parameter)");
}

TEST_F(CTreeNameLists, ZeroingOutAFeatureEmptiesItsValueOnEveryNodeOfEveryTree) {
    const std::vector<int32_t> features = newNames(kRecordFeature, {"case", "number"});
    const int32_t kase = features[0], number = features[1];
    const int32_t first = build("F(A B(C))"), second = build("G");
    const int32_t d1 = node("A"), d2 = node("B"), d3 = node("C");
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = kNoErr;
                         for (const int32_t n : {first, d3, second})
                             if (!err)
                                 err = setFeature(tree, n, kase, "nom");
                         if (!err)
                             err = setFeature(tree, d1, number, "sg");
                         if (!err)
                             err = setFeature(tree, d1, kase, "acc");
                         return err;
                     }),
              kNoErr);
    EXPECT_EQ(featureValue(tree, d3, kase), "nom");
    EXPECT_EQ(featureValue(tree, d2, kase), "");

    expectStepUndoesAndRedoes(tree, [&] { return tree.zeroOutAttribute(kase); });
    for (const int32_t node : {first, d1, d2, d3, second})
        EXPECT_EQ(featureValue(tree, node, kase), "") << node;
    EXPECT_EQ(featureValue(tree, d1, number), "sg");

    // Deleting a feature as the features dialog does: its slot comes back empty.
    const int32_t slot = slotOf(tree, kase);
    int32_t replacement = 0;
    expectStepUndoesAndRedoes(tree, [&] {
        RErr err = tree.removeName(kase);
        if (!err)
            err = newNamed(tree, kRecordFeature, "gender", replacement);
        return err;
    });
    EXPECT_EQ(slotOf(tree, replacement), slot);
    EXPECT_EQ(tree.attributeCount(), 53);
    EXPECT_EQ(featureValue(tree, first, replacement), "");

    platform.recorder.clear();
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.zeroOutAttribute(first); }),
              kErrInvalidParameter);
    EXPECT_EQ(platform.recorder.bugReports().back(), "CTree::zeroOutAttribute (invalid parameter)");
}

TEST_F(CTreeNameLists, ConvertsBetweenFeaturesAndTheirSlots) {
    int32_t feature = 0, node = 0;
    ASSERT_EQ(inStep(tree, kLabelNewFeature,
                     [&] {
                         RErr err = newNamed(tree, kRecordFeature, "case", feature);
                         if (!err)
                             err = tree.newRoot(node);
                         if (!err)
                             err = setFeature(tree, node, feature, "dat");
                         return err;
                     }),
              kNoErr);
    EXPECT_EQ(slotOf(tree, feature), 52);
    EXPECT_EQ(ownerOf(tree, 52), feature);
    EXPECT_EQ(featureValue(tree, node, feature), "dat");

    platform.recorder.clear();
    int32_t slot = 99, owner = 99;
    EXPECT_EQ(tree.convertToAttributeIndex(categoryNamed(tree, "N"), slot), kErrInvalidParameter);
    EXPECT_EQ(slot, 0);
    EXPECT_EQ(tree.convertToAttributeIndex(node, slot), kErrInvalidParameter);
    EXPECT_EQ(tree.convertToAttributeIndex(kHeaderRecord, slot), kErrInvalidParameter);
    EXPECT_EQ(tree.convertToAttributeIndex(0, slot), kErrInvalidParameter);
    EXPECT_EQ(platform.recorder.bugReports().back(),
              "CTree::convertToAttributeIndex (invalid parameter)");
    EXPECT_EQ(tree.convertAttributeIndexToFeatureRecord(51, owner), kErrInvalidParameter);
    EXPECT_EQ(owner, 0);
    EXPECT_EQ(tree.convertAttributeIndexToFeatureRecord(53, owner), kErrInvalidParameter);
    const CRString* value = nullptr;
    EXPECT_EQ(tree.getAuthorFeatureValue(node, node, value), kErrInvalidParameter);
    EXPECT_EQ(tree.getAuthorFeatureValue(feature, feature, value), kErrInvalidParameter);
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(platform.recorder.bugReports().back(),
              "CTree::getAuthorFeatureValue (invalid parameter)");
}

TEST_F(CTreeNameLists, CategoryLabelsConvertExactlyAndNoneMeansNoCategory) {
    int32_t head = 0;
    tree.getRootOfList(kHdrFirstCategory, head);
    EXPECT_EQ(nameOf(tree, head), "P");
    EXPECT_EQ(categoryNamed(tree, "P"), head);
    EXPECT_EQ(categoryNamed(tree, "X"), 2);
    EXPECT_EQ(categoryNamed(tree, "p"), -1);
    EXPECT_EQ(categoryNamed(tree, "Q"), -1);
    EXPECT_EQ(categoryNamed(tree, ""), -1);
    for (const char* none : {"none", "NONE", "NoNe"})
        EXPECT_EQ(categoryNamed(tree, none), 0) << none;
    EXPECT_EQ(categoryNamed(tree, "nonE "), -1);

    // The first match in list order wins, and a category called "none" still means none.
    const int32_t twin = newNames(kRecordCategory, {"N", "None"})[0];
    EXPECT_EQ(categoryNamed(tree, "N"), twin);
    EXPECT_EQ(categoryNamed(tree, "None"), 0);

    CTree empty;
    ASSERT_EQ(empty.createTree(false), kNoErr);
    platform.recorder.clear();
    int32_t category = 7;
    EXPECT_EQ(empty.convertCategoryLabelToIndex(CRString("N", 1), category), kErrInvalidParameter);
    EXPECT_EQ(category, -1);
    EXPECT_EQ(platform.recorder.bugReports(),
              std::vector<std::string>{"CTree::convertCategoryLabelToIndex (invalid parameter)"});
}

TEST_F(CTreeNameLists, ValidatesCategoriesByRangeAndType) {
    int32_t feature = 0, root = 0;
    ASSERT_EQ(inStep(tree, kLabelNewFeature,
                     [&] {
                         RErr err = tree.newName(kRecordFeature, feature);
                         if (!err)
                             err = tree.newRoot(root);
                         return err;
                     }),
              kNoErr);
    const int32_t x = categoryNamed(tree, "X");
    bool good = false;
    EXPECT_EQ(tree.validateCategory(x, good), kNoErr);
    EXPECT_TRUE(good);
    platform.recorder.clear();
    for (const int32_t bad : {-1, 0, 1, feature, root, tree.recordCount() + 1}) {
        good = true;
        EXPECT_EQ(tree.validateCategory(bad, good), kNoErr);
        EXPECT_FALSE(good) << bad;
        EXPECT_EQ(tree.validateCategoryWithError(bad), kErrInvalidParameter) << bad;
    }
    EXPECT_EQ(tree.validateCategoryWithError(x), kNoErr);
    EXPECT_EQ(platform.recorder.bugReports().back(),
              "CTree::validateCategoryWithError (invalid parameter)");
}

TEST_F(CTreeNameLists, CategoryIsInUseWhenANodeOrAWordHasIt) {
    const int32_t n = categoryNamed(tree, "N"), v = categoryNamed(tree, "V"),
                  a = categoryNamed(tree, "A");
    int32_t word = 0, daughter = 0, other = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         RErr err = tree.newRoot(other);
                         if (!err)
                             err = tree.newRoot(word);
                         if (!err)
                             err = tree.setWordCategory(word, n);
                         if (!err)
                             err = tree.newDaughterToLeft(other, daughter);
                         if (!err)
                             err = tree.dataTask(daughter, kAttrCategory, v);
                         return err;
                     }),
              kNoErr);
    bool inUse = false;
    EXPECT_EQ(tree.categoryIsInUse(n, inUse), kNoErr);
    EXPECT_TRUE(inUse); // only as a word category
    EXPECT_EQ(tree.categoryIsInUse(v, inUse), kNoErr);
    EXPECT_TRUE(inUse); // only on a daughter of an earlier tree
    EXPECT_EQ(tree.categoryIsInUse(a, inUse), kNoErr);
    EXPECT_FALSE(inUse);

    platform.recorder.clear();
    inUse = true;
    EXPECT_EQ(tree.categoryIsInUse(word, inUse), kErrInvalidParameter);
    EXPECT_FALSE(inUse);
    EXPECT_EQ(platform.recorder.bugReports().back(), "CTree::categoryIsInUse (invalid parameter)");
}

TEST_F(CTreeNameLists, SortedListsOfEveryKind) {
    const int32_t x = categoryNamed(tree, "X"), n = categoryNamed(tree, "N"),
                  v = categoryNamed(tree, "V"), a = categoryNamed(tree, "A"),
                  p = categoryNamed(tree, "P");
    std::vector<int32_t> array;
    ASSERT_EQ(tree.getSortedList(3, array), kNoErr);
    EXPECT_EQ(array, (std::vector<int32_t>{5, a, n, p, v, x}));
    ASSERT_EQ(tree.getSortedList(4, array), kNoErr);
    EXPECT_EQ(array, std::vector<int32_t>{0});
    ASSERT_EQ(tree.getSortedList(1, array), kNoErr);
    EXPECT_EQ(array, std::vector<int32_t>{0});

    int32_t run = 0, dog = 0, bark = 0, barkN = 0, mood = 0, kase = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         RErr err = kNoErr;
                         const auto word = [&](const char* form, int32_t category, int32_t& root) {
                             const CRString text(form, 1);
                             if (!err)
                                 err = tree.newRoot(root);
                             if (!err)
                                 err = tree.setCitationForm(root, &text);
                             if (!err)
                                 err = tree.setWordCategory(root, category);
                         };
                         word("run", v, run);
                         word("dog", n, dog);
                         word("bark", v, bark);
                         word("bark", n, barkN);
                         if (!err)
                             err = newNamed(tree, kRecordFeature, "mood", mood);
                         if (!err)
                             err = newNamed(tree, kRecordFeature, "case", kase);
                         return err;
                     }),
              kNoErr);
    const DatabaseState before = captureState(tree);
    ASSERT_EQ(tree.getSortedList(1, array), kNoErr);
    EXPECT_EQ(array, (std::vector<int32_t>{4, barkN, bark, dog, run}));
    ASSERT_EQ(tree.getSortedList(2, array), kNoErr);
    EXPECT_EQ(array, (std::vector<int32_t>{4, barkN, dog, bark, run}));
    ASSERT_EQ(tree.getSortedList(4, array), kNoErr);
    EXPECT_EQ(array, (std::vector<int32_t>{2, kase, mood}));
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));

    platform.recorder.clear();
    for (const int32_t kind : {0, 5, -1}) {
        array = {1, 2};
        EXPECT_EQ(tree.getSortedList(kind, array), kErrInvalidParameter);
        EXPECT_TRUE(array.empty());
    }
    EXPECT_EQ(platform.recorder.bugReports(),
              std::vector<std::string>(3, "CTree::getSortedList (invalid parameter)"));
}

TEST_F(CTreeNameLists, ArbitraryNamesFollowTheRecordTypeAndCountUndoably) {
    int32_t category = 0, second = 0, feature = 0, word = 0;
    ASSERT_EQ(inStep(tree, kLabelNewCategory,
                     [&] {
                         RErr err = tree.newName(kRecordCategory, category);
                         if (!err)
                             err = tree.newName(kRecordCategory, second);
                         if (!err)
                             err = tree.newName(kRecordFeature, feature);
                         if (!err)
                             err = tree.newRoot(word);
                         return err;
                     }),
              kNoErr);
    expectStepUndoesAndRedoes(tree, [&] { return tree.makeArbitraryName(category); });
    EXPECT_EQ(nameOf(tree, category), "X0");
    expectStepUndoesAndRedoes(tree, [&] { return tree.makeArbitraryName(second); });
    EXPECT_EQ(nameOf(tree, second), "X1");
    expectStepUndoesAndRedoes(tree, [&] { return tree.makeArbitraryName(feature); });
    EXPECT_EQ(nameOf(tree, feature), "Feature 0");
    expectStepUndoesAndRedoes(tree, [&] { return tree.makeArbitraryName(word); });
    EXPECT_EQ(nameOf(tree, word), "New Word 0");
    EXPECT_EQ(tree.tablet().cell(kHeaderRecord, kHdrCategoryNameCounter), 2);

    ASSERT_EQ(inStep(tree, kLabelDeleteCategory, [&] { return tree.removeName(second); }), kNoErr);
    platform.recorder.clear();
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.makeArbitraryName(second); }),
              kErrGeneral);
    EXPECT_EQ(inStep(tree, kLabelMenu, [&] { return tree.makeArbitraryName(0); }),
              kErrInvalidParameter);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    const auto reports = platform.recorder.bugReports();
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports.back(), "CTree::makeArbitraryName (invalid parameter)");
}

TEST_F(CTreeNameLists, WordsOfACategoryNeedACategoryAndAWord) {
    int32_t root = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return tree.newRoot(root); }), kNoErr);
    int32_t word = 99, next = 99;
    EXPECT_EQ(tree.getFirstWordInCategory(categoryNamed(tree, "N"), word), kNoErr);
    EXPECT_EQ(word, 0);
    EXPECT_EQ(tree.getNextWordInCategory(root, next), kNoErr);
    EXPECT_EQ(next, 0);

    platform.recorder.clear();
    EXPECT_EQ(tree.getFirstWordInCategory(root, word), kErrInvalidParameter);
    EXPECT_EQ(platform.recorder.bugReports().back(),
              "CTree::getFirstWordInCategory (invalid parameter)");
    EXPECT_EQ(tree.getNextWordInCategory(categoryNamed(tree, "N"), next), kErrInvalidParameter);
    EXPECT_EQ(platform.recorder.bugReports().back(),
              "CTree::getNextWordInCategory (invalid parameter)");
}
