#include "app/CommandIds.h"
#include "app/MenuState.h"
#include "app/Modes.h"
#include "app/PictureExport.h"
#include "app/PrintPages.h"
#include "model/TreeAttributes.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

std::vector<std::pair<int32_t, int32_t>> corners(const std::vector<RPrintPage>& pages) {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const RPrintPage& page : pages)
        out.emplace_back(page.left, page.top);
    return out;
}

} // namespace

TEST(PrintPages, TreesBeyondThePageContinueOnTheGridRowByRow) {
    using Corners = std::vector<std::pair<int32_t, int32_t>>;
    // A page of 650 by 900 hundredths of an inch.
    const int32_t w = 650;
    const int32_t h = 900;
    // Nothing: one empty page.
    EXPECT_EQ(corners(printPages({}, w, h)), (Corners{{0, 0}}));
    // A tree well inside the first page, and one touching its last unit.
    EXPECT_EQ(corners(printPages({RRect{200, 300, 260, 420}, RRect{0, 0, 899, 649}}, w, h)),
              (Corners{{0, 0}}));
    // One unit further and the tree needs the page to the right.
    EXPECT_EQ(corners(printPages({RRect{200, 600, 260, 650}}, w, h)), (Corners{{0, 0}, {650, 0}}));
    // A tree only on the second row: the empty first row is not printed.
    EXPECT_EQ(corners(printPages({RRect{1000, 10, 1100, 700}}, w, h)),
              (Corners{{0, 900}, {650, 900}}));
    // Two trees: pages in rows from the top, each row from the left, no page twice.
    EXPECT_EQ(corners(printPages({RRect{1000, 1400, 1100, 1500}, RRect{10, 10, 950, 20},
                                  RRect{20, 1300, 40, 1310}},
                                 w, h)),
              (Corners{{0, 0}, {1300, 0}, {0, 900}, {1300, 900}}));
    // A tree left of or above the origin gets pages there too; empty boxes count for nothing.
    EXPECT_EQ(corners(printPages({RRect{-5, -5, 5, 5}, RRect{10, 10, 5, 5}}, w, h)),
              (Corners{{-650, -900}, {0, -900}, {-650, 0}, {0, 0}}));
    // A page size of 0 cannot loop for ever.
    EXPECT_EQ(printPages({RRect{0, 0, 2, 0}}, 0, 0).size(), 3u);
}

TEST(PictureExport, TheTypedNameDecidesTheTypeAndThePngFilterTheScale) {
    const std::string filters = pictureExportFilters();
    EXPECT_EQ(filters, "PNG picture, 2x (*.png);;PNG picture, 1x (*.png);;PNG picture, 4x "
                       "(*.png);;SVG picture (*.svg);;PDF document (*.pdf)");
    EXPECT_EQ(defaultPictureExportFilter(), "PNG picture, 2x (*.png)");
    struct Case {
        const char* typed;
        const char* filter;
        const char* path;
        RPictureType type;
        int32_t scale;
    };
    const std::vector<Case> cases = {
        {"/h/a.png", "", "/h/a.png", RPictureType::Png, 2},
        {"/h/a.png", "PNG picture, 4x (*.png)", "/h/a.png", RPictureType::Png, 4},
        {"/h/a.PNG", "PNG picture, 1x (*.png)", "/h/a.PNG", RPictureType::Png, 1},
        {"/h/a.svg", "PNG picture, 4x (*.png)", "/h/a.svg", RPictureType::Svg, 2},
        {"/h/a.Pdf", "", "/h/a.Pdf", RPictureType::Pdf, 2},
        // No picture extension: the chosen type's is added.
        {"/h/handout", "PDF document (*.pdf)", "/h/handout.pdf", RPictureType::Pdf, 2},
        {"/h/handout", "PNG picture, 1x (*.png)", "/h/handout.png", RPictureType::Png, 1},
        {"/h/tree.v2", "SVG picture (*.svg)", "/h/tree.v2.svg", RPictureType::Svg, 2},
        // A PNG typed while the SVG type was chosen is sharp by default.
        {"/h/a.png", "SVG picture (*.svg)", "/h/a.png", RPictureType::Png, 2},
        {"/h/a", "no such filter", "/h/a.png", RPictureType::Png, 2},
    };
    for (const Case& c : cases) {
        const RPictureChoice choice = pictureChoice(c.typed, c.filter);
        EXPECT_EQ(choice.path, c.path) << c.typed << " " << c.filter;
        EXPECT_EQ(choice.type, c.type) << c.typed << " " << c.filter;
        EXPECT_EQ(choice.scale, c.scale) << c.typed << " " << c.filter;
    }
    EXPECT_EQ(initialPictureName("/home/s/My Trees.rdc"), "My Trees.png");
    EXPECT_EQ(initialPictureName(""), "Trees.png");
}

TEST(DrawingCommands, EachItemSetsOneSettingAndFontSizesAreClamped) {
    const std::vector<std::tuple<int32_t, int32_t, int32_t>> table = {
        {51, kHdrHorizontalPadding, 4},  {52, kHdrHorizontalPadding, 10},
        {53, kHdrHorizontalPadding, 25}, {54, kHdrLineHeight, 7},
        {55, kHdrLineHeight, 16},        {56, kHdrLineHeight, 24},
        {57, kHdrVerticalPadding, 0},    {58, kHdrVerticalPadding, 2},
        {59, kHdrVerticalPadding, 6},    {63, kHdrThickness, 0},
        {64, kHdrThickness, 1},          {65, kHdrThickness, 2}};
    for (const auto& [command, attribute, value] : table) {
        int32_t gotAttribute = 0;
        int32_t gotValue = -1;
        ASSERT_TRUE(drawingCommandSetting(command, gotAttribute, gotValue)) << command;
        EXPECT_EQ(gotAttribute, attribute) << command;
        EXPECT_EQ(gotValue, value) << command;
    }
    int32_t attribute = 0;
    int32_t value = 0;
    for (int32_t other : {50, 60, 61, 62, 66, kCommandExportPicture})
        EXPECT_FALSE(drawingCommandSetting(other, attribute, value)) << other;

    EXPECT_EQ(fontSizeFromDialog(2000), 144);
    EXPECT_EQ(fontSizeFromDialog(60), 8);
    EXPECT_EQ(fontSizeFromDialog(125), 12); // tenths are cut off
    EXPECT_EQ(fontSizeFromDialog(1449), 144);
    EXPECT_EQ(fontSizeFromDialog(89), 8);
}

TEST(StudentMenuState, ExportPictureNeedsAnOpenDocumentOnly) {
    for (int32_t mode :
         {kModeClosingDocument, kModeNoDocument, kModeOpeningDocument, kModeDocument}) {
        RStudentMenuSituation situation;
        situation.mode = mode;
        situation.drawingKnown = true;
        const auto state = studentMenuState(situation);
        const RMenuItemState* item = state.item(kCommandExportPicture);
        ASSERT_NE(item, nullptr) << mode;
        EXPECT_EQ(item->enabled, mode == kModeOpeningDocument || mode == kModeDocument) << mode;
    }
}
