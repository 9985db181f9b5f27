#include "support/HierarchyTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"
#include "support/TestSupport.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct Word {
    int32_t root = 0;
    int32_t terminal = 0;
};

// A word as the lexicon editor makes it: a root over its main terminal node.
RErr addWord(CTree& tree, const char* form, int32_t category, bool withTerminal, Word& word) {
    const CRString text(form, 1);
    RErr err = tree.newRoot(word.root);
    if (!err)
        err = tree.newDaughterToLeft(word.root, word.terminal);
    if (!err && withTerminal)
        err = tree.setMainTerminalNode(word.root, word.terminal);
    if (!err)
        err = tree.setCitationForm(word.root, &text);
    if (!err && category != 0)
        err = tree.setWordCategory(word.root, category);
    return err;
}

std::vector<int32_t> wordsOf(CTree& tree, int32_t category) {
    std::vector<int32_t> words;
    int32_t word = 0;
    EXPECT_EQ(tree.getFirstWordInCategory(category, word), kNoErr);
    for (int guard = 0; word != 0 && guard < 100; ++guard) {
        words.push_back(word);
        EXPECT_EQ(tree.getNextWordInCategory(word, word), kNoErr);
    }
    return words;
}

} // namespace

TEST(CTreeStudentMode, WordsOfEachCategoryComeInCitationFormOrderWithoutAnUndoStep) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    const int32_t n = categoryNamed(tree, "N"), v = categoryNamed(tree, "V");
    Word dog, ant, cat, run, eat, cat2, barkV;
    ASSERT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         RErr err = addWord(tree, "dog", n, true, dog);
                         if (!err)
                             err = addWord(tree, "run", v, true, run);
                         if (!err)
                             err = addWord(tree, "cat", n, true, cat);
                         if (!err)
                             err = addWord(tree, "ant", n, true, ant);
                         if (!err)
                             err = addWord(tree, "eat", v, true, eat);
                         if (!err)
                             err = addWord(tree, "cat", n, true, cat2);
                         if (!err)
                             err = addWord(tree, "bark", v, true, barkV);
                         return err;
                     }),
              kNoErr);
    const DatabaseState before = captureState(tree);
    const std::size_t steps = tree.undoStructure().stepCount();

    ASSERT_EQ(tree.prepareTreesForStudentMode(), kNoErr);
    // Equal citation forms keep the root list's order, newest first.
    EXPECT_EQ(wordsOf(tree, n), (std::vector<int32_t>{ant.root, cat2.root, cat.root, dog.root}));
    EXPECT_EQ(wordsOf(tree, v), (std::vector<int32_t>{barkV.root, eat.root, run.root}));
    for (const char* empty : {"X", "A", "P"})
        EXPECT_TRUE(wordsOf(tree, categoryNamed(tree, empty)).empty()) << empty;

    for (const Word& word : {dog, ant, cat, run, eat, cat2, barkV}) {
        int32_t where = 0;
        EXPECT_EQ(tree.getWhereIsTree(word.root, where), kNoErr);
        EXPECT_EQ(where, kTreeInLexicon);
        EXPECT_EQ(tree.tablet().cell(word.terminal, kAttrIsMainTerminal), 1);
        EXPECT_EQ(tree.tablet().cell(word.root, kAttrIsMainTerminal), 0);
    }
    // Written directly: nothing to undo, and only the student-mode cells changed.
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);
    const DatabaseState after = captureState(tree);
    const std::set<int32_t> studentCells = {kAttrWhereIsTree, kAttrNextWordInCategory,
                                            kAttrIsMainTerminal};
    for (int32_t r = 1; r <= after.records; ++r)
        for (int32_t a = 1; a <= after.attributes; ++a)
            if (!studentCells.count(a)) {
                EXPECT_EQ(after.cell(r, a), before.cell(r, a)) << r << " " << a;
            }
    EXPECT_EQ(after.texts, before.texts);
    EXPECT_TRUE(stringsAreConsistent(tree));

    // Preparing again, after a word is added, relinks every category from scratch.
    Word bee;
    ASSERT_EQ(inStep(tree, kLabelNewTree, [&] { return addWord(tree, "bee", n, true, bee); }),
              kNoErr);
    ASSERT_EQ(tree.prepareTreesForStudentMode(), kNoErr);
    EXPECT_EQ(wordsOf(tree, n),
              (std::vector<int32_t>{ant.root, bee.root, cat2.root, cat.root, dog.root}));
    EXPECT_EQ(wordsOf(tree, v), (std::vector<int32_t>{barkV.root, eat.root, run.root}));
}

TEST(CTreeStudentMode, StopsAtAWordWithoutMainTerminalOrCategoryAndReleasesItsBuilders) {
    const int64_t builders = CRMemory::shared().live(kKindCBinaryTree);
    for (const bool missingTerminal : {true, false}) {
        CTree tree;
        ASSERT_EQ(tree.createTree(true), kNoErr);
        const int32_t n = categoryNamed(tree, "N");
        Word good, bad;
        ASSERT_EQ(inStep(tree, kLabelNewTree,
                         [&] {
                             RErr err = addWord(tree, "good", n, true, good);
                             if (!err)
                                 err = addWord(tree, "bad", missingTerminal ? n : 0,
                                               !missingTerminal, bad);
                             return err;
                         }),
                  kNoErr);
        RecordingPlatformScope platform;
        EXPECT_EQ(tree.prepareTreesForStudentMode(), kErrInvalidParameter);
        EXPECT_EQ(platform.recorder.bugReports().back(),
                  "CTree::prepareTreesForStudentMode (invalid parameter)");
        EXPECT_EQ(CRMemory::shared().live(kKindCBinaryTree), builders);
        // The bad word is the newest, so it is met first and no category was linked.
        EXPECT_TRUE(wordsOf(tree, n).empty());
        EXPECT_EQ(tree.tablet().cell(good.root, kAttrWhereIsTree), kTreeNotPlaced);
    }
}
