#include "CallTable.h"

#include "drawing/CPort.h"
#include "drawing/FixedMetricsDevice.h"

#include <algorithm>
#include <cstdlib>

namespace {

using Op = FixedMetricsDevice::Op;

// Characters 10 wide, fonts 12 high: rows 12 + 2 + 16 + 2 = 32 apart, half a space 5.
constexpr int32_t kFontHeight = 12;
constexpr int32_t kPitch = 32;

std::string colourName(const RRgb& c) {
    const std::pair<RRgb, const char*> names[] = {
        {{0, 0, 0}, "k"}, {{255, 255, 255}, "w"}, {{255, 0, 0}, "r"}, {{0, 0, 255}, "b"}};
    for (const auto& [rgb, name] : names)
        if (rgb == c)
            return name;
    return "?";
}

class DrawingFixture : public ModelFixture {
protected:
    void SetUp() override {
        ModelFixture::SetUp();
        ASSERT_EQ(tree.setTreePort(&port), kNoErr);
    }
    // The fish spine's rows 1 to depth: "left,right ...".
    std::string spine(int32_t n) {
        const std::vector<RExtent>* rows = tree.fishSpine(n);
        std::string text;
        for (std::size_t k = 1; k <= static_cast<std::size_t>(cell(n, kAttrFishSpineDepth)); ++k)
            text += (k == 1 ? "" : " ") +
                    (rows && k < rows->size()
                         ? std::to_string((*rows)[k].left) + "," + std::to_string((*rows)[k].right)
                         : "?");
        return text;
    }
    // Left, top, right and bottom from the first attribute on.
    std::string rect(int32_t n, int32_t first) const {
        return row(n, {first, first + 1, first + 2, first + 3}, ",");
    }
    // Pre-order: "label offset@h,v" (the root without offset); with boxes, the node's box and
    // its subtree's box as left,top,right,bottom.
    std::string layout(int32_t root, bool boxes = false) {
        std::string dump;
        for (int32_t n = root; n != 0; n = q(&CTree::getNextNode, n, root)) {
            dump += (dump.empty() ? "" : "; ") + text(n);
            if (n != root)
                dump += " " + std::to_string(cell(n, kAttrXOffset));
            dump += "@" + row(n, {kAttrRelativeH, kAttrRelativeV}, ",");
            if (boxes)
                dump += " " + rect(n, kAttrNodeRectLeft) + " " + rect(n, kAttrCumulativeRectLeft);
        }
        return dump;
    }
    // What the device drew of the kinds, in order: "h1,v1,h2,v2 colour" ("/width" for frames)
    // or "text@h1,v1 colour".
    std::string drawn(std::initializer_list<Op> kinds) const {
        std::string dump;
        const auto n = [](int32_t v) { return std::to_string(v); };
        for (const auto& r : device.records())
            if (std::find(kinds.begin(), kinds.end(), r.op) != kinds.end())
                dump +=
                    (dump.empty() ? "" : "; ") +
                    (r.op == Op::Text ? r.text + "@" + n(r.h1) + "," + n(r.v1)
                                      : n(r.h1) + "," + n(r.v1) + "," + n(r.h2) + "," + n(r.v2)) +
                    " " + colourName(r.color) + (r.op == Op::Frame ? "/" + n(r.width) : "");
        return dump;
    }
    // Builds the tree, places its root at (h, v) and, when asked, lays it out and draws it.
    int32_t place(const std::string& shape, int32_t h, int32_t v, bool draw = true) {
        const int32_t root = build(shape);
        step([&] { return tree.setAbsolutePoint(root, RPoint{v, h}); });
        EXPECT_EQ(draw ? tree.drawTree(root, true) : kNoErr, kNoErr);
        return root;
    }
    void redraw(int32_t root) {
        device.clear();
        ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    }
    int32_t hit(int32_t root, RPoint point) { return q(&CTree::hitTestOneTreeOnly, root, point); }

    FixedMetricsDevice device{10, kFontHeight};
    CPort port{&device};
};

} // namespace

TEST_F(DrawingFixture, SpinesOffsetsAndPositionsOfSmallTrees) {
    // Sisters sit their padded half widths apart (A 5 + 10, BBB 15 + 10), the mother midway; a
    // shallow sister does not shield a deep left sister (their third rows need 120); a single
    // daughter hangs straight below.
    const struct {
        const char *shape, *layout, *spine;
    } rows[] = {
        {"AB", "AB@0,0", "-20,20"},
        {"M(A BBB)", "M@0,0; A -20@-20,32; BBB 20@20,32", "-15,15 -35,45"},
        {"M(P(WWWWWWWWWW) Q R(XXXXXXXXXX))",
         "M@0,0; P -60@-60,32; WWWWWWWWWW 0@-60,64; Q -30@-30,32; R 60@60,32; XXXXXXXXXX 0@60,64",
         "-15,15 -75,75 -120,120"},
        {"M(LONGLABEL)", "M@0,0; LONGLABEL 0@0,32", "-15,15 -55,55"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.shape);
        const int32_t root = place(r.shape, 0, 0);
        EXPECT_EQ(layout(root), r.layout);
        EXPECT_EQ(spine(root), r.spine);
        EXPECT_EQ(cell(root, kAttrDirty), 0);
    }
    EXPECT_EQ(q(&CTree::realHalfWidth, node("AB")), 10);
    EXPECT_EQ(q(&CTree::paddedHalfWidth, node("AB")), 20);
    EXPECT_EQ(q(&CTree::howCloseCanTheseNodesBe, node("A"), node("BBB")), 40);
}

TEST_F(DrawingFixture, RoofTakesOneRowAsWideAsItsLeavesString) {
    const int32_t root = place("S(T(A(C) DDD) E)", 0, 0, false);
    const int32_t t = node("T");
    buildSetup(tree, nodes, ".setSubscript C 'ii; .data T triangle 1");
    redraw(root);
    // Leaves: C with subscript ii, (10 + 20) / 2 + 5 = 20; DDD, 15 + 5 = 20. The roofed
    // node's box spans the string, its daughters are not placed, and the tree's box reaches the
    // string under the roof (32 + 32 + 12 + 1 + 4).
    EXPECT_EQ(q(&CTree::getTriangleStringHalfWidth, t), 40);
    EXPECT_EQ(spine(t), "-15,15 -35,35");
    EXPECT_EQ(layout(root), "S@0,0; T -15@-15,32; A -20@0,0; C 0@0,0; DDD 20@0,0; E 15@15,32");
    EXPECT_EQ(row(t, {kAttrNodeRectLeft, kAttrNodeRectRight, kAttrCumulativeRectBottom}),
              "-55 25 81");
    EXPECT_EQ(row(root, {kAttrCumulativeRectTop, kAttrCumulativeRectBottom}), "-1 81");
    // The roof is a triangle (w = 40 - 5) over the leaves' string, subscripts lower; the roof's
    // daughters are not drawn and a point under the roof hits nothing.
    EXPECT_EQ(drawn({Op::Line}), "0,14,-15,30 k; -15,46,-50,62 k; -50,62,20,62 k; 20,62,-15,46 k; "
                                 "0,14,15,30 k");
    EXPECT_EQ(drawn({Op::Text}), "C@-50,64 k; ii@-40,68 k;  @-20,64 k; DDD@-10,64 k;  @20,64 k; "
                                 "T@-20,32 k; E@10,32 k; S@-5,0 k");
    EXPECT_EQ(hit(root, RPoint{69, -30}), 0);
    // A roofed leaf's box is its label plus one space wide.
    const int32_t leaf = place("AB", 500, 0, false);
    step([&] { return tree.setTriangleValue(leaf, 1); });
    ASSERT_EQ(tree.drawTree(leaf, true), kNoErr);
    EXPECT_EQ(cell(leaf, kAttrNodeRectRight) - cell(leaf, kAttrNodeRectLeft), 30);
}

TEST_F(DrawingFixture, FourLevelTreeGetsEveryPositionAndBoxComputedByHand) {
    const int32_t root = place("S(NP(D N) VP(V OB(NN)))", 200, 100, false);
    ASSERT_EQ(tree.drawTree(root, false), kNoErr);
    EXPECT_EQ(layout(root, true), "S@200,100 194,99,206,113 148,99,260,209; "
                                  "NP -31@169,132 158,131,180,145 148,131,190,177; "
                                  "D -15@154,164 148,163,160,177 148,163,160,177; "
                                  "N 15@184,164 178,163,190,177 178,163,190,177; "
                                  "VP 31@231,132 220,131,242,145 208,131,260,209; "
                                  "V -17@214,164 208,163,220,177 208,163,220,177; "
                                  "OB 18@249,164 238,163,260,177 238,163,260,209; "
                                  "NN 0@249,196 238,195,260,209 238,195,260,209");
    EXPECT_EQ(spine(root), "-15,15 -51,51 -61,69 29,69");
    // The lines run from just below a label to just above the next row's label.
    EXPECT_EQ(drawn({Op::Line}), "200,114,169,130 k; 169,146,154,162 k; 169,146,184,162 k; "
                                 "200,114,231,130 k; 231,146,214,162 k; 231,146,249,162 k; "
                                 "249,178,249,194 k");

    // Offsets shift the drawing, and a point on a box's edge hits it.
    tree.hOffset = 50;
    tree.vOffset = 20;
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(row(node("NN"), {kAttrRelativeH, kAttrRelativeV}), "199 176");
    EXPECT_EQ(hit(root, RPoint{175, 188}), node("NN"));
    EXPECT_EQ(hit(root, RPoint{175, 187}), 0);
    EXPECT_EQ(hit(root, RPoint{79, 144}), root);
}

TEST_F(DrawingFixture, OnlyDirtyTreesAreLaidOutAgainAndSuspendedDrawingStillPositions) {
    const int32_t root = place("M(A B)", 40, 40);
    EXPECT_EQ(cell(node("B"), kAttrXOffset), 15);
    // A width change the tree was not told about leaves the stored layout in use.
    tree.horizontalPadding = 30;
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(cell(node("B"), kAttrXOffset), 15);
    ASSERT_EQ(tree.allTreesDirty(), kNoErr);
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    EXPECT_EQ(layout(root), "M@40,40; A -35@5,72; B 35@75,72");
    EXPECT_EQ(cell(root, kAttrDirty), 0);

    tree.horizontalPadding = 10;
    ASSERT_EQ(tree.allTreesDirty(), kNoErr);
    port.suspendDrawing();
    device.clear();
    EXPECT_EQ(q<RRect>(&CTree::getNodeCumulativeRect, root),
              (RRect{39, 19, 40 + kPitch + kFontHeight + 1, 61}));
    EXPECT_TRUE(port.isDrawingSuspended());
    EXPECT_EQ(layout(root), "M@40,40; A -15@25,72; B 15@55,72");
    for (const auto& record : device.records())
        EXPECT_TRUE(record.op == Op::Font) << "drew while suspended";
    // A dirty root is laid out for the query, with the port left as it was found.
    port.resumeDrawing();
    ASSERT_EQ(tree.allTreesDirty(), kNoErr);
    device.clear();
    q<RRect>(&CTree::getNodeCumulativeRect, root);
    EXPECT_FALSE(port.isDrawingSuspended());
    EXPECT_EQ(drawn({Op::Text}), "");
}

TEST_F(DrawingFixture, CenteringTemporaryPlacesAndTreeAreaDrawing) {
    // Placed at the point, the tree's bounding box has its middle at the rectangle's.
    const int32_t root = place("M(A BBBBBBB)", 0, 0, false);
    const RPoint point = q<RPoint>(&CTree::centerTreeInRect, root, RRect{0, 0, 400, 600});
    step([&] { return tree.setAbsolutePoint(root, point); });
    ASSERT_EQ(tree.drawTree(root, true), kNoErr);
    const RRect box = q<RRect>(&CTree::getNodeCumulativeRect, root);
    EXPECT_LE(std::abs((box.left + box.right) - 600), 2);
    EXPECT_LE(std::abs((box.top + box.bottom) - 400), 2);
    EXPECT_EQ(point.v, 200 - (box.bottom - box.top) / 2);

    const int32_t other = place("M(A)", 10, 20, false);
    ASSERT_EQ(tree.drawOneTreeAtATemporaryAbsoluteLocation(other, RPoint{300, 400}), kNoErr);
    EXPECT_EQ(row(other, {kAttrRelativeH, kAttrRelativeV}), "400 300");
    EXPECT_EQ(q<RPoint>(&CTree::getAbsolutePoint, other), (RPoint{20, 10}));

    // Only tree-area roots are drawn, and hit tests find them there only.
    const int32_t second = place("BB", 100, 0, false);
    step([&] { return tree.setWhereIsTree(second, kTreeOnWorkArea); });
    device.clear();
    ASSERT_EQ(tree.allTreesDirty(), kNoErr);
    ASSERT_EQ(tree.drawAllTrees(), kNoErr);
    EXPECT_EQ(drawn({Op::Text}), "BB@90,0 k");
    EXPECT_EQ(cell(other, kAttrDirty), 1);
    EXPECT_EQ(q(&CTree::hitTest, RPoint{5, 100}, kTreeOnWorkArea), second);
    EXPECT_EQ(q(&CTree::hitTest, RPoint{5, 100}, kTreeNotPlaced), 0);
}

TEST_F(DrawingFixture, SelectedOffendingAndColouredNodes) {
    // Selected and black: white text on a black box, filled before the text.
    const int32_t root = place("AB", 100, 50, false);
    ASSERT_EQ(tree.setSelectedValue(root, 1), kNoErr);
    redraw(root);
    EXPECT_EQ(drawn({Op::Fill, Op::Text}), "89,51,111,63 k; AB@90,50 w");
    EXPECT_EQ(port.color(), kColorBlack);
    // A selected red node keeps red text on the black box; unselected, the box is white.
    buildSetup(tree, nodes, ".data AB color 4"); // red
    redraw(root);
    EXPECT_EQ(drawn({Op::Fill, Op::Text}), "89,51,111,63 k; AB@90,50 r");
    ASSERT_EQ(tree.setSelectedValue(root, 0), kNoErr);
    redraw(root);
    EXPECT_EQ(drawn({Op::Fill}), "89,51,111,63 w");
    // Offending: a red frame two pixels outside, then the ordinary white box.
    buildSetup(tree, nodes, ".data AB color 1; .data AB offending 1");
    redraw(root);
    EXPECT_EQ(drawn({Op::Frame, Op::Fill}), "87,49,113,65 r/1; 89,51,111,63 w; 89,51,111,63 w/1");

    // A line takes its mother's colour only when both agree, or in tag colours mode; each
    // label is written in its node's colour.
    const int32_t m = place("M(D E)", 0, 0, false);
    buildSetup(tree, nodes, ".data M color 4; .data D color 8; .data E color 4"); // red, blue
    redraw(m);
    EXPECT_EQ(drawn({Op::Line}), "0,14,-15,30 k; 0,14,15,30 r");
    EXPECT_EQ(drawn({Op::Text}), "D@-20,32 b; E@10,32 r; M@-5,0 r");
    ASSERT_EQ(tree.setTagColorsMode(), kNoErr);
    redraw(m);
    EXPECT_EQ(drawn({Op::Line}), "0,14,-15,30 r; 0,14,15,30 r");
    // A new database starts without the mode.
    ASSERT_EQ(tree.createTree(true), kNoErr);
    EXPECT_EQ(tree.tagColorsMode, 0);
}

TEST(CTreeCalls, DrawingPreferencesGoThroughTheHeaderAndUndo) {
    // Padding 9, line height 11, font name 7, font size 8, offsets 12 and 13, thickness 14.
    expectCalls({
        {"", "setPref 9 25; setPref 11 24; setPref 7 0 'Courier ? prefs", " =25,24,2,0,10,Courier"},
        {"", "setPref 14 2 ? prefs", " =10,16,2,2,10,"},
        {"", "setPref 12 5", "!setDrawingPref"},
        {"", "setPref 99 5", "!setDrawingPref"},
        {"", "setPref 14 3", "!setDrawingPref"},
        {"", "setPref 8 200", "!setDrawingPref"},
    });
}

TEST_F(DrawingFixture, DrawingPreferencesReachTheTreeAndLayoutNeedsAPort) {
    step([&] {
        return firstError({tree.setDrawingPref(kHdrHorizontalPadding, 25, nullptr),
                           tree.setDrawingPref(kHdrThickness, 2, nullptr)});
    });
    EXPECT_EQ(joined(std::vector{tree.horizontalPadding, tree.thickness}), "25 2");
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    ASSERT_EQ(tree.updateDrawingPrefs(), kNoErr);
    EXPECT_EQ(joined(std::vector{tree.horizontalPadding, tree.thickness}), "10 0");
    const int32_t root = place("A", 0, 0, false);
    ASSERT_EQ(tree.setTreePort(nullptr), kNoErr);
    bad(tree.drawTree(root, true), "CTree::drawTree", kErrNotInitialized);
}

// The walks keep their own stacks: no recursion however deep or wide the tree.
TEST_F(DrawingFixture, DeepAndWideTreesAreLaidOutDrawnAndHitWithoutRecursion) {
    constexpr int32_t kLevels = 5000;
    int32_t root = 0, deepest = 0;
    const CRString xy("XY", 155);
    step([&] {
        return firstError(
            {buildChain(tree, kLevels, root, deepest), tree.setMainString(deepest, xy)});
    });
    redraw(root);
    EXPECT_EQ(cell(root, kAttrFishSpineDepth), kLevels);
    EXPECT_EQ(tree.fishSpine(root)->at(kLevels).right, 20);
    EXPECT_EQ(row(deepest, {kAttrRelativeH, kAttrRelativeV}),
              "0 " + std::to_string((kLevels - 1) * kPitch));
    EXPECT_EQ(cell(root, kAttrCumulativeRectBottom), (kLevels - 1) * kPitch + kFontHeight + 1);
    EXPECT_EQ(std::count_if(device.records().begin(), device.records().end(),
                            [](const auto& r) { return r.op == Op::Line; }),
              kLevels - 1);
    EXPECT_EQ(hit(root, RPoint{cell(deepest, kAttrRelativeV), 0}), deepest);
    EXPECT_EQ(q(&CTree::getTriangleStringHalfWidth, root), 10 + 5);

    constexpr int32_t kDaughters = 100000;
    int32_t wide = 0, last = 0;
    step([&] {
        EXPECT_EQ(tree.newRoot(wide), kNoErr);
        for (int32_t i = 0; i < kDaughters; ++i)
            ASSERT_EQ(tree.newDaughterToLeft(wide, last), kNoErr);
    });
    redraw(wide);
    // Unlabelled leaves: padded half width 10, so 20 apart.
    EXPECT_EQ(cell(last, kAttrXOffset), -(kDaughters - 1) * 20 / 2);
    EXPECT_EQ(cell(wide, kAttrFishSpineDepth), 2);
    EXPECT_EQ(std::count_if(device.records().begin(), device.records().end(),
                            [](const auto& r) { return r.op == Op::Line; }),
              kDaughters);
    EXPECT_EQ(hit(wide, RPoint{cell(last, kAttrRelativeV), cell(last, kAttrRelativeH)}), last);
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
