// The natives for how nodes are drawn: colours, text styles and triangles.

#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/NativeFunctions.h"
#include "storage/CRString.h"

// The changes are undoable like every other change a script makes.

namespace {

constexpr int32_t kStyleItalic = 1;
constexpr int32_t kStyleBold = 2;
constexpr int32_t kStyleUnderline = 4;
constexpr int32_t kFirstColor = 1;
constexpr int32_t kLastColor = 11;

bool isStyleBit(int32_t style) {
    return style == kStyleItalic || style == kStyleBold || style == kStyleUnderline;
}

} // namespace

RErr nativeAddStyle(CNativeCall& call) {
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

RErr nativeClearStyle(CNativeCall& call) {
    const int32_t node = call.node(1);
    if (call.refused())
        return kNoErr;
    return call.tree().addTextAttribute(node, 0);
}

RErr nativeSetStyle(CNativeCall& call) {
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
RErr nativeHasStyle(CNativeCall& call) {
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

RErr nativeSetColor(CNativeCall& call) {
    const int32_t node = call.node(1);
    const int32_t color = call.number(2);
    if (color < kFirstColor || color > kLastColor)
        call.refuseWith(CMiddleInterface::kRunTimeInvalidColor);
    if (call.refused())
        return kNoErr;
    return call.actionResult(call.tree().setColor(node, color));
}

RErr nativeTranslateColor(CNativeCall& call) {
    call.setResult(CTree::translateColor(call.text(1)));
    return kNoErr;
}

RErr nativeSetTriangle(CNativeCall& call) {
    const int32_t node = call.node(1);
    const int32_t flag = call.number(2);
    if (call.refused())
        return kNoErr;
    return call.tree().setTriangleValue(node, flag != 0 ? 1 : 0);
}

RErr nativeTagColors(CNativeCall& call) {
    return call.actionResult(call.tree().setTagColorsMode());
}
