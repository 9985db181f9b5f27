#include "drawing/CPort.h"
#include "drawing/FixedMetricsDevice.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class PortFixture : public ::testing::Test {
protected:
    // What reached the page since the last look, "<op> h1,v1 h2,v2 w<pen> <rgb> <text><BIU>"
    // (a text has no second corner and no pen), then any bug reports.
    std::string drawn() {
        std::ostringstream out;
        for (const FixedMetricsDevice::Record& r : device.records()) {
            const char* const ops[] = {"", "line", "", "", "text", "fill", "frame"};
            if (*ops[static_cast<int>(r.op)])
                out << ops[static_cast<int>(r.op)] << " " << r.h1 << "," << r.v1 << " " << r.h2
                    << "," << r.v2 << " w" << r.width << " " << +r.color.red << ","
                    << +r.color.green << "," << +r.color.blue << " " << r.text
                    << (r.font.bold ? "B" : "") << (r.font.italic ? "I" : "")
                    << (r.font.underline ? "U" : "") << "; ";
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

TEST_F(PortFixture, LinesAndStringsUseThePenColourAndStyleAndLeaveThePenAtTheirEnd) {
    RRgb c;
    EXPECT_EQ(std::string(CPort::colorName(kColorViolet)) + CPort::colorName(12), "Violet");
    EXPECT_FALSE(CPort::colorRGB(0, c) || CPort::colorRGB(12, c));
    port.setColor(kColorRed);
    ASSERT_EQ(port.setThickness(2), kNoErr);
    port.moveTo(10, 20);
    port.lineTo(30, 40);
    ASSERT_EQ(port.setThickness(1), kNoErr);
    // A thickness out of range is refused and leaves the pen as it was.
    EXPECT_EQ(port.setThickness(3), kErrInvalidParameter);
    port.move(5, -5);
    port.lineTo(0, 0);
    port.setTextAttributes(kStyleBold | kStyleItalic);
    port.drawString(RPoint{50, 20}, "hé€lo");
    // Measuring is always in the plain face.
    EXPECT_EQ(port.getCurrentFontHeight(), 13);
    EXPECT_FALSE(device.font().bold);
    // A colour out of range is reported; the text is in the black the device went back to, after
    // the five characters (not eight bytes) of 7 pixels before it.
    port.setColor(12);
    port.drawString("x");
    EXPECT_EQ(drawn(), "line 10,20 30,40 w4 255,0,0 ; line 35,35 0,0 w2 255,0,0 ; text 20,37 0,0 "
                       "w0 255,0,0 hé€loBI; text 55,37 0,0 w0 0,0,0 xBI; bug CPort::setThickness "
                       "(invalid parameter); bug Invalid color.; ");

    // Style fonts follow the face, the size and the device's resolution.
    ASSERT_EQ(port.setFont("Helvetica", 12), kNoErr);
    const RFont f = port.styleFont(kStyleItalic | kStyleUnderline);
    EXPECT_EQ(std::make_tuple(f.face, f.height, f.bold, f.italic, f.underline),
              std::make_tuple("Helvetica", -16, false, true, true));
    FixedMetricsDevice printer(7, 13, 300);
    ASSERT_EQ(port.initializeFonts(&printer), kNoErr);
    EXPECT_EQ(port.styleFont(kStylePlain).face + std::to_string(port.styleFont(kStylePlain).height),
              "MS Sans Serif-41");
    CPort unattached;
    EXPECT_EQ(unattached.setFont("Helvetica", 12), kErrNotInitialized);
    EXPECT_EQ(unattached.getStringWidth("abc"), 0);
}

TEST_F(PortFixture, SuspendedPortsDrawNothingAndRectanglesAreFlippedFilledInsetAndJoined) {
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
    EXPECT_EQ(drawn(), "");
    port.resumeDrawing();
    port.usePositiveYCoordinates(false);
    port.lineTo(50, 50);
    port.frameRect(RRect{5, 1, 15, 9});
    port.drawString(RPoint{30, 0}, "a");
    EXPECT_EQ(drawn(), "line 1,-2 50,-50 w1 0,0,0 ; frame 1,-5 9,-15 w1 0,0,0 ; text 0,-30 0,0 w0 "
                       "0,0,0 a; ");
    port.usePositiveYCoordinates(true);
    port.setColor(kColorRed);
    port.fillRect(RRect{1, 2, 3, 4}); // red has no brush: only the outline
    port.setColor(kColorBlack);
    ASSERT_EQ(port.setThickness(2), kNoErr);
    port.fillRect(RRect{1, 2, 3, 4});
    port.eraseRect(RRect{0, 0, 5, 5});
    EXPECT_EQ(drawn(), "frame 2,1 4,3 w1 255,0,0 ; fill 2,1 4,3 w0 0,0,0 ; frame 2,1 4,3 w1 0,0,0 "
                       "; fill 0,0 5,5 w0 255,255,255 ; ");
    // Shrunk past itself, each pair of edges collapses towards its middle: the top takes the
    // middle, then the bottom the middle of the new top and the old bottom.
    const std::tuple<RRect, int32_t, int32_t, RRect> insets[] = {
        {{10, 20, 30, 60}, 5, 2, {12, 25, 28, 55}},
        {{12, 25, 28, 55}, -5, -2, {10, 20, 30, 60}},
        {{10, 10, 20, 20}, 7, 6, {15, 15, 14, 14}}};
    for (auto [rect, dh, dv, expected] : insets) {
        CPort::insetRect(rect, dh, dv);
        EXPECT_EQ(rect, expected);
    }
    RRect grown{0, 0, 5, 5};
    CPort::unionRect(RRect{-3, 2, 4, 9}, grown);
    EXPECT_EQ(grown, (RRect{-3, 0, 5, 9}));
    std::string inside; // the corners are inside
    for (const RPoint& p : {RPoint{0, 0}, {10, 20}, {11, 20}, {10, 21}, {-1, 5}})
        inside += CPort::pointInRect(p, RRect{0, 0, 10, 20}) ? "1" : "0";
    EXPECT_EQ(inside, "11000");
}
