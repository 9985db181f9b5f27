#include "CallTable.h"

namespace {

const char* const kWord = "W(N(dog)); .setCitation W 'dog; .setWordCategory W 3; "
                          ".setMainTerminal W dog; .setFoot W N; .setLowestSpine W N; "
                          ".setWhereIsTree W 1; .setBelongsToSpine N";

} // namespace

TEST(CTreeCalls, NodesRootsWalksAndTheirRefusals) {
    const char* const walk = "S(NP(D N) VP(V)); R(X Y); L";
    const char* const family = "S(A B(E) C)";
    const char* const marks = "S(A B); R(C); .setOffending A 1; .setOffending C 1; "
                              ".setOffending R 1";
    expectCalls({
        // Only node records are nodes (2 is the category X, 9 one past the last record).
        {"S(A)",
         "verifyNode S; verifyNode A; verifyNode 0; verifyNode -3; verifyNode 2; "
         "verifyNode 9",
         "=1 1 0 0 0 0"},
        {"S(A)", "validateNode S; validateRoot S; validateNode 2; validateRoot A; mother 99",
         "=- - !validateNodeWithError !validateRootWithError !getMother"},
        // The root list grows at the front; new nodes are black and dirty, with a fish spine.
        {"A",
         "newRoot; newRoot ? firstRoot; nextRoot 9; nextRoot 8; nextRoot 7; cell 9 color; "
         "cell 9 dirty; cell 9 previousRoot; cell 8 previousRoot; spine 9",
         "A =9 8 A 0 1 1 0 9 1"},
        {"A; B; C", "removeFromRootList B", "C | A"},
        {"A; C", "removeFromRootList C", "A"},
        {"A", "removeFromRootList A", ""},
        // Taking out a node not in the list, or adding one twice, would lose or loop the list.
        {"S(D)", "removeFromRootList D", "!removeNodeFromRootList"},
        {"B; .removeFromRootList B", "removeFromRootList B", "!removeNodeFromRootList"},
        {"S(D)", "addToRootList S", "!addNodeToRootList"},
        // New daughters go to either end and a leaf gets its first.
        {family,
         "newDaughterLeft S; newDaughterRight S; newDaughterRight A ? cell 12 color; "
         "cell 13 previousRoot; spine 14",
         "S( A() B(E) C ) =1 0 1"},
        {family, "nextRoot B", "!getNextRoot"},
        {family, "newDaughterRight 3", "!newDaughterToRight"},
        // Pre-order over every tree from the newest, or only below the halt node.
        {walk,
         "nextNode S S; nextNode NP S; nextNode D S; nextNode N S; nextNode VP S; "
         "nextNode V S; nextNode N NP; nextNode D D",
         "=NP D N VP V 0 0 0"},
        {walk, "nextNode L 0; nextNode Y 0; nextNode R 0; nextNode V 0; nextNode L L",
         "=R S X 0 0"},
        {walk, "nextNode S 2; nextNode 0 0", "=!getNextNode !getNextNode"},
        // Labels and subscripts; no subscript reads as an empty one.
        {"S(A B)", "newRoot ? label 10; label S; subscript A", "S(A B) =- S -"},
        {"S(A B)", "setSubscript A 'i\xC3\xA4 ? subscript A", "S(A B) =i\xC3\xA4"},
        {"S(A B); .setSubscript A 'j", "setSubscript A ? subscript A; cell A subscript",
         "S(A B) =- 0"},
        {"S(A B)", "label 2", "!getLabel"},
        // Offending marks are undoable, and turned off in every tree.
        {"S(A B); R(C)", "setOffending A 1; setOffending C 1 ? offending A; offending S",
         "R(C) | S(A B) =1 0"},
        {marks, "turnOffAllOffending ? offending A; offending C; offending R",
         "R(C) | S(A B) =0 0 0"},
        // Colour and style bits: 2 and 1 make 3, 0 clears them; 3 is not one bit.
        {"S",
         "setColor S 4; addStyle S 2; addStyle S 1 ? color S; cell S style; hasStyle S 2; "
         "hasStyle S 4",
         "S =4 3 1 0"},
        {"S; .addStyle S 2", "addStyle S 0 ? cell S style", "S =0"},
        {"S", "hasStyle S 3", "!hasTextAttribute"},
        // Root information belongs to roots only.
        {kWord,
         "citation W; wordCategory W; mainTerminal W; foot W; lowestSpine W; "
         "whereIsTree W; belongsToSpine N; belongsToSpine dog",
         "=dog 3 dog N N 1 1 0"},
        {kWord, "citation N; wordCategory N; mainTerminal N; foot N; lowestSpine N; whereIsTree N",
         "=!getCitationForm !getWordCategory !getMainTerminalNode !getFootNode "
         "!getLowestXBarSpineNode !getWhereIsTree"},
        {kWord, "setCitation N 'dog", "!setCitationForm"},
        {kWord, "setWordCategory N 3", "!setWordCategory"},
        {kWord, "setWordCategory W N", "!setWordCategory"},
        {kWord, "setWordCategory W 999", "!setWordCategory"},
        {kWord, "setMainTerminal W 3", "!setMainTerminalNode"},
        {kWord, "setFoot N dog", "!setFootNode"},
        {kWord, "setLowestSpine W 999", "!setLowestXBarSpineNode"},
        {kWord, "setWhereIsTree dog 2", "!setWhereIsTree"},
        {kWord, "setBelongsToSpine 4", "!setBelongsToXBarSpine"},
        {kWord, "setWordCategory W 0 ? wordCategory W", "W(N(dog)) =0"},
        // Moving the information empties the old root; from an empty root it empties the target.
        {(std::string(kWord) + "; B; .setWordCategory W 4; .setLowestSpine W W").c_str(),
         "moveRootInfo W B ? citation B; wordCategory B; mainTerminal B; foot B; lowestSpine B; "
         "citation W; wordCategory W; mainTerminal W; foot W; lowestSpine W",
         "B | W(N(dog)) =dog 4 dog N W - 0 0 0 0"},
        {(std::string(kWord) + "; B; .moveRootInfo W B").c_str(),
         "moveRootInfo W B ? citation B; wordCategory B; mainTerminal B; foot B; lowestSpine B",
         "B | W(N(dog)) =- 0 0 0 0"},
        {kWord, "moveRootInfo W dog", "!moveRootInfo"},
    });
}

TEST_F(ModelFixture, HierarchyGettersWritesWithoutUndoAndLayoutMarks) {
    // The header's first cell is the free-list head; holding 2 must not make it a node.
    poke(kHeaderRecord, kHdrFirstUnusedRecord, kRecordNode);
    EXPECT_FALSE(tree.verifyNode(kHeaderRecord));
    poke(kHeaderRecord, kHdrFirstUnusedRecord, 0);
    const int32_t s = build("S(A B(E) C)");
    // Per node: first and last daughter, previous and next sister, mother, root, count.
    std::string family;
    for (const int32_t n : {s, node("A"), node("B"), node("E"), node("C")}) {
        family += text(n) + ":";
        for (const RGetter g :
             {&CTree::getLeftmostDaughter, &CTree::getRightmostDaughter, &CTree::getPreviousSister,
              &CTree::getNextSister, &CTree::getMother, &CTree::findRoot})
            family += (get(g, n) ? text(get(g, n)) : "-") + ",";
        family += std::to_string(get(&CTree::howManyDaughters, n)) + " ";
    }
    EXPECT_EQ(family, "S:A,C,-,-,-,S,3 A:-,-,-,B,S,S,0 B:E,E,A,C,S,S,1 E:-,-,-,-,B,S,0 "
                      "C:-,-,B,-,S,S,0 ");
    int32_t mother = -1;
    EXPECT_EQ(tree.getMother(99, mother), kErrInvalidParameter);
    EXPECT_EQ(mother, 0);
    // A new daughter, a subscript or a mark through an inner node mark the tree for layout,
    // also when undone or redone.
    int32_t more = 0;
    marksForLayout({s}, [&] { return tree.newDaughterToLeft(node("A"), more); });
    const CRString subscript("j", 1);
    marksForLayout({s}, [&] { return tree.setSubscript(node("A"), &subscript); });
    poke(s, kAttrDirty, 0);
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_EQ(cell(s, kAttrDirty), 1);
    marksForLayout({s}, [&] { return tree.treeDirty(node("A")); });
    EXPECT_EQ(cell(node("A"), kAttrDirty), 0);

    // Selected is written directly, and only as 0 or 1.
    const std::size_t steps = tree.undoStructure().stepCount();
    for (const int32_t value : {1, 2, -1, 0}) {
        const bool good = value == 0 || value == 1;
        platform.recorder.clear();
        EXPECT_EQ(tree.setSelectedValue(s, value), good ? kNoErr : kErrInvalidParameter);
        EXPECT_EQ(cell(s, kAttrSelected), value == 0 ? 0 : 1) << value;
        EXPECT_EQ(reports(),
                  good ? RReports{} : RReports{"CTree::setSelectedValue (invalid parameter)"});
    }
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);
    // Without an open undo list nothing may change; the failure carries the setter's name.
    step([&] { return tree.setOffendingNodeValue(s, 1); });
    bad(tree.turnOffAllOffendingNodes(), "CTree::setOffendingNodeValue", kErrUnbalancedUndo);
    EXPECT_EQ(cell(s, kAttrOffending), 1);
    EXPECT_EQ(joined(std::vector{CTree::translateColor(CRString("RED", 1)),
                                 CTree::translateColor(CRString("Magenta", 1)),
                                 CTree::translateColor(CRString("mauve", 1))}),
              "4 11 1");
}
