#include "ScriptSupport.h"
#include "ScriptSupport.h"

#include "script/CScriptScanner.h"
#include "script/CompileErrors.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CommentCase {
    const char* what;
    const char* text;
    int32_t code;
    int32_t line;
};

} // namespace

TEST(ScriptComments, CommentsCompileInEveryPositionAndKeepLineNumbers) {
    const CommentCase cases[] = {
        {"a comment-only script is an empty one", "# nothing yet\n   # still nothing", 0, 0},
        {"before define", "# the checks\ndefine function f\n  beep\nend define\n", 0, 0},
        {"after a statement", "define function f\n  beep # a sound\nend define", 0, 0},
        {"right after a token, no blank",
         "define variable x# one\ndefine function f\n"
         "  let x = 1#set\nend define",
         0, 0},
        {"at the end without a line break", "define function f\n  beep\nend define # done", 0, 0},
        {"a quote inside a comment starts no literal",
         "define function f # say \"hi\n  beep\nend define", 0, 0},
        {"between the lines of a function header and its body",
         "define function f(a,\n# the second\n b)\n  return a\nend define", 0, 0},
        // Line numbers are those of the text, comment lines counted as any other.
        {"error after comment lines", "# one\n# two\n\n# four\ndefine variable x\n  ! # six\n",
         kCompileSyntaxError, 5},
        {"syntax error on the line after a comment",
         "define function f\n  beep # ok\n  !\n"
         "end define",
         kCompileSyntaxError, 2},
        {"a comment does not hide the next line", "define function f # \n  g\nend define",
         kCompileUndefinedSymbol, 1},
        {"characters other than '#' still fail", "define function f\n  _\nend define",
         kCompileSyntaxError, 1},
    };
    for (const CommentCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptHarness fixture;
        const RErr err = fixture.compile(c.text);
        EXPECT_EQ(err, c.code ? kErrScriptCompile : kNoErr);
        EXPECT_EQ(fixture.script().lastCompileErrorCode(), c.code);
        EXPECT_EQ(fixture.script().lastCompileErrorLine(), c.line);
    }
}

TEST(ScriptComments, HashInsideAStringLiteralIsText) {
    ScriptHarness runner;
    ASSERT_EQ(runner.compile("define variable v, w\n"
                             "define function f # sets both\n"
                             "  let v = \"a # b\" # the literal keeps its hash\n"
                             "  let w = \"#\"\n"
                             "end define\n"),
              kNoErr);
    ASSERT_EQ(runner.run("f"), kNoErr);
    EXPECT_EQ(runner.global("v"), "a # b");
    EXPECT_EQ(runner.global("w"), "#");
}

TEST(ScriptComments, BlankScriptsAreThoseOfBlanksLineFeedsAndComments) {
    EXPECT_TRUE(CScriptScanner::isBlankScript(""));
    EXPECT_TRUE(CScriptScanner::isBlankScript(" \t\n# a\n#b"));
    EXPECT_FALSE(CScriptScanner::isBlankScript("# a\ndebug"));
    EXPECT_FALSE(CScriptScanner::isBlankScript("\"# not a comment\""));
    EXPECT_FALSE(CScriptScanner::isBlankScript("\r\n"));
}
