#include "support/HierarchyTestSupport.h"

#include "base/ErrorReporter.h"
#include "drawing/CPort.h"
#include "drawing/FixedMetricsDevice.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

namespace {

using Op = FixedMetricsDevice::Op;
using RCorners = std::array<int32_t, 4>;

// A record's two points or corners: h1, v1, h2, v2.
RCorners corners(const FixedMetricsDevice::Record& r) {
    return {r.h1, r.v1, r.h2, r.v2};
}

// Every character 10 pixels wide and fonts 12 high: with the default paddings a row is
// 12 + 2 + 16 + 2 = 32 pixels below the one above, and half a space is 5.
constexpr int32_t kCharWidth = 10;
constexpr int32_t kFontHeight = 12;
constexpr int32_t kPitch = 32;

constexpr RRgb kBlack{0, 0, 0};
constexpr RRgb kWhite{255, 255, 255};
constexpr RRgb kRed{255, 0, 0};
constexpr RRgb kBlue{0, 0, 255};

class DrawingFixture : public HierarchyFixture {
protected:
    void SetUp() override {
        HierarchyFixture::SetUp();
        ASSERT_EQ(tree.setTreePort(&port), kNoErr);
    }

    RExtent level(int32_t n, int32_t k) {
        const std::vector<RExtent>* spine = tree.fishSpine(n);
        EXPECT_NE(spine, nullptr);
        EXPECT_LT(static_cast<std::size_t>(k), spine->size());
        return (*spine)[static_cast<std::size_t>(k)];
    }
    int32_t depth(int32_t n) const { return cell(n, kAttrFishSpineDepth); }
    int32_t xOffset(int32_t n) const { return cell(n, kAttrXOffset); }
    RRect nodeRect(int32_t n) const {
        return RRect{cell(n, kAttrNodeRectTop), cell(n, kAttrNodeRectLeft),
                     cell(n, kAttrNodeRectBottom), cell(n, kAttrNodeRectRight)};
    }
    RRect cumRect(int32_t n) const {
        return RRect{cell(n, kAttrCumulativeRectTop), cell(n, kAttrCumulativeRectLeft),
                     cell(n, kAttrCumulativeRectBottom), cell(n, kAttrCumulativeRectRight)};
    }
    RPoint position(int32_t n) const {
        return RPoint{cell(n, kAttrRelativeV), cell(n, kAttrRelativeH)};
    }
    // Builds the tree and places its root at (h, v).
    int32_t place(const std::string& shape, int32_t h, int32_t v) {
        const int32_t root = build(shape);
        EXPECT_EQ(inStep(tree, kLabelMenu,
                         [&] {
                             return tree.setAbsolutePoint(root, RPoint{v, h});
                         }),
                  kNoErr);
        return root;
    }
    void setCell(int32_t record, int32_t attribute, int32_t value) {
        ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.dataTask(record, attribute, value); }),
                  kNoErr);
    }
    std::vector<FixedMetricsDevice::Record> ops(Op kind) const {
        std::vector<FixedMetricsDevice::Record> found;
        for (const auto& record : device.records())
            if (record.op == kind)
                found.push_back(record);
        return found;
    }

    FixedMetricsDevice device{kCharWidth, kFontHeight};
    CPort port{&device};
};

} // namespace

TEST_F(DrawingFixture, LeafSpineIsOneRowOfItsPaddedHalfWidth) {
    const int32_t root = place("AB", 0, 0);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(depth(root), 1);
    EXPECT_EQ(level(root, 1).right, 10 + 10);
    EXPECT_EQ(level(root, 1).left, -20);
    int32_t width = 0;
    ASSERT_EQ(tree.realHalfWidth(root, width), kNoErr);
    EXPECT_EQ(width, 10);
    ASSERT_EQ(tree.paddedHalfWidth(root, width), kNoErr);
    EXPECT_EQ(width, 20);
    EXPECT_EQ(cell(root, kAttrDirty), 0);
}

TEST_F(DrawingFixture, TwoLeafSistersSitTheirPaddedHalfWidthsApartWithTheMotherMidway) {
    const int32_t root = place("M(A BBB)", 100, 0);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    // paddedHalfWidth(A) = 5 + 10, paddedHalfWidth(BBB) = 15 + 10.
    EXPECT_EQ(xOffset(node("BBB")) - xOffset(node("A")), 40);
    EXPECT_EQ(xOffset(node("A")), -20);
    EXPECT_EQ(xOffset(node("BBB")), 20);
    EXPECT_EQ(position(node("A")).h, 80);
    EXPECT_EQ(position(node("BBB")).h, 120);
    int32_t distance = 0;
    ASSERT_EQ(tree.howCloseCanTheseNodesBe(node("A"), node("BBB"), distance), kNoErr);
    EXPECT_EQ(distance, 40);
    EXPECT_EQ(depth(root), 2);
    EXPECT_EQ(level(root, 2).left, -35);
    EXPECT_EQ(level(root, 2).right, 45);
}

TEST_F(DrawingFixture, ShallowSisterDoesNotShieldADeepLeftSister) {
    const int32_t root = place("M(P(WWWWWWWWWW) Q R(XXXXXXXXXX))", 0, 0);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    // Q alone would let R sit 60 to the right of P; their second rows need 120.
    EXPECT_EQ(xOffset(node("P")), -60);
    EXPECT_EQ(xOffset(node("Q")), -30);
    EXPECT_EQ(xOffset(node("R")), 60);
    EXPECT_EQ(depth(root), 3);
    EXPECT_EQ(level(root, 1).right, 15);
    EXPECT_EQ(level(root, 2).left, -75);
    EXPECT_EQ(level(root, 2).right, 75);
    EXPECT_EQ(level(root, 3).left, -120);
    EXPECT_EQ(level(root, 3).right, 120);
}

TEST_F(DrawingFixture, SingleDaughterHangsStraightBelow) {
    const int32_t root = place("M(LONGLABEL)", 50, 10);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(xOffset(node("LONGLABEL")), 0);
    EXPECT_EQ(position(node("LONGLABEL")), (RPoint{10 + kPitch, 50}));
    EXPECT_EQ(level(root, 2).right, 45 + 10);
}

TEST_F(DrawingFixture, RoofTakesOneRowAsWideAsItsLeavesString) {
    const int32_t root = place("S(T(A(C) DDD) E)", 0, 0);
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         const CRString ii("ii", 155);
                         RErr err = tree.setSubscript(node("C"), &ii);
                         if (!err)
                             err = tree.setTriangleValue(node("T"), 1);
                         return err;
                     }),
              kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    const int32_t t = node("T");
    // Leaves: C with subscript ii, (10 + 20) / 2 + 5 = 20; DDD, 15 + 5 = 20.
    int32_t half = 0;
    ASSERT_EQ(tree.getTriangleStringHalfWidth(t, half), kNoErr);
    EXPECT_EQ(half, 40);
    EXPECT_EQ(depth(t), 2);
    EXPECT_EQ(level(t, 2).right, 35);
    EXPECT_EQ(level(t, 2).left, -35);
    // The roofed node's box spans the string; its daughters are not placed.
    const RPoint at = position(t);
    EXPECT_EQ(nodeRect(t).left, at.h - 40);
    EXPECT_EQ(nodeRect(t).right, at.h + 40);
    EXPECT_EQ(position(node("C")), RPoint{});
    // The tree's box reaches down to the string under the roof, subscript included, and
    // not to the unplaced daughters.
    EXPECT_EQ(cumRect(t).bottom, at.v + kPitch + kFontHeight + 1 + 4);
    EXPECT_EQ(cumRect(root).bottom, cumRect(t).bottom);
    EXPECT_EQ(cumRect(root).top, -1);

    // A roofed leaf's box is its label plus one space wide.
    const int32_t leaf = place("AB", 500, 0);
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setTriangleValue(leaf, 1); }), kNoErr);
    ASSERT_EQ(tree.drawTree(leaf, true), kNoErr);
    EXPECT_EQ(nodeRect(leaf).right - nodeRect(leaf).left, 2 * kCharWidth + kCharWidth);
}

TEST_F(DrawingFixture, FourLevelTreeGetsEveryPositionAndBoxComputedByHand) {
    const int32_t root = place("S(NP(D N) VP(V OB(NN)))", 200, 100);
    ASSERT_EQ(tree.drawTree(root, false), kNoErr);
    struct Expected {
        const char* label;
        RPoint at;
        int32_t offset;
        RRect box; // top, left, bottom, right
        RRect cum;
    };
    const std::vector<Expected> expected = {
        {"S", {100, 200}, 0, {99, 194, 113, 206}, {99, 148, 209, 260}},
        {"NP", {132, 169}, -31, {131, 158, 145, 180}, {131, 148, 177, 190}},
        {"D", {164, 154}, -15, {163, 148, 177, 160}, {163, 148, 177, 160}},
        {"N", {164, 184}, 15, {163, 178, 177, 190}, {163, 178, 177, 190}},
        {"VP", {132, 231}, 31, {131, 220, 145, 242}, {131, 208, 209, 260}},
        {"V", {164, 214}, -17, {163, 208, 177, 220}, {163, 208, 177, 220}},
        {"OB", {164, 249}, 18, {163, 238, 177, 260}, {163, 238, 209, 260}},
        {"NN", {196, 249}, 0, {195, 238, 209, 260}, {195, 238, 209, 260}},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.label);
        const int32_t n = node(e.label);
        EXPECT_EQ(position(n), e.at);
        if (n != root) {
            EXPECT_EQ(xOffset(n), e.offset);
        }
        EXPECT_EQ(nodeRect(n), e.box);
        EXPECT_EQ(cumRect(n), e.cum);
    }
    EXPECT_EQ(depth(root), 4);
    EXPECT_EQ(level(root, 3).left, -61);
    EXPECT_EQ(level(root, 3).right, 69);
    EXPECT_EQ(level(root, 4).left, 29);
    EXPECT_EQ(level(root, 4).right, 69);
    // The lines run from just below a label to just above the next row's label.
    const auto lines = ops(Op::Line);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(corners(lines[0]), (RCorners{200, 114, 169, 130}));

    // Offsets shift the drawing, and a point on a box's edge hits it.
    tree.hOffset = 50;
    tree.vOffset = 20;
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(position(node("NN")), (RPoint{176, 199}));
    int32_t hit = 0;
    ASSERT_EQ(tree.hitTestOneTreeOnly(root, RPoint{175, 188}, hit), kNoErr);
    EXPECT_EQ(hit, node("NN"));
    ASSERT_EQ(tree.hitTestOneTreeOnly(root, RPoint{175, 187}, hit), kNoErr);
    EXPECT_EQ(hit, 0);
    ASSERT_EQ(tree.hitTestOneTreeOnly(root, RPoint{79, 144}, hit), kNoErr);
    EXPECT_EQ(hit, root);
}

TEST_F(DrawingFixture, OnlyDirtyTreesAreLaidOutAgain) {
    const int32_t root = place("M(A B)", 0, 0);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(xOffset(node("B")), 15);
    // A width change the tree was not told about leaves the stored layout in use.
    tree.horizontalPadding = 30;
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(xOffset(node("B")), 15);
    ASSERT_EQ(tree.allTreesDirty(), kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(xOffset(node("B")), 35);
    EXPECT_EQ(cell(root, kAttrDirty), 0);
}

TEST_F(DrawingFixture, SuspendedDrawingStillPositionsAndDrawsNothing) {
    const int32_t root = place("M(A B)", 40, 40);
    port.suspendDrawing();
    RRect cumulative;
    ASSERT_EQ(tree.getNodeCumulativeRect(root, cumulative), kNoErr);
    EXPECT_TRUE(port.isDrawingSuspended());
    EXPECT_EQ(cumulative, (RRect{39, 19, 40 + kPitch + kFontHeight + 1, 61}));
    EXPECT_EQ(position(node("B")), (RPoint{40 + kPitch, 55}));
    for (const auto& record : device.records())
        EXPECT_TRUE(record.op == Op::Font) << "drew while suspended";

    // A dirty root is laid out for the query, with the port left as it was found.
    port.resumeDrawing();
    ASSERT_EQ(tree.allTreesDirty(), kNoErr);
    device.clear();
    ASSERT_EQ(tree.getNodeCumulativeRect(root, cumulative), kNoErr);
    EXPECT_FALSE(port.isDrawingSuspended());
    EXPECT_TRUE(ops(Op::Text).empty());
}

TEST_F(DrawingFixture, CenteringPutsTheBoundingBoxInTheMiddle) {
    const int32_t root = place("M(A BBBBBBB)", 0, 0);
    RPoint point;
    ASSERT_EQ(tree.centerTreeInRect(root, RRect{0, 0, 400, 600}, point), kNoErr);
    // Placed at the point, the tree's bounding box has its middle at the rectangle's.
    ASSERT_EQ(inStep(tree, kLabelMenu, [&] { return tree.setAbsolutePoint(root, point); }), kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    const RRect box = cumRect(root);
    EXPECT_LE(std::abs((box.left + box.right) - 600), 2);
    EXPECT_LE(std::abs((box.top + box.bottom) - 400), 2);
    EXPECT_EQ(point.v, 200 - (box.bottom - box.top) / 2);
}

TEST_F(DrawingFixture, TemporaryLocationDrawsThereAndRestoresThePlace) {
    const int32_t root = place("M(A)", 10, 20);
    ASSERT_EQ(tree.drawOneTreeAtATemporaryAbsoluteLocation(root, RPoint{300, 400}), kNoErr);
    EXPECT_EQ(position(root), (RPoint{300, 400}));
    RPoint saved;
    ASSERT_EQ(tree.getAbsolutePoint(root, saved), kNoErr);
    EXPECT_EQ(saved, (RPoint{20, 10}));
}

TEST_F(DrawingFixture, DrawAllTreesDrawsTreeAreaRootsOnlyAndHitTestFindsThem) {
    const int32_t first = place("A", 0, 0);
    const int32_t second = place("BB", 100, 0);
    ASSERT_EQ(
        inStep(tree, kLabelMenu, [&] { return tree.setWhereIsTree(second, kTreeOnWorkArea); }),
        kNoErr);
    ASSERT_EQ(tree.drawAllTrees(), kNoErr);
    const auto texts = ops(Op::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "BB");
    EXPECT_EQ(cell(first, kAttrDirty), 1);
    int32_t hit = 0;
    ASSERT_EQ(tree.hitTest(RPoint{5, 100}, kTreeOnWorkArea, hit), kNoErr);
    EXPECT_EQ(hit, second);
    ASSERT_EQ(tree.hitTest(RPoint{5, 100}, kTreeNotPlaced, hit), kNoErr);
    EXPECT_EQ(hit, 0);
}

TEST_F(DrawingFixture, SelectedBlackNodeIsWhiteTextOnABlackBox) {
    const int32_t root = place("AB", 100, 50);
    ASSERT_EQ(tree.setSelectedValue(root, 1), kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    const auto fills = ops(Op::Fill);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].color, kBlack);
    EXPECT_EQ(corners(fills[0]), (RCorners{89, 51, 111, 63}));
    const auto texts = ops(Op::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "AB");
    EXPECT_EQ(texts[0].color, kWhite);
    EXPECT_EQ(texts[0].h1, 90);
    EXPECT_EQ(texts[0].v1, 62 - kFontHeight);
    // The box follows the fill with its outline, and the text comes last.
    const auto& all = device.records();
    std::size_t fillAt = 0;
    std::size_t textAt = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].op == Op::Fill)
            fillAt = i;
        if (all[i].op == Op::Text)
            textAt = i;
    }
    EXPECT_LT(fillAt, textAt);
    EXPECT_EQ(port.color(), kColorBlack);

    // A selected red node keeps red text on the black box.
    device.clear();
    setCell(root, kAttrColor, kColorRed);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(ops(Op::Text)[0].color, kRed);
    EXPECT_EQ(ops(Op::Fill)[0].color, kBlack);
    // Unselected, the box is white.
    device.clear();
    ASSERT_EQ(tree.setSelectedValue(root, 0), kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(ops(Op::Fill)[0].color, kWhite);
}

TEST_F(DrawingFixture, BranchLineTakesTheMotherColourOnlyWhenBothAgreeOrInTagColoursMode) {
    const int32_t root = place("M(D E)", 0, 0);
    setCell(root, kAttrColor, kColorRed);
    setCell(node("D"), kAttrColor, kColorBlue);
    setCell(node("E"), kAttrColor, kColorRed);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    auto lines = ops(Op::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].color, kBlack);
    EXPECT_EQ(lines[1].color, kRed);
    // Each label is written in its node's colour.
    const auto texts = ops(Op::Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "D");
    EXPECT_EQ(texts[0].color, kBlue);
    EXPECT_EQ(texts[2].text, "M");
    EXPECT_EQ(texts[2].color, kRed);

    device.clear();
    ASSERT_EQ(tree.setTagColorsMode(), kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    lines = ops(Op::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].color, kRed);
    EXPECT_EQ(lines[1].color, kRed);
    // A new database starts without the mode.
    ASSERT_EQ(tree.createTree(true), kNoErr);
    EXPECT_EQ(tree.tagColorsMode, 0);
}

TEST_F(DrawingFixture, OffendingNodeGetsARedFrameTwoPixelsOutside) {
    const int32_t root = place("AB", 100, 50);
    setCell(root, kAttrOffending, 1);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    const auto frames = ops(Op::Frame);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].color, kRed);
    EXPECT_EQ(frames[0].width, 1);
    EXPECT_EQ(corners(frames[0]), (RCorners{87, 49, 113, 65}));
    // Then the ordinary white box with its outline.
    EXPECT_EQ(frames[1].h1, 89);
    EXPECT_EQ(frames[1].color, kWhite);
}

TEST_F(DrawingFixture, RoofIsATriangleOverTheLeavesStringWithSubscriptsLower) {
    const int32_t root = place("T(A(C) DD)", 100, 0);
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         const CRString ii("i", 155);
                         RErr err = tree.setSubscript(node("C"), &ii);
                         if (!err)
                             err = tree.setTriangleValue(root, 1);
                         return err;
                     }),
              kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    // Leaves C (subscript i) and DD: (10 + 10) / 2 + 5 + 10 + 5 = 30; w = 25.
    const auto lines = ops(Op::Line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(corners(lines[0]), (RCorners{100, 14, 75, 30}));
    EXPECT_EQ(lines[1].h2, 125);
    EXPECT_EQ(lines[2].h2, 100);
    EXPECT_EQ(lines[2].v2, 14);
    const auto texts = ops(Op::Text);
    ASSERT_EQ(texts.size(), 6u);
    const int32_t rowTop = kPitch;
    EXPECT_EQ(texts[0].text, "C");
    EXPECT_EQ(texts[0].h1, 75);
    EXPECT_EQ(texts[0].v1, rowTop);
    EXPECT_EQ(texts[1].text, "i");
    EXPECT_EQ(texts[1].h1, 85);
    EXPECT_EQ(texts[1].v1, rowTop + 4);
    EXPECT_EQ(texts[2].text, " ");
    EXPECT_EQ(texts[2].h1, 95);
    EXPECT_EQ(texts[2].v1, rowTop);
    EXPECT_EQ(texts[3].text, "DD");
    EXPECT_EQ(texts[4].text, " ");
    EXPECT_EQ(texts[5].text, "T");
    // The daughters themselves are not drawn, and a point under the roof hits nothing.
    int32_t hit = 0;
    ASSERT_EQ(tree.hitTestOneTreeOnly(root, RPoint{rowTop + 5, 80}, hit), kNoErr);
    EXPECT_EQ(hit, 0);
}

TEST_F(DrawingFixture, DrawingPreferencesGoThroughTheHeaderAndUndo) {
    ASSERT_EQ(inStep(tree, kLabelMenu,
                     [&] {
                         RErr err = tree.setDrawingPref(kHdrHorizontalPadding, 25, nullptr);
                         if (!err)
                             err = tree.setDrawingPref(kHdrLineHeight, 24, nullptr);
                         const CRString face("Courier", 155);
                         if (!err)
                             err = tree.setDrawingPref(kHdrFontName, 0, &face);
                         if (!err)
                             err = tree.allTreesDirty();
                         return err;
                     }),
              kNoErr);
    EXPECT_EQ(tree.horizontalPadding, 25);
    EXPECT_EQ(tree.lineHeight, 24);
    int32_t hp = 0, lh = 0, vp = 0, th = 0, fs = 0;
    const CRString* face = nullptr;
    ASSERT_EQ(tree.getDrawingPrefs(hp, lh, vp, th, fs, face), kNoErr);
    EXPECT_EQ(hp, 25);
    EXPECT_EQ(lh, 24);
    EXPECT_EQ(vp, 2);
    EXPECT_EQ(th, 0);
    EXPECT_EQ(fs, 10);
    EXPECT_EQ(face->str(), "Courier");

    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    ASSERT_EQ(tree.updateDrawingPrefs(), kNoErr);
    EXPECT_EQ(tree.horizontalPadding, 10);
    EXPECT_EQ(tree.lineHeight, 16);

    // The offsets, unknown numbers and out-of-range values are refused.
    ASSERT_EQ(tree.undoStructure().startTaskList(kLabelMenu), kNoErr);
    EXPECT_EQ(tree.setDrawingPref(kHdrHOffset, 5, nullptr), kErrInvalidParameter);
    EXPECT_EQ(tree.setDrawingPref(99, 5, nullptr), kErrInvalidParameter);
    EXPECT_EQ(tree.setDrawingPref(kHdrThickness, 3, nullptr), kErrInvalidParameter);
    EXPECT_EQ(tree.setDrawingPref(kHdrFontSize, 200, nullptr), kErrInvalidParameter);
    EXPECT_EQ(tree.setDrawingPref(kHdrThickness, 2, nullptr), kNoErr);
    ASSERT_EQ(tree.undoStructure().finishTaskList(), kNoErr);
    EXPECT_EQ(tree.thickness, 2);
    ASSERT_EQ(reports().size(), 4u);
    EXPECT_EQ(reports()[0], bugReportText("CTree::setDrawingPref", kErrInvalidParameter));
}

TEST_F(DrawingFixture, LayoutWithoutAPortFailsWithNotInitialized) {
    const int32_t root = place("A", 0, 0);
    ASSERT_EQ(tree.setTreePort(nullptr), kNoErr);
    EXPECT_EQ(tree.drawTree(root, true), kErrNotInitialized);
    ASSERT_FALSE(reports().empty());
    EXPECT_EQ(reports().back(), bugReportText("CTree::drawTree", kErrNotInitialized));
}

// --- Stack safety: the walks keep their own stacks ---

TEST_F(DrawingFixture, DeepChainIsLaidOutDrawnAndHitWithoutRecursion) {
    constexpr int32_t kLevels = 5000;
    int32_t root = 0;
    int32_t deepest = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         RErr err = buildChain(tree, kLevels, root, deepest);
                         const CRString label("XY", 155);
                         if (!err)
                             err = tree.setMainString(deepest, label);
                         return err;
                     }),
              kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(depth(root), kLevels);
    EXPECT_EQ(level(root, kLevels).right, 20);
    EXPECT_EQ(position(deepest), (RPoint{(kLevels - 1) * kPitch, 0}));
    EXPECT_EQ(cumRect(root).bottom, (kLevels - 1) * kPitch + kFontHeight + 1);
    EXPECT_EQ(ops(Op::Line).size(), static_cast<std::size_t>(kLevels - 1));
    int32_t hit = 0;
    ASSERT_EQ(tree.hitTestOneTreeOnly(root, position(deepest), hit), kNoErr);
    EXPECT_EQ(hit, deepest);
    int32_t half = 0;
    ASSERT_EQ(tree.getTriangleStringHalfWidth(root, half), kNoErr);
    EXPECT_EQ(half, 10 + 5);
}

TEST_F(DrawingFixture, HundredThousandDaughtersAreLaidOutDrawnAndHit) {
    constexpr int32_t kDaughters = 100000;
    int32_t root = 0;
    int32_t last = 0;
    ASSERT_EQ(inStep(tree, kLabelNewTree,
                     [&] {
                         // Linked with the primitives: appending one by one is quadratic.
                         RErr err = tree.newRoot(root);
                         int32_t previous = 0;
                         for (int32_t i = 0; i < kDaughters && !err; ++i) {
                             err = tree.newRecord(last, kRecordNode);
                             if (!err)
                                 err = tree.dataTask(last, kAttrMother, root);
                             if (!err)
                                 err = previous == 0
                                           ? tree.dataTask(root, kAttrLeftmostDaughter, last)
                                           : tree.dataTask(previous, kAttrNextSister, last);
                             if (!err)
                                 err = tree.dataTask(last, kAttrColor, kColorBlack);
                             previous = last;
                         }
                         return err;
                     }),
              kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    // Unlabelled leaves: padded half width 10, so 20 apart.
    EXPECT_EQ(xOffset(last), (kDaughters - 1) * 20 - (kDaughters - 1) * 20 / 2);
    EXPECT_EQ(depth(root), 2);
    EXPECT_EQ(ops(Op::Line).size(), static_cast<std::size_t>(kDaughters));
    int32_t hit = 0;
    ASSERT_EQ(tree.hitTestOneTreeOnly(root, position(last), hit), kNoErr);
    EXPECT_EQ(hit, last);
}
