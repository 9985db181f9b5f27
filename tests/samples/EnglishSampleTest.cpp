// The English X-bar sample: its Check menu on right and wrong trees, and its hooks. The trees
// carry the features their words have in the sample's lexicon.

#include "SampleTestSupport.h"

#include "cli/CliCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kSample = "english.rgt";
const char* const kNoProblems =
    "No problems found: the trees follow X-bar theory and this grammar.";

// Kim thinks that the big dog chased them quickly; I wonder whether Mary gave the students a
// book in the park; a roofed DP, whose inside is not checked.
const char* const kRightTrees =
    "tree: [TP [DP [D' [D{num=sg,person=3,subcat=none} Kim]]]\n"
    "          [T' [T{tense=pres,agr=3sg,subcat=VP} -s]\n"
    "              [VP [V' [V{subcat=CP} think]\n"
    "                      [CP [C' [C{subcat=TP} that]\n"
    "                              [TP [DP [D' [D{subcat=NP} the]\n"
    "                                          [NP [N' [AP [A' [A{subcat=none} big]]]\n"
    "                                                  [N' [N{num=sg,subcat=none} dog]]]]]]\n"
    "                                  [T' [T{tense=past,subcat=VP} -ed]\n"
    "                                      [VP [V' [V' [V{subcat=DP} chase]\n"
    "                                                  [DP [D' [D{case=acc,num=pl,person=3,"
    "subcat=none} them]]]]\n"
    "                                              [AdvP [Adv' [Adv{subcat=none} "
    "quickly]]]]]]]]]]]]]\n"
    "tree: [TP [DP [D' [D{case=nom,num=sg,person=1,subcat=none} I]]]\n"
    "          [T' [T{tense=pres,agr=non-3sg,subcat=VP} Ø]\n"
    "              [VP [V' [V{subcat=\"CP[+wh]\"} wonder]\n"
    "                      [CP [C' [C{subcat=TP,wh=yes} whether]\n"
    "                              [TP [DP [D' [D{num=sg,person=3,subcat=none} Mary]]]\n"
    "                                  [T' [T{tense=past,subcat=VP} -ed]\n"
    "                                      [VP [V' [V' [V{subcat=\"DP DP|DP PP\"} give]\n"
    "                                                  [DP [D' [D{subcat=NP} the]\n"
    "                                                          [NP [N' [N{num=pl,subcat=none} "
    "students]]]]]\n"
    "                                                  [DP [D' [D{num=sg,subcat=NP} a]\n"
    "                                                          [NP [N' [N{num=sg,subcat=none} "
    "book]]]]]]\n"
    "                                              [PP [P' [P{subcat=DP} in]\n"
    "                                                      [DP [D' [D{subcat=NP} the]\n"
    "                                                              [NP [N' [N{num=sg,"
    "subcat=none} park]]]]]]]]]]]]]]]]]\n"
    "tree: [DP{triangle} those old dogs]\n";

TEST(EnglishSample, SaysSoWhenThereIsNoTreeToCheck) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, "");
    EXPECT_EQ(document.call("check-trees").out,
              "message: There is no tree to check yet: drag words from the lexicon onto the work "
              "area.\noffending:\ndirty: 0\n");
}

TEST(EnglishSample, ExplainsXBarTheoryAndGreetsTheStudent) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, "");
    const std::string about = document.call("about-x-bar").out;
    EXPECT_NE(about.find("CP[+wh]"), std::string::npos) << about;
    const std::string opened = document.hook("open", "").out;
    EXPECT_EQ(opened.rfind("message: Drag words from the lexicon onto the work area.", 0), 0u)
        << opened;
    EXPECT_EQ(opened.substr(opened.find('\n')), "\nhook open: exists=1 answer=0\noffending:\n"
                                                "dirty: 0\n");
}

TEST(EnglishSample, MagnifyingGlassDescribesANodeInItsPhrase) {
    TempDir dir;
    const CSampleDocument document(dir, kSample,
                                   std::string(kRightTrees) +
                                       "tree: [DP [D' [D{subcat=NP} the] [NP]]]\n"
                                       "tree: [V' [V'{foot}] [AdvP [Adv' [Adv{subcat=none} "
                                       "quickly]]]]\n");
    expectNodeMessages(
        document, "magnifying-glass",
        {
            {"DP", 0,
             "DP is a phrase (maximal projection, bar level 2) of category D (determiner), headed "
             "by 'Kim'. It is the subject of the clause (the specifier of TP). Features of 'Kim': "
             "number sg, person 3, complements none."},
            {"T", 0,
             "T is a head (bar level 0) of category T (tense), with the word '-s'. Features of "
             "'-s': tense pres, agreement 3sg, complements VP."},
            {"CP", 0,
             "CP is a phrase (maximal projection, bar level 2) of category C (complementiser), "
             "headed by 'that'. It is the complement of 'think'. Features of 'that': complements "
             "TP."},
            {"N'", 0,
             "N' is an intermediate projection (bar level 1) of category N (noun), headed by "
             "'dog'. An adjunct is attached at this level. Features of 'dog': number sg, "
             "complements none."},
            {"AP", 0,
             "AP is a phrase (maximal projection, bar level 2) of category A (adjective), headed "
             "by 'big'. It is an adjunct of N'. Features of 'big': complements none."},
            {"them", 0,
             "'them' is a word. Its head is D (determiner). Features of 'them': case acc, number "
             "pl, person 3, complements none."},
            {"C", 1,
             "C is a head (bar level 0) of category C (complementiser), with the word 'whether'. "
             "Features of 'whether': question yes, complements TP."},
            {"NP", 4,
             "NP is an empty position for a phrase of category N (noun). It is the complement of "
             "'the'."},
            {"V'", 6,
             "V' is the top of the adjunct 'quickly', not attached yet: drop it on the V' it "
             "modifies."},
            {"V'", 7, "V' is the foot of this adjunct: the V' it is attached to takes its place."},
        });
}

TEST(EnglishSample, ScissorsRefuseToBreakAWord) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, kRightTrees);
    const RNodeMessage refusals[] = {
        {"TP", 0, "There is nothing to cut: TP is the top of its own tree."},
        {"Kim", 0,
         "The word 'Kim' cannot be cut from its head D: a word and its head belong together."},
        {"V", 0,
         "The head V cannot be cut: it holds the word 'think', and V' is built on it. Cut a "
         "whole phrase instead."},
        {"D'", 0,
         "D' cannot be cut from DP: both are projections of the same head, so cutting between "
         "them would break its phrase. Cut a whole phrase instead."},
        {"N'", 1,
         "N' cannot be cut from N': both are projections of the same head, so cutting between "
         "them would break its phrase. Cut a whole phrase instead."},
    };
    const std::string before = document.qtree();
    for (const auto& refusal : refusals) {
        const std::string output = dir.file("after.rdc");
        const int32_t node = document.node(refusal.label, refusal.occurrence);
        EXPECT_EQ(document.hook("scissors", std::to_string(node), output).out,
                  hookOutput("scissors", refusal.message))
            << refusal.label;
        EXPECT_EQ(CSampleDocument(dir, "after.rdc").qtree(), before) << refusal.label;
    }
}

TEST(EnglishSample, ScissorsCutAPhraseOutOfItsPosition) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, kRightTrees);
    const int32_t subject = document.node("DP", 1);
    EXPECT_EQ(document.hook("scissors", std::to_string(subject), dir.file("cut.rdc")).out,
              hookOutput("scissors",
                         "'the big dog' is cut out of TP and is now a tree of its own; its DP "
                         "position is empty again.",
                         true));
    const CSampleDocument cut(dir, "cut.rdc");
    EXPECT_EQ(
        cut.qtree(),
        "\\Tree [.DP [.D' [.D the ] [.NP [.N' [.AP [.A' [.A big ] ] ] [.N' [.N dog ] ] ] ] "
        "] ] \n"
        "\\Tree [.TP [.DP [.D' [.D Kim ] ] ] [.T' [.T -s ] [.VP [.V' [.V think ] [.CP [.C' "
        "[.C that ] [.TP DP [.T' [.T -ed ] [.VP [.V' [.V' [.V chase ] [.DP [.D' [.D them ] ] "
        "] ] [.AdvP [.Adv' [.Adv quickly ] ] ] ] ] ] ] ] ] ] ] ] ] \n"
        "\\Tree [.TP [.DP [.D' [.D I ] ] ] [.T' [.T Ø ] [.VP [.V' [.V wonder ] [.CP [.C' [.C "
        "whether ] [.TP [.DP [.D' [.D Mary ] ] ] [.T' [.T -ed ] [.VP [.V' [.V' [.V give ] "
        "[.DP [.D' [.D the ] [.NP [.N' [.N students ] ] ] ] ] [.DP [.D' [.D a ] [.NP [.N' [.N "
        "book ] ] ] ] ] ] [.PP [.P' [.P in ] [.DP [.D' [.D the ] [.NP [.N' [.N park ] ] ] ] ] "
        "] ] ] ] ] ] ] ] ] ] ] ] \n"
        "\\Tree \\qroof{ those old dogs}.DP \n");
    // The position keeps its node; the phrase is a copy at the front of the tree list.
    EXPECT_EQ(cut.node("DP", 2), subject);
    EXPECT_EQ(cut.call("check-trees").out,
              checkOutput(cut,
                          {{"DP", 2,
                            "This DP position is still empty: drop the subject of the clause on "
                            "it."}},
                          problemsFound(1)));
}

TEST(EnglishSample, ScissorsCutAnAdjunctOffWithTheLevelItAdded) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, kRightTrees);
    EXPECT_EQ(
        document.hook("scissors", std::to_string(document.node("AdvP")), dir.file("cut.rdc")).out,
        hookOutput("scissors",
                   "The adjunct 'quickly' is cut off, and V' is as it was before the adjunct was "
                   "attached.",
                   true));
    const CSampleDocument cut(dir, "cut.rdc");
    const std::string trees = cut.qtree();
    EXPECT_EQ(trees.substr(0, trees.find('\n')), "\\Tree [.AdvP [.Adv' [.Adv quickly ] ] ] ");
    EXPECT_NE(trees.find("[.VP [.V' [.V chase ] [.DP [.D' [.D them ] ] ] ] ] "), std::string::npos)
        << trees;
    EXPECT_EQ(cut.call("check-trees").out, checkOutput(cut, {}, kNoProblems));
}

TEST(EnglishSample, ScissorsRemoveAnEmptyPositionAWordCanDoWithout) {
    TempDir dir;
    const CSampleDocument document(dir, kSample,
                                   "tree: [VP [V' [V{subcat=\"DP|none\"} eat] [DP]]]\n"
                                   "tree: [VP [V' [V{subcat=DP} see] [DP]]]\n");
    EXPECT_EQ(
        document.hook("scissors", std::to_string(document.node("DP", 0)), dir.file("eat.rdc")).out,
        hookOutput("scissors", "The empty DP position is removed from V'.", true));
    EXPECT_EQ(
        document.hook("scissors", std::to_string(document.node("DP", 1)), dir.file("see.rdc")).out,
        hookOutput("scissors", "The empty DP position is removed from V'.", true));
    // Eat can do without its object; see cannot.
    const CSampleDocument eat(dir, "eat.rdc");
    EXPECT_EQ(eat.qtree(), "\\Tree [.VP [.V' [.V eat ] ] ] \n\\Tree [.VP [.V' [.V see ] DP ] ] \n");
    EXPECT_EQ(eat.call("check-trees").out,
              checkOutput(eat,
                          {{"DP", 0,
                            "This DP position is still empty: drop the complement of 'see' on "
                            "it."}},
                          problemsFound(1)));
    const CSampleDocument see(dir, "see.rdc");
    EXPECT_EQ(see.call("check-trees").out,
              checkOutput(see,
                          {{"DP", 0,
                            "This DP position is still empty: drop the complement of 'eat' on "
                            "it."},
                           {"V'", 1, "'see' needs the complement DP, but here it has none."}},
                          problemsFound(2)));
}

// Loose pieces of "the big dog sleeps quickly".
const char* const kPieces = "tree: [DP [D' [D{subcat=NP} the] [NP]]]\n"
                            "tree: [NP [N' [N{num=sg,subcat=none} dog]]]\n"
                            "tree: [N' [AP [A' [A{subcat=none} big]]] [N'{foot}]]\n"
                            "tree: [VP [V' [V{subcat=none} sleep]]]\n"
                            "tree: [V' [V'{foot}] [AdvP [Adv' [Adv{subcat=none} quickly]]]]\n";

TEST(EnglishSample, LetsAPhraseLandOnAnEmptyPositionAndAnAdjunctOnItsX) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, kPieces);
    expectLandings(
        document,
        {
            {"NP", 1, "NP", 0, true},  // the noun phrase into the determiner's empty NP
            {"VP", 0, "NP", 0, true},  // any phrase may land there: Check tells it is wrong
            {"NP", 1, "DP", 0, false}, // not on a position that is already filled
            {"NP", 1, "D'", 0, false}, // nor on an intermediate projection
            {"N'", 1, "N'", 0, true},  // the adjective onto the noun's N'
            {"N'", 1, "V'", 0, false}, // but not onto a verb's
            {"N'", 1, "NP", 1, false}, // nor onto a phrase
            {"V'", 1, "V'", 0, true},  // the adverb onto the verb's V'
            {"NP", 1, "N'", 2, false}, // nothing lands on an adjunct's foot
            {"VP", 0, "V'", 2, false},
        });
}

TEST(EnglishSample, DroppingFillsPositionsAndAdjoins) {
    TempDir dir;
    const CSampleDocument pieces(dir, kSample, kPieces);
    // A drop the landing hook refuses changes nothing.
    EXPECT_EQ(pieces.hook("drag-completed", pieces.nodes("VP", "D'")).out,
              "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 0\n");

    EXPECT_EQ(
        pieces
            .hook("drag-completed",
                  std::to_string(pieces.node("N'", 1)) + "," + std::to_string(pieces.node("N'", 0)),
                  dir.file("adjoined.rdc"))
            .out,
        hookOutput("drag-completed", "'big' is now an adjunct of N'.", true));
    const CSampleDocument adjoined(dir, "adjoined.rdc");
    const RCommandOutput filled = adjoined.hook("drag-completed",
                                                std::to_string(adjoined.node("NP", 1)) + "," +
                                                    std::to_string(adjoined.node("NP", 0)),
                                                dir.file("filled.rdc"));
    EXPECT_EQ(filled.out, "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 1\n");
    const CSampleDocument done(dir, "filled.rdc");
    EXPECT_EQ(done.hook("drag-completed",
                        std::to_string(done.node("V'", 1)) + "," + std::to_string(done.node("V'")),
                        dir.file("done.rdc"))
                  .out,
              hookOutput("drag-completed", "'quickly' is now an adjunct of V'.", true));
    const CSampleDocument result(dir, "done.rdc");
    EXPECT_EQ(result.qtree(),
              "\\Tree [.DP [.D' [.D the ] [.NP [.N' [.AP [.A' [.A big ] ] ] [.N' [.N dog ] ] ] ] "
              "] ] \n"
              "\\Tree [.VP [.V' [.V' [.V sleep ] ] [.AdvP [.Adv' [.Adv quickly ] ] ] ] ] \n");
    EXPECT_EQ(result.call("check-trees").out, checkOutput(result, {}, kNoProblems));
}

// The indexing commands work on the selection; without one they say what to select first,
// and change nothing.
TEST(EnglishSample, IndexingCommandsAskForASelectionFirst) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, kRightTrees);
    EXPECT_EQ(document.call("index-moved").out,
              "message: Select the phrase or head that has moved (who, did...), then choose "
              "Index the Moved Phrase.\noffending:\ndirty: 0\n");
    EXPECT_EQ(document.call("index-trace").out,
              "message: First select the moved phrase and choose Index the Moved Phrase, then "
              "select its trace t and choose Index Its Trace.\noffending:\ndirty: 0\n");
}

} // namespace
