#include "script/CScriptBuilder.h"

#include "script/CScript.h"
#include "script/CScriptNodePool.h"
#include "script/CScriptScanner.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/CompileErrors.h"
#include "script/ScriptTokens.h"
#include "storage/CRString.h"

CScriptBuilder::CScriptBuilder(CScript& owner, CScriptScanner& theScanner, CSymbolTable& symbols,
                               CScriptNodePool& nodes)
    : script(owner), scanner(theScanner), table(symbols), pool(nodes) {}

int32_t CScriptBuilder::nextToken(RParseValue& value) {
    RScannedToken token;
    scanner.nextToken(script, table, token);
    // The minus of "3-1" (and of "3 -1") belongs to the second literal, so these are two
    // literals side by side, which no expression allows. Between two statements the grammar
    // would take them as two statements and quietly drop the subtraction that was meant.
    const bool negativeLiteral =
        token.code == tCONSTANT && token.text && token.text->str().rfind('-', 0) == 0;
    if (negativeLiteral && previousCode == tCONSTANT)
        raiseError(kCompileSyntaxError);
    previousCode = token.code;
    value.symbol = token.symbol;
    value.text = token.text ? pool.keepText(std::move(token.text)) : nullptr;
    return token.code;
}

void CScriptBuilder::raiseError(int32_t code) {
    script.recordError(code, script.getLineCounter());
}

void CScriptBuilder::turnOnRunTimeDebugging() {
    script.turnOnRunTimeDebugging();
}

CSymbol* CScriptBuilder::enterFunction(CSymbol* function) {
    script.setScope(function);
    return function;
}

CSymbol* CScriptBuilder::rejectFunctionID(CSymbol* symbol, int32_t code) {
    raiseError(code);
    return symbol;
}

CSymbol* CScriptBuilder::functionHeader(CSymbol* function, bool withParameters) {
    if (!function)
        return nullptr;
    const int32_t type = function->getSymbolType();
    if (type == kSymbolUnident || type == kSymbolFncForw) {
        function->setSymbolType(kSymbolUserFnc);
        function->setSymbolScope(nullptr);
    } else {
        raiseError(kCompileIllegalFunctionID);
    }
    const int32_t count = withParameters ? script.getArgumentCounter() : 0;
    if (type == kSymbolFncForw && function->getSymbolHowManyParams() != count)
        raiseError(kCompileParameterCountMismatch);
    function->setSymbolHowManyParams(count);
    // The frame holds the parameters even when no body follows to size it.
    function->setSymbolTotalStackFrameSize(script.getArgumentCounter());
    return function;
}

void CScriptBuilder::finishForward(CSymbol* function) {
    if (function)
        function->setSymbolType(kSymbolFncForw);
    script.resetArgumentCounter();
    script.setScope(nullptr);
}

void CScriptBuilder::finishDefinition(CSymbol* function, const CScriptNode* body) {
    if (function)
        function->setSymbolBody(body);
    script.resetArgumentCounter();
    script.setScope(nullptr);
}

const CScriptNode* CScriptBuilder::functionBody(const CScriptNode* statements) {
    if (CSymbol* function = script.getScope())
        function->setSymbolTotalStackFrameSize(script.getArgumentCounter());
    return statements;
}

void CScriptBuilder::newParameter(CSymbol* symbol) {
    const int32_t position = script.increaseArgumentCounter();
    if (!symbol)
        return;
    symbol->setSymbolType(kSymbolLoclArg);
    symbol->setSymbolScope(script.getScope());
    symbol->setSymbolStackFramePosition(position);
}

void CScriptBuilder::parameterHidingGlobal(CSymbol* global) {
    const int32_t position = script.increaseArgumentCounter();
    if (global)
        addScopedSymbol(*global, kSymbolLoclArg, position);
}

void CScriptBuilder::declaredParameter(CSymbol* parameter) {
    const int32_t position = script.increaseArgumentCounter();
    if (parameter && parameter->getSymbolStackFramePosition() != position)
        raiseError(kCompileBadParameterList);
}

void CScriptBuilder::rejectParameter(int32_t code) {
    script.increaseArgumentCounter();
    raiseError(code);
}

void CScriptBuilder::newLocalVariable(CSymbol* symbol) {
    const int32_t position = script.increaseArgumentCounter();
    if (!symbol)
        return;
    symbol->setSymbolType(kSymbolVariabl);
    symbol->setSymbolScope(script.getScope());
    symbol->setSymbolStackFramePosition(position);
}

void CScriptBuilder::localVariableHidingGlobal(CSymbol* variable) {
    const int32_t position = script.increaseArgumentCounter();
    if (!variable)
        return;
    if (variable->getSymbolScope())
        raiseError(kCompileLocalTwice);
    else
        addScopedSymbol(*variable, kSymbolVariabl, position);
}

void CScriptBuilder::rejectLocalVariable(int32_t code) {
    script.increaseArgumentCounter();
    raiseError(code);
}

void CScriptBuilder::addScopedSymbol(const CSymbol& like, int32_t type, int32_t position) {
    CSymbol* symbol = nullptr;
    if (table.addASymbol(like.getSymbolString(), type, symbol) != 0)
        return;
    symbol->setSymbolScope(script.getScope());
    symbol->setSymbolStackFramePosition(position);
}

const CScriptNode* CScriptBuilder::node(int32_t kind, const CScriptNode* left,
                                        const CScriptNode* right) {
    return pool.node(kind, left, right);
}

const CScriptNode* CScriptBuilder::listCell(const CScriptNode* item, const CScriptNode* next) {
    return pool.node(kNodeListCell, item, next);
}

const CScriptNode* CScriptBuilder::leaf(CSymbol* symbol) {
    return pool.symbolLeaf(symbol);
}

const CScriptNode* CScriptBuilder::leaf(const CRString* text) {
    return pool.textLeaf(text);
}

const CScriptNode* CScriptBuilder::call(CSymbol* function, const CScriptNode* arguments,
                                        bool withParentheses) {
    const int32_t expected = function ? function->getSymbolHowManyParams() : 0;
    const int32_t given = CScript::countArgs(arguments);
    if (!withParentheses) {
        if (expected != 0)
            raiseError(kCompileTooFewArguments);
    } else if (given < expected) {
        raiseError(kCompileTooFewArguments);
    } else if (given > expected) {
        raiseError(kCompileTooManyArguments);
    }
    return pool.node(kNodeCall, pool.symbolLeaf(function, arguments));
}

const CScriptNode* CScriptBuilder::forEveryNode(CSymbol* variable, const CScriptNode* dominatedBy,
                                                const CScriptNode* body) {
    if (!variable || variable->getSymbolType() != kSymbolVariabl)
        raiseError(kCompileLoopVariable);
    return pool.node(kNodeForEvery,
                     pool.node(kNodeListCell, pool.symbolLeaf(variable), dominatedBy), body);
}

const CScriptNode* CScriptBuilder::undefinedSymbol(CSymbol* symbol) {
    raiseError(kCompileUndefinedSymbol);
    return pool.node(kNodeVariable, pool.symbolLeaf(symbol));
}

void CScriptBuilder::declareGlobalVariable(CSymbol* symbol) {
    if (!symbol)
        return;
    symbol->setSymbolType(kSymbolVariabl);
    symbol->setSymbolScope(nullptr);
}

void CScriptBuilder::missingComma() {
    raiseError(kCompileMissingComma);
}

void CScriptBuilder::startMenu(const CRString* name) {
    if (name)
        script.startNewUserMenu(*name);
}

void CScriptBuilder::menuItem(const CRString* functionName, const CRString* label) {
    if (functionName && label)
        script.addMenuItem(*functionName, *label);
}

void CScriptBuilder::menuDivider() {
    script.addMenuDivider();
}
