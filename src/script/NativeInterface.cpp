// The natives for the person at the screen, the author menus and tools, and texts.

#include "base/Platform.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/NativeFunctions.h"
#include "storage/CRString.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int32_t kAnswerCreatorTag = 131;
constexpr int32_t kAlertKindOK = 1;
constexpr int32_t kModifierShiftKey = 1;
constexpr int32_t kModifierSecond = 2;
constexpr int32_t kModifierThird = 3;

RErr modifierKey(CNativeCall& call, int32_t which) {
    call.setResult(call.middleInterface().queryModifierKey(which) ? 1 : 0);
    return kNoErr;
}

RErr checkMenuItem(CNativeCall& call, bool on) {
    return call.middleInterface().checkMenuItem(call.script().undoStructure(), call.text(1), on);
}

RErr enableMenuItem(CNativeCall& call, bool on) {
    return call.middleInterface().enableMenuItem(call.script().undoStructure(), call.text(1), on);
}

RErr toolVisibility(CNativeCall& call, int32_t tool, bool visible) {
    return call.actionResult(
        call.middleInterface().setToolVisibility(call.script().undoStructure(), tool, visible));
}

} // namespace

RErr nativeAlert(CNativeCall& call) {
    SystemAlert(call.text(1).str(), kAlertKindOK);
    return kNoErr;
}

RErr nativeAsk(CNativeCall& call) {
    CRString answer(kAnswerCreatorTag);
    const RErr err = call.middleInterface().ask(call.text(1), answer);
    return call.queryResult(err, &answer);
}

RErr nativeBeep(CNativeCall&) {
    SystemBeep();
    return kNoErr;
}

RErr nativeCandidate(CNativeCall& call) {
    const CRString* value = call.script().candidateValue();
    if (value)
        call.setResult(*value);
    return kNoErr;
}

RErr nativeMessage(CNativeCall& call) {
    return call.actionResult(call.middleInterface().message(call.text(1)));
}

RErr nativePopUp(CNativeCall& call) {
    const int32_t node = call.node(1);
    const CRString& text = call.text(2);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.middleInterface().popUp(node, text));
}

// A negative duration is no pause at all, and no pause is longer than ten seconds: the one
// thread waits, so a script asking for hours would freeze the program with the student's work.
constexpr int32_t kLongestPause = 10000;

RErr nativeWait(CNativeCall& call) {
    const int32_t milliseconds = call.number(1);
    if (milliseconds > 0)
        SystemPause(std::min(milliseconds, kLongestPause));
    return kNoErr;
}

RErr nativeSetMenuLabel(CNativeCall& call) {
    return call.middleInterface().setMenuItemLabel(call.script().undoStructure(), call.text(1),
                                                   call.text(2));
}

// --- Author menus, tools and modifier keys ---

RErr nativeCheckMenuItem(CNativeCall& call) {
    return checkMenuItem(call, true);
}

RErr nativeUncheckMenuItem(CNativeCall& call) {
    return checkMenuItem(call, false);
}

RErr nativeEnableMenuItem(CNativeCall& call) {
    return enableMenuItem(call, true);
}

RErr nativeDisableMenuItem(CNativeCall& call) {
    return enableMenuItem(call, false);
}

RErr nativeHideLexicon(CNativeCall& call) {
    return toolVisibility(call, CMiddleInterface::kToolLexicon, false);
}

RErr nativeHideMagnifyingGlass(CNativeCall& call) {
    return toolVisibility(call, CMiddleInterface::kToolMagnifyingGlass, false);
}

RErr nativeHideScissors(CNativeCall& call) {
    return toolVisibility(call, CMiddleInterface::kToolScissors, false);
}

RErr nativeShowLexicon(CNativeCall& call) {
    return toolVisibility(call, CMiddleInterface::kToolLexicon, true);
}

RErr nativeShowMagnifyingGlass(CNativeCall& call) {
    return toolVisibility(call, CMiddleInterface::kToolMagnifyingGlass, true);
}

RErr nativeShowScissors(CNativeCall& call) {
    return toolVisibility(call, CMiddleInterface::kToolScissors, true);
}

RErr nativeShiftKey(CNativeCall& call) {
    return modifierKey(call, kModifierShiftKey);
}

RErr nativeSecondModifier(CNativeCall& call) {
    return modifierKey(call, kModifierSecond);
}

RErr nativeThirdModifier(CNativeCall& call) {
    return modifierKey(call, kModifierThird);
}

// --- Texts ---

RErr nativeContain(CNativeCall& call) {
    call.setResult(call.text(1).contain(call.text(2)) ? 1 : 0);
    return kNoErr;
}

RErr nativeLength(CNativeCall& call) {
    call.setResult(call.text(1).characterLength());
    return kNoErr;
}

// Every empty answer is the empty text, also where the cut gives a string without a value.
RErr nativeSubstring(CNativeCall& call) {
    const std::unique_ptr<CRString> part = call.text(1).substring(call.number(2), call.number(3));
    if (part && part->hasValue())
        call.setResult(*part);
    else
        call.setResult("");
    return kNoErr;
}
