// CTree's layout: each node's fish spine and its daughters' offsets.

#include "model/CTree.h"

#include "base/ErrorReporter.h"
#include "drawing/CPort.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"

#include <algorithm>
#include <new>

// Layout: each node's fish spine and its daughters' offsets, computed bottom-up. The walks
// keep their own stacks, so a chain thousands of levels deep cannot exhaust the call stack.

namespace {

// The depth a spine can answer for: the recorded depth, bounded by the levels it holds.
int32_t usableDepth(int32_t recordedDepth, const std::vector<RExtent>* spine) {
    if (spine == nullptr || spine->empty())
        return 0;
    return std::min(recordedDepth, static_cast<int32_t>(spine->size()) - 1);
}

// The distance between the centres of two sister subtrees, comparing only the rows both hold.
int32_t closeness(const std::vector<RExtent>* a, int32_t depthA, int32_t paddedA,
                  const std::vector<RExtent>* b, int32_t depthB, int32_t paddedB) {
    const int32_t rows = std::min(depthA, depthB);
    int64_t distance = int64_t{paddedA} + paddedB;
    for (int32_t k = 1; k <= rows; ++k) {
        const auto level = static_cast<std::size_t>(k);
        distance = std::max(distance, int64_t{(*a)[level].right} - (*b)[level].left);
    }
    return clampToLayout(distance);
}

} // namespace

// The three working arrays of one layout pass: daughters, their depths and their offsets.
struct CTree::RLayoutScratch {
    std::vector<int32_t> daughters;
    std::vector<int32_t> depths;
    std::vector<int32_t> offsets;
    RCountedBuffer<kTagLayoutArray1> daughtersCounted;
    RCountedBuffer<kTagLayoutArray2> depthsCounted;
    RCountedBuffer<kTagLayoutArray3> offsetsCounted;
};

const char* CTree::textOfCell(int32_t record, int32_t attribute) {
    if (cellOrZero(record, attribute) == 0)
        return "";
    const CRString* text = nullptr;
    if (getAnyString(record, attribute, text) || text == nullptr)
        return "";
    return text->getStringValue();
}

RErr CTree::requirePort() const {
    return thePort != nullptr ? kNoErr : kErrNotInitialized;
}

bool CTree::isRoofed(int32_t node) const {
    return cellOrZero(node, kAttrTriangle) == 1;
}

RErr CTree::realHalfWidth(int32_t node, int32_t& width) {
    width = 0;
    RErr err = validateNodeWithError(node);
    if (!err)
        err = requirePort();
    if (!err)
        width = (thePort->getStringWidth(textOfCell(node, kAttrLabel)) +
                 thePort->getStringWidth(textOfCell(node, kAttrSubscript))) /
                2;
    return reportError("CTree::realHalfWidth", err);
}

RErr CTree::paddedHalfWidth(int32_t node, int32_t& width) {
    const RErr err = realHalfWidth(node, width);
    if (!err)
        width += horizontalPadding;
    return reportError("CTree::paddedHalfWidth", err);
}

RErr CTree::getTriangleStringHalfWidth(int32_t node, int32_t& width) {
    // The sum over the daughters, taken down to the leaves, is the sum over the leaves.
    width = 0;
    RErr err = validateNodeWithError(node);
    int32_t current = node;
    while (!err) {
        const int32_t first = theTablet->cell(current, kAttrLeftmostDaughter);
        if (first != 0) {
            current = first;
            continue;
        }
        int32_t leafHalfWidth = 0;
        err = realHalfWidth(current, leafHalfWidth);
        width += leafHalfWidth + halfSpaceWidth;
        while (current != node && theTablet->cell(current, kAttrNextSister) == 0)
            current = theTablet->cell(current, kAttrMother);
        if (current == node)
            break;
        current = theTablet->cell(current, kAttrNextSister);
    }
    return reportError("CTree::getTriangleStringHalfWidth", err);
}

RErr CTree::howCloseCanTheseNodesBe(int32_t left, int32_t right, int32_t& distance) {
    distance = 0;
    int32_t paddedLeft = 0;
    int32_t paddedRight = 0;
    RErr err = paddedHalfWidth(left, paddedLeft);
    if (!err)
        err = paddedHalfWidth(right, paddedRight);
    if (!err) {
        const std::vector<RExtent>* a = fishSpine(left);
        const std::vector<RExtent>* b = fishSpine(right);
        distance =
            closeness(a, usableDepth(theTablet->cell(left, kAttrFishSpineDepth), a), paddedLeft, b,
                      usableDepth(theTablet->cell(right, kAttrFishSpineDepth), b), paddedRight);
    }
    return reportError("CTree::howCloseCanTheseNodesBe", err);
}

RErr CTree::prepareTree(int32_t root) {
    RErr err = validateRootWithError(root);
    if (!err && theTablet->cell(root, kAttrDirty) != 0) {
        err = prepareNode(root);
        if (!err)
            setCellDirectly(root, kAttrDirty, 0);
    }
    return reportError("CTree::prepareTree", err);
}

RErr CTree::prepareNode(int32_t node) {
    RErr err = validateNodeWithError(node);
    if (!err)
        err = requirePort();
    if (err)
        return reportError("CTree::prepareNode", err);
    try {
        RLayoutScratch scratch;
        // Post-order: each entry is a node and the daughter to descend into next.
        std::vector<std::pair<int32_t, int32_t>> pending;
        pending.emplace_back(node, theTablet->cell(node, kAttrLeftmostDaughter));
        while (!pending.empty() && !err) {
            auto& [current, nextDaughter] = pending.back();
            if (nextDaughter != 0) {
                const int32_t daughter = nextDaughter;
                nextDaughter = theTablet->cell(daughter, kAttrNextSister);
                pending.emplace_back(daughter, theTablet->cell(daughter, kAttrLeftmostDaughter));
            } else {
                err = layOutOneNode(current, scratch);
                pending.pop_back();
            }
        }
    } catch (const std::bad_alloc&) {
        err = kErrMallocFailed;
    }
    return reportError("CTree::prepareNode", err);
}

RErr CTree::layOutOneNode(int32_t node, RLayoutScratch& scratch) {
    std::vector<int32_t>& daughters = scratch.daughters;
    std::vector<int32_t>& depths = scratch.depths;
    std::vector<int32_t>& offsets = scratch.offsets;
    daughters.clear();
    depths.clear();
    offsets.clear();
    for (int32_t d = theTablet->cell(node, kAttrLeftmostDaughter); d != 0;
         d = theTablet->cell(d, kAttrNextSister)) {
        daughters.push_back(d);
        depths.push_back(usableDepth(theTablet->cell(d, kAttrFishSpineDepth), fishSpine(d)));
        offsets.push_back(0);
    }
    const std::size_t n = daughters.size();
    for (std::size_t d = 0; d < n; ++d)
        if (depths[d] < 1)
            return kErrGeneral; // a daughter without a layout
    // Each daughter goes as close to its left sisters as their rows allow; a sister at
    // least as deep as it hides everything further left.
    for (std::size_t i = 1; i < n; ++i) {
        const std::vector<RExtent>* spineI = fishSpine(daughters[i]);
        for (std::size_t j = i; j-- > 0;) {
            const std::vector<RExtent>* spineJ = fishSpine(daughters[j]);
            const int32_t distance = closeness(spineJ, depths[j], (*spineJ)[1].right, spineI,
                                               depths[i], -(*spineI)[1].left);
            offsets[i] = std::max(offsets[i], clampToLayout(int64_t{offsets[j]} + distance));
            if (depths[j] >= depths[i])
                break;
        }
    }
    // The mother sits midway between her first and last daughters.
    if (n > 0) {
        const int32_t shift = offsets[n - 1] / 2;
        for (std::size_t i = 0; i < n; ++i) {
            offsets[i] -= shift;
            setCellDirectly(daughters[i], kAttrXOffset, offsets[i]);
        }
    }
    const int32_t maxDepth = n > 0 ? *std::max_element(depths.begin(), depths.end()) : 0;

    if (fishSpine(node) == nullptr) {
        setCellDirectly(node, kAttrFishSpineDepth, 0);
        const RErr err = allocateFishspine(node);
        if (err)
            return err;
    }
    std::vector<RExtent>& spine = *fishSpine(node);
    // A fresh array of exactly the levels in use: 0 (unused) to maxDepth + 1.
    std::vector<RExtent>(static_cast<std::size_t>(maxDepth) + 2).swap(spine);
    int32_t padded = 0;
    RErr err = paddedHalfWidth(node, padded);
    if (err)
        return err;
    spine[1] = RExtent{padded, -padded};
    // Row k + 1 reaches as far left as the leftmost daughter holding row k, and as far right
    // as the rightmost one.
    int32_t covered = 0;
    for (std::size_t i = 0; i < n && covered < maxDepth; ++i) {
        const std::vector<RExtent>& daughterSpine = *fishSpine(daughters[i]);
        for (int32_t k = covered + 1; k <= depths[i]; ++k)
            spine[static_cast<std::size_t>(k) + 1].left = clampToLayout(
                int64_t{daughterSpine[static_cast<std::size_t>(k)].left} + offsets[i]);
        covered = std::max(covered, depths[i]);
    }
    covered = 0;
    for (std::size_t i = n; i-- > 0 && covered < maxDepth;) {
        const std::vector<RExtent>& daughterSpine = *fishSpine(daughters[i]);
        for (int32_t k = covered + 1; k <= depths[i]; ++k)
            spine[static_cast<std::size_t>(k) + 1].right = clampToLayout(
                int64_t{daughterSpine[static_cast<std::size_t>(k)].right} + offsets[i]);
        covered = std::max(covered, depths[i]);
    }
    int32_t depth = maxDepth + 1;
    // A roof and its string take one row, whatever lies below.
    if (isRoofed(node) && n > 0) {
        int32_t w = 0;
        err = getTriangleStringHalfWidth(node, w);
        if (err)
            return err;
        w -= halfSpaceWidth;
        spine.resize(3);
        spine.shrink_to_fit();
        spine[2] = RExtent{w, -w};
        depth = 2;
    }
    setCellDirectly(node, kAttrFishSpineDepth, depth);
    return kNoErr;
}
