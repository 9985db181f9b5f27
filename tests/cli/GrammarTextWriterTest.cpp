#include "cli/GrammarTextWriter.h"
#include "CliTestSupport.h"
#include "cli/GrammarTextReader.h"

namespace {

// Builds the text, saves and loads it as the program would, and exports it.
std::string buildSaveAndExport(const std::string& text, RTextTarget target, const TempDir& dir) {
    std::unique_ptr<CTree> built;
    RTextError error;
    EXPECT_TRUE(GrammarTextReader(target, dir.path().string()).read(text, built, error))
        << error.describe("source");
    if (!built)
        return "";
    const std::string path = dir.file(target == RTextTarget::Document ? "round.rdc" : "round.rgr");
    EXPECT_TRUE(writeDatabase(*built, path));
    std::unique_ptr<CTree> loaded;
    EXPECT_TRUE(openDatabase(path, loaded));
    std::string exported;
    if (loaded) {
        EXPECT_EQ(GrammarTextWriter().write(*loaded, exported), kNoErr);
    }
    return exported;
}

} // namespace

// The export writes only what the labels and defaults do not say, and building it again gives
// the same text.
TEST(GrammarTextWriter, ExportsWhatTheTextSaidAndBuildsBackToTheSameText) {
    std::string deep;
    for (int i = 0; i < 2000; ++i)
        deep += "[N ";
    deep += "x" + std::string(2000, ']');
    // A script block is taken verbatim, its comments too; a comment outside it is dropped.
    const std::string script = "script:\n# the checks of this grammar\n"
                               "define function open # the hook\n"
                               "  message(\"# is text here\")\n"
                               "end define\n"
                               "#   an indented note, and a blank comment line:\n#\nend script\n";
    struct Case {
        std::string text;
        RTextTarget target;
        std::string exported; // empty: only built back
    };
    const Case cases[] = {
        {readTextFile(testDataFile("xbar.rgt")), RTextTarget::Grammar,
         R"(categories: X N V A P D T C
features: case num
font: "Times New Roman" 12
drawing: 10 2 16 1

word barks: [VP{spine} [V'{spine} [V{spine,num=sg} barks]]]
word dog: [NP{spine} [N'{spine} [N{spine,num=sg} dog]]]
word dogs: [NP{spine} [N'{spine} [N{spine,num=pl} dogs]]]
word it D: [NP{case=nom} it]
word sees: [VP{spine} [V'{spine} [V{spine} sees] DP{case=acc}]]
word the: [DP{spine} [D'{spine} [D{spine} the] NP]]
word "the dog": [NP{triangle} [D the] [N' [N dog{main}]]]

script:
define function agree(n)
  let case(n) = "nom"
  return num(n)
end define
end script
)"},
        {"categories: N V\nfeatures: case\nword run: [V run]\n"
         "tree: [VP{cat=none,proj=1} [V{main} run]]\n"
         "tree: [N'{sub=\"i j\",style=italic} \"a: b\"{color=magenta,case=\"x,y\"}]\n"
         "tree @ 5 6: [V \"\" \"#\"]\ntree: [V{foot,spine} a]\n",
         RTextTarget::Document,
         "categories: N V\nfeatures: case\n\nword run: [V run]\n\n"
         "tree: [VP{cat=none,proj=1} [V{main} run]]\n"
         "tree: [N'{style=italic,sub=\"i j\"} \"a: b\"{color=magenta,case=\"x,y\"}]\n"
         "tree @ 5 6: [V \"\" \"#\"]\ntree: [V{foot,spine} a]\n"},
        // Equal words stay apart, and a deep tree is written without recursion.
        {"categories: N V\nword bank: [N bank]\nword bank: [V bank]\n"
         "word bank: [N{color=red} bank]\nword Bank: [N bank]\ntree: " +
             deep + "\n",
         RTextTarget::Document,
         "categories: N V\n\nword bank: [N bank]\nword bank: [N{color=red} bank]\n"
         "word bank: [V bank]\nword Bank: [N bank]\n\ntree: " +
             deep + "\n"},
        {"# a header comment\nword dog: [N dog]\n" + script, RTextTarget::Grammar,
         "categories: X N V A P\n\nword dog: [N dog]\n\n" + script},
        {readTextFile(testDataFile("xbar.rgt")), RTextTarget::Document, ""},
        {readTextFile(testDataFile("xbar-document.rgt")), RTextTarget::Document, ""},
        {readTextFile(testDataFile("tag.rgt")), RTextTarget::Document, ""},
        {readTextFile(testDataFile("categorial.rgt")), RTextTarget::Document, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        TempDir dir;
        const std::string first = buildSaveAndExport(c.text, c.target, dir);
        if (!c.exported.empty())
            EXPECT_EQ(first, c.exported);
        ASSERT_FALSE(first.empty());
        EXPECT_EQ(buildSaveAndExport(first, c.target, dir), first);
    }
}
