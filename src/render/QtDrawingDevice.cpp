#include "render/QtDrawingDevice.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QRect>
#include <QString>

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
      textColor(Qt::black) {
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

bool QtDrawingDevice::finish() {
    return painter.isActive() && painter.end();
}

void QtDrawingDevice::setPen(const RRgb& color, int32_t width) {
    linePen = QPen(toQColor(color), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(linePen);
}

void QtDrawingDevice::drawLine(int32_t h1, int32_t v1, int32_t h2, int32_t v2) {
    painter.drawLine(h1, v1, h2, v2);
}

void QtDrawingDevice::selectFont(const RFont& font) {
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
}

void QtDrawingDevice::setTextColor(const RRgb& color) {
    textColor = toQColor(color);
}

void QtDrawingDevice::drawText(int32_t h, int32_t top, const std::string& text) {
    const QFontMetrics metrics(currentFont, &target);
    painter.setPen(textColor);
    painter.drawText(QPoint(h, top + metrics.ascent()), QString::fromStdString(text));
    painter.setPen(linePen);
}

int32_t QtDrawingDevice::textWidth(const std::string& text) {
    return QFontMetrics(currentFont, &target).horizontalAdvance(QString::fromStdString(text));
}

int32_t QtDrawingDevice::fontHeight() {
    return QFontMetrics(currentFont, &target).height();
}

void QtDrawingDevice::fillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                               const RRgb& color) {
    painter.fillRect(inclusiveRect(left, top, right, bottom), toQColor(color));
}

void QtDrawingDevice::frameRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    // A one-pixel outline through the edge pixels themselves.
    painter.drawRect(QRect(left, top, right - left, bottom - top));
}

int32_t QtDrawingDevice::verticalPixelsPerInch() {
    return target.logicalDpiY();
}
