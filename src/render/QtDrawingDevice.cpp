#include "render/QtDrawingDevice.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QRect>
#include <QString>

#include <algorithm>

namespace {

QColor toQColor(const RRgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Inclusive edges, as the port gives them.
QRect inclusiveRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

QtDrawingDevice::QtDrawingDevice(QPaintDevice& targetIn)
    : target(targetIn), linePen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin),
      textColor(Qt::black), metrics(currentFont, &target) {
    painter.begin(&target);
    painter.setPen(linePen);
    painter.setBrush(Qt::NoBrush);
}

QtDrawingDevice::~QtDrawingDevice() {
    if (painter.isActive())
        painter.end();
}

void QtDrawingDevice::translate(int32_t dh, int32_t dv) {
    painter.translate(dh, dv);
}

void QtDrawingDevice::useUnitsPerInch(int32_t units) {
    unitsPerInch = units > 0 ? units : 0;
    painter.resetTransform();
    if (unitsPerInch > 0)
        painter.scale(static_cast<double>(target.logicalDpiX()) / unitsPerInch,
                      static_cast<double>(target.logicalDpiY()) / unitsPerInch);
}

bool QtDrawingDevice::finish() {
    return painter.isActive() && painter.end();
}

void QtDrawingDevice::setPen(const RRgb& color, int32_t width) {
    linePen = QPen(toQColor(color), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(linePen);
}

void QtDrawingDevice::limitTo(const QRect& area) {
    visibleArea = area;
    limited = true;
}

bool QtDrawingDevice::isHidden(const QRect& box) const {
    return limited && !visibleArea.intersects(box);
}

void QtDrawingDevice::drawLine(int32_t h1, int32_t v1, int32_t h2, int32_t v2) {
    const int32_t w = linePen.width() + 1;
    if (isHidden(QRect(QPoint(std::min(h1, h2) - w, std::min(v1, v2) - w),
                       QPoint(std::max(h1, h2) + w, std::max(v1, v2) + w))))
        return;
    painter.drawLine(h1, v1, h2, v2);
}

void QtDrawingDevice::selectFont(const RFont& font) {
    if (font == currentRFont && painter.font() == currentFont)
        return;
    currentRFont = font;
    QFont chosen;
    if (!font.face.empty())
        chosen.setFamily(QString::fromStdString(font.face));
    // A negative height asks for the character height, which is Qt's pixel size.
    const int32_t pixels = font.height < 0 ? -font.height : font.height;
    if (pixels > 0)
        chosen.setPixelSize(pixels);
    chosen.setBold(font.bold);
    chosen.setItalic(font.italic);
    chosen.setUnderline(font.underline);
    currentFont = chosen;
    painter.setFont(currentFont);
    metrics = QFontMetrics(currentFont, &target);
    widths.clear();
}

void QtDrawingDevice::setTextColor(const RRgb& color) {
    textColor = toQColor(color);
}

void QtDrawingDevice::drawText(int32_t h, int32_t top, const std::string& text) {
    if (limited && isHidden(QRect(h, top, textWidth(text) + 1, metrics.height() + 1)))
        return;
    painter.setPen(textColor);
    painter.drawText(QPoint(h, top + metrics.ascent()), QString::fromStdString(text));
    painter.setPen(linePen);
}

int32_t QtDrawingDevice::textWidth(const std::string& text) {
    // Trees repeat their labels; a bounded cache keeps measuring cheap.
    const auto found = widths.find(text);
    if (found != widths.end())
        return found->second;
    if (widths.size() >= kMostCachedWidths)
        widths.clear();
    const int32_t width = metrics.horizontalAdvance(QString::fromStdString(text));
    widths.emplace(text, width);
    return width;
}

int32_t QtDrawingDevice::fontHeight() {
    return metrics.height();
}

void QtDrawingDevice::fillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                               const RRgb& color) {
    if (isHidden(inclusiveRect(left, top, right, bottom)))
        return;
    painter.fillRect(inclusiveRect(left, top, right, bottom), toQColor(color));
}

void QtDrawingDevice::frameRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (isHidden(inclusiveRect(left, top, right, bottom)))
        return;
    // A one-pixel outline through the edge pixels themselves.
    painter.drawRect(QRect(left, top, right - left, bottom - top));
}

int32_t QtDrawingDevice::verticalPixelsPerInch() {
    return unitsPerInch > 0 ? unitsPerInch : target.logicalDpiY();
}
