// The tree canvas's three tools and dragging, driven by mouse events on the real widgets.
#include "CanvasTestSupport.h"

#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "ui/CDragImage.h"
#include "ui/CMainPanel.h"
#include "ui/CRamexWindow.h"
#include "ui/CTreeCanvas.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QListWidget>
#include <QTest>
#include <QToolButton>

namespace {

// Scissors and magnifying-glass hooks that leave visible traces.
const char* const kToolGrammarText = R"(categories: X N V D
word dog: [NP [N' [N dog]]]
word the: [DP [D' [D the] [NP]]]
script:
define function scissors-down(n)
  set-color(n, 4)
  message("down")
end define
define function scissors(n)
  message("cut")
end define
define function magnifying-glass(n)
  pop-up(n, "first line\nsecond")
end define
end script
)";

int32_t selectedValue(CTree& tree, int32_t node) {
    int32_t value = 0;
    tree.getValue(node, kAttrSelected, value);
    return value;
}

} // namespace

TEST_F(CanvasTest, GesturesThatComeToNothingLeaveNoStep) {
    openWith(kPlainGrammarText);
    bool dirty = true;

    // A word dropped over the panel leaves no tree, no step and a clean document.
    chooseWord("N", "dog");
    dragChosenWordTo(QPoint(), true);
    EXPECT_TRUE(workAreaRoots().empty());
    EXPECT_EQ(undoSteps(), 0u);
    tree().undoStructure().isDirty(dirty);
    EXPECT_FALSE(dirty);
    EXPECT_FALSE(canvas().dragImage()->isShowing());

    const int32_t dog = placeWord("N", "dog", QPoint(150, 60));
    ASSERT_NE(dog, 0);
    EXPECT_EQ(undoSteps(), 1u);
    EXPECT_EQ(undoLabel(), kLabelDrag);
    const DatabaseState placed = documentState();

    // Empty canvas: deselects, no step.
    EXPECT_EQ(canvas().getSelectedNode(), dog);
    click(QPoint(400, 400));
    EXPECT_EQ(canvas().getSelectedNode(), 0);
    // The arrow on an inner node when no hook allows it.
    const QPoint inner = centreOf(findNode(dog, "N'"));
    click(inner);
    // The scissors and the glass released away from the pressed node.
    for (int32_t tool : {2, 3}) {
        window().setTool(tool);
        press(inner);
        moveTo(QPoint(400, 400));
        release(QPoint(400, 400));
    }
    window().setTool(1);
    EXPECT_EQ(undoSteps(), 1u);
    EXPECT_EQ(undoLabel(), kLabelDrag);
    EXPECT_TRUE(sameStateAllowingGrowth(placed, documentState()));
    EXPECT_TRUE(bugTexts().empty());
}

TEST_F(CanvasTest, DragByZeroOnTheEdgeOfARootLabelMovesItsTopCentreThere) {
    openWith(kPlainGrammarText);
    const int32_t dog = placeWord("N", "dog", QPoint(200, 80));
    ASSERT_NE(dog, 0);
    RPoint before;
    tree().getAbsolutePoint(dog, before);
    EXPECT_EQ(before.h, 200);
    EXPECT_EQ(before.v, 80);
    click(QPoint(400, 400));

    const QPoint edge = leftEdgeOf(dog) + QPoint(1, 0);
    click(edge);
    RPoint after;
    tree().getAbsolutePoint(dog, after);
    const RPoint page = canvas().clientPointToPage(edge);
    EXPECT_EQ(after.h, page.h);
    EXPECT_EQ(after.v, page.v);
    EXPECT_NE(after.h, before.h);
    EXPECT_EQ(canvas().getSelectedNode(), dog);
    EXPECT_EQ(undoSteps(), 2u);
    EXPECT_EQ(undoLabel(), kLabelDrag);
    // Its label's top centre now lies at the click.
    settle();
    RRect box;
    tree().getNodeRect(dog, box);
    EXPECT_NEAR((box.left + box.right) / 2, page.h, 1);
    EXPECT_EQ(box.top + 1, page.v);
}

TEST_F(CanvasTest, ADraggedTreeIsNeverOfferedItsOwnNodes) {
    openWith(std::string(kPlainGrammarText) + "word self: [NP [N' [N self] [NP]]]\n");
    const int32_t self = placeWord("N", "self", QPoint(150, 60));
    const int32_t other = placeWord("N", "self", QPoint(450, 60));
    ASSERT_NE(self, 0);
    ASSERT_NE(other, 0);
    int32_t ownLeaf = 0;
    int32_t otherLeaf = 0;
    tree().getRightmostDaughter(findNode(self, "N'"), ownLeaf);
    tree().getRightmostDaughter(findNode(other, "N'"), otherLeaf);
    const std::string shape = qtreeOf(self);
    const QPoint ownLeafPoint = centreOf(ownLeaf);
    const QPoint otherLeafPoint = centreOf(otherLeaf);

    press(centreOf(self));
    ASSERT_TRUE(canvas().gesture().isDragging());
    EXPECT_TRUE(canvas().dragImage()->isShowing());
    moveTo(ownLeafPoint);
    EXPECT_EQ(canvas().gesture().lastHitNode(), ownLeaf);
    EXPECT_EQ(selectedValue(tree(), ownLeaf), 0);
    moveTo(otherLeafPoint);
    EXPECT_EQ(selectedValue(tree(), otherLeaf), 1);
    EXPECT_EQ(selectedValue(tree(), ownLeaf), 0);
    moveTo(ownLeafPoint);
    EXPECT_EQ(selectedValue(tree(), otherLeaf), 0);
    release(ownLeafPoint);

    // It only moved: still a tree of its own, the same shape, nothing highlighted.
    EXPECT_FALSE(canvas().gesture().isDragging());
    EXPECT_EQ(workAreaRoots().size(), 2u);
    EXPECT_EQ(qtreeOf(self), shape);
    EXPECT_EQ(selectedValue(tree(), ownLeaf), 0);
    EXPECT_EQ(canvas().getSelectedNode(), self);
}

// The built-in rules and the English sample's hooks agree: an NP dropped on an NP leaf
// takes its place; dropped on an NP with daughters it only moves.
TEST_F(CanvasTest, AnNPSubstitutesForAnNPLeafAndOnlyMovesOntoAFullOne) {
    for (const bool english : {false, true}) {
        SCOPED_TRACE(english ? "English sample" : "built-in rules");
        app.reset();
        if (english)
            openEnglishSample();
        else
            openWith(kPlainGrammarText);
        const int32_t the = placeWord("D", "the", QPoint(200, 60));
        const int32_t dog = placeWord("N", "dog", QPoint(450, 60));
        ASSERT_NE(the, 0);
        ASSERT_NE(dog, 0);
        int32_t slot = 0;
        tree().getRightmostDaughter(findNode(the, "D'"), slot);

        press(centreOf(dog));
        moveTo(centreOf(slot));
        release(centreOf(slot));
        EXPECT_EQ(workAreaRoots(), std::vector<int32_t>{the});
        EXPECT_NE(qtreeOf(the).find("dog"), std::string::npos) << qtreeOf(the);
        EXPECT_EQ(undoLabel(), kLabelDrag);
        // Whoever substituted, no inner node is left marked.
        EXPECT_EQ(canvas().getSelectedNode(), 0);
        for (int32_t node = the; node != 0; tree().getNextNode(node, the, node))
            EXPECT_EQ(selectedValue(tree(), node), 0) << node;

        const int32_t cat = placeWord("N", "cat", QPoint(450, 200));
        ASSERT_NE(cat, 0);
        int32_t filled = 0;
        tree().getRightmostDaughter(findNode(the, "D'"), filled);
        const std::string before = qtreeOf(the);
        const QPoint onto = centreOf(filled);
        press(centreOf(cat));
        moveTo(onto);
        release(onto);
        EXPECT_EQ(qtreeOf(the), before);
        EXPECT_EQ(workAreaRoots().size(), 2u);
        RPoint place;
        tree().getAbsolutePoint(cat, place);
        EXPECT_EQ(place.h, canvas().clientPointToPage(onto).h);
        EXPECT_EQ(place.v, canvas().clientPointToPage(onto).v);
    }
}

TEST_F(CanvasTest, AWordDroppedOnAnEmptyPositionIsOneStepThatUndoAndRedoRoundTrip) {
    openWith(kPlainGrammarText);
    const int32_t the = placeWord("D", "the", QPoint(200, 60));
    ASSERT_NE(the, 0);
    int32_t slot = 0;
    tree().getRightmostDaughter(findNode(the, "D'"), slot);
    const DatabaseState without = documentState();
    const std::size_t steps = undoSteps();

    chooseWord("N", "dog");
    dragChosenWordTo(centreOf(slot));
    EXPECT_EQ(undoSteps(), steps + 1);
    EXPECT_EQ(workAreaRoots(), std::vector<int32_t>{the});
    EXPECT_NE(qtreeOf(the).find("dog"), std::string::npos) << qtreeOf(the);
    const DatabaseState with = documentState();

    window().OnUndo();
    EXPECT_TRUE(sameStateAllowingGrowth(without, documentState()));
    window().OnRedo();
    EXPECT_TRUE(sameStateAllowingGrowth(with, documentState()));
    window().OnUndo();
    EXPECT_TRUE(sameStateAllowingGrowth(without, documentState()));
    EXPECT_TRUE(stringsAreConsistent(tree()));
    EXPECT_TRUE(bugTexts().empty());
}

TEST_F(CanvasTest, ScissorsReleasedAwayUndoWhatTheirPressDid) {
    openWith(kToolGrammarText);
    const int32_t dog = placeWord("N", "dog", QPoint(200, 60));
    ASSERT_NE(dog, 0);
    const int32_t head = findNode(dog, "N");
    const QPoint point = centreOf(head);
    const DatabaseState before = documentState();
    ASSERT_TRUE(window().mainPanel().toolButton(2)->isVisible());
    window().setTool(2);

    press(point);
    int32_t colour = 0;
    tree().getColor(head, colour);
    EXPECT_EQ(colour, kColorRed);
    EXPECT_EQ(selectedValue(tree(), head), 1);
    moveTo(QPoint(500, 400));
    EXPECT_EQ(selectedValue(tree(), head), 0);
    moveTo(point);
    EXPECT_EQ(selectedValue(tree(), head), 1);
    moveTo(QPoint(500, 400));
    release(QPoint(500, 400));
    EXPECT_EQ(window().statusText(), "down");
    EXPECT_TRUE(sameStateAllowingGrowth(before, documentState()));
    EXPECT_EQ(undoSteps(), 1u);

    // Released on the node: "scissors" is sent and the step stays.
    press(point);
    release(point);
    EXPECT_EQ(window().statusText(), "cut");
    EXPECT_EQ(undoLabel(), kLabelScissors);
    tree().getColor(head, colour);
    EXPECT_EQ(colour, kColorRed);
    window().OnUndo();
    tree().getColor(head, colour);
    EXPECT_EQ(colour, kColorBlack);
}

TEST_F(CanvasTest, DoubleClickTogglesARoofAndIgnoresLeaves) {
    openWith(kPlainGrammarText);
    const int32_t dog = placeWord("N", "dog", QPoint(200, 60));
    const int32_t bar = findNode(dog, "N'");
    const QPoint point = centreOf(bar);
    const QPoint leaf = centreOf(findNode(dog, "dog"));
    const std::size_t steps = undoSteps();

    doubleClick(leaf);
    release(leaf);
    EXPECT_EQ(undoSteps(), steps);
    int32_t roof = 0;
    doubleClick(point);
    release(point);
    tree().getTriangleValue(bar, roof);
    EXPECT_EQ(roof, 1);
    EXPECT_EQ(undoLabel(), kLabelTriangle);
    settle();
    doubleClick(point);
    release(point);
    tree().getTriangleValue(bar, roof);
    EXPECT_EQ(roof, 0);
    EXPECT_EQ(undoSteps(), steps + 2);
    window().OnUndo();
    tree().getTriangleValue(bar, roof);
    EXPECT_EQ(roof, 1);
}

TEST_F(CanvasTest, TheMagnifyingGlassOpensAPopUpNoteAtItsNode) {
    openWith(kToolGrammarText);
    const int32_t dog = placeWord("N", "dog", QPoint(200, 60));
    const int32_t head = findNode(dog, "N");
    const QPoint point = centreOf(head);
    window().setTool(3);
    click(point);
    ASSERT_TRUE(canvas().popUpVisible());
    EXPECT_EQ(canvas().popUpLines(), (std::vector<std::string>{"first line", "second"}));
    RRect box;
    tree().getNodeRect(head, box);
    const RRect note = canvas().popUpRect();
    EXPECT_EQ(note.left, box.left + 2);
    EXPECT_EQ(note.top, box.bottom + 2);
    const QFontMetrics metrics(canvas().font());
    EXPECT_EQ(note.bottom - note.top, 2 * metrics.height() + 20);
    EXPECT_EQ(note.right - note.left, std::max(metrics.horizontalAdvance("first line"),
                                               metrics.horizontalAdvance("second")) +
                                          20);
    // The note is painted in its colour where it stands.
    settle();
    const QImage shot = canvas().viewport()->grab().toImage();
    const QPoint inside = canvas().pageRectToClient(note).topLeft() + QPoint(3, 3);
    EXPECT_EQ(shot.pixelColor(inside * shot.devicePixelRatio()), QColor(240, 240, 200));
    // A press anywhere closes it.
    click(QPoint(500, 400));
    EXPECT_FALSE(canvas().popUpVisible());
}
