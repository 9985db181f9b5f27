#include "cli/GrammarTextWriter.h"
#include "CliTestSupport.h"
#include "cli/GrammarTextReader.h"
#include "script/CScript.h"

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

TEST(GrammarTextWriter, WritesOnlyWhatTheLabelsAndDefaultsDoNotSay) {
    TempDir dir;
    const std::string exported =
        buildSaveAndExport(readTextFile(testDataFile("xbar.rgt")), RTextTarget::Grammar, dir);
    EXPECT_EQ(exported, "categories: X N V A P D T C\n"
                        "features: case num\n"
                        "font: \"Times New Roman\" 12\n"
                        "drawing: 10 2 16 1\n"
                        "\n"
                        "word barks: [VP{spine} [V'{spine} [V{spine,num=sg} barks]]]\n"
                        "word dog: [NP{spine} [N'{spine} [N{spine,num=sg} dog]]]\n"
                        "word dogs: [NP{spine} [N'{spine} [N{spine,num=pl} dogs]]]\n"
                        "word it D: [NP{case=nom} it]\n"
                        "word sees: [VP{spine} [V'{spine} [V{spine} sees] DP{case=acc}]]\n"
                        "word the: [DP{spine} [D'{spine} [D{spine} the] NP]]\n"
                        "word \"the dog\": [NP{triangle} [D the] [N' [N dog{main}]]]\n"
                        "\n"
                        "script:\n"
                        "define function agree(n)\n"
                        "  let case(n) = \"nom\"\n"
                        "  return num(n)\n"
                        "end define\n"
                        "end script\n");
}

TEST(GrammarTextWriter, DocumentsKeepTheirTreesPointsAndMarks) {
    TempDir dir;
    const std::string exported = buildSaveAndExport("categories: N V\n"
                                                    "features: case\n"
                                                    "word run: [V run]\n"
                                                    "tree: [VP{cat=none,proj=1} [V{main} run]]\n"
                                                    "tree: [N'{sub=\"i j\",style=italic} "
                                                    "\"a: b\"{color=magenta,case=\"x,y\"}]\n"
                                                    "tree @ 5 6: [V \"\" \"#\"]\n"
                                                    "tree: [V{foot,spine} a]\n",
                                                    RTextTarget::Document, dir);
    EXPECT_EQ(exported,
              "categories: N V\n"
              "features: case\n"
              "\n"
              "word run: [V run]\n"
              "\n"
              "tree: [VP{cat=none,proj=1} [V{main} run]]\n"
              "tree: [N'{style=italic,sub=\"i j\"} \"a: b\"{color=magenta,case=\"x,y\"}]\n"
              "tree @ 5 6: [V \"\" \"#\"]\n"
              "tree: [V{foot,spine} a]\n");
}

TEST(GrammarTextWriter, BuildExportBuildGivesTheSameTextForEveryDataFile) {
    struct Case {
        const char* file;
        RTextTarget target;
    };
    for (const Case& c :
         {Case{"xbar.rgt", RTextTarget::Grammar}, Case{"xbar.rgt", RTextTarget::Document},
          Case{"xbar-document.rgt", RTextTarget::Document}, Case{"tag.rgt", RTextTarget::Document},
          Case{"categorial.rgt", RTextTarget::Document}}) {
        SCOPED_TRACE(c.file);
        TempDir dir;
        const std::string first =
            buildSaveAndExport(readTextFile(testDataFile(c.file)), c.target, dir);
        ASSERT_FALSE(first.empty());
        const std::string second = buildSaveAndExport(first, c.target, dir);
        EXPECT_EQ(second, first);
    }
}

TEST(GrammarTextWriter, EqualWordsDeepTreesAndScriptCommentsSurviveTheRoundTrip) {
    TempDir dir;
    std::string text = "categories: N V\n"
                       "word bank: [N bank]\n"
                       "word bank: [V bank]\n"
                       "word bank: [N{color=red} bank]\n"
                       "word Bank: [N bank]\n"
                       "tree: ";
    for (int i = 0; i < 2000; ++i)
        text += "[N ";
    text += "x" + std::string(2000, ']') + "\n";
    const std::string first = buildSaveAndExport(text, RTextTarget::Document, dir);
    EXPECT_NE(first.find("word bank: [N bank]\nword bank: [N{color=red} bank]\n"),
              std::string::npos);
    EXPECT_EQ(buildSaveAndExport(first, RTextTarget::Document, dir), first);

    // A script block is taken verbatim: its comments reach the grammar, compile and are
    // written back; a comment outside it is dropped by the build.
    const std::string script = "# the checks of this grammar\n"
                               "define function open # the hook\n"
                               "  message(\"# is text here\")\n"
                               "end define\n"
                               "#   an indented note, and a blank comment line:\n"
                               "#\n";
    std::unique_ptr<CTree> built;
    RTextError error;
    ASSERT_TRUE(
        GrammarTextReader(RTextTarget::Grammar, ".")
            .read("# a header comment\nword dog: [N dog]\nscript:\n" + script + "end script\n",
                  built, error));
    const CRString* stored = nullptr;
    ASSERT_EQ(built->getMainString(kHeaderRecord, stored), kNoErr);
    EXPECT_EQ(stored->str(), script);
    built->script()->setTraceOutput(nullptr);
    EXPECT_EQ(built->script()->parseScript(false), kNoErr);
    std::string exported;
    ASSERT_EQ(GrammarTextWriter().write(*built, exported), kNoErr);
    EXPECT_EQ(exported,
              "categories: X N V A P\n\nword dog: [N dog]\n\nscript:\n" + script + "end script\n");
    EXPECT_EQ(buildSaveAndExport(exported, RTextTarget::Grammar, dir), exported);
}
