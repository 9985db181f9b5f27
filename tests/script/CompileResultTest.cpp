#include "ScriptSupport.h"

#include "script/CMiddleInterface.h"
#include "script/CScriptNode.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/CompileErrors.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct CompileCase {
    const char* what;
    const char* text;
    int32_t code; // 0: compiles
    int32_t line; // 0-based
};

// Every case runs in a grammar with the features "Case" and "mother".
const std::vector<CompileCase> kCases = {
    // Compiles.
    {"empty script", "", 0, 0},
    {"blanks and line feeds only", "  \n\t\n\n", 0, 0},
    {"debug anywhere, any number of times", "debug\ndefine variable x\ndebug debug", 0, 0},
    {"forward then definition with the same parameters",
     "define function f(a, b) forward\n"
     "define function g\n"
     "  return f(1, 2)\n"
     "end define\n"
     "define function f(a, b)\n"
     "  return a + b\n"
     "end define",
     0, 0},
    {"empty parameters are not counted",
     "define function f(, a,) forward\ndefine function f(a)\nend define\n"
     "define function g\n f(1)\nend define",
     0, 0},
    {"call without parentheses of a function without parameters",
     "define function f\n  beep\nend define\ndefine function g\n  f\n  new-index\nend define", 0,
     0},
    {"a parameter named like a global variable",
     "define variable n\ndefine function f(n)\n  return n\nend define", 0, 0},
    {"two functions with a parameter n",
     "define function f(n)\n return n\nend define\ndefine function g(n)\n return n\nend define", 0,
     0},
    {"local variables can be assigned",
     "define function f\n define variable a, b\n let a = 1\n let b = a\nend define", 0, 0},
    {"a local named like a global",
     "define variable a\ndefine function f\n define variable a\n"
     " let a = 2\nend define",
     0, 0},
    {"locals without statements", "define function f\n define variables a\nend define", 0, 0},
    {"feature assignment and read",
     "define function f(n)\n let case(n) = case(mother(n)) & \"x\"\nend define", 0, 0},
    {"every expression form",
     "define variables v, w\n"
     "define function f(n)\n"
     " if n then 1 else 2 end if\n"
     " while not n v end while\n"
     " for every node v let w = v end for\n"
     " for every node v dominated by n exit end for\n"
     " return search upward(n, candidate = 3)\n"
     "end define",
     0, 0},
    {"a string statement does nothing", "define function f\n \"note\"\nend define", 0, 0},
    {"subtraction needs blanks", "define function f\n return 3 - 1\nend define", 0, 0},
    {"two menus",
     "define menu \"A\"\n\"f\" \"F\"\ndivider\nend define\n"
     "define menu \"B\"\ndivider\nend define",
     0, 0},
    {"names ignore case",
     "define function Check\nend define\ndefine function g\n CHECK\n"
     "end define",
     0, 0},

    // 1: syntax errors.
    {"a name used as a statement after let is not a variable",
     "define function f(a)\n let a = 1\nend define", 1, 1},
    {"g() needs an argument", "define function g\nend define\ndefine function f\n g()\nend define",
     1, 3},
    {"define variable x twice", "define variable x\ndefine variable x", 1, 1},
    {"a menu without items", "define menu \"A\"\nend define", 1, 1},
    {"if with an empty then-list",
     "define variable c\ndefine function f\n if c then end if\n"
     "end define",
     1, 2},
    {"a character the grammar has no use for", "define function f\n return 1 ! 2\nend define", 1,
     1},
    {"an accented letter in a name", "define function caf\xC3\xA9\nend define", 1, 0},
    {"3-1 is two literals", "define function f\n return beep(3-1)\nend define", 1, 1},
    {"a for loop over a parameter",
     "define function f(n)\n for every node n beep end for\nend define", 1, 1},
    {"a function without end", "define function f\n beep\n", 1, 2},
    {"keywords are lower case only", "Define function f\nend define", 1, 0},

    // Semantic errors, with the line the scanner had reached.
    {"fewer parameters than declared forward",
     "define function f(a, b) forward\ndefine function f(a)\n return a\nend define", 3, 1},
    {"no parameter list after a forward list",
     "define function f(a) forward\ndefine function f\n return 1\nend define", 3, 2},
    {"a function named like a global variable",
     "define variable v\ndefine function v\n return 1\nend define", 4, 1},
    {"a function named like a feature", "define function case\nend define", 5, 0},
    {"a local variable named like a feature",
     "define function f\n define variable x,\n  Case\n return 1\nend define", 5, 2},
    {"parameters in another order than declared forward",
     "define function f(a, b) forward\ndefine function f(b, a)\n return a\nend define", 6, 1},
    {"a parameter repeated", "define function f(a, a)\nend define", 6, 0},
    {"a parameter named like a feature", "define function f(x,\ncase)\nend define", 7, 1},
    {"a parameter named like a function", "define function f(beep)\nend define", 8, 0},
    {"a local variable defined twice",
     "define function f\n define variable a, b,\n a\n return 1\nend define", 9, 2},
    {"a local variable named like a parameter",
     "define function f(a)\n define variable a\n return 1\nend define", 10, 1},
    {"a local variable named like a function",
     "define function f\n define variable beep\n return 1\nend define", 11, 1},
    {"a missing comma between global names", "define variable x y\ndefine function f\nend define",
     13, 1},
    {"a missing comma at the end of the text", "define variable x y", 13, 0},
    {"a third menu",
     "define menu \"A\"\n\"f\" \"F\"\nend define\ndefine menu \"B\"\ndivider\n"
     "end define\ndefine menu \"C\"\n\"g\" \"G\"\nend define",
     16, 6},
    {"a call without parentheses of a function with a parameter",
     "define function g(a)\n return a\nend define\ndefine function f\n g\nend define", 17, 5},
    {"too few arguments", "define function f\n return substring(\"abc\", 1)\nend define", 17, 1},
    {"too many arguments",
     "define function g(a)\nend define\ndefine function f\n g(1, 2)\n"
     "end define",
     18, 3},
    {"a feature hidden by a native function is called as the native",
     "define function f\n return mother(1, 2)\nend define", 18, 1},
    {"an undefined name", "define function f\n return x\nend define", 19, 1},
    {"a call before the definition without forward",
     "define function f\n g\nend define\ndefine function g\nend define", 19, 1},
    {"a native function's name defined", "define function beep\nend define", 20, 1},
    {"a function defined twice", "define function f\nend define\ndefine function f\nend define", 20,
     3},
    {"the first error counts, on the line it was found",
     "define function f\n return 1\n return zz\n return yy(\nend define", 19, 2},
};

} // namespace

TEST(ScriptCompile, EachScriptGivesItsExpectedCodeAndLine) {
    RecordingPlatformScope platform;
    for (const CompileCase& c : kCases) {
        ScriptHarness fixture({"Case", "mother"});
        const RErr err = fixture.compile(c.text);
        CScript& script = fixture.script();
        EXPECT_EQ(err, c.code ? kErrScriptCompile : kNoErr) << c.what;
        EXPECT_EQ(script.lastCompileErrorCode(), c.code) << c.what;
        EXPECT_EQ(script.lastCompileErrorLine(), c.line) << c.what;
        EXPECT_EQ(script.middleInterface().lastParseErrorCode(), c.code) << c.what;
        EXPECT_EQ(script.middleInterface().lastParseErrorLine(), c.line) << c.what;
        EXPECT_EQ(script.isParsed(), c.code == 0) << c.what;
        // A failed compile leaves nothing to run.
        EXPECT_EQ(script.symbolTable() != nullptr, c.code == 0) << c.what;
    }
}

TEST(ScriptCompile, ErrorTextsAreTheScriptWindowsMessages) {
    EXPECT_STREQ(compileErrorText(1), "Syntax error.");
    EXPECT_STREQ(compileErrorText(6),
                 "Bad parameter list.  Check to see if a symbol is repeated in "
                 "the list.  \nThere may also be a mismatching forward "
                 "definition.");
    EXPECT_STREQ(compileErrorText(12), "The symbol following 'for every node' has to be a "
                                       "variable.  \nUse 'define variable' to declare a variable.");
    EXPECT_STREQ(compileErrorText(13), "A comma is missing.");
    EXPECT_STREQ(compileErrorText(21), "Internal error: the lexer returned a local argument symbol "
                                       "\nwhile in global scope.  Please report this bug.");
    EXPECT_STREQ(compileErrorText(0), "");
    EXPECT_STREQ(compileErrorText(22), "");
    for (int32_t code = 1; code <= kHighestCompileError; ++code)
        EXPECT_GT(std::string(compileErrorText(code)).size(), 10u) << code;
}

TEST(ScriptCompile, NestingDeeperThanTheParserStackIsASyntaxErrorOnTheLineReached) {
    const auto nested = [](int depth) {
        return "define function f\n return " + std::string(static_cast<std::size_t>(depth), '(') +
               "\n1" + std::string(static_cast<std::size_t>(depth), ')') + "\nend define";
    };
    ScriptHarness fixture;
    EXPECT_EQ(fixture.compile(nested(150)), kNoErr);  // within the first stack
    EXPECT_EQ(fixture.compile(nested(4000)), kNoErr); // the stack grows
    EXPECT_EQ(fixture.compile(nested(20000)), kErrScriptCompile);
    EXPECT_EQ(fixture.script().lastCompileErrorCode(), 1);
    EXPECT_EQ(fixture.script().lastCompileErrorLine(), 1);
    EXPECT_EQ(fixture.compile("define function f\n return " + std::string(30000, '(')),
              kErrScriptCompile);
    EXPECT_EQ(fixture.script().lastCompileErrorCode(), 1);
    // Long left-grouping chains need no stack at all.
    std::string sum = "define function f\n return 1";
    for (int i = 0; i < 50000; ++i)
        sum += " + 1";
    EXPECT_EQ(fixture.compile(sum + "\nend define"), kNoErr);
}

TEST(ScriptCompile, DefinitionsFillTheSymbolTable) {
    ScriptHarness fixture({"Case"});
    ASSERT_EQ(fixture.compile("define variable n, total\n"
                              "define function sum(a, n) forward\n"
                              "define function sum(a, n)\n"
                              " define variable x, total\n"
                              " return a + n\n"
                              "end define\n"
                              "define function empty(p, q)\nend define"),
              kNoErr);
    CSymbolTable& table = *fixture.script().symbolTable();
    const auto find = [&](const char* name, const CSymbol* scope) {
        CSymbol* symbol = nullptr;
        table.findASymbol(CRString(name, 153), scope, symbol);
        return symbol;
    };
    CSymbol* sum = find("sum", nullptr);
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum->getSymbolType(), kSymbolUserFnc);
    EXPECT_EQ(sum->getSymbolHowManyParams(), 2);
    EXPECT_EQ(sum->getSymbolTotalStackFrameSize(), 4);
    ASSERT_NE(sum->getSymbolBody(), nullptr);
    EXPECT_EQ(sum->getSymbolBody()->debugString(), "[return (a + n)]");

    const CSymbol* globalN = find("n", nullptr);
    ASSERT_NE(globalN, nullptr);
    EXPECT_EQ(globalN->getSymbolType(), kSymbolVariabl);
    const std::vector<std::pair<const char*, std::pair<int32_t, int32_t>>> slots = {
        {"a", {kSymbolLoclArg, 1}},
        {"n", {kSymbolLoclArg, 2}},
        {"x", {kSymbolVariabl, 3}},
        {"total", {kSymbolVariabl, 4}},
    };
    for (const auto& [name, expected] : slots) {
        const CSymbol* symbol = find(name, sum);
        ASSERT_NE(symbol, nullptr) << name;
        EXPECT_EQ(symbol->getSymbolType(), expected.first) << name;
        EXPECT_EQ(symbol->getSymbolStackFramePosition(), expected.second) << name;
        EXPECT_EQ(symbol->getSymbolScope(), sum) << name;
    }
    EXPECT_NE(find("n", sum), globalN);
    EXPECT_EQ(find("x", nullptr), nullptr);

    // An empty body still has a frame for its parameters.
    CSymbol* empty = find("empty", nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->getSymbolBody(), nullptr);
    EXPECT_EQ(empty->getSymbolHowManyParams(), 2);
    EXPECT_EQ(empty->getSymbolTotalStackFrameSize(), 2);

    CSymbol* feature = find("case", nullptr);
    ASSERT_NE(feature, nullptr);
    EXPECT_EQ(feature->getSymbolType(), kSymbolAttribu);
    EXPECT_EQ(feature->getSymbolValue(), fixture.featureRecord("Case"));

    CSymbol* native = find("substring", nullptr);
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->getSymbolType(), kSymbolNatvFnc);
    EXPECT_EQ(native->getSymbolValue(), 93);
    EXPECT_EQ(native->getSymbolHowManyParams(), 3);
    EXPECT_EQ(native->getSymbolTotalStackFrameSize(), 3);
}

TEST(ScriptCompile, AFeatureNamedLikeANativeFunctionIsUnreachable) {
    ScriptHarness fixture({"Mother"});
    ASSERT_EQ(fixture.compile("define function f(n)\n return mother(n)\nend define"), kNoErr);
    CSymbol* symbol = nullptr;
    fixture.script().symbolTable()->findASymbol(CRString("MOTHER", 153), nullptr, symbol);
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(symbol->getSymbolType(), kSymbolNatvFnc);
    // The feature's symbol is there, after the native one in its chain.
    bool featureFound = false;
    for (CSymbol* s = symbol; s; s = s->getNext())
        featureFound = featureFound || (s->getSymbolType() == kSymbolAttribu &&
                                        s->getSymbolString().str() == "mother");
    EXPECT_TRUE(featureFound);
    // A feature cannot be assigned through the native's name.
    EXPECT_EQ(fixture.compile("define function f(n)\n let mother(n) = 1\nend define"),
              kErrScriptCompile);
    EXPECT_EQ(fixture.script().lastCompileErrorCode(), 1);
}

TEST(ScriptCompile, StudentModeDeclaresTheAuthorMenus) {
    const std::string menus = "define menu \"Checks\"\n"
                              "\"check-all\" \"Check All\"\n"
                              "divider\n"
                              "\"check-one\" \"Check One\"\n"
                              "end define\n"
                              "define menu \"More\"\n"
                              "\"more\" \"More\"\n"
                              "end define\n";
    {
        ScriptHarness author;
        ASSERT_EQ(author.compile(menus, false), kNoErr);
        EXPECT_EQ(author.script().middleInterface().howManyMenus(), 0);
    }
    ScriptHarness student;
    ASSERT_EQ(student.compile(menus, true), kNoErr);
    const CMiddleInterface& middle = student.script().middleInterface();
    ASSERT_EQ(middle.howManyMenus(), 2);
    const CMiddleInterface::RMenu* first = middle.menu(1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name, "Checks");
    ASSERT_EQ(first->items.size(), 3u);
    EXPECT_EQ(first->items[0].functionName, "check-all");
    EXPECT_EQ(first->items[0].label, "Check All");
    EXPECT_TRUE(first->items[1].divider);
    EXPECT_EQ(first->items[2].functionName, "check-one");
    ASSERT_NE(middle.menu(2), nullptr);
    EXPECT_EQ(middle.menu(2)->name, "More");
    ASSERT_EQ(middle.menu(2)->items.size(), 1u);
    EXPECT_EQ(middle.menu(3), nullptr);
}

TEST(ScriptCompile, AThirdMenuFailsWithoutTouchingTheFirstTwo) {
    RecordingPlatformScope platform;
    ScriptHarness student;
    ASSERT_EQ(student.compile("define menu \"A\"\n\"a\" \"A\"\nend define\n"
                              "define menu \"B\"\n\"b\" \"B\"\nend define\n"
                              "define menu \"C\"\n\"c\" \"C\"\n\"d\" \"D\"\nend define",
                              true),
              kErrScriptCompile);
    EXPECT_EQ(student.script().lastCompileErrorCode(), 16);
    const CMiddleInterface& middle = student.script().middleInterface();
    ASSERT_EQ(middle.howManyMenus(), 2);
    ASSERT_EQ(middle.menu(2)->items.size(), 1u);
    EXPECT_EQ(middle.menu(2)->items[0].functionName, "b");
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST(ScriptCompile, MenusKeepOnlyTheItemsTheirRecordsHold) {
    std::string text = "define menu \"A\"\n";
    for (int i = 0; i < 35; ++i)
        text += "\"f" + std::to_string(i) + "\" \"F\"\n";
    text += "end define\ndefine menu \"B\"\n";
    for (int i = 0; i < 35; ++i)
        text += "divider\n";
    text += "end define";
    ScriptHarness student;
    ASSERT_EQ(student.compile(text, true), kNoErr);
    EXPECT_EQ(student.script().middleInterface().menu(1)->items.size(), 30u);
    EXPECT_EQ(student.script().middleInterface().menu(1)->items.back().functionName, "f29");
    EXPECT_EQ(student.script().middleInterface().menu(2)->items.size(), 31u);
}

TEST(ScriptCompile, DebugTurnsRunTimeReportsOnUntilTheNextCompile) {
    ScriptHarness fixture;
    ASSERT_EQ(fixture.compile("define variable x\ndebug"), kNoErr);
    EXPECT_TRUE(fixture.script().middleInterface().isRunTimeDebugging());
    ASSERT_EQ(fixture.compile("define variable x"), kNoErr);
    EXPECT_FALSE(fixture.script().middleInterface().isRunTimeDebugging());
}

TEST(ScriptCompile, ACompileWritesItsResultLineAndStartsAfresh) {
    ScriptHarness fixture;
    std::ostringstream trace;
    fixture.script().setTraceOutput(&trace);
    ASSERT_EQ(fixture.compile("define variable x\n\n5"), kErrScriptCompile);
    ASSERT_EQ(fixture.compile("define variable x"), kNoErr);
    EXPECT_EQ(trace.str(), "Error code 1 on line 2\nError code 0 on line 0\n");
    // The second compile did not see the first one's symbols: x is new again.
    ASSERT_EQ(fixture.compile("define variable x\ndefine variable y"), kNoErr);
    EXPECT_NE(fixture.script().candidateValue(), nullptr);
    EXPECT_STREQ(fixture.script().candidateValue()->getStringValue(), "0");
}

TEST(ScriptCompile, CompiledScriptsAreFreedCompletely) {
    const int64_t symbols = CRMemory::shared().live(kKindCSymbol);
    const int64_t nodes = CRMemory::shared().live(kKindCScriptNode);
    const int64_t tables = CRMemory::shared().live(kKindCSymbolTable);
    const int64_t scripts = CRMemory::shared().live(kKindCScript);
    {
        ScriptHarness fixture;
        ASSERT_EQ(fixture.compile("define function f(a)\n return a * 2\nend define"), kNoErr);
        EXPECT_GT(CRMemory::shared().live(kKindCScriptNode), nodes);
        EXPECT_EQ(CRMemory::shared().live(kKindCSymbolTable), tables + 1);
        EXPECT_EQ(fixture.compile("define function f(a)\n return a *\nend define"),
                  kErrScriptCompile);
        EXPECT_EQ(CRMemory::shared().live(kKindCScriptNode), nodes);
        EXPECT_EQ(CRMemory::shared().live(kKindCSymbol), symbols);
        EXPECT_EQ(CRMemory::shared().live(kKindCSymbolTable), tables);
        EXPECT_EQ(CRMemory::shared().live(kKindCScript), scripts + 1);
    }
    EXPECT_EQ(CRMemory::shared().live(kKindCScript), scripts);
}
