#include "ModelTestSupport.h"

#include <algorithm>

namespace {

RErr newNamed(CTree& tree, int32_t type, const char* text, int32_t& record) {
    RErr err = tree.newName(type, record);
    return err ? err : tree.setMainString(record, CRString(text, 1));
}

class CTreeNameLists : public ModelFixture {
protected:
    std::string nameOf(int32_t record) {
        const CRString* name = q<const CRString*>(&CTree::getNameString, record);
        return name ? name->str() : "<null>";
    }
    std::string listOf(int32_t type) {
        std::string names;
        for (int32_t r = q(&CTree::getFirstName, type), guard = 0; r != 0 && guard < 100; ++guard) {
            names += (names.empty() ? "" : " ") + nameOf(r);
            r = q(&CTree::getNextName, r);
        }
        return names;
    }
    int32_t slotOf(int32_t feature) { return q(&CTree::convertToAttributeIndex, feature); }
    int32_t ownerOf(int32_t slot) { return q(&CTree::convertAttributeIndexToFeatureRecord, slot); }
    std::string valueOf(int32_t n, int32_t feature) {
        const CRString* value = q<const CRString*>(&CTree::getAuthorFeatureValue, n, feature);
        return value ? value->str() : "<null>";
    }
    RErr setFeature(int32_t n, int32_t feature, const char* value) {
        const CRString text(value, 1);
        return tree.stringTask(n, slotOf(feature), &text);
    }
    // New names of the type, made in one step, newest last.
    std::vector<int32_t> newNames(int32_t type, const std::vector<const char*>& texts) {
        std::vector<int32_t> records(texts.size());
        step([&] {
            for (std::size_t i = 0; i < texts.size(); ++i)
                EXPECT_EQ(newNamed(tree, type, texts[i], records[i]), kNoErr);
        });
        return records;
    }
    int32_t category(const char* name) { return categoryNamed(tree, name); }
};

} // namespace

TEST_F(CTreeNameLists, NewGrammarListsCategoriesNewestFirstWithXBlessed) {
    EXPECT_EQ(listOf(kRecordCategory), "P A V N X");
    EXPECT_EQ(listOf(kRecordFeature), "");
    EXPECT_EQ(nameOf(q(&CTree::getBlessedCategory)), "X");
    int32_t next = 99;
    bad(tree.getNextName(kHeaderRecord, next), "CTree::getNextName");
    EXPECT_EQ(next, 0);
    bad(tree.getNextName(tree.recordCount() + 1, next), "CTree::getNextName");
    const CRString* name = nullptr;
    EXPECT_EQ(tree.getNameString(0, name), kErrInvalidParameter);
    EXPECT_EQ(name, nullptr);
    bad(tree.getFirstName(5, next), "CTree::getFirstName");
}

TEST_F(CTreeNameLists, NewFeatureTakesTheHighestFreeSlotAndFreedSlotsAreReused) {
    const std::vector<int32_t> made = newNames(kRecordFeature, {"case", "number", "person"});
    EXPECT_EQ((std::vector{slotOf(made[0]), slotOf(made[1]), slotOf(made[2])}),
              (std::vector{52, 53, 54}));
    EXPECT_EQ(listOf(kRecordFeature), "person number case");
    undoable([&] {
        EXPECT_EQ(tree.removeName(made[0]), kNoErr);
        EXPECT_EQ(tree.removeName(made[2]), kNoErr);
    });
    EXPECT_EQ((std::vector{ownerOf(52), ownerOf(53), ownerOf(54)}), (std::vector{0, made[1], 0}));
    EXPECT_EQ(listOf(kRecordFeature), "number");
    // With 52 and 54 free and 53 owned, the highest free slot is taken first; only when every
    // slot is owned does the table widen, and undo leaves it wide.
    const struct {
        const char* name;
        int32_t slot;
    } rows[] = {{"gender", 54}, {"tense", 52}, {"mood", 55}};
    for (const auto& row : rows) {
        int32_t feature = 0;
        undoable([&] { return newNamed(tree, kRecordFeature, row.name, feature); });
        EXPECT_EQ(slotOf(feature), row.slot);
        EXPECT_EQ(ownerOf(row.slot), feature);
        EXPECT_EQ(tree.attributeCount(), std::max(54, row.slot));
    }
    EXPECT_EQ(listOf(kRecordFeature), "mood tense gender number");
}

TEST_F(CTreeNameLists, RemovingANameUnlinksItFromAnyPlaceAndFreesItsRecord) {
    const int32_t x = category("X"), n = category("N"), v = category("V"), a = category("A"),
                  p = category("P");
    undoable([&] { return tree.removeName(v); }); // from the middle
    EXPECT_EQ(listOf(kRecordCategory), "P A N X");
    EXPECT_EQ(cell(a, kAttrNextRoot), n);
    EXPECT_EQ(cell(n, kAttrPreviousRoot), a);
    EXPECT_EQ(q(&CTree::getRecordType, v), kRecordUnused);
    EXPECT_EQ(q(&CTree::getRootOfList, kHdrFirstUnusedRecord), v);
    undoable([&] { return tree.removeName(p); }); // the head
    EXPECT_EQ(listOf(kRecordCategory), "A N X");
    EXPECT_EQ(cell(a, kAttrPreviousRoot), 0);
    // The tail, which is also the blessed category: nothing may go on naming its record.
    undoable([&] { return tree.removeName(x); });
    EXPECT_EQ(listOf(kRecordCategory), "A N");
    EXPECT_EQ(cell(n, kAttrNextRoot), 0);
    EXPECT_EQ(q(&CTree::getBlessedCategory), 0);
    // Stale runtime values (a first word, sort links) do not stop the removal.
    poke(a, kAttrNextWordInCategory, 3);
    poke(a, kAttrSortParent, 5);
    undoable([&] { return tree.removeName(a); });
    EXPECT_EQ(listOf(kRecordCategory), "N");
    // Reused records join their list cleanly.
    int32_t again = 0;
    undoable([&] { return newNamed(tree, kRecordCategory, "D", again); });
    EXPECT_EQ(again, a);
    EXPECT_EQ(listOf(kRecordCategory), "D N");

    int32_t root = 0;
    step([&] { return tree.newRoot(root); });
    for (const int32_t record : {root, kHeaderRecord, v}) // v is already unused
        refused([&] { return tree.removeName(record); }, "CTree::removeName (invalid parameter)");
}

TEST_F(CTreeNameLists, DeallocatingAndZeroingOutFeatures) {
    const std::vector<int32_t> made = newNames(kRecordFeature, {"case", "number"});
    const int32_t f1 = made[0], f2 = made[1];
    undoable([&] { return tree.deallocateAttribute(f1); });
    EXPECT_EQ(slotOf(f1), 0);
    EXPECT_EQ(ownerOf(52), 0);
    EXPECT_EQ(ownerOf(53), f2);
    // Nothing left to free: no change at all.
    const DatabaseState before = captureState(tree);
    step([&] { return tree.deallocateAttribute(f1); });
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    // A feature that names a slot another feature owns leaves the owner alone.
    step([&] { return tree.dataTask(f1, kAttrNextSister, 53); });
    undoable([&] { return tree.deallocateAttribute(f1); });
    EXPECT_EQ(ownerOf(53), f2);
    EXPECT_EQ(slotOf(f1), 0);
    refused([&] { return tree.deallocateAttribute(category("X")); },
            {"CTree::convertToAttributeIndex (invalid parameter)",
             "CTree::deallocateAttribute (invalid parameter)"});

    // Zeroing out empties the value on every node of every tree and nothing else.
    const int32_t kase = newNames(kRecordFeature, {"case"})[0];
    const int32_t first = build("F(A B(C))"), second = build("G");
    const int32_t d1 = node("A"), d2 = node("B"), d3 = node("C");
    step([&] {
        for (const int32_t n : {first, d3, second})
            EXPECT_EQ(setFeature(n, kase, "nom"), kNoErr);
        EXPECT_EQ(setFeature(d1, f2, "sg"), kNoErr);
        EXPECT_EQ(setFeature(d1, kase, "acc"), kNoErr);
    });
    EXPECT_EQ(valueOf(d3, kase), "nom");
    EXPECT_EQ(valueOf(d2, kase), "");
    undoable([&] { return tree.zeroOutAttribute(kase); });
    for (const int32_t n : {first, d1, d2, d3, second})
        EXPECT_EQ(valueOf(n, kase), "") << n;
    EXPECT_EQ(valueOf(d1, f2), "sg");
    refused([&] { return tree.zeroOutAttribute(first); },
            {"CTree::convertToAttributeIndex (invalid parameter)",
             "CTree::zeroOutAttribute (invalid parameter)"});

    // Deleting a feature as the features dialog does: its slot comes back empty.
    const int32_t slot = slotOf(kase);
    int32_t replacement = 0;
    undoable([&] {
        EXPECT_EQ(tree.removeName(kase), kNoErr);
        EXPECT_EQ(newNamed(tree, kRecordFeature, "gender", replacement), kNoErr);
    });
    EXPECT_EQ(slotOf(replacement), slot);
    EXPECT_EQ(tree.attributeCount(), 53);
    EXPECT_EQ(valueOf(first, replacement), "");
}

TEST_F(CTreeNameLists, ConvertsBetweenFeaturesAndTheirSlotsAndChecksCategories) {
    int32_t feature = 0, n = 0;
    step([&] {
        EXPECT_EQ(newNamed(tree, kRecordFeature, "case", feature), kNoErr);
        EXPECT_EQ(tree.newRoot(n), kNoErr);
        EXPECT_EQ(setFeature(n, feature, "dat"), kNoErr);
    });
    EXPECT_EQ(slotOf(feature), 52);
    EXPECT_EQ(ownerOf(52), feature);
    EXPECT_EQ(valueOf(n, feature), "dat");
    int32_t slot = 99;
    for (const int32_t notFeature : {category("N"), n, kHeaderRecord, 0}) {
        bad(tree.convertToAttributeIndex(notFeature, slot), "CTree::convertToAttributeIndex");
        EXPECT_EQ(slot, 0);
    }
    for (const int32_t notSlot : {51, 53}) {
        slot = 99;
        bad(tree.convertAttributeIndexToFeatureRecord(notSlot, slot),
            "CTree::convertAttributeIndexToFeatureRecord");
        EXPECT_EQ(slot, 0);
    }
    const CRString* value = nullptr;
    bad(tree.getAuthorFeatureValue(n, n, value), "CTree::getAuthorFeatureValue");
    bad(tree.getAuthorFeatureValue(feature, feature, value), "CTree::getAuthorFeatureValue");
    EXPECT_EQ(value, nullptr);

    // Only a record of type category in range is a category.
    const int32_t x = category("X");
    EXPECT_TRUE(q<bool>(&CTree::validateCategory, x));
    EXPECT_EQ(tree.validateCategoryWithError(x), kNoErr);
    for (const int32_t notCategory : {-1, 0, 1, feature, n, tree.recordCount() + 1}) {
        bool good = true;
        EXPECT_EQ(tree.validateCategory(notCategory, good), kNoErr);
        EXPECT_FALSE(good) << notCategory;
        bad(tree.validateCategoryWithError(notCategory), "CTree::validateCategoryWithError");
    }
}

TEST_F(CTreeNameLists, CategoryLabelsConvertExactlyAndNoneMeansNoCategory) {
    const int32_t head = q(&CTree::getRootOfList, kHdrFirstCategory);
    EXPECT_EQ(nameOf(head), "P");
    EXPECT_EQ(category("P"), head);
    EXPECT_EQ(category("X"), 2);
    for (const char* unknown : {"p", "Q", "", "nonE "})
        EXPECT_EQ(category(unknown), -1) << unknown;
    for (const char* none : {"none", "NONE", "NoNe"})
        EXPECT_EQ(category(none), 0) << none;
    // The first match in list order wins, and a category called "none" still means none.
    const int32_t twin = newNames(kRecordCategory, {"N", "None"})[0];
    EXPECT_EQ(category("N"), twin);
    EXPECT_EQ(category("None"), 0);

    CTree empty;
    ASSERT_EQ(empty.createTree(false), kNoErr);
    platform.recorder.clear();
    int32_t found = 7;
    EXPECT_EQ(empty.convertCategoryLabelToIndex(CRString("N", 1), found), kErrInvalidParameter);
    EXPECT_EQ(found, -1);
    EXPECT_EQ(reports(), RReports{"CTree::convertCategoryLabelToIndex (invalid parameter)"});
}

TEST_F(CTreeNameLists, CategoryIsInUseWhenANodeOrAWordHasItAndWordsNeedACategory) {
    const int32_t n = category("N"), v = category("V"), a = category("A");
    int32_t word = 0, daughter = 0, other = 0;
    step([&] {
        EXPECT_EQ(tree.newRoot(other), kNoErr);
        EXPECT_EQ(tree.newRoot(word), kNoErr);
        EXPECT_EQ(tree.setWordCategory(word, n), kNoErr);
        EXPECT_EQ(tree.newDaughterToLeft(other, daughter), kNoErr);
        EXPECT_EQ(tree.dataTask(daughter, kAttrCategory, v), kNoErr);
    });
    EXPECT_TRUE(q<bool>(&CTree::categoryIsInUse, n)); // only as a word category
    EXPECT_TRUE(q<bool>(&CTree::categoryIsInUse, v)); // only on a daughter of an earlier tree
    EXPECT_FALSE(q<bool>(&CTree::categoryIsInUse, a));
    bool inUse = true;
    bad(tree.categoryIsInUse(word, inUse), "CTree::categoryIsInUse");
    EXPECT_FALSE(inUse);

    EXPECT_EQ(q(&CTree::getFirstWordInCategory, n), 0);
    EXPECT_EQ(q(&CTree::getNextWordInCategory, word), 0);
    bad(tree.getFirstWordInCategory(word, daughter), "CTree::getFirstWordInCategory");
    bad(tree.getNextWordInCategory(n, daughter), "CTree::getNextWordInCategory");
}

TEST_F(CTreeNameLists, SortedListsOfEveryKind) {
    const int32_t x = category("X"), n = category("N"), v = category("V"), a = category("A"),
                  p = category("P");
    using RList = std::vector<int32_t>;
    EXPECT_EQ(q<RList>(&CTree::getSortedList, 3), (RList{5, a, n, p, v, x}));
    EXPECT_EQ(q<RList>(&CTree::getSortedList, 4), RList{0});
    EXPECT_EQ(q<RList>(&CTree::getSortedList, 1), RList{0});

    int32_t run = 0, dog = 0, bark = 0, barkN = 0, mood = 0, kase = 0;
    step([&] {
        const auto word = [&](const char* form, int32_t category, int32_t& root) {
            const CRString text(form, 1);
            EXPECT_EQ(tree.newRoot(root), kNoErr);
            EXPECT_EQ(tree.setCitationForm(root, &text), kNoErr);
            EXPECT_EQ(tree.setWordCategory(root, category), kNoErr);
        };
        word("run", v, run);
        word("dog", n, dog);
        word("bark", v, bark);
        word("bark", n, barkN);
        EXPECT_EQ(newNamed(tree, kRecordFeature, "mood", mood), kNoErr);
        EXPECT_EQ(newNamed(tree, kRecordFeature, "case", kase), kNoErr);
    });
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(q<RList>(&CTree::getSortedList, 1), (RList{4, barkN, bark, dog, run}));
    EXPECT_EQ(q<RList>(&CTree::getSortedList, 2), (RList{4, barkN, dog, bark, run}));
    EXPECT_EQ(q<RList>(&CTree::getSortedList, 4), (RList{2, kase, mood}));
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    for (const int32_t kind : {0, 5, -1}) {
        RList array{1, 2};
        bad(tree.getSortedList(kind, array), "CTree::getSortedList");
        EXPECT_TRUE(array.empty());
    }
}

TEST_F(CTreeNameLists, ArbitraryNamesFollowTheRecordTypeAndCountUndoably) {
    int32_t category = 0, second = 0, feature = 0, word = 0;
    step([&] {
        EXPECT_EQ(tree.newName(kRecordCategory, category), kNoErr);
        EXPECT_EQ(tree.newName(kRecordCategory, second), kNoErr);
        EXPECT_EQ(tree.newName(kRecordFeature, feature), kNoErr);
        EXPECT_EQ(tree.newRoot(word), kNoErr);
    });
    const std::pair<int32_t, const char*> rows[] = {
        {category, "X0"}, {second, "X1"}, {feature, "Feature 0"}, {word, "New Word 0"}};
    for (const auto& row : rows) {
        undoable([&] { return tree.makeArbitraryName(row.first); });
        EXPECT_EQ(nameOf(row.first), row.second);
    }
    EXPECT_EQ(cell(kHeaderRecord, kHdrCategoryNameCounter), 2);

    step([&] { return tree.removeName(second); });
    refused(
        [&] { return tree.makeArbitraryName(second); },
        {"CTree::makeArbitraryString (general error)", "CTree::makeArbitraryName (general error)"},
        kErrGeneral);
    refused([&] { return tree.makeArbitraryName(0); },
            "CTree::makeArbitraryName (invalid parameter)");
}
