#include "cli/GrammarTextReader.h"
#include "CliTestSupport.h"
#include "cli/GrammarText.h"
#include "cli/GrammarTextWriter.h"
#include "undo/CUndoStructure.h"

namespace {

std::string readError(const std::string& text, RTextTarget target = RTextTarget::Document) {
    std::unique_ptr<CTree> tree;
    RTextError error;
    if (GrammarTextReader(target, ".").read(text, tree, error))
        return "no error";
    EXPECT_EQ(tree, nullptr);
    return error.describe("g.rgt");
}

std::unique_ptr<CTree> build(const std::string& text, RTextTarget target) {
    std::unique_ptr<CTree> tree;
    RTextError error;
    EXPECT_TRUE(GrammarTextReader(target, ".").read(text, tree, error)) << error.describe("g.rgt");
    return tree;
}

std::string label(CTree& tree, int32_t node) {
    const CRString* text = nullptr;
    EXPECT_EQ(tree.getLabel(node, text), kNoErr);
    return text == nullptr ? "" : text->str();
}

std::string text(CTree& tree, int32_t record, int32_t attribute) {
    const CRString* value = nullptr;
    EXPECT_EQ(tree.getAnyString(record, attribute, value), kNoErr);
    return value == nullptr ? "" : value->str();
}

int32_t cell(CTree& tree, int32_t record, int32_t attribute) {
    int32_t value = 0;
    EXPECT_EQ(tree.getValue(record, attribute, value), kNoErr);
    return value;
}

using Cells = std::vector<int32_t>;
// Category, projection, spine, colour and style of a node.
Cells cells(CTree& tree, int32_t node) {
    Cells values;
    for (const int32_t attribute :
         {kAttrCategory, kAttrProjection, kAttrBelongsToXBarSpine, kAttrColor, kAttrTextStyle})
        values.push_back(cell(tree, node, attribute));
    return values;
}

// Word category, main terminal, foot and lowest spine node of a word.
Cells wordCells(CTree& tree, int32_t word) {
    Cells values;
    for (const int32_t attribute :
         {kAttrWordCategory, kAttrMainTerminalNode, kAttrFootNode, kAttrLowestXBarSpineNode})
        values.push_back(cell(tree, word, attribute));
    return values;
}

// The roots in root-list order.
std::vector<int32_t> roots(CTree& tree) {
    std::vector<int32_t> all;
    int32_t root = 0;
    EXPECT_EQ(tree.getFirstRoot(root), kNoErr);
    while (root != 0) {
        all.push_back(root);
        EXPECT_EQ(tree.getNextRoot(root, root), kNoErr);
    }
    return all;
}

// The nodes of one tree in pre-order.
std::vector<int32_t> nodesOf(CTree& tree, int32_t root) {
    std::vector<int32_t> nodes;
    for (int32_t node = root; node != 0;) {
        nodes.push_back(node);
        EXPECT_EQ(tree.getNextNode(node, root, node), kNoErr);
    }
    return nodes;
}

int32_t categoryNamed(CTree& tree, const std::string& name) {
    int32_t category = 0;
    EXPECT_EQ(tree.convertCategoryLabelToIndex(CRString(name, 1), category), kNoErr);
    return category;
}

} // namespace

TEST(GrammarTextReader, ErrorsNameTheFileAndLineAndBuildNothing) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"categories: N V\n\nwords dog: [N dog]\n", "g.rgt:3: unknown keyword 'words'"},
        {"word dog: [NP [N dog]\n# comment\nword cat: [N cat]\n",
         "g.rgt:1: unbalanced brackets: '[' is not closed"},
        {"tree: [S [NP a]\n  [VP [V b]\n", "g.rgt:2: unbalanced brackets: '[' is not closed"},
        {"word dog: [N dog]]\n", "g.rgt:1: unbalanced brackets: ']' without '['"},
        {"features: case\nword dog: [N{gender=f} dog]\n", "g.rgt:2: undeclared feature 'gender'"},
        {"categories: N V\nword dog: [N{cat=Q} dog]\n", "g.rgt:2: undeclared category 'Q'"},
        {"categories: N V\nword dog Q: [N dog]\n", "g.rgt:2: undeclared category 'Q'"},
        {"word dog: [N{color=pink} dog]\n", "g.rgt:1: bad colour 'pink'"},
        {"word dog: [N{style=bold+fancy} dog]\n", "g.rgt:1: bad style 'bold+fancy'"},
        {"word dog: [N{proj=3} dog]\n", "g.rgt:1: bad projection '3' (-1, 0, 1 or 2)"},
        {"word dog: [N dog]\ntree: [N dog]\n",
         "g.rgt:2: a grammar holds words only; trees need a document (.rdc)"},
        {"font: Arial 200\n", "g.rgt:1: bad font size '200' (8 to 144)"},
        {"drawing: 10 2 16 3\n", "g.rgt:1: bad thickness '3' (0 to 2)"},
        {"drawing: 10 2 x 1\n", "g.rgt:1: bad line height 'x'"},
        {"\nscript:\ndefine function f\nend define\n",
         "g.rgt:2: 'script:' is not closed by 'end script'"},
        {"end script\n", "g.rgt:1: 'end script' without 'script:'"},
        {"word dog: [N \"dog]\n", "g.rgt:1: unterminated quoted text"},
        {"word dog: [N{main} [N{main} dog]]\n", "g.rgt:1: more than one node is marked main"},
        {"word dog: [Q dog]\n", "g.rgt:1: word 'dog' has no category"},
        {"word dog: [N dog]\ncategories: N\n",
         "g.rgt:2: categories: must come before the first word or tree"},
        {"categories: N V N\n", "g.rgt:1: 'N' is declared twice"},
        {"features: cat\n", "g.rgt:1: 'cat' cannot name a feature"},
        {"word dog: [N{shiny} dog]\n", "g.rgt:1: unknown property 'shiny'"},
        {"word dog: [N {main} dog]\n", "g.rgt:1: '{' must follow its label with no blank between"},
        {"word dog: [N{main dog]\n", "g.rgt:1: unexpected 'd' in properties"},
        {"word dog: [[N dog]]\n", "g.rgt:1: a bracket must begin with a label"},
        {"word dog: [N dog] extra\n", "g.rgt:1: unexpected text after the tree: 'extra'"},
        {"word dog [N dog]\n", "g.rgt:1: missing ':' before the tree"},
        {"script-file: missing.rsc\n", "g.rgt:1: the script file 'missing.rsc' cannot be read"},
        // A point must lie where a document can hold it.
        {"tree @ 0 -2147483648: [N a]\n", "g.rgt:1: bad vertical position '-2147483648'"},
        {"tree @ 10000001 0: [N a]\n",
         "g.rgt:1: position out of range (at most 10000000 either way)"},
        {"tree @ 0 -10000001: [N a]\n",
         "g.rgt:1: position out of range (at most 10000000 either way)"},
        {"tree @ -999999999 5: [N a]\n",
         "g.rgt:1: position out of range (at most 10000000 either way)"},
        {"tree @ 10000000 -10000000: [N a]\n", "no error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RecordingPlatformScope platform;
        const bool grammar = std::string(c.error).find("a grammar holds") != std::string::npos;
        EXPECT_EQ(readError(c.text, grammar ? RTextTarget::Grammar : RTextTarget::Document),
                  c.error);
        EXPECT_TRUE(platform.recorder.calls().empty());
    }
}

TEST(GrammarTextReader, BuildsGrammarsThroughTheDatabaseOperations) {
    std::unique_ptr<CTree> tree =
        build("# header\r\n"
              "categories: X N V D   # X is blessed\r\n"
              "features: case num\n"
              "font: \"Times New Roman\" 12\n"
              "drawing: 25 6 24 2\n"
              "word \"New York\" N: [NP{triangle} New York]\n"
              "word dog: [NP{spine} [D the] [N'{spine,color=Red} [N{spine,num=sg,case=\"a b\"} "
              "dog{style=underline+bold}]]]\n"
              "word very: [N'{foot,sub=i} [V very{main}]\n"
              "   \"say \\\"hi\\\" \\\\ \"{cat=N,proj=1}]\n"
              "script:\n"
              "define function f(n)\n"
              "  return case(n)\n"
              "end define\n"
              "end script\n",
              RTextTarget::Grammar);
    ASSERT_NE(tree, nullptr);
    CTree& t = *tree;
    bool dirty = true;
    EXPECT_EQ(t.undoStructure().isDirty(dirty), kNoErr);
    EXPECT_FALSE(dirty);

    int32_t blessed = 0;
    EXPECT_EQ(t.getBlessedCategory(blessed), kNoErr);
    EXPECT_EQ(blessed, categoryNamed(t, "X"));
    EXPECT_EQ(text(t, kHeaderRecord, kHdrFontName), "Times New Roman");
    EXPECT_EQ(t.fontSize, 12);
    EXPECT_EQ(t.horizontalPadding, 25);
    EXPECT_EQ(t.verticalPadding, 6);
    EXPECT_EQ(t.lineHeight, 24);
    EXPECT_EQ(t.thickness, 2);
    EXPECT_EQ(text(t, kHeaderRecord, kHdrScriptText),
              "define function f(n)\n  return case(n)\nend define\n");
    EXPECT_EQ(t.attributeCount(), 53);

    // The root list reads in the order of the text; words stay unplaced in a grammar.
    const std::vector<int32_t> words = roots(t);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(text(t, words[0], kAttrCitationForm), "New York");
    EXPECT_EQ(text(t, words[1], kAttrCitationForm), "dog");
    EXPECT_EQ(text(t, words[2], kAttrCitationForm), "very");
    for (const int32_t word : words)
        EXPECT_EQ(cell(t, word, kAttrWhereIsTree), kTreeNotPlaced);

    const std::vector<int32_t> york = nodesOf(t, words[0]);
    ASSERT_EQ(york.size(), 3u);
    EXPECT_EQ(cell(t, york[0], kAttrTriangle), 1);
    EXPECT_EQ(wordCells(t, words[0]), (Cells{categoryNamed(t, "N"), york[1], 0, 0})); // leftmost

    const std::vector<int32_t> dog = nodesOf(t, words[1]);
    ASSERT_EQ(dog.size(), 6u);
    EXPECT_EQ(label(t, dog[3]), "N'");
    const int32_t n = categoryNamed(t, "N");
    EXPECT_EQ(cells(t, dog[0]), (Cells{n, 2, 1, 1, 0}));
    EXPECT_EQ(cells(t, dog[1]), (Cells{categoryNamed(t, "D"), 0, 0, 1, 0}));
    EXPECT_EQ(cells(t, dog[2]), (Cells{0, -1, 0, 1, 0})); // "the" names no category
    EXPECT_EQ(cells(t, dog[3]), (Cells{n, 1, 1, 4, 0}));
    EXPECT_EQ(cells(t, dog[4]), (Cells{n, 0, 1, 1, 0}));
    EXPECT_EQ(cells(t, dog[5]), (Cells{0, -1, 0, 1, 6}));
    int32_t numSlot = 0;
    int32_t caseSlot = 0;
    int32_t feature = 0;
    EXPECT_EQ(t.getFirstName(kRecordFeature, feature), kNoErr); // the newest: num
    EXPECT_EQ(t.convertToAttributeIndex(feature, numSlot), kNoErr);
    EXPECT_EQ(t.getNextName(feature, feature), kNoErr);
    EXPECT_EQ(t.convertToAttributeIndex(feature, caseSlot), kNoErr);
    EXPECT_EQ(text(t, dog[4], numSlot), "sg");
    EXPECT_EQ(text(t, dog[4], caseSlot), "a b");
    EXPECT_EQ(text(t, dog[3], numSlot), "");
    // No word category given: the main terminal node's mother's.
    EXPECT_EQ(wordCells(t, words[1]), (Cells{categoryNamed(t, "D"), dog[2], 0, dog[4]}));

    const std::vector<int32_t> very = nodesOf(t, words[2]);
    ASSERT_EQ(very.size(), 4u);
    EXPECT_EQ(wordCells(t, words[2]), (Cells{categoryNamed(t, "V"), very[2], very[0], 0}));
    EXPECT_EQ(text(t, very[0], kAttrSubscript), "i");
    EXPECT_EQ(label(t, very[3]), "say \"hi\" \\ ");
    EXPECT_EQ(cells(t, very[3]), (Cells{categoryNamed(t, "N"), 1, 0, 1, 0}));

    // Without a categories line a grammar has the standard five.
    // The mother of "dog" has no category, so the word takes its root's.
    std::unique_ptr<CTree> standard = build("word dog: [NP [Q dog]]\n", RTextTarget::Grammar);
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(categoryNamed(*standard, "P"), 6);
    EXPECT_EQ(cell(*standard, roots(*standard)[0], kAttrWordCategory),
              categoryNamed(*standard, "N"));
    EXPECT_EQ(standard->fontSize, 10);
    EXPECT_EQ(text(*standard, kHeaderRecord, kHdrFontName), "");
}

TEST(GrammarTextReader, ExactCategoryNamesWinOverProjections) {
    std::unique_ptr<CTree> tree =
        build("categories: N NP\nword a: [NP [NPP [NP' [N a]]]]\n", RTextTarget::Grammar);
    ASSERT_NE(tree, nullptr);
    const std::vector<int32_t> nodes = nodesOf(*tree, roots(*tree)[0]);
    const int32_t np = categoryNamed(*tree, "NP");
    EXPECT_EQ(cells(*tree, nodes[0]), (Cells{np, 0, 0, 1, 0}));
    EXPECT_EQ(cells(*tree, nodes[1]), (Cells{np, 2, 0, 1, 0}));
    EXPECT_EQ(cells(*tree, nodes[2]), (Cells{np, 1, 0, 1, 0}));
}

TEST(GrammarTextReader, DocumentsPrepareTheLexiconAndPlaceTreesLeftToRight) {
    std::unique_ptr<CTree> tree = build("categories: N V\n"
                                        "word zebra: [N zebra]\n"
                                        "word ant: [N ant]\n"
                                        "word run: [V run]\n"
                                        "tree: [VP [V run]]\n"
                                        "tree: abc{main}\n"
                                        "tree @ 300 -40: [N ant]\n"
                                        "tree: [NP [N{triangle} [A big] [N dog]]]\n",
                                        RTextTarget::Document);
    ASSERT_NE(tree, nullptr);
    CTree& t = *tree;
    const std::vector<int32_t> all = roots(t);
    ASSERT_EQ(all.size(), 7u);
    // Trees first, in the order of the text, then the words.
    EXPECT_EQ(label(t, all[0]), "VP");
    EXPECT_EQ(label(t, all[1]), "abc");
    EXPECT_EQ(label(t, all[3]), "NP");
    EXPECT_EQ(text(t, all[4], kAttrCitationForm), "zebra");
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(cell(t, all[i], kAttrWhereIsTree), kTreeOnWorkArea);
    for (std::size_t i = 4; i < 7; ++i) {
        EXPECT_EQ(cell(t, all[i], kAttrWhereIsTree), kTreeInLexicon);
        EXPECT_EQ(cell(t, cell(t, all[i], kAttrMainTerminalNode), kAttrIsMainTerminal), 1);
    }
    // The lexicon lists each category's words in citation-form order.
    int32_t word = 0;
    EXPECT_EQ(t.getFirstWordInCategory(categoryNamed(t, "N"), word), kNoErr);
    EXPECT_EQ(text(t, word, kAttrCitationForm), "ant");
    EXPECT_EQ(t.getNextWordInCategory(word, word), kNoErr);
    EXPECT_EQ(text(t, word, kAttrCitationForm), "zebra");
    EXPECT_EQ(t.getNextWordInCategory(word, word), kNoErr);
    EXPECT_EQ(word, 0);
    // A tree's main mark sets its root's main terminal and the student-mode mark.
    EXPECT_EQ(cell(t, all[1], kAttrMainTerminalNode), all[1]);
    EXPECT_EQ(cell(t, all[1], kAttrIsMainTerminal), 1);
    EXPECT_EQ(cell(t, all[0], kAttrMainTerminalNode), 0);

    // Widths at font size 10 (6 pixels a character), padding 10: [VP [V run]] is 18 wide,
    // abc 18, [N ant] 18, [NP [N{triangle} [A big] [N dog]]] as wide as its words with a
    // blank after each: 8 characters, 48.
    const Cells points[] = {
        {20 + 9, 20}, {29 + 9 + 40 + 9, 20}, {300, -40}, {300 + 9 + 40 + 24, -40}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ((Cells{cell(t, all[i], kAttrAbsoluteH), cell(t, all[i], kAttrAbsoluteV)}),
                  points[i]);
}

TEST(GrammarTextReader, EstimatesWidthsFromLabels) {
    RGrammarText grammar;
    RTextError error;
    GrammarTextReader reader(RTextTarget::Document, ".");
    ASSERT_TRUE(reader.parse("tree: [S [NP{sub=ij} [D the] [N dog]] [VP barks]]\n"
                             "tree: [S{triangle} [NP a] [VP b]]\n"
                             "tree: [\"a long label here\" x]\n",
                             grammar, error));
    ASSERT_EQ(grammar.trees.size(), 3u);
    // NP: max(4 characters, the + dog + padding = 18 + 18 + 10); VP: max(12, 30);
    // S: 46 + 30 + 10.
    EXPECT_EQ(estimatedTreeWidth(grammar.trees[0], 10, 10), 86);
    // 12 pixels a character, padding 4: NP 36 + 36 + 4, VP 60, S 76 + 60 + 4.
    EXPECT_EQ(estimatedTreeWidth(grammar.trees[0], 20, 4), 140);
    // A triangle is as wide as its words, each followed by a blank: " a b" is 4 characters.
    EXPECT_EQ(estimatedTreeWidth(grammar.trees[1], 10, 10), 24);
    EXPECT_EQ(estimatedTreeWidth(grammar.trees[2], 10, 10), 17 * 6);
}

TEST(GrammarTextReader, DeepTreesDoNotExhaustTheStack) {
    // Far deeper than a recursive reader or writer could go.
    const int depth = 200000;
    std::string tree;
    for (int i = 0; i < depth; ++i)
        tree += "[N ";
    tree += "leaf" + std::string(depth, ']');
    RGrammarText grammar;
    RTextError error;
    ASSERT_TRUE(
        GrammarTextReader(RTextTarget::Grammar, ".").parse("word deep: " + tree, grammar, error));
    ASSERT_EQ(grammar.words.size(), 1u);
    EXPECT_EQ(grammar.words[0].nodes.size(), static_cast<std::size_t>(depth + 1));
    EXPECT_EQ(grammar.words[0].nodes.back().mother, depth - 1);
    EXPECT_EQ(GrammarTextWriter().format(grammar),
              "categories: X N V A P\n\nword deep: " + tree + "\n");
}

TEST(GrammarTextReader, ReadsTheScriptFromAFileBesideTheText) {
    TempDir dir;
    writeTextFile(dir.file("english.rsc"), "define function f\r\nend define");
    writeTextFile(dir.file("g.rgt"), "script-file: english.rsc\nword dog: [N dog]\n");
    std::unique_ptr<CTree> tree;
    RTextError error;
    ASSERT_TRUE(readGrammarTextFile(dir.file("g.rgt"), RTextTarget::Grammar, tree, error))
        << error.describe("g.rgt");
    EXPECT_EQ(text(*tree, kHeaderRecord, kHdrScriptText), "define function f\nend define\n");

    EXPECT_FALSE(readGrammarTextFile(dir.file("none.rgt"), RTextTarget::Grammar, tree, error));
    EXPECT_EQ(error.describe("none.rgt"), "none.rgt: The file cannot be read.");
    EXPECT_EQ(tree, nullptr);
}
