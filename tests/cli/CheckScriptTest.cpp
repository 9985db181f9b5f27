#include "CliTestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

// `check-script` prints "ok" or the first error with its one-based line, line breaks of the
// message written as \n, for a bare script, a text form, a grammar or a document.
TEST(CliCheckScript, PrintsOkOrTheFirstErrorForEveryKindOfFile) {
    TempDir dir;
    struct Case {
        const char* file;
        const char* text;
        const char* out;
    };
    const Case cases[] = {
        {"good.rsc", "define function f(a)\n  return a * 2\nend define\n", "ok\n"},
        {"empty.rsc", "", "ok\n"},
        {"bad.rsc", "define function f\n  return 1\n  return zz\nend define\n",
         "3: Undefined symbol.\n"},
        // Windows line ends count once.
        {"crlf.txt", "define function f(a, b) forward\r\ndefine function f(b, a)\r\nend define\r\n",
         "2: Bad parameter list.  Check to see if a symbol is repeated in the list.  \\nThere may "
         "also be a mismatching forward definition.\n"},
        // The text form contributes its features and script.
        {"g.rgt",
         "# a grammar\ncategories: X N V\nfeatures: case num  # two\nword dog: [N dog]\nscript:\n"
         "define function f(n)\n  let case(n) = num(n)\nend define\nend script\ntree: [N dog]\n",
         "ok\n"},
        {"h.rgt", "script:\ndefine function f(n)\n  let gender(n) = 1\nend define\nend script\n",
         "2: Syntax error.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        writeTextFile(dir.file(c.file), c.text);
        const CommandResult result = cli({"check-script", dir.file(c.file)});
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.status, std::string(c.out) == "ok\n" ? kExitSuccess : kExitInputFault);
    }

    // A grammar file is compiled with its features.
    for (const bool clash : {false, true}) {
        CTree tree;
        ASSERT_EQ(tree.createTree(true), kNoErr);
        ASSERT_EQ(tree.undoStructure().startTaskList(kLabelNeverUndoable), kNoErr);
        int32_t record = 0;
        ASSERT_EQ(tree.newName(kRecordFeature, record), kNoErr);
        ASSERT_EQ(tree.setMainString(record, CRString("Gender", 155)), kNoErr);
        const std::string script = clash ? "define menu \"A\"\n\"f\" \"F\"\nend define\n"
                                           "define function Gender\nend define"
                                         : "define function f(n)\n return gender(n)\nend define";
        ASSERT_EQ(tree.setMainString(kHeaderRecord, CRString(script, 155)), kNoErr);
        ASSERT_EQ(tree.undoStructure().finishTaskList(), kNoErr);
        ASSERT_TRUE(writeDatabase(tree, dir.file("g.rgr")));
        const CommandResult result = cli({"check-script", dir.file("g.rgr")});
        EXPECT_EQ(result.out,
                  clash ? "4: Symbol was previously defined as an author-defined node feature.\n"
                        : "ok\n");
        EXPECT_EQ(result.status, clash ? kExitInputFault : kExitSuccess);
    }

    // Missing files and wrong arguments are refused.
    writeTextFile(dir.file("junk.rgr"), "not a grammar");
    for (const char* file : {"none.rgr", "none.rsc", "junk.rgr"}) {
        const CommandResult refused = cli({"check-script", dir.file(file)});
        EXPECT_EQ(refused.status, kExitInputFault) << file;
        EXPECT_EQ(refused.out, "");
        EXPECT_NE(refused.err.find(file), std::string::npos) << refused.err;
    }
}
