#pragma once

#include <cstdint>
#include <string>

// A colour as red, green and blue intensities.
struct RRgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

inline bool operator==(const RRgb& a, const RRgb& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// A font as the port asks for it: a face name, a height in device pixels (negative for the
// character height, positive for the whole cell) and the style.
struct RFont {
    std::string face;
    int32_t height = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

inline bool operator==(const RFont& a, const RFont& b) {
    return a.face == b.face && a.height == b.height && a.bold == b.bold && a.italic == b.italic &&
           a.underline == b.underline;
}

// What the port draws on and measures with. Coordinates are device pixels with y pointing
// down; texts are UTF-8. Implementations: QtDrawingDevice over any Qt paint device, and
// FixedMetricsDevice, whose metrics do not depend on the machine's fonts.
class DrawingDevice {
public:
    virtual ~DrawingDevice() = default;

    // Lines are drawn with the current pen: a solid line of the width with square ends.
    virtual void setPen(const RRgb& color, int32_t width) = 0;
    virtual void drawLine(int32_t h1, int32_t v1, int32_t h2, int32_t v2) = 0;

    // Texts are drawn and measured in the selected font; the background stays transparent.
    virtual void selectFont(const RFont& font) = 0;
    virtual void setTextColor(const RRgb& color) = 0;
    // Draws the text with the top left corner of its cell at (h, top).
    virtual void drawText(int32_t h, int32_t top, const std::string& text) = 0;
    virtual int32_t textWidth(const std::string& text) = 0;
    // The height of the selected font's character cell.
    virtual int32_t fontHeight() = 0;

    // Both take inclusive edges; frameRect outlines with the current pen.
    virtual void fillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                          const RRgb& color) = 0;
    virtual void frameRect(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;

    virtual int32_t verticalPixelsPerInch() = 0;
};
