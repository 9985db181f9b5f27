#pragma once

#include "drawing/DrawingDevice.h"

#include <cstdint>
#include <string>
#include <vector>

// A device whose every character is `characterWidth` pixels wide and whose fonts are all
// `height` pixels high, whatever their face or size. It draws nothing; it records every
// operation so that tests can check what was drawn, in order.
class FixedMetricsDevice : public DrawingDevice {
public:
    enum class Op { Pen, Line, Font, TextColor, Text, Fill, Frame };

    // One recorded operation; only the fields its kind uses are set.
    struct Record {
        Op op = Op::Line;
        int32_t h1 = 0; // line start, text left, rectangle left
        int32_t v1 = 0; // line start, text top, rectangle top
        int32_t h2 = 0; // line end, rectangle right
        int32_t v2 = 0; // line end, rectangle bottom
        RRgb color;     // pen, text or fill colour
        int32_t width = 0;
        std::string text;
        RFont font;
    };

    FixedMetricsDevice(int32_t characterWidth, int32_t height, int32_t pixelsPerInch = 96);

    void setPen(const RRgb& color, int32_t width) override;
    void drawLine(int32_t h1, int32_t v1, int32_t h2, int32_t v2) override;
    void selectFont(const RFont& font) override;
    void setTextColor(const RRgb& color) override;
    void drawText(int32_t h, int32_t top, const std::string& text) override;
    int32_t textWidth(const std::string& text) override;
    int32_t fontHeight() override { return height; }
    void fillRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                  const RRgb& color) override;
    void frameRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    int32_t verticalPixelsPerInch() override { return pixelsPerInch; }

    const std::vector<Record>& records() const { return recorded; }
    void clear() { recorded.clear(); }
    // Drawing and measuring go on as before, but nothing more is kept.
    void setRecording(bool on) { recording = on; }

    // The current text colour and font.
    const RRgb& textColor() const { return currentTextColor; }
    const RFont& font() const { return currentFont; }

    // The number of characters (code points) of a UTF-8 text.
    static int32_t characterCount(const std::string& text);

private:
    void record(Record entry);

    int32_t characterWidth;
    int32_t height;
    int32_t pixelsPerInch;
    bool recording = true;
    RRgb currentPenColor;
    int32_t currentPenWidth = 1;
    RRgb currentTextColor;
    RFont currentFont;
    std::vector<Record> recorded;
};
