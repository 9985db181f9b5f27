#include "ModelTestSupport.h"

#include "base/ErrorReporter.h"
#include "drawing/CPort.h"
#include "drawing/FixedMetricsDevice.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

namespace {

using Op = FixedMetricsDevice::Op;
using RCorners = std::array<int32_t, 4>;   // h1, v1, h2, v2
using RSpan = std::pair<int32_t, int32_t>; // left, right

RCorners corners(const FixedMetricsDevice::Record& r) {
    return {r.h1, r.v1, r.h2, r.v2};
}

// Characters 10 wide, fonts 12 high: rows 12 + 2 + 16 + 2 = 32 apart, half a space 5.
constexpr int32_t kCharWidth = 10;
constexpr int32_t kFontHeight = 12;
constexpr int32_t kPitch = 32;

constexpr RRgb kBlack{0, 0, 0};
constexpr RRgb kWhite{255, 255, 255};
constexpr RRgb kRed{255, 0, 0};
constexpr RRgb kBlue{0, 0, 255};

class DrawingFixture : public ModelFixture {
protected:
    void SetUp() override {
        ModelFixture::SetUp();
        ASSERT_EQ(tree.setTreePort(&port), kNoErr);
    }
    RSpan level(int32_t n, int32_t k) {
        const std::vector<RExtent>* spine = tree.fishSpine(n);
        EXPECT_TRUE(spine && static_cast<std::size_t>(k) < spine->size());
        return spine ? RSpan{(*spine)[static_cast<std::size_t>(k)].left,
                             (*spine)[static_cast<std::size_t>(k)].right}
                     : RSpan{};
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
    // Builds the tree, places its root at (h, v) and, when asked, lays it out and draws it.
    int32_t place(const std::string& shape, int32_t h, int32_t v, bool draw = true) {
        const int32_t root = build(shape);
        step([&] { return tree.setAbsolutePoint(root, RPoint{v, h}); });
        EXPECT_EQ(draw ? tree.drawTree(root, true) : kNoErr, kNoErr);
        return root;
    }
    void setCell(int32_t record, int32_t attribute, int32_t value) {
        step([&] { return tree.dataTask(record, attribute, value); });
    }
    std::vector<FixedMetricsDevice::Record> ops(Op kind) const {
        std::vector<FixedMetricsDevice::Record> found;
        for (const auto& record : device.records())
            if (record.op == kind)
                found.push_back(record);
        return found;
    }
    int32_t hit(int32_t root, RPoint point) { return q(&CTree::hitTestOneTreeOnly, root, point); }

    FixedMetricsDevice device{kCharWidth, kFontHeight};
    CPort port{&device};
};

} // namespace

TEST_F(DrawingFixture, SpinesAndOffsetsOfSmallTrees) {
    // A leaf: one row of its padded half width.
    const int32_t leaf = place("AB", 0, 0);
    EXPECT_EQ(depth(leaf), 1);
    EXPECT_EQ(level(leaf, 1), (RSpan{-20, 10 + 10}));
    EXPECT_EQ(q(&CTree::realHalfWidth, leaf), 10);
    EXPECT_EQ(q(&CTree::paddedHalfWidth, leaf), 20);
    EXPECT_EQ(cell(leaf, kAttrDirty), 0);

    // Two leaf sisters sit their padded half widths (5 + 10, 15 + 10) apart, the mother midway.
    const int32_t m = place("M(A BBB)", 100, 0);
    EXPECT_EQ(xOffset(node("A")), -20);
    EXPECT_EQ(xOffset(node("BBB")), 20);
    EXPECT_EQ(position(node("A")).h, 80);
    EXPECT_EQ(position(node("BBB")).h, 120);
    EXPECT_EQ(q(&CTree::howCloseCanTheseNodesBe, node("A"), node("BBB")), 40);
    EXPECT_EQ(depth(m), 2);
    EXPECT_EQ(level(m, 2), (RSpan{-35, 45}));

    // A shallow sister does not shield a deep left sister: their second rows need 120.
    const int32_t deep = place("M(P(WWWWWWWWWW) Q R(XXXXXXXXXX))", 0, 0);
    EXPECT_EQ(xOffset(node("P")), -60);
    EXPECT_EQ(xOffset(node("Q")), -30);
    EXPECT_EQ(xOffset(node("R")), 60);
    EXPECT_EQ(depth(deep), 3);
    EXPECT_EQ(level(deep, 1).second, 15);
    EXPECT_EQ(level(deep, 2), (RSpan{-75, 75}));
    EXPECT_EQ(level(deep, 3), (RSpan{-120, 120}));

    // A single daughter hangs straight below.
    const int32_t single = place("M(LONGLABEL)", 50, 10);
    EXPECT_EQ(xOffset(node("LONGLABEL")), 0);
    EXPECT_EQ(position(node("LONGLABEL")), (RPoint{10 + kPitch, 50}));
    EXPECT_EQ(level(single, 2).second, 45 + 10);
}

TEST_F(DrawingFixture, RoofTakesOneRowAsWideAsItsLeavesString) {
    const int32_t root = place("S(T(A(C) DDD) E)", 0, 0, false);
    const CRString ii("ii", 155);
    step([&] {
        EXPECT_EQ(tree.setSubscript(node("C"), &ii), kNoErr);
        EXPECT_EQ(tree.setTriangleValue(node("T"), 1), kNoErr);
    });
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    const int32_t t = node("T");
    // Leaves: C with subscript ii, (10 + 20) / 2 + 5 = 20; DDD, 15 + 5 = 20.
    EXPECT_EQ(q(&CTree::getTriangleStringHalfWidth, t), 40);
    EXPECT_EQ(depth(t), 2);
    EXPECT_EQ(level(t, 2), (RSpan{-35, 35}));
    // The roofed node's box spans the string; its daughters are not placed.
    const RPoint at = position(t);
    EXPECT_EQ(nodeRect(t).left, at.h - 40);
    EXPECT_EQ(nodeRect(t).right, at.h + 40);
    EXPECT_EQ(position(node("C")), RPoint{});
    // The tree's box reaches the string under the roof, not the unplaced daughters.
    EXPECT_EQ(cumRect(t).bottom, at.v + kPitch + kFontHeight + 1 + 4);
    EXPECT_EQ(cumRect(root).bottom, cumRect(t).bottom);
    EXPECT_EQ(cumRect(root).top, -1);

    // A roofed leaf's box is its label plus one space wide.
    const int32_t leaf = place("AB", 500, 0, false);
    step([&] { return tree.setTriangleValue(leaf, 1); });
    ASSERT_EQ(tree.drawTree(leaf, true), kNoErr);
    EXPECT_EQ(nodeRect(leaf).right - nodeRect(leaf).left, 2 * kCharWidth + kCharWidth);
}

TEST_F(DrawingFixture, FourLevelTreeGetsEveryPositionAndBoxComputedByHand) {
    const int32_t root = place("S(NP(D N) VP(V OB(NN)))", 200, 100, false);
    ASSERT_EQ(tree.drawTree(root, false), kNoErr);
    const struct {
        const char* label;
        RPoint at;
        int32_t offset;
        RRect box, cum; // top, left, bottom, right
    } rows[] = {
        {"S", {100, 200}, 0, {99, 194, 113, 206}, {99, 148, 209, 260}},
        {"NP", {132, 169}, -31, {131, 158, 145, 180}, {131, 148, 177, 190}},
        {"D", {164, 154}, -15, {163, 148, 177, 160}, {163, 148, 177, 160}},
        {"N", {164, 184}, 15, {163, 178, 177, 190}, {163, 178, 177, 190}},
        {"VP", {132, 231}, 31, {131, 220, 145, 242}, {131, 208, 209, 260}},
        {"V", {164, 214}, -17, {163, 208, 177, 220}, {163, 208, 177, 220}},
        {"OB", {164, 249}, 18, {163, 238, 177, 260}, {163, 238, 209, 260}},
        {"NN", {196, 249}, 0, {195, 238, 209, 260}, {195, 238, 209, 260}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const int32_t n = node(row.label);
        EXPECT_EQ(position(n), row.at);
        EXPECT_EQ(n == root ? 0 : xOffset(n), row.offset);
        EXPECT_EQ(nodeRect(n), row.box);
        EXPECT_EQ(cumRect(n), row.cum);
    }
    EXPECT_EQ(depth(root), 4);
    EXPECT_EQ(level(root, 3), (RSpan{-61, 69}));
    EXPECT_EQ(level(root, 4), (RSpan{29, 69}));
    // The lines run from just below a label to just above the next row's label.
    const auto lines = ops(Op::Line);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(corners(lines[0]), (RCorners{200, 114, 169, 130}));

    // Offsets shift the drawing, and a point on a box's edge hits it.
    tree.hOffset = 50;
    tree.vOffset = 20;
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(position(node("NN")), (RPoint{176, 199}));
    EXPECT_EQ(hit(root, RPoint{175, 188}), node("NN"));
    EXPECT_EQ(hit(root, RPoint{175, 187}), 0);
    EXPECT_EQ(hit(root, RPoint{79, 144}), root);
}

TEST_F(DrawingFixture, OnlyDirtyTreesAreLaidOutAgain) {
    const int32_t root = place("M(A B)", 0, 0);
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
    const int32_t root = place("M(A B)", 40, 40, false);
    port.suspendDrawing();
    EXPECT_EQ(q<RRect>(&CTree::getNodeCumulativeRect, root),
              (RRect{39, 19, 40 + kPitch + kFontHeight + 1, 61}));
    EXPECT_TRUE(port.isDrawingSuspended());
    EXPECT_EQ(position(node("B")), (RPoint{40 + kPitch, 55}));
    for (const auto& record : device.records())
        EXPECT_TRUE(record.op == Op::Font) << "drew while suspended";

    // A dirty root is laid out for the query, with the port left as it was found.
    port.resumeDrawing();
    ASSERT_EQ(tree.allTreesDirty(), kNoErr);
    device.clear();
    q<RRect>(&CTree::getNodeCumulativeRect, root);
    EXPECT_FALSE(port.isDrawingSuspended());
    EXPECT_TRUE(ops(Op::Text).empty());
}

TEST_F(DrawingFixture, CenteringAndTemporaryPlaces) {
    // Placed at the point, the tree's bounding box has its middle at the rectangle's.
    const int32_t root = place("M(A BBBBBBB)", 0, 0, false);
    const RPoint point = q<RPoint>(&CTree::centerTreeInRect, root, RRect{0, 0, 400, 600});
    step([&] { return tree.setAbsolutePoint(root, point); });
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    const RRect box = cumRect(root);
    EXPECT_LE(std::abs((box.left + box.right) - 600), 2);
    EXPECT_LE(std::abs((box.top + box.bottom) - 400), 2);
    EXPECT_EQ(point.v, 200 - (box.bottom - box.top) / 2);

    const int32_t other = place("M(A)", 10, 20, false);
    ASSERT_EQ(tree.drawOneTreeAtATemporaryAbsoluteLocation(other, RPoint{300, 400}), kNoErr);
    EXPECT_EQ(position(other), (RPoint{300, 400}));
    EXPECT_EQ(q<RPoint>(&CTree::getAbsolutePoint, other), (RPoint{20, 10}));
}

TEST_F(DrawingFixture, DrawAllTreesDrawsTreeAreaRootsOnlyAndHitTestFindsThem) {
    const int32_t first = place("A", 0, 0, false);
    const int32_t second = place("BB", 100, 0, false);
    step([&] { return tree.setWhereIsTree(second, kTreeOnWorkArea); });
    ASSERT_EQ(tree.drawAllTrees(), kNoErr);
    const auto texts = ops(Op::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "BB");
    EXPECT_EQ(cell(first, kAttrDirty), 1);
    EXPECT_EQ(q(&CTree::hitTest, RPoint{5, 100}, kTreeOnWorkArea), second);
    EXPECT_EQ(q(&CTree::hitTest, RPoint{5, 100}, kTreeNotPlaced), 0);
}

TEST_F(DrawingFixture, SelectedOffendingAndColouredNodes) {
    // Selected and black: white text on a black box, text drawn after the fill.
    const int32_t root = place("AB", 100, 50, false);
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
    const auto& all = device.records();
    const auto at = [&](Op op) {
        return std::find_if(all.begin(), all.end(), [&](const auto& r) { return r.op == op; });
    };
    EXPECT_LT(at(Op::Fill), at(Op::Text));
    EXPECT_EQ(port.color(), kColorBlack);
    // A selected red node keeps red text on the black box; unselected, the box is white.
    device.clear();
    setCell(root, kAttrColor, kColorRed);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(ops(Op::Text)[0].color, kRed);
    EXPECT_EQ(ops(Op::Fill)[0].color, kBlack);
    device.clear();
    ASSERT_EQ(tree.setSelectedValue(root, 0), kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(ops(Op::Fill)[0].color, kWhite);

    // Offending: a red frame two pixels outside, then the ordinary white box.
    device.clear();
    setCell(root, kAttrColor, kColorBlack);
    setCell(root, kAttrOffending, 1);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    const auto frames = ops(Op::Frame);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].color, kRed);
    EXPECT_EQ(frames[0].width, 1);
    EXPECT_EQ(corners(frames[0]), (RCorners{87, 49, 113, 65}));
    EXPECT_EQ(frames[1].h1, 89);
    EXPECT_EQ(frames[1].color, kWhite);
}

TEST_F(DrawingFixture, BranchLineTakesTheMotherColourOnlyWhenBothAgreeOrInTagColoursMode) {
    const int32_t root = place("M(D E)", 0, 0, false);
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
    EXPECT_EQ(texts[0].text + texts[2].text, "DM");
    EXPECT_EQ(texts[0].color, kBlue);
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

TEST_F(DrawingFixture, RoofIsATriangleOverTheLeavesStringWithSubscriptsLower) {
    const int32_t root = place("T(A(C) DD)", 100, 0, false);
    const CRString i("i", 155);
    step([&] {
        EXPECT_EQ(tree.setSubscript(node("C"), &i), kNoErr);
        EXPECT_EQ(tree.setTriangleValue(root, 1), kNoErr);
    });
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
    const struct {
        const char* text;
        int32_t h, v; // -1: not checked
    } rows[] = {{"C", 75, kPitch}, {"i", 85, kPitch + 4}, {" ", 95, kPitch},
                {"DD", -1, -1},    {" ", -1, -1},         {"T", -1, -1}};
    for (std::size_t k = 0; k < texts.size(); ++k) {
        EXPECT_EQ(texts[k].text, rows[k].text) << k;
        if (rows[k].h >= 0) {
            EXPECT_EQ((std::pair{texts[k].h1, texts[k].v1}), (std::pair{rows[k].h, rows[k].v}));
        }
    }
    // The daughters themselves are not drawn, and a point under the roof hits nothing.
    EXPECT_EQ(hit(root, RPoint{kPitch + 5, 80}), 0);
}

TEST_F(DrawingFixture, DrawingPreferencesGoThroughTheHeaderAndUndo) {
    const CRString courier("Courier", 155);
    step([&] {
        EXPECT_EQ(tree.setDrawingPref(kHdrHorizontalPadding, 25, nullptr), kNoErr);
        EXPECT_EQ(tree.setDrawingPref(kHdrLineHeight, 24, nullptr), kNoErr);
        EXPECT_EQ(tree.setDrawingPref(kHdrFontName, 0, &courier), kNoErr);
        EXPECT_EQ(tree.allTreesDirty(), kNoErr);
    });
    EXPECT_EQ(tree.horizontalPadding, 25);
    EXPECT_EQ(tree.lineHeight, 24);
    int32_t hp = 0, lh = 0, vp = 0, th = 0, fs = 0;
    const CRString* face = nullptr;
    ASSERT_EQ(tree.getDrawingPrefs(hp, lh, vp, th, fs, face), kNoErr);
    EXPECT_EQ((std::array{hp, lh, vp, th, fs}), (std::array{25, 24, 2, 0, 10}));
    EXPECT_EQ(face->str(), "Courier");

    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    ASSERT_EQ(tree.updateDrawingPrefs(), kNoErr);
    EXPECT_EQ(tree.horizontalPadding, 10);
    EXPECT_EQ(tree.lineHeight, 16);

    // The offsets, unknown numbers and out-of-range values are refused.
    step([&] {
        EXPECT_EQ(tree.setDrawingPref(kHdrHOffset, 5, nullptr), kErrInvalidParameter);
        EXPECT_EQ(tree.setDrawingPref(99, 5, nullptr), kErrInvalidParameter);
        EXPECT_EQ(tree.setDrawingPref(kHdrThickness, 3, nullptr), kErrInvalidParameter);
        EXPECT_EQ(tree.setDrawingPref(kHdrFontSize, 200, nullptr), kErrInvalidParameter);
        EXPECT_EQ(tree.setDrawingPref(kHdrThickness, 2, nullptr), kNoErr);
    });
    EXPECT_EQ(tree.thickness, 2);
    EXPECT_EQ(reports(), RReports(4, bugReportText("CTree::setDrawingPref", kErrInvalidParameter)));

    // Without a port layout cannot run.
    const int32_t root = place("A", 0, 0, false);
    ASSERT_EQ(tree.setTreePort(nullptr), kNoErr);
    EXPECT_EQ(tree.drawTree(root, true), kErrNotInitialized);
    EXPECT_EQ(reports().back(), bugReportText("CTree::drawTree", kErrNotInitialized));
}

// The walks keep their own stacks: no recursion however deep or wide the tree.
TEST_F(DrawingFixture, DeepChainIsLaidOutDrawnAndHitWithoutRecursion) {
    constexpr int32_t kLevels = 5000;
    int32_t root = 0, deepest = 0;
    const CRString xy("XY", 155);
    step([&] {
        EXPECT_EQ(buildChain(tree, kLevels, root, deepest), kNoErr);
        EXPECT_EQ(tree.setMainString(deepest, xy), kNoErr);
    });
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(depth(root), kLevels);
    EXPECT_EQ(level(root, kLevels).second, 20);
    EXPECT_EQ(position(deepest), (RPoint{(kLevels - 1) * kPitch, 0}));
    EXPECT_EQ(cumRect(root).bottom, (kLevels - 1) * kPitch + kFontHeight + 1);
    EXPECT_EQ(ops(Op::Line).size(), static_cast<std::size_t>(kLevels - 1));
    EXPECT_EQ(hit(root, position(deepest)), deepest);
    EXPECT_EQ(q(&CTree::getTriangleStringHalfWidth, root), 10 + 5);
}

TEST_F(DrawingFixture, HundredThousandDaughtersAreLaidOutDrawnAndHit) {
    constexpr int32_t kDaughters = 100000;
    int32_t root = 0, last = 0;
    step([&] {
        // Linked with the primitives: appending one by one is quadratic.
        EXPECT_EQ(tree.newRoot(root), kNoErr);
        for (int32_t i = 0, previous = 0; i < kDaughters; ++i, previous = last) {
            ASSERT_EQ(tree.newRecord(last, kRecordNode), kNoErr);
            ASSERT_EQ(tree.dataTask(last, kAttrMother, root), kNoErr);
            ASSERT_EQ(previous == 0 ? tree.dataTask(root, kAttrLeftmostDaughter, last)
                                    : tree.dataTask(previous, kAttrNextSister, last),
                      kNoErr);
            ASSERT_EQ(tree.dataTask(last, kAttrColor, kColorBlack), kNoErr);
        }
    });
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    // Unlabelled leaves: padded half width 10, so 20 apart.
    EXPECT_EQ(xOffset(last), (kDaughters - 1) * 20 - (kDaughters - 1) * 20 / 2);
    EXPECT_EQ(depth(root), 2);
    EXPECT_EQ(ops(Op::Line).size(), static_cast<std::size_t>(kDaughters));
    EXPECT_EQ(hit(root, position(last)), last);
}

// A 144-point label is about 192 pixels high at 96 per inch and more on a printer: no fault.
TEST_F(DrawingFixture, LabelsInTheLargestFontAreNoFaultButAbsurdHeightsStillAre) {
    const int32_t root = build("S(NP VP)");
    const int32_t rows[][3] = {{12, 96, 0}, {200, 96, 0}, {2, 96, 3}, {400, 96, 3}, {1100, 600, 0}};
    for (const auto& [height, pixelsPerInch, expected] : rows) {
        FixedMetricsDevice large{10, height, pixelsPerInch};
        CPort largePort{&large};
        ASSERT_EQ(tree.setTreePort(&largePort), kNoErr);
        platform.recorder.clear();
        ASSERT_EQ(tree.allTreesDirty(), kNoErr);
        EXPECT_EQ(tree.drawTree(root, true), kNoErr);
        EXPECT_EQ(reports(),
                  RReports(static_cast<std::size_t>(expected), "CTree::drawNodeAndBelow"))
            << height;
        ASSERT_EQ(tree.setTreePort(nullptr), kNoErr);
    }
}
