// The tree canvas's three tools and dragging, driven by mouse events on the real widgets, and
// the one-tree view and dragged picture they use.
#include "UiTestSupport.h"

#include "drawing/CPort.h"
#include "ui/CDragImage.h"
#include "ui/CTreeView.h"
#include "undo/UndoLabels.h"

#include <QImage>
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

} // namespace

TEST_F(CanvasTest, GesturesThatComeToNothingLeaveNoStep) {
    openWith(kPlainGrammarText);
    // A word dropped over the panel leaves no tree, no step and a clean document.
    chooseWord("N", "dog");
    dragChosenWordTo(QPoint(), true);
    EXPECT_EQ(scene() + std::to_string(undoSteps()) +
                  bits({isDirty(tree()), canvas().dragImage()->isShowing()}),
              " / -000");

    const int32_t dog = placeWord("N", "dog", QPoint(150, 60));
    EXPECT_EQ(scene(), "NP(N'(N(dog)))@60,150 / NP");
    EXPECT_EQ(undoLabel(), kLabelDrag);
    const std::vector<std::string> placed = documentState();

    // Empty canvas: deselects. The arrow on an inner node when no hook allows it; the
    // scissors and the glass released away from the pressed node: no step at all.
    click(QPoint(400, 400));
    EXPECT_EQ(scene(), "NP(N'(N(dog)))@60,150 / -");
    const QPoint inner = centreOf(findNode(dog, "N'"));
    click(inner);
    for (int32_t tool : {2, 3}) {
        window().setTool(tool);
        drag(inner, QPoint(400, 400));
    }
    window().setTool(1);
    EXPECT_EQ(undoSteps(), 1u);
    EXPECT_EQ(undoLabel(), kLabelDrag);
    EXPECT_EQ(documentState(), placed);
}

TEST_F(CanvasTest, ADraggedTreeIsNeverOfferedItsOwnNodes) {
    openWith(std::string(kPlainGrammarText) + "word self: [NP [N' [N self] [NP]]]\n");
    const int32_t self = placeWord("N", "self", QPoint(150, 60));
    const int32_t other = placeWord("N", "self", QPoint(450, 60));
    const int32_t ownLeaf = lastDaughter(self, "N'");
    const int32_t otherLeaf = lastDaughter(other, "N'");
    const QPoint ownLeafPoint = centreOf(ownLeaf);
    const QPoint otherLeafPoint = centreOf(otherLeaf);
    const auto marks = [&] {
        return std::to_string(cellOf(ownLeaf, kAttrSelected)) +
               std::to_string(cellOf(otherLeaf, kAttrSelected));
    };

    press(centreOf(self));
    ASSERT_TRUE(canvas().gesture().isDragging());
    EXPECT_TRUE(canvas().dragImage()->isShowing());
    moveTo(ownLeafPoint);
    EXPECT_EQ(canvas().gesture().lastHitNode(), ownLeaf);
    std::string seen = marks();
    for (const QPoint& at : {otherLeafPoint, ownLeafPoint}) {
        moveTo(at);
        seen += " " + marks();
    }
    EXPECT_EQ(seen, "00 01 00");
    release(ownLeafPoint);
    // It only moved: still a tree of its own, the same shape, nothing highlighted.
    EXPECT_FALSE(canvas().gesture().isDragging());
    const RPoint page = canvas().clientPointToPage(ownLeafPoint);
    EXPECT_EQ(scene(), "NP(N'(N(self) NP))@60,450; NP(N'(N(self) NP))@" + std::to_string(page.v) +
                           "," + std::to_string(page.h) + " / NP");
    EXPECT_EQ(marks(), "00");
}

// The built-in rules and the English sample's hooks agree: an NP dropped on an NP leaf
// takes its place; dropped on an NP with daughters it only moves.
TEST_F(CanvasTest, AnNPSubstitutesForAnNPLeafAndOnlyMovesOntoAFullOne) {
    for (const bool english : {false, true}) {
        SCOPED_TRACE(english ? "English sample" : "built-in rules");
        app.reset();
        openWith(english ? readTextFile(std::string(RAMEX_SAMPLES_DIR) + "/english.rgt")
                         : kPlainGrammarText);
        const int32_t the = placeWord("D", "the", QPoint(200, 60));
        const int32_t dog = placeWord("N", "dog", QPoint(450, 60));
        ASSERT_NE(dog, 0);
        const QPoint slot = centreOf(lastDaughter(the, "D'"));
        drag(centreOf(dog), slot);
        EXPECT_EQ(workAreaRoots(), std::vector<int32_t>{the});
        EXPECT_NE(qtreeOf(the).find("dog"), std::string::npos) << qtreeOf(the);
        EXPECT_EQ(undoLabel(), kLabelDrag);
        // Whoever substituted, no node is left marked.
        EXPECT_EQ(canvas().getSelectedNode(), 0);
        for (int32_t node : nodesOf(tree(), the))
            EXPECT_EQ(cellOf(node, kAttrSelected), 0) << node;

        const int32_t cat = placeWord("N", "cat", QPoint(450, 200));
        ASSERT_NE(cat, 0);
        const std::string before = qtreeOf(the);
        const QPoint onto = centreOf(lastDaughter(the, "D'"));
        drag(centreOf(cat), onto);
        EXPECT_EQ(qtreeOf(the), before);
        EXPECT_EQ(workAreaRoots().size(), 2u);
        RPoint place;
        tree().getAbsolutePoint(cat, place);
        EXPECT_EQ(place, canvas().clientPointToPage(onto));
    }
}

TEST_F(CanvasTest, ADoubleClickTheScissorsAndTheGlassActOnTheNodeUnderThePointer) {
    openWith(kToolGrammarText);
    const int32_t dog = placeWord("N", "dog", QPoint(200, 60));
    const int32_t head = findNode(dog, "N");
    const int32_t bar = findNode(dog, "N'");
    const QPoint point = centreOf(head);

    // A double click toggles a roof as one step, and ignores leaves.
    std::size_t steps = undoSteps();
    std::string roofs;
    for (const QPoint& at : {centreOf(findNode(dog, "dog")), centreOf(bar), centreOf(bar)}) {
        QTest::mouseDClick(canvas().viewport(), Qt::LeftButton, Qt::NoModifier, at);
        release(at);
        roofs += std::to_string(cellOf(bar, kAttrTriangle)) + std::to_string(undoSteps() - steps);
        settle();
    }
    EXPECT_EQ(roofs, "001102");
    EXPECT_EQ(undoLabel(), kLabelTriangle);
    window().OnUndo();
    EXPECT_EQ(cellOf(bar, kAttrTriangle), 1);
    window().OnRedo();

    // The scissors released away undo what their press did: colour and highlight as the
    // pointer leaves the node, comes back and leaves again.
    const std::vector<std::string> before = documentState();
    steps = undoSteps();
    ASSERT_TRUE(window().mainPanel().toolButton(2)->isVisible());
    window().setTool(2);
    const auto look = [&] {
        return std::to_string(cellOf(head, kAttrColor)) + "/" +
               std::to_string(cellOf(head, kAttrSelected));
    };
    const std::string red = std::to_string(kColorRed);
    const QPoint away(500, 400);
    press(point);
    std::string looks = look();
    for (const QPoint& at : {away, point, away}) {
        moveTo(at);
        looks += " " + look();
    }
    release(away);
    EXPECT_EQ(looks, red + "/1 " + red + "/0 " + red + "/1 " + red + "/0");
    EXPECT_EQ(window().statusText(), "down");
    EXPECT_EQ(documentState(), before);
    EXPECT_EQ(undoSteps(), steps);
    // Released on the node: "scissors" is sent and the step stays.
    click(point);
    EXPECT_EQ(window().statusText(), "cut");
    EXPECT_EQ(undoLabel(), kLabelScissors);
    EXPECT_EQ(cellOf(head, kAttrColor), kColorRed);
    window().OnUndo();
    EXPECT_EQ(cellOf(head, kAttrColor), kColorBlack);

    // The magnifying glass opens a note below the node, painted in its colour.
    window().setTool(3);
    click(point);
    ASSERT_TRUE(canvas().popUpVisible());
    EXPECT_EQ(canvas().popUpLines(), (std::vector<std::string>{"first line", "second"}));
    const RRect box = layoutOf(head)[0];
    const RRect note = canvas().popUpRect();
    const QFontMetrics metrics(canvas().font());
    EXPECT_EQ(note, (RRect{box.bottom + 2, box.left + 2, box.bottom + 2 + 2 * metrics.height() + 20,
                           box.left + 2 + metrics.horizontalAdvance("first line") + 20}));
    settle();
    const QImage shot = canvas().viewport()->grab().toImage();
    const QPoint inside = canvas().pageRectToClient(note).topLeft() + QPoint(3, 3);
    EXPECT_EQ(shot.pixelColor(inside * shot.devicePixelRatio()), QColor(240, 240, 200));
    // A press anywhere closes it.
    click(away);
    EXPECT_FALSE(canvas().popUpVisible());
}

TEST_F(CanvasTest, ATreeViewCentresItsTreeAndHitTestsIt) {
    openWith(kPlainGrammarText);
    chooseWord("N", "dog");
    const int32_t word = panel().currentlySelectedTree();
    ASSERT_NE(word, 0);
    RPoint home;
    tree().getAbsolutePoint(word, home);
    CTreeView view(nullptr);
    view.resize(200, 250);
    view.setSource(&tree(), &window().port(), [word] { return word; });
    int32_t clicked = -1;
    view.setPressHandler([&clicked](int32_t node, QMouseEvent&) { clicked = node; });
    RPoint centre;
    ASSERT_TRUE(view.centredPoint(centre));
    RRect box;
    tree().getNodeCumulativeRect(word, box);
    // Centred: the tree's height splits evenly above and below the middle.
    EXPECT_NEAR(centre.v, 125 - (box.bottom - box.top) / 2, 1);
    EXPECT_EQ(view.nodeAt(QPoint(2, 2)), 0);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(centre.h, centre.v + 3));
    EXPECT_EQ(clicked, word);
    // Drawing it centred leaves the word where it stands in the lexicon.
    EXPECT_EQ(view.grab().toImage().pixelColor(1, 1), QColor(Qt::white));
    RPoint after;
    tree().getAbsolutePoint(word, after);
    EXPECT_EQ(after, home);
}

TEST_F(CanvasTest, ARootDraggedByZeroFromTheEdgeOfItsLabelMovesItsTopCentreThere) {
    openWith(kPlainGrammarText);
    const int32_t dog = placeWord("N", "dog", QPoint(200, 80));
    click(QPoint(400, 400));
    const QPoint edge = centreOf(dog, true) + QPoint(1, 0);
    click(edge);
    const RPoint page = canvas().clientPointToPage(edge);
    EXPECT_EQ(scene(),
              "NP(N'(N(dog)))@" + std::to_string(page.v) + "," + std::to_string(page.h) + " / NP");
    EXPECT_LT(page.h, 200);
    EXPECT_EQ(undoSteps(), 2u);
    EXPECT_EQ(undoLabel(), kLabelDrag);
    // Its label's top centre now lies at the click.
    const RRect own = layoutOf(dog)[0];
    EXPECT_NEAR((own.left + own.right) / 2, page.h, 1);
    EXPECT_EQ(own.top + 1, page.v);

    // Its picture for dragging is see-through, with the hot spot on the root label.
    QPoint hot;
    const QPixmap picture = canvas().createDragImage(dog, hot);
    EXPECT_EQ(picture.devicePixelRatio(), canvas().devicePixelRatioF());
    RRect all;
    tree().getNodeCumulativeRect(dog, all);
    EXPECT_EQ(picture.deviceIndependentSize().toSize(),
              QSize(all.right - all.left + 1, all.bottom - all.top + 1));
    EXPECT_EQ(hot, QPoint(own.left - all.left + (own.right - own.left) / 2, 0));
    const QImage image = picture.toImage();
    EXPECT_EQ(qAlpha(image.pixel(0, image.height() - 1)), 0);
    EXPECT_TRUE(hasInk(image));
    // Making the picture leaves the tree's boxes where the canvas shows them.
    RRect again;
    tree().getNodeRect(dog, again);
    EXPECT_EQ(again, own);
}
