#include "script/CScriptScanner.h"

#include "base/ErrorReporter.h"
#include "script/CScript.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/ScriptTokens.h"
#include "storage/CRString.h"

namespace {

constexpr int32_t kReadChunk = 16384;
constexpr int32_t kNameCreatorTag = 123;
constexpr int32_t kLiteralCreatorTag = 124;
constexpr int32_t kConstantCreatorTag = 125;

struct RWord {
    const char* spelling;
    int32_t value;
};

constexpr RWord kKeywords[] = {
    {"debug", tDEBUG},
    {"end", tEND},
    {"if", tIF},
    {"then", tTHEN},
    {"else", tELSE},
    {"while", tWHILE},
    {"for", tFOR},
    {"every", tEVERY},
    {"node", tNODE},
    {"dominated", tDOMINATED},
    {"by", tBY},
    {"define", tDEFINE},
    {"variable", tVARIABLE},
    {"variables", tVARIABLE},
    {"function", tFUNCTION},
    {"forward", tFORWARD},
    {"menu", tMENU},
    {"divider", tDIVIDER},
    {"search", tSEARCH},
    {"upward", tUPWARD},
    {"let", tLET},
    {"exit", tEXIT},
    {"and", tAND},
    {"or", tOR},
    {"not", tNOT},
    {"eq", tSTRING_EQUAL},
    {"ne", tSTRING_NOT_EQUAL},
    {"true", tTRUE},
    {"false", tFALSE},
    {"return", tRETURN},
};

// Colour numbers and text-style bits of the drawing layer.
constexpr RWord kNamedConstants[] = {
    {"black", 1},    {"white", 2}, {"gray", 3},   {"red", 4},    {"orange", 5},
    {"yellow", 6},   {"green", 7}, {"blue", 8},   {"violet", 9}, {"cyan", 10},
    {"magenta", 11}, {"plain", 0}, {"italic", 1}, {"bold", 2},   {"underline", 4},
};

template <std::size_t N> const RWord* findWord(const RWord (&words)[N], const std::string& text) {
    for (const RWord& word : words)
        if (text == word.spelling)
            return &word;
    return nullptr;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isNameCharacter(char c) {
    return isLetter(c) || isDigit(c);
}

} // namespace

CScriptScanner::CScriptScanner() = default;

void CScriptScanner::reset() {
    buffer.clear();
    position = 0;
    exhausted = false;
}

char CScriptScanner::at(CScript& script, std::size_t index) {
    while (index >= buffer.size() && !exhausted) {
        char chunk[kReadChunk];
        const int32_t count = script.yyinput(chunk, kReadChunk);
        if (count <= 0)
            exhausted = true;
        else
            buffer.append(chunk, static_cast<std::size_t>(count));
    }
    return index < buffer.size() ? buffer[index] : '\0';
}

void CScriptScanner::nextToken(CScript& script, CSymbolTable& table, RScannedToken& token) {
    token.code = tEndOfInput;
    token.symbol = nullptr;
    token.text.reset();
    for (;;) {
        const char c = at(script, position);
        if (c == '\0')
            return;
        if (c == ' ' || c == '\t') {
            ++position;
            continue;
        }
        if (c == '\n') {
            ++position;
            script.incrementLineCounter();
            continue;
        }
        if (isLetter(c)) {
            scanName(script, table, token);
            return;
        }
        if (isDigit(c) || (c == '-' && isDigit(at(script, position + 1)))) {
            std::size_t end = position + 1;
            while (isDigit(at(script, end)))
                ++end;
            token.code = tCONSTANT;
            token.text = std::make_unique<CRString>(buffer.substr(position, end - position),
                                                    kLiteralCreatorTag);
            position = end;
            return;
        }
        const char next = at(script, position + 1);
        if ((c == '>' && next == '=') || (c == '<' && (next == '=' || next == '>'))) {
            token.code = c == '>' ? tGE : (next == '=' ? tLE : tNE);
            position += 2;
            return;
        }
        if (c == '"') {
            std::size_t end = position + 1;
            char d = at(script, end);
            while (d != '\0' && d != '"' && d != '\n')
                d = at(script, ++end);
            if (d != '\0') {
                // A line feed ends an unclosed literal; it still counts as a line.
                token.code = tSTRING;
                token.text = std::make_unique<CRString>(
                    buffer.substr(position + 1, end - position - 1), kLiteralCreatorTag);
                position = end + 1;
                if (d == '\n')
                    script.incrementLineCounter();
                return;
            }
        }
        token.code = static_cast<unsigned char>(c);
        ++position;
        return;
    }
}

void CScriptScanner::scanName(CScript& script, CSymbolTable& table, RScannedToken& token) {
    // A letter, then letters and digits, a single hyphen standing between two of them.
    std::size_t end = position + 1;
    for (;;) {
        const char d = at(script, end);
        if (isNameCharacter(d))
            ++end;
        else if (d == '-' && isNameCharacter(at(script, end + 1)))
            end += 2;
        else
            break;
    }
    const std::string word = buffer.substr(position, end - position);
    position = end;
    if (const RWord* keyword = findWord(kKeywords, word)) {
        token.code = keyword->value;
        return;
    }
    if (const RWord* constant = findWord(kNamedConstants, word)) {
        token.code = tCONSTANT;
        token.text = std::make_unique<CRString>(kConstantCreatorTag);
        token.text->setNumericValue(constant->value);
        return;
    }
    classifyName(script, table, word, token);
}

void CScriptScanner::classifyName(CScript& script, CSymbolTable& table, const std::string& name,
                                  RScannedToken& token) {
    const CRString text(name, kNameCreatorTag);
    CSymbol* symbol = nullptr;
    if (CSymbol* scope = script.getScope()) {
        table.findASymbol(text, scope, symbol);
        if (symbol && symbol->getSymbolType() == kSymbolVariabl) {
            token.code = tVARIABLEsymbol;
            token.symbol = symbol;
            return;
        }
        if (symbol && symbol->getSymbolType() == kSymbolLoclArg) {
            token.code = tLOCALARGUMENTsymbol;
            token.symbol = symbol;
            return;
        }
    }
    table.findASymbol(text, nullptr, symbol);
    if (!symbol) {
        table.addASymbol(text, kSymbolUnident, symbol);
        token.code = tUNIDENTIFIEDsymbol;
        token.symbol = symbol;
        return;
    }
    token.symbol = symbol;
    switch (symbol->getSymbolType()) {
    case kSymbolFncForw:
    case kSymbolUserFnc:
    case kSymbolNatvFnc:
        token.code = tFUNCTIONsymbol;
        return;
    case kSymbolVariabl:
        token.code = tVARIABLEsymbol;
        return;
    case kSymbolAttribu:
        token.code = tATTRIBUTEsymbol;
        return;
    case kSymbolLoclArg:
        bug("Internal error: got illegal symbol type in global scope.", kNoErr);
        break;
    default:
        bug("Internal error: unknown symbol type.", kNoErr);
        break;
    }
    token.code = tUNIDENTIFIEDsymbol;
}
