#include "ModelTestSupport.h"

#include <algorithm>
#include <climits>

namespace {

RErr newNamed(CTree& tree, int32_t type, const char* text, int32_t& record) {
    return firstError({tree.newName(type, record), tree.setMainString(record, CRString(text, 1))});
}

class CTreeNameLists : public ModelFixture {
protected:
    std::string nameOf(int32_t record) {
        return str(q<const CRString*>(&CTree::getNameString, record));
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
    // The owners of slots 52 to the last.
    std::string owners() {
        std::vector<int32_t> found;
        for (int32_t slot = kFirstFeatureSlot; slot <= tree.attributeCount(); ++slot)
            found.push_back(q(&CTree::convertAttributeIndexToFeatureRecord, slot));
        return joined(found);
    }
    std::string valueOf(int32_t n, int32_t feature) {
        return str(q<const CRString*>(&CTree::getAuthorFeatureValue, n, feature));
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
    EXPECT_EQ(listOf(kRecordCategory) + "|" + listOf(kRecordFeature) + "|" +
                  nameOf(q(&CTree::getBlessedCategory)),
              "P A V N X||X");
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
    EXPECT_EQ(owners(), joined(made));
    EXPECT_EQ(listOf(kRecordFeature), "person number case");
    undoable([&] { return firstError({tree.removeName(made[0]), tree.removeName(made[2])}); });
    EXPECT_EQ(owners(), "0 " + std::to_string(made[1]) + " 0");
    EXPECT_EQ(listOf(kRecordFeature), "number");
    // With 52 and 54 free and 53 owned, the highest free slot is taken first; only when every
    // slot is owned does the table widen, and undo leaves it wide.
    const std::pair<const char*, int32_t> rows[] = {{"gender", 54}, {"tense", 52}, {"mood", 55}};
    for (const auto& [name, slot] : rows) {
        int32_t feature = 0;
        undoable([&] { return newNamed(tree, kRecordFeature, name, feature); });
        EXPECT_EQ(slotOf(feature), slot);
        EXPECT_EQ(q(&CTree::convertAttributeIndexToFeatureRecord, slot), feature);
        EXPECT_EQ(tree.attributeCount(), std::max(54, slot));
    }
    EXPECT_EQ(listOf(kRecordFeature), "mood tense gender number");
}

TEST_F(CTreeNameLists, RemovingANameUnlinksItFromAnyPlaceAndFreesItsRecord) {
    const int32_t x = category("X"), v = category("V"), a = category("A"), p = category("P");
    undoable([&] { return tree.removeName(v); }); // from the middle
    EXPECT_EQ(listOf(kRecordCategory), "P A N X");
    EXPECT_EQ(q(&CTree::getRecordType, v), kRecordUnused);
    EXPECT_EQ(q(&CTree::getRootOfList, kHdrFirstUnusedRecord), v);
    undoable([&] { return tree.removeName(p); }); // the head
    EXPECT_EQ(listOf(kRecordCategory), "A N X");  // the list links are checked on every step
    // The tail, which is also the blessed category: nothing may go on naming its record.
    undoable([&] { return tree.removeName(x); });
    EXPECT_EQ(listOf(kRecordCategory) + " " + std::to_string(q(&CTree::getBlessedCategory)),
              "A N 0");
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
        refusedBy("removeName", [&] { return tree.removeName(record); });
}

TEST_F(CTreeNameLists, DeallocatingAndZeroingOutFeatures) {
    const std::vector<int32_t> made = newNames(kRecordFeature, {"case", "number"});
    const int32_t f1 = made[0], f2 = made[1];
    undoable([&] { return tree.deallocateAttribute(f1); });
    EXPECT_EQ(std::to_string(slotOf(f1)) + " " + owners(), "0 0 " + std::to_string(f2));
    // Nothing left to free: no change at all.
    const DatabaseState before = captureState(tree);
    step([&] { return tree.deallocateAttribute(f1); });
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    // A feature that names a slot another feature owns leaves the owner alone.
    step([&] { return tree.dataTask(f1, kAttrNextSister, 53); });
    undoable([&] { return tree.deallocateAttribute(f1); });
    EXPECT_EQ(std::to_string(slotOf(f1)) + " " + owners(), "0 0 " + std::to_string(f2));
    const RReports refusedSlot = {"CTree::convertToAttributeIndex (invalid parameter)",
                                  "CTree::deallocateAttribute (invalid parameter)"};
    refused([&] { return tree.deallocateAttribute(category("X")); }, refusedSlot);

    // Zeroing out empties the value on every node of every tree and nothing else.
    const int32_t kase = newNames(kRecordFeature, {"case"})[0];
    const int32_t first = build("F(A B(C))"), second = build("G");
    const int32_t d1 = node("A"), d2 = node("B"), d3 = node("C");
    step([&] {
        return firstError({setFeature(first, kase, "nom"), setFeature(d3, kase, "nom"),
                           setFeature(second, kase, "nom"), setFeature(d1, f2, "sg"),
                           setFeature(d1, kase, "acc")});
    });
    EXPECT_EQ(valueOf(d3, kase) + "|" + valueOf(d2, kase), "nom|");
    undoable([&] { return tree.zeroOutAttribute(kase); });
    std::string values;
    for (const int32_t n : {first, d1, d2, d3, second})
        values += valueOf(n, kase) + "|";
    EXPECT_EQ(values + valueOf(d1, f2), "|||||sg");
    refused([&] { return tree.zeroOutAttribute(first); },
            {refusedSlot[0], "CTree::zeroOutAttribute (invalid parameter)"});

    // Deleting a feature as the features dialog does: its slot comes back empty.
    const int32_t slot = slotOf(kase);
    int32_t replacement = 0;
    undoable([&] {
        return firstError(
            {tree.removeName(kase), newNamed(tree, kRecordFeature, "gender", replacement)});
    });
    EXPECT_EQ(slotOf(replacement), slot);
    EXPECT_EQ(tree.attributeCount(), 53);
    EXPECT_EQ(valueOf(first, replacement), "");
}

TEST_F(CTreeNameLists, ConvertsBetweenFeaturesAndTheirSlotsAndChecksCategories) {
    int32_t feature = 0, n = 0;
    step([&] {
        return firstError({newNamed(tree, kRecordFeature, "case", feature), tree.newRoot(n),
                           setFeature(n, feature, "dat")});
    });
    EXPECT_EQ(std::to_string(slotOf(feature)) + " " + owners() + " " + valueOf(n, feature),
              "52 " + std::to_string(feature) + " dat");
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
    EXPECT_EQ(category("P"), q(&CTree::getRootOfList, kHdrFirstCategory));
    std::string found;
    for (const char* name : {"X", "p", "Q", "", "nonE ", "none", "NONE", "NoNe"})
        found += std::to_string(category(name)) + " ";
    EXPECT_EQ(found, "2 -1 -1 -1 -1 0 0 0 ");
    // The first match in list order wins, and a category called "none" still means none.
    const int32_t twin = newNames(kRecordCategory, {"N", "None"})[0];
    EXPECT_EQ(category("N"), twin);
    EXPECT_EQ(category("None"), 0);

    CTree empty;
    ASSERT_EQ(empty.createTree(false), kNoErr);
    platform.recorder.clear();
    int32_t none = 7;
    EXPECT_EQ(empty.convertCategoryLabelToIndex(CRString("N", 1), none), kErrInvalidParameter);
    EXPECT_EQ(none, -1);
    EXPECT_EQ(reports(), RReports{"CTree::convertCategoryLabelToIndex (invalid parameter)"});
}

TEST_F(CTreeNameLists, CategoryIsInUseWhenANodeOrAWordHasItAndWordsNeedACategory) {
    const int32_t n = category("N"), v = category("V"), a = category("A");
    int32_t word = 0, daughter = 0, other = 0;
    step([&] {
        return firstError({tree.newRoot(other), tree.newRoot(word), tree.setWordCategory(word, n),
                           tree.newDaughterToLeft(other, daughter),
                           tree.dataTask(daughter, kAttrCategory, v)});
    });
    // As a word category only; on a daughter of an earlier tree only; not at all.
    std::string inUse;
    for (const int32_t c : {n, v, a})
        inUse += std::to_string(q<bool>(&CTree::categoryIsInUse, c));
    EXPECT_EQ(inUse, "110");
    bool yes = true;
    bad(tree.categoryIsInUse(word, yes), "CTree::categoryIsInUse");
    EXPECT_FALSE(yes);
    EXPECT_EQ(q(&CTree::getFirstWordInCategory, n) + q(&CTree::getNextWordInCategory, word), 0);
    bad(tree.getFirstWordInCategory(word, daughter), "CTree::getFirstWordInCategory");
    bad(tree.getNextWordInCategory(n, daughter), "CTree::getNextWordInCategory");
}

TEST_F(CTreeNameLists, SortedListsOfEveryKind) {
    const int32_t x = category("X"), n = category("N"), v = category("V"), a = category("A"),
                  p = category("P");
    using RList = std::vector<int32_t>;
    const auto sorted = [&](int32_t kind) { return joined(q<RList>(&CTree::getSortedList, kind)); };
    EXPECT_EQ(sorted(3), joined(RList{5, a, n, p, v, x}));
    EXPECT_EQ(sorted(4) + sorted(1), "00");
    int32_t run = 0, dog = 0, bark = 0, barkN = 0, mood = 0, kase = 0;
    step([&] {
        const auto word = [&](const char* form, int32_t category, int32_t& root) {
            const CRString text(form, 1);
            return firstError({tree.newRoot(root), tree.setCitationForm(root, &text),
                               tree.setWordCategory(root, category)});
        };
        return firstError({word("run", v, run), word("dog", n, dog), word("bark", v, bark),
                           word("bark", n, barkN), newNamed(tree, kRecordFeature, "mood", mood),
                           newNamed(tree, kRecordFeature, "case", kase)});
    });
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(sorted(1), joined(RList{4, barkN, bark, dog, run}));
    EXPECT_EQ(sorted(2), joined(RList{4, barkN, dog, bark, run}));
    EXPECT_EQ(sorted(4), joined(RList{2, kase, mood}));
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    for (const int32_t kind : {0, 5, -1}) {
        RList array{1, 2};
        bad(tree.getSortedList(kind, array), "CTree::getSortedList");
        EXPECT_TRUE(array.empty());
    }
}

TEST_F(CTreeNameLists, ArbitraryNamesFollowTheRecordTypeAndCountUndoably) {
    int32_t category = 0, second = 0, feature = 0, word = 0, third = 0;
    step([&] {
        return firstError(
            {tree.newName(kRecordCategory, category), tree.newName(kRecordCategory, second),
             tree.newName(kRecordFeature, feature), tree.newRoot(word), tree.newRoot(third)});
    });
    std::string names;
    for (const int32_t record : {category, second, feature, word, third}) {
        undoable([&] { return tree.makeArbitraryName(record); });
        names += nameOf(record) + "|";
    }
    EXPECT_EQ(names, "X0|X1|Feature 0|New Word 0|New Word 1|");
    EXPECT_EQ(
        row(kHeaderRecord, {kHdrWordNameCounter, kHdrCategoryNameCounter, kHdrFeatureNameCounter}),
        "2 2 1");
    step([&] { return tree.removeName(second); });
    refused(
        [&] { return tree.makeArbitraryName(second); },
        {"CTree::makeArbitraryString (general error)", "CTree::makeArbitraryName (general error)"},
        kErrGeneral);
    refusedBy("makeArbitraryName", [&] { return tree.makeArbitraryName(0); });
    // The largest count still names a word and the counter wraps instead of overflowing.
    poke(kHeaderRecord, kHdrWordNameCounter, INT32_MAX);
    step([&] { return tree.makeArbitraryName(word); });
    EXPECT_EQ(nameOf(word), "New Word 2147483647");
    EXPECT_EQ(cell(kHeaderRecord, kHdrWordNameCounter), INT32_MIN);
}
