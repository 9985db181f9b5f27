// The tree-adjoining sample: its Check menu on right and wrong derivations, and substitution
// and adjunction by dropping one tree on another.

#include "SampleTestSupport.h"

#include "cli/CliCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kSample = "tag.rgt";

const char* const kNoProblems = "No problems found: no substitution node is open, and every "
                                "tree is in place at a node with its label.";

// The elementary trees of "Mary thinks John sleeps quickly".
const char* const kTrees = "tree: [S [NP] [VP [V sleeps]]]\n"
                           "tree: [NP [N John]]\n"
                           "tree: [VP [VP{foot}] [Adv quickly]]\n"
                           "tree: [S [NP] [VP [V thinks] [S{foot}]]]\n"
                           "tree: [NP [N Mary]]\n";

TEST(TagSample, LetsInitialTreesLandOnOpenNodesAndAuxiliaryTreesOnInnerNodes) {
    TempDir dir;
    const CSampleDocument document(dir, kSample, kTrees);
    expectLandings(document, {
                                 {"NP", 1, "NP", 0, true},  // John into sleeps' subject
                                 {"S", 0, "NP", 2, true},   // a wrong choice, which Check explains
                                 {"NP", 1, "S", 2, false},  // not on a foot
                                 {"NP", 1, "VP", 0, false}, // an initial tree does not adjoin
                                 {"VP", 1, "VP", 0, true},  // quickly at sleeps' VP
                                 {"VP", 1, "S", 0, true}, // or anywhere inside, to be checked later
                                 {"VP", 1, "V", 0, true}, //
                                 {"VP", 1, "NP", 0, false}, // but not at an open node
                                 {"VP", 1, "sleeps", 0, false},
                             });
}

// Drops a tree on a node in the document `from` and saves the result as `to`; gives the
// message the script showed.
std::string drop(const TempDir& dir, const std::string& from, const RNodeName& dragged,
                 const RNodeName& target, const std::string& to) {
    const CSampleDocument document(dir, from);
    return dropMessage(document, document.node(dragged.label, dragged.occurrence),
                       document.node(target.label, target.occurrence), to);
}

TEST(TagSample, DerivesASentenceBySubstitutionAndAdjunction) {
    TempDir dir;
    const CSampleDocument trees(dir, kSample, kTrees);
    EXPECT_EQ(drop(dir, "document.rgt", {"NP", 1}, {"NP", 0}, "1.rdc"),
              "message: The initial tree is substituted at NP.");
    EXPECT_EQ(drop(dir, "1.rdc", {"VP", 1}, {"VP", 0}, "2.rdc"),
              "message: The auxiliary tree is adjoined at VP.");
    // At the root of John sleeps: thinks takes its place as the root of the whole tree.
    EXPECT_EQ(drop(dir, "2.rdc", {"S", 1}, {"S", 0}, "3.rdc"),
              "message: The auxiliary tree is adjoined at S.");
    EXPECT_EQ(drop(dir, "3.rdc", {"NP", 2}, {"NP", 0}, "4.rdc"),
              "message: The initial tree is substituted at NP.");

    const CSampleDocument sentence(dir, "4.rdc");
    EXPECT_EQ(sentence.qtree(), "\\Tree [.S [.NP [.N Mary ] ] [.VP [.V thinks ] [.S [.NP [.N John "
                                "] ] [.VP [.VP [.V sleeps ] ] [.Adv quickly ] ] ] ] ] \n");
    EXPECT_EQ(sentence.call("check-derivation").out, checkOutput(sentence, {}, kNoProblems));
}

TEST(TagSample, ChecksAnAdjunctionAtTheWrongNode) {
    TempDir dir;
    const CSampleDocument trees(dir, kSample, kTrees);
    // quickly at the subject's NP, after John is substituted there.
    EXPECT_EQ(drop(dir, "document.rgt", {"NP", 1}, {"NP", 0}, "1.rdc"),
              "message: The initial tree is substituted at NP.");
    EXPECT_EQ(drop(dir, "1.rdc", {"VP", 1}, {"NP", 0}, "2.rdc"),
              "message: The auxiliary tree is adjoined at NP.");
    const CSampleDocument wrong(dir, "2.rdc");
    EXPECT_EQ(wrong.qtree(), "\\Tree [.S [.VP [.NP [.N John ] ] [.Adv quickly ] ] [.VP [.V sleeps "
                             "] ] ] \n"
                             "\\Tree [.S NP [.VP [.V thinks ] S ] ] \n"
                             "\\Tree [.NP [.N Mary ] ] \n");
    EXPECT_EQ(wrong.call("check-derivation").out,
              checkOutput(wrong,
                          {{"VP", 0,
                            "This auxiliary tree has root and foot VP, but it was adjoined at a "
                            "node labelled NP: an auxiliary tree adjoins only at a node with the "
                            "label of its root and foot."},
                           {"S", 1,
                            "This auxiliary tree is not adjoined yet: drop it on a node labelled "
                            "S, the label of its root and foot."},
                           {"NP", 1,
                            "This NP is an open substitution node: drop an initial tree whose "
                            "root is NP on it."},
                           {"NP", 2,
                            "This NP tree is not part of a sentence yet: drop it on an open NP "
                            "node."}},
                          problemsFound(4)));
}

TEST(TagSample, MagnifyingGlassTellsWhatANodeIs) {
    TempDir dir;
    const CSampleDocument document(
        dir, kSample,
        std::string(kTrees) + "tree: [S [NP{substituted-at=NP} [N Kim]] [VP{adjoined-at=VP} [VP "
                              "[V laughs]] [Adv quickly]]]\n");
    expectNodeMessages(
        document, "magnifying-glass",
        {
            {"NP", 0, "This NP is an open substitution node."},
            {"VP", 2, "This VP is the foot node of an auxiliary tree not adjoined yet."},
            {"VP", 1, "This VP is the root of an auxiliary tree not adjoined yet."},
            {"S", 0, "This S is the root of a tree."},
            {"VP", 0, "This VP is a node inside an elementary tree."},
            {"sleeps", 0, "'sleeps' is a word."},
            {"NP", 4, "Here an initial tree was substituted at a node labelled NP."},
            {"VP", 4, "Here an auxiliary tree was adjoined at a node labelled VP."},
        });
}

} // namespace
