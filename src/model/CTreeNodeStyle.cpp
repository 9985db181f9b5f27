// CTree's node styles: colours and text attributes.

#include "model/CTree.h"

#include "base/ErrorReporter.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

RErr CTree::setColor(int32_t node, int32_t color) {
    RErr err = validateNodeWithError(node);
    if (!err)
        err = dataTask(node, kAttrColor, color);
    return reportError("CTree::setColor", err);
}

RErr CTree::getColor(int32_t node, int32_t& color) const {
    return readNodeCell("CTree::getColor", node, kAttrColor, color);
}

int32_t CTree::translateColor(const CRString& name) {
    static const char* const names[] = {"black", "white", "gray",   "red",  "orange", "yellow",
                                        "green", "blue",  "violet", "cyan", "magenta"};
    for (int32_t i = 0; i < 11; ++i)
        if (CRString::equalString(name, names[i], true, false))
            return i + 1;
    return 1;
}

RErr CTree::addTextAttribute(int32_t node, int32_t style) {
    RErr err = validateNodeWithError(node);
    if (!err) {
        const int32_t bits = style == 0 ? 0 : (tablet().cell(node, kAttrTextStyle) | style);
        err = dataTask(node, kAttrTextStyle, bits);
    }
    return reportError("CTree::addTextAttribute", err);
}

RErr CTree::hasTextAttribute(int32_t node, int32_t style, int32_t& result) const {
    result = 0;
    RErr err = validateNodeWithError(node);
    if (!err && style != 1 && style != 2 && style != 4)
        err = kErrInvalidParameter;
    if (!err)
        result = (tablet().cell(node, kAttrTextStyle) & style) != 0 ? 1 : 0;
    return reportError("CTree::hasTextAttribute", err);
}
