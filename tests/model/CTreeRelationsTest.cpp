#include "ModelTestSupport.h"

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
// position ("0".."9", then "a".."d") and "-" means 0. Pair tables hold the xbar tree's ten rows
// of ten (row: the first argument), then the flat tree's four rows of four: pairs across the
// two trees must all give 0.
const char* const kOrder[] = {"VPt", "VP", "NPs", "Ns", "V'", "V", "NPo",
                              "No",  "PP", "P",   "F",  "a",  "b", "c"};
constexpr int32_t kCount = 14;

using PairRelation = RErr (CTree::*)(int32_t, int32_t, int32_t&) const;
using NodeRelation = RErr (CTree::*)(int32_t, int32_t&) const;

template <typename Relation> struct RTable {
    const char* name;
    Relation relation;
    bool nodeValued;
    const char* table;
};

const RTable<PairRelation> kPairTables[] = {
    {"dominate", &CTree::dominate, false,
     "1111111111 0111111100 0011000000 0001000000 0000111100 0000010000 "
     "0000001100 0000000100 0000000011 0000000001 1111 0100 0010 0001"},
    {"nonReflexiveDominate", &CTree::nonReflexiveDominate, false,
     "0111111111 0011111100 0001000000 0000000000 0000011100 0000000000 "
     "0000000100 0000000000 0000000001 0000000000 0111 0000 0000 0000"},
    {"immediatelyDominate", &CTree::immediatelyDominate, false,
     "0100000010 0010100000 0001000000 0000000000 0000011000 0000000000 "
     "0000000100 0000000000 0000000001 0000000000 0111 0000 0000 0000"},
    {"sameRoot", &CTree::sameRoot, false,
     "1111111111 1111111111 1111111111 1111111111 1111111111 1111111111 "
     "1111111111 1111111111 1111111111 1111111111 1111 1111 1111 1111"},
    // isSisterOf: two roots are never sisters
    {"isSisterOf", &CTree::isSisterOf, false,
     "0000000000 0000000010 0000100000 0000000000 0010000000 0000001000 "
     "0000010000 0000000000 0100000000 0000000000 0000 0011 0101 0110"},
    {"findLowestCommonDominator", &CTree::findLowestCommonDominator, true,
     "0000000000 0111111100 0122111100 0123111100 0111444400 0111454400 "
     "0111446600 0111446700 0000000088 0000000089 aaaa abaa aaca aaad"},
    // cCommand: sisters c-command each other, a node never its own daughter
    {"cCommand", &CTree::cCommand, false,
     "0000000000 0000000011 0000111100 0000111100 0011000000 0000001100 "
     "0000010000 0000010000 0111111100 0111111100 0000 0011 0101 0110"},
    // mCommand: bounded by the lowest maximal projection above the first node; the flat tree has
    // none
    {"mCommand", &CTree::mCommand, false,
     "0000000000 0000000011 0000111100 0000000000 0011000000 0011001100 "
     "0011010000 0000000000 0111111100 0000000000 0000 0000 0000 0000"},
    {"precede", &CTree::precede, false,
     "0000000000 0000000011 0000111111 0000111111 0000000011 0000001111 "
     "0000000011 0000000011 0000000000 0000000000 0000 0011 0001 0000"},
    {"same", &CTree::same, false,
     "1100000000 1100000000 0010001000 0001000100 0000100000 0000010000 "
     "0010001000 0001000100 0000000010 0000000001 1111 1111 1111 1111"},
    {"belongToSameSpine", &CTree::belongToSameSpine, false,
     "1100110000 1100110000 0011000000 0011000000 1100110000 1100110000 "
     "0000001100 0000001100 0000000011 0000000011 1111 1100 1010 1001"},
    // isComplementOf: a is the complement found from b
    {"isComplementOf", &CTree::isComplementOf, false,
     "0000000000 0000000000 0000000000 0000000000 0000000000 0000000000 "
     "0000010000 0000000000 0000000000 0000000000 0000 0000 0000 0000"},
    // isSpecOf: b is the specifier found from a (the other order)
    {"isSpecOf", &CTree::isSpecOf, false,
     "0000000000 0000000010 0000000000 0000000000 0010000000 0010000000 "
     "0000000000 0000000000 0000000000 0000000000 0000 0000 0000 0000"},
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
        xbar = build("VPt(VP(NPs(Ns) V'(V NPo(No))) PP(P))");
        flat = build("F(a b c)");
        const int32_t kinds[kCount][2] = {{kV, 2}, {kV, 2}, {kN, 2}, {kN, 0}, {kV, 1},
                                          {kV, 0}, {kN, 2}, {kN, 0}, {kP, 2}, {kP, 0},
                                          {0, -1}, {0, -1}, {0, -1}, {0, -1}};
        step([&] {
            for (int32_t i = 0; i < kCount; ++i)
                EXPECT_EQ(firstError({tree.dataTask(at(i), kAttrCategory, kinds[i][0]),
                                      tree.dataTask(at(i), kAttrProjection, kinds[i][1])}),
                          kNoErr);
        });
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
        const std::string all = codes(t.table);
        ASSERT_EQ(all.size(), 116u) << t.name;
        for (int32_t i = 0, k = 0; i < kCount; ++i)
            for (int32_t j = 0; j < kCount; ++j) {
                const bool together = (i < 10) == (j < 10);
                const char code = together       ? all[static_cast<std::size_t>(k++)]
                                  : t.nodeValued ? '-'
                                                 : '0';
                int32_t result = -1;
                EXPECT_EQ((tree.*t.relation)(at(i), at(j), result), kNoErr);
                EXPECT_EQ(result, expected(code, t.nodeValued))
                    << t.name << "(" << kOrder[i] << ", " << kOrder[j] << ")";
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
    // A category record and an index out of range are not nodes.
    int32_t result = -1;
    EXPECT_EQ(tree.dominate(kN, xbar, result), kErrInvalidParameter);
    EXPECT_EQ(tree.cCommand(xbar, tree.recordCount() + 1, result), kErrInvalidParameter);
    EXPECT_EQ(tree.hasDaughters(kHeaderRecord, result), kErrInvalidParameter);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reports(), (RReports{"CTree::dominate (invalid parameter)",
                                   "CTree::cCommand (invalid parameter)",
                                   "CTree::hasDaughters (invalid parameter)"}));
}

TEST_F(CTreeRelations, SearchHeadFootAndMainTerminal) {
    // The search takes any level; with no V-projection at level 0 above V' it runs out at the
    // root.
    EXPECT_EQ(q(&CTree::searchForSpecOrComplement, node("V"), 1), node("NPo"));
    EXPECT_EQ(q(&CTree::searchForSpecOrComplement, node("V"), 2), node("NPs"));
    EXPECT_EQ(q(&CTree::searchForSpecOrComplement, node("V'"), 0), 0);
    // A category-less node of projection 0 is its own head but not a head.
    EXPECT_EQ(q(&CTree::head, node("a")), 0);

    step([&] {
        return firstError({tree.setFootNode(xbar, node("Ns")),
                           tree.setMainTerminalNode(xbar, node("V")),
                           tree.dataTask(node("No"), kAttrIsMainTerminal, 1)});
    });
    check(RTable<NodeRelation>{"foot", &CTree::foot, true, "3333333333 ----"});
    check(RTable<NodeRelation>{"isFoot", &CTree::isFoot, false, "0001000000 0000"});
    std::string mainTerminals;
    for (int32_t i = 0; i < kCount; ++i)
        mainTerminals += std::to_string(q(&CTree::isMainTerminalNode, at(i), false)) +
                         std::to_string(q(&CTree::isMainTerminalNode, at(i), true));
    EXPECT_EQ(mainTerminals, "0000000000100001000000000000"); // author: V, student: No
    EXPECT_EQ(reports(), RReports{});
    int32_t result = -1;
    bad(tree.isFoot(0, result), "CTree::isFoot");
    EXPECT_EQ(result, 0);

    // Head is ambiguous when two daughters continue the projection; with one of them in
    // another category the other is the head.
    const int32_t root = build("Xb(X1 X2)");
    step([&] {
        return firstError({tree.dataTask(root, kAttrCategory, kN),
                           tree.dataTask(root, kAttrProjection, 1),
                           tree.dataTask(node("X1"), kAttrCategory, kN),
                           tree.dataTask(node("X2"), kAttrCategory, kN)});
    });
    EXPECT_EQ(q(&CTree::head, root), 0);
    step([&] { return tree.dataTask(node("X2"), kAttrCategory, kV); });
    EXPECT_EQ(q(&CTree::head, root), node("X1"));
}

TEST_F(CTreeRelations, SelectionTerminalStringsAndTreeAreaCount) {
    // Only a root counts as the selection, and only one.
    EXPECT_EQ(q(&CTree::selection), 0);
    const std::pair<int32_t, int32_t> selections[] = {{node("VP"), 0}, {flat, flat}, {xbar, 0}};
    for (const auto& [n, selection] : selections) {
        ASSERT_EQ(tree.setSelectedValue(n, 1), kNoErr);
        EXPECT_EQ(q(&CTree::selection), selection);
    }
    using RText = std::unique_ptr<CRString>;
    const auto terminals = [&](int32_t n) {
        return str(q<RText>(&CTree::subtreeTerminalString, n).get());
    };
    const auto all = [&] { return str(q<RText>(&CTree::terminalString).get()); };
    EXPECT_EQ(terminals(xbar) + "|" + terminals(node("V'")) + "|" + terminals(node("No")),
              " Ns V No P| V No| No");
    // Only tree-area trees count, newest first; subscripts never appear.
    EXPECT_EQ(std::to_string(q(&CTree::howManyRootNodes)) + all(), "0");
    const CRString subscript("i", 1);
    step([&] {
        return firstError({tree.setWhereIsTree(xbar, kTreeOnWorkArea),
                           tree.setWhereIsTree(flat, kTreeOnWorkArea),
                           tree.setSubscript(node("a"), &subscript)});
    });
    EXPECT_EQ(std::to_string(q(&CTree::howManyRootNodes)) + all(), "2  a b c  Ns V No P");
    step([&] { return tree.setWhereIsTree(flat, kTreeInLexicon); });
    EXPECT_EQ(std::to_string(q(&CTree::howManyRootNodes)) + all(), "1  Ns V No P");

    // Two nodes that name F as their mother without being among its daughters: the scan of
    // F's daughters finds neither.
    int32_t stray1 = 0, stray2 = 0;
    step([&] {
        for (int32_t* stray : {&stray1, &stray2})
            EXPECT_EQ(firstError({tree.newRecord(*stray, kRecordNode),
                                  tree.dataTask(*stray, kAttrMother, flat)}),
                      kNoErr);
    });
    int32_t result = -1;
    bad(tree.precede(stray1, stray2, result), "CTree::precede", kErrGeneral);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(q(&CTree::findLowestCommonDominator, stray1, stray2), flat);
}

} // namespace
