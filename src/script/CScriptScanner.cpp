#include "script/CScriptScanner.h"

#include "base/ErrorReporter.h"
#include "script/CScript.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/ScriptLexemes.h"
#include "script/ScriptTokens.h"
#include "script/ScriptWords.h"
#include "storage/CRString.h"

namespace {

constexpr int32_t kReadChunk = 16384;
constexpr int32_t kNameCreatorTag = 123;
constexpr int32_t kLiteralCreatorTag = 124;
constexpr int32_t kConstantCreatorTag = 125;

// A byte of the text as the unsigned code the lexical rules compare.
uint32_t byteCode(char c) {
    return static_cast<unsigned char>(c);
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
    const auto at = [this, &script](std::size_t index) {
        return byteCode(this->at(script, index));
    };
    for (;;) {
        const RLexemeSpan span = nextScriptLexeme(at, position);
        const std::size_t start = position;
        position = span.end;
        switch (span.kind) {
        case RLexeme::End:
            return;
        case RLexeme::Blank:
        case RLexeme::Comment: // the line feed after it is counted as any other
            continue;
        case RLexeme::LineFeed:
            script.incrementLineCounter();
            continue;
        case RLexeme::Name:
            scanName(script, table, buffer.substr(start, span.end - start), token);
            return;
        case RLexeme::Integer:
            token.code = tCONSTANT;
            token.text = std::make_unique<CRString>(buffer.substr(start, span.end - start),
                                                    kLiteralCreatorTag);
            return;
        case RLexeme::String:
        case RLexeme::UnclosedString:
            token.code = tSTRING;
            token.text = std::make_unique<CRString>(buffer.substr(start + 1, span.end - start - 2),
                                                    kLiteralCreatorTag);
            // A line feed ends an unclosed literal; it still counts as a line.
            if (span.kind == RLexeme::UnclosedString)
                script.incrementLineCounter();
            return;
        case RLexeme::Operator:
        case RLexeme::Character:
            token.code = span.code;
            return;
        }
    }
}

void CScriptScanner::scanName(CScript& script, CSymbolTable& table, const std::string& word,
                              RScannedToken& token) {
    if (const RScriptWord* keyword = findScriptKeyword(word)) {
        token.code = keyword->value;
        return;
    }
    if (const RScriptWord* constant = findScriptNamedConstant(word)) {
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

bool CScriptScanner::isBlankScript(const std::string& text) {
    const auto at = [&text](std::size_t index) {
        return index < text.size() ? byteCode(text[index]) : 0u;
    };
    for (std::size_t position = 0;;) {
        const RLexemeSpan span = nextScriptLexeme(at, position);
        if (span.kind == RLexeme::End)
            return true;
        if (span.kind != RLexeme::Blank && span.kind != RLexeme::LineFeed &&
            span.kind != RLexeme::Comment)
            return false;
        position = span.end;
    }
}
