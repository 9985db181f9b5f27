#include "drawing/CPort.h"

#include "base/ErrorReporter.h"

namespace {

struct RColorEntry {
    const char* name;
    RRgb rgb;
};

constexpr std::array<RColorEntry, CPort::kColorCount> kColors = {{
    {"Black", {0, 0, 0}},
    {"White", {255, 255, 255}},
    {"Gray", {175, 175, 175}},
    {"Red", {255, 0, 0}},
    {"Orange", {255, 175, 0}},
    {"Yellow", {240, 240, 0}},
    {"Green", {0, 255, 0}},
    {"Blue", {0, 0, 255}},
    {"Violet", {175, 0, 175}},
    {"Cyan", {0, 200, 200}},
    {"Magenta", {255, 0, 255}},
}};

constexpr std::array<int32_t, 3> kPenWidths = {1, 2, 4};
constexpr int32_t kPointsPerInch = 72;

bool validColor(int32_t color) {
    return color >= 1 && color <= CPort::kColorCount;
}

} // namespace

CPort::CPort() {
    // Until setFont names a face, each style font is the device's default face in its style.
    for (int32_t style = 0; style < kStyleCount; ++style) {
        RFont& font = theStyleFonts[static_cast<std::size_t>(style)];
        font.bold = (style & kStyleBold) != 0;
        font.italic = (style & kStyleItalic) != 0;
        font.underline = (style & kStyleUnderline) != 0;
    }
    for (int32_t thicknessCode = 0; thicknessCode < 3; ++thicknessCode)
        for (int32_t color = 1; color <= kColorCount; ++color) {
            RPen& pen = thePen[static_cast<std::size_t>(penNumber(thicknessCode, color))];
            pen.color = kColors[static_cast<std::size_t>(color - 1)].rgb;
            pen.width = kPenWidths[static_cast<std::size_t>(thicknessCode)];
        }
}

CPort::CPort(DrawingDevice* device) : CPort() {
    setDC(device);
}

bool CPort::colorRGB(int32_t color, RRgb& rgb) {
    if (!validColor(color))
        return false;
    rgb = kColors[static_cast<std::size_t>(color - 1)].rgb;
    return true;
}

const char* CPort::colorName(int32_t color) {
    return validColor(color) ? kColors[static_cast<std::size_t>(color - 1)].name : "";
}

void CPort::setDC(DrawingDevice* device) {
    theDC = device;
    selectedPen = 0;
    selectedFont = -1;
}

RErr CPort::initializeFonts(DrawingDevice* device) {
    setDC(device);
    return setFont("MS Sans Serif", 10);
}

RErr CPort::setFont(const std::string& faceName, int32_t size) {
    if (theDC == nullptr) {
        bug("CPort::setFont", kErrNotInitialized);
        return kErrNotInitialized;
    }
    // A negative height asks for the character height rather than the whole cell.
    const int32_t height = -(theDC->verticalPixelsPerInch() * size / kPointsPerInch);
    for (RFont& font : theStyleFonts) {
        font.face = faceName;
        font.height = height;
    }
    selectedFont = -1;
    return kNoErr;
}

const RFont& CPort::styleFont(int32_t style) const {
    return theStyleFonts[static_cast<std::size_t>(style & (kStyleCount - 1))];
}

void CPort::selectPen(int32_t number) {
    if (number != selectedPen) {
        const RPen& pen = thePen[static_cast<std::size_t>(number)];
        theDC->setPen(pen.color, pen.width);
        selectedPen = number;
    }
}

void CPort::selectStyleFont(int32_t style) {
    const int32_t index = style & (kStyleCount - 1);
    if (index != selectedFont) {
        theDC->selectFont(theStyleFonts[static_cast<std::size_t>(index)]);
        selectedFont = index;
    }
}

void CPort::moveTo(const RPoint& point) {
    if (!drawingSuspended)
        thePenLocation = point;
}

void CPort::moveTo(int32_t h, int32_t v) {
    moveTo(RPoint{v, h});
}

void CPort::move(int32_t dh, int32_t dv) {
    moveTo(thePenLocation.h + dh, thePenLocation.v + dv);
}

void CPort::lineTo(const RPoint& point) {
    drawLine(thePenLocation, point);
}

void CPort::lineTo(int32_t h, int32_t v) {
    lineTo(RPoint{v, h});
}

void CPort::drawLine(const RPoint& start, const RPoint& end) {
    if (!canDraw())
        return;
    // A colour out of range has no pen: the line keeps the pen selected before.
    if (validColor(currentColor))
        selectPen(penNumber(currentThickness, currentColor));
    else
        bug("Invalid color.", kNoErr);
    theDC->drawLine(start.h, deviceV(start.v), end.h, deviceV(end.v));
    thePenLocation = end;
}

void CPort::setColor(int32_t color) {
    if (!drawingSuspended)
        currentColor = color;
}

void CPort::setTextAttributes(int32_t style) {
    if (!drawingSuspended)
        currentTextStyle = style;
}

RErr CPort::setThickness(int32_t thicknessCode) {
    if (thicknessCode < 0 || thicknessCode > 2) {
        bug("CPort::setThickness", kErrInvalidParameter);
        return kErrInvalidParameter;
    }
    if (!drawingSuspended)
        currentThickness = thicknessCode;
    return kNoErr;
}

void CPort::drawString(const RPoint& point, const std::string& text) {
    if (!canDraw())
        return;
    selectStyleFont(currentTextStyle);
    RRgb rgb;
    if (colorRGB(currentColor, rgb))
        theDC->setTextColor(rgb);
    else
        bug("Invalid color.", kNoErr);
    const int32_t top = point.v - theDC->fontHeight();
    // The text cell's top edge is the corner the device draws from; with y pointing up the
    // same cell has its top at the negated bottom.
    if (!text.empty())
        theDC->drawText(point.h, usingPositiveYCoordinates ? top : -point.v, text);
    const int32_t width = theDC->textWidth(text);
    theDC->setTextColor(kColors[0].rgb);
    thePenLocation = RPoint{point.v, point.h + width};
}

void CPort::drawString(const std::string& text) {
    drawString(thePenLocation, text);
}

int32_t CPort::getStringWidth(const std::string& text) {
    if (theDC == nullptr)
        return 0;
    selectStyleFont(kStylePlain);
    return theDC->textWidth(text);
}

int32_t CPort::pixelsForPoints(int32_t points) {
    if (theDC == nullptr)
        return 0;
    return theDC->verticalPixelsPerInch() * points / kPointsPerInch;
}

int32_t CPort::getCurrentFontHeight() {
    if (theDC == nullptr)
        return 0;
    selectStyleFont(kStylePlain);
    return theDC->fontHeight();
}

void CPort::frameRect(const RRect& rect) {
    if (!canDraw())
        return;
    if (validColor(currentColor))
        selectPen(penNumber(0, currentColor));
    else
        bug("Invalid color.", kNoErr);
    theDC->frameRect(rect.left, deviceV(rect.top), rect.right, deviceV(rect.bottom));
}

void CPort::fillRect(const RRect& rect) {
    if (!canDraw())
        return;
    if (currentColor == kColorBlack || currentColor == kColorWhite)
        theDC->fillRect(rect.left, deviceV(rect.top), rect.right, deviceV(rect.bottom),
                        kColors[static_cast<std::size_t>(currentColor - 1)].rgb);
    frameRect(rect);
}

void CPort::eraseRect(const RRect& rect) {
    if (canDraw())
        theDC->fillRect(rect.left, deviceV(rect.top), rect.right, deviceV(rect.bottom),
                        kColors[kColorWhite - 1].rgb);
}

void CPort::insetRect(RRect& rect, int32_t dh, int32_t dv) {
    rect.top += dv;
    rect.bottom -= dv;
    rect.left += dh;
    rect.right -= dh;
    if (rect.bottom < rect.top) {
        rect.top = (rect.top + rect.bottom) / 2;
        rect.bottom = (rect.top + rect.bottom) / 2;
    }
    if (rect.right < rect.left) {
        rect.left = (rect.left + rect.right) / 2;
        rect.right = (rect.left + rect.right) / 2;
    }
}

void CPort::unionRect(const RRect& a, RRect& b) {
    if (a.top < b.top)
        b.top = a.top;
    if (a.left < b.left)
        b.left = a.left;
    if (a.bottom > b.bottom)
        b.bottom = a.bottom;
    if (a.right > b.right)
        b.right = a.right;
}

bool CPort::pointInRect(const RPoint& point, const RRect& rect) {
    return point.v >= rect.top && point.v <= rect.bottom && point.h >= rect.left &&
           point.h <= rect.right;
}
