#include "ModelTestSupport.h"

namespace {

struct Word {
    int32_t root = 0, terminal = 0;
};

// A word as the lexicon editor makes it: a root over its main terminal node.
Word addWord(CTree& tree, const char* form, int32_t category, bool withTerminal = true) {
    Word word;
    const CRString text(form, 1);
    EXPECT_EQ(firstError({tree.newRoot(word.root), tree.newDaughterToLeft(word.root, word.terminal),
                          withTerminal ? tree.setMainTerminalNode(word.root, word.terminal) : 0,
                          tree.setCitationForm(word.root, &text),
                          category ? tree.setWordCategory(word.root, category) : 0}),
              kNoErr);
    return word;
}

// The citation forms of the category's words, in their order.
std::string wordsOf(CTree& tree, int32_t category) {
    std::string words;
    for (int32_t w = ask(tree, &CTree::getFirstWordInCategory, category), guard = 0;
         w != 0 && guard < 100; ++guard, w = ask(tree, &CTree::getNextWordInCategory, w))
        words += cellText(tree, w, kAttrCitationForm) + std::to_string(w) + " ";
    return words;
}

} // namespace

TEST(CTreeStudentMode, WordsOfEachCategoryComeInCitationFormOrderWithoutAnUndoStep) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    const int32_t n = categoryNamed(tree, "N"), v = categoryNamed(tree, "V");
    std::vector<Word> words;
    const std::pair<const char*, int32_t> forms[] = {{"dog", n}, {"run", v}, {"cat", n}, {"ant", n},
                                                     {"eat", v}, {"cat", n}, {"bark", v}};
    step(tree, [&] {
        for (const auto& form : forms)
            words.push_back(addWord(tree, form.first, form.second));
    });
    const DatabaseState before = captureState(tree);
    const std::size_t steps = tree.undoStructure().stepCount();
    ASSERT_EQ(tree.prepareTreesForStudentMode(), kNoErr);
    // Equal citation forms keep the root list's order, newest first (roots 7, 9, ... 19).
    const auto lists = [&] {
        std::string all;
        for (const char* category : {"N", "V", "X", "A", "P"})
            all += wordsOf(tree, categoryNamed(tree, category)) + "| ";
        return all;
    };
    EXPECT_EQ(lists(), "ant13 cat17 cat11 dog7 | bark19 eat15 run9 | | | | ");
    for (const Word& word : words) {
        EXPECT_EQ(ask(tree, &CTree::getWhereIsTree, word.root), kTreeInLexicon);
        EXPECT_EQ(tree.tablet().cell(word.terminal, kAttrIsMainTerminal), 1);
        EXPECT_EQ(tree.tablet().cell(word.root, kAttrIsMainTerminal), 0);
    }
    // Written directly: nothing to undo, and only the student-mode cells changed.
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);
    DatabaseState after = captureState(tree);
    for (int32_t r = 1; r <= after.records; ++r)
        for (const int32_t a : {kAttrWhereIsTree, kAttrNextWordInCategory, kAttrIsMainTerminal})
            after.cells[static_cast<std::size_t>((r - 1) * after.attributes + a - 1)] =
                before.cell(r, a);
    EXPECT_TRUE(sameStateAllowingGrowth(before, after));
    EXPECT_TRUE(stringsAreConsistent(tree));
    // Preparing again, after a word is added, relinks every category from scratch.
    Word bee;
    step(tree, [&] { bee = addWord(tree, "bee", n); });
    ASSERT_EQ(tree.prepareTreesForStudentMode(), kNoErr);
    EXPECT_EQ(bee.root, 21);
    EXPECT_EQ(lists(), "ant13 bee21 cat17 cat11 dog7 | bark19 eat15 run9 | | | | ");
}

TEST(CTreeStudentMode, StopsAtAWordWithoutMainTerminalOrCategoryAndReleasesItsBuilders) {
    const int64_t builders = CRMemory::shared().live(kKindCBinaryTree);
    for (const bool missingTerminal : {true, false}) {
        CTree tree;
        ASSERT_EQ(tree.createTree(true), kNoErr);
        const int32_t n = categoryNamed(tree, "N");
        Word good;
        step(tree, [&] {
            good = addWord(tree, "good", n);
            addWord(tree, "bad", missingTerminal ? n : 0, !missingTerminal);
        });
        RecordingPlatformScope platform;
        EXPECT_EQ(tree.prepareTreesForStudentMode(), kErrInvalidParameter);
        EXPECT_EQ(platform.recorder.bugReports().back(),
                  "CTree::prepareTreesForStudentMode (invalid parameter)");
        EXPECT_EQ(CRMemory::shared().live(kKindCBinaryTree), builders);
        // The bad word is the newest, so it is met first and no category was linked.
        EXPECT_EQ(wordsOf(tree, n), "");
        EXPECT_EQ(tree.tablet().cell(good.root, kAttrWhereIsTree), kTreeNotPlaced);
    }
}
