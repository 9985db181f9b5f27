#include "ScriptSupport.h"

#include "script/CScriptNode.h"
#include "script/CScriptScanner.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/CompileErrors.h"
#include "storage/CRMemory.h"

namespace {

// A function f with the body (from line 1); global x, y and a-1.
std::string fn(const std::string& body) {
    return "define function f\n" + body + "\nend define";
}
std::string withGlobals(const std::string& body) {
    return "define variable x, y, a-1\n" + fn(body);
}

struct CompileCase {
    std::string text;
    int32_t code; // 0: compiles
    int32_t line; // 0-based
};

// Every case compiles in a grammar with the features "Case" and "mother".
const std::vector<CompileCase> kCases = {
    {"", 0, 0},
    {"  \n\t\n\n", 0, 0},
    {"debug\ndefine variable x\ndebug debug", 0, 0},
    {"define function f(a, b) forward\ndefine function g\n return f(1, 2)\nend define\n"
     "define function f(a, b)\n return a + b\nend define",
     0, 0},
    // Empty parameters are not counted.
    {"define function f(, a,) forward\ndefine function f(a)\nend define\n"
     "define function g\n f(1)\nend define",
     0, 0},
    {fn(" beep") + "\ndefine function g\n f\n new-index\nend define", 0, 0},
    {"define variable n\ndefine function f(n)\n return n\nend define", 0, 0},
    {"define function f(n)\nend define\ndefine function g(n)\n return n\nend define", 0, 0},
    {"define variable a\n" + fn(" define variable a, b\n let a = 1\n let b = a"), 0, 0},
    {fn(" define variables a"), 0, 0},
    {"define function f(n)\n let case(n) = case(mother(n)) & \"x\"\nend define", 0, 0},
    {"define variables v, w\ndefine function f(n)\n if n then 1 else 2 end if\n"
     " while not n v end while\n for every node v let w = v end for\n"
     " for every node v dominated by n exit end for\n"
     " return search upward(n, candidate = 3)\nend define",
     0, 0},
    {fn(" \"note\""), 0, 0},
    {"define menu \"A\"\n\"f\" \"F\"\ndivider\nend define\ndefine menu \"B\"\ndivider\nend define",
     0, 0},
    {"define function Check\nend define\ndefine function g\n CHECK\nend define", 0, 0},
    // A minus before digits belongs to the literal: "3-1" is two literals, never a statement
    // pair that drops the subtraction; "3 - 1" subtracts and "a-1" is one name.
    {withGlobals(" let x = 3 - 1\n let x = 3 - -1\n let x = 3--1\n let x = (3) - 1"), 0, 0},
    {withGlobals(" let a-1 = 5\n let x = a-1 - 1\n let x = 3\n 1"), 0, 0},
    {withGlobals(" let x = 3-1"), 1, 2},
    {withGlobals(" let x = 3 -1"), 1, 2},
    {withGlobals(" beep(3 -1)"), 1, 2},
    {withGlobals(" 3-1"), 1, 2},
    {withGlobals(" while 3-1 beep end while"), 1, 2},
    {withGlobals(" let y = 1\n let x = 10-1"), 1, 3},
    {withGlobals(" let x = 3\n -1"), 1, 3},
    {withGlobals(" let x = red -1"), 1, 2},
    // Comments anywhere, their lines counted as any other; a quote in one starts no literal.
    {"# nothing yet\n   # still nothing", 0, 0},
    {"define variable x# one\n" + fn("  let x = 1#set # say \"hi") + " # done", 0, 0},
    {"define function f(a,\n# the second\n b)\n  return a\nend define", 0, 0},
    {"# one\n# two\n\n# four\ndefine variable x\n  ! # six\n", 1, 5},
    {fn("  beep # ok\n  !"), 1, 2},
    {"define function f # \n  g\nend define", 19, 1},
    // 1: syntax errors.
    {"define function f(a)\n let a = 1\nend define", 1, 1},
    {"define function g\nend define\n" + fn(" g()"), 1, 3},
    {"define variable x\ndefine variable x", 1, 1},
    {"define menu \"A\"\nend define", 1, 1},
    {"define variable c\n" + fn(" if c then end if"), 1, 2},
    {fn(" return 1 ! 2"), 1, 1},
    {fn("  _"), 1, 1},
    {"define function caf\xC3\xA9\nend define", 1, 0},
    {"define function f(n)\n for every node n beep end for\nend define", 1, 1},
    {"define function f\n beep\n", 1, 2},
    {"Define function f\nend define", 1, 0},
    // Semantic errors, with the line the scanner had reached.
    {"define function f(a, b) forward\ndefine function f(a)\n return a\nend define", 3, 1},
    {"define function f(a) forward\ndefine function f\n return 1\nend define", 3, 2},
    {"define variable v\ndefine function v\n return 1\nend define", 4, 1},
    {"define function case\nend define", 5, 0},
    {fn(" define variable x,\n  Case\n return 1"), 5, 2},
    {"define function f(a, b) forward\ndefine function f(b, a)\n return a\nend define", 6, 1},
    {"define function f(a, a)\nend define", 6, 0},
    {"define function f(x,\ncase)\nend define", 7, 1},
    {"define function f(beep)\nend define", 8, 0},
    {fn(" define variable a, b,\n a\n return 1"), 9, 2},
    {"define function f(a)\n define variable a\n return 1\nend define", 10, 1},
    {fn(" define variable beep\n return 1"), 11, 1},
    {"define variable x y\ndefine function f\nend define", 13, 1},
    {"define variable x y", 13, 0},
    {"define menu \"A\"\n\"f\" \"F\"\nend define\ndefine menu \"B\"\ndivider\nend define\n"
     "define menu \"C\"\n\"g\" \"G\"\nend define",
     16, 6},
    {"define function g(a)\n return a\nend define\n" + fn(" g"), 17, 5},
    {fn(" return substring(\"abc\", 1)"), 17, 1},
    {"define function g(a)\nend define\n" + fn(" g(1, 2)"), 18, 3},
    {fn(" return mother(1, 2)"), 18, 1}, // the feature is hidden by the native
    {fn(" return x"), 19, 1},
    {fn(" g") + "\ndefine function g\nend define", 19, 1},
    {"define function beep\nend define", 20, 1},
    {"define function f\nend define\ndefine function f\nend define", 20, 3},
    // The first error counts, on the line it was found.
    {fn(" return 1\n return zz\n return yy("), 19, 2},
};

} // namespace

TEST(ScriptCompile, EachScriptGivesItsExpectedCodeAndLine) {
    for (const CompileCase& c : kCases) {
        SCOPED_TRACE(c.text);
        ScriptHarness fixture({"Case", "mother"});
        const RErr err = fixture.compile(c.text, false);
        CScript& script = fixture.script();
        EXPECT_EQ(err, c.code ? kErrScriptCompile : kNoErr);
        EXPECT_EQ(script.lastCompileErrorCode(), c.code);
        EXPECT_EQ(script.lastCompileErrorLine(), c.line);
        EXPECT_EQ(script.middleInterface().lastParseErrorCode(), c.code);
        EXPECT_EQ(script.middleInterface().lastParseErrorLine(), c.line);
        EXPECT_EQ(script.isParsed(), c.code == 0);
        // A failed compile leaves nothing to run.
        EXPECT_EQ(script.symbolTable() != nullptr, c.code == 0);
    }
    EXPECT_TRUE(CScriptScanner::isBlankScript(" \t\n# a\n#b"));
    EXPECT_FALSE(CScriptScanner::isBlankScript("# a\ndebug"));
    EXPECT_FALSE(CScriptScanner::isBlankScript("\"# not a comment\""));
    EXPECT_FALSE(CScriptScanner::isBlankScript("\r\n"));
}

TEST(ScriptCompile, ErrorTextsAreTheScriptWindowsMessages) {
    EXPECT_STREQ(compileErrorText(1), "Syntax error.");
    EXPECT_STREQ(compileErrorText(6),
                 "Bad parameter list.  Check to see if a symbol is repeated in "
                 "the list.  \nThere may also be a mismatching forward "
                 "definition.");
    EXPECT_STREQ(compileErrorText(13), "A comma is missing.");
    EXPECT_STREQ(compileErrorText(0), "");
    EXPECT_STREQ(compileErrorText(22), "");
    for (int32_t code = 1; code <= kHighestCompileError; ++code)
        EXPECT_GT(std::string(compileErrorText(code)).size(), 10u) << code;
}

TEST(ScriptCompile, NestingDeeperThanTheParserStackIsASyntaxErrorOnTheLineReached) {
    const auto nested = [](int depth) {
        const std::size_t n = static_cast<std::size_t>(depth);
        return fn(" return " + std::string(n, '(') + "\n1" + std::string(n, ')'));
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
}

TEST(ScriptCompile, DefinitionsFillTheSymbolTable) {
    ScriptHarness fixture({"Case", "Mother"});
    ASSERT_EQ(fixture.compile("define variable n, total\ndefine function sum(a, n) forward\n"
                              "define function sum(a, n)\n define variable x, total\n"
                              " return a + n\nend define\ndefine function empty(p, q)\nend define"),
              kNoErr);
    const auto find = [&](const char* name, const CSymbol* scope) {
        CSymbol* symbol = nullptr;
        fixture.script().symbolTable()->findASymbol(CRString(name, 153), scope, symbol);
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
    const std::tuple<const char*, int32_t, int32_t> slots[] = {{"a", kSymbolLoclArg, 1},
                                                               {"n", kSymbolLoclArg, 2},
                                                               {"x", kSymbolVariabl, 3},
                                                               {"total", kSymbolVariabl, 4}};
    for (const auto& [name, type, position] : slots) {
        const CSymbol* symbol = find(name, sum);
        ASSERT_NE(symbol, nullptr) << name;
        EXPECT_EQ(symbol->getSymbolType(), type) << name;
        EXPECT_EQ(symbol->getSymbolStackFramePosition(), position) << name;
        EXPECT_EQ(symbol->getSymbolScope(), sum) << name;
    }
    EXPECT_NE(find("n", sum), globalN);
    EXPECT_EQ(find("x", nullptr), nullptr);
    // An empty body still has a frame for its parameters.
    CSymbol* empty = find("empty", nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->getSymbolBody(), nullptr);
    EXPECT_EQ(empty->getSymbolTotalStackFrameSize(), 2);
    CSymbol* feature = find("case", nullptr);
    ASSERT_NE(feature, nullptr);
    EXPECT_EQ(feature->getSymbolType(), kSymbolAttribu);
    EXPECT_EQ(feature->getSymbolValue(), fixture.featureRecord("Case"));
    // A feature named like a native is in the table, after the native in its chain.
    CSymbol* native = find("MOTHER", nullptr);
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->getSymbolType(), kSymbolNatvFnc);
    bool featureFound = false;
    for (CSymbol* s = native; s; s = s->getNext())
        featureFound = featureFound || (s->getSymbolType() == kSymbolAttribu &&
                                        s->getSymbolString().str() == "mother");
    EXPECT_TRUE(featureFound);
    // It cannot be assigned through the native's name.
    EXPECT_EQ(fixture.compile("define function f(n)\n let mother(n) = 1\nend define"),
              kErrScriptCompile);
    EXPECT_EQ(fixture.script().lastCompileErrorCode(), 1);
}

TEST(ScriptCompile, StudentModeDeclaresTheAuthorMenusKeepingWhatTheRecordsHold) {
    std::string menus = "define menu \"Checks\"\n\"check-all\" \"Check All\"\n";
    for (int i = 1; i < 35; ++i)
        menus += "\"f" + std::to_string(i) + "\" \"F\"\n";
    menus += "end define\ndefine menu \"More\"\n";
    for (int i = 0; i < 35; ++i)
        menus += "divider\n";
    menus += "end define\n";
    ScriptHarness author;
    ASSERT_EQ(author.compile(menus, false), kNoErr);
    EXPECT_EQ(author.middle().howManyMenus(), 0);
    ScriptHarness student;
    ASSERT_EQ(student.compile(menus), kNoErr);
    const CMiddleInterface& middle = student.middle();
    ASSERT_EQ(middle.howManyMenus(), 2);
    const CMiddleInterface::RMenu* first = middle.menu(1);
    EXPECT_EQ(first->name, "Checks");
    ASSERT_EQ(first->items.size(), 30u);
    EXPECT_EQ(first->items[0].functionName, "check-all");
    EXPECT_EQ(first->items[0].label, "Check All");
    EXPECT_EQ(first->items.back().functionName, "f29");
    EXPECT_TRUE(middle.menu(2)->items[0].divider);
    EXPECT_EQ(middle.menu(2)->name, "More");
    EXPECT_EQ(middle.menu(2)->items.size(), 31u);
    EXPECT_EQ(middle.menu(3), nullptr);
    // A third menu fails without touching the first two.
    ScriptHarness third;
    ASSERT_EQ(third.compile("define menu \"A\"\n\"a\" \"A\"\nend define\n"
                            "define menu \"B\"\n\"b\" \"B\"\nend define\n"
                            "define menu \"C\"\n\"c\" \"C\"\n\"d\" \"D\"\nend define"),
              kErrScriptCompile);
    EXPECT_EQ(third.script().lastCompileErrorCode(), 16);
    ASSERT_EQ(third.middle().howManyMenus(), 2);
    ASSERT_EQ(third.middle().menu(2)->items.size(), 1u);
    EXPECT_EQ(third.middle().menu(2)->items[0].functionName, "b");
    EXPECT_TRUE(third.bugReports().empty());
}

TEST(ScriptCompile, ACompileWritesItsResultLineAndStartsAfreshFreeingTheLast) {
    const int64_t symbols = CRMemory::shared().live(kKindCSymbol);
    const int64_t nodes = CRMemory::shared().live(kKindCScriptNode);
    const int64_t tables = CRMemory::shared().live(kKindCSymbolTable);
    const int64_t scripts = CRMemory::shared().live(kKindCScript);
    {
        ScriptHarness fixture;
        fixture.script().setTraceOutput(&fixture.trace);
        ASSERT_EQ(fixture.compile("define variable x\n\n5"), kErrScriptCompile);
        ASSERT_EQ(fixture.compile("define variable x\ndebug"), kNoErr);
        EXPECT_TRUE(fixture.middle().isRunTimeDebugging());
        EXPECT_EQ(fixture.trace.str(), "Error code 1 on line 2\nError code 0 on line 0\n");
        // The next compile does not see the last one's symbols: x is new again, and debug off.
        ASSERT_EQ(fixture.compile("define variable x\ndefine variable y"), kNoErr);
        EXPECT_FALSE(fixture.middle().isRunTimeDebugging());
        ASSERT_NE(fixture.script().candidateValue(), nullptr);
        EXPECT_STREQ(fixture.script().candidateValue()->getStringValue(), "0");
        ASSERT_EQ(fixture.compile(fn(" return 2 * 2")), kNoErr);
        EXPECT_GT(CRMemory::shared().live(kKindCScriptNode), nodes);
        EXPECT_EQ(CRMemory::shared().live(kKindCSymbolTable), tables + 1);
        EXPECT_EQ(fixture.compile(fn(" return 2 *")), kErrScriptCompile);
        EXPECT_EQ(CRMemory::shared().live(kKindCScriptNode), nodes);
        EXPECT_EQ(CRMemory::shared().live(kKindCSymbol), symbols);
        EXPECT_EQ(CRMemory::shared().live(kKindCSymbolTable), tables);
        EXPECT_EQ(CRMemory::shared().live(kKindCScript), scripts + 1);
    }
    EXPECT_EQ(CRMemory::shared().live(kKindCScript), scripts);
}
