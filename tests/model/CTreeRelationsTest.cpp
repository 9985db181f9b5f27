#include "CallTable.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Two trees in one database: an X-bar clause with a specifier, a head, a complement and a
// VP adjunct, and a flat tree without categories (N 3, V 4, P 6).
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
// position ("0".."9", then "a".."d") and "-" means 0. Pairs never relate the two trees: a
// truth table lists, for each first node, the second nodes of its tree that make the relation
// true ("." none, "*" all); a node-valued one gives each second node's answer, tree by tree.
const char* const kTrees = "VPt(VP(NPs(Ns) V'(V NPo(No))) PP(P)); F(a b c); .kind VPt 4 2; "
                           ".kind VP 4 2; .kind NPs 3 2; .kind Ns 3 0; .kind V' 4 1; .kind V 4 0; "
                           ".kind NPo 3 2; .kind No 3 0; .kind PP 6 2; .kind P 6 0; "
                           ".kind F 0 -1; .kind a 0 -1; .kind b 0 -1; .kind c 0 -1";
const char* const kOrder[] = {"VPt", "VP", "NPs", "Ns", "V'", "V", "NPo",
                              "No",  "PP", "P",   "F",  "a",  "b", "c"};
constexpr int32_t kCount = 14;
constexpr char kCodes[] = "0123456789abcd";

using PairRelation = RErr (CTree::*)(int32_t, int32_t, int32_t&) const;
using NodeRelation = RErr (CTree::*)(int32_t, int32_t&) const;

template <typename Relation> struct RTable {
    const char* name;
    Relation relation;
    bool nodeValued;
    const char* table;
};

const RTable<PairRelation> kPairTables[] = {
    {"dominate", &CTree::dominate, false, "* 1234567 23 3 4567 5 67 7 89 9 * b c d"},
    {"nonReflexiveDominate", &CTree::nonReflexiveDominate, false,
     "123456789 234567 3 . 567 . 7 . 9 . bcd . . ."},
    {"immediatelyDominate", &CTree::immediatelyDominate, false, "18 24 3 . 56 . 7 . 9 . bcd . . ."},
    {"sameRoot", &CTree::sameRoot, false, "* * * * * * * * * * * * * *"},
    // isSisterOf: two roots are never sisters
    {"isSisterOf", &CTree::isSisterOf, false, ". 8 4 . 2 6 5 . 1 . . cd bd bc"},
    {"findLowestCommonDominator", &CTree::findLowestCommonDominator, true,
     "0000000000 0111111100 0122111100 0123111100 0111444400 0111454400 0111446600 0111446700 "
     "0000000088 0000000089 aaaa abaa aaca aaad"},
    // cCommand: sisters c-command each other, a node never its own daughter
    {"cCommand", &CTree::cCommand, false, ". 89 4567 4567 23 67 5 5 1234567 1234567 . cd bd bc"},
    // mCommand: bounded by the lowest maximal projection above the first node; none in the flat
    // tree
    {"mCommand", &CTree::mCommand, false, ". 89 4567 . 23 2367 235 . 1234567 . . . . ."},
    {"precede", &CTree::precede, false, ". 89 456789 456789 89 6789 89 89 . . . cd d ."},
    {"same", &CTree::same, false, "01 01 26 37 4 5 26 37 8 9 * * * *"},
    {"belongToSameSpine", &CTree::belongToSameSpine, false,
     "0145 0145 23 23 0145 0145 67 67 89 89 * ab ac ad"},
    // isComplementOf: a is the complement found from b
    {"isComplementOf", &CTree::isComplementOf, false, ". . . . . . 5 . . . . . . ."},
    // isSpecOf: b is the specifier found from a
    {"isSpecOf", &CTree::isSpecOf, false, ". 8 . . 2 2 . . . . . . . ."},
};

const RTable<NodeRelation> kNodeTables[] = {
    {"isRootNode", &CTree::isRootNode, false, "1000000000 1000"},
    {"hasDaughters", &CTree::hasDaughters, false, "1110101010 1000"},
    {"isBranchingNode", &CTree::isBranchingNode, false, "1100100000 1000"},
    {"isLeftmostSister", &CTree::isLeftmostSister, false, "0111010101 0100"},
    {"isRightmostSister", &CTree::isRightmostSister, false, "0001101111 0001"},
    {"findLowestBranchingNode", &CTree::findLowestBranchingNode, true, "-011144400 -aaa"},
    {"isHead", &CTree::isHead, false, "0001010101 0000"},
    {"isMaximalProjection", &CTree::isMaximalProjection, false, "1110001010 0000"},
    // bottomMax: never the node itself: VP's is VPt above it
    {"bottomMax", &CTree::bottomMax, true, "-012111608 ----"},
    {"topMax", &CTree::topMax, true, "-002000608 ----"},
    {"head", &CTree::head, true, "5533557799 ----"},
    {"complement", &CTree::complement, true, "-----6---- ----"},
    {"spec", &CTree::spec, true, "-8--22---- ----"},
};

class CTreeRelations : public ModelFixture {
protected:
    void SetUp() override {
        ModelFixture::SetUp();
        buildSetup(tree, nodes, kTrees);
        xbar = node("VPt");
        flat = node("F");
    }
    int32_t at(int32_t position) const { return node(kOrder[position]); }
    int32_t expected(char code, bool nodeValued) const {
        if (!nodeValued)
            return code - '0';
        return code == '-' ? 0 : at(code <= '9' ? code - '0' : code - 'a' + 10);
    }
    static std::string codes(const char* table) {
        std::string all;
        for (const char* c = table; *c; ++c)
            if (*c != ' ')
                all += *c;
        return all;
    }
    void check(const RTable<PairRelation>& t) {
        std::istringstream rows(t.table);
        std::string row;
        for (int32_t i = 0; i < kCount; ++i) {
            ASSERT_TRUE(rows >> row) << t.name;
            for (int32_t j = 0; j < kCount; ++j) {
                const bool together = (i < 10) == (j < 10);
                const int32_t expect = !together ? 0
                                       : t.nodeValued
                                           ? expected(row[static_cast<std::size_t>(j % 10)], true)
                                           : row == "*" || row.find(kCodes[j]) != std::string::npos;
                int32_t result = -1;
                EXPECT_EQ((tree.*t.relation)(at(i), at(j), result), kNoErr);
                EXPECT_EQ(result, expect) << t.name << "(" << kOrder[i] << ", " << kOrder[j] << ")";
            }
        }
    }
    void check(const RTable<NodeRelation>& t) {
        const std::string all = codes(t.table);
        ASSERT_EQ(all.size(), static_cast<std::size_t>(kCount)) << t.name;
        for (int32_t i = 0; i < kCount; ++i)
            EXPECT_EQ(q(t.relation, at(i)),
                      expected(all[static_cast<std::size_t>(i)], t.nodeValued))
                << t.name << "(" << kOrder[i] << ")";
    }

    int32_t xbar = 0;
    int32_t flat = 0;
};

TEST_F(CTreeRelations, EveryRelationOverEveryNodeOrPairChangingNothing) {
    const DatabaseState before = captureState(tree);
    const std::size_t steps = tree.undoStructure().stepCount();
    for (const auto& table : kPairTables)
        check(table);
    for (const auto& table : kNodeTables)
        check(table);
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);
    EXPECT_EQ(reports(), RReports{});
    // A category record (N) and an index out of range are not nodes.
    int32_t result = -1;
    EXPECT_EQ(tree.dominate(3, xbar, result), kErrInvalidParameter);
    EXPECT_EQ(tree.cCommand(xbar, tree.recordCount() + 1, result), kErrInvalidParameter);
    EXPECT_EQ(tree.hasDaughters(kHeaderRecord, result), kErrInvalidParameter);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reports(), (RReports{"CTree::dominate (invalid parameter)",
                                   "CTree::cCommand (invalid parameter)",
                                   "CTree::hasDaughters (invalid parameter)"}));
}

} // namespace

TEST(CTreeCalls, SearchHeadFootSelectionAndTerminalStrings) {
    const std::string xbar = kTrees;
    const auto with = [&](const char* more) { return xbar + "; " + more; };
    const char* const head = "Xb(X1 X2); .kind Xb 3 1; .data X1 category 3; .data X2 category 3";
    const char* const areas = ".setWhereIsTree VPt 2; .setWhereIsTree F 2; .setSubscript a 'i";
    expectCalls({
        // The search takes any level; with no V-projection at level 0 above V' it runs out at
        // the root. A category-less node of projection 0 is its own head but not a head.
        {xbar.c_str(), "search V 1; search V 2; search V' 0; headOf a", "=NPo NPs 0 0"},
        // The author's main terminal is the root's; the student's is marked on the node.
        {with(".setFoot VPt Ns; .setMainTerminal VPt V; .data No isMainTerminal 1").c_str(),
         "footOf VPt; footOf V; footOf PP; footOf a; isFoot Ns; isFoot VPt; isMainTerminal V 0; "
         "isMainTerminal V 1; isMainTerminal No 0; isMainTerminal No 1; isMainTerminal VPt 0",
         "=Ns Ns Ns 0 1 0 1 0 0 1 0"},
        {xbar.c_str(), "isFoot 0", "!isFoot"},
        // Head is ambiguous when two daughters continue the projection; with one of them in
        // another category the other is the head.
        {head, "headOf Xb", "=0"},
        {(std::string(head) + "; .data X2 category 4").c_str(), "headOf Xb", "=X1"},
        // Only a root counts as the selection, and only one.
        {xbar.c_str(), "selection", "=0"},
        {with(".setSelected VP 1").c_str(), "selection", "=0"},
        {with(".setSelected VP 1; .setSelected F 1").c_str(), "selection", "=F"},
        {with(".setSelected F 1; .setSelected VPt 1").c_str(), "selection", "=0"},
        // Only tree-area trees count, newest first; subscripts never appear.
        {xbar.c_str(), "terminals VPt; terminals V'; terminals No; rootCount; allTerminals",
         "=[ Ns V No P] [ V No] [ No] 0 []"},
        {with(areas).c_str(), "rootCount; allTerminals", "=2 [  a b c  Ns V No P]"},
        {with(areas).append("; .setWhereIsTree F 1").c_str(), "rootCount; allTerminals",
         "=1 [  Ns V No P]"},
        // Two strays: the scan of F's daughters finds neither.
        {"F(a b c); .stray F; .stray F", "precede 11 12; lowestCommon 11 12",
         "=!CTree::precede (general error) F"},
    });
}
