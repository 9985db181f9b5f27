#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/NativeFunctions.h"
#include "storage/CRString.h"

// The natives for how nodes are drawn: colours, text styles and triangles. The
// changes are undoable like every other change a script makes.

namespace {

constexpr int32_t kStyleItalic = 1;
constexpr int32_t kStyleBold = 2;
constexpr int32_t kStyleUnderline = 4;
constexpr int32_t kFirstColor = 1;
constexpr int32_t kLastColor = 11;

bool isStyleBit(int32_t style) {
    return style == kStyleItalic || style == kStyleBold || style == kStyleUnderline;
}

RErr addStyle(CNativeCall& call) {
    call.setResult(1);
    const int32_t node = call.node(1);
    const int32_t style = call.number(2);
    // A bad style is reported, but the answer stays 1: only the node check
    // refuses here.
    if (style != 0 && !isStyleBit(style)) {
        call.reportRunTimeError(CMiddleInterface::kRunTimeInvalidTextStyle);
        return kNoErr;
    }
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().addTextAttribute(node, style));
}

RErr clearStyle(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    return call.tree().addTextAttribute(node, 0);
}

RErr setStyle(CNativeCall& call) {
    call.setResult(1);
    const int32_t node = call.node(1);
    const int32_t style = call.number(2);
    if (!isStyleBit(style))
        call.refuseWith(CMiddleInterface::kRunTimeInvalidTextStyle);
    if (call.refused())
        return kNoErr;
    RErr err = call.tree().addTextAttribute(node, 0);
    if (!err)
        err = call.tree().addTextAttribute(node, style);
    return call.actionResult(err);
}

// Any style but a single bit is simply not there.
RErr hasStyle(CNativeCall& call) {
    const int32_t node = call.node(1);
    const int32_t style = call.number(2);
    if (call.refused())
        return kNoErr;
    if (!isStyleBit(style)) {
        call.setResult(0);
        return kNoErr;
    }
    int32_t has = 0;
    const RErr err = call.tree().hasTextAttribute(node, style, has);
    return call.queryResult(err, has);
}

RErr getColor(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t color = 0;
    const RErr err = call.tree().getColor(node, color);
    return call.queryResult(err, color);
}

RErr setColor(CNativeCall& call) {
    call.setResult(1);
    const int32_t node = call.node(1);
    const int32_t color = call.number(2);
    if (color < kFirstColor || color > kLastColor)
        call.refuseWith(CMiddleInterface::kRunTimeInvalidColor);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().setColor(node, color));
}

RErr translateColor(CNativeCall& call) {
    call.setResult(CTree::translateColor(call.text(1)));
    return kNoErr;
}

RErr getTriangle(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    int32_t value = 0;
    const RErr err = call.tree().getTriangleValue(node, value);
    return call.queryResult(err, value);
}

RErr setTriangle(CNativeCall& call) {
    const int32_t node = call.node(1);
    const int32_t flag = call.number(2);
    if (call.refused())
        return kNoErr;
    return call.tree().setTriangleValue(node, flag != 0 ? 1 : 0);
}

RErr tagColors(CNativeCall& call) {
    call.setResult(1);
    return call.actionResult(call.tree().setTagColorsMode());
}

} // namespace

bool performDrawingNative(int32_t number, CNativeCall& call, RErr& err) {
    switch (number) {
    case kNativeAddStyle:
        err = addStyle(call);
        return true;
    case kNativeClearStyle:
        err = clearStyle(call);
        return true;
    case kNativeGetColor:
        err = getColor(call);
        return true;
    case kNativeGetTriangle:
        err = getTriangle(call);
        return true;
    case kNativeHasStyle:
        err = hasStyle(call);
        return true;
    case kNativeSetColor:
        err = setColor(call);
        return true;
    case kNativeSetStyle:
        err = setStyle(call);
        return true;
    case kNativeSetTriangle:
        err = setTriangle(call);
        return true;
    case kNativeTagColors:
        err = tagColors(call);
        return true;
    case kNativeTranslateColor:
        err = translateColor(call);
        return true;
    default:
        return false;
    }
}
