#include "model/CBinaryTree.h"

#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"
#include "support/TestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t kByName = 1;
constexpr int32_t kByCitationForm = 2;
constexpr int32_t kByCategory = 3;

// A database to sort in: names and words are made in one open undo list.
class SortingDatabase {
public:
    SortingDatabase() {
        EXPECT_EQ(tree.createTree(false), kNoErr);
        EXPECT_EQ(tree.undoStructure().startTaskList(kLabelMenu), kNoErr);
    }
    ~SortingDatabase() { tree.undoStructure().finishTaskList(); }

    int32_t name(int32_t type, const std::string& text) {
        int32_t record = 0;
        EXPECT_EQ(tree.newName(type, record), kNoErr);
        const CRString label(text, 1);
        EXPECT_EQ(tree.setMainString(record, label), kNoErr);
        return record;
    }

    int32_t word(const std::string& citationForm, int32_t category) {
        int32_t root = 0;
        EXPECT_EQ(tree.newRoot(root), kNoErr);
        const CRString form(citationForm, 1);
        EXPECT_EQ(tree.setCitationForm(root, &form), kNoErr);
        if (category != 0) {
            EXPECT_EQ(tree.setWordCategory(root, category), kNoErr);
        }
        return root;
    }

    std::vector<int32_t> cells() const {
        std::vector<int32_t> all;
        for (int32_t r = 1; r <= tree.recordCount(); ++r)
            for (int32_t a = 1; a <= tree.attributeCount(); ++a)
                all.push_back(tree.tablet().cell(r, a));
        return all;
    }

    CTree tree;
};

std::vector<int32_t> sorted(CTree& tree, int32_t sortType, const std::vector<int32_t>& records) {
    CBinaryTree sorter(tree, kAttrSortLeft, kAttrSortRight, kAttrSortParent, sortType);
    for (const int32_t record : records)
        EXPECT_EQ(sorter.add(record), kNoErr);
    std::vector<int32_t> array;
    EXPECT_EQ(sorter.produceArray(array), kNoErr);
    return array;
}

std::vector<int32_t> counted(std::vector<int32_t> records) {
    records.insert(records.begin(), static_cast<int32_t>(records.size()));
    return records;
}

} // namespace

TEST(CBinaryTree, EmptyListGivesCountZeroAndTheArrayIsCountedWhileBuilt) {
    SortingDatabase db;
    const int64_t builders = CRMemory::shared().live(kKindCBinaryTree);
    const int64_t arrays = CRMemory::shared().allocations(kTagSortedArray);
    {
        CBinaryTree sorter(db.tree, kAttrSortLeft, kAttrSortRight, kAttrSortParent, kByName);
        EXPECT_EQ(CRMemory::shared().live(kKindCBinaryTree), builders + 1);
        std::vector<int32_t> array{7, 7, 7};
        EXPECT_EQ(sorter.produceArray(array), kNoErr);
        EXPECT_EQ(array, std::vector<int32_t>{0});
    }
    EXPECT_EQ(CRMemory::shared().live(kKindCBinaryTree), builders);
    EXPECT_EQ(CRMemory::shared().allocations(kTagSortedArray), arrays + 1);
    EXPECT_EQ(CRMemory::shared().live(kTagSortedArray), 0);
}

TEST(CBinaryTree, NamesSortAlphabeticallyWithEmptyNamesLast) {
    SortingDatabase db;
    const int32_t x = db.name(kRecordCategory, "X");
    const int32_t n = db.name(kRecordCategory, "N");
    const int32_t v = db.name(kRecordCategory, "V");
    const int32_t a = db.name(kRecordCategory, "A");
    const int32_t p = db.name(kRecordCategory, "P");
    EXPECT_EQ(sorted(db.tree, kByName, {x, n, v, a, p}), counted({a, n, p, v, x}));
    EXPECT_EQ(sorted(db.tree, kByName, {p, a, v, n, x}), counted({a, n, p, v, x}));

    const int32_t empty = db.name(kRecordFeature, "");
    const int32_t apple = db.name(kRecordFeature, "apple");
    const int32_t capital = db.name(kRecordFeature, "Apple");
    const int32_t b = db.name(kRecordFeature, "b");
    EXPECT_EQ(sorted(db.tree, kByName, {empty, b, capital, apple}),
              counted({apple, capital, b, empty}));
    EXPECT_EQ(sorted(db.tree, kByName, {b, empty, apple}), counted({apple, b, empty}));

    CBinaryTree sorter(db.tree, kAttrSortLeft, kAttrSortRight, kAttrSortParent, kByName);
    EXPECT_EQ(sorter.compare(a, n), -1);
    EXPECT_EQ(sorter.compare(n, a), 1);
    EXPECT_EQ(sorter.compare(a, a), 0);
    EXPECT_EQ(sorter.compare(empty, x), 1);
}

TEST(CBinaryTree, WordsSortByCitationFormThenCategoryAndKeepTheOrderAddedForTies) {
    SortingDatabase db;
    const int32_t n = db.name(kRecordCategory, "N");
    const int32_t a = db.name(kRecordCategory, "A");
    const int32_t v = db.name(kRecordCategory, "V");
    const int32_t dogN = db.word("dog", n);
    const int32_t dogA = db.word("dog", a);
    const int32_t cat = db.word("cat", v);
    const int32_t dogN2 = db.word("dog", n);
    const int32_t bare = db.word("ant", 0); // no category: an empty category name
    const int32_t antN = db.word("ant", n);

    EXPECT_EQ(sorted(db.tree, kByCitationForm, {dogN, dogA, cat, dogN2, bare, antN}),
              counted({antN, bare, cat, dogA, dogN, dogN2}));
    EXPECT_EQ(sorted(db.tree, kByCitationForm, {dogN2, bare, antN, dogN, dogA, cat}),
              counted({antN, bare, cat, dogA, dogN2, dogN}));

    CBinaryTree sorter(db.tree, kAttrSortLeft, kAttrSortRight, kAttrSortParent, kByCitationForm);
    EXPECT_EQ(sorter.compare(dogA, dogN), -1);
    EXPECT_EQ(sorter.compare(dogN, dogN2), 0);
    EXPECT_EQ(sorter.compare(dogN, cat), 1);
}

TEST(CBinaryTree, ByCategoryKeepsEachCategorysWordsTogetherInCitationOrder) {
    SortingDatabase db;
    const int32_t v = db.name(kRecordCategory, "V");
    const int32_t n = db.name(kRecordCategory, "N");
    const int32_t run = db.word("run", v);
    const int32_t dog = db.word("dog", n);
    const int32_t eat = db.word("eat", v);
    const int32_t ant = db.word("ant", n);
    const int32_t bark = db.word("bark", v);
    const int32_t barkN = db.word("bark", n);

    const auto array = sorted(db.tree, kByCategory, {run, dog, eat, ant, bark, barkN});
    EXPECT_EQ(array, counted({ant, barkN, dog, bark, eat, run}));
}

// Whatever the order added, the array is sorted by the comparison and ties keep their order.
TEST(CBinaryTree, SortsStablyByItsComparison) {
    SortingDatabase db;
    std::mt19937 random(20240611);
    const std::vector<std::string> forms = {"a", "b",  "B",   "ab",       "\xC3\xA1",
                                            "",  "ba", "aex", "\xC3\xA6x"};
    const int32_t categories[] = {db.name(kRecordCategory, "N"), db.name(kRecordCategory, "V"),
                                  db.name(kRecordCategory, "n")};
    std::vector<int32_t> words;
    for (int i = 0; i < 120; ++i) {
        words.push_back(db.word(forms[random() % forms.size()], categories[random() % 3]));
        const CRString label(forms[random() % forms.size()], 1);
        EXPECT_EQ(db.tree.setMainString(words.back(), label), kNoErr);
    }

    for (const int32_t type : {kByName, kByCitationForm, kByCategory}) {
        for (int round = 0; round < 3; ++round) {
            std::shuffle(words.begin(), words.end(), random);
            CBinaryTree reference(db.tree, kAttrSortLeft, kAttrSortRight, kAttrSortParent, type);
            std::vector<int32_t> expected = words;
            std::stable_sort(expected.begin(), expected.end(),
                             [&](int32_t x, int32_t y) { return reference.compare(x, y) == -1; });
            EXPECT_EQ(sorted(db.tree, type, words), counted(expected)) << "type " << type;
        }
    }
}

TEST(CBinaryTree, SortingLeavesTheDatabaseUntouched) {
    SortingDatabase db;
    const int32_t n = db.name(kRecordCategory, "N");
    std::vector<int32_t> words;
    for (const char* form : {"c", "a", "b"})
        words.push_back(db.word(form, n));
    const auto before = db.cells();
    EXPECT_EQ(sorted(db.tree, kByCitationForm, words), counted({words[1], words[2], words[0]}));
    EXPECT_EQ(sorted(db.tree, kByCategory, words), counted({words[1], words[2], words[0]}));
    EXPECT_EQ(db.cells(), before);
}

TEST(CBinaryTree, InvalidRecordsAreReportedAndLeftOutWhileSortingGoesOn) {
    SortingDatabase db;
    const int32_t n = db.name(kRecordCategory, "N");
    const int32_t b = db.word("b", n);
    const int32_t a = db.word("a", n);
    RecordingPlatformScope platform;

    CBinaryTree sorter(db.tree, kAttrSortLeft, kAttrSortRight, kAttrSortParent, kByCitationForm);
    EXPECT_EQ(sorter.add(b), kNoErr);
    EXPECT_EQ(sorter.add(0), kErrInvalidParameter);
    EXPECT_EQ(sorter.add(db.tree.recordCount() + 1), kErrInvalidParameter);
    EXPECT_EQ(sorter.add(kHeaderRecord), kErrInvalidParameter);
    platform.recorder.clear();
    EXPECT_EQ(sorter.add(n), kErrInvalidParameter); // a category has no citation form
    const auto reports = platform.recorder.bugReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), "CBinaryTree::add");
    EXPECT_EQ(sorter.add(a), kNoErr);

    std::vector<int32_t> array;
    EXPECT_EQ(sorter.produceArray(array), kNoErr);
    EXPECT_EQ(array, counted({a, b}));

    platform.recorder.clear();
    int32_t position = 0;
    EXPECT_EQ(CBinaryTree::findElementInArray(array, b, position), kNoErr);
    EXPECT_EQ(position, 2);
    EXPECT_EQ(CBinaryTree::findElementInArray(array, a, position), kNoErr);
    EXPECT_EQ(position, 1);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
    // The count is element 0, never a member.
    EXPECT_EQ(CBinaryTree::findElementInArray(array, 2, position), kErrGeneral);
    EXPECT_EQ(position, 0);
    EXPECT_EQ(CBinaryTree::findElementInArray({}, a, position), kErrGeneral);
    EXPECT_EQ(CBinaryTree::findElementInArray({5, a}, b, position), kErrGeneral);
    EXPECT_EQ(platform.recorder.bugReports(),
              std::vector<std::string>(3, "CBinaryTree::findElementInArray (general error)"));
}

TEST(CBinaryTree, UnknownSortTypeReportsAndKeepsTheOrderAdded) {
    SortingDatabase db;
    const int32_t b = db.name(kRecordCategory, "b");
    const int32_t a = db.name(kRecordCategory, "a");
    const int32_t c = db.name(kRecordCategory, "c");
    RecordingPlatformScope platform;
    CBinaryTree sorter(db.tree, kAttrSortLeft, kAttrSortRight, kAttrSortParent, 4);
    EXPECT_EQ(sorter.compare(a, b), 0);
    EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>{"CBinaryTree::compare"});
    for (const int32_t record : {b, a, c})
        EXPECT_EQ(sorter.add(record), kNoErr);
    std::vector<int32_t> array;
    EXPECT_EQ(sorter.produceArray(array), kNoErr);
    EXPECT_EQ(array, counted({b, a, c}));
    EXPECT_EQ(platform.recorder.bugReports().size(), 2u);
}
