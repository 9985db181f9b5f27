#pragma once

#include "drawing/RGeometry.h"

#include <cstdint>
#include <vector>

// Where the pages of a printout lie on the tree area. Trees print at their places, one unit of
// the tree area to a hundredth of an inch, with the area's origin at the top left of the first
// page's printable area. Trees that reach beyond it continue on further pages at the same scale:
// the area is cut into a grid of pages the size of the printable area, and every page of the
// grid that holds part of a tree is printed, row by row from the top, each row from the left.
// Pages with nothing on them are left out; a document without trees prints one empty page.
struct RPrintPage {
    int32_t left = 0; // the page's top left corner on the tree area
    int32_t top = 0;
};

// `boxes` are the trees' bounding boxes (inclusive edges); the page size is in the same units.
// Sizes below 1 count as 1.
std::vector<RPrintPage> printPages(const std::vector<RRect>& boxes, int32_t pageWidth,
                                   int32_t pageHeight);
