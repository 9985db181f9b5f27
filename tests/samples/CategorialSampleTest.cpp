// The categorial sample's hooks (combining trees by dropping one on another, the magnifying
// glass) and the program's own apply and compose on its categories, chained. Its Check is
// exercised by the sentences of the corpus.
#include "SampleTestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

namespace {

const char* const kSample = "categorial.rgt";

// Drops the tree of the word `dragged` on the tree of `target` in `from`, saved as `to`.
std::string drop(const TempDir& dir, const std::string& from, const std::string& dragged,
                 const std::string& target, const std::string& to) {
    const CSampleDocument document(dir, from);
    return dropMessage(document, document.in(dragged) + "," + document.in(target), to);
}

} // namespace

TEST(CategorialSample, DroppingPutsTheDroppedTreeRightAndNamesTheRule) {
    TempDir dir;
    const CSampleDocument words(
        dir, kSample,
        "tree: [\"NP[sg]\" John]\ntree: [\"(S\\NP[sg])/NP\" sees]\ntree: [\"NP[sg]\" Mary]\n");
    expectLandings(words, {
                              {"NP[sg]", 0, "(S\\NP[sg])/NP", 0, true},
                              {"(S\\NP[sg])/NP", 0, "NP[sg]", 0, true}, // the student's order
                              {"NP[sg]", 0, "NP[sg]", 1, true},
                              {"NP[sg]", 0, "sees", 0, false}, // a word is no landing place
                          });
    EXPECT_EQ(drop(dir, "document.rgt", "Mary", "sees", "1.rdc"),
              "message: '(S\\NP[sg])/NP' and 'NP[sg]' combine by forward application (>) into "
              "'S\\NP[sg]'.");
    EXPECT_EQ(drop(dir, "1.rdc", "sees", "John", "2.rdc"),
              "message: 'NP[sg]' and 'S\\NP[sg]' combine by backward application (<) into 'S'.");
    const CSampleDocument sentence(dir, "2.rdc");
    EXPECT_EQ(sentence.qtree(), "\\Tree [.S_< [.NP[sg] John ] [.S\\NP[sg]_> [.(S\\NP[sg])/NP sees "
                                "] [.NP[sg] Mary ] ] ] \n");
    EXPECT_EQ(sentence.call("check-derivation").out,
              checkOutput(sentence, {},
                          "Every step is right, and the derivation is complete: the words "
                          "combine into S."));

    // In an order no rule accepts the mistake is left for Check to explain.
    EXPECT_EQ(drop(dir, "document.rgt", "sees", "Mary", "wrong.rdc"),
              "message: 'NP[sg]' followed by '(S\\NP[sg])/NP' do not combine: Check the "
              "Derivation says why.");
    const std::string wrong = CSampleDocument(dir, "wrong.rdc").qtree();
    EXPECT_NE(wrong.find("[.? [.NP[sg] Mary ] [.(S\\NP[sg])/NP sees ] ]"), std::string::npos)
        << wrong;

    const CSampleDocument pieces(dir, kSample, "tree: [B\\C one]\ntree: [A\\B two]\n");
    EXPECT_EQ(drop(dir, "document.rgt", "two", "one", "composed.rdc"),
              "message: 'B\\C' and 'A\\B' combine by backward composition (<B) into 'A\\C'.");
    EXPECT_EQ(CSampleDocument(dir, "composed.rdc").qtree(),
              "\\Tree [.A\\C_<B [.B\\C one ] [.A\\B two ] ] \n");
}

TEST(CategorialSample, MagnifyingGlassReadsACategory) {
    TempDir dir;
    expectNodeMessages(
        CSampleDocument(dir, kSample, "tree: [S [NP John] [S\\NP [(S\\NP)/NP sees] [NP Mary]]]\n"),
        "magnifying-glass",
        {
            {"(S\\NP)/NP", 0, "'(S\\NP)/NP' looks for NP on its right and then gives S\\NP."},
            {"S\\NP", 0, "'S\\NP' looks for NP on its left and then gives S."},
            {"S", 0, "'S' is a basic category."},
            {"sees", 0, "'sees' is a word; its category is the node above it."},
        });
}

// Every label apply and compose make must parse into the parts it was made from, so that it
// combines again.
TEST(CategorialSample, ChainedApplicationsAndCompositionsKeepTheirBrackets) {
    TempDir dir;
    const CSampleDocument document(dir, kSample,
                                   "tree: [NP John]\ntree: [NP Mary]\ntree: [N dog]\n"
                                   "tree: [(S\\NP)/(S\\NP) often]\ntree: [(S\\NP)/(S\\NP) often]\n"
                                   "tree: [(S\\NP)/(S\\NP) often]\ntree: [(S\\NP)/NP sees]\n"
                                   "tree: [(S\\NP)\\(S\\NP) quickly]\ntree: [(S\\NP)\\(S\\NP) "
                                   "quickly]\ntree: [S\\NP sleeps]\ntree: [(N\\N)/(S\\NP) who]\n");
    RecordingPlatformScope platform;
    std::unique_ptr<CTree> tree;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(openAnyFile(document.path(), tree));
    testing::internal::GetCapturedStderr();
    struct RStep {
        bool compose;
        const char* first; // a word's label and which one, or "#N": the N-th step's result
        int firstOccurrence;
        const char* second;
        int secondOccurrence;
        const char* label;
        const char* parts; // "left dir right" as the program reads the label back, if checked
    };
    const RStep steps[] = {
        // John often often often sees Mary.
        {true, "(S\\NP)/(S\\NP)", 0, "(S\\NP)/(S\\NP)", 1, "(S\\NP)/(S\\NP)", "S\\NP / S\\NP"},
        {true, "#0", 0, "(S\\NP)/(S\\NP)", 2, "(S\\NP)/(S\\NP)", nullptr},
        {true, "#1", 0, "(S\\NP)/NP", 0, "(S\\NP)/NP", "S\\NP / NP"},
        {false, "#2", 0, "NP", 1, "S\\NP", nullptr},
        {false, "NP", 0, "#3", 0, "S", nullptr},
        // sleeps quickly quickly: two backward modifiers composed, then applied.
        {true, "(S\\NP)\\(S\\NP)", 0, "(S\\NP)\\(S\\NP)", 1, "(S\\NP)\\(S\\NP)", nullptr},
        {false, "S\\NP", 0, "#5", 0, "S\\NP", nullptr},
        // dog who often sees Mary; a part without a slash of its own takes no brackets.
        {true, "(N\\N)/(S\\NP)", 0, "(S\\NP)/(S\\NP)", 0, "(N\\N)/(S\\NP)", "N\\N / S\\NP"},
        {true, "#7", 0, "(S\\NP)/NP", 0, "(N\\N)/NP", "N\\N / NP"},
        {false, "#8", 0, "NP", 1, "N\\N", nullptr},
        {false, "N", 0, "#9", 0, "N", nullptr},
    };
    std::vector<int32_t> made;
    const auto operand = [&](const char* name, int occurrence) {
        return name[0] == '#' ? made.at(std::stoul(name + 1))
                              : std::stoi(document.node(name, occurrence));
    };
    for (const RStep& step : steps) {
        SCOPED_TRACE(step.label);
        const int32_t first = operand(step.first, step.firstOccurrence);
        const int32_t second = operand(step.second, step.secondOccurrence);
        int32_t root = 0;
        ASSERT_EQ(tree->undoStructure().startTaskList(kLabelMenu), kNoErr);
        EXPECT_EQ(step.compose ? tree->compose(first, second, root)
                               : tree->apply(first, second, root),
                  kNoErr);
        ASSERT_EQ(tree->undoStructure().finishTaskList(), kNoErr);
        ASSERT_NE(root, 0);
        made.push_back(root);
        const CRString* label = nullptr;
        ASSERT_EQ(tree->getLabel(root, label), kNoErr);
        EXPECT_EQ(label->str(), step.label);
        if (!step.parts)
            continue;
        std::unique_ptr<CRString> left;
        std::unique_ptr<CRString> right;
        int32_t direction = 0;
        bool error = false;
        CTree::parseCategorialLabel(CRString(label->str(), 158), left, right, direction, error);
        ASSERT_FALSE(error);
        EXPECT_EQ(left->str() + " " +
                      (direction ? std::string(1, static_cast<char>(direction)) : "") + " " +
                      right->str(),
                  step.parts);
    }
    EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>{});
}
