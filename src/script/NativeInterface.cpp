#include "base/Platform.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/NativeFunctions.h"
#include "storage/CRString.h"

#include <algorithm>
#include <memory>

// The natives that talk to the person at the screen, change the author menus and tools, or
// work on texts.

namespace {

constexpr int32_t kAnswerCreatorTag = 131;
constexpr int32_t kAlertKindOK = 1;
constexpr int32_t kModifierShiftKey = 1;
constexpr int32_t kModifierSecond = 2;
constexpr int32_t kModifierThird = 3;

RErr alert(CNativeCall& call) {
    call.setResult(1);
    SystemAlert(call.text(1).str(), kAlertKindOK);
    return kNoErr;
}

RErr ask(CNativeCall& call) {
    CRString answer(kAnswerCreatorTag);
    const RErr err = call.middleInterface().ask(call.text(1), answer);
    return call.queryResult(err, &answer);
}

RErr beep() {
    SystemBeep();
    return kNoErr;
}

RErr candidate(CNativeCall& call) {
    const CRString* value = call.script().candidateValue();
    if (value)
        call.setResult(*value);
    return kNoErr;
}

RErr message(CNativeCall& call) {
    call.setResult(1);
    return call.actionResult(call.middleInterface().message(call.text(1)));
}

RErr popUp(CNativeCall& call) {
    call.setResult(1);
    const int32_t node = call.node(1);
    const CRString& text = call.text(2);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.middleInterface().popUp(node, text));
}

RErr modifierKey(CNativeCall& call, int32_t which) {
    call.setResult(call.middleInterface().queryModifierKey(which) ? 1 : 0);
    return kNoErr;
}

// A negative duration is no pause at all, and no pause is longer than ten seconds: the one
// thread waits, so a script asking for hours would freeze the program with the student's work.
constexpr int32_t kLongestPause = 10000;

RErr wait(CNativeCall& call) {
    const int32_t milliseconds = call.number(1);
    if (milliseconds > 0)
        SystemPause(std::min(milliseconds, kLongestPause));
    return kNoErr;
}

RErr checkMenuItem(CNativeCall& call, bool on) {
    return call.middleInterface().checkMenuItem(call.script().undoStructure(), call.text(1), on);
}

RErr enableMenuItem(CNativeCall& call, bool on) {
    return call.middleInterface().enableMenuItem(call.script().undoStructure(), call.text(1), on);
}

RErr setMenuLabel(CNativeCall& call) {
    return call.middleInterface().setMenuItemLabel(call.script().undoStructure(), call.text(1),
                                                   call.text(2));
}

RErr toolVisibility(CNativeCall& call, int32_t tool, bool visible) {
    call.setResult(1);
    return call.actionResult(
        call.middleInterface().setToolVisibility(call.script().undoStructure(), tool, visible));
}

// --- Texts ---

RErr contain(CNativeCall& call) {
    call.setResult(call.text(1).contain(call.text(2)) ? 1 : 0);
    return kNoErr;
}

RErr length(CNativeCall& call) {
    call.setResult(call.text(1).characterLength());
    return kNoErr;
}

// Every empty answer is the empty text, also where the cut gives a string without a value.
RErr substring(CNativeCall& call) {
    const std::unique_ptr<CRString> part = call.text(1).substring(call.number(2), call.number(3));
    if (part && part->hasValue())
        call.setResult(*part);
    else
        call.setResult("");
    return kNoErr;
}

} // namespace

bool performInterfaceNative(int32_t number, CNativeCall& call, RErr& err) {
    switch (number) {
    case kNativeAlert:
        err = alert(call);
        return true;
    case kNativeAsk:
        err = ask(call);
        return true;
    case kNativeBeep:
        err = beep();
        return true;
    case kNativeCandidate:
        err = candidate(call);
        return true;
    case kNativeCheckMenuItem:
        err = checkMenuItem(call, true);
        return true;
    case kNativeUncheckMenuItem:
        err = checkMenuItem(call, false);
        return true;
    case kNativeEnableMenuItem:
        err = enableMenuItem(call, true);
        return true;
    case kNativeDisableMenuItem:
        err = enableMenuItem(call, false);
        return true;
    case kNativeSetMenuLabel:
        err = setMenuLabel(call);
        return true;
    case kNativeHideLexicon:
        err = toolVisibility(call, CMiddleInterface::kToolLexicon, false);
        return true;
    case kNativeHideMagnifyingGlass:
        err = toolVisibility(call, CMiddleInterface::kToolMagnifyingGlass, false);
        return true;
    case kNativeHideScissors:
        err = toolVisibility(call, CMiddleInterface::kToolScissors, false);
        return true;
    case kNativeShowLexicon:
        err = toolVisibility(call, CMiddleInterface::kToolLexicon, true);
        return true;
    case kNativeShowMagnifyingGlass:
        err = toolVisibility(call, CMiddleInterface::kToolMagnifyingGlass, true);
        return true;
    case kNativeShowScissors:
        err = toolVisibility(call, CMiddleInterface::kToolScissors, true);
        return true;
    case kNativeMessage:
        err = message(call);
        return true;
    case kNativePopUp:
        err = popUp(call);
        return true;
    case kNativeShiftKey:
        err = modifierKey(call, kModifierShiftKey);
        return true;
    case kNativeSecondModifier:
        err = modifierKey(call, kModifierSecond);
        return true;
    case kNativeThirdModifier:
        err = modifierKey(call, kModifierThird);
        return true;
    case kNativeWait:
        err = wait(call);
        return true;
    case kNativeContain:
        err = contain(call);
        return true;
    case kNativeLength:
        err = length(call);
        return true;
    case kNativeSubstring:
        err = substring(call);
        return true;
    default:
        return false;
    }
}
