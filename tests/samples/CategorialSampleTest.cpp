// The categorial sample's hooks: combining trees by dropping one on another and the magnifying
// glass. Its Check is exercised by the sentences of the corpus.

#include "SampleTestSupport.h"

#include "cli/CliCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kSample = "categorial.rgt";

const char* const kWords = "tree: [\"NP[sg]\" John]\n"
                           "tree: [\"(S\\NP[sg])/NP\" sees]\n"
                           "tree: [\"NP[sg]\" Mary]\n";

TEST(CategorialSample, LetsAnyTreeLandOnAnotherTreeButNotOnAWord) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, kWords);
    expectLandings(document, {
                                 {"NP[sg]", 0, "(S\\NP[sg])/NP", 0, true},
                                 {"(S\\NP[sg])/NP", 0, "NP[sg]", 0, true}, // the student's order
                                 {"NP[sg]", 0, "NP[sg]", 1, true},
                                 {"NP[sg]", 0, "sees", 0, false}, // a word is no landing place
                             });
}

// Drops the tree of the word `dragged` on the tree of the word `target` in the document
// `from`, saves the result as `to`, and gives the message the script showed.
std::string drop(const TempDir& dir, const std::string& from, const std::string& dragged,
                 const std::string& target, const std::string& to) {
    const CSampleDocument document(dir, from);
    return dropMessage(document, document.rootOf(dragged), document.rootOf(target), to);
}

TEST(CategorialSample, DroppingPutsTheDroppedTreeRightAndNamesTheRule) {
    TempDir dir;
    const CSampleDocument words(dir, kSample, kWords);
    EXPECT_EQ(drop(dir, "document.rgt", "Mary", "sees", "1.rdc"),
              "message: '(S\\NP[sg])/NP' and 'NP[sg]' combine by forward application (>) into "
              "'S\\NP[sg]'.");
    EXPECT_EQ(drop(dir, "1.rdc", "sees", "John", "2.rdc"),
              "message: 'NP[sg]' and 'S\\NP[sg]' combine by backward application (<) into 'S'.");
    const CSampleDocument sentence(dir, "2.rdc");
    EXPECT_EQ(sentence.qtree(),
              "\\Tree [.S_< [.NP[sg] John ] [.S\\NP[sg]_> [.(S\\NP[sg])/NP sees ] "
              "[.NP[sg] Mary ] ] ] \n");
    EXPECT_EQ(sentence.call("check-derivation").out,
              checkOutput(sentence, {},
                          "Every step is right, and the derivation is complete: the words "
                          "combine into S."));
}

TEST(CategorialSample, DroppingInAnOrderNoRuleAcceptsLeavesTheMistakeToCheck) {
    TempDir dir;
    const CSampleDocument words(dir, kSample, kWords);
    EXPECT_EQ(drop(dir, "document.rgt", "sees", "Mary", "wrong.rdc"),
              "message: 'NP[sg]' followed by '(S\\NP[sg])/NP' do not combine: Check the "
              "Derivation says why.");
    const CSampleDocument wrong(dir, "wrong.rdc");
    EXPECT_NE(wrong.qtree().find("[.? [.NP[sg] Mary ] [.(S\\NP[sg])/NP sees ] ]"),
              std::string::npos)
        << wrong.qtree();
}

TEST(CategorialSample, DroppingComposesBackwards) {
    TempDir dir;
    const CSampleDocument pieces(dir, kSample, "tree: [B\\C one]\ntree: [A\\B two]\n");
    EXPECT_EQ(drop(dir, "document.rgt", "two", "one", "composed.rdc"),
              "message: 'B\\C' and 'A\\B' combine by backward composition (<B) into 'A\\C'.");
    EXPECT_EQ(CSampleDocument(dir, "composed.rdc").qtree(),
              "\\Tree [.A\\C_<B [.B\\C one ] [.A\\B two ] ] \n");
}

TEST(CategorialSample, MagnifyingGlassReadsACategory) {
    TempDir dir;
    const CSampleDocument document(dir, kSample,
                                   "tree: [S [NP John] [S\\NP [(S\\NP)/NP sees] [NP Mary]]]\n");
    expectNodeMessages(
        document, "magnifying-glass",
        {
            {"(S\\NP)/NP", 0, "'(S\\NP)/NP' looks for NP on its right and then gives S\\NP."},
            {"S\\NP", 0, "'S\\NP' looks for NP on its left and then gives S."},
            {"S", 0, "'S' is a basic category."},
            {"sees", 0, "'sees' is a word; its category is the node above it."},
        });
}

} // namespace
