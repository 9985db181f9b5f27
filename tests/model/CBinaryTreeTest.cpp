#include "model/CBinaryTree.h"

#include "ModelTestSupport.h"

#include <algorithm>
#include <random>

namespace {

constexpr int32_t kByName = 1;
constexpr int32_t kByCitationForm = 2;
constexpr int32_t kByCategory = 3;

// A database to sort in: names and words are made in one open undo list.
class CBinaryTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(tree.createTree(false), kNoErr);
        ASSERT_EQ(tree.undoStructure().startTaskList(kLabelMenu), kNoErr);
    }
    void TearDown() override { tree.undoStructure().finishTaskList(); }

    int32_t name(int32_t type, const std::string& text) {
        int32_t record = 0;
        EXPECT_EQ(
            firstError({tree.newName(type, record), tree.setMainString(record, CRString(text, 1))}),
            kNoErr);
        return record;
    }
    int32_t category(const std::string& text) { return name(kRecordCategory, text); }
    int32_t word(const std::string& citationForm, int32_t category) {
        int32_t root = 0;
        const CRString form(citationForm, 1);
        EXPECT_EQ(firstError({tree.newRoot(root), tree.setCitationForm(root, &form),
                              category ? tree.setWordCategory(root, category) : kNoErr}),
                  kNoErr);
        return root;
    }
    CBinaryTree sorter(int32_t type) {
        return CBinaryTree(tree, kAttrSortLeft, kAttrSortRight, kAttrSortParent, type);
    }
    // The array the sort gives: the count, then the records.
    std::vector<int32_t> sorted(int32_t type, const std::vector<int32_t>& records) {
        CBinaryTree binary = sorter(type);
        for (const int32_t record : records)
            EXPECT_EQ(binary.add(record), kNoErr);
        return ask<std::vector<int32_t>>(binary, &CBinaryTree::produceArray);
    }
    static std::vector<int32_t> counted(std::vector<int32_t> records) {
        records.insert(records.begin(), static_cast<int32_t>(records.size()));
        return records;
    }

    CTree tree;
};

} // namespace

TEST_F(CBinaryTreeTest, EmptyListGivesCountZeroAndTheArrayIsCountedWhileBuilt) {
    const int64_t builders = CRMemory::shared().live(kKindCBinaryTree);
    const int64_t arrays = CRMemory::shared().allocations(kTagSortedArray);
    {
        CBinaryTree binary = sorter(kByName);
        EXPECT_EQ(CRMemory::shared().live(kKindCBinaryTree), builders + 1);
        std::vector<int32_t> array{7, 7, 7};
        EXPECT_EQ(binary.produceArray(array), kNoErr);
        EXPECT_EQ(array, std::vector<int32_t>{0});
    }
    EXPECT_EQ(CRMemory::shared().live(kKindCBinaryTree), builders);
    EXPECT_EQ(CRMemory::shared().allocations(kTagSortedArray), arrays + 1);
    EXPECT_EQ(CRMemory::shared().live(kTagSortedArray), 0);
}

TEST_F(CBinaryTreeTest, NamesSortAlphabeticallyWithEmptyNamesLastAndWordsByFormThenCategory) {
    const int32_t x = category("X"), n = category("N"), v = category("V"), a = category("A"),
                  p = category("P");
    EXPECT_EQ(sorted(kByName, {x, n, v, a, p}), counted({a, n, p, v, x}));
    const int32_t empty = name(kRecordFeature, ""), apple = name(kRecordFeature, "apple"),
                  capital = name(kRecordFeature, "Apple"), b = name(kRecordFeature, "b");
    EXPECT_EQ(sorted(kByName, {empty, b, capital, apple}), counted({apple, capital, b, empty}));
    CBinaryTree byName = sorter(kByName);
    EXPECT_EQ(joined(std::vector{byName.compare(a, n), byName.compare(n, a), byName.compare(a, a),
                                 byName.compare(empty, x)}),
              "-1 1 0 1");

    // Ties keep the order added; no category sorts as an empty category name. By category,
    // each category's words stay together in citation order.
    const int32_t dogN = word("dog", n), dogA = word("dog", a), cat = word("cat", v),
                  dogN2 = word("dog", n), bare = word("ant", 0), antN = word("ant", n);
    EXPECT_EQ(sorted(kByCitationForm, {dogN2, bare, antN, dogN, dogA, cat}),
              counted({antN, bare, cat, dogA, dogN2, dogN}));
    CBinaryTree byForm = sorter(kByCitationForm);
    EXPECT_EQ(joined(std::vector{byForm.compare(dogA, dogN), byForm.compare(dogN, dogN2),
                                 byForm.compare(dogN, cat)}),
              "-1 0 1");
    const int32_t run = word("run", v), eat = word("eat", v), bark = word("bark", v),
                  barkN = word("bark", n);
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(sorted(kByCategory, {run, dogN, eat, antN, bark, barkN}),
              counted({antN, barkN, dogN, bark, eat, run}));
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree))); // sorting changes nothing
}

// Whatever the order added, the array is sorted by the comparison and ties keep their order.
TEST_F(CBinaryTreeTest, SortsStablyByItsComparison) {
    std::mt19937 random(20240611);
    const std::vector<std::string> forms = {"a", "b",  "B",   "ab",       "\xC3\xA1",
                                            "",  "ba", "aex", "\xC3\xA6x"};
    const int32_t categories[] = {category("N"), category("V"), category("n")};
    std::vector<int32_t> words;
    for (int i = 0; i < 120; ++i) {
        words.push_back(word(forms[random() % forms.size()], categories[random() % 3]));
        EXPECT_EQ(tree.setMainString(words.back(), CRString(forms[random() % forms.size()], 1)),
                  kNoErr);
    }
    for (const int32_t type : {kByName, kByCitationForm, kByCategory})
        for (int round = 0; round < 3; ++round) {
            std::shuffle(words.begin(), words.end(), random);
            CBinaryTree reference = sorter(type);
            std::vector<int32_t> expected = words;
            std::stable_sort(expected.begin(), expected.end(),
                             [&](int32_t x, int32_t y) { return reference.compare(x, y) == -1; });
            EXPECT_EQ(sorted(type, words), counted(expected)) << "type " << type;
        }
}

TEST_F(CBinaryTreeTest, InvalidRecordsAndUnknownSortTypesAreReportedWhileSortingGoesOn) {
    const int32_t n = category("N"), b = word("b", n), a = word("a", n);
    RecordingPlatformScope platform;
    CBinaryTree binary = sorter(kByCitationForm);
    EXPECT_EQ(binary.add(b), kNoErr);
    for (const int32_t wrong : {0, tree.recordCount() + 1, kHeaderRecord, n}) {
        platform.recorder.clear();
        EXPECT_EQ(binary.add(wrong), kErrInvalidParameter) << wrong; // a category has no form
        EXPECT_EQ(platform.recorder.bugReports().back(), "CBinaryTree::add");
    }
    EXPECT_EQ(binary.add(a), kNoErr);
    const auto array = ask<std::vector<int32_t>>(binary, &CBinaryTree::produceArray);
    EXPECT_EQ(array, counted({a, b}));

    platform.recorder.clear();
    std::string positions;
    // The count is element 0, never a member.
    const std::pair<std::vector<int32_t>, int32_t> finds[] = {
        {array, b}, {array, a}, {array, 2}, {{}, a}, {{5, a}, b}};
    for (const auto& [in, record] : finds) {
        int32_t position = -1;
        const RErr err = CBinaryTree::findElementInArray(in, record, position);
        positions += std::to_string(position) + (err == kErrGeneral ? "! " : err ? "? " : " ");
    }
    EXPECT_EQ(positions, "2 1 0! 0! 0! ");
    EXPECT_EQ(platform.recorder.bugReports(),
              RReports(3, "CBinaryTree::findElementInArray (general error)"));

    // An unknown sort type keeps the order added.
    platform.recorder.clear();
    const int32_t y = category("y"), x = category("x"), z = category("z");
    EXPECT_EQ(sorter(4).compare(x, y), 0);
    EXPECT_EQ(platform.recorder.bugReports(), RReports{"CBinaryTree::compare"});
    EXPECT_EQ(sorted(4, {y, x, z}), counted({y, x, z}));
    EXPECT_EQ(platform.recorder.bugReports().size(), 2u);
}
