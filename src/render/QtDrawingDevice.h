#pragma once

#include "drawing/DrawingDevice.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QRect>

#include <string>
#include <unordered_map>

class QPaintDevice;

// The drawing device over any Qt paint device: a widget, an image, an SVG generator, a PDF
// writer or a printer. It paints from construction until finish (or destruction).
class QtDrawingDevice : public DrawingDevice {
public:
    explicit QtDrawingDevice(QPaintDevice& target);
    QtDrawingDevice(const QtDrawingDevice&) = delete;
    QtDrawingDevice& operator=(const QtDrawingDevice&) = delete;
    ~QtDrawingDevice() override;

    // False when the paint device refused to be painted on.
    bool isActive() const { return painter.isActive(); }
    // Moves the origin of everything drawn afterwards.
    void translate(int32_t dh, int32_t dv);
    // Draws `unitsPerInch` units to the inch whatever the device's resolution (a printer's
    // hundredths of an inch), with the origin back at the device's; fonts are sized to match.
    void useUnitsPerInch(int32_t unitsPerInch);
    // Drawing wholly outside the area (in the coordinates drawn in) is skipped: a window
    // repainting a small part of itself does not draw the rest.
    void limitTo(const QRect& area);
    // Ends painting; false when the device reports a failure (an unwritable file).
    bool finish();

    void setPen(const RRgb& color, int32_t width) override;
    void drawLine(int32_t h1, int32_t v1, int32_t h2, int32_t v2) override;
    void selectFont(const RFont& font) override;
    void setTextColor(const RRgb& color) override;
    void drawText(int32_t h, int32_t top, const std::string& text) override;
    int32_t textWidth(const std::string& text) override;
    int32_t fontHeight() override;
    void fillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                  const RRgb& color) override;
    void frameRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    int32_t verticalPixelsPerInch() override;

private:
    static constexpr std::size_t kMostCachedWidths = 4096;
    bool isHidden(const QRect& box) const;

    QPaintDevice& target;
    QPainter painter;
    QPen linePen;
    QColor textColor;
    QFont currentFont;
    RFont currentRFont;
    // Measuring is most of the work of drawing a tree: the metrics are kept with the font.
    QFontMetrics metrics;
    std::unordered_map<std::string, int32_t> widths;
    QRect visibleArea;
    bool limited = false;
    int32_t unitsPerInch = 0; // 0: the device's own pixels
};
