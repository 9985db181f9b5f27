#include "script/NativeFunctions.h"

#include "base/ErrorReporter.h"
#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/CStackFrame.h"
#include "script/NativeFunctionTable.h"

#include <ostream>
#include <string>

namespace {

constexpr int32_t kNativeResultCreatorTag = 130;
constexpr const char* kNoSuchNative =
    "Internal error: no such native function (CScript::performNativeFunction)";

} // namespace

// --- The rules every native shares ---

CNativeCall::CNativeCall(CScript& script, CStackFrame& frame, int32_t number)
    : theScript(script), theFrame(frame), theNumber(number), emptyValue(kNativeResultCreatorTag) {}

CTree& CNativeCall::tree() {
    return theScript.tree();
}

CMiddleInterface& CNativeCall::middleInterface() {
    return theScript.middleInterface();
}

int32_t CNativeCall::number(int32_t argument) const {
    return text(argument).getNumericValue();
}

const CRString& CNativeCall::text(int32_t argument) const {
    const CRString* value = nullptr;
    if (theFrame.getField(argument, value) || !value)
        return emptyValue;
    return *value;
}

int32_t CNativeCall::node(int32_t argument) {
    const int32_t value = number(argument);
    if (!tree().verifyNode(value)) {
        theScript.badNode(theNumber);
        refuse();
    }
    return value;
}

void CNativeCall::refuseWith(int32_t runTimeError) {
    reportRunTimeError(runTimeError);
    refuse();
}

void CNativeCall::reportRunTimeError(int32_t runTimeError) {
    theScript.reportRunTimeError(runTimeError);
}

void CNativeCall::refuse() {
    setResult(0);
    wasRefused = true;
}

void CNativeCall::setResult(int32_t value) {
    CRString result(kNativeResultCreatorTag);
    result.setNumericValue(value);
    setResult(result);
}

void CNativeCall::setResult(const CRString& value) {
    theFrame.setField(0, value);
}

void CNativeCall::setResult(const char* text) {
    setResult(CRString(text, kNativeResultCreatorTag));
}

RErr CNativeCall::actionResult(RErr err) {
    if (err)
        setResult(0);
    return err;
}

RErr CNativeCall::queryResult(RErr err, int32_t value) {
    if (!err)
        setResult(value);
    return err;
}

RErr CNativeCall::queryResult(RErr err, const CRString* value) {
    if (!err)
        setResult(value ? *value : CRString("", kNativeResultCreatorTag));
    return err;
}

// --- CScript's entry points ---

RErr CScript::performNativeFunction(int32_t number, CStackFrame& frame) {
    const RNativeFunction* entry = nativeFunction(number);
    if (!entry) {
        bug(kNoSuchNative, kNoErr);
        return kErrInvalidParameter;
    }
    setExecutingNativeFunction(entry->name);
    CNativeCall call(*this, frame, number);
    if (entry->result == RNativeResult::Action)
        call.setResult(1);
    const RErr err = entry->run(call);
    setExecutingNativeFunction(std::string());
    return err;
}

void CScript::badNode(int32_t number) {
    const RNativeFunction* entry = nativeFunction(number);
    const char* name = entry ? entry->name : "";
    reportRunTimeError(CMiddleInterface::kRunTimeInvalidNode);
    if (traceOutput)
        *traceOutput << "Debugging alert: an invalid node was passed to native function " << name
                     << "\n";
}
