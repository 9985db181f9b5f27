// CScript's hooks and author menu commands: the calls the program makes into a script.

#include "script/CScript.h"

#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "script/CMiddleInterface.h"
#include "script/CStackFrame.h"
#include "script/CSymbol.h"
#include "script/CSymbolTable.h"
#include "storage/CRString.h"

namespace {

constexpr int32_t kHookNameCreatorTag = 131;

struct RHook {
    const char* name;
    int32_t argumentCount;
};

constexpr RHook kHooks[CScript::kHookCount] = {
    {"open", 0},
    {"close", 0},
    {"drag-from-lexicon", 1},
    {"is-dragging-allowed", 1},
    {"is-landing-allowed", 2},
    {"drag-completed", 2},
    {"magnifying-glass", 1},
    {"scissors", 1},
    {"magnifying-glass-down", 1},
    {"scissors-down", 1},
};

bool isHook(int32_t hook) {
    return hook >= 1 && hook <= CScript::kHookCount;
}

bool isFunction(const CSymbol* symbol) {
    return symbol &&
           (symbol->getSymbolType() == kSymbolUserFnc || symbol->getSymbolType() == kSymbolNatvFnc);
}

} // namespace

const char* CScript::hookName(int32_t hook) {
    return isHook(hook) ? kHooks[hook - 1].name : "";
}

int32_t CScript::hookArgumentCount(int32_t hook) {
    return isHook(hook) ? kHooks[hook - 1].argumentCount : 0;
}

int32_t CScript::hookNumber(const std::string& name) {
    for (int32_t hook = 1; hook <= kHookCount; ++hook)
        if (name == kHooks[hook - 1].name)
            return hook;
    return 0;
}

bool CScript::isHookRegistered(int32_t hook) const {
    return isHook(hook) && hooks[static_cast<std::size_t>(hook - 1)] != nullptr;
}

RErr CScript::registerInternalMessages() {
    hooks.fill(nullptr);
    if (!theSymbolTable)
        return kNoErr;
    RErr err = kNoErr;
    for (int32_t hook = 1; hook <= kHookCount; ++hook) {
        CSymbol* symbol = nullptr;
        theSymbolTable->findASymbol(CRString(hookName(hook), kHookNameCreatorTag), nullptr, symbol);
        if (!isFunction(symbol))
            continue;
        if (symbol->getSymbolHowManyParams() != hookArgumentCount(hook)) {
            SystemAlert(std::string("Ramex cannot internally call the script function '") +
                            hookName(hook) +
                            "', because it has the wrong number of arguments.  The default "
                            "action will be used.",
                        1);
            continue;
        }
        hooks[static_cast<std::size_t>(hook - 1)] = symbol;
        if (!studentModeArg)
            continue;
        // A script that handles a tool's gestures makes the tool available to the student.
        RErr shown = kNoErr;
        if (hook == kHookMagnifyingGlass || hook == kHookMagnifyingGlassDown)
            shown = theMiddleInterface->setToolVisibility(
                theUndoStructure, CMiddleInterface::kToolMagnifyingGlass, true);
        else if (hook == kHookScissors || hook == kHookScissorsDown)
            shown = theMiddleInterface->setToolVisibility(theUndoStructure,
                                                          CMiddleInterface::kToolScissors, true);
        if (!err)
            err = shown;
    }
    return err;
}

RErr CScript::callInternalMessage(int32_t hook, int32_t first, int32_t second, bool& exists,
                                  bool& answer) {
    exists = false;
    answer = false;
    if (!isHook(hook)) {
        bug("CScript::callInternalMessage", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    CSymbol* function = hooks[static_cast<std::size_t>(hook - 1)];
    if (!function || !parsed)
        return kNoErr;
    exists = true;
    CStackFrame frame(function->getSymbolTotalStackFrameSize());
    const int32_t arguments[2] = {first, second};
    RErr status = kNoErr;
    for (int32_t slot = 1; slot <= hookArgumentCount(hook) && !status; ++slot) {
        CRString argument(kHookNameCreatorTag);
        argument.setNumericValue(arguments[slot - 1]);
        status = frame.setField(slot, argument);
    }
    if (status)
        return status;
    status = runTopLevel(*function, frame);
    // A stopped hook has been reported; its caller applies the default.
    if (status == kStatusStopped)
        return kNoErr;
    if (!status) {
        const CRString* result = nullptr;
        status = frame.getField(0, result);
        answer = !status && result->getNumericValue() != 0;
    }
    return status;
}

RErr CScript::executeAuthorDefinedMenuCommand(const CRString& functionName) {
    CSymbol* function = nullptr;
    if (parsed && theSymbolTable)
        theSymbolTable->findASymbol(functionName, nullptr, function);
    if (!function) {
        theMiddleInterface->reportRunTimeError(CMiddleInterface::kRunTimeNoMenuFunction,
                                               std::string(), std::string());
        return kNoErr;
    }
    if (function->getSymbolType() != kSymbolUserFnc) {
        bug("Invalid symbol type for menu command (CScript::executeAuthorDefinedMenuCommand)", 0);
        return kErrGeneral;
    }
    CStackFrame frame(function->getSymbolTotalStackFrameSize());
    const RErr status = runTopLevel(*function, frame);
    return status == kStatusStopped ? kNoErr : status;
}
