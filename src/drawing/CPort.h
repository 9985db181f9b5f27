#pragma once

#include "base/ErrorCodes.h"
#include "drawing/DrawingDevice.h"
#include "drawing/RGeometry.h"
#include "storage/CRMemory.h"

#include <array>
#include <cstdint>
#include <string>

// Colour numbers of nodes and of the port.
enum RColor : int32_t {
    kColorBlack = 1,
    kColorWhite = 2,
    kColorGray = 3,
    kColorRed = 4,
    kColorOrange = 5,
    kColorYellow = 6,
    kColorGreen = 7,
    kColorBlue = 8,
    kColorViolet = 9,
    kColorCyan = 10,
    kColorMagenta = 11,
};

// Text style bits of nodes; 0 is plain.
enum RTextStyle : int32_t {
    kStylePlain = 0,
    kStyleItalic = 1,
    kStyleBold = 2,
    kStyleUnderline = 4,
};

// The one object through which trees are drawn and measured. It keeps a pen position, the
// current colour, thickness and text style, and draws on a device it does not own. While
// suspended it draws nothing and keeps its pen and attributes, so the same drawing code
// serves as a pure layout pass; measuring always works.
class CPort {
public:
    static constexpr int32_t kColorCount = 11;
    static constexpr int32_t kStyleCount = 8;

    CPort();
    explicit CPort(DrawingDevice* device);
    CPort(const CPort&) = delete;
    CPort& operator=(const CPort&) = delete;

    void setDC(DrawingDevice* device);
    DrawingDevice* dc() const { return theDC; }
    // Takes the device and selects the default font, "MS Sans Serif" at 10 points.
    RErr initializeFonts(DrawingDevice* device);
    // Makes the eight style fonts of the face at the size in points, for the device's
    // resolution.
    RErr setFont(const std::string& faceName, int32_t size);
    const RFont& styleFont(int32_t style) const;

    // When false, every y handed to the device is negated (devices whose y axis points up).
    void usePositiveYCoordinates(bool flag) { usingPositiveYCoordinates = flag; }
    void suspendDrawing() { drawingSuspended = true; }
    void resumeDrawing() { drawingSuspended = false; }
    bool isDrawingSuspended() const { return drawingSuspended; }
    void startDrawing() {}
    void finishDrawing() {}

    void moveTo(const RPoint& point);
    void moveTo(int32_t h, int32_t v);
    void move(int32_t dh, int32_t dv);
    void lineTo(const RPoint& point);
    void lineTo(int32_t h, int32_t v);
    // Draws with the pen of the current thickness and colour and leaves the pen at the end.
    void drawLine(const RPoint& start, const RPoint& end);
    const RPoint& penLocation() const { return thePenLocation; }

    void setColor(int32_t color);
    int32_t color() const { return currentColor; }
    void setTextAttributes(int32_t style);
    int32_t textAttributes() const { return currentTextStyle; }
    RErr setThickness(int32_t thickness);
    int32_t thickness() const { return currentThickness; }

    // Draws in the current style and colour with the bottom of the text cell at point.v and
    // leaves the pen just after the text.
    void drawString(const RPoint& point, const std::string& text);
    void drawString(const std::string& text);
    // Measured in the plain face, whatever the current style, so styles never move nodes.
    int32_t getStringWidth(const std::string& text);
    int32_t getCurrentFontHeight();
    // The pixels that a length of this many points takes on the device (0 without one).
    int32_t pixelsForPoints(int32_t points);

    void frameRect(const RRect& rect);
    // Only black and white have a brush; other colours get the outline alone.
    void fillRect(const RRect& rect);
    void eraseRect(const RRect& rect);

    // Shrinks the rectangle (negative amounts grow it); a rectangle shrunk past itself
    // collapses towards its middle.
    static void insetRect(RRect& rect, int32_t dh, int32_t dv);
    // b grows to include a.
    static void unionRect(const RRect& a, RRect& b);
    static bool pointInRect(const RPoint& point, const RRect& rect);
    // False for a number outside 1..11.
    static bool colorRGB(int32_t color, RRgb& rgb);
    static const char* colorName(int32_t color);

private:
    struct RPen {
        RRgb color;
        int32_t width = 1;
    };
    static int32_t penNumber(int32_t thickness, int32_t color) { return thickness * 11 + color; }
    void selectPen(int32_t number);
    void selectStyleFont(int32_t style);
    int32_t deviceV(int32_t v) const { return usingPositiveYCoordinates ? v : -v; }
    bool canDraw() const { return !drawingSuspended && theDC != nullptr; }

    RObjectCounter<kKindCPort> counter;
    RPoint thePenLocation;
    int32_t currentTextStyle = kStylePlain;
    bool drawingSuspended = false;
    DrawingDevice* theDC = nullptr;
    int32_t currentColor = kColorBlack;
    int32_t currentThickness = 0;
    std::array<RPen, 34> thePen{}; // 1 to 33: thickness * 11 + colour
    std::array<RFont, kStyleCount> theStyleFonts{};
    bool usingPositiveYCoordinates = true;
    int32_t selectedPen = 0;   // 0 when the device's pen is not known
    int32_t selectedFont = -1; // -1 when the device's font is not known
};
