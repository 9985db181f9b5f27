// The tree-adjoining sample: its Check menu on right and wrong derivations, substitution and
// adjunction by dropping one tree on another, and its magnifying glass.
#include "SampleTestSupport.h"

namespace {

const char* const kSample = "tag.rgt";
// The elementary trees of "Mary thinks John sleeps quickly".
const char* const kTrees = "tree: [S [NP] [VP [V sleeps]]]\ntree: [NP [N John]]\n"
                           "tree: [VP [VP{foot}] [Adv quickly]]\n"
                           "tree: [S [NP] [VP [V thinks] [S{foot}]]]\ntree: [NP [N Mary]]\n";

struct RDrop {
    const char* dragged;
    int draggedOccurrence;
    const char* target;
    int targetOccurrence;
    const char* message; // the kind of tree and how it was placed
};

// Makes the drops one after another, each on the document the one before saved.
std::string derive(const TempDir& dir, const std::vector<RDrop>& drops) {
    std::string from = "document.rgt";
    for (std::size_t i = 0; i < drops.size(); ++i) {
        const RDrop& drop = drops[i];
        const CSampleDocument document(dir, from);
        from = std::to_string(i) + ".rdc";
        EXPECT_EQ(dropMessage(document,
                              document.pair(drop.dragged, drop.draggedOccurrence, drop.target,
                                            drop.targetOccurrence),
                              from),
                  std::string("message: The ") + drop.message + ".");
    }
    return from;
}

} // namespace

TEST(TagSample, InitialTreesLandOnOpenNodesAndAuxiliaryTreesOnInnerNodes) {
    TempDir dir;
    expectLandings(CSampleDocument(dir, kSample, kTrees),
                   {
                       {"NP", 1, "NP", 0, true},      // John into sleeps' subject
                       {"S", 0, "NP", 2, true},       // a wrong choice, which Check explains
                       {"NP", 1, "S", 2, false},      // not on a foot
                       {"NP", 1, "VP", 0, false},     // an initial tree does not adjoin
                       {"VP", 1, "VP", 0, true},      // quickly at sleeps' VP
                       {"VP", 1, "S", 0, true},       // or anywhere inside, checked later
                       {"VP", 1, "V", 0, true},       //
                       {"VP", 1, "NP", 0, false},     // but not at an open node
                       {"VP", 1, "sleeps", 0, false}, //
                   });
}

TEST(TagSample, DerivesASentenceAndChecksAnAdjunctionAtTheWrongNode) {
    TempDir dir;
    const CSampleDocument trees(dir, kSample, kTrees);
    // The last adjunction at the root of John sleeps: thinks becomes the root of the whole.
    const CSampleDocument sentence(
        dir, derive(dir, {{"NP", 1, "NP", 0, "initial tree is substituted at NP"},
                          {"VP", 1, "VP", 0, "auxiliary tree is adjoined at VP"},
                          {"S", 1, "S", 0, "auxiliary tree is adjoined at S"},
                          {"NP", 2, "NP", 0, "initial tree is substituted at NP"}}));
    EXPECT_EQ(sentence.qtree(), "\\Tree [.S [.NP [.N Mary ] ] [.VP [.V thinks ] [.S [.NP [.N John "
                                "] ] [.VP [.VP [.V sleeps ] ] [.Adv quickly ] ] ] ] ] \n");
    EXPECT_EQ(sentence.call("check-derivation").out,
              checkOutput(sentence, {},
                          "No problems found: no substitution node is open, and every tree is in "
                          "place at a node with its label."));

    // quickly at the subject's NP, after John is substituted there.
    const CSampleDocument wrong(
        dir, derive(dir, {{"NP", 1, "NP", 0, "initial tree is substituted at NP"},
                          {"VP", 1, "NP", 0, "auxiliary tree is adjoined at NP"}}));
    EXPECT_EQ(wrong.qtree(),
              "\\Tree [.S [.VP [.NP [.N John ] ] [.Adv quickly ] ] [.VP [.V sleeps "
              "] ] ] \n\\Tree [.S NP [.VP [.V thinks ] S ] ] \n\\Tree [.NP [.N Mary ] ] \n");
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
    const CSampleDocument document(dir, kSample,
                                   std::string(kTrees) +
                                       "tree: [S [NP{substituted-at=NP} [N Kim]] "
                                       "[VP{adjoined-at=VP} [VP [V laughs]] [Adv quickly]]]\n");
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
