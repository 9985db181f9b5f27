#include "cli/CliCheckScript.h"
#include "CliTestSupport.h"
#include "cli/CliCommand.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

CommandResult check(const std::vector<std::string>& arguments) {
    return runPrinting(checkScript, arguments);
}

// A grammar file with one feature and the given script.
void writeGrammar(const std::string& path, const std::string& feature, const std::string& script) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    ASSERT_EQ(tree.undoStructure().startTaskList(kLabelNeverUndoable), kNoErr);
    int32_t record = 0;
    ASSERT_EQ(tree.newName(kRecordFeature, record), kNoErr);
    ASSERT_EQ(tree.setMainString(record, CRString(feature, 155)), kNoErr);
    ASSERT_EQ(tree.setMainString(kHeaderRecord, CRString(script, 155)), kNoErr);
    ASSERT_EQ(tree.undoStructure().finishTaskList(), kNoErr);
    ASSERT_TRUE(writeDatabase(tree, path));
}

} // namespace

TEST(CliCheckScript, BareScriptPrintsOkOrTheFirstErrorWithItsOneBasedLine) {
    TempDir dir;
    writeTextFile(dir.file("good.rsc"), "define function f(a)\n  return a * 2\nend define\n");
    EXPECT_EQ(check({dir.file("good.rsc")}).out, "ok\n");
    EXPECT_EQ(check({dir.file("good.rsc")}).status, kExitSuccess);

    writeTextFile(dir.file("bad.rsc"), "define function f\n  return 1\n  return zz\nend define\n");
    const CommandResult bad = check({dir.file("bad.rsc")});
    EXPECT_EQ(bad.status, kExitInputFault);
    EXPECT_EQ(bad.out, "3: Undefined symbol.\n");

    // Line breaks of a message are written as \n, and Windows line ends count once.
    writeTextFile(dir.file("crlf.txt"), "define function f(a, b) forward\r\n"
                                        "define function f(b, a)\r\nend define\r\n");
    const CommandResult crlf = check({dir.file("crlf.txt")});
    EXPECT_EQ(crlf.status, kExitInputFault);
    EXPECT_EQ(crlf.out, "2: Bad parameter list.  Check to see if a symbol is repeated in the "
                        "list.  \\nThere may also be a mismatching forward definition.\n");

    writeTextFile(dir.file("empty.rsc"), "");
    EXPECT_EQ(check({dir.file("empty.rsc")}).out, "ok\n");
}

TEST(CliCheckScript, TextFormContributesItsFeaturesAndScript) {
    TempDir dir;
    writeTextFile(dir.file("g.rgt"), "# a grammar\n"
                                     "categories: X N V\n"
                                     "features: case num  # two\n"
                                     "word dog: [N dog]\n"
                                     "script:\n"
                                     "define function f(n)\n"
                                     "  let case(n) = num(n)\n"
                                     "end define\n"
                                     "end script\n"
                                     "tree: [N dog]\n");
    EXPECT_EQ(check({dir.file("g.rgt")}).out, "ok\n");

    writeTextFile(dir.file("h.rgt"), "script:\n"
                                     "define function f(n)\n"
                                     "  let gender(n) = 1\n"
                                     "end define\n"
                                     "end script\n");
    EXPECT_EQ(check({dir.file("h.rgt")}).out, "2: Syntax error.\n");
}

TEST(CliCheckScript, GrammarFilesAreCompiledWithTheirFeatures) {
    TempDir dir;
    writeGrammar(dir.file("g.rgr"), "Gender",
                 "define function f(n)\n return gender(n)\nend define");
    const CommandResult good = check({dir.file("g.rgr")});
    EXPECT_EQ(good.out, "ok\n");
    EXPECT_EQ(good.status, kExitSuccess);

    writeGrammar(dir.file("h.rgr"), "Gender",
                 "define menu \"A\"\n\"f\" \"F\"\nend define\n"
                 "define function Gender\nend define");
    const CommandResult bad = check({dir.file("h.rgr")});
    EXPECT_EQ(bad.out, "4: Symbol was previously defined as an author-defined node feature.\n");
    EXPECT_EQ(bad.status, kExitInputFault);
}

TEST(CliCheckScript, MissingFilesAndWrongArgumentsAreRefused) {
    TempDir dir;
    const CommandResult missing = check({dir.file("none.rgr")});
    EXPECT_EQ(missing.status, kExitInputFault);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("none.rgr"), std::string::npos);

    const CommandResult missingText = check({dir.file("none.rsc")});
    EXPECT_EQ(missingText.status, kExitInputFault);

    writeTextFile(dir.file("junk.rgr"), "not a grammar");
    const CommandResult junk = check({dir.file("junk.rgr")});
    EXPECT_EQ(junk.status, kExitInputFault);
    EXPECT_EQ(junk.out, "");

    EXPECT_EQ(check({}).status, kExitUsage);
    EXPECT_EQ(check({"a", "b"}).status, kExitUsage);
}

TEST(CliCheckScript, IsListedAmongTheCommands) {
    bool found = false;
    for (const CliCommand& command : cliCommands())
        found = found || std::string(command.name) == "check-script";
    EXPECT_TRUE(found);
}
