#include "cli/GrammarTextReader.h"
#include "CliTestSupport.h"
#include "cli/GrammarText.h"
#include "cli/GrammarTextWriter.h"
#include "support/HierarchyTestSupport.h"
#include "undo/CUndoStructure.h"

#include <algorithm>
#include <map>

namespace {

// An expression, for the clauses of a walk.
void ok(RErr err) {
    EXPECT_EQ(err, kNoErr);
}

int32_t cell(CTree& tree, int32_t record, int32_t attribute) {
    int32_t value = 0;
    EXPECT_EQ(tree.getValue(record, attribute, value), kNoErr);
    return value;
}

// Names of the records of one list, by the number they are known by (a category's index, a
// feature's slot), with "-" for none.
std::map<int32_t, std::string> names(CTree& tree, int32_t type) {
    std::map<int32_t, std::string> all = {{0, "-"}};
    int32_t record = 0;
    for (ok(tree.getFirstName(type, record)); record != 0; ok(tree.getNextName(record, record))) {
        int32_t number = 0;
        if (type == kRecordFeature)
            EXPECT_EQ(tree.convertToAttributeIndex(record, number), kNoErr);
        else
            EXPECT_EQ(tree.convertCategoryLabelToIndex(
                          CRString(cellText(tree, record, kAttrLabel), 1), number),
                      kNoErr);
        all[number] = cellText(tree, record, kAttrLabel);
    }
    return all;
}

// The header, then every root in root-list order, one a line: citation form, where it is, word
// category, main terminal, foot and lowest spine node (pre-order positions), the point of a
// work-area tree; then its nodes in pre-order, label:category,projection,spine,colour,style
// and {subscript, triangle, student-mode mark, features} where set.
std::string dump(CTree& t) {
    std::map<int32_t, std::string> categories = names(t, kRecordCategory);
    std::map<int32_t, std::string> features = names(t, kRecordFeature);
    int32_t blessed = 0;
    EXPECT_EQ(t.getBlessedCategory(blessed), kNoErr);
    std::ostringstream out;
    out << "categories:";
    for (const auto& [index, name] : categories)
        out << (index ? " " + name : "");
    out << " blessed=" << categories[blessed] << " font=\""
        << cellText(t, kHeaderRecord, kHdrFontName) << "\" " << t.fontSize
        << " drawing=" << t.horizontalPadding << " " << t.verticalPadding << " " << t.lineHeight
        << " " << t.thickness << " attributes=" << t.attributeCount();
    int32_t root = 0;
    for (ok(t.getFirstRoot(root)); root != 0; ok(t.getNextRoot(root, root))) {
        std::vector<int32_t> nodes;
        for (int32_t node = root; node != 0; ok(t.getNextNode(node, root, node)))
            nodes.push_back(node);
        const auto position = [&](int32_t attribute) {
            const auto at = std::find(nodes.begin(), nodes.end(), cell(t, root, attribute));
            return at == nodes.end() ? std::string("-") : std::to_string(at - nodes.begin());
        };
        const int32_t where = cell(t, root, kAttrWhereIsTree);
        out << "\n\"" << cellText(t, root, kAttrCitationForm) << "\" " << where << " "
            << categories[cell(t, root, kAttrWordCategory)] << " "
            << position(kAttrMainTerminalNode) << " " << position(kAttrFootNode) << " "
            << position(kAttrLowestXBarSpineNode);
        if (where == kTreeOnWorkArea)
            out << " @" << cell(t, root, kAttrAbsoluteH) << "," << cell(t, root, kAttrAbsoluteV);
        out << ":";
        for (const int32_t node : nodes) {
            std::string extra = cellText(t, node, kAttrSubscript).empty()
                                    ? ""
                                    : ",sub=" + cellText(t, node, kAttrSubscript);
            extra += cell(t, node, kAttrTriangle) ? ",tri" : "";
            extra += cell(t, node, kAttrIsMainTerminal) ? ",mt" : "";
            for (const auto& [slot, name] : features)
                if (slot != 0 && !cellText(t, node, slot).empty())
                    extra += "," + name + "=" + cellText(t, node, slot);
            out << " " << cellText(t, node, kAttrLabel) << ":"
                << categories[cell(t, node, kAttrCategory)] << "," << cell(t, node, kAttrProjection)
                << "," << cell(t, node, kAttrBelongsToXBarSpine) << "," << cell(t, node, kAttrColor)
                << "," << cell(t, node, kAttrTextStyle)
                << (extra.empty() ? "" : "{" + extra.substr(1) + "}");
        }
    }
    return out.str();
}

std::unique_ptr<CTree> build(const std::string& text, RTextTarget target) {
    std::unique_ptr<CTree> tree;
    RTextError error;
    EXPECT_TRUE(GrammarTextReader(target, ".").read(text, tree, error)) << error.describe("g.rgt");
    return tree;
}

std::string dumpOf(const std::string& text, RTextTarget target = RTextTarget::Grammar) {
    std::unique_ptr<CTree> tree = build(text, target);
    return tree ? dump(*tree) : "not built";
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
        {"tree @ 10000000 -10000000: [N a]\n", "no error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RecordingPlatformScope platform;
        const bool grammar = std::string(c.error).find("a grammar holds") != std::string::npos;
        std::unique_ptr<CTree> tree;
        RTextError error;
        const bool read =
            GrammarTextReader(grammar ? RTextTarget::Grammar : RTextTarget::Document, ".")
                .read(c.text, tree, error);
        EXPECT_EQ(read ? "no error" : error.describe("g.rgt"), c.error);
        EXPECT_EQ(tree != nullptr, read);
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
    bool dirty = true;
    EXPECT_EQ(tree->undoStructure().isDirty(dirty), kNoErr);
    EXPECT_FALSE(dirty);
    EXPECT_EQ(cellText(*tree, kHeaderRecord, kHdrScriptText),
              "define function f(n)\n  return case(n)\nend define\n");
    // Words stay unplaced in a grammar; with no word category given, a word takes its main
    // terminal's mother's (D for dog).
    EXPECT_EQ(dump(*tree),
              "categories: X N V D blessed=X font=\"Times New Roman\" 12 drawing=25 6 24 2 "
              "attributes=53\n"
              "\"New York\" 0 N 1 - -: NP:N,2,0,1,0{tri} New:-,-1,0,1,0 York:-,-1,0,1,0\n"
              "\"dog\" 0 D 2 - 4: NP:N,2,1,1,0 D:D,0,0,1,0 the:-,-1,0,1,0 N':N,1,1,4,0 "
              "N:N,0,1,1,0{case=a b,num=sg} dog:-,-1,0,1,6\n"
              "\"very\" 0 V 2 0 -: N':N,1,0,1,0{sub=i} V:V,0,0,1,0 very:-,-1,0,1,0 "
              "say \"hi\" \\ :N,1,0,1,0");

    // The standard five categories; Q names none, so dog takes its root's.
    EXPECT_EQ(dumpOf("word dog: [NP [Q dog]]\n"),
              "categories: X N V A P blessed=X font=\"\" 10 drawing=10 2 16 0 attributes=51\n"
              "\"dog\" 0 N 2 - -: NP:N,2,0,1,0 Q:-,0,0,1,0 dog:-,-1,0,1,0");
    // Exact category names win over projections; a one-letter label that names none is no
    // projection.
    EXPECT_EQ(dumpOf("categories: N NP\nword a: [NP [NPP [NP' [N a]]]]\n"),
              "categories: N NP blessed=N font=\"\" 10 drawing=10 2 16 0 attributes=51\n"
              "\"a\" 0 N 4 - -: NP:NP,0,0,1,0 NPP:NP,2,0,1,0 NP':NP,1,0,1,0 N:N,0,0,1,0 "
              "a:-,0,0,1,0");
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
    // Trees first, in the order of the text, then the words. Widths at font size 10 (6 pixels
    // a character), padding 10: [VP [V run]] is 18 wide, abc 18, [N ant] 18, the triangle as
    // wide as its words with a blank after each: 8 characters, 48.
    EXPECT_EQ(dump(*tree),
              "categories: N V blessed=N font=\"\" 10 drawing=10 2 16 0 attributes=51\n"
              "\"\" 2 - - - - @29,20: VP:V,2,0,1,0 V:V,0,0,1,0 run:-,-1,0,1,0\n"
              "\"\" 2 - 0 - - @87,20: abc:-,-1,0,1,0{mt}\n"
              "\"\" 2 - - - - @300,-40: N:N,0,0,1,0 ant:-,-1,0,1,0\n"
              "\"\" 2 - - - - @373,-40: NP:N,2,0,1,0 N:N,0,0,1,0{tri} A:-,0,0,1,0 "
              "big:-,-1,0,1,0 N:N,0,0,1,0 dog:-,-1,0,1,0\n"
              "\"zebra\" 1 N 1 - -: N:N,0,0,1,0 zebra:-,-1,0,1,0{mt}\n"
              "\"ant\" 1 N 1 - -: N:N,0,0,1,0 ant:-,-1,0,1,0{mt}\n"
              "\"run\" 1 V 1 - -: V:V,0,0,1,0 run:-,-1,0,1,0{mt}");
    // The lexicon lists each category's words in citation-form order.
    std::string lexicon;
    int32_t word = 0;
    int32_t n = 0;
    EXPECT_EQ(tree->convertCategoryLabelToIndex(CRString("N", 1), n), kNoErr);
    for (ok(tree->getFirstWordInCategory(n, word)); word != 0;
         ok(tree->getNextWordInCategory(word, word)))
        lexicon += cellText(*tree, word, kAttrCitationForm) + " ";
    EXPECT_EQ(lexicon, "ant zebra ");
}

TEST(GrammarTextReader, EstimatesWidthsFromLabels) {
    RGrammarText grammar;
    RTextError error;
    ASSERT_TRUE(GrammarTextReader(RTextTarget::Document, ".")
                    .parse("tree: [S [NP{sub=ij} [D the] [N dog]] [VP barks]]\n"
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
    EXPECT_EQ(cellText(*tree, kHeaderRecord, kHdrScriptText), "define function f\nend define\n");
    EXPECT_FALSE(readGrammarTextFile(dir.file("none.rgt"), RTextTarget::Grammar, tree, error));
    EXPECT_EQ(error.describe("none.rgt"), "none.rgt: The file cannot be read.");
    EXPECT_EQ(tree, nullptr);
}
