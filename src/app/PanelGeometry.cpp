#include "app/PanelGeometry.h"

#include <algorithm>

namespace panel {

namespace {

constexpr int32_t kMargin = 10;
constexpr int32_t kToolWidth = 67;
constexpr int32_t kToolHeight = 34;
constexpr int32_t kToolsTop = 7;
constexpr int32_t kToolsBottomLine = 41;
constexpr int32_t kCategoryWidth = 50;
constexpr int32_t kCategoryHeight = 25;
constexpr int32_t kCategoryGap = 7;
constexpr int32_t kListGap = 7;
constexpr int32_t kListHeight = 122;
constexpr int32_t kPreviewGap = 14;
constexpr int32_t kPreviewHeight = 250;
constexpr int32_t kLabelFromBottom = 45;
constexpr int32_t kLabelHeight = 35;

RRect insetByOne(RRect rect) {
    return RRect{rect.top + 1, rect.left + 1, rect.bottom - 1, rect.right - 1};
}

// Button `index` by the layout rule; index 0 gives the line the first row would start on.
RRect rawCategoryRect(int32_t index) {
    // Integer division truncates towards zero, so index 0 lands on the first row.
    const int32_t left = ((index - 1) % 4) * kCategoryWidth + kMargin;
    const int32_t top = ((index - 1) / 4) * kCategoryHeight + kToolsBottomLine + kCategoryGap;
    return RRect{top, left, top + kCategoryHeight, left + kCategoryWidth};
}

} // namespace

RRect toolButtonRect(int32_t tool) {
    const int32_t left = ((tool - 1) % 3) * kToolWidth + kMargin;
    const int32_t top = ((tool - 1) / 3) * kToolHeight + kToolsTop;
    return insetByOne(RRect{top, left, top + kToolHeight, left + kToolWidth});
}

RRect categoryButtonRect(int32_t index) {
    return insetByOne(rawCategoryRect(index));
}

int32_t categoryBottomLine(int32_t buttonsInUse) {
    return insetByOne(rawCategoryRect(buttonsInUse)).bottom;
}

RRect wordListRect(int32_t buttonsInUse) {
    const int32_t top = categoryBottomLine(buttonsInUse) + kListGap;
    return RRect{top, kMargin, top + kListHeight, kPanelWidth - kMargin};
}

RRect previewRect(int32_t buttonsInUse) {
    const int32_t top = wordListRect(buttonsInUse).bottom + kPreviewGap;
    return RRect{top, kMargin, top + kPreviewHeight, kPanelWidth - kMargin};
}

RRect grammarLabelRect(int32_t clientHeight) {
    const int32_t top = clientHeight - kLabelFromBottom;
    return RRect{top, kMargin, top + kLabelHeight, kPanelWidth - kMargin};
}

RRect canvasRect(int32_t clientWidth, int32_t clientHeight) {
    return RRect{0, kPanelWidth, clientHeight - kStatusBarHeight, clientWidth};
}

RRect statusBarRect(int32_t clientWidth, int32_t clientHeight) {
    return RRect{clientHeight - kStatusBarHeight, kPanelWidth, clientHeight, clientWidth};
}

int32_t buttonsInUse(int32_t categories) {
    return std::clamp(categories, 0, kMostCategoryButtons);
}

bool lastButtonOpensMenu(int32_t categories) {
    return categories > kMostCategoryButtons;
}

int32_t nextToolOnTab(int32_t current, bool scissorsVisible, bool spyglassVisible) {
    switch (current) {
    case 1:
        return scissorsVisible ? 2 : spyglassVisible ? 3 : 1;
    case 2:
        return spyglassVisible ? 3 : 1;
    default:
        return 1;
    }
}

std::vector<RBevelLine> sunkenBevel(const RRect& r) {
    const int32_t t = r.top;
    const int32_t l = r.left;
    const int32_t b = r.bottom;
    const int32_t rt = r.right;
    return {
        {l - 1, t - 1, l - 1, b + 1, true},    {l - 2, t - 2, l - 2, b + 2, true},
        {rt + 1, t - 1, l - 1, t - 1, true},   {rt + 2, t - 2, l - 2, t - 2, true},
        {rt + 1, t - 1, rt + 1, b + 1, false}, {rt + 2, t - 2, rt + 2, b + 2, false},
        {l - 1, b + 1, rt + 2, b + 1, false},  {l - 2, b + 2, rt + 3, b + 2, false},
    };
}

} // namespace panel

RScrollSizes makeScrollSizes(int32_t totalWidth, int32_t totalHeight, int32_t pageWidth,
                             int32_t pageHeight, int32_t lineWidth, int32_t lineHeight) {
    RScrollSizes sizes;
    sizes.totalWidth = std::max(totalWidth, 1);
    sizes.totalHeight = std::max(totalHeight, 1);
    if (pageWidth == 0 && pageHeight == 0) {
        pageWidth = sizes.totalWidth / 10;
        pageHeight = sizes.totalHeight / 10;
    }
    sizes.pageWidth = std::max(pageWidth, 1);
    sizes.pageHeight = std::max(pageHeight, 1);
    if (lineWidth == 0 && lineHeight == 0) {
        lineWidth = sizes.pageWidth / 10;
        lineHeight = sizes.pageHeight / 10;
    }
    sizes.lineWidth = std::max(lineWidth, 1);
    sizes.lineHeight = std::max(lineHeight, 1);
    return sizes;
}

std::vector<std::string> splitPopUpText(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type found = text.find("\\n", start);
        if (found == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, found - start));
        start = found + 2;
    }
}
