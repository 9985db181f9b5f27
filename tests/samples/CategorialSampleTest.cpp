// The categorial sample: its Check menu on right and wrong derivations, and combining trees
// by dropping one on another.

#include "SampleTestSupport.h"

#include "cli/CliCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kSample = "categorial.rgt";

std::string summary(std::size_t wrongSteps) {
    return wrongSteps == 1 ? "1 step of the derivation is wrong: the node is marked, and the "
                             "note beside it says why."
                           : std::to_string(wrongSteps) +
                                 " steps of the derivation are wrong: the nodes are marked, and "
                                 "the note beside each says why.";
}

const char* const kComplete =
    "Every step is right, and the derivation is complete: the words combine into S.";
const char* const kSoFar = "Every step so far is right; combine the trees until a single S is "
                           "left.";

TEST(CategorialSample, AcceptsACompleteDerivation) {
    // John often sees the big dog: often and sees compose before the object is taken.
    TempDir dir;
    const CSampleDocument document(
        dir, kSample,
        "tree: [S [NP John]\n"
        "         [S\\NP [(S\\NP)/NP [(S\\NP)/(S\\NP) often] [(S\\NP)/NP sees]]\n"
        "               [NP [NP/N the] [N [N/N big] [N dog]]]]]\n");
    const RCommandOutput result = document.call("check-derivation");
    ASSERT_EQ(result.status, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, checkOutput(document, {}, kComplete));
}

TEST(CategorialSample, AcceptsEachOfItsFourRules) {
    TempDir dir;
    const CSampleDocument document(dir, kSample,
                                   "tree: [NP [NP/N the] [N dog]]\n"
                                   "tree: [S [NP Kim] [S\\NP sleeps]]\n"
                                   "tree: [(S\\NP)/NP [(S\\NP)/(S\\NP) often] [(S\\NP)/NP sees]]\n"
                                   "tree: [A\\C [B\\C one] [A\\B two]]\n");
    EXPECT_EQ(document.call("check-derivation").out, checkOutput(document, {}, kSoFar));
}

class CategorialSampleWrongDerivations : public ::testing::TestWithParam<RWrongCase> {};

TEST_P(CategorialSampleWrongDerivations, MarksEveryStepThatDoesNotCombine) {
    const RWrongCase& wrong = GetParam();
    expectCheckFinds(kSample, "check-derivation", wrong, summary);
}

INSTANTIATE_TEST_SUITE_P(
    Check, CategorialSampleWrongDerivations,
    ::testing::Values(
        RWrongCase{"ArgumentOnTheWrongSide",
                   "tree: [S [S\\NP sleeps] [NP John]]\n",
                   {{"S", 0,
                     "'S\\NP' and 'NP' do not combine in this order: no rule of "
                     "application or composition joins them. In the other order they "
                     "would give 'S'."}}},
        RWrongCase{"CategoriesThatDoNotCombine",
                   "tree: [S [NP John] [S\\NP [(S\\NP)/NP sees] [N dog]]]\n",
                   {{"S\\NP", 0,
                     "'(S\\NP)/NP' and 'N' do not combine in this order: no rule of "
                     "application or composition joins them."}}},
        RWrongCase{"ForwardCompositionGivingAnotherCategory",
                   "tree: [S [NP John] [S\\NP [(S\\NP)/(S\\NP) often] [(S\\NP)/NP sees]]]\n",
                   {{"S\\NP", 0,
                     "'(S\\NP)/(S\\NP)' and '(S\\NP)/NP' combine by forward composition into "
                     "'(S\\NP)/NP', not 'S\\NP'."}}},
        RWrongCase{"BackwardCompositionGivingAnotherCategory",
                   "tree: [A/C [B\\C one] [A\\B two]]\n",
                   {{"A/C", 0,
                     "'B\\C' and 'A\\B' combine by backward composition into 'A\\C', "
                     "not 'A/C'."}}},
        RWrongCase{"ApplicationGivingAnotherCategory",
                   "tree: [S\\NP [NP/N the] [N dog]]\n",
                   {{"S\\NP", 0,
                     "'NP/N' and 'N' combine by forward application into 'NP', not "
                     "'S\\NP'."}}},
        RWrongCase{"SingleDaughterThatIsNotAWord",
                   "tree: [NP [NP/N the] [N [N dog]]]\n",
                   {{"N", 0,
                     "'N' has a single daughter that is not a word: categories combine "
                     "two at a time, and a node with one daughter holds a word."}}},
        RWrongCase{"ThreeDaughters",
                   "tree: [S [NP John] [S\\NP [(S\\NP)/NP likes] [NP Mary]] [NP Kim]]\n",
                   {{"S", 0,
                     "Categories combine two at a time, but 'S' has 3 "
                     "daughters."}}},
        RWrongCase{"WordWithoutItsCategory",
                   "tree: [S John [S\\NP sleeps]]\n",
                   {{"S", 0,
                     "Each word must stand under its own category, but a word hangs "
                     "directly from 'S'."}}},
        RWrongCase{"IllFormedCategory",
                   "tree: [S [NP Kim] [S\\NP) sleeps]]\n"
                   "tree: [S/ [NP Kim]]\n",
                   {{"S\\NP)", 0,
                     "'S\\NP)' is not a well-formed category: a slash needs a category "
                     "on each side, and every parenthesis needs its partner."},
                    {"S/", 0,
                     "'S/' is not a well-formed category: a slash needs a category on "
                     "each side, and every parenthesis needs its partner."}}}),
    wrongCaseName);

// The words of "John often sees the dog", each a tree of its own.
const char* const kWords = "tree: [NP John]\n"
                           "tree: [(S\\NP)/(S\\NP) often]\n"
                           "tree: [(S\\NP)/NP sees]\n"
                           "tree: [NP/N the]\n"
                           "tree: [N dog]\n";

TEST(CategorialSample, LetsATreeLandOnAnotherItCombinesWith) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, kWords);
    expectLandings(document,
                   {
                       {"N", 0, "NP/N", 0, true}, // the dog, whichever is dropped
                       {"NP/N", 0, "N", 0, true}, //
                       {"(S\\NP)/NP", 0, "(S\\NP)/(S\\NP)", 0, true}, // often sees, by composition
                       {"NP", 0, "(S\\NP)/NP", 0, true},              // sees John, by application
                       {"NP", 0, "N", 0, false},                      // John dog
                       {"(S\\NP)/(S\\NP)", 0, "NP/N", 0, false},      // often the
                       {"NP/N", 0, "dog", 0, false},                  // a word is no landing place
                   });
}

// Drops the first tree labelled `dragged` on the first node labelled `target` in the document
// `from` and saves the result as `to`; gives the line of the message the script showed.
std::string drop(const TempDir& dir, const std::string& from, const std::string& dragged,
                 const std::string& target, const std::string& to) {
    const CSampleDocument document(dir, from);
    const RCommandOutput result =
        document.hook("drag-completed", document.nodes(dragged, target), dir.file(to));
    EXPECT_EQ(result.status, kExitSuccess) << result.err;
    const std::size_t lineEnd = result.out.find('\n');
    EXPECT_EQ(result.out.substr(lineEnd + 1),
              "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 1\n")
        << result.out;
    return result.out.substr(0, lineEnd);
}

TEST(CategorialSample, DroppingCombinesTreesInSentenceOrder) {
    TempDir dir;
    const CSampleDocument words(dir, kSample, kWords);
    // A drop the landing hook refuses changes nothing.
    EXPECT_EQ(words.hook("drag-completed", words.nodes("NP", "N")).out,
              "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 0\n");

    EXPECT_EQ(drop(dir, "document.rgt", "N", "NP/N", "1.rdc"),
              "message: 'NP/N' and 'N' combine by forward application into 'NP'.");
    EXPECT_EQ(drop(dir, "1.rdc", "(S\\NP)/NP", "(S\\NP)/(S\\NP)", "2.rdc"),
              "message: '(S\\NP)/(S\\NP)' and '(S\\NP)/NP' combine by forward composition "
              "into '(S\\NP)/NP'.");
    // Each new tree goes to the front of the list: the first NP is "the dog" until it is
    // taken into the verb phrase, then John is the second.
    EXPECT_EQ(drop(dir, "2.rdc", "NP", "(S\\NP)/NP", "3.rdc"),
              "message: '(S\\NP)/NP' and 'NP' combine by forward application into 'S\\NP'.");
    const CSampleDocument third(dir, "3.rdc");
    const RCommandOutput last =
        third.hook("drag-completed",
                   std::to_string(third.node("NP", 1)) + "," + std::to_string(third.node("S\\NP")),
                   dir.file("4.rdc"));
    EXPECT_EQ(last.out, "message: 'NP' and 'S\\NP' combine by backward application into 'S'.\n"
                        "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 1\n");

    const CSampleDocument sentence(dir, "4.rdc");
    EXPECT_EQ(sentence.qtree(),
              "\\Tree [.S [.NP John ] [.S\\NP [.(S\\NP)/NP [.(S\\NP)/(S\\NP) often ] "
              "[.(S\\NP)/NP sees ] ] [.NP [.NP/N the ] [.N dog ] ] ] ] \n");
    EXPECT_EQ(sentence.call("check-derivation").out, checkOutput(sentence, {}, kComplete));
}

TEST(CategorialSample, DroppingComposesBackwards) {
    TempDir dir;
    const CSampleDocument pieces(dir, kSample, "tree: [A\\B two]\ntree: [B\\C one]\n");
    EXPECT_EQ(drop(dir, "document.rgt", "A\\B", "B\\C", "composed.rdc"),
              "message: 'B\\C' and 'A\\B' combine by backward composition into 'A\\C'.");
    EXPECT_EQ(CSampleDocument(dir, "composed.rdc").qtree(),
              "\\Tree [.A\\C [.B\\C one ] [.A\\B two ] ] \n");
}

TEST(CategorialSample, MagnifyingGlassReadsACategory) {
    TempDir dir;
    const CSampleDocument document(dir, kSample,
                                   "tree: [S [NP John] [S\\NP [(S\\NP)/NP sees] [NP Mary]]]\n");
    const struct {
        const char* label;
        const char* message;
    } looks[] = {
        {"(S\\NP)/NP", "'(S\\NP)/NP' looks for NP on its right and then gives S\\NP."},
        {"S\\NP", "'S\\NP' looks for NP on its left and then gives S."},
        {"S", "'S' is a basic category."},
        {"sees", "'sees' is a word; its category is the node above it."},
    };
    for (const auto& look : looks)
        EXPECT_EQ(document.hook("magnifying-glass", std::to_string(document.node(look.label))).out,
                  "message: " + std::string(look.message) +
                      "\nhook magnifying-glass: exists=1 answer=0\noffending:\ndirty: 0\n")
            << look.label;
}

TEST(CategorialSample, ClearsItsMarksAndExplainsItself) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, "tree: [S [S\\NP sleeps] [NP John]]\n");
    ASSERT_EQ(runCommand("run", {document.path(), "--call", "check-derivation", "-o",
                                 dir.file("checked.rdc")})
                  .status,
              kExitSuccess);
    EXPECT_EQ(CSampleDocument(dir, "checked.rdc").call("clear-marks").out,
              "offending:\ndirty: 1\n");
    const std::string about = document.call("about-categorial-grammar").out;
    EXPECT_EQ(about.rfind("alert: In a categorial grammar the words carry the rules.", 0), 0u)
        << about;
    EXPECT_EQ(about.substr(about.find('\n')), "\noffending:\ndirty: 0\n");
}

} // namespace
