#include "app/PanelGeometry.h"

#include <gtest/gtest.h>

namespace {

RRect rect(int32_t top, int32_t left, int32_t bottom, int32_t right) {
    return RRect{top, left, bottom, right};
}

} // namespace

TEST(PanelGeometryTest, ButtonsListPreviewAndLabelStandWhereTheRulesPutThem) {
    EXPECT_EQ(panel::toolButtonRect(1), rect(8, 11, 40, 76));
    EXPECT_EQ(panel::toolButtonRect(3), rect(8, 145, 40, 210));
    EXPECT_EQ(panel::categoryButtonRect(1), rect(49, 11, 72, 59));
    EXPECT_EQ(panel::categoryButtonRect(4), rect(49, 161, 72, 209));
    EXPECT_EQ(panel::categoryButtonRect(5), rect(74, 11, 97, 59));
    EXPECT_EQ(panel::categoryButtonRect(40), rect(274, 161, 297, 209));
    // The bottom line and the word list for 0, 1, 9 and 40 buttons.
    struct RCase {
        int32_t buttons;
        int32_t bottomLine;
    };
    for (const RCase& c :
         {RCase{0, 72}, RCase{1, 72}, RCase{4, 72}, RCase{5, 97}, RCase{9, 122}, RCase{40, 297}}) {
        SCOPED_TRACE(c.buttons);
        EXPECT_EQ(panel::categoryBottomLine(c.buttons), c.bottomLine);
        EXPECT_EQ(panel::wordListRect(c.buttons),
                  rect(c.bottomLine + 7, 10, c.bottomLine + 129, 210));
        EXPECT_EQ(panel::previewRect(c.buttons),
                  rect(c.bottomLine + 143, 10, c.bottomLine + 393, 210));
    }
    EXPECT_EQ(panel::grammarLabelRect(700), rect(655, 10, 690, 210));
    EXPECT_EQ(panel::canvasRect(1000, 700), rect(0, 220, 680, 1000));
    EXPECT_EQ(panel::statusBarRect(1000, 700), rect(680, 220, 700, 1000));
    EXPECT_EQ(panel::buttonsInUse(45), 40);
    EXPECT_TRUE(panel::lastButtonOpensMenu(41));
    EXPECT_FALSE(panel::lastButtonOpensMenu(40));
}

TEST(PanelGeometryTest, TabMovesToTheNextVisibleTool) {
    struct RCase {
        int32_t from;
        bool scissors;
        bool spyglass;
        int32_t to;
    };
    for (const RCase& c :
         {RCase{1, false, false, 1}, RCase{1, true, false, 2}, RCase{1, false, true, 3},
          RCase{1, true, true, 2}, RCase{2, true, true, 3}, RCase{2, true, false, 1},
          RCase{3, true, true, 1}, RCase{3, false, true, 1}}) {
        EXPECT_EQ(panel::nextToolOnTab(c.from, c.scissors, c.spyglass), c.to)
            << c.from << c.scissors << c.spyglass;
    }
}

TEST(PanelGeometryTest, BevelScrollSizesAndPopUpLines) {
    const std::vector<panel::RBevelLine> lines = panel::sunkenBevel(rect(100, 10, 200, 210));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0].h1, 9);
    EXPECT_EQ(lines[0].v1, 99);
    EXPECT_EQ(lines[0].v2, 201);
    EXPECT_TRUE(lines[0].dark);
    EXPECT_EQ(lines[7].h1, 8);
    EXPECT_EQ(lines[7].v1, 202);
    EXPECT_EQ(lines[7].h2, 213);
    EXPECT_FALSE(lines[7].dark);

    const RScrollSizes defaults = makeScrollSizes(600, 600);
    EXPECT_EQ(defaults.pageWidth, 60);
    EXPECT_EQ(defaults.lineHeight, 6);
    const RScrollSizes tiny = makeScrollSizes(5, 0);
    EXPECT_EQ(tiny.totalHeight, 1);
    EXPECT_EQ(tiny.pageWidth, 1);
    EXPECT_EQ(tiny.lineWidth, 1);
    const RScrollSizes given = makeScrollSizes(800, 800, 100, 50, 0, 0);
    EXPECT_EQ(given.pageHeight, 50);
    EXPECT_EQ(given.lineWidth, 10);
    EXPECT_EQ(given.lineHeight, 5);

    EXPECT_EQ(splitPopUpText("one\\ntwo\\n"), (std::vector<std::string>{"one", "two", ""}));
    EXPECT_EQ(splitPopUpText("a\nb"), (std::vector<std::string>{"a\nb"}));
    EXPECT_EQ(splitPopUpText("plain"), (std::vector<std::string>{"plain"}));
}
