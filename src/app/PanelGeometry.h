#pragma once

#include "drawing/RGeometry.h"

#include <cstdint>
#include <string>
#include <vector>

// Where the main window's panel and tree area stand, in client pixels. Rectangles here have
// exclusive right and bottom edges, as window rectangles do: the width is right - left.
namespace panel {

constexpr int32_t kPanelWidth = 220;
constexpr int32_t kMostCategoryButtons = 40;
constexpr int32_t kStatusBarHeight = 20;

// Tool 1 Arrow, 2 Scissors, 3 Spyglass.
RRect toolButtonRect(int32_t tool);
// Category button 1..40.
RRect categoryButtonRect(int32_t index);
// The bottom of the last category button in use (72 for none).
int32_t categoryBottomLine(int32_t buttonsInUse);
RRect wordListRect(int32_t buttonsInUse);
RRect previewRect(int32_t buttonsInUse);
RRect grammarLabelRect(int32_t clientHeight);
RRect canvasRect(int32_t clientWidth, int32_t clientHeight);
RRect statusBarRect(int32_t clientWidth, int32_t clientHeight);

// How many category buttons a grammar with `categories` categories with words uses; beyond
// 40 the last button opens a menu of the rest.
int32_t buttonsInUse(int32_t categories);
bool lastButtonOpensMenu(int32_t categories);

// The tool Tab moves to from `current`; `current` itself when nothing else is visible.
int32_t nextToolOnTab(int32_t current, bool scissorsVisible, bool spyglassVisible);

// One line of a bevel: from (h1, v1) to (h2, v2), dark or light.
struct RBevelLine {
    int32_t h1 = 0;
    int32_t v1 = 0;
    int32_t h2 = 0;
    int32_t v2 = 0;
    bool dark = false;
};
// The two-pixel sunken bevel drawn around a rectangle (edges as given, inclusive).
std::vector<RBevelLine> sunkenBevel(const RRect& rect);

} // namespace panel

// The scroll sizes of the tree canvas: a page or line of (0, 0) takes its default.
struct RScrollSizes {
    int32_t totalWidth = 1;
    int32_t totalHeight = 1;
    int32_t pageWidth = 1;
    int32_t pageHeight = 1;
    int32_t lineWidth = 1;
    int32_t lineHeight = 1;
};
// page = total / 10 and line = page / 10 when asked for (0, 0); every size at least 1.
RScrollSizes makeScrollSizes(int32_t totalWidth, int32_t totalHeight, int32_t pageWidth = 0,
                             int32_t pageHeight = 0, int32_t lineWidth = 0, int32_t lineHeight = 0);

// The lines of a pop-up note: the text split at each two-character sequence backslash-n.
std::vector<std::string> splitPopUpText(const std::string& text);
