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
// position ("0".."9", then "a".."d") and "-" means 0.
const char* const kOrder[] = {"VPt", "VP", "NPs", "Ns", "V'", "V", "NPo",
                              "No",  "PP", "P",   "F",  "a",  "b", "c"};
constexpr int32_t kCount = 14;

using PairRelation = RErr (CTree::*)(int32_t, int32_t, int32_t&) const;
using NodeRelation = RErr (CTree::*)(int32_t, int32_t&) const;

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
            for (int32_t i = 0; i < kCount; ++i) {
                EXPECT_EQ(tree.dataTask(at(i), kAttrCategory, kinds[i][0]), kNoErr);
                EXPECT_EQ(tree.dataTask(at(i), kAttrProjection, kinds[i][1]), kNoErr);
            }
        });
    }
    int32_t at(int32_t position) const { return node(kOrder[position]); }
    int32_t decode(char code) const {
        return code == '-' ? 0 : at(code <= '9' ? code - '0' : code - 'a' + 10);
    }
    // Every node (a unary relation) or every ordered pair (row = first argument) against the
    // table, rows separated by '/': truth values, or node codes when nodeValued.
    template <typename Relation>
    void expectTable(const char* name, Relation relation, const std::string& table,
                     bool nodeValued) {
        constexpr bool pair = std::is_same_v<Relation, PairRelation>;
        std::string codes;
        for (const char c : table)
            if (c != ' ' && c != '/')
                codes += c;
        ASSERT_EQ(codes.size(), static_cast<std::size_t>(pair ? kCount * kCount : kCount)) << name;
        for (int32_t k = 0; k < static_cast<int32_t>(codes.size()); ++k) {
            const int32_t i = pair ? k / kCount : k, j = k % kCount;
            int32_t result = -1;
            if constexpr (pair) {
                EXPECT_EQ((tree.*relation)(at(i), at(j), result), kNoErr);
            } else {
                EXPECT_EQ((tree.*relation)(at(i), result), kNoErr);
            }
            const char code = codes[static_cast<std::size_t>(k)];
            EXPECT_EQ(result, nodeValued ? decode(code) : code - '0')
                << name << "(" << kOrder[i] << (pair ? std::string(", ") + kOrder[j] : "") << ")";
        }
    }
    template <typename Relation> void truth(const char* name, Relation r, const char* table) {
        expectTable(name, r, table, false);
    }
    template <typename Relation> void nodes(const char* name, Relation r, const char* table) {
        expectTable(name, r, table, true);
    }

    int32_t xbar = 0;
    int32_t flat = 0;
};

TEST_F(CTreeRelations, DominanceKinshipAndCommonDominatorOverEveryPair) {
    truth("dominate", &CTree::dominate,
          "1111111111 0000/0111111100 0000/0011000000 0000/0001000000 0000/0000111100 "
          "0000/0000010000 0000/0000001100 0000/0000000100 0000/0000000011 0000/0000000001 "
          "0000/0000000000 1111/0000000000 0100/0000000000 0010/0000000000 0001");
    truth("nonReflexiveDominate", &CTree::nonReflexiveDominate,
          "0111111111 0000/0011111100 0000/0001000000 0000/0000000000 0000/0000011100 "
          "0000/0000000000 0000/0000000100 0000/0000000000 0000/0000000001 0000/0000000000 "
          "0000/0000000000 0111/0000000000 0000/0000000000 0000/0000000000 0000");
    truth("immediatelyDominate", &CTree::immediatelyDominate,
          "0100000010 0000/0010100000 0000/0001000000 0000/0000000000 0000/0000011000 "
          "0000/0000000000 0000/0000000100 0000/0000000000 0000/0000000001 0000/0000000000 "
          "0000/0000000000 0111/0000000000 0000/0000000000 0000/0000000000 0000");
    truth("sameRoot", &CTree::sameRoot,
          "1111111111 0000/1111111111 0000/1111111111 0000/1111111111 0000/1111111111 "
          "0000/1111111111 0000/1111111111 0000/1111111111 0000/1111111111 0000/1111111111 "
          "0000/0000000000 1111/0000000000 1111/0000000000 1111/0000000000 1111");
    // Two roots are never sisters.
    truth("isSisterOf", &CTree::isSisterOf,
          "0000000000 0000/0000000010 0000/0000100000 0000/0000000000 0000/0010000000 "
          "0000/0000001000 0000/0000010000 0000/0000000000 0000/0100000000 0000/0000000000 "
          "0000/0000000000 0000/0000000000 0011/0000000000 0101/0000000000 0110");
    nodes("findLowestCommonDominator", &CTree::findLowestCommonDominator,
          "0000000000 ----/0111111100 ----/0122111100 ----/0123111100 ----/0111444400 ----/"
          "0111454400 ----/0111446600 ----/0111446700 ----/0000000088 ----/0000000089 ----/"
          "---------- aaaa/---------- abaa/---------- aaca/---------- aaad");

    truth("isRootNode", &CTree::isRootNode, "1000000000 1000");
    truth("hasDaughters", &CTree::hasDaughters, "1110101010 1000");
    truth("isBranchingNode", &CTree::isBranchingNode, "1100100000 1000");
    truth("isLeftmostSister", &CTree::isLeftmostSister, "0111010101 0100");
    truth("isRightmostSister", &CTree::isRightmostSister, "0001101111 0001");
    nodes("findLowestBranchingNode", &CTree::findLowestBranchingNode, "-011144400 -aaa");
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeRelations, CommandAndPrecedenceOverEveryPair) {
    // Sisters c-command each other; a node never c-commands its own daughter; nothing reaches
    // into the other tree.
    truth("cCommand", &CTree::cCommand,
          "0000000000 0000/0000000011 0000/0000111100 0000/0000111100 0000/0011000000 "
          "0000/0000001100 0000/0000010000 0000/0000010000 0000/0111111100 0000/0111111100 "
          "0000/0000000000 0000/0000000000 0011/0000000000 0101/0000000000 0110");
    // Bounded by the lowest maximal projection above the first node; the flat tree has none.
    truth("mCommand", &CTree::mCommand,
          "0000000000 0000/0000000011 0000/0000111100 0000/0000000000 0000/0011000000 "
          "0000/0011001100 0000/0011010000 0000/0000000000 0000/0111111100 0000/0000000000 "
          "0000/0000000000 0000/0000000000 0000/0000000000 0000/0000000000 0000");
    // Nodes of different trees never precede each other.
    truth("precede", &CTree::precede,
          "0000000000 0000/0000000011 0000/0000111111 0000/0000111111 0000/0000000011 "
          "0000/0000001111 0000/0000000011 0000/0000000011 0000/0000000000 0000/0000000000 "
          "0000/0000000000 0000/0000000000 0011/0000000000 0001/0000000000 0000");
    EXPECT_EQ(reports(), RReports{});
}

TEST_F(CTreeRelations, ProjectionsAndXBarStructureOverEveryPair) {
    truth("same", &CTree::same,
          "1100000000 0000/1100000000 0000/0010001000 0000/0001000100 0000/0000100000 "
          "0000/0000010000 0000/0010001000 0000/0001000100 0000/0000000010 0000/0000000001 "
          "0000/0000000000 1111/0000000000 1111/0000000000 1111/0000000000 1111");
    truth("belongToSameSpine", &CTree::belongToSameSpine,
          "1100110000 0000/1100110000 0000/0011000000 0000/0011000000 0000/1100110000 "
          "0000/1100110000 0000/0000001100 0000/0000001100 0000/0000000011 0000/0000000011 "
          "0000/0000000000 1111/0000000000 1100/0000000000 1010/0000000000 1001");
    // isComplementOf(a, b): a is the complement found from b.
    truth("isComplementOf", &CTree::isComplementOf,
          "0000000000 0000/0000000000 0000/0000000000 0000/0000000000 0000/0000000000 "
          "0000/0000000000 0000/0000010000 0000/0000000000 0000/0000000000 0000/0000000000 "
          "0000/0000000000 0000/0000000000 0000/0000000000 0000/0000000000 0000");
    // isSpecOf(a, b): b is the specifier found from a (the other order).
    truth("isSpecOf", &CTree::isSpecOf,
          "0000000000 0000/0000000010 0000/0000000000 0000/0000000000 0000/0010000000 "
          "0000/0010000000 0000/0000000000 0000/0000000000 0000/0000000000 0000/0000000000 "
          "0000/0000000000 0000/0000000000 0000/0000000000 0000/0000000000 0000");

    truth("isHead", &CTree::isHead, "0001010101 0000");
    truth("isMaximalProjection", &CTree::isMaximalProjection, "1110001010 0000");
    // Never the node itself: VP's is VPt above it.
    nodes("bottomMax", &CTree::bottomMax, "-012111608 ----");
    nodes("topMax", &CTree::topMax, "-002000608 ----");
    nodes("head", &CTree::head, "5533557799 ----");
    nodes("complement", &CTree::complement, "-----6---- ----");
    nodes("spec", &CTree::spec, "-8--22---- ----");
    EXPECT_EQ(reports(), RReports{});
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
        EXPECT_EQ(tree.setFootNode(xbar, node("Ns")), kNoErr);
        EXPECT_EQ(tree.setMainTerminalNode(xbar, node("V")), kNoErr);
        EXPECT_EQ(tree.dataTask(node("No"), kAttrIsMainTerminal, 1), kNoErr);
    });
    nodes("foot", &CTree::foot, "3333333333 ----");
    truth("isFoot", &CTree::isFoot, "0001000000 0000");
    for (int32_t i = 0; i < kCount; ++i) {
        EXPECT_EQ(q(&CTree::isMainTerminalNode, at(i), false), at(i) == node("V") ? 1 : 0)
            << kOrder[i];
        EXPECT_EQ(q(&CTree::isMainTerminalNode, at(i), true), at(i) == node("No") ? 1 : 0)
            << kOrder[i];
    }
    EXPECT_EQ(reports(), RReports{});
    int32_t result = -1;
    bad(tree.isFoot(0, result), "CTree::isFoot");
    EXPECT_EQ(result, 0);
}

TEST_F(CTreeRelations, HeadIsAmbiguousWhenTwoDaughtersContinueTheProjection) {
    const int32_t root = build("Xb(X1 X2)");
    const std::pair<int32_t, int32_t> projections[] = {{root, 1}, {node("X1"), 0}, {node("X2"), 0}};
    step([&] {
        for (const auto& [n, projection] : projections) {
            EXPECT_EQ(tree.dataTask(n, kAttrCategory, kN), kNoErr);
            EXPECT_EQ(tree.dataTask(n, kAttrProjection, projection), kNoErr);
        }
    });
    EXPECT_EQ(q(&CTree::head, root), 0);
    // With one of them in another category the other is the head.
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
    const auto string = [&](const RText& text) { return text ? text->str() : "<none>"; };
    EXPECT_EQ(string(q<RText>(&CTree::subtreeTerminalString, xbar)), " Ns V No P");
    EXPECT_EQ(string(q<RText>(&CTree::subtreeTerminalString, node("V'"))), " V No");
    EXPECT_EQ(string(q<RText>(&CTree::subtreeTerminalString, node("No"))), " No");
    // Only tree-area trees count, newest first; subscripts never appear.
    EXPECT_EQ(q(&CTree::howManyRootNodes), 0);
    EXPECT_EQ(string(q<RText>(&CTree::terminalString)), "");
    const CRString subscript("i", 1);
    step([&] {
        EXPECT_EQ(tree.setWhereIsTree(xbar, kTreeOnWorkArea), kNoErr);
        EXPECT_EQ(tree.setWhereIsTree(flat, kTreeOnWorkArea), kNoErr);
        EXPECT_EQ(tree.setSubscript(node("a"), &subscript), kNoErr);
    });
    EXPECT_EQ(q(&CTree::howManyRootNodes), 2);
    EXPECT_EQ(string(q<RText>(&CTree::terminalString)), "  a b c  Ns V No P");
    step([&] { return tree.setWhereIsTree(flat, kTreeInLexicon); });
    EXPECT_EQ(q(&CTree::howManyRootNodes), 1);
    EXPECT_EQ(string(q<RText>(&CTree::terminalString)), "  Ns V No P");
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
    EXPECT_EQ(reports(), RReports{});
    // A category record and an index out of range are not nodes.
    EXPECT_EQ(tree.dominate(kN, xbar, result), kErrInvalidParameter);
    EXPECT_EQ(tree.cCommand(xbar, tree.recordCount() + 1, result), kErrInvalidParameter);
    EXPECT_EQ(tree.hasDaughters(kHeaderRecord, result), kErrInvalidParameter);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(reports(), (RReports{"CTree::dominate (invalid parameter)",
                                   "CTree::cCommand (invalid parameter)",
                                   "CTree::hasDaughters (invalid parameter)"}));

    // Two nodes that name F as their mother without being among its daughters: the scan of
    // F's daughters finds neither.
    int32_t stray1 = 0, stray2 = 0;
    step([&] {
        for (int32_t* stray : {&stray1, &stray2}) {
            EXPECT_EQ(tree.newRecord(*stray, kRecordNode), kNoErr);
            EXPECT_EQ(tree.dataTask(*stray, kAttrMother, flat), kNoErr);
        }
    });
    bad(tree.precede(stray1, stray2, result), "CTree::precede", kErrGeneral);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(q(&CTree::findLowestCommonDominator, stray1, stray2), flat);
}

} // namespace
