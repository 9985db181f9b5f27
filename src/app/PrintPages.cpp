#include "app/PrintPages.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {

// The grid index holding the coordinate, rounding towards minus infinity.
int64_t pageIndex(int64_t coordinate, int64_t size) {
    return coordinate >= 0 ? coordinate / size : -((-coordinate + size - 1) / size);
}

} // namespace

std::vector<RPrintPage> printPages(const std::vector<RRect>& boxes, int32_t pageWidth,
                                   int32_t pageHeight) {
    const int64_t width = std::max<int32_t>(pageWidth, 1);
    const int64_t height = std::max<int32_t>(pageHeight, 1);
    std::set<std::pair<int64_t, int64_t>> rowsAndColumns;
    for (const RRect& box : boxes) {
        if (box.right < box.left || box.bottom < box.top)
            continue;
        for (int64_t row = pageIndex(box.top, height); row <= pageIndex(box.bottom, height); ++row)
            for (int64_t column = pageIndex(box.left, width); column <= pageIndex(box.right, width);
                 ++column)
                rowsAndColumns.insert({row, column});
    }
    if (rowsAndColumns.empty())
        rowsAndColumns.insert({0, 0});
    std::vector<RPrintPage> pages;
    for (const auto& [row, column] : rowsAndColumns)
        pages.push_back(
            RPrintPage{static_cast<int32_t>(column * width), static_cast<int32_t>(row * height)});
    return pages;
}
