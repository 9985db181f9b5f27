#include "support/HierarchyTestSupport.h"

#include "drawing/CPort.h"
#include "drawing/FixedMetricsDevice.h"

#include <gtest/gtest.h>

namespace {

// The font commands store sizes up to 144 points; at 96 pixels per inch such a label is
// about 192 pixels high, which the drawing's sanity check must accept without a report.
class LargeFontBoxTest : public HierarchyFixture {
protected:
    std::size_t reportsWhenDrawnAt(int32_t fontHeight, int32_t pixelsPerInch) {
        FixedMetricsDevice device{10, fontHeight, pixelsPerInch};
        CPort port{&device};
        EXPECT_EQ(tree.setTreePort(&port), kNoErr);
        const int32_t root = build("S(NP VP)");
        const std::size_t before = reports().size();
        EXPECT_EQ(tree.drawTree(root, true), kNoErr);
        const std::size_t after = reports().size();
        EXPECT_EQ(tree.setTreePort(nullptr), kNoErr);
        return after - before;
    }
};

TEST_F(LargeFontBoxTest, LabelsInTheLargestFontAreNoFaultButAbsurdHeightsStillAre) {
    EXPECT_EQ(reportsWhenDrawnAt(12, 96), 0u);
    EXPECT_EQ(reportsWhenDrawnAt(200, 96), 0u);
    EXPECT_EQ(reportsWhenDrawnAt(2, 96), 3u);
    EXPECT_EQ(reportsWhenDrawnAt(400, 96), 3u);
    // On a printer's 600 pixels per inch the largest font is taller still.
    EXPECT_EQ(reportsWhenDrawnAt(1100, 600), 0u);
    for (const std::string& text : reports())
        EXPECT_EQ(text, "CTree::drawNodeAndBelow");
}

} // namespace
