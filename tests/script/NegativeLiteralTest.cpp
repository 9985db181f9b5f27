// A minus sign directly before digits belongs to the integer literal, so "3-1" is the two
// literals 3 and -1, which no expression accepts: it must never compile as two statements
// that quietly drop the subtraction. "3 - 1" is a subtraction and "a-1" is one name.

#include "ScriptSupport.h"

#include "script/CScript.h"
#include "script/CompileErrors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LiteralCase {
    const char* body;   // the statements of the function "f", which sets the globals x and y
    int32_t code;       // the compile error, 0 when it compiles
    int32_t line;       // its 0-based line
    const char* x = ""; // x after running f, when it compiles
};

std::string scriptWith(const std::string& body) {
    return "define variable x, y, a-1\ndefine function f\n" + body + "\nend define";
}

} // namespace

TEST(NegativeLiterals, TwoLiteralsSideBySideNeverCompileAndASubtractionDoes) {
    const std::vector<LiteralCase> cases = {
        // Two literals, the second negative: rejected wherever they stand.
        {" let x = 3-1", kCompileSyntaxError, 2},
        {" let x = 3 -1", kCompileSyntaxError, 2},
        {" return 3-1", kCompileSyntaxError, 2},
        {" beep(3-1)", kCompileSyntaxError, 2},
        {" beep(3 -1)", kCompileSyntaxError, 2},
        {" 3-1", kCompileSyntaxError, 2},
        {" while 3-1 beep end while", kCompileSyntaxError, 2},
        {" let y = 1\n let x = 10-1", kCompileSyntaxError, 3},
        {" let x = 3\n -1", kCompileSyntaxError, 3},
        {" let x = red -1", kCompileSyntaxError, 2},
        // A subtraction, and literals that stand where an operand may.
        {" let x = 3 - 1", kCompileOk, 0, "2"},
        {" let x = 3 - -1", kCompileOk, 0, "4"},
        {" let x = 3--1", kCompileOk, 0, "4"},
        {" let x = -12", kCompileOk, 0, "-12"},
        {" let x = 7 * -2", kCompileOk, 0, "-14"},
        {" let x = (3) - 1", kCompileOk, 0, "2"},
        // A name keeps a hyphen followed by a digit.
        {" let a-1 = 5\n let x = a-1", kCompileOk, 0, "5"},
        {" let a-1 = 5\n let x = a-1 - 1", kCompileOk, 0, "4"},
        // A literal then a positive literal are two statements, as ever.
        {" let x = 3\n 1", kCompileOk, 0, "3"},
    };
    for (const LiteralCase& c : cases) {
        ScriptHarness runner;
        const RErr err = runner.compile(scriptWith(c.body));
        EXPECT_EQ(err, c.code ? kErrScriptCompile : kNoErr) << c.body;
        EXPECT_EQ(runner.script().lastCompileErrorCode(), c.code) << c.body;
        EXPECT_EQ(runner.script().lastCompileErrorLine(), c.line) << c.body;
        if (c.code != kCompileOk)
            continue;
        EXPECT_EQ(runner.run("f"), kNoErr) << c.body;
        EXPECT_EQ(runner.global("x"), c.x) << c.body;
    }
}
