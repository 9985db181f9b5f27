#include "AppTestSupport.h"
#include "app/CLexiconEditing.h"
#include "app/LexiconEditorRules.h"
#include "app/PanelGeometry.h"
#include "app/PictureExport.h"
#include "app/PrintPages.h"

namespace {

RRect rect(int32_t top, int32_t left, int32_t bottom, int32_t right) {
    return RRect{top, left, bottom, right};
}

using Corners = std::vector<std::pair<int32_t, int32_t>>;

// The top-left corners of the pages for the trees' boxes on pages of 650 by 900 hundredths.
Corners pages(const std::vector<RRect>& boxes, int32_t width = 650, int32_t height = 900) {
    Corners out;
    for (const RPrintPage& page : printPages(boxes, width, height))
        out.emplace_back(page.left, page.top);
    return out;
}

} // namespace

TEST(PanelGeometry, ButtonsListPreviewLabelTabAndBevelStandWhereTheRulesPutThem) {
    EXPECT_EQ(panel::toolButtonRect(1), rect(8, 11, 40, 76));
    EXPECT_EQ(panel::toolButtonRect(3), rect(8, 145, 40, 210));
    EXPECT_EQ(panel::categoryButtonRect(1), rect(49, 11, 72, 59));
    EXPECT_EQ(panel::categoryButtonRect(4), rect(49, 161, 72, 209));
    EXPECT_EQ(panel::categoryButtonRect(5), rect(74, 11, 97, 59));
    EXPECT_EQ(panel::categoryButtonRect(40), rect(274, 161, 297, 209));
    // The bottom line of the category buttons places the word list and the preview.
    for (const auto& [buttons, bottom] :
         {std::pair{0, 72}, {1, 72}, {4, 72}, {5, 97}, {9, 122}, {40, 297}}) {
        SCOPED_TRACE(buttons);
        EXPECT_EQ(panel::categoryBottomLine(buttons), bottom);
        EXPECT_EQ(panel::wordListRect(buttons), rect(bottom + 7, 10, bottom + 129, 210));
        EXPECT_EQ(panel::previewRect(buttons), rect(bottom + 143, 10, bottom + 393, 210));
    }
    EXPECT_EQ(panel::grammarLabelRect(700), rect(655, 10, 690, 210));
    EXPECT_EQ(panel::canvasRect(1000, 700), rect(0, 220, 680, 1000));
    EXPECT_EQ(panel::statusBarRect(1000, 700), rect(680, 220, 700, 1000));
    EXPECT_EQ(panel::buttonsInUse(45), 40);
    EXPECT_TRUE(panel::lastButtonOpensMenu(41));
    EXPECT_FALSE(panel::lastButtonOpensMenu(40));

    // Tab moves to the next visible tool: from, scissors shown, spyglass shown, to.
    const std::tuple<int32_t, bool, bool, int32_t> tabs[] = {
        {1, false, false, 1}, {1, true, false, 2}, {1, false, true, 3}, {1, true, true, 2},
        {2, true, true, 3},   {2, true, false, 1}, {3, true, true, 1},  {3, false, true, 1}};
    for (const auto& [from, scissors, spyglass, to] : tabs)
        EXPECT_EQ(panel::nextToolOnTab(from, scissors, spyglass), to)
            << from << scissors << spyglass;

    const std::vector<panel::RBevelLine> lines = panel::sunkenBevel(rect(100, 10, 200, 210));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(std::make_tuple(lines[0].h1, lines[0].v1, lines[0].v2, lines[0].dark),
              std::make_tuple(9, 99, 201, true));
    EXPECT_EQ(std::make_tuple(lines[7].h1, lines[7].v1, lines[7].h2, lines[7].dark),
              std::make_tuple(8, 202, 213, false));
}

TEST(PanelGeometry, ScrollSizesAndPopUpLines) {
    const RScrollSizes defaults = makeScrollSizes(600, 600);
    EXPECT_EQ(std::make_pair(defaults.pageWidth, defaults.lineHeight), std::make_pair(60, 6));
    const RScrollSizes tiny = makeScrollSizes(5, 0);
    EXPECT_EQ(std::make_tuple(tiny.totalHeight, tiny.pageWidth, tiny.lineWidth),
              std::make_tuple(1, 1, 1));
    const RScrollSizes given = makeScrollSizes(800, 800, 100, 50, 0, 0);
    EXPECT_EQ(std::make_tuple(given.pageHeight, given.lineWidth, given.lineHeight),
              std::make_tuple(50, 10, 5));

    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitPopUpText("one\\ntwo\\n"), (Lines{"one", "two", ""}));
    EXPECT_EQ(splitPopUpText("a\nb"), (Lines{"a\nb"}));
    EXPECT_EQ(splitPopUpText("plain"), (Lines{"plain"}));
}

TEST(PrintPages, TreesBeyondThePageContinueOnTheGridRowByRow) {
    EXPECT_EQ(pages({}), (Corners{{0, 0}})); // nothing: one empty page
    // A tree well inside the first page, and one touching its last unit.
    EXPECT_EQ(pages({rect(200, 300, 260, 420), rect(0, 0, 899, 649)}), (Corners{{0, 0}}));
    // One unit further and the tree needs the page to the right.
    EXPECT_EQ(pages({rect(200, 600, 260, 650)}), (Corners{{0, 0}, {650, 0}}));
    // A tree only on the second row: the empty first row is not printed.
    EXPECT_EQ(pages({rect(1000, 10, 1100, 700)}), (Corners{{0, 900}, {650, 900}}));
    // Pages in rows from the top, each row from the left, no page twice.
    EXPECT_EQ(
        pages({rect(1000, 1400, 1100, 1500), rect(10, 10, 950, 20), rect(20, 1300, 40, 1310)}),
        (Corners{{0, 0}, {1300, 0}, {0, 900}, {1300, 900}}));
    // A tree left of or above the origin gets pages there too; empty boxes count for nothing.
    EXPECT_EQ(pages({rect(-5, -5, 5, 5), rect(10, 10, 5, 5)}),
              (Corners{{-650, -900}, {0, -900}, {-650, 0}, {0, 0}}));
    EXPECT_EQ(pages({rect(0, 0, 2, 0)}, 0, 0).size(), 3u); // a page size of 0 cannot loop
}

TEST(PictureExport, TheTypedNameDecidesTheTypeAndThePngFilterTheScale) {
    EXPECT_EQ(pictureExportFilters(), "PNG picture, 2x (*.png);;PNG picture, 1x (*.png);;PNG "
                                      "picture, 4x (*.png);;SVG picture (*.svg);;PDF document "
                                      "(*.pdf)");
    EXPECT_EQ(defaultPictureExportFilter(), "PNG picture, 2x (*.png)");
    const auto png = RPictureType::Png;
    const auto svg = RPictureType::Svg;
    const auto pdf = RPictureType::Pdf;
    const std::tuple<const char*, const char*, std::string, RPictureType, int32_t> cases[] = {
        {"/h/a.png", "", "/h/a.png", png, 2},
        {"/h/a.png", "PNG picture, 4x (*.png)", "/h/a.png", png, 4},
        {"/h/a.PNG", "PNG picture, 1x (*.png)", "/h/a.PNG", png, 1},
        {"/h/a.svg", "PNG picture, 4x (*.png)", "/h/a.svg", svg, 2},
        {"/h/a.Pdf", "", "/h/a.Pdf", pdf, 2},
        // No picture extension: the chosen type's is added.
        {"/h/handout", "PDF document (*.pdf)", "/h/handout.pdf", pdf, 2},
        {"/h/handout", "PNG picture, 1x (*.png)", "/h/handout.png", png, 1},
        {"/h/tree.v2", "SVG picture (*.svg)", "/h/tree.v2.svg", svg, 2},
        // A PNG typed while the SVG type was chosen is sharp by default.
        {"/h/a.png", "SVG picture (*.svg)", "/h/a.png", png, 2},
        {"/h/a", "no such filter", "/h/a.png", png, 2},
    };
    for (const auto& [typed, filter, path, type, scale] : cases) {
        const RPictureChoice choice = pictureChoice(typed, filter);
        EXPECT_EQ(std::tie(choice.path, choice.type, choice.scale), std::tie(path, type, scale))
            << typed << " " << filter;
    }
    EXPECT_EQ(initialPictureName("/home/s/My Trees.rdc"), "My Trees.png");
    EXPECT_EQ(initialPictureName(""), "Trees.png");
}

TEST(LexiconEditorRules, NodeTypesStylesClearingAndFeatureRows) {
    const std::vector<int32_t> categories{3, 40, 41, 42};
    EXPECT_EQ(nodeTypeEntry(categories, 0, -1), 0);
    EXPECT_EQ(nodeTypeEntry(categories, 40, 0), 1);
    EXPECT_EQ(nodeTypeEntry(categories, 41, 2), 6);
    EXPECT_EQ(nodeTypeEntry(categories, 99, 1), 0); // not in the list
    int32_t category = -5, projection = -5;
    ASSERT_TRUE(nodeTypeOfEntry(categories, 6, category, projection));
    EXPECT_EQ(std::make_pair(category, projection), std::make_pair(41, 2));
    ASSERT_TRUE(nodeTypeOfEntry(categories, 0, category, projection));
    EXPECT_EQ(std::make_pair(category, projection), std::make_pair(0, -1));
    EXPECT_FALSE(nodeTypeOfEntry(categories, 10, category, projection));
    EXPECT_FALSE(nodeTypeOfEntry(std::vector<int32_t>{0}, 1, category, projection));

    // Bold wins over Italic, Italic over Underline.
    for (const auto& [style, entry] : {std::pair{0, 0}, {4, 3}, {5, 2}, {7, 1}})
        EXPECT_EQ(styleEntry(style), entry) << style;
    int32_t value = -1;
    EXPECT_EQ(styleValueOfEntry(2, value), kNoErr);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(styleValueOfEntry(4, value), kErrGeneral);

    EXPECT_EQ(wordAfterClearing({3, 7, 8, 9}, 8), 7);
    EXPECT_EQ(wordAfterClearing({3, 7, 8, 9}, 7), 8);
    EXPECT_EQ(wordAfterClearing({1, 7}, 7), 0);

    const std::vector<int32_t> six{6, 11, 12, 13, 14, 15, 16};
    CFeatureRows rows;
    EXPECT_EQ(CFeatureRows::maximum(six), 2);
    EXPECT_EQ(rows.featureOfRow(six, 4), 14);
    EXPECT_TRUE(rows.scrollTo(six, 9));
    EXPECT_EQ(rows.position(), 2);
    EXPECT_EQ(rows.featureOfRow(six, 1), 13);
    EXPECT_FALSE(rows.scrollTo(six, 5));
    EXPECT_EQ(rows.rowOfFeature(six, 11), -1);
    EXPECT_TRUE(rows.makeVisible(six, 11));
    EXPECT_EQ(rows.rowOfFeature(six, 11), 1);
    EXPECT_TRUE(rows.makeVisible(six, 16));
    EXPECT_EQ(rows.rowOfFeature(six, 16), 4);
    EXPECT_FALSE(rows.makeVisible(six, 99));
    const std::vector<int32_t> three{3, 21, 22, 23};
    CFeatureRows few;
    EXPECT_EQ(CFeatureRows::maximum(three), 0);
    EXPECT_EQ(few.featureOfRow(three, 4), 0);
    EXPECT_FALSE(few.scrollTo(three, 1));
}

TEST(CLexiconEditing, StepsWithoutWindowsUndoToTheStartAndRefuseTheMainTerminal) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    CLexiconEditing editing(tree);
    int32_t root = 0, leaf = 0;
    ASSERT_EQ(editing.newWord(0, root, leaf), kNoErr);
    RDeleteRefusal refusal = RDeleteRefusal::None;
    int32_t after = 0;
    const std::size_t steps = tree.undoStructure().stepCount();
    EXPECT_EQ(editing.deleteNode(root, leaf, refusal, after), kNoErr);
    EXPECT_EQ(refusal, RDeleteRefusal::MainTerminalNode);
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);

    // The font is clamped; an undo gives back the old size.
    ASSERT_EQ(editing.changeFont("Serif", 2), kNoErr);
    EXPECT_EQ(tree.fontSize, 8);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    ASSERT_EQ(tree.updateDrawingPrefs(), kNoErr);
    EXPECT_EQ(tree.fontSize, 10);

    // A category that is no category makes no spine.
    int32_t terminal = 0;
    EXPECT_NE(editing.newXBarSpine(9999, root, root, terminal), kNoErr);
    EXPECT_EQ(terminal, 0);
    EXPECT_FALSE(tree.undoStructure().isComposing());
}
