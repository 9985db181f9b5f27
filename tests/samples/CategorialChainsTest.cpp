// The program's own apply and compose on the categorial sample's categories, chained: every
// label they make must parse into the parts it was made from, so that it combines again.

#include "SampleTestSupport.h"

#include "cli/CliCommand.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kTag = 158;

// The sample's words, each a tree of its own on the work area.
class CategorialChains : public ::testing::Test {
protected:
    void SetUp() override {
        document = std::make_unique<CSampleDocument>(
            dir, "categorial.rgt",
            "tree: [NP John]\ntree: [NP Mary]\ntree: [N dog]\n"
            "tree: [(S\\NP)/(S\\NP) often]\ntree: [(S\\NP)/(S\\NP) often]\n"
            "tree: [(S\\NP)/(S\\NP) often]\ntree: [(S\\NP)/NP sees]\n"
            "tree: [(S\\NP)\\(S\\NP) quickly]\ntree: [(S\\NP)\\(S\\NP) quickly]\n"
            "tree: [S\\NP sleeps]\ntree: [(N\\N)/(S\\NP) who]\n");
        testing::internal::CaptureStderr();
        ASSERT_TRUE(openAnyFile(document->path(), tree)) << testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStderr();
    }

    int32_t word(const std::string& label, int occurrence = 0) {
        return document->node(label, occurrence);
    }

    // Combines two trees in a step of its own, and checks that the new label is sound.
    int32_t combine(bool compose, int32_t first, int32_t second) {
        int32_t made = 0;
        EXPECT_EQ(tree->undoStructure().startTaskList(kLabelMenu), kNoErr);
        EXPECT_EQ(compose ? tree->compose(first, second, made) : tree->apply(first, second, made),
                  kNoErr);
        EXPECT_EQ(tree->undoStructure().finishTaskList(), kNoErr);
        EXPECT_NE(made, 0) << label(first) << " and " << label(second) << " do not combine";
        return made;
    }

    std::string label(int32_t node) {
        const CRString* text = nullptr;
        EXPECT_EQ(tree->getLabel(node, text), kNoErr);
        return text ? text->str() : std::string();
    }

    // The label's parts as the program reads them: "left dir right", or "!" when it cannot.
    std::string parts(int32_t node) {
        std::unique_ptr<CRString> left;
        std::unique_ptr<CRString> right;
        int32_t direction = 0;
        bool error = false;
        CTree::parseCategorialLabel(CRString(label(node), kTag), left, right, direction, error);
        if (error)
            return "!";
        return left->str() + " " + (direction ? std::string(1, static_cast<char>(direction)) : "") +
               " " + right->str();
    }

    TempDir dir;
    std::unique_ptr<CSampleDocument> document;
    std::unique_ptr<CTree> tree;
    RecordingPlatformScope platform;
};

} // namespace

TEST_F(CategorialChains, ThreeCompositionsThenTwoApplicationsMakeAClause) {
    // John often often often sees Mary.
    const int32_t twice = combine(true, word("(S\\NP)/(S\\NP)", 0), word("(S\\NP)/(S\\NP)", 1));
    EXPECT_EQ(label(twice), "(S\\NP)/(S\\NP)");
    EXPECT_EQ(parts(twice), "S\\NP / S\\NP");
    const int32_t thrice = combine(true, twice, word("(S\\NP)/(S\\NP)", 2));
    EXPECT_EQ(label(thrice), "(S\\NP)/(S\\NP)");
    const int32_t verb = combine(true, thrice, word("(S\\NP)/NP"));
    EXPECT_EQ(label(verb), "(S\\NP)/NP");
    EXPECT_EQ(parts(verb), "S\\NP / NP");
    const int32_t phrase = combine(false, verb, word("NP", 1));
    EXPECT_EQ(label(phrase), "S\\NP");
    const int32_t clause = combine(false, word("NP", 0), phrase);
    EXPECT_EQ(label(clause), "S");
    EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>{});
}

TEST_F(CategorialChains, BackwardAndRelativeChainsKeepTheirBrackets) {
    // sleeps quickly quickly: two backward modifiers composed, then applied.
    const int32_t modifiers =
        combine(true, word("(S\\NP)\\(S\\NP)", 0), word("(S\\NP)\\(S\\NP)", 1));
    EXPECT_EQ(label(modifiers), "(S\\NP)\\(S\\NP)");
    const int32_t sleeps = combine(false, word("S\\NP"), modifiers);
    EXPECT_EQ(label(sleeps), "S\\NP");

    // dog who often sees Mary: four steps, two of them compositions.
    const int32_t who = combine(true, word("(N\\N)/(S\\NP)"), word("(S\\NP)/(S\\NP)", 0));
    EXPECT_EQ(label(who), "(N\\N)/(S\\NP)");
    EXPECT_EQ(parts(who), "N\\N / S\\NP");
    const int32_t whoSees = combine(true, who, word("(S\\NP)/NP"));
    EXPECT_EQ(label(whoSees), "(N\\N)/NP");
    const int32_t relative = combine(false, whoSees, word("NP", 1));
    EXPECT_EQ(label(relative), "N\\N");
    const int32_t noun = combine(false, word("N"), relative);
    EXPECT_EQ(label(noun), "N");
    // A part without a slash of its own takes no brackets.
    EXPECT_EQ(parts(whoSees), "N\\N / NP");
}
