#include "AppTestSupport.h"
#include "app/CLexiconEditing.h"
#include "app/LexiconEditorRules.h"
#include "app/PanelGeometry.h"
#include "app/PictureExport.h"
#include "app/PrintPages.h"

#include <sstream>

namespace {

std::string str(const RRect& r) {
    return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
           "," + std::to_string(r.right);
}

// The top-left corners of the pages for the trees' boxes on pages of 650 by 900 hundredths.
std::string pages(const std::vector<RRect>& boxes, int32_t width = 650, int32_t height = 900) {
    std::string out;
    for (const RPrintPage& page : printPages(boxes, width, height))
        out +=
            (out.empty() ? "" : " ") + std::to_string(page.left) + "," + std::to_string(page.top);
    return out;
}

} // namespace

TEST(PanelGeometry, ButtonsListPreviewLabelTabBevelAndScrollSizesStandWhereTheRulesPutThem) {
    using namespace panel;
    EXPECT_EQ(str(toolButtonRect(1)) + " " + str(toolButtonRect(3)), "8,11,40,76 8,145,40,210");
    EXPECT_EQ(str(categoryButtonRect(1)) + " " + str(categoryButtonRect(4)) + " " +
                  str(categoryButtonRect(5)) + " " + str(categoryButtonRect(40)),
              "49,11,72,59 49,161,72,209 74,11,97,59 274,161,297,209");
    // The bottom line of the category buttons places the word list and the preview.
    for (const auto& [buttons, bottom] :
         {std::pair{0, 72}, {1, 72}, {4, 72}, {5, 97}, {9, 122}, {40, 297}}) {
        EXPECT_EQ(categoryBottomLine(buttons), bottom);
        EXPECT_EQ(str(wordListRect(buttons)) + " " + str(previewRect(buttons)),
                  str({bottom + 7, 10, bottom + 129, 210}) + " " +
                      str({bottom + 143, 10, bottom + 393, 210}))
            << buttons;
    }
    EXPECT_EQ(str(grammarLabelRect(700)) + " " + str(canvasRect(1000, 700)) + " " +
                  str(statusBarRect(1000, 700)),
              "655,10,690,210 0,220,680,1000 680,220,700,1000");
    EXPECT_EQ(buttonsInUse(45), 40);
    EXPECT_TRUE(lastButtonOpensMenu(41));
    EXPECT_FALSE(lastButtonOpensMenu(40));
    // Tab moves to the next visible tool: from, scissors shown, spyglass shown, to.
    const std::tuple<int32_t, bool, bool, int32_t> tabs[] = {
        {1, false, false, 1}, {1, true, false, 2}, {1, false, true, 3}, {1, true, true, 2},
        {2, true, true, 3},   {2, true, false, 1}, {3, true, true, 1},  {3, false, true, 1}};
    for (const auto& [from, scissors, spyglass, to] : tabs)
        EXPECT_EQ(nextToolOnTab(from, scissors, spyglass), to) << from << scissors << spyglass;
    const std::vector<RBevelLine> lines = sunkenBevel({100, 10, 200, 210});
    ASSERT_EQ(lines.size(), 8u);
    for (const RBevelLine* line : {&lines[0], &lines[7]})
        EXPECT_EQ(std::make_tuple(line->h1, line->v1, line->h2, line->v2, line->dark),
                  line == &lines[0] ? std::make_tuple(9, 99, 9, 201, true)
                                    : std::make_tuple(8, 202, 213, 202, false));

    for (const auto& [sizes, expected] :
         {std::pair{makeScrollSizes(600, 600), "600 600 60 60 6 6"},
          {makeScrollSizes(5, 0), "5 1 1 1 1 1"},
          {makeScrollSizes(800, 800, 100, 50, 0, 0), "800 800 100 50 10 5"}})
        EXPECT_EQ(std::to_string(sizes.totalWidth) + " " + std::to_string(sizes.totalHeight) + " " +
                      std::to_string(sizes.pageWidth) + " " + std::to_string(sizes.pageHeight) +
                      " " + std::to_string(sizes.lineWidth) + " " +
                      std::to_string(sizes.lineHeight),
                  expected);
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitPopUpText("one\\ntwo\\n"), (Lines{"one", "two", ""}));
    EXPECT_EQ(splitPopUpText("a\nb"), (Lines{"a\nb"}));
}

TEST(PrintPages, TreesBeyondThePageContinueOnTheGridRowByRow) {
    const std::pair<std::vector<RRect>, const char*> cases[] = {
        {{}, "0,0"}, // nothing: one empty page
        // A tree well inside the first page, and one touching its last unit.
        {{{200, 300, 260, 420}, {0, 0, 899, 649}}, "0,0"},
        // One unit further and the tree needs the page to the right.
        {{{200, 600, 260, 650}}, "0,0 650,0"},
        // A tree only on the second row: the empty first row is not printed.
        {{{1000, 10, 1100, 700}}, "0,900 650,900"},
        // Pages in rows from the top, each row from the left, no page twice.
        {{{1000, 1400, 1100, 1500}, {10, 10, 950, 20}, {20, 1300, 40, 1310}},
         "0,0 1300,0 0,900 1300,900"},
        // A tree left of or above the origin gets pages there too; empty boxes count for nothing.
        {{{-5, -5, 5, 5}, {10, 10, 5, 5}}, "-650,-900 0,-900 -650,0 0,0"},
    };
    for (const auto& [boxes, expected] : cases)
        EXPECT_EQ(pages(boxes), expected);
    EXPECT_EQ(printPages({{0, 0, 2, 0}}, 0, 0).size(), 3u); // a page size of 0 cannot loop
}

TEST(PictureExport, TheTypedNameDecidesTheTypeAndThePngFilterTheScale) {
    EXPECT_EQ(pictureExportFilters(), "PNG picture, 2x (*.png);;PNG picture, 1x (*.png);;PNG "
                                      "picture, 4x (*.png);;SVG picture (*.svg);;PDF document "
                                      "(*.pdf)");
    EXPECT_EQ(defaultPictureExportFilter(), "PNG picture, 2x (*.png)");
    // The path chosen, its type (0 SVG, 1 PNG, 2 PDF) and the scale.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/h/a.png", "", "/h/a.png 1 2"},
        {"/h/a.png", "PNG picture, 4x (*.png)", "/h/a.png 1 4"},
        {"/h/a.PNG", "PNG picture, 1x (*.png)", "/h/a.PNG 1 1"},
        {"/h/a.svg", "PNG picture, 4x (*.png)", "/h/a.svg 0 2"},
        {"/h/a.Pdf", "", "/h/a.Pdf 2 2"},
        // No picture extension: the chosen type's is added.
        {"/h/handout", "PDF document (*.pdf)", "/h/handout.pdf 2 2"},
        {"/h/handout", "PNG picture, 1x (*.png)", "/h/handout.png 1 1"},
        {"/h/tree.v2", "SVG picture (*.svg)", "/h/tree.v2.svg 0 2"},
        // A PNG typed while the SVG type was chosen is sharp by default.
        {"/h/a.png", "SVG picture (*.svg)", "/h/a.png 1 2"},
        {"/h/a", "no such filter", "/h/a.png 1 2"},
    };
    for (const auto& [typed, filter, expected] : cases) {
        const RPictureChoice choice = pictureChoice(typed, filter);
        EXPECT_EQ(choice.path + " " + std::to_string(static_cast<int>(choice.type)) + " " +
                      std::to_string(choice.scale),
                  expected)
            << filter;
    }
    EXPECT_EQ(initialPictureName("/home/s/My Trees.rdc"), "My Trees.png");
    EXPECT_EQ(initialPictureName(""), "Trees.png");
}

TEST(LexiconEditorRules, NodeTypesStylesClearingAndFeatureRows) {
    const std::vector<int32_t> categories{3, 40, 41, 42};
    int32_t category = -5, projection = -5, value = -1;
    std::ostringstream out; // each result in turn, in the order of the calls
    out << nodeTypeEntry(categories, 0, -1) << nodeTypeEntry(categories, 40, 0)
        << nodeTypeEntry(categories, 41, 2) << nodeTypeEntry(categories, 99, 1) << " "
        << nodeTypeOfEntry(categories, 6, category, projection) << category << projection
        << nodeTypeOfEntry(categories, 0, category, projection) << category << projection
        << nodeTypeOfEntry(categories, 10, category, projection)
        << nodeTypeOfEntry(std::vector<int32_t>{0}, 1, category, projection);
    EXPECT_EQ(out.str(), "0160 141210-100"); // 99 is not in the list
    // Bold wins over Italic, Italic over Underline.
    out.str("");
    out << styleEntry(0) << styleEntry(4) << styleEntry(5) << styleEntry(7) << " "
        << styleValueOfEntry(2, value) << value << " " << styleValueOfEntry(4, value) << " "
        << wordAfterClearing({3, 7, 8, 9}, 8) << wordAfterClearing({3, 7, 8, 9}, 7)
        << wordAfterClearing({1, 7}, 7);
    EXPECT_EQ(out.str(), "0321 01 1000 780");

    const std::vector<int32_t> six{6, 11, 12, 13, 14, 15, 16};
    const std::vector<int32_t> three{3, 21, 22, 23};
    CFeatureRows rows, few;
    out.str("");
    out << CFeatureRows::maximum(six) << rows.featureOfRow(six, 4) << rows.scrollTo(six, 9)
        << rows.position() << rows.featureOfRow(six, 1) << rows.scrollTo(six, 5) << " "
        << rows.rowOfFeature(six, 11) << rows.makeVisible(six, 11) << rows.rowOfFeature(six, 11)
        << rows.makeVisible(six, 16) << rows.rowOfFeature(six, 16) << rows.makeVisible(six, 99)
        << " " << CFeatureRows::maximum(three) << few.featureOfRow(three, 4)
        << few.scrollTo(three, 1);
    EXPECT_EQ(out.str(), "21412130 -111140 000");
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
