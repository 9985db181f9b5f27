#include "drawing/FixedMetricsDevice.h"

#include <utility>

FixedMetricsDevice::FixedMetricsDevice(int32_t characterWidthIn, int32_t heightIn,
                                       int32_t pixelsPerInchIn)
    : characterWidth(characterWidthIn), height(heightIn), pixelsPerInch(pixelsPerInchIn) {}

void FixedMetricsDevice::record(Record entry) {
    if (recording)
        recorded.push_back(std::move(entry));
}

void FixedMetricsDevice::setPen(const RRgb& color, int32_t width) {
    currentPenColor = color;
    currentPenWidth = width;
    Record entry;
    entry.op = Op::Pen;
    entry.color = color;
    entry.width = width;
    record(std::move(entry));
}

void FixedMetricsDevice::drawLine(int32_t h1, int32_t v1, int32_t h2, int32_t v2) {
    Record entry;
    entry.op = Op::Line;
    entry.h1 = h1;
    entry.v1 = v1;
    entry.h2 = h2;
    entry.v2 = v2;
    entry.color = currentPenColor;
    entry.width = currentPenWidth;
    record(std::move(entry));
}

void FixedMetricsDevice::selectFont(const RFont& font) {
    currentFont = font;
    Record entry;
    entry.op = Op::Font;
    entry.font = font;
    record(std::move(entry));
}

void FixedMetricsDevice::setTextColor(const RRgb& color) {
    currentTextColor = color;
    Record entry;
    entry.op = Op::TextColor;
    entry.color = color;
    record(std::move(entry));
}

void FixedMetricsDevice::drawText(int32_t h, int32_t top, const std::string& text) {
    Record entry;
    entry.op = Op::Text;
    entry.h1 = h;
    entry.v1 = top;
    entry.color = currentTextColor;
    entry.text = text;
    entry.font = currentFont;
    record(std::move(entry));
}

int32_t FixedMetricsDevice::characterCount(const std::string& text) {
    int32_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) // not a continuation byte
            ++count;
    return count;
}

int32_t FixedMetricsDevice::textWidth(const std::string& text) {
    return characterWidth * characterCount(text);
}

void FixedMetricsDevice::fillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                  const RRgb& color) {
    Record entry;
    entry.op = Op::Fill;
    entry.h1 = left;
    entry.v1 = top;
    entry.h2 = right;
    entry.v2 = bottom;
    entry.color = color;
    record(std::move(entry));
}

void FixedMetricsDevice::frameRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Record entry;
    entry.op = Op::Frame;
    entry.h1 = left;
    entry.v1 = top;
    entry.h2 = right;
    entry.v2 = bottom;
    entry.color = currentPenColor;
    entry.width = currentPenWidth;
    record(std::move(entry));
}
