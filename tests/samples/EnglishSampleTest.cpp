// The English X-bar sample: its Check menu on right and wrong trees, and its hooks. The trees
// carry the features their words have in the sample's lexicon.
#include "SampleTestSupport.h"

namespace {

const char* const kSample = "english.rgt";
const char* const kNoProblems =
    "No problems found: the trees follow X-bar theory and this grammar.";

// Kim thinks that the big dog chased them quickly; I wonder whether Mary gave the students a
// book in the park; a roofed DP, whose inside is not checked.
const std::string kRightTrees = R"(tree: [TP [DP [D' [D{num=sg,person=3,subcat=none} Kim]]]
  [T' [T{tense=pres,agr=3sg,subcat=VP} -s] [VP [V' [V{subcat=CP} think] [CP [C' [C{subcat=TP} that]
  [TP [DP [D' [D{subcat=NP} the] [NP [N' [AP [A' [A{subcat=none} big]]]
  [N' [N{num=sg,subcat=none} dog]]]]]] [T' [T{tense=past,subcat=VP} -ed]
  [VP [V' [V' [V{subcat=DP} chase] [DP [D' [D{case=acc,num=pl,person=3,subcat=none} them]]]]
  [AdvP [Adv' [Adv{subcat=none} quickly]]]]]]]]]]]]]
tree: [TP [DP [D' [D{case=nom,num=sg,person=1,subcat=none} I]]]
  [T' [T{tense=pres,agr=non-3sg,subcat=VP} Ø] [VP [V' [V{subcat="CP[+wh]"} wonder]
  [CP [C' [C{subcat=TP,wh=yes} whether] [TP [DP [D' [D{num=sg,person=3,subcat=none} Mary]]]
  [T' [T{tense=past,subcat=VP} -ed] [VP [V' [V' [V{subcat="DP DP|DP PP"} give]
  [DP [D' [D{subcat=NP} the] [NP [N' [N{num=pl,subcat=none} students]]]]]
  [DP [D' [D{num=sg,subcat=NP} a] [NP [N' [N{num=sg,subcat=none} book]]]]]]
  [PP [P' [P{subcat=DP} in] [DP [D' [D{subcat=NP} the] [NP [N' [N{num=sg,subcat=none} park]]]]]]]]]]]]]]]]]
tree: [DP{triangle} those old dogs]
)";

// What a command that only shows this message prints.
std::string messageOnly(const std::string& message) {
    return "message: " + message + "\noffending:\ndirty: 0\n";
}

} // namespace

TEST(EnglishSample, GreetsExplainsAndAsksForWhatIsMissing) {
    TempDir dir;
    const CSampleDocument empty(dir, kSample, "");
    EXPECT_EQ(empty.call("check-trees").out,
              messageOnly("There is no tree to check yet: drag words from the lexicon onto the "
                          "work area."));
    const std::string about = empty.call("about-x-bar").out;
    EXPECT_NE(about.find("CP[+wh]"), std::string::npos) << about;
    const std::string opened = empty.hook("open", "").out;
    EXPECT_EQ(opened.rfind("message: Drag words from the lexicon onto the work area.", 0), 0u);
    EXPECT_EQ(opened.substr(opened.find('\n')),
              "\nhook open: exists=1 answer=0\noffending:\ndirty: 0\n");
    // The indexing commands work on the selection; without one they change nothing.
    const CSampleDocument document(dir, kSample, kRightTrees);
    EXPECT_EQ(document.call("index-moved").out,
              messageOnly("Select the phrase or head that has moved (who, did...), then choose "
                          "Index the Moved Phrase."));
    EXPECT_EQ(document.call("index-trace").out,
              messageOnly("First select the moved phrase and choose Index the Moved Phrase, "
                          "then select its trace t and choose Index Its Trace."));
}

TEST(EnglishSample, MagnifyingGlassDescribesANodeInItsPhrase) {
    TempDir dir;
    const CSampleDocument document(dir, kSample,
                                   kRightTrees + "tree: [DP [D' [D{subcat=NP} the] [NP]]]\n"
                                                 "tree: [V' [V'{foot}] [AdvP [Adv' "
                                                 "[Adv{subcat=none} quickly]]]]\n");
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

TEST(EnglishSample, ScissorsCutPhrasesAndAdjunctsButNeverBreakAWord) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, kRightTrees);
    const std::string before = document.qtree();
    expectNodeMessages(
        document, "scissors",
        {
            {"TP", 0, "There is nothing to cut: TP is the top of its own tree."},
            {"Kim", 0,
             "The word 'Kim' cannot be cut from its head D: a word and its head belong together."},
            {"V", 0,
             "The head V cannot be cut: it holds the word 'think', and V' is built on it. Cut a "
             "whole phrase instead."},
            {"D'", 0,
             "D' cannot be cut from DP: both are projections of the same head, so cutting "
             "between them would break its phrase. Cut a whole phrase instead."},
            {"N'", 1,
             "N' cannot be cut from N': both are projections of the same head, so cutting "
             "between them would break its phrase. Cut a whole phrase instead."},
        });
    EXPECT_EQ(document.hook("scissors", document.node("TP"), "after.rdc").out,
              hookOutput("scissors", "There is nothing to cut: TP is the top of its own tree."));
    EXPECT_EQ(CSampleDocument(dir, "after.rdc").qtree(), before);

    const std::string subject = document.node("DP", 1);
    EXPECT_EQ(document.hook("scissors", subject, "cut.rdc").out,
              hookOutput("scissors",
                         "'the big dog' is cut out of TP and is now a tree of its own; its DP "
                         "position is empty again.",
                         true));
    const CSampleDocument cut(dir, "cut.rdc");
    // The new tree first, and an empty DP where the subject was.
    EXPECT_EQ(
        cut.qtree(),
        R"(\Tree [.DP [.D' [.D the ] [.NP [.N' [.AP [.A' [.A big ] ] ] [.N' [.N dog ] ] ] ] ] ] 
)" + before.substr(0, before.find("[.TP [.DP [.D' [.D the ]")) +
            "[.TP DP" + before.substr(before.find(" [.T' [.T -ed ]")));
    // The position keeps its node; the phrase is a copy at the front of the tree list.
    EXPECT_EQ(cut.node("DP", 2), subject);
    EXPECT_EQ(cut.call("check-trees").out,
              checkOutput(cut,
                          {{"DP", 2,
                            "This DP position is still empty: drop the subject of the clause on "
                            "it."}},
                          problemsFound(1)));

    EXPECT_EQ(document.hook("scissors", document.node("AdvP"), "adjunct.rdc").out,
              hookOutput("scissors",
                         "The adjunct 'quickly' is cut off, and V' is as it was before the adjunct "
                         "was attached.",
                         true));
    const CSampleDocument adjunct(dir, "adjunct.rdc");
    const std::string trees = adjunct.qtree();
    EXPECT_EQ(trees.substr(0, trees.find('\n')), "\\Tree [.AdvP [.Adv' [.Adv quickly ] ] ] ");
    EXPECT_NE(trees.find("[.VP [.V' [.V chase ] [.DP [.D' [.D them ] ] ] ] ] "), std::string::npos)
        << trees;
    EXPECT_EQ(adjunct.call("check-trees").out, checkOutput(adjunct, {}, kNoProblems));
}

TEST(EnglishSample, ScissorsRemoveAnEmptyPositionAWordCanDoWithout) {
    TempDir dir;
    const CSampleDocument document(dir, kSample,
                                   "tree: [VP [V' [V{subcat=\"DP|none\"} eat] [DP]]]\n"
                                   "tree: [VP [V' [V{subcat=DP} see] [DP]]]\n");
    for (const char* to : {"eat.rdc", "see.rdc"})
        EXPECT_EQ(document.hook("scissors", document.node("DP", to[0] == 's'), to).out,
                  hookOutput("scissors", "The empty DP position is removed from V'.", true));
    // Eat can do without its object; see cannot.
    const CSampleDocument eat(dir, "eat.rdc");
    EXPECT_EQ(eat.qtree(), "\\Tree [.VP [.V' [.V eat ] ] ] \n\\Tree [.VP [.V' [.V see ] DP ] ] \n");
    const std::string empty = "This DP position is still empty: drop the complement of ";
    EXPECT_EQ(eat.call("check-trees").out,
              checkOutput(eat, {{"DP", 0, (empty + "'see' on it.").c_str()}}, problemsFound(1)));
    const CSampleDocument see(dir, "see.rdc");
    EXPECT_EQ(see.call("check-trees").out,
              checkOutput(see,
                          {{"DP", 0, (empty + "'eat' on it.").c_str()},
                           {"V'", 1, "'see' needs the complement DP, but here it has none."}},
                          problemsFound(2)));
}

TEST(EnglishSample, PhrasesLandOnEmptyPositionsAndAdjunctsOnTheirX) {
    TempDir dir;
    // Loose pieces of "the big dog sleeps quickly".
    const CSampleDocument pieces(
        dir, kSample,
        "tree: [DP [D' [D{subcat=NP} the] [NP]]]\n"
        "tree: [NP [N' [N{num=sg,subcat=none} dog]]]\n"
        "tree: [N' [AP [A' [A{subcat=none} big]]] [N'{foot}]]\n"
        "tree: [VP [V' [V{subcat=none} sleep]]]\n"
        "tree: [V' [V'{foot}] [AdvP [Adv' [Adv{subcat=none} quickly]]]]\n");
    expectLandings(pieces, {
                               {"NP", 1, "NP", 0, true},  // the noun phrase into the empty NP
                               {"VP", 0, "NP", 0, true},  // any phrase: Check tells it is wrong
                               {"NP", 1, "DP", 0, false}, // not on a filled position
                               {"NP", 1, "D'", 0, false}, // nor on an intermediate projection
                               {"N'", 1, "N'", 0, true},  // the adjective onto the noun's N'
                               {"N'", 1, "V'", 0, false}, // but not onto a verb's
                               {"N'", 1, "NP", 1, false}, // nor onto a phrase
                               {"V'", 1, "V'", 0, true},  // the adverb onto the verb's V'
                               {"NP", 1, "N'", 2, false}, // nothing lands on an adjunct's foot
                               {"VP", 0, "V'", 2, false},
                           });
    // A drop the landing hook refuses changes nothing.
    EXPECT_EQ(pieces.hook("drag-completed", pieces.pair("VP", 0, "D'", 0)).out,
              "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 0\n");
    EXPECT_EQ(dropMessage(pieces, pieces.pair("N'", 1, "N'", 0), "adjoined.rdc"),
              "message: 'big' is now an adjunct of N'.");
    const CSampleDocument adjoined(dir, "adjoined.rdc");
    EXPECT_EQ(adjoined.hook("drag-completed", adjoined.pair("NP", 1, "NP", 0), "filled.rdc").out,
              "hook drag-completed: exists=1 answer=0\noffending:\ndirty: 1\n");
    const CSampleDocument filled(dir, "filled.rdc");
    EXPECT_EQ(dropMessage(filled, filled.pair("V'", 1, "V'", 0), "done.rdc"),
              "message: 'quickly' is now an adjunct of V'.");
    const CSampleDocument done(dir, "done.rdc");
    EXPECT_EQ(done.qtree(),
              "\\Tree [.DP [.D' [.D the ] [.NP [.N' [.AP [.A' [.A big ] ] ] [.N' [.N dog ] ] ] ] "
              "] ] \n"
              "\\Tree [.VP [.V' [.V' [.V sleep ] ] [.AdvP [.Adv' [.Adv quickly ] ] ] ] ] \n");
    EXPECT_EQ(done.call("check-trees").out, checkOutput(done, {}, kNoProblems));
}
