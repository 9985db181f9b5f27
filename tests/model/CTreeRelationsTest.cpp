#include "support/HierarchyTestSupport.h"

#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Standard categories of a new grammar (records 2 to 6: X, N, V, A, P).
constexpr int32_t kN = 3;
constexpr int32_t kV = 4;
constexpr int32_t kP = 6;

// Two trees in one database: an X-bar clause with a specifier, a head, a complement and a
// VP adjunct, and a flat tree without categories.
//
//   VPt (V,2)                          F (0,-1)
//   ├─ VP (V,2)                        ├─ a
//   │  ├─ NPs (N,2) ─ Ns (N,0)         ├─ b
//   │  └─ V' (V,1)                     └─ c
//   │     ├─ V (V,0)
//   │     └─ NPo (N,2) ─ No (N,0)
//   └─ PP (P,2) ─ P (P,0)
//
// Tables list the nodes in this order; in node-valued tables a node is written as its
// position ("0".."9", then "a".."d") and "-" means 0.
const char* const kOrder[] = {"VPt", "VP", "NPs", "Ns", "V'", "V", "NPo",
                              "No",  "PP", "P",   "F",  "a",  "b", "c"};
constexpr int32_t kCount = 14;

using PairRelation = RErr (CTree::*)(int32_t, int32_t, int32_t&) const;
using NodeRelation = RErr (CTree::*)(int32_t, int32_t&) const;

std::string withoutSpaces(const std::string& text) {
    std::string out;
    for (const char c : text)
        if (c != ' ')
            out += c;
    return out;
}

class CTreeRelations : public HierarchyFixture {
protected:
    void SetUp() override {
        HierarchyFixture::SetUp();
        xbar = build("VPt(VP(NPs(Ns) V'(V NPo(No))) PP(P))");
        flat = build("F(a b c)");
        const struct {
            const char* name;
            int32_t category;
            int32_t projection;
        } kinds[] = {{"VPt", kV, 2}, {"VP", kV, 2},  {"NPs", kN, 2}, {"Ns", kN, 0}, {"V'", kV, 1},
                     {"V", kV, 0},   {"NPo", kN, 2}, {"No", kN, 0},  {"PP", kP, 2}, {"P", kP, 0},
                     {"F", 0, -1},   {"a", 0, -1},   {"b", 0, -1},   {"c", 0, -1}};
        ASSERT_EQ(
            inStep(tree, kLabelMenu,
                   [&] {
                       RErr err = kNoErr;
                       for (const auto& kind : kinds) {
                           if (!err)
                               err = tree.dataTask(node(kind.name), kAttrCategory, kind.category);
                           if (!err)
                               err =
                                   tree.dataTask(node(kind.name), kAttrProjection, kind.projection);
                       }
                       return err;
                   }),
            kNoErr);
    }

    int32_t at(int32_t position) const { return node(kOrder[position]); }

    int32_t decode(char code) const {
        if (code == '-')
            return 0;
        return at(code <= '9' ? code - '0' : code - 'a' + 10);
    }

    // Every ordered pair (row = first argument) against a table of 0/1.
    void expectTruthTable(const char* name, PairRelation relation,
                          const std::vector<std::string>& table) {
        ASSERT_EQ(table.size(), static_cast<std::size_t>(kCount)) << name;
        for (int32_t i = 0; i < kCount; ++i) {
            const std::string row = withoutSpaces(table[static_cast<std::size_t>(i)]);
            ASSERT_EQ(row.size(), static_cast<std::size_t>(kCount)) << name << " row " << i;
            for (int32_t j = 0; j < kCount; ++j) {
                int32_t result = -1;
                EXPECT_EQ((tree.*relation)(at(i), at(j), result), kNoErr);
                EXPECT_EQ(result, row[static_cast<std::size_t>(j)] - '0')
                    << name << "(" << kOrder[i] << ", " << kOrder[j] << ")";
            }
        }
    }

    void expectNodeTable(const char* name, PairRelation relation,
                         const std::vector<std::string>& table) {
        ASSERT_EQ(table.size(), static_cast<std::size_t>(kCount)) << name;
        for (int32_t i = 0; i < kCount; ++i) {
            const std::string row = withoutSpaces(table[static_cast<std::size_t>(i)]);
            ASSERT_EQ(row.size(), static_cast<std::size_t>(kCount)) << name << " row " << i;
            for (int32_t j = 0; j < kCount; ++j) {
                int32_t result = -1;
                EXPECT_EQ((tree.*relation)(at(i), at(j), result), kNoErr);
                EXPECT_EQ(result, decode(row[static_cast<std::size_t>(j)]))
                    << name << "(" << kOrder[i] << ", " << kOrder[j] << ")";
            }
        }
    }

    // One answer per node: 0/1 for a truth value, a node code for a node result.
    void expectPerNode(const char* name, NodeRelation relation, const std::string& answers,
                       bool nodeValued) {
        const std::string row = withoutSpaces(answers);
        ASSERT_EQ(row.size(), static_cast<std::size_t>(kCount)) << name;
        for (int32_t i = 0; i < kCount; ++i) {
            int32_t result = -1;
            EXPECT_EQ((tree.*relation)(at(i), result), kNoErr);
            const char code = row[static_cast<std::size_t>(i)];
            EXPECT_EQ(result, nodeValued ? decode(code) : code - '0')
                << name << "(" << kOrder[i] << ")";
        }
    }

    int32_t xbar = 0;
    int32_t flat = 0;
};

TEST_F(CTreeRelations, DominanceKinshipAndCommonDominatorOverEveryPair) {
    expectTruthTable("dominate", &CTree::dominate,
                     {"1111111111 0000", "0111111100 0000", "0011000000 0000", "0001000000 0000",
                      "0000111100 0000", "0000010000 0000", "0000001100 0000", "0000000100 0000",
                      "0000000011 0000", "0000000001 0000", "0000000000 1111", "0000000000 0100",
                      "0000000000 0010", "0000000000 0001"});
    expectTruthTable("nonReflexiveDominate", &CTree::nonReflexiveDominate,
                     {"0111111111 0000", "0011111100 0000", "0001000000 0000", "0000000000 0000",
                      "0000011100 0000", "0000000000 0000", "0000000100 0000", "0000000000 0000",
                      "0000000001 0000", "0000000000 0000", "0000000000 0111", "0000000000 0000",
                      "0000000000 0000", "0000000000 0000"});
    expectTruthTable("immediatelyDominate", &CTree::immediatelyDominate,
                     {"0100000010 0000", "0010100000 0000", "0001000000 0000", "0000000000 0000",
                      "0000011000 0000", "0000000000 0000", "0000000100 0000", "0000000000 0000",
                      "0000000001 0000", "0000000000 0000", "0000000000 0111", "0000000000 0000",
                      "0000000000 0000", "0000000000 0000"});
    expectTruthTable("sameRoot", &CTree::sameRoot,
                     {"1111111111 0000", "1111111111 0000", "1111111111 0000", "1111111111 0000",
                      "1111111111 0000", "1111111111 0000", "1111111111 0000", "1111111111 0000",
                      "1111111111 0000", "1111111111 0000", "0000000000 1111", "0000000000 1111",
                      "0000000000 1111", "0000000000 1111"});
    // Two roots are never sisters.
    expectTruthTable("isSisterOf", &CTree::isSisterOf,
                     {"0000000000 0000", "0000000010 0000", "0000100000 0000", "0000000000 0000",
                      "0010000000 0000", "0000001000 0000", "0000010000 0000", "0000000000 0000",
                      "0100000000 0000", "0000000000 0000", "0000000000 0000", "0000000000 0011",
                      "0000000000 0101", "0000000000 0110"});
    expectNodeTable("findLowestCommonDominator", &CTree::findLowestCommonDominator,
                    {"0000000000 ----", "0111111100 ----", "0122111100 ----", "0123111100 ----",
                     "0111444400 ----", "0111454400 ----", "0111446600 ----", "0111446700 ----",
                     "0000000088 ----", "0000000089 ----", "---------- aaaa", "---------- abaa",
                     "---------- aaca", "---------- aaad"});

    expectPerNode("isRootNode", &CTree::isRootNode, "1000000000 1000", false);
    expectPerNode("hasDaughters", &CTree::hasDaughters, "1110101010 1000", false);
    expectPerNode("isBranchingNode", &CTree::isBranchingNode, "1100100000 1000", false);
    expectPerNode("isLeftmostSister", &CTree::isLeftmostSister, "0111010101 0100", false);
    expectPerNode("isRightmostSister", &CTree::isRightmostSister, "0001101111 0001", false);
    expectPerNode("findLowestBranchingNode", &CTree::findLowestBranchingNode, "-011144400 -aaa",
                  true);
    EXPECT_EQ(reports(), std::vector<std::string>{});
}

TEST_F(CTreeRelations, CommandAndPrecedenceOverEveryPair) {
    // Sisters c-command each other; a node never c-commands its own daughter; nothing reaches
    // into the other tree.
    expectTruthTable("cCommand", &CTree::cCommand,
                     {"0000000000 0000", "0000000011 0000", "0000111100 0000", "0000111100 0000",
                      "0011000000 0000", "0000001100 0000", "0000010000 0000", "0000010000 0000",
                      "0111111100 0000", "0111111100 0000", "0000000000 0000", "0000000000 0011",
                      "0000000000 0101", "0000000000 0110"});
    // Bounded by the lowest maximal projection above the first node; the flat tree has none.
    expectTruthTable("mCommand", &CTree::mCommand,
                     {"0000000000 0000", "0000000011 0000", "0000111100 0000", "0000000000 0000",
                      "0011000000 0000", "0011001100 0000", "0011010000 0000", "0000000000 0000",
                      "0111111100 0000", "0000000000 0000", "0000000000 0000", "0000000000 0000",
                      "0000000000 0000", "0000000000 0000"});
    // Nodes of different trees never precede each other.
    expectTruthTable("precede", &CTree::precede,
                     {"0000000000 0000", "0000000011 0000", "0000111111 0000", "0000111111 0000",
                      "0000000011 0000", "0000001111 0000", "0000000011 0000", "0000000011 0000",
                      "0000000000 0000", "0000000000 0000", "0000000000 0000", "0000000000 0011",
                      "0000000000 0001", "0000000000 0000"});
    EXPECT_EQ(reports(), std::vector<std::string>{});
}

TEST_F(CTreeRelations, ProjectionsAndXBarStructureOverEveryPair) {
    expectTruthTable("same", &CTree::same,
                     {"1100000000 0000", "1100000000 0000", "0010001000 0000", "0001000100 0000",
                      "0000100000 0000", "0000010000 0000", "0010001000 0000", "0001000100 0000",
                      "0000000010 0000", "0000000001 0000", "0000000000 1111", "0000000000 1111",
                      "0000000000 1111", "0000000000 1111"});
    expectTruthTable("belongToSameSpine", &CTree::belongToSameSpine,
                     {"1100110000 0000", "1100110000 0000", "0011000000 0000", "0011000000 0000",
                      "1100110000 0000", "1100110000 0000", "0000001100 0000", "0000001100 0000",
                      "0000000011 0000", "0000000011 0000", "0000000000 1111", "0000000000 1100",
                      "0000000000 1010", "0000000000 1001"});
    // isComplementOf(a, b): a is the complement found from b.
    expectTruthTable("isComplementOf", &CTree::isComplementOf,
                     {"0000000000 0000", "0000000000 0000", "0000000000 0000", "0000000000 0000",
                      "0000000000 0000", "0000000000 0000", "0000010000 0000", "0000000000 0000",
                      "0000000000 0000", "0000000000 0000", "0000000000 0000", "0000000000 0000",
                      "0000000000 0000", "0000000000 0000"});
    // isSpecOf(a, b): b is the specifier found from a (the other order).
    expectTruthTable("isSpecOf", &CTree::isSpecOf,
                     {"0000000000 0000", "0000000010 0000", "0000000000 0000", "0000000000 0000",
                      "0010000000 0000", "0010000000 0000", "0000000000 0000", "0000000000 0000",
                      "0000000000 0000", "0000000000 0000", "0000000000 0000", "0000000000 0000",
                      "0000000000 0000", "0000000000 0000"});

    expectPerNode("isHead", &CTree::isHead, "0001010101 0000", false);
    expectPerNode("isMaximalProjection", &CTree::isMaximalProjection, "1110001010 0000", false);
    // Never the node itself: VP's is VPt above it.
    expectPerNode("bottomMax", &CTree::bottomMax, "-012111608 ----", true);
    expectPerNode("topMax", &CTree::topMax, "-002000608 ----", true);
    expectPerNode("head", &CTree::head, "5533557799 ----", true);
    expectPerNode("complement", &CTree::complement, "-----6---- ----", true);
    expectPerNode("spec", &CTree::spec, "-8--22---- ----", true);
    EXPECT_EQ(reports(), std::vector<std::string>{});
}

TEST_F(CTreeRelations, SearchForSpecOrComplementTakesAnyLevel) {
    int32_t result = -1;
    EXPECT_EQ(tree.searchForSpecOrComplement(node("V"), 1, result), kNoErr);
    EXPECT_EQ(result, node("NPo"));
    EXPECT_EQ(tree.searchForSpecOrComplement(node("V"), 2, result), kNoErr);
    EXPECT_EQ(result, node("NPs"));
    // No V-projection at level 0 above V': the search runs out at the root.
    EXPECT_EQ(tree.searchForSpecOrComplement(node("V'"), 0, result), kNoErr);
    EXPECT_EQ(result, 0);
}

TEST_F(CTreeRelations, HeadIsAmbiguousWhenTwoDaughtersContinueTheProjection) {
    const int32_t root = build("Xb(X1 X2)");
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = tree.dataTask(root, kAttrCategory, kN);
                         if (!err)
                             err = tree.dataTask(root, kAttrProjection, 1);
                         for (const char* name : {"X1", "X2"}) {
                             if (!err)
                                 err = tree.dataTask(node(name), kAttrCategory, kN);
                             if (!err)
                                 err = tree.dataTask(node(name), kAttrProjection, 0);
                         }
                         return err;
                     }),
              kNoErr);
    int32_t result = -1;
    EXPECT_EQ(tree.head(root, result), kNoErr);
    EXPECT_EQ(result, 0);
    // With one of them in another category the other is the head.
    ASSERT_EQ(
        inStep(tree, kLabelMenu, [&] { return tree.dataTask(node("X2"), kAttrCategory, kV); }),
        kNoErr);
    EXPECT_EQ(tree.head(root, result), kNoErr);
    EXPECT_EQ(result, node("X1"));
    // A category-less node of projection 0 is its own head but not a head.
    EXPECT_EQ(tree.head(node("a"), result), kNoErr);
    EXPECT_EQ(result, 0);
}

TEST_F(CTreeRelations, FootAndMainTerminalInAuthorAndStudentMode) {
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = tree.setFootNode(xbar, node("Ns"));
                         if (!err)
                             err = tree.setMainTerminalNode(xbar, node("V"));
                         if (!err)
                             err = tree.dataTask(node("No"), kAttrIsMainTerminal, 1);
                         return err;
                     }),
              kNoErr);
    expectPerNode("foot", &CTree::foot, "3333333333 ----", true);
    expectPerNode("isFoot", &CTree::isFoot, "0001000000 0000", false);
    for (int32_t i = 0; i < kCount; ++i) {
        int32_t author = -1;
        int32_t student = -1;
        EXPECT_EQ(tree.isMainTerminalNode(at(i), false, author), kNoErr);
        EXPECT_EQ(tree.isMainTerminalNode(at(i), true, student), kNoErr);
        EXPECT_EQ(author, at(i) == node("V") ? 1 : 0) << kOrder[i];
        EXPECT_EQ(student, at(i) == node("No") ? 1 : 0) << kOrder[i];
    }
    EXPECT_EQ(reports(), std::vector<std::string>{});

    int32_t result = -1;
    EXPECT_EQ(tree.isFoot(0, result), kErrInvalidParameter);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reports(), std::vector<std::string>{"CTree::isFoot (invalid parameter)"});
}

TEST_F(CTreeRelations, SelectionCountsOnlyRootsAndOnlyOne) {
    int32_t result = -1;
    EXPECT_EQ(tree.selection(result), kNoErr);
    EXPECT_EQ(result, 0);
    // An inner node alone does not count.
    ASSERT_EQ(tree.setSelectedValue(node("VP"), 1), kNoErr);
    EXPECT_EQ(tree.selection(result), kNoErr);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(tree.setSelectedValue(flat, 1), kNoErr);
    EXPECT_EQ(tree.selection(result), kNoErr);
    EXPECT_EQ(result, flat);
    ASSERT_EQ(tree.setSelectedValue(xbar, 1), kNoErr);
    EXPECT_EQ(tree.selection(result), kNoErr);
    EXPECT_EQ(result, 0);
}

TEST_F(CTreeRelations, TerminalStringsAndTreeAreaCount) {
    std::unique_ptr<CRString> text;
    ASSERT_EQ(tree.subtreeTerminalString(xbar, text), kNoErr);
    EXPECT_EQ(text->str(), " Ns V No P");
    ASSERT_EQ(tree.subtreeTerminalString(node("V'"), text), kNoErr);
    EXPECT_EQ(text->str(), " V No");
    ASSERT_EQ(tree.subtreeTerminalString(node("No"), text), kNoErr);
    EXPECT_EQ(text->str(), " No");

    // Only tree-area trees count; subscripts never appear.
    int32_t count = -1;
    ASSERT_EQ(tree.howManyRootNodes(count), kNoErr);
    EXPECT_EQ(count, 0);
    ASSERT_EQ(tree.terminalString(text), kNoErr);
    EXPECT_EQ(text->str(), "");
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = tree.setWhereIsTree(xbar, kTreeOnWorkArea);
                         if (!err)
                             err = tree.setWhereIsTree(flat, kTreeOnWorkArea);
                         const CRString subscript("i", 1);
                         if (!err)
                             err = tree.setSubscript(node("a"), &subscript);
                         return err;
                     }),
              kNoErr);
    ASSERT_EQ(tree.howManyRootNodes(count), kNoErr);
    EXPECT_EQ(count, 2);
    // Root-list order: the newest tree first.
    ASSERT_EQ(tree.terminalString(text), kNoErr);
    EXPECT_EQ(text->str(), "  a b c  Ns V No P");
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setWhereIsTree(flat, kTreeInLexicon); }),
              kNoErr);
    ASSERT_EQ(tree.howManyRootNodes(count), kNoErr);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(tree.terminalString(text), kNoErr);
    EXPECT_EQ(text->str(), "  Ns V No P");
}

TEST_F(CTreeRelations, RelationsChangeNothingAndRejectBadNodes) {
    const DatabaseState before = captureState(tree);
    const std::size_t steps = tree.undoStructure().stepCount();
    int32_t result = -1;
    for (int32_t i = 0; i < kCount; ++i)
        for (int32_t j = 0; j < kCount; ++j)
            tree.precede(at(i), at(j), result);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);
    EXPECT_EQ(reports(), std::vector<std::string>{});

    // A category record and an index out of range are not nodes.
    EXPECT_EQ(tree.dominate(kN, xbar, result), kErrInvalidParameter);
    EXPECT_EQ(tree.cCommand(xbar, tree.recordCount() + 1, result), kErrInvalidParameter);
    EXPECT_EQ(tree.hasDaughters(kHeaderRecord, result), kErrInvalidParameter);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reports(), (std::vector<std::string>{"CTree::dominate (invalid parameter)",
                                                   "CTree::cCommand (invalid parameter)",
                                                   "CTree::hasDaughters (invalid parameter)"}));
}

TEST_F(CTreeRelations, PrecedeFailsWhenTheCommonDominatorDoesNotHoldEither) {
    // Two nodes that name F as their mother without being among its daughters: the scan of
    // F's daughters finds neither.
    int32_t stray1 = 0;
    int32_t stray2 = 0;
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = kNoErr;
                         for (int32_t* stray : {&stray1, &stray2}) {
                             if (!err)
                                 err = tree.newRecord(*stray, kRecordNode);
                             if (!err)
                                 err = tree.dataTask(*stray, kAttrMother, flat);
                         }
                         return err;
                     }),
              kNoErr);
    int32_t result = -1;
    EXPECT_EQ(tree.precede(stray1, stray2, result), kErrGeneral);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reports(), std::vector<std::string>{"CTree::precede (general error)"});
    int32_t common = -1;
    EXPECT_EQ(tree.findLowestCommonDominator(stray1, stray2, common), kNoErr);
    EXPECT_EQ(common, flat);
}

} // namespace
