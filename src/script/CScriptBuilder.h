#pragma once

#include <cstdint>

class CRString;
class CScript;
class CScriptNode;
class CScriptNodePool;
class CScriptScanner;
class CSymbol;
class CSymbolTable;

// A token's value as the grammar receives it.
struct RParseValue {
    CSymbol* symbol = nullptr;
    const CRString* text = nullptr;
};

// The grammar's actions for one compile: builds parse-tree nodes in the compile's pool,
// defines and retypes symbols, and records compile errors in the script at the scanner's
// current line. Every action accepts the null values an earlier error may have left.
class CScriptBuilder {
public:
    CScriptBuilder(CScript& script, CScriptScanner& scanner, CSymbolTable& table,
                   CScriptNodePool& pool);

    int32_t nextToken(RParseValue& value);
    void raiseError(int32_t code);

    void turnOnRunTimeDebugging();

    // Function definitions.
    CSymbol* enterFunction(CSymbol* function);
    CSymbol* rejectFunctionID(CSymbol* symbol, int32_t code);
    CSymbol* functionHeader(CSymbol* function, bool withParameters);
    void finishForward(CSymbol* function);
    void finishDefinition(CSymbol* function, const CScriptNode* body);
    const CScriptNode* functionBody(const CScriptNode* statements);
    void newParameter(CSymbol* symbol);
    void parameterHidingGlobal(CSymbol* global);
    void declaredParameter(CSymbol* parameter);
    void rejectParameter(int32_t code);
    void newLocalVariable(CSymbol* symbol);
    void localVariableHidingGlobal(CSymbol* variable);
    void rejectLocalVariable(int32_t code);

    // Statements and expressions.
    const CScriptNode* node(int32_t kind, const CScriptNode* left = nullptr,
                            const CScriptNode* right = nullptr);
    const CScriptNode* listCell(const CScriptNode* item, const CScriptNode* next);
    const CScriptNode* leaf(CSymbol* symbol);
    const CScriptNode* leaf(const CRString* text);
    const CScriptNode* call(CSymbol* function, const CScriptNode* arguments, bool withParentheses);
    const CScriptNode* forEveryNode(CSymbol* variable, const CScriptNode* dominatedBy,
                                    const CScriptNode* body);
    const CScriptNode* undefinedSymbol(CSymbol* symbol);

    // Global variables and menus.
    void declareGlobalVariable(CSymbol* symbol);
    void missingComma();
    void startMenu(const CRString* name);
    void menuItem(const CRString* functionName, const CRString* label);
    void menuDivider();

private:
    // A new symbol of the name, owned by the current function.
    void addScopedSymbol(const CSymbol& like, int32_t type, int32_t position);

    CScript& script;
    CScriptScanner& scanner;
    CSymbolTable& table;
    CScriptNodePool& pool;
    int32_t previousCode = 0; // the token handed to the grammar last
};
