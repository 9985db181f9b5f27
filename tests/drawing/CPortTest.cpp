#include "drawing/CPort.h"
#include "base/ErrorReporter.h"
#include "drawing/FixedMetricsDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

namespace {

using Op = FixedMetricsDevice::Op;
using RCorners = std::array<int32_t, 4>;
using Reports = std::vector<std::string>;

// A record's two points or corners (h1, v1, h2, v2) and its pen width.
std::tuple<RCorners, int32_t> shape(const FixedMetricsDevice::Record& r) {
    return {{r.h1, r.v1, r.h2, r.v2}, r.width};
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

TEST_F(PortFixture, ColoursAndLinesUseThePenOfTheThicknessAndColourAndMoveThePen) {
    RRgb rgb;
    const std::pair<int32_t, RRgb> colours[] = {
        {kColorOrange, {255, 175, 0}}, {kColorCyan, {0, 200, 200}}, {kColorGray, {175, 175, 175}}};
    for (const auto& [colour, expected] : colours) {
        ASSERT_TRUE(CPort::colorRGB(colour, rgb));
        EXPECT_EQ(rgb, expected);
    }
    EXPECT_FALSE(CPort::colorRGB(0, rgb));
    EXPECT_FALSE(CPort::colorRGB(12, rgb));
    EXPECT_STREQ(CPort::colorName(kColorViolet), "Violet");
    EXPECT_STREQ(CPort::colorName(kColorMagenta), "Magenta");

    port.setColor(kColorRed);
    ASSERT_EQ(port.setThickness(2), kNoErr);
    port.moveTo(10, 20);
    port.lineTo(30, 40);
    EXPECT_EQ(port.penLocation(), (RPoint{40, 30}));
    ASSERT_EQ(port.setThickness(1), kNoErr);
    port.move(5, -5);
    port.lineTo(0, 0);
    const auto lines = ops(Op::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].color, kRed);
    EXPECT_EQ(shape(lines[0]), std::make_tuple(RCorners{10, 20, 30, 40}, 4));
    EXPECT_EQ(shape(lines[1]), std::make_tuple(RCorners{35, 35, 0, 0}, 2));
    // A thickness out of range is refused and leaves the pen as it was.
    EXPECT_EQ(port.setThickness(3), kErrInvalidParameter);
    EXPECT_EQ(port.thickness(), 1);
    EXPECT_EQ(platform.recorder.bugReports(),
              Reports{bugReportText("CPort::setThickness", kErrInvalidParameter)});
}

TEST_F(PortFixture, StringsSitOnTheirPointAndLeaveThePenAfterThem) {
    port.setColor(kColorRed);
    port.setTextAttributes(kStyleBold | kStyleItalic);
    port.drawString(RPoint{50, 20}, "héllo");
    const auto texts = ops(Op::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(std::make_pair(texts[0].h1, texts[0].v1), std::make_pair(20, 50 - 13));
    EXPECT_EQ(texts[0].color, kRed);
    EXPECT_EQ(std::make_tuple(texts[0].font.bold, texts[0].font.italic, texts[0].font.underline),
              std::make_tuple(true, true, false));
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
    EXPECT_EQ(platform.recorder.bugReports(), Reports{bugReportText("Invalid color.", kNoErr)});
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
    EXPECT_EQ(std::make_tuple(port.color(), port.thickness(), port.textAttributes()),
              std::make_tuple(kColorBlack, 0, kStylePlain));
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
    EXPECT_EQ(shape(ops(Op::Line).at(0)), std::make_tuple(RCorners{1, -10, 2, -20}, 1));
    EXPECT_EQ(shape(ops(Op::Frame).at(0)), std::make_tuple(RCorners{1, -5, 9, -15}, 1));
    EXPECT_EQ(ops(Op::Text).at(0).v1, -30);
}

TEST_F(PortFixture, StyleFontsFollowTheFaceSizeAndResolution) {
    ASSERT_EQ(port.setFont("Helvetica", 12), kNoErr);
    EXPECT_EQ(port.styleFont(kStylePlain).height, -(96 * 12 / 72));
    EXPECT_EQ(port.styleFont(kStylePlain).face, "Helvetica");
    auto flags = [&](int32_t style) {
        const RFont font = port.styleFont(style);
        return std::make_tuple(font.bold, font.italic, font.underline);
    };
    EXPECT_EQ(flags(kStyleBold), std::make_tuple(true, false, false));
    EXPECT_EQ(flags(kStyleItalic | kStyleUnderline), std::make_tuple(false, true, true));

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
    EXPECT_EQ(ops(Op::Frame).at(0).color, kRed);
    EXPECT_EQ(shape(ops(Op::Frame).at(0)), std::make_tuple(RCorners{2, 1, 4, 3}, 1));
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
    EXPECT_EQ(collapsed, (RRect{15, 15, 14, 14}));
    RRect grown{0, 0, 5, 5};
    CPort::unionRect(RRect{-3, 2, 4, 9}, grown);
    EXPECT_EQ(grown, (RRect{-3, 0, 5, 9}));

    const RRect box{0, 0, 10, 20};
    for (const auto& [v, h, inside] :
         {std::tuple{0, 0, true}, {10, 20, true}, {11, 20, false}, {10, 21, false}, {-1, 5, false}})
        EXPECT_EQ(CPort::pointInRect(RPoint{v, h}, box), inside) << v << " " << h;
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
