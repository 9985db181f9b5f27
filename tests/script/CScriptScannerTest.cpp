#include "ScriptSupport.h"

#include "script/CScriptScanner.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/ScriptTokens.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int32_t kTag = 152;

struct Token {
    int32_t code;
    std::string value; // a literal's text, a symbol's name, or ""
    int32_t number = 0;
    int32_t line = 0;          // the line counter after the token was scanned
    CSymbol* symbol = nullptr; // valid while the fixture lives
    int32_t symbolType = 0;
    int32_t symbolValue = 0;

    bool operator==(const Token& other) const { return code == other.code && value == other.value; }
};

std::ostream& operator<<(std::ostream& out, const Token& token) {
    return out << "{" << token.code << ", \"" << token.value << "\"}";
}

// Scans until the end of the text (with the script's table and scope as they stand).
std::vector<Token> scanPrepared(ScriptHarness& fixture) {
    CScriptScanner scanner;
    std::vector<Token> tokens;
    for (int guard = 0; guard < 10000; ++guard) {
        RScannedToken scanned;
        scanner.nextToken(fixture.script(), *fixture.script().symbolTable(), scanned);
        if (scanned.code == tEndOfInput)
            break;
        Token token{scanned.code, "", 0, fixture.script().getLineCounter(), scanned.symbol};
        if (scanned.text) {
            token.value = scanned.text->str();
            token.number = scanned.text->getNumericValue();
        } else if (scanned.symbol) {
            token.value = scanned.symbol->getSymbolString().str();
            token.symbolType = scanned.symbol->getSymbolType();
            token.symbolValue = scanned.symbol->getSymbolValue();
        }
        tokens.push_back(token);
    }
    return tokens;
}

std::vector<Token> scan(ScriptHarness& fixture, const std::string& text) {
    fixture.setText(text);
    EXPECT_EQ(fixture.script().prepareForParsing(), kNoErr);
    return scanPrepared(fixture);
}

std::vector<Token> scan(const std::string& text) {
    ScriptHarness fixture;
    return scan(fixture, text);
}

CSymbol* addSymbol(ScriptHarness& fixture, const char* name, int32_t type, CSymbol* scope) {
    CSymbol* symbol = nullptr;
    EXPECT_EQ(fixture.script().symbolTable()->addASymbol(CRString(name, kTag), type, symbol),
              kNoErr);
    symbol->setSymbolScope(scope);
    return symbol;
}

} // namespace

// Spot checks of the keyword and constant tables: an alias, an operator pair, a constant.
TEST(ScriptScanner, KeywordsAndConstantsAreTokensInLowerCaseOnly) {
    const struct {
        const char* text;
        int32_t code;
        int32_t number;
    } rows[] = {{"variables", tVARIABLE, 0}, {"dominated", tDOMINATED, 0},
                {"eq", tSTRING_EQUAL, 0},    {"<>", tNE, 0},
                {"magenta", tCONSTANT, 11},  {"underline", tCONSTANT, 4}};
    for (const auto& row : rows) {
        const auto tokens = scan(row.text);
        ASSERT_EQ(tokens.size(), 1u) << row.text;
        EXPECT_EQ(tokens[0].code, row.code) << row.text;
        EXPECT_EQ(tokens[0].number, row.number) << row.text;
    }
    // Longer words and other capitalisations are names.
    for (const char* name : {"variablesx", "Variable", "If", "end-define", "Red", "reddish"})
        EXPECT_EQ(scan(name)[0].code, tUNIDENTIFIEDsymbol) << name;
    EXPECT_EQ(scan("Variable")[0].value, "variable");
}

TEST(ScriptScanner, NamesTakeSingleHyphensBetweenLettersAndDigits) {
    EXPECT_EQ(scan("drag-from-lexicon a-1 x2y"),
              (std::vector<Token>{{tUNIDENTIFIEDsymbol, "drag-from-lexicon"},
                                  {tUNIDENTIFIEDsymbol, "a-1"},
                                  {tUNIDENTIFIEDsymbol, "x2y"}}));
    EXPECT_EQ(scan("a--b"),
              (std::vector<Token>{
                  {tUNIDENTIFIEDsymbol, "a"}, {'-', ""}, {'-', ""}, {tUNIDENTIFIEDsymbol, "b"}}));
    EXPECT_EQ(scan("abc-"), (std::vector<Token>{{tUNIDENTIFIEDsymbol, "abc"}, {'-', ""}}));
    EXPECT_EQ(scan("a_b"), (std::vector<Token>{
                               {tUNIDENTIFIEDsymbol, "a"}, {'_', ""}, {tUNIDENTIFIEDsymbol, "b"}}));
    // A native function's name is a function symbol.
    const auto native = scan("add-style");
    ASSERT_EQ(native.size(), 1u);
    EXPECT_EQ(native[0].code, tFUNCTIONsymbol);
    EXPECT_EQ(native[0].symbolType, kSymbolNatvFnc);
    EXPECT_EQ(native[0].symbolValue, 1);
}

TEST(ScriptScanner, IntegerLiteralsTakeALeadingMinus) {
    const auto tokens = scan("-5 007 x -1 3-1 3 - 1 -x");
    const std::vector<Token> expected = {
        {tCONSTANT, "-5"}, {tCONSTANT, "007"}, {tUNIDENTIFIEDsymbol, "x"}, {tCONSTANT, "-1"},
        {tCONSTANT, "3"},  {tCONSTANT, "-1"},  {tCONSTANT, "3"},           {'-', ""},
        {tCONSTANT, "1"},  {'-', ""},          {tUNIDENTIFIEDsymbol, "x"},
    };
    EXPECT_EQ(tokens, expected);
    EXPECT_EQ(tokens[0].number, -5);
    EXPECT_EQ(tokens[1].number, 7);
}

TEST(ScriptScanner, StringLiteralsHoldWhatIsBetweenTheQuotes) {
    EXPECT_EQ(scan("\"a b\" \"\" \"if 12 \xC3\xA9\""),
              (std::vector<Token>{{tSTRING, "a b"}, {tSTRING, ""}, {tSTRING, "if 12 \xC3\xA9"}}));
    // A line feed ends an unclosed literal, and still counts as a line.
    const auto open = scan("\"abc\nx");
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0], (Token{tSTRING, "abc"}));
    EXPECT_EQ(open[0].line, 1);
    EXPECT_EQ(open[1], (Token{tUNIDENTIFIEDsymbol, "x"}));
    EXPECT_EQ(open[1].line, 1);
    // A quote left open at the end of the text is just a character.
    EXPECT_EQ(
        scan("x \"ab"),
        (std::vector<Token>{{tUNIDENTIFIEDsymbol, "x"}, {'"', ""}, {tUNIDENTIFIEDsymbol, "ab"}}));
}

TEST(ScriptScanner, OperatorsAndOtherCharactersAreSingleCharacterTokens) {
    std::vector<Token> expected;
    for (char c : std::string("=><&+-*/%(),!"))
        expected.push_back({static_cast<unsigned char>(c), ""});
    EXPECT_EQ(scan("= > < & + - * / % ( ) , !"), expected);
    EXPECT_EQ(
        scan("=< >< > ="),
        (std::vector<Token>{{'=', ""}, {'<', ""}, {'>', ""}, {'<', ""}, {'>', ""}, {'=', ""}}));
    // Bytes of an accented letter and a carriage return are characters of their own.
    EXPECT_EQ(scan("\xC3\xA9\r"), (std::vector<Token>{{0xC3, ""}, {0xA9, ""}, {13, ""}}));
}

TEST(ScriptScanner, LineCounterCountsLineFeedsSkippedBetweenTokens) {
    const auto tokens = scan("a\n\n  b\t c\n\nd\n");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0].line, 0);
    EXPECT_EQ(tokens[1].line, 2);
    EXPECT_EQ(tokens[2].line, 2);
    EXPECT_EQ(tokens[3].line, 4);
}

// A prepared compile of the text with a function f that has a parameter n and a local v,
// a global variable n, a forward-declared g and a feature "Case".
struct ScopedNames {
    ScriptHarness fixture{{"Case"}};
    CSymbol* function = nullptr;
    CSymbol* parameter = nullptr;
    CSymbol* local = nullptr;
    CSymbol* global = nullptr;

    std::vector<Token> scanIn(const char* text, bool insideFunction) {
        fixture.setText(text);
        EXPECT_EQ(fixture.script().prepareForParsing(), kNoErr);
        function = addSymbol(fixture, "f", kSymbolUserFnc, nullptr);
        addSymbol(fixture, "g", kSymbolFncForw, nullptr);
        global = addSymbol(fixture, "n", kSymbolVariabl, nullptr);
        parameter = addSymbol(fixture, "n", kSymbolLoclArg, function);
        local = addSymbol(fixture, "v", kSymbolVariabl, function);
        fixture.script().setScope(insideFunction ? function : nullptr);
        return scanPrepared(fixture);
    }
};

TEST(ScriptScanner, NamesAreClassifiedInTheFunctionScopeFirst) {
    ScopedNames names;
    const auto inside = names.scanIn("N v f g case CASE mother", true);
    ASSERT_EQ(inside.size(), 7u);
    EXPECT_EQ(inside[0].code, tLOCALARGUMENTsymbol);
    EXPECT_EQ(inside[0].symbol, names.parameter);
    EXPECT_EQ(inside[1].code, tVARIABLEsymbol);
    EXPECT_EQ(inside[1].symbol, names.local);
    EXPECT_EQ(inside[2].code, tFUNCTIONsymbol);
    EXPECT_EQ(inside[3].code, tFUNCTIONsymbol); // declared forward
    EXPECT_EQ(inside[4].code, tATTRIBUTEsymbol);
    EXPECT_EQ(inside[4].symbol->getSymbolValue(), names.fixture.featureRecord("Case"));
    EXPECT_EQ(inside[5].symbol, inside[4].symbol);
    EXPECT_EQ(inside[6].code, tFUNCTIONsymbol);

    // Outside the function its parameter's name is the global variable, its local unknown.
    const auto outside = names.scanIn("n v", false);
    ASSERT_EQ(outside.size(), 2u);
    EXPECT_EQ(outside[0].code, tVARIABLEsymbol);
    EXPECT_EQ(outside[0].symbol, names.global);
    EXPECT_EQ(outside[1].code, tUNIDENTIFIEDsymbol);
    EXPECT_NE(outside[1].symbol, names.local);
    EXPECT_EQ(outside[1].symbol->getSymbolType(), kSymbolUnident);
}

TEST(ScriptScanner, UndefinedNamesAreEnteredOnceAndReportedWhenMetAgain) {
    ScriptHarness fixture;
    RecordingPlatformScope& platform = fixture.platform;
    const auto tokens = scan(fixture, "zork Zork");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].code, tUNIDENTIFIEDsymbol);
    EXPECT_EQ(tokens[1].code, tUNIDENTIFIEDsymbol);
    EXPECT_EQ(tokens[0].symbol, tokens[1].symbol);
    ASSERT_EQ(platform.recorder.bugReports().size(), 1u);
    EXPECT_EQ(platform.recorder.bugReports()[0], "Internal error: unknown symbol type.");

    // A parameter left in the global scope is reported the same way, with its own text.
    platform.recorder.clear();
    fixture.setText("p");
    ASSERT_EQ(fixture.script().prepareForParsing(), kNoErr);
    CSymbol* stray = addSymbol(fixture, "p", kSymbolLoclArg, nullptr);
    const auto strayTokens = scanPrepared(fixture);
    ASSERT_EQ(strayTokens.size(), 1u);
    EXPECT_EQ(strayTokens[0].code, tUNIDENTIFIEDsymbol);
    EXPECT_EQ(strayTokens[0].symbol, stray);
    ASSERT_EQ(platform.recorder.bugReports().size(), 1u);
    EXPECT_EQ(platform.recorder.bugReports()[0],
              "Internal error: got illegal symbol type in global scope.");
}

TEST(ScriptScanner, PreparingAgainStartsAtTheFirstByteOfTheNewText) {
    ScriptHarness fixture;
    fixture.setText("alpha beta\ngamma");
    ASSERT_EQ(fixture.script().prepareForParsing(), kNoErr);
    CScriptScanner scanner;
    RScannedToken token;
    scanner.nextToken(fixture.script(), *fixture.script().symbolTable(), token);
    EXPECT_EQ(token.symbol->getSymbolString().str(), "alpha");

    fixture.setText("delta");
    ASSERT_EQ(fixture.script().prepareForParsing(), kNoErr);
    EXPECT_EQ(fixture.script().getLineCounter(), 0);
    scanner.reset();
    scanner.nextToken(fixture.script(), *fixture.script().symbolTable(), token);
    EXPECT_EQ(token.symbol->getSymbolString().str(), "delta");
    scanner.nextToken(fixture.script(), *fixture.script().symbolTable(), token);
    EXPECT_EQ(token.code, tEndOfInput);
}

TEST(ScriptScanner, InputHandsOutTheTextInPiecesUpToItsEnd) {
    ScriptHarness fixture;
    fixture.setText("abcdefg");
    ASSERT_EQ(fixture.script().prepareForParsing(), kNoErr);
    char buffer[8] = {};
    EXPECT_EQ(fixture.script().yyinput(buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(fixture.script().yyinput(buffer, 8), 4);
    EXPECT_EQ(std::string(buffer, 4), "defg");
    EXPECT_EQ(fixture.script().yyinput(buffer, 8), 0);
}
