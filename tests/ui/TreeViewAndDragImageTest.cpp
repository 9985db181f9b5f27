// The one-tree view the preview and the lexicon editor share, and the dragged tree's picture.
#include "CanvasTestSupport.h"

#include "model/CTree.h"
#include "ui/CMainPanel.h"
#include "ui/CRamexWindow.h"
#include "ui/CTreeCanvas.h"
#include "ui/CTreeView.h"

#include <QImage>
#include <QListWidget>
#include <QTest>

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
    EXPECT_EQ(view.nodeAt(QPoint(centre.h, centre.v + 3)), word);
    EXPECT_EQ(view.nodeAt(QPoint(2, 2)), 0);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(centre.h, centre.v + 3));
    EXPECT_EQ(clicked, word);
    // Drawing it centred leaves the word where it stands in the lexicon.
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(Qt::white));
    RPoint after;
    tree().getAbsolutePoint(word, after);
    EXPECT_EQ(after, home);
}

TEST_F(CanvasTest, TheDragPictureIsSeeThroughWithItsHotSpotOnTheRootLabel) {
    openWith(kPlainGrammarText);
    const int32_t dog = placeWord("N", "dog", QPoint(200, 60));
    ASSERT_NE(dog, 0);
    QPoint hot;
    const QPixmap picture = canvas().createDragImage(dog, hot);
    EXPECT_EQ(picture.devicePixelRatio(), canvas().devicePixelRatioF());
    RRect cumulative;
    RRect own;
    tree().getNodeCumulativeRect(dog, cumulative);
    tree().getNodeRect(dog, own);
    EXPECT_EQ(
        picture.deviceIndependentSize().toSize(),
        QSize(cumulative.right - cumulative.left + 1, cumulative.bottom - cumulative.top + 1));
    EXPECT_EQ(hot, QPoint(own.left - cumulative.left + (own.right - own.left) / 2, 0));
    const QImage image = picture.toImage();
    EXPECT_EQ(qAlpha(image.pixel(0, image.height() - 1)), 0);
    bool anyInk = false;
    for (int y = 0; y < image.height() && !anyInk; ++y)
        for (int x = 0; x < image.width() && !anyInk; ++x)
            anyInk = qAlpha(image.pixel(x, y)) == 255 && qGray(image.pixel(x, y)) < 100;
    EXPECT_TRUE(anyInk);
    // Making the picture leaves the tree's boxes where the canvas shows them.
    RRect again;
    tree().getNodeRect(dog, again);
    EXPECT_EQ(again, own);
}
