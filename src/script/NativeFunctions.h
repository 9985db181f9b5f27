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

// The numbers of the native functions, in the order of the native function table.
enum RNative : int32_t {
    kNativeAddStyle = 1,
    kNativeAlert,
    kNativeApply,
    kNativeAsk,
    kNativeAttachDaughterToLeft,
    kNativeAttachDaughterToRight,
    kNativeAutoNodeLabel,
    kNativeBeep,
    kNativeBelongToSameSpine,
    kNativeBottomMax,
    kNativeCCommand,
    kNativeCanApply,
    kNativeCanCompose,
    kNativeCanTagAdjoin,
    kNativeCanUnify,
    kNativeCandidate,
    kNativeCategory,
    kNativeCheckMenuItem,
    kNativeClearStyle,
    kNativeCloneForAdjunction,
    kNativeComplement,
    kNativeCompose,
    kNativeContain,
    kNativeCopyFeatures,
    kNativeCopySubtree,
    kNativeCreateDaughterToLeft,
    kNativeCreateDaughterToRight,
    kNativeDetach,
    kNativeDetachClone,
    kNativeDisableMenuItem,
    kNativeDominate,
    kNativeEnableMenuItem,
    kNativeFoot,
    kNativeGetColor,
    kNativeGetSubscript,
    kNativeGetTriangle,
    kNativeHasDaughters,
    kNativeHasStyle,
    kNativeHead,
    kNativeHideLexicon,
    kNativeHideMagnifyingGlass,
    kNativeHideScissors,
    kNativeHowManyDaughters,
    kNativeHowManyRootNodes,
    kNativeImmediatelyDominate,
    kNativeIsBranchingNode,
    kNativeIsComplementOf,
    kNativeIsFoot,
    kNativeIsHead,
    kNativeIsLeftmostSister,
    kNativeIsMainTerminalNode,
    kNativeIsMaximalProjection,
    kNativeIsRightmostSister,
    kNativeIsRootNode,
    kNativeIsSisterOf,
    kNativeIsSpecOf,
    kNativeKillNode,
    kNativeLabel,
    kNativeLeftSister,
    kNativeLeftmostDaughter,
    kNativeLength,
    kNativeMCommand,
    kNativeMessage,
    kNativeMother,
    kNativeMoveDaughters,
    kNativeNewIndex,
    kNativeNextNode,
    kNativeNonReflexiveDominate,
    kNativePopUp,
    kNativePrecede,
    kNativeProjection,
    kNativeRightSister,
    kNativeRightmostDaughter,
    kNativeSame,
    kNativeSecondModifier,
    kNativeSelection,
    kNativeSetColor,
    kNativeSetMenuLabel,
    kNativeSetNodeCategory,
    kNativeSetNodeLabel,
    kNativeSetNodeProjection,
    kNativeSetOffendingNode,
    kNativeSetSingleOffendingNode,
    kNativeSetStyle,
    kNativeSetSubscript,
    kNativeSetTriangle,
    kNativeShiftKey,
    kNativeShowLexicon,
    kNativeShowMagnifyingGlass,
    kNativeShowScissors,
    kNativeSpec,
    kNativeSubstitute,
    kNativeSubstring,
    kNativeSubtreeTerminalString,
    kNativeTagAdjoin,
    kNativeTerminalString,
    kNativeThirdModifier,
    kNativeTopMax,
    kNativeTurnOffOffendingNodes,
    kNativeTranslateColor,
    kNativeUncheckMenuItem,
    kNativeUnify,
    kNativeWait,
    kNativeTagColors,
};

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

// The groups of natives: each performs the natives it knows and returns false for any other.
bool performRelationNative(int32_t number, CNativeCall& call, RErr& err);
bool performOperationNative(int32_t number, CNativeCall& call, RErr& err);
bool performDrawingNative(int32_t number, CNativeCall& call, RErr& err);
bool performInterfaceNative(int32_t number, CNativeCall& call, RErr& err);
