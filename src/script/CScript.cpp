#include "script/CScript.h"

#include "base/ErrorReporter.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CMiddleInterface.h"
#include "script/CScriptBuilder.h"
#include "script/CScriptNode.h"
#include "script/CScriptNodePool.h"
#include "script/CScriptScanner.h"
#include "script/CStackFrame.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "script/NativeFunctionTable.h"
#include "script/ScriptParser.h"
#include "storage/CRString.h"

#include <algorithm>
#include <cstring>
#include <iostream>

namespace {

constexpr int32_t kCandidateCreatorTag = 126;
constexpr int32_t kNativeNameCreatorTag = 127;

} // namespace

CScript::CScript(CTree& tree, CUndoStructure& undo)
    : theMiddleInterface(std::make_unique<CMiddleInterface>()), theTree(tree),
      theUndoStructure(undo), scanner(std::make_unique<CScriptScanner>()), traceOutput(&std::cout) {
}

// The symbols refer to nodes of the pool, so they go first.
CScript::~CScript() {
    destroyParse();
}

RErr CScript::parseScript(bool studentMode) {
    studentModeArg = studentMode;
    const RErr err = prepareForParsing();
    if (err) {
        destroyParse();
        return err;
    }
    if (!CScriptScanner::isBlankScript(scriptText))
        runParser();
    lastErrorCode = errorCode;
    lastErrorLine = errorLine;
    if (traceOutput)
        *traceOutput << "Error code " << static_cast<uint32_t>(errorCode) << " on line "
                     << static_cast<uint32_t>(errorLine) << "\n";
    theMiddleInterface->reportParseError(errorCode, errorLine);
    if (errorCode) {
        destroyParse();
        return kErrScriptCompile;
    }
    parsed = true;
    return registerInternalMessages();
}

void CScript::runParser() {
    CScriptBuilder builder(*this, *scanner, *theSymbolTable, *nodePool);
    if (runScriptParser(builder) != 0)
        recordError(1, lineCounter); // a parse that stopped always has its reason recorded
}

void CScript::destroyParse() {
    parsed = false;
    inputCursor = 0;
    lineCounter = 0;
    errorCode = 0;
    errorLine = 0;
    scope = nullptr;
    candidate.reset();
    hooks.fill(nullptr);
    theSymbolTable.reset();
    nodePool.reset();
}

RErr CScript::prepareForParsing() {
    const CRString* text = nullptr;
    RErr err = theTree.getMainString(kHeaderRecord, text);
    destroyParse();
    scriptText = text && !err ? text->str() : std::string();
    theMiddleInterface->turnOffRunTimeDebugging();
    menuCount = 0;
    menuAccepted = false;
    candidate = std::make_unique<CRString>("0", kCandidateCreatorTag);
    scanner->reset();
    theSymbolTable = std::make_unique<CSymbolTable>();
    nodePool = std::make_unique<CScriptNodePool>();
    argumentCounter = 0;
    if (!err)
        err = installNativeFunctions();
    if (!err)
        err = installFeatures();
    if (err)
        bug("CScript::prepareForParsing", err);
    return err;
}

RErr CScript::installNativeFunctions() {
    RErr err = kNoErr;
    for (int32_t number = 1; number <= kNativeFunctionCount && !err; ++number) {
        const RNativeFunction* entry = nativeFunction(number);
        CSymbol* symbol = nullptr;
        err = theSymbolTable->addASymbol(CRString(entry->name, kNativeNameCreatorTag),
                                         kSymbolNatvFnc, symbol);
        if (!err) {
            symbol->setSymbolHowManyParams(entry->argumentCount);
            symbol->setSymbolTotalStackFrameSize(entry->argumentCount);
            symbol->setSymbolValue(number);
        }
    }
    return err;
}

RErr CScript::installFeatures() {
    int32_t feature = 0;
    RErr err = theTree.getFirstName(kRecordFeature, feature);
    // A damaged list could loop; no list is longer than the table has records.
    for (int32_t guard = theTree.recordCount(); feature != 0 && !err && guard > 0; --guard) {
        const CRString* name = nullptr;
        CSymbol* symbol = nullptr;
        err = theTree.getNameString(feature, name);
        if (!err)
            err = theSymbolTable->addASymbol(*name, kSymbolAttribu, symbol);
        if (!err) {
            symbol->setSymbolValue(feature);
            err = theTree.getNextName(feature, feature);
        }
    }
    return err;
}

int32_t CScript::yyinput(char* buffer, int32_t maximum) {
    const std::size_t left = scriptText.size() - std::min(inputCursor, scriptText.size());
    const std::size_t count = std::min(left, static_cast<std::size_t>(std::max(maximum, 0)));
    std::memcpy(buffer, scriptText.data() + inputCursor, count);
    inputCursor += count;
    return static_cast<int32_t>(count);
}

void CScript::recordError(int32_t code, int32_t line) {
    if (errorCode == 0) {
        errorCode = code;
        errorLine = line;
    }
}

int32_t CScript::countArgs(const CScriptNode* cell) {
    int32_t count = 0;
    for (; cell; cell = cell->right())
        ++count;
    return count;
}

void CScript::startNewUserMenu(const CRString& name) {
    ++menuCount;
    menuAccepted = menuCount <= CMiddleInterface::kMostMenus;
    if (!menuAccepted)
        recordError(16, lineCounter);
    else if (studentModeArg)
        theMiddleInterface->startNewUserMenu(name);
}

void CScript::addMenuItem(const CRString& functionName, const CRString& label) {
    if (studentModeArg && menuAccepted)
        theMiddleInterface->addMenuItem(functionName, label);
}

void CScript::addMenuDivider() {
    if (studentModeArg && menuAccepted)
        theMiddleInterface->addMenuDivider();
}

void CScript::turnOnRunTimeDebugging() {
    theMiddleInterface->turnOnRunTimeDebugging();
}
