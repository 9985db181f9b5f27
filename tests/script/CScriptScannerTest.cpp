#include "ScriptSupport.h"

#include "script/CScriptScanner.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/ScriptTokens.h"

namespace {

constexpr int32_t kTag = 152;

// Each token as one word: "?name" an unidentified name, "#text:number" a constant, "$text" a
// string, "v"/"p"/"f"/"a" + name a variable, parameter, function or feature, "@line" after
// the line counter moved, a character as itself, any other token as its code.
std::string scanPrepared(ScriptHarness& fixture, std::vector<CSymbol*>* symbols = nullptr) {
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
        switch (token.code) {
        case tUNIDENTIFIEDsymbol:
            out += "?" + name;
            break;
        case tCONSTANT:
            out += "#" + token.text->str() + ":" + std::to_string(token.text->getNumericValue());
            break;
        case tSTRING:
            out += "$" + token.text->str();
            break;
        case tVARIABLEsymbol:
            out += "v" + name;
            break;
        case tLOCALARGUMENTsymbol:
            out += "p" + name;
            break;
        case tFUNCTIONsymbol:
            out += "f" + name;
            break;
        case tATTRIBUTEsymbol:
            out += "a" + name;
            break;
        default:
            out += token.code < 128 && token.code > 32 ? std::string(1, char(token.code))
                                                       : std::to_string(token.code);
        }
        out += " ";
        if (symbols)
            symbols->push_back(token.symbol);
    }
    return out;
}

std::string scan(const std::string& text) {
    ScriptHarness fixture({"Case"});
    fixture.setText(text);
    EXPECT_EQ(fixture.script().prepareForParsing(), kNoErr);
    return scanPrepared(fixture);
}

CSymbol* addSymbol(ScriptHarness& fixture, const char* name, int32_t type, CSymbol* scope) {
    CSymbol* symbol = nullptr;
    EXPECT_EQ(fixture.script().symbolTable()->addASymbol(CRString(name, kTag), type, symbol),
              kNoErr);
    symbol->setSymbolScope(scope);
    return symbol;
}

} // namespace

TEST(ScriptScanner, TextsScanToTheirTokens) {
    const std::pair<const char*, std::string> rows[] = {
        // Spot checks of the keyword and constant tables, in lower case only.
        {"variables dominated eq <>", std::to_string(tVARIABLE) + " " + std::to_string(tDOMINATED) +
                                          " " + std::to_string(tSTRING_EQUAL) + " " +
                                          std::to_string(tNE) + " "},
        {"magenta underline", "#11:11 #4:4 "},
        {"variablesx Variable If end-define Red reddish",
         "?variablesx ?variable ?if ?end-define ?red ?reddish "},
        // Names take single hyphens between letters and digits; a native's name is a function.
        {"drag-from-lexicon a-1 x2y add-style", "?drag-from-lexicon ?a-1 ?x2y fadd-style "},
        {"a--b abc- a_b", "?a - - ?b ?abc - ?a _ ?b "},
        // An integer literal takes a leading minus directly before its digits.
        {"-5 007 x -1 3-1 3 - 1 -x", "#-5:-5 #007:7 ?x #-1:-1 #3:3 #-1:-1 #3:3 - #1:1 - ?x "},
        {"\"a b\" \"\" \"if 12 \xC3\xA9\"", "$a b $ $if 12 \xC3\xA9 "},
        // A line feed ends an open literal, and still counts; a quote open at the end is a
        // character.
        {"\"abc\nx", "@1 $abc ?x "},
        {"x \"ab", "?x \" ?ab "},
        {"= > < & + - * / % ( ) , !", "= > < & + - * / % ( ) , ! "},
        {"=< >< > =", "= < > < > = "},
        {"\xC3\xA9\r", "195 169 13 "},
        {"a\n\n  b\t c\n\nd\n", "?a @2 ?b ?c @4 ?d "},
        {"case CASE mother", "acase acase fmother "},
    };
    for (const auto& [text, tokens] : rows)
        EXPECT_EQ(scan(text), tokens) << text;
}

TEST(ScriptScanner, NamesAreClassifiedInTheFunctionScopeFirst) {
    ScriptHarness fixture({"Case"});
    for (const bool inside : {true, false}) {
        fixture.setText("N v f g");
        ASSERT_EQ(fixture.script().prepareForParsing(), kNoErr);
        CSymbol* function = addSymbol(fixture, "f", kSymbolUserFnc, nullptr);
        addSymbol(fixture, "g", kSymbolFncForw, nullptr);
        CSymbol* global = addSymbol(fixture, "n", kSymbolVariabl, nullptr);
        CSymbol* parameter = addSymbol(fixture, "n", kSymbolLoclArg, function);
        CSymbol* local = addSymbol(fixture, "v", kSymbolVariabl, function);
        fixture.script().setScope(inside ? function : nullptr);
        std::vector<CSymbol*> symbols;
        // Outside the function its parameter's name is the global variable, its local unknown.
        EXPECT_EQ(scanPrepared(fixture, &symbols), inside ? "pn vv ff fg " : "vn ?v ff fg ");
        EXPECT_EQ(symbols[0], inside ? parameter : global);
        EXPECT_EQ(symbols[1] == local, inside);
    }
}

TEST(ScriptScanner, UndefinedNamesAreEnteredOnceAndReportedWhenMetAgain) {
    ScriptHarness fixture;
    fixture.setText("zork Zork");
    ASSERT_EQ(fixture.script().prepareForParsing(), kNoErr);
    std::vector<CSymbol*> symbols;
    EXPECT_EQ(scanPrepared(fixture, &symbols), "?zork ?zork ");
    EXPECT_EQ(symbols[0], symbols[1]);
    EXPECT_EQ(fixture.bugReports(), Texts{"Internal error: unknown symbol type."});
    // A parameter left in the global scope is reported the same way, with its own text.
    fixture.platform.recorder.clear();
    fixture.setText("p");
    ASSERT_EQ(fixture.script().prepareForParsing(), kNoErr);
    addSymbol(fixture, "p", kSymbolLoclArg, nullptr);
    EXPECT_EQ(scanPrepared(fixture), "?p ");
    EXPECT_EQ(fixture.bugReports(),
              Texts{"Internal error: got illegal symbol type in global scope."});
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
    EXPECT_EQ(scanPrepared(fixture), "?delta ");
    fixture.setText("abcdefg");
    ASSERT_EQ(fixture.script().prepareForParsing(), kNoErr);
    char buffer[8] = {};
    EXPECT_EQ(fixture.script().yyinput(buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(fixture.script().yyinput(buffer, 8), 4);
    EXPECT_EQ(std::string(buffer, 4), "defg");
    EXPECT_EQ(fixture.script().yyinput(buffer, 8), 0);
}
