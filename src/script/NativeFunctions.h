#pragma once

#include "base/ErrorCodes.h"
#include "storage/CRString.h"

#include <cstdint>
#include <memory>
#include <string>

class CMiddleInterface;
class CScript;
class CStackFrame;
class CTree;

// One run of a native function: its arguments, its result slot and the rules every native
// shares. A node argument that fails its check, or a value outside its range, reports the
// run-time error and marks the call refused; the native then skips its operation but still
// reads and checks the arguments after it.
class CNativeCall {
public:
    CNativeCall(CScript& script, CStackFrame& frame, int32_t number);

    CScript& script() { return theScript; }
    CTree& tree();
    CMiddleInterface& middleInterface();

    // The argument's number, or text; an empty value when the slot cannot be read.
    int32_t number(int32_t argument) const;
    const CRString& text(int32_t argument) const;
    // Reads a node argument and checks it; a node that fails calls badNode and refuses.
    int32_t node(int32_t argument);
    // A value outside its range: the run-time error, then a refusal.
    void refuseWith(int32_t runTimeError);
    // The run-time error alone, leaving the result as it is.
    void reportRunTimeError(int32_t runTimeError);
    // The result becomes 0 and the operation is skipped.
    void refuse();
    bool refused() const { return wasRefused; }

    void setResult(int32_t value);
    void setResult(const CRString& value);
    void setResult(const char* text);
    // An action's result: 1 when the operation succeeded, 0 when it failed.
    RErr actionResult(RErr err);
    // A query's result: its output only when it succeeded.
    RErr queryResult(RErr err, int32_t value);
    RErr queryResult(RErr err, const CRString* value);

private:
    CScript& theScript;
    CStackFrame& theFrame;
    int32_t theNumber;
    bool wasRefused = false;
    CRString emptyValue;
};

// The natives' own functions, each named after its native; the native table says which
// native runs which. Natives of a shared shape run the functions of NativeShapes.h.

// Reading the trees (NativeRelations.cpp).
RErr nativeCategory(CNativeCall& call);
RErr nativeGetSubscript(CNativeCall& call);
RErr nativeHowManyRootNodes(CNativeCall& call);
RErr nativeIsMainTerminalNode(CNativeCall& call);
RErr nativeLabel(CNativeCall& call);
RErr nativeNextNode(CNativeCall& call);
RErr nativeSelection(CNativeCall& call);
RErr nativeSubtreeTerminalString(CNativeCall& call);
RErr nativeTerminalString(CNativeCall& call);

// Changing the trees (NativeOperations.cpp).
RErr nativeApply(CNativeCall& call);
RErr nativeAutoNodeLabel(CNativeCall& call);
RErr nativeCanApply(CNativeCall& call);
RErr nativeCanCompose(CNativeCall& call);
RErr nativeCanUnify(CNativeCall& call);
RErr nativeCompose(CNativeCall& call);
RErr nativeDetach(CNativeCall& call);
RErr nativeKillNode(CNativeCall& call);
RErr nativeNewIndex(CNativeCall& call);
RErr nativeSetNodeCategory(CNativeCall& call);
RErr nativeSetNodeLabel(CNativeCall& call);
RErr nativeSetNodeProjection(CNativeCall& call);
RErr nativeSetOffendingNode(CNativeCall& call);
RErr nativeSetSingleOffendingNode(CNativeCall& call);
RErr nativeSetSubscript(CNativeCall& call);
RErr nativeSubstitute(CNativeCall& call);
RErr nativeTagAdjoin(CNativeCall& call);
RErr nativeTurnOffOffendingNodes(CNativeCall& call);

// How nodes are drawn (NativeDrawing.cpp).
RErr nativeAddStyle(CNativeCall& call);
RErr nativeClearStyle(CNativeCall& call);
RErr nativeHasStyle(CNativeCall& call);
RErr nativeSetColor(CNativeCall& call);
RErr nativeSetStyle(CNativeCall& call);
RErr nativeSetTriangle(CNativeCall& call);
RErr nativeTagColors(CNativeCall& call);
RErr nativeTranslateColor(CNativeCall& call);

// The person at the screen, the author menus and tools, texts (NativeInterface.cpp).
RErr nativeAlert(CNativeCall& call);
RErr nativeAsk(CNativeCall& call);
RErr nativeBeep(CNativeCall& call);
RErr nativeCandidate(CNativeCall& call);
RErr nativeCheckMenuItem(CNativeCall& call);
RErr nativeContain(CNativeCall& call);
RErr nativeDisableMenuItem(CNativeCall& call);
RErr nativeEnableMenuItem(CNativeCall& call);
RErr nativeHideLexicon(CNativeCall& call);
RErr nativeHideMagnifyingGlass(CNativeCall& call);
RErr nativeHideScissors(CNativeCall& call);
RErr nativeLength(CNativeCall& call);
RErr nativeMessage(CNativeCall& call);
RErr nativePopUp(CNativeCall& call);
RErr nativeSecondModifier(CNativeCall& call);
RErr nativeSetMenuLabel(CNativeCall& call);
RErr nativeShiftKey(CNativeCall& call);
RErr nativeShowLexicon(CNativeCall& call);
RErr nativeShowMagnifyingGlass(CNativeCall& call);
RErr nativeShowScissors(CNativeCall& call);
RErr nativeSubstring(CNativeCall& call);
RErr nativeThirdModifier(CNativeCall& call);
RErr nativeUncheckMenuItem(CNativeCall& call);
RErr nativeWait(CNativeCall& call);
