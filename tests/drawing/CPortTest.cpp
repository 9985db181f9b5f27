#include "drawing/CPort.h"
#include "base/ErrorReporter.h"
#include "drawing/FixedMetricsDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Op = FixedMetricsDevice::Op;
using RCorners = std::array<int32_t, 4>;

// A record's two points or corners: h1, v1, h2, v2.
RCorners corners(const FixedMetricsDevice::Record& r) {
    return {r.h1, r.v1, r.h2, r.v2};
}

constexpr RRgb kBlack{0, 0, 0};
constexpr RRgb kRed{255, 0, 0};

class PortFixture : public ::testing::Test {
protected:
    std::vector<FixedMetricsDevice::Record> ops(Op kind) const {
        std::vector<FixedMetricsDevice::Record> found;
        for (const auto& record : device.records())
            if (record.op == kind)
                found.push_back(record);
        return found;
    }

    RecordingPlatformScope platform;
    FixedMetricsDevice device{7, 13};
    CPort port{&device};
};

} // namespace

TEST_F(PortFixture, ElevenColoursWithTheirNamesAndValues) {
    RRgb rgb;
    ASSERT_TRUE(CPort::colorRGB(kColorOrange, rgb));
    EXPECT_EQ(rgb, (RRgb{255, 175, 0}));
    ASSERT_TRUE(CPort::colorRGB(kColorCyan, rgb));
    EXPECT_EQ(rgb, (RRgb{0, 200, 200}));
    ASSERT_TRUE(CPort::colorRGB(kColorGray, rgb));
    EXPECT_EQ(rgb, (RRgb{175, 175, 175}));
    EXPECT_FALSE(CPort::colorRGB(0, rgb));
    EXPECT_FALSE(CPort::colorRGB(12, rgb));
    EXPECT_STREQ(CPort::colorName(kColorViolet), "Violet");
    EXPECT_STREQ(CPort::colorName(kColorMagenta), "Magenta");
}

TEST_F(PortFixture, LinesUseThePenOfTheThicknessAndColourAndMoveThePen) {
    port.setColor(kColorRed);
    ASSERT_EQ(port.setThickness(2), kNoErr);
    port.moveTo(10, 20);
    port.lineTo(30, 40);
    auto lines = ops(Op::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].color, kRed);
    EXPECT_EQ(lines[0].width, 4);
    EXPECT_EQ(corners(lines[0]), (RCorners{10, 20, 30, 40}));
    EXPECT_EQ(port.penLocation(), (RPoint{40, 30}));
    ASSERT_EQ(port.setThickness(1), kNoErr);
    port.move(5, -5);
    port.lineTo(0, 0);
    lines = ops(Op::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].width, 2);
    EXPECT_EQ(lines[1].h1, 35);
    EXPECT_EQ(lines[1].v1, 35);

    // A thickness out of range is refused and leaves the pen as it was.
    EXPECT_EQ(port.setThickness(3), kErrInvalidParameter);
    EXPECT_EQ(port.thickness(), 1);
    ASSERT_EQ(platform.recorder.bugReports().size(), 1u);
    EXPECT_EQ(platform.recorder.bugReports()[0],
              bugReportText("CPort::setThickness", kErrInvalidParameter));
}

TEST_F(PortFixture, StringsSitOnTheirPointAndLeaveThePenAfterThem) {
    port.setColor(kColorRed);
    port.setTextAttributes(kStyleBold | kStyleItalic);
    port.drawString(RPoint{50, 20}, "héllo");
    const auto texts = ops(Op::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].h1, 20);
    EXPECT_EQ(texts[0].v1, 50 - 13);
    EXPECT_EQ(texts[0].color, kRed);
    EXPECT_TRUE(texts[0].font.bold);
    EXPECT_TRUE(texts[0].font.italic);
    EXPECT_FALSE(texts[0].font.underline);
    // Five characters of 7 pixels; the device's text colour goes back to black.
    EXPECT_EQ(port.penLocation(), (RPoint{50, 55}));
    EXPECT_EQ(device.textColor(), kBlack);
    // Measuring is always in the plain face.
    EXPECT_EQ(port.getStringWidth("abc"), 21);
    EXPECT_FALSE(device.font().bold);
    EXPECT_EQ(port.getCurrentFontHeight(), 13);

    // A colour out of range is reported and the text keeps the previous colour.
    port.setColor(12);
    port.drawString("x");
    EXPECT_EQ(ops(Op::Text).back().color, kBlack);
    ASSERT_EQ(platform.recorder.bugReports().size(), 1u);
    EXPECT_EQ(platform.recorder.bugReports()[0], bugReportText("Invalid color.", kNoErr));
}

TEST_F(PortFixture, SuspendedPortDrawsAndMovesNothingButStillMeasures) {
    port.moveTo(1, 2);
    port.suspendDrawing();
    port.setColor(kColorBlue);
    ASSERT_EQ(port.setThickness(2), kNoErr);
    port.setTextAttributes(kStyleUnderline);
    port.drawString(RPoint{100, 100}, "abc");
    port.lineTo(50, 50);
    port.moveTo(9, 9);
    port.frameRect(RRect{0, 0, 10, 10});
    port.fillRect(RRect{0, 0, 10, 10});
    EXPECT_EQ(port.penLocation(), (RPoint{2, 1}));
    EXPECT_EQ(port.color(), kColorBlack);
    EXPECT_EQ(port.thickness(), 0);
    EXPECT_EQ(port.textAttributes(), kStylePlain);
    EXPECT_EQ(port.getStringWidth("abcd"), 28);
    EXPECT_EQ(port.getCurrentFontHeight(), 13);
    for (const auto& record : device.records())
        EXPECT_EQ(record.op, Op::Font);
    port.resumeDrawing();
    port.lineTo(50, 50);
    EXPECT_EQ(ops(Op::Line).size(), 1u);
}

TEST_F(PortFixture, NegativeYFlipsEveryVerticalCoordinate) {
    port.usePositiveYCoordinates(false);
    port.drawLine(RPoint{10, 1}, RPoint{20, 2});
    port.frameRect(RRect{5, 1, 15, 9});
    port.drawString(RPoint{30, 0}, "a");
    const auto line = ops(Op::Line).at(0);
    EXPECT_EQ(line.v1, -10);
    EXPECT_EQ(line.v2, -20);
    const auto frame = ops(Op::Frame).at(0);
    EXPECT_EQ(frame.v1, -5);
    EXPECT_EQ(frame.v2, -15);
    EXPECT_EQ(ops(Op::Text).at(0).v1, -30);
}

TEST_F(PortFixture, StyleFontsFollowTheFaceSizeAndResolution) {
    ASSERT_EQ(port.setFont("Helvetica", 12), kNoErr);
    EXPECT_EQ(port.styleFont(kStylePlain).height, -(96 * 12 / 72));
    EXPECT_EQ(port.styleFont(kStylePlain).face, "Helvetica");
    EXPECT_TRUE(port.styleFont(kStyleBold).bold);
    EXPECT_FALSE(port.styleFont(kStyleBold).italic);
    EXPECT_TRUE(port.styleFont(kStyleItalic | kStyleUnderline).italic);
    EXPECT_TRUE(port.styleFont(kStyleItalic | kStyleUnderline).underline);
    EXPECT_FALSE(port.styleFont(kStyleItalic | kStyleUnderline).bold);

    FixedMetricsDevice printer(7, 13, 300);
    ASSERT_EQ(port.initializeFonts(&printer), kNoErr);
    EXPECT_EQ(port.styleFont(kStylePlain).face, "MS Sans Serif");
    EXPECT_EQ(port.styleFont(kStylePlain).height, -(300 * 10 / 72));

    CPort unattached;
    EXPECT_EQ(unattached.setFont("Helvetica", 12), kErrNotInitialized);
    EXPECT_EQ(unattached.getStringWidth("abc"), 0);
}

TEST_F(PortFixture, RectanglesFrameFillAndErase) {
    port.setColor(kColorRed);
    port.frameRect(RRect{1, 2, 3, 4});
    const auto frame = ops(Op::Frame).at(0);
    EXPECT_EQ(frame.color, kRed);
    EXPECT_EQ(frame.width, 1);
    EXPECT_EQ(corners(frame), (RCorners{2, 1, 4, 3}));
    // Red has no brush: only the outline.
    port.fillRect(RRect{1, 2, 3, 4});
    EXPECT_TRUE(ops(Op::Fill).empty());
    EXPECT_EQ(ops(Op::Frame).size(), 2u);
    port.setColor(kColorBlack);
    ASSERT_EQ(port.setThickness(2), kNoErr);
    port.fillRect(RRect{1, 2, 3, 4});
    EXPECT_EQ(ops(Op::Fill).at(0).color, kBlack);
    EXPECT_EQ(ops(Op::Frame).back().width, 1);
    port.eraseRect(RRect{0, 0, 5, 5});
    EXPECT_EQ(ops(Op::Fill).back().color, (RRgb{255, 255, 255}));
}

TEST(CPortRectangles, InsetUnionAndInclusivePointTests) {
    RRect rect{10, 20, 30, 60};
    CPort::insetRect(rect, 5, 2);
    EXPECT_EQ(rect, (RRect{12, 25, 28, 55}));
    CPort::insetRect(rect, -5, -2);
    EXPECT_EQ(rect, (RRect{10, 20, 30, 60}));
    // Shrunk past itself, each pair of edges collapses towards its middle: the top takes
    // the middle, then the bottom the middle of the new top and the old bottom.
    RRect collapsed{10, 10, 20, 20};
    CPort::insetRect(collapsed, 7, 6);
    EXPECT_EQ(collapsed.top, 15);
    EXPECT_EQ(collapsed.bottom, 14);
    EXPECT_EQ(collapsed.left, 15);
    EXPECT_EQ(collapsed.right, 14);

    RRect grown{0, 0, 5, 5};
    CPort::unionRect(RRect{-3, 2, 4, 9}, grown);
    EXPECT_EQ(grown, (RRect{-3, 0, 5, 9}));

    const RRect box{0, 0, 10, 20};
    EXPECT_TRUE(CPort::pointInRect(RPoint{0, 0}, box));
    EXPECT_TRUE(CPort::pointInRect(RPoint{10, 20}, box));
    EXPECT_FALSE(CPort::pointInRect(RPoint{11, 20}, box));
    EXPECT_FALSE(CPort::pointInRect(RPoint{10, 21}, box));
    EXPECT_FALSE(CPort::pointInRect(RPoint{-1, 5}, box));
}

TEST(FixedMetricsDevice, CountsCharactersNotBytes) {
    FixedMetricsDevice device(6, 11);
    EXPECT_EQ(device.textWidth("aé€"), 18);
    EXPECT_EQ(device.fontHeight(), 11);
    device.drawText(1, 2, "z");
    device.setRecording(false);
    device.drawText(1, 2, "y");
    ASSERT_EQ(device.records().size(), 1u);
    EXPECT_EQ(device.records()[0].text, "z");
}
