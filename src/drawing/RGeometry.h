#pragma once

#include <cstdint>

// A point in pixels: v vertical (down is positive on screen), h horizontal.
struct RPoint {
    int32_t v = 0;
    int32_t h = 0;
};

// A rectangle in pixels; all four edges belong to it.
struct RRect {
    int32_t top = 0;
    int32_t left = 0;
    int32_t bottom = 0;
    int32_t right = 0;
};

inline bool operator==(const RPoint& a, const RPoint& b) {
    return a.v == b.v && a.h == b.h;
}
inline bool operator==(const RRect& a, const RRect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}
