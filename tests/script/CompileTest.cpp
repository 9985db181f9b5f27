#include "ScriptSupport.h"

#include "script/CScriptNode.h"
#include "script/CScriptScanner.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/CompileErrors.h"
#include "script/NativeFunctionTable.h"
#include "script/ScriptLineColouring.h"
#include "script/ScriptTokens.h"
#include "storage/CRMemory.h"

#include <set>
#include <tuple>

namespace {

constexpr int32_t kTag = 152;

// A function f with the body (from line 1); global x, y and a-1.
std::string fn(const std::string& body) {
    return "define function f\n" + body + "\nend define";
}
std::string withGlobals(const std::string& body) {
    return "define variable x, y, a-1\n" + fn(body);
}
// The parser's stack starts at 150 levels and grows to a bound.
std::string nested(std::size_t depth) {
    return fn(" return " + std::string(depth, '(') + "\n1" + std::string(depth, ')'));
}

struct CompileCase {
    std::string text;
    int32_t code; // 0: compiles
    int32_t line; // 0-based
};

// Every case compiles in a grammar with the features "Case" and "mother".
const std::vector<CompileCase> kCases = {
    {"", 0, 0},
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
    {withGlobals(" 3-1"), 1, 2},
    {withGlobals(" let x = 3\n -1"), 1, 3},
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
    {fn(" define variable x,\n  Case\n return 1"), 5, 2},
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
    // A feature named like a native is hidden by it.
    {fn(" return mother(1, 2)"), 18, 1},
    {"define function f(n)\n let mother(n) = 1\nend define", 1, 1},
    {fn(" return x"), 19, 1},
    {fn(" g") + "\ndefine function g\nend define", 19, 1},
    {"define function beep\nend define", 20, 1},
    {"define function f\nend define\ndefine function f\nend define", 20, 3},
    {nested(150), 0, 0},
    {nested(4000), 0, 0},
    {nested(20000), 1, 1},
};

CSymbol* addSymbol(CSymbolTable& table, const std::string& name, int32_t type = kSymbolUnident,
                   CSymbol* scope = nullptr) {
    CSymbol* symbol = nullptr;
    EXPECT_EQ(table.addASymbol(CRString(name, kTag), type, symbol), kNoErr);
    symbol->setSymbolScope(scope);
    return symbol;
}

// The live objects of each kind, less those counted in `since` ("3 0 1 ").
std::string live(const std::vector<int32_t>& kinds, const std::string& since = "") {
    std::istringstream before(since);
    std::string out;
    for (const int32_t kind : kinds) {
        int64_t earlier = 0;
        before >> earlier;
        out += std::to_string(CRMemory::shared().live(kind) - earlier) + " ";
    }
    return out;
}

CSymbol* find(ScriptHarness& fixture, const char* name, const CSymbol* scope = nullptr) {
    CSymbol* symbol = nullptr;
    fixture.script().symbolTable()->findASymbol(CRString(name, kTag), scope, symbol);
    return symbol;
}

// Each token as one word: "?name" an unidentified name, "#text:number" a constant, "$text" a
// string, "v"/"p"/"f"/"a" + name a variable, parameter, function or feature, "@line" after
// the line counter moved, a character as itself, any other token as its code.
std::string scanPrepared(ScriptHarness& fixture, std::vector<CSymbol*>* symbols = nullptr) {
    const std::map<int32_t, const char*> prefixes = {
        {tUNIDENTIFIEDsymbol, "?"}, {tVARIABLEsymbol, "v"},  {tLOCALARGUMENTsymbol, "p"},
        {tFUNCTIONsymbol, "f"},     {tATTRIBUTEsymbol, "a"}, {tSTRING, "$"}};
    CScriptScanner scanner;
    std::string out;
    int32_t line = 0;
    for (int guard = 0; guard < 10000; ++guard) {
        RScannedToken token;
        scanner.nextToken(fixture.script(), *fixture.script().symbolTable(), token);
        if (token.code == tEndOfInput)
            break;
        if (fixture.script().getLineCounter() != line)
            out += "@" + std::to_string(line = fixture.script().getLineCounter()) + " ";
        const std::string name = token.symbol ? token.symbol->getSymbolString().str() : "";
        if (token.code == tCONSTANT)
            out += "#" + token.text->str() + ":" + std::to_string(token.text->getNumericValue());
        else if (prefixes.count(token.code))
            out += prefixes.at(token.code) + (token.code == tSTRING ? token.text->str() : name);
        else
            out += token.code < 128 && token.code > 32 ? std::string(1, char(token.code))
                                                       : std::to_string(token.code);
        out += " ";
        if (symbols)
            symbols->push_back(token.symbol);
    }
    return out;
}

} // namespace

TEST(ScriptCompile, EachScriptGivesItsExpectedCodeAndLine) {
    for (const CompileCase& c : kCases) {
        SCOPED_TRACE(c.text.substr(0, 300));
        ScriptHarness fixture({"Case", "mother"});
        EXPECT_EQ(fixture.compile(c.text, false), c.code ? kErrScriptCompile : kNoErr);
        const CScript& script = fixture.script();
        const auto at = [](int32_t code, int32_t line) {
            return std::to_string(code) + "@" + std::to_string(line) + " ";
        };
        // A failed compile leaves nothing to run.
        EXPECT_EQ(
            at(script.lastCompileErrorCode(), script.lastCompileErrorLine()) +
                at(fixture.middle().lastParseErrorCode(), fixture.middle().lastParseErrorLine()) +
                (script.isParsed() ? "parsed" : "") + (script.symbolTable() ? " table" : ""),
            at(c.code, c.line) + at(c.code, c.line) + (c.code ? "" : "parsed table"));
    }
    for (const auto& [text, blank] : {std::pair<const char*, bool>{" \t\n# a\n#b", true},
                                      {"# a\ndebug", false},
                                      {"\"# not a comment\"", false},
                                      {"\r\n", false}})
        EXPECT_EQ(CScriptScanner::isBlankScript(text), blank) << text;
    // The script window's messages; others are checked as check-script prints them.
    EXPECT_STREQ(compileErrorText(13), "A comma is missing.");
    EXPECT_EQ(std::string(compileErrorText(0)) + compileErrorText(22), "");
    for (int32_t code = 1; code <= kHighestCompileError; ++code)
        EXPECT_GT(std::string(compileErrorText(code)).size(), 10u) << code;
}

TEST(ScriptCompile, DefinitionsFillTheSymbolTableAndTheParseTree) {
    ScriptHarness fixture({"Case", "Mother"});
    ASSERT_EQ(
        fixture.compile(
            "define variable n, total\ndefine function sum(a, n) forward\n"
            "define function sum(a, n)\n define variable x, total\n"
            " return a + n\nend define\ndefine function empty(p, q)\nend define\n"
            "define variables a, b, c, d define function g(x, y) end define "
            "define function f(n)\n" +
            std::string(
                "return not a or b\nreturn a or not b and c\nreturn a = b < c\nreturn a & b + "
                "c\nreturn a eq b & c\nreturn a and b or c and d\nreturn a ne b eq c\nreturn a eq "
                "b = c\nreturn a <> b = c\nreturn a = b <> c\nreturn a >= b <= c > d < a\nreturn a "
                "< b & c\nreturn a + b & c\nreturn 1 + 2 * 3 - 4\nreturn a - b - c\nreturn a / b % "
                "c * d\nreturn a * (b + c)\nreturn (a or b) and c\nreturn not not a\nreturn a or b "
                "and c eq d\nlet a = 1\nlet case(n) = \"x y\"\nexit\ng(n, case(n))\nbeep\nreturn "
                "-3\nif a then b else c d end if\nif true then false end if\nwhile a < 3 let a = a "
                "+ 1 end while\nfor every node a b end for\nfor every node a dominated by n exit "
                "end for\nreturn search upward(n, case(candidate) eq \"x\")\nlet a = red + "
                "underline") +
            "\nend define"),
        kNoErr);
    // Kind, parameters, frame size, value and slot; an empty body still has a frame for its
    // parameters; a feature's value is its record.
    const std::map<int32_t, std::string> kinds = {{kSymbolUserFnc, "function"},
                                                  {kSymbolVariabl, "variable"},
                                                  {kSymbolLoclArg, "parameter"},
                                                  {kSymbolAttribu, "feature"}};
    const auto describe = [&](const char* name, const CSymbol* scope = nullptr) {
        const CSymbol* s = find(fixture, name, scope);
        return s ? kinds.at(s->getSymbolType()) + " " +
                       std::to_string(s->getSymbolHowManyParams()) + " " +
                       std::to_string(s->getSymbolTotalStackFrameSize()) + " " +
                       std::to_string(s->getSymbolValue()) + "@" +
                       std::to_string(s->getSymbolStackFramePosition()) +
                       (s->getSymbolBody() ? " " + s->getSymbolBody()->debugString() : "") + "; "
                 : "none; ";
    };
    const CSymbol* sum = find(fixture, "sum");
    EXPECT_EQ(describe("sum") + describe("n") + describe("empty") + describe("x") +
                  describe("case"),
              "function 2 4 0@0 [return (a + n)]; variable 0 0 0@0; function 2 2 0@0; none; "
              "feature 0 0 " +
                  std::to_string(fixture.featureRecord("Case")) + "@0; ");
    EXPECT_EQ(describe("a", sum) + describe("n", sum) + describe("x", sum) + describe("total", sum),
              "parameter 0 0 0@1; parameter 0 0 0@2; variable 0 0 0@3; variable 0 0 0@4; ");
    // A feature named like a native is in the table, after the native in its chain.
    CSymbol* native = find(fixture, "MOTHER");
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->getSymbolType(), kSymbolNatvFnc);
    std::string chain;
    for (CSymbol* s = native->getNext(); s; s = s->getNext())
        chain += s->getSymbolType() == kSymbolAttribu ? s->getSymbolString().str() : "";
    EXPECT_EQ(chain, "mother");
    // Operators group by precedence, and each statement has its shape.
    const CSymbol* f = find(fixture, "f");
    EXPECT_EQ(
        f && f->getSymbolBody() ? f->getSymbolBody()->debugString() : "",
        "[return (not (a or b)); return (a or (not (b and c))); return (a = (b < c)); return (a & "
        "(b + c)); return (a eq (b & c)); return ((a and b) or (c and d)); return ((a ne b) eq c); "
        "return (a eq (b = c)); return ((a <> b) = c); return ((a = b) <> c); return ((((a >= b) "
        "<= c) > d) < a); return (a < (b & c)); return ((a + b) & c); return ((1 + (2 * 3)) - 4); "
        "return ((a - b) - c); return (((a / b) % c) * d); return (a * (b + c)); return ((a or b) "
        "and c); return (not (not a)); return (a or (b and (c eq d))); let a = 1; let case(n) = "
        "\"x y\"; exit; g(n, case(n)); beep; return -3; if a then [b] else [c; d] end if; if true "
        "then [false] end if; while (a < 3) [let a = (a + 1)] end while; for every node a [b] end "
        "for; for every node a dominated by n [exit] end for; return search upward(n, "
        "(case(candidate) eq \"x\")); let a = (4 + 4)]");
}

TEST(ScriptCompile, EveryNativeCompilesOnlyWithItsOwnArgumentCount) {
    // Spot checks of the table scripts are written against: number, name, argument count.
    const std::tuple<int32_t, const char*, int32_t, RNativeResult> spots[] = {
        {1, "add-style", 2, RNativeResult::Action},
        {93, "substring", 3, RNativeResult::Text},
        {kNativeFunctionCount, "tag-colors", 0, RNativeResult::Action}};
    for (const auto& [number, name, count, result] : spots) {
        EXPECT_STREQ(nativeFunction(number)->name, name);
        EXPECT_EQ(nativeFunction(number)->argumentCount * 10 + int(nativeFunction(number)->result),
                  count * 10 + int(result));
    }
    ScriptHarness compiler;
    std::set<std::string> names;
    for (int32_t number = 1; number <= kNativeFunctionCount; ++number) {
        const RNativeFunction* row = nativeFunction(number);
        EXPECT_TRUE(row->run && names.insert(row->name).second) << row->name;
        // A call with one argument too many or too few does not compile; the last compiles.
        for (const int32_t count :
             {row->argumentCount + 1, row->argumentCount - 1, row->argumentCount}) {
            if (count < 0)
                continue;
            std::string call = row->name;
            for (int32_t i = 0; i < count; ++i)
                call += (i == 0 ? "(" : ", ") + std::string("1");
            const RErr err = compiler.compile(fn(" " + call + (count > 0 ? ")" : "")), false);
            EXPECT_EQ(err != kNoErr, count != row->argumentCount) << row->name << count;
        }
        const CSymbol* s = find(compiler, row->name);
        EXPECT_TRUE(s && s->getSymbolValue() == number &&
                    s->getSymbolTotalStackFrameSize() == row->argumentCount)
            << row->name;
    }
}

TEST(ScriptCompile, StudentModeDeclaresTheAuthorMenusKeepingWhatTheRecordsHold) {
    std::string menus = "define menu \"Checks\"\n\"check-all\" \"Check All\"\n";
    for (int i = 1; i < 35; ++i)
        menus += "\"f" + std::to_string(i) + "\" \"F\"\n";
    menus += "end define\ndefine menu \"More\"\n";
    for (int i = 0; i < 35; ++i)
        menus += "divider\n";
    // "name count: first item .. last item" for each menu.
    const auto declared = [](ScriptHarness& fixture) {
        const CMiddleInterface& middle = fixture.middle();
        const auto item = [](const CMiddleInterface::RMenuItem& it) {
            return it.divider ? std::string("-") : it.functionName + "/" + it.label;
        };
        std::string out = std::to_string(middle.howManyMenus());
        for (int32_t i = 1; middle.menu(i); ++i)
            out += "; " + middle.menu(i)->name + " " +
                   std::to_string(middle.menu(i)->items.size()) + ": " +
                   item(middle.menu(i)->items.front()) + " .. " +
                   item(middle.menu(i)->items.back());
        return out;
    };
    ScriptHarness author, student, third;
    ASSERT_EQ(author.compile(menus + "end define\n", false), kNoErr);
    EXPECT_EQ(declared(author), "0");
    ASSERT_EQ(student.compile(menus + "end define\n"), kNoErr);
    EXPECT_EQ(declared(student), "2; Checks 30: check-all/Check All .. f29/F; More 31: - .. -");
    // A third menu fails without touching the first two.
    ASSERT_EQ(
        third.compile("define menu \"A\" \"a\" \"A\" end define define menu \"B\" \"b\" \"B\" "
                      "end define define menu \"C\" \"c\" \"C\" \"d\" \"D\" end define"),
        kErrScriptCompile);
    EXPECT_EQ(third.script().lastCompileErrorCode(), 16);
    EXPECT_EQ(declared(third) + third.take(), "2; A 1: a/A .. a/A; B 1: b/B .. b/B");
}

TEST(ScriptCompile, ACompileWritesItsResultLineAndStartsAfreshFreeingTheLast) {
    const std::vector<int32_t> kinds = {kKindCSymbol, kKindCScriptNode, kKindCSymbolTable};
    const std::string before = live(kinds), scripts = live({kKindCScript});
    {
        ScriptHarness fixture;
        fixture.script().setTraceOutput(&fixture.trace);
        ASSERT_EQ(fixture.compile("define variable x\n\n5"), kErrScriptCompile);
        ASSERT_EQ(fixture.compile("define variable x\ndebug"), kNoErr);
        EXPECT_TRUE(fixture.middle().isRunTimeDebugging());
        EXPECT_EQ(fixture.take(), "trace: Error code 1 on line 2\nError code 0 on line 0\n");
        // The next compile does not see the last one's symbols: x is new again, and debug off.
        ASSERT_EQ(fixture.compile("define variable x\ndefine variable y"), kNoErr);
        EXPECT_FALSE(fixture.middle().isRunTimeDebugging());
        EXPECT_STREQ(fixture.script().candidateValue()->getStringValue(), "0");
        ASSERT_EQ(fixture.compile(fn(" return 2 * 2")), kNoErr);
        EXPECT_NE(live(kinds, before), "0 0 0 ");
        EXPECT_EQ(fixture.compile(fn(" return 2 *")), kErrScriptCompile);
        EXPECT_EQ(live(kinds, before) + live({kKindCScript}, scripts), "0 0 0 1 ");
    }
    EXPECT_EQ(live({kKindCScript}, scripts), "0 ");
}

TEST(ScriptScanner, TextsScanToTheirTokensAndColours) {
    // Spot checks of the keyword and constant tables, in lower case only. Names take single
    // hyphens between letters and digits; a native's name is a function. An integer literal
    // takes a leading minus directly before its digits. A line feed ends an open literal, and
    // still counts; a quote open at the end is a character.
    const std::pair<const char*, std::string> rows[] = {
        {"variables dominated eq <>", std::to_string(tVARIABLE) + " " + std::to_string(tDOMINATED) +
                                          " " + std::to_string(tSTRING_EQUAL) + " " +
                                          std::to_string(tNE) + " "},
        {"magenta underline", "#11:11 #4:4 "},
        {"variablesx Variable If end-define Red reddish",
         "?variablesx ?variable ?if ?end-define ?red ?reddish "},
        {"drag-from-lexicon a-1 x2y add-style", "?drag-from-lexicon ?a-1 ?x2y fadd-style "},
        {"a--b abc- a_b", "?a - - ?b ?abc - ?a _ ?b "},
        {"-5 007 x -1 3-1 3 - 1 -x", "#-5:-5 #007:7 ?x #-1:-1 #3:3 #-1:-1 #3:3 - #1:1 - ?x "},
        {"\"a b\" \"\" \"if 12 \xC3\xA9\"", "$a b $ $if 12 \xC3\xA9 "},
        {"\"abc\nx", "@1 $abc ?x "},
        {"x \"ab", "?x \" ?ab "},
        {"= > < & + - * / % ( ) , !", "= > < & + - * / % ( ) , ! "},
        {"=< >< > =", "= < > < > = "},
        {"\xC3\xA9\r", "195 169 13 "},
        {"a\n\n  b\t c\n\nd\n", "?a @2 ?b ?c @4 ?d "},
        {"case CASE mother", "acase acase fmother "}};
    for (const auto& [text, tokens] : rows) {
        ScriptHarness fixture({"Case"});
        fixture.setText(text);
        ASSERT_EQ(fixture.script().prepareForParsing(), kNoErr);
        EXPECT_EQ(scanPrepared(fixture), tokens) << text;
    }
    // The editor colours by the same rules: names ignore case for functions and hooks, an open
    // literal runs to the end of the line, the bytes of an accented letter are one piece.
    const std::pair<const char*, const char*> lines[] = {
        {"define function check", "keyword:define keyword:function"},
        {"  let c = red + bold", "keyword:let constant:red constant:bold"},
        {"x -12 3-1", "number:-12 number:3 number:-1"},
        {"say \"a # b\" # note", "string:\"a # b\" comment:# note"},
        {"set-color(n, blue)", "native:set-color constant:blue"},
        {"drag-completed(a, b) a_b ! x", "hook:drag-completed invalid:_ invalid:!"},
        {"If BLACK Open BEEP", "hook:Open native:BEEP"},
        {"variables variablesx end-if", "keyword:variables"},
        {"let s = \"open", "keyword:let string:\"open"},
        {"caf\xc3\xa9", "invalid:\xc3\xa9"},
        {"", ""},
        {"#", "comment:#"}};
    static const char* const colours[] = {"keyword", "constant", "number", "string",
                                          "comment", "native",   "hook",   "invalid"};
    for (const auto& [line, expected] : lines) {
        std::vector<RScriptColourSpan> spans;
        colourScriptLine(line, spans);
        std::string out;
        for (const RScriptColourSpan& span : spans)
            out += (out.empty() ? "" : " ") + std::string(colours[int(span.colour)]) + ":" +
                   std::string(line).substr(span.start, span.length);
        EXPECT_EQ(out, expected);
    }
    // UTF-16 lines give the positions of their code units.
    const std::u16string line = u"\u00e9 if \"x\"";
    std::vector<RScriptColourSpan> spans;
    colourScriptLine(line.data(), line.size(), spans);
    std::string out;
    for (const RScriptColourSpan& span : spans)
        out += std::string(colours[int(span.colour)]) + " " + std::to_string(span.start) + "+" +
               std::to_string(span.length) + " ";
    EXPECT_EQ(out, "invalid 0+1 keyword 2+2 string 5+3 ");
}

TEST(ScriptScanner, NamesAreClassifiedInTheFunctionScopeFirstAndUnknownOnesEnteredOnce) {
    ScriptHarness fixture({"Case"});
    const auto prepare = [&](const char* text) -> CSymbolTable& {
        fixture.setText(text);
        EXPECT_EQ(fixture.script().prepareForParsing(), kNoErr);
        return *fixture.script().symbolTable();
    };
    for (const bool inside : {true, false}) {
        CSymbolTable& table = prepare("N v f g");
        CSymbol* function = addSymbol(table, "f", kSymbolUserFnc);
        addSymbol(table, "g", kSymbolFncForw);
        CSymbol* global = addSymbol(table, "n", kSymbolVariabl);
        CSymbol* parameter = addSymbol(table, "n", kSymbolLoclArg, function);
        CSymbol* local = addSymbol(table, "v", kSymbolVariabl, function);
        fixture.script().setScope(inside ? function : nullptr);
        std::vector<CSymbol*> symbols;
        // Outside the function its parameter's name is the global variable, its local unknown.
        EXPECT_EQ(scanPrepared(fixture, &symbols), inside ? "pn vv ff fg " : "vn ?v ff fg ");
        EXPECT_TRUE(symbols[0] == (inside ? parameter : global) && (symbols[1] == local) == inside);
    }
    prepare("zork Zork");
    std::vector<CSymbol*> symbols;
    EXPECT_EQ(scanPrepared(fixture, &symbols), "?zork ?zork ");
    EXPECT_EQ(symbols[0], symbols[1]);
    EXPECT_EQ(fixture.take(), "bug: Internal error: unknown symbol type.");
    // A parameter left in the global scope is reported the same way, with its own text.
    addSymbol(prepare("p"), "p", kSymbolLoclArg);
    EXPECT_EQ(scanPrepared(fixture), "?p ");
    EXPECT_EQ(fixture.take(), "bug: Internal error: got illegal symbol type in global scope.");
    // Preparing again starts at the first byte of the new text.
    CScriptScanner scanner;
    RScannedToken token;
    scanner.nextToken(fixture.script(), prepare("alpha beta\ngamma"), token);
    EXPECT_EQ(token.symbol->getSymbolString().str(), "alpha");
    prepare("delta");
    EXPECT_EQ(fixture.script().getLineCounter(), 0);
    EXPECT_EQ(scanPrepared(fixture), "?delta ");
    prepare("abcdefg");
    char buffer[8] = {};
    std::string read;
    for (const int size : {3, 8, 8}) {
        const int count = fixture.script().yyinput(buffer, size);
        read += std::string(buffer, static_cast<std::size_t>(count)) + std::to_string(count) + " ";
    }
    EXPECT_EQ(read, "abc3 defg4 0 ");
}

TEST(CSymbolTable, SymbolsAreHashedLowerCasedAndFoundInTheirOwnScopeAndFreedWithTheTable) {
    // ELF hash of the UTF-8 bytes modulo 211; long names fold the high nibble back in; the hash
    // itself does not fold case, lookups lower-case first.
    std::string hashes;
    for (const char* name : {"", "abc", "aq", "attach-daughter-to-right"})
        hashes += std::to_string(CSymbolTable::hashFunction(CRString(name, kTag))) + " ";
    EXPECT_EQ(hashes, "0 124 188 133 ");
    EXPECT_NE(CSymbolTable::hashFunction(CRString("ABC", kTag)), 124);
    const std::string before = live({kKindCSymbol, kKindCSymbolTable, kTagSymbolBuckets});
    {
        CSymbolTable table;
        // Every lookup overwrites what it is given.
        const auto find = [&](const char* name, const CSymbol* scope = nullptr) {
            CSymbol sentinel(CRString("sentinel", kTag), kSymbolUnident);
            CSymbol* symbol = &sentinel;
            EXPECT_EQ(table.findASymbol(CRString(name, kTag), scope, symbol), kNoErr);
            return symbol;
        };
        CRString name("Drag-From-Lexicon", kTag);
        CSymbol* symbol = nullptr;
        ASSERT_EQ(table.addASymbol(name, kSymbolAttribu, symbol), kNoErr);
        // The caller's text is unchanged; the symbol's is lower case and its fields are empty.
        EXPECT_EQ(name.str() + " " + symbol->getSymbolString().str() + " " +
                      std::to_string(symbol->getSymbolType()) + " " +
                      std::to_string(symbol->getSymbolHowManyParams() +
                                     symbol->getSymbolTotalStackFrameSize() +
                                     symbol->getSymbolStackFramePosition() +
                                     symbol->getSymbolValue()),
                  "Drag-From-Lexicon drag-from-lexicon " + std::to_string(kSymbolAttribu) + " 0");
        EXPECT_TRUE(!symbol->getSymbolBody() && !symbol->getSymbolScope());
        EXPECT_EQ(table.bucketHead(CSymbolTable::hashFunction(CRString("drag-from-lexicon", kTag))),
                  symbol);
        CSymbol* global = addSymbol(table, "foo", kSymbolVariabl);
        CSymbol* function = addSymbol(table, "f", kSymbolUserFnc);
        CSymbol* other = addSymbol(table, "g", kSymbolUserFnc);
        CSymbol* parameter = addSymbol(table, "n", kSymbolLoclArg, function);
        // A global is not in a function's scope, nor a parameter global.
        EXPECT_TRUE(find("FOO") == global && find("N", function) == parameter);
        EXPECT_TRUE(!find("foo", function) && !find("n") && !find("n", other) && !find("bar"));
        // "lpe" and "lpé" share a bucket, so the comparison decides.
        ASSERT_EQ(CSymbolTable::hashFunction(CRString("lpe", kTag)),
                  CSymbolTable::hashFunction(CRString("lp\xC3\xA9", kTag)));
        CSymbol* plain = addSymbol(table, "lpe");
        EXPECT_EQ(find("LP\xC3\xA9"), plain);
        EXPECT_FALSE(plain->matchesSymbol(CRString("lpe", kTag), plain));
        EXPECT_FALSE(plain->matchesSymbol(CRString("lpf", kTag), nullptr));
        // "aq" and "ba" share bucket 188: chains append, and the older of two equal names is
        // found.
        CSymbol* first = addSymbol(table, "aq");
        CSymbol* second = addSymbol(table, "ba");
        CSymbol* duplicate = addSymbol(table, "AQ", kSymbolVariabl);
        EXPECT_TRUE(table.bucketHead(188) == first && first->getNext() == second &&
                    second->getNext() == duplicate);
        EXPECT_EQ(find("aq"), first);
        for (int32_t i = 0; i < 5000 - 9; ++i)
            addSymbol(table, "name" + std::to_string(i));
        EXPECT_EQ(live({kKindCSymbol, kKindCSymbolTable, kTagSymbolBuckets}, before), "5000 1 1 ");
        int32_t used = 0;
        for (int32_t bucket = 0; bucket < CSymbolTable::kBucketCount; ++bucket)
            used += table.bucketHead(bucket) != nullptr;
        EXPECT_EQ(used, 211);
        EXPECT_TRUE(!table.bucketHead(211) && !table.bucketHead(-1));
    }
    EXPECT_EQ(live({kKindCSymbol, kKindCSymbolTable, kTagSymbolBuckets}, before), "0 0 0 ");
}

TEST(CSymbol, OutOfRangeKindAndParameterCountAreReportedAndStoredAndValuesAreCopies) {
    ScriptHarness fixture;
    CSymbol symbol(CRString("x", kTag), kSymbolUnident);
    symbol.setSymbolType(10);
    symbol.setSymbolHowManyParams(100);
    EXPECT_EQ(fixture.take(), "");
    symbol.setSymbolType(11);
    symbol.setSymbolHowManyParams(101);
    EXPECT_EQ(symbol.getSymbolType() * 1000 + symbol.getSymbolHowManyParams(), 11101);
    EXPECT_EQ(fixture.take(), "bug: CSymbol::setSymbolType (invalid parameter) | "
                              "bug: CSymbol::setSymbolHowManyParams (invalid parameter)");
    EXPECT_FALSE(symbol.getSymbolStringValue().hasValue());
    CRString value("12", kTag);
    symbol.setSymbolStringValue(value);
    value.setStringValue("99");
    RVariable& variable = symbol;
    EXPECT_EQ(variable.variableValue().str(), "12");
    variable.setVariableValue(CRString("7", kTag));
    EXPECT_EQ(symbol.getSymbolStringValue().getNumericValue(), 7);
}
