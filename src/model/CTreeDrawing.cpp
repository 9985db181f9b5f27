// CTree's drawing: node positions and rectangles, painting, hit tests, drawing preferences.

#include "model/CTree.h"

#include "base/ErrorReporter.h"
#include "drawing/CPort.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <algorithm>
#include <new>
#include <utility>

// Drawing: positions are assigned top-down while each tree is painted through the port, and
// every node's box and the box of its subtree are kept for hit testing. With the port
// suspended the same pass only positions. The walks keep their own stacks.

namespace {

int32_t clampToDocument(int32_t value) {
    return std::clamp(value, -kMostCoordinate, kMostCoordinate);
}

constexpr int32_t kSubscriptDrop = 4;
constexpr int32_t kSmallestBoxHeight = 5;
constexpr int32_t kLargestBoxHeight = 150;
// The largest size the font commands store; a label set in it is no fault, so the check's
// upper bound grows to twice its height on the port's device.
constexpr int32_t kLargestFontPoints = 144;

} // namespace

void CTree::readRect(int32_t node, int32_t firstAttribute, RRect& rect) const {
    rect.left = cellOrZero(node, firstAttribute);
    rect.top = cellOrZero(node, firstAttribute + 1);
    rect.right = cellOrZero(node, firstAttribute + 2);
    rect.bottom = cellOrZero(node, firstAttribute + 3);
}

void CTree::writeRect(int32_t node, int32_t firstAttribute, const RRect& rect) {
    setCellDirectly(node, firstAttribute, rect.left);
    setCellDirectly(node, firstAttribute + 1, rect.top);
    setCellDirectly(node, firstAttribute + 2, rect.right);
    setCellDirectly(node, firstAttribute + 3, rect.bottom);
}

// --- Points and rectangles ---

RErr CTree::setAbsolutePoint(int32_t root, const RPoint& point) {
    RErr err = validateRootWithError(root);
    // Held where a saved document may hold it, so that the document can be opened again.
    if (!err)
        err = dataTask(root, kAttrAbsoluteH, clampToDocument(point.h));
    if (!err)
        err = dataTask(root, kAttrAbsoluteV, clampToDocument(point.v));
    return reportError("CTree::setAbsolutePoint", err);
}

RErr CTree::setAbsolutePointNoUndo(int32_t root, const RPoint& point) {
    const RErr err = validateRootWithError(root);
    if (!err) {
        setCellDirectly(root, kAttrAbsoluteH, clampToDocument(point.h));
        setCellDirectly(root, kAttrAbsoluteV, clampToDocument(point.v));
    }
    return reportError("CTree::setAbsolutePointNoUndo", err);
}

RErr CTree::getAbsolutePoint(int32_t root, RPoint& point) const {
    point = RPoint{};
    const RErr err = validateRootWithError(root);
    if (!err)
        point =
            RPoint{theTablet->cell(root, kAttrAbsoluteV), theTablet->cell(root, kAttrAbsoluteH)};
    return reportError("CTree::getAbsolutePoint", err);
}

RErr CTree::setRelativePoint(int32_t node, const RPoint& point) {
    const RErr err = validateNodeWithError(node);
    if (!err) {
        setCellDirectly(node, kAttrRelativeH, point.h);
        setCellDirectly(node, kAttrRelativeV, point.v);
    }
    return reportError("CTree::setRelativePoint", err);
}

RErr CTree::getRelativePoint(int32_t node, RPoint& point) const {
    point = RPoint{};
    const RErr err = validateNodeWithError(node);
    if (!err)
        point =
            RPoint{theTablet->cell(node, kAttrRelativeV), theTablet->cell(node, kAttrRelativeH)};
    return reportError("CTree::getRelativePoint", err);
}

RErr CTree::getNodeRect(int32_t node, RRect& rect) const {
    rect = RRect{};
    const RErr err = validateNodeWithError(node);
    if (!err)
        readRect(node, kAttrNodeRectLeft, rect);
    return reportError("CTree::getNodeRect", err);
}

RErr CTree::getNodeCumulativeRect(int32_t node, RRect& rect) {
    rect = RRect{};
    RErr err = validateNodeWithError(node);
    if (!err && theTablet->cell(node, kAttrMother) == 0 && theTablet->cell(node, kAttrDirty) != 0) {
        err = requirePort();
        if (!err) {
            const bool wasSuspended = thePort->isDrawingSuspended();
            thePort->suspendDrawing();
            err = drawTree(node, false);
            if (!wasSuspended)
                thePort->resumeDrawing();
        }
    }
    if (!err)
        readRect(node, kAttrCumulativeRectLeft, rect);
    return reportError("CTree::getNodeCumulativeRect", err);
}

RErr CTree::centerTreeInRect(int32_t root, const RRect& rect, RPoint& point) {
    point = RPoint{};
    RRect cumulative;
    RRect own;
    RErr err = validateRootWithError(root);
    if (!err)
        err = getNodeCumulativeRect(root, cumulative);
    if (!err)
        err = getNodeRect(root, own);
    if (!err) {
        point.v =
            rect.top + (rect.bottom - rect.top) / 2 - (cumulative.bottom - cumulative.top) / 2;
        point.h = rect.left + (rect.right - rect.left) / 2 +
                  ((own.left + own.right) / 2 -
                   (cumulative.left + (cumulative.right - cumulative.left) / 2));
    }
    return reportError("CTree::centerTreeInRect", err);
}

RErr CTree::roofBox(int32_t node, RRect& box) {
    // The roof hangs below the node's own box, as wide, down to the bottom of its string.
    readRect(node, kAttrNodeRectLeft, box);
    bool anySubscript = false;
    int32_t current = node;
    for (;;) {
        const int32_t first = theTablet->cell(current, kAttrLeftmostDaughter);
        if (first != 0) {
            current = first;
            continue;
        }
        anySubscript = anySubscript || theTablet->cell(current, kAttrSubscript) != 0;
        while (current != node && theTablet->cell(current, kAttrNextSister) == 0)
            current = theTablet->cell(current, kAttrMother);
        if (current == node)
            break;
        current = theTablet->cell(current, kAttrNextSister);
    }
    const int32_t y = theTablet->cell(node, kAttrRelativeV);
    const int32_t pitch = fontHeight + verticalPadding + lineHeight + verticalPadding;
    box.bottom = y + pitch + fontHeight + 1 + (anySubscript ? kSubscriptDrop : 0);
    return kNoErr;
}

RErr CTree::calculateCumulativeRect(int32_t node) {
    RErr err = validateNodeWithError(node);
    if (err)
        return reportError("CTree::calculateCumulativeRect", err);
    try {
        // Post-order: each entry is a node and the daughter to descend into next. Daughters
        // under a roof are neither positioned nor drawn, so their old boxes are left out; the
        // roof and its string count instead.
        std::vector<std::pair<int32_t, int32_t>> pending;
        const auto firstVisible = [&](int32_t n) {
            return isRoofed(n) ? 0 : theTablet->cell(n, kAttrLeftmostDaughter);
        };
        pending.emplace_back(node, firstVisible(node));
        while (!pending.empty() && !err) {
            auto& [current, nextDaughter] = pending.back();
            if (nextDaughter != 0) {
                const int32_t daughter = nextDaughter;
                nextDaughter = theTablet->cell(daughter, kAttrNextSister);
                pending.emplace_back(daughter, firstVisible(daughter));
                continue;
            }
            RRect cumulative;
            readRect(current, kAttrNodeRectLeft, cumulative);
            if (isRoofed(current) && theTablet->cell(current, kAttrLeftmostDaughter) != 0) {
                RRect roof;
                err = roofBox(current, roof);
                CPort::unionRect(roof, cumulative);
            } else {
                for (int32_t d = theTablet->cell(current, kAttrLeftmostDaughter); d != 0;
                     d = theTablet->cell(d, kAttrNextSister)) {
                    RRect below;
                    readRect(d, kAttrCumulativeRectLeft, below);
                    CPort::unionRect(below, cumulative);
                }
            }
            writeRect(current, kAttrCumulativeRectLeft, cumulative);
            pending.pop_back();
        }
    } catch (const std::bad_alloc&) {
        err = kErrMallocFailed;
    }
    return reportError("CTree::calculateCumulativeRect", err);
}

// --- Drawing ---

RErr CTree::drawTree(int32_t root, bool performOffset) {
    RErr err = validateRootWithError(root);
    if (!err)
        err = requirePort();
    if (err)
        return reportError("CTree::drawTree", err);
    halfSpaceWidth = thePort->getStringWidth(" ") / 2;
    fontHeight = thePort->getCurrentFontHeight();
    // A thickness the port refuses is reported there; the tree is drawn with the pen it has.
    thePort->setThickness(thickness);
    RPoint point{theTablet->cell(root, kAttrAbsoluteV), theTablet->cell(root, kAttrAbsoluteH)};
    if (performOffset) {
        point.h = clampToLayout(int64_t{point.h} - hOffset);
        point.v = clampToLayout(int64_t{point.v} - vOffset);
    }
    setCellDirectly(root, kAttrRelativeH, point.h);
    setCellDirectly(root, kAttrRelativeV, point.v);
    err = prepareTree(root);
    if (!err) {
        thePort->startDrawing();
        err = drawNodeAndBelow(root);
        if (!err)
            err = calculateCumulativeRect(root);
        thePort->finishDrawing();
    }
    return reportError("CTree::drawTree", err);
}

RErr CTree::enterNodeForDrawing(int32_t node, int32_t& firstDaughter) {
    firstDaughter = 0;
    const int32_t x = theTablet->cell(node, kAttrRelativeH);
    const int32_t y = theTablet->cell(node, kAttrRelativeV);
    RRect box{y - 1, 0, y + fontHeight + 1, 0};
    RErr err = kNoErr;
    if (isRoofed(node)) {
        int32_t half = 0;
        err = getTriangleStringHalfWidth(node, half);
        box.left = x - half;
        box.right = x + half;
    } else {
        int32_t half = 0;
        err = realHalfWidth(node, half);
        box.left = x - half - 1;
        box.right = x + half + 1;
        firstDaughter = theTablet->cell(node, kAttrLeftmostDaughter);
    }
    if (err)
        return err;
    writeRect(node, kAttrNodeRectLeft, box);
    const int32_t height = box.bottom - box.top;
    const int32_t largest =
        std::max(kLargestBoxHeight, 2 * thePort->pixelsForPoints(kLargestFontPoints) + 2);
    if (height < kSmallestBoxHeight || height > largest)
        bug("CTree::drawNodeAndBelow", kNoErr);
    return kNoErr;
}

RErr CTree::drawBranchTo(int32_t mother, int32_t daughter) {
    const int32_t x = theTablet->cell(mother, kAttrRelativeH);
    const int32_t y = theTablet->cell(mother, kAttrRelativeV);
    const int32_t pitch = fontHeight + verticalPadding + lineHeight + verticalPadding;
    const RPoint at{clampToLayout(int64_t{y} + pitch),
                    clampToLayout(int64_t{x} + theTablet->cell(daughter, kAttrXOffset))};
    setCellDirectly(daughter, kAttrRelativeH, at.h);
    setCellDirectly(daughter, kAttrRelativeV, at.v);
    const int32_t motherColor = theTablet->cell(mother, kAttrColor);
    thePort->setColor(kColorBlack);
    if (tagColorsMode != 0 || motherColor == theTablet->cell(daughter, kAttrColor))
        thePort->setColor(motherColor);
    thePort->drawLine(RPoint{y + fontHeight + verticalPadding, x},
                      RPoint{at.v - verticalPadding, at.h});
    return kNoErr;
}

RErr CTree::drawRoof(int32_t node) {
    const int32_t x = theTablet->cell(node, kAttrRelativeH);
    const int32_t y = theTablet->cell(node, kAttrRelativeV);
    int32_t w = 0;
    RErr err = getTriangleStringHalfWidth(node, w);
    if (err)
        return err;
    w -= halfSpaceWidth;
    const RPoint apex{y + fontHeight + verticalPadding, x};
    const int32_t base = apex.v + lineHeight;
    thePort->moveTo(apex);
    thePort->lineTo(x - w, base);
    thePort->lineTo(x + w, base);
    thePort->lineTo(apex);
    // The leaves' string, on the row below, in the style and colour of the moment.
    const int32_t pitch = fontHeight + verticalPadding + lineHeight + verticalPadding;
    thePort->moveTo(x - w, y + pitch + fontHeight);
    int32_t current = node;
    for (;;) {
        const int32_t first = theTablet->cell(current, kAttrLeftmostDaughter);
        if (first != 0) {
            current = first;
            continue;
        }
        thePort->drawString(textOfCell(current, kAttrLabel));
        thePort->move(0, kSubscriptDrop);
        thePort->drawString(textOfCell(current, kAttrSubscript));
        thePort->move(0, -kSubscriptDrop);
        thePort->drawString(" ");
        while (current != node && theTablet->cell(current, kAttrNextSister) == 0)
            current = theTablet->cell(current, kAttrMother);
        if (current == node)
            break;
        current = theTablet->cell(current, kAttrNextSister);
    }
    return kNoErr;
}

RErr CTree::paintNode(int32_t node) {
    const int32_t x = theTablet->cell(node, kAttrRelativeH);
    const int32_t y = theTablet->cell(node, kAttrRelativeV);
    int32_t half = 0;
    const RErr err = realHalfWidth(node, half);
    if (err)
        return err;
    const bool hasSubscript =
        theTablet->cell(node, kAttrSubscript) != 0 && textOfCell(node, kAttrSubscript)[0] != '\0';
    RRect box{y + 2, x - half, y + fontHeight + (hasSubscript ? kSubscriptDrop : 0), x + half};
    CPort::insetRect(box, -1, -1);
    if (theTablet->cell(node, kAttrOffending) != 0) {
        thePort->setColor(kColorRed);
        CPort::insetRect(box, -2, -2);
        thePort->frameRect(box);
        thePort->setColor(kColorBlack);
        CPort::insetRect(box, 2, 2);
    }
    const bool selected = theTablet->cell(node, kAttrSelected) != 0;
    thePort->setColor(selected ? kColorBlack : kColorWhite);
    thePort->fillRect(box);
    thePort->moveTo(x - half, y + fontHeight);
    thePort->setTextAttributes(theTablet->cell(node, kAttrTextStyle));
    const int32_t color = theTablet->cell(node, kAttrColor);
    thePort->setColor(selected && color == kColorBlack ? kColorWhite : color);
    thePort->drawString(textOfCell(node, kAttrLabel));
    thePort->move(0, kSubscriptDrop);
    thePort->drawString(textOfCell(node, kAttrSubscript));
    return kNoErr;
}

RErr CTree::drawNodeAndBelow(int32_t node) {
    RErr err = validateNodeWithError(node);
    if (!err)
        err = requirePort();
    if (err)
        return reportError("CTree::drawNodeAndBelow", err);
    try {
        // Each entry is a node being drawn and its next daughter; a node is painted after
        // its lines and daughters, so its box covers the ends of the lines.
        std::vector<std::pair<int32_t, int32_t>> pending;
        int32_t first = 0;
        err = enterNodeForDrawing(node, first);
        if (!err)
            pending.emplace_back(node, first);
        while (!pending.empty() && !err) {
            auto& [current, nextDaughter] = pending.back();
            if (nextDaughter != 0) {
                const int32_t mother = current;
                const int32_t daughter = nextDaughter;
                nextDaughter = theTablet->cell(daughter, kAttrNextSister);
                err = drawBranchTo(mother, daughter);
                if (!err)
                    err = enterNodeForDrawing(daughter, first);
                if (!err)
                    pending.emplace_back(daughter, first);
                continue;
            }
            const int32_t done = current;
            pending.pop_back();
            if (isRoofed(done) && theTablet->cell(done, kAttrLeftmostDaughter) != 0)
                err = drawRoof(done);
            if (!err)
                err = paintNode(done);
            thePort->setColor(kColorBlack);
        }
    } catch (const std::bad_alloc&) {
        err = kErrMallocFailed;
    }
    return reportError("CTree::drawNodeAndBelow", err);
}

RErr CTree::drawAllTrees() {
    RErr err = kNoErr;
    for (int32_t root = cellOrZero(kHeaderRecord, kHdrFirstRoot); root != 0 && !err;
         root = cellOrZero(root, kAttrNextRoot))
        if (cellOrZero(root, kAttrWhereIsTree) == kTreeOnWorkArea)
            err = drawTree(root, true);
    return reportError("CTree::drawAllTrees", err);
}

RErr CTree::drawOneTreeAtATemporaryAbsoluteLocation(int32_t root, const RPoint& point) {
    RPoint saved;
    RErr err = getAbsolutePoint(root, saved);
    if (!err)
        err = setAbsolutePointNoUndo(root, point);
    if (!err) {
        err = drawTree(root, false);
        setAbsolutePointNoUndo(root, saved);
    }
    return reportError("CTree::drawOneTreeAtATemporaryAbsoluteLocation", err);
}

RErr CTree::allTreesDirty() {
    // Written directly: a layout flag left set costs one layout, and undo must not clear it.
    for (int32_t root = cellOrZero(kHeaderRecord, kHdrFirstRoot); root != 0;
         root = cellOrZero(root, kAttrNextRoot))
        setCellDirectly(root, kAttrDirty, 1);
    return kNoErr;
}

// --- Hit testing ---

RErr CTree::hitTestThisNodeAndBelow(const RPoint& point, int32_t node, int32_t& hit) {
    hit = 0;
    RErr err = validateNodeWithError(node);
    if (err)
        return reportError("CTree::hitTestThisNodeAndBelow", err);
    try {
        // Pre-order with pruning: the first node, left to right, whose own box holds the
        // point wins; a subtree whose box does not hold it is skipped whole.
        std::vector<int32_t> pending{node};
        std::vector<int32_t> daughters;
        while (!pending.empty()) {
            const int32_t current = pending.back();
            pending.pop_back();
            RRect box;
            readRect(current, kAttrCumulativeRectLeft, box);
            if (!CPort::pointInRect(point, box))
                continue;
            readRect(current, kAttrNodeRectLeft, box);
            if (CPort::pointInRect(point, box)) {
                hit = current;
                break;
            }
            if (isRoofed(current))
                continue;
            daughters.clear();
            for (int32_t d = theTablet->cell(current, kAttrLeftmostDaughter); d != 0;
                 d = theTablet->cell(d, kAttrNextSister))
                daughters.push_back(d);
            pending.insert(pending.end(), daughters.rbegin(), daughters.rend());
        }
    } catch (const std::bad_alloc&) {
        err = kErrMallocFailed;
    }
    return reportError("CTree::hitTestThisNodeAndBelow", err);
}

RErr CTree::hitTestOneTreeOnly(int32_t root, const RPoint& point, int32_t& node) {
    node = 0;
    RErr err = validateRootWithError(root);
    if (!err)
        err = hitTestThisNodeAndBelow(point, root, node);
    return reportError("CTree::hitTestOneTreeOnly", err);
}

RErr CTree::hitTest(const RPoint& point, int32_t whereIsTree, int32_t& node) {
    node = 0;
    RErr err = kNoErr;
    for (int32_t root = cellOrZero(kHeaderRecord, kHdrFirstRoot); root != 0 && !err && node == 0;
         root = cellOrZero(root, kAttrNextRoot))
        if (cellOrZero(root, kAttrWhereIsTree) == whereIsTree)
            err = hitTestThisNodeAndBelow(point, root, node);
    return reportError("CTree::hitTest", err);
}

// --- Roofs and preferences ---

RErr CTree::getTriangleValue(int32_t node, int32_t& value) const {
    return readNodeCell("CTree::getTriangleValue", node, kAttrTriangle, value);
}

RErr CTree::setTriangleValue(int32_t node, int32_t value) {
    RErr err = validateNodeWithError(node);
    if (!err && value != 0 && value != 1)
        err = kErrInvalidParameter;
    if (!err)
        err = dataTask(node, kAttrTriangle, value);
    if (!err)
        err = treeDirty(node);
    return reportError("CTree::setTriangleValue", err);
}

RErr CTree::setDrawingPref(int32_t which, int32_t value, const CRString* fontName) {
    RErr err = kNoErr;
    switch (which) {
    case kHdrFontName:
        err = stringTask(kHeaderRecord, kHdrFontName, fontName);
        break;
    case kHdrFontSize:
        // Sizes the menus cannot offer would make unreadable or enormous trees.
        err =
            value < 8 || value > 144 ? kErrInvalidParameter : dataTask(kHeaderRecord, which, value);
        break;
    case kHdrThickness:
        err = value < 0 || value > 2 ? kErrInvalidParameter : dataTask(kHeaderRecord, which, value);
        break;
    case kHdrHorizontalPadding:
    case kHdrVerticalPadding:
    case kHdrLineHeight:
        err = dataTask(kHeaderRecord, which, value);
        break;
    default:
        err = kErrInvalidParameter;
    }
    if (!err)
        err = copyDrawingParametersFromTablet();
    return reportError("CTree::setDrawingPref", err);
}

RErr CTree::getDrawingPrefs(int32_t& horizontalPaddingOut, int32_t& lineHeightOut,
                            int32_t& verticalPaddingOut, int32_t& thicknessOut,
                            int32_t& fontSizeOut, const CRString*& fontName) {
    horizontalPaddingOut = cellOrZero(kHeaderRecord, kHdrHorizontalPadding);
    lineHeightOut = cellOrZero(kHeaderRecord, kHdrLineHeight);
    verticalPaddingOut = cellOrZero(kHeaderRecord, kHdrVerticalPadding);
    thicknessOut = cellOrZero(kHeaderRecord, kHdrThickness);
    fontSizeOut = cellOrZero(kHeaderRecord, kHdrFontSize);
    return reportError("CTree::getDrawingPrefs",
                       getAnyString(kHeaderRecord, kHdrFontName, fontName));
}

RErr CTree::updateDrawingPrefs() {
    return reportError("CTree::updateDrawingPrefs", copyDrawingParametersFromTablet());
}

RErr CTree::setTagColorsMode() {
    tagColorsMode = 1;
    return kNoErr;
}
