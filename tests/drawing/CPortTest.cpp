#include "drawing/CPort.h"
#include "base/ErrorReporter.h"
#include "drawing/FixedMetricsDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Op = FixedMetricsDevice::Op;

std::string rgb(const RRgb& c) {
    return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

class PortFixture : public ::testing::Test {
protected:
    // What reached the page since the last look: "line h1,v1 h2,v2 w<pen> <rgb>", "frame" and
    // "fill" likewise, "text h,top <text> <rgb> <B><I><U>", then any bug reports.
    std::string drawn() {
        std::ostringstream out;
        for (const FixedMetricsDevice::Record& r : device.records()) {
            const char* op = r.op == Op::Line    ? "line "
                             : r.op == Op::Frame ? "frame "
                             : r.op == Op::Fill  ? "fill "
                             : r.op == Op::Text  ? "text "
                                                 : nullptr;
            if (!op)
                continue;
            out << op << r.h1 << "," << r.v1;
            if (r.op == Op::Text)
                out << " " << r.text << " " << rgb(r.color) << " " << (r.font.bold ? "B" : "")
                    << (r.font.italic ? "I" : "") << (r.font.underline ? "U" : "") << "; ";
            else
                out << " " << r.h2 << "," << r.v2 << " w" << r.width << " " << rgb(r.color) << "; ";
        }
        for (const std::string& report : platform.recorder.bugReports())
            out << "bug " << report << "; ";
        device.clear();
        platform.recorder.clear();
        return out.str();
    }

    RecordingPlatformScope platform;
    FixedMetricsDevice device{7, 13};
    CPort port{&device};
};

} // namespace

TEST_F(PortFixture, ColoursAndLinesUseThePenOfTheThicknessAndColourAndMoveThePen) {
    std::string colours = CPort::colorName(kColorViolet);
    RRgb c;
    for (const int32_t colour : {int32_t{kColorOrange}, int32_t{kColorGray}, 0, 12})
        colours += CPort::colorRGB(colour, c) ? " " + rgb(c) : std::string(" -");
    EXPECT_EQ(colours, "Violet 255,175,0 175,175,175 - -");

    port.setColor(kColorRed);
    ASSERT_EQ(port.setThickness(2), kNoErr);
    port.moveTo(10, 20);
    port.lineTo(30, 40);
    EXPECT_EQ(port.penLocation(), (RPoint{40, 30}));
    ASSERT_EQ(port.setThickness(1), kNoErr);
    port.move(5, -5);
    port.lineTo(0, 0);
    // A thickness out of range is refused and leaves the pen as it was.
    EXPECT_EQ(port.setThickness(3), kErrInvalidParameter);
    EXPECT_EQ(port.thickness(), 1);
    EXPECT_EQ(drawn(), "line 10,20 30,40 w4 255,0,0; line 35,35 0,0 w2 255,0,0; bug "
                       "CPort::setThickness (invalid parameter); ");
}

TEST_F(PortFixture, StringsSitOnTheirPointAndLeaveThePenAfterThem) {
    port.setColor(kColorRed);
    port.setTextAttributes(kStyleBold | kStyleItalic);
    port.drawString(RPoint{50, 20}, "héllo");
    // Five characters of 7 pixels; the device's text colour goes back to black.
    EXPECT_EQ(port.penLocation(), (RPoint{50, 55}));
    EXPECT_EQ(device.textColor(), (RRgb{0, 0, 0}));
    // Measuring is always in the plain face.
    EXPECT_EQ(port.getStringWidth("abc"), 21);
    EXPECT_FALSE(device.font().bold);
    EXPECT_EQ(port.getCurrentFontHeight(), 13);
    // A colour out of range is reported and the text keeps the previous colour.
    port.setColor(12);
    port.drawString("x");
    EXPECT_EQ(drawn(), "text 20,37 héllo 255,0,0 BI; text 55,37 x 0,0,0 BI; bug Invalid color.; ");
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
    EXPECT_EQ(drawn(), "line 1,2 50,50 w1 0,0,0; ");
}

TEST_F(PortFixture, NegativeYFlipsEveryVerticalCoordinateAndRectanglesFrameFillAndErase) {
    port.usePositiveYCoordinates(false);
    port.drawLine(RPoint{10, 1}, RPoint{20, 2});
    port.frameRect(RRect{5, 1, 15, 9});
    port.drawString(RPoint{30, 0}, "a");
    EXPECT_EQ(drawn(),
              "line 1,-10 2,-20 w1 0,0,0; frame 1,-5 9,-15 w1 0,0,0; text 0,-30 a 0,0,0 ; ");
    port.usePositiveYCoordinates(true);
    port.setColor(kColorRed);
    port.frameRect(RRect{1, 2, 3, 4});
    port.fillRect(RRect{1, 2, 3, 4}); // red has no brush: only the outline
    port.setColor(kColorBlack);
    ASSERT_EQ(port.setThickness(2), kNoErr);
    port.fillRect(RRect{1, 2, 3, 4});
    port.eraseRect(RRect{0, 0, 5, 5});
    EXPECT_EQ(drawn(), "frame 2,1 4,3 w1 255,0,0; frame 2,1 4,3 w1 255,0,0; fill 2,1 4,3 w0 0,0,0; "
                       "frame 2,1 4,3 w1 0,0,0; fill 0,0 5,5 w0 255,255,255; ");
}

TEST_F(PortFixture, StyleFontsFollowTheFaceSizeAndResolution) {
    ASSERT_EQ(port.setFont("Helvetica", 12), kNoErr);
    auto font = [&](int32_t style) {
        const RFont f = port.styleFont(style);
        return f.face + " " + std::to_string(f.height) + (f.bold ? " B" : "") +
               (f.italic ? " I" : "") + (f.underline ? " U" : "");
    };
    EXPECT_EQ(font(kStylePlain), "Helvetica " + std::to_string(-(96 * 12 / 72)));
    EXPECT_EQ(font(kStyleBold), "Helvetica -16 B");
    EXPECT_EQ(font(kStyleItalic | kStyleUnderline), "Helvetica -16 I U");
    FixedMetricsDevice printer(7, 13, 300);
    ASSERT_EQ(port.initializeFonts(&printer), kNoErr);
    EXPECT_EQ(font(kStylePlain), "MS Sans Serif " + std::to_string(-(300 * 10 / 72)));
    CPort unattached;
    EXPECT_EQ(unattached.setFont("Helvetica", 12), kErrNotInitialized);
    EXPECT_EQ(unattached.getStringWidth("abc"), 0);
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
    device.drawText(1, 2, "z");
    device.setRecording(false);
    device.drawText(1, 2, "y");
    ASSERT_EQ(device.records().size(), 1u);
    EXPECT_EQ(device.records()[0].text, "z");
}
