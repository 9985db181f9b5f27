#include "cli/CliCommand.h"
#include "cli/GrammarTextReader.h"
#include "cli/GrammarTextWriter.h"
#include "model/CTree.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A script block is taken verbatim: its comments reach the grammar, compile, are written back
// by export, and survive saving, loading and building again.
TEST(ScriptBlockComments, CommentsInTheScriptSurviveBuildSaveLoadAndExport) {
    const std::string script = "# the checks of this grammar\n"
                               "define function open # the hook\n"
                               "  message(\"# is text here\")\n"
                               "end define\n"
                               "#   an indented note, and a blank comment line:\n"
                               "#\n";
    const std::string text = "# a header comment, dropped by the build\n"
                             "word dog: [N dog]\n"
                             "script:\n" +
                             script + "end script\n";
    TempDir dir;
    std::unique_ptr<CTree> built;
    RTextError error;
    ASSERT_TRUE(
        GrammarTextReader(RTextTarget::Grammar, dir.path().string()).read(text, built, error))
        << error.describe("source");
    const CRString* stored = nullptr;
    ASSERT_EQ(built->getMainString(1, stored), kNoErr);
    EXPECT_EQ(stored->str(), script);
    built->script()->setTraceOutput(nullptr);
    EXPECT_EQ(built->script()->parseScript(false), kNoErr);

    const std::string path = dir.file("g.rgr");
    ASSERT_TRUE(writeDatabase(*built, path));
    std::unique_ptr<CTree> loaded;
    ASSERT_TRUE(openDatabase(path, loaded));
    std::string exported;
    ASSERT_EQ(GrammarTextWriter().write(*loaded, exported), kNoErr);
    EXPECT_NE(exported.find("\nscript:\n" + script + "end script\n"), std::string::npos)
        << exported;

    std::unique_ptr<CTree> again;
    ASSERT_TRUE(
        GrammarTextReader(RTextTarget::Grammar, dir.path().string()).read(exported, again, error));
    std::string exportedAgain;
    ASSERT_EQ(GrammarTextWriter().write(*again, exportedAgain), kNoErr);
    EXPECT_EQ(exportedAgain, exported);
}
