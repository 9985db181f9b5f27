// The picture writer's sharper pictures, pictures in memory and pictures of a subtree.
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "render/TreePictureWriter.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>

namespace {

int darkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ++dark;
    return dark;
}

class PictureScaleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { application = TreePictureWriter::applicationIfNeeded(); }
    static void TearDownTestSuite() { application.reset(); }

    void SetUp() override {
        ASSERT_EQ(tree.createTree(true), kNoErr);
        ASSERT_EQ(tree.undoStructure().startTaskList(kLabelNeverUndoable), kNoErr);
        ASSERT_EQ(tree.newRoot(root), kNoErr);
        ASSERT_EQ(tree.setMainString(root, CRString("S", 155)), kNoErr);
        for (const char* label : {"NP", "VP"}) {
            ASSERT_EQ(tree.newDaughterToRight(root, vp), kNoErr);
            ASSERT_EQ(tree.setMainString(vp, CRString(label, 155)), kNoErr);
        }
        int32_t verb = 0;
        ASSERT_EQ(tree.newDaughterToRight(vp, verb), kNoErr);
        ASSERT_EQ(tree.setMainString(verb, CRString("sleeps", 155)), kNoErr);
        ASSERT_EQ(tree.setWhereIsTree(root, kTreeOnWorkArea), kNoErr);
        ASSERT_EQ(tree.setDrawingPref(kHdrThickness, 2, nullptr), kNoErr);
        ASSERT_EQ(tree.undoStructure().finishTaskList(), kNoErr);
    }

    static std::unique_ptr<QGuiApplication> application;
    RecordingPlatformScope platform;
    CTree tree;
    int32_t root = 0;
    int32_t vp = 0;
};

std::unique_ptr<QGuiApplication> PictureScaleTest::application;

} // namespace

TEST_F(PictureScaleTest, ASharperPictureIsTheSameDrawingWithMorePixels) {
    TreePictureWriter writer(tree, false);
    ASSERT_EQ(writer.prepare(), kNoErr);
    QImage one;
    QImage two;
    ASSERT_EQ(writer.renderImage(1.0, one), kNoErr);
    ASSERT_EQ(writer.renderImage(2.0, two), kNoErr);
    EXPECT_EQ(one.size(), QSize(writer.width(), writer.height()));
    EXPECT_EQ(two.size(), one.size() * 2);
    EXPECT_EQ(two.devicePixelRatio(), 2.0);
    // Lines and letters are twice as wide and twice as tall: four times the ink.
    const double ratio = static_cast<double>(darkPixels(two)) / darkPixels(one);
    EXPECT_GT(ratio, 3.0);
    EXPECT_LT(ratio, 5.0);

    // The PNG bytes hold the same image, with a resolution that keeps its printed size.
    QByteArray png;
    ASSERT_EQ(writer.render(TreePictureWriter::Format::Png, 2.0, png), kNoErr);
    const QImage decoded = QImage::fromData(png, "PNG");
    EXPECT_EQ(decoded.size(), two.size());
    EXPECT_NEAR(decoded.dotsPerMeterX(), 2 * one.dotsPerMeterX(), 2);
    // A picture too large to make is refused, not half made.
    QImage huge;
    EXPECT_EQ(writer.renderImage(1000.0, huge), kErrInvalidParameter);
    EXPECT_TRUE(huge.isNull());
}

TEST_F(PictureScaleTest, ASubtreeIsDrawnAloneAndTheDocumentKeepsItsLayout) {
    TreePictureWriter whole(tree, false);
    ASSERT_EQ(whole.prepare(), kNoErr);
    RRect vpBox;
    ASSERT_EQ(tree.getNodeCumulativeRect(vp, vpBox), kNoErr);
    TreePictureWriter part(tree, false);
    part.onlySubtree(vp);
    ASSERT_EQ(part.prepare(), kNoErr);
    EXPECT_EQ(part.width(), vpBox.right - vpBox.left + 1 + 2 * TreePictureWriter::kMargin);
    EXPECT_EQ(part.height(), vpBox.bottom - vpBox.top + 1 + 2 * TreePictureWriter::kMargin);
    QByteArray svg;
    ASSERT_EQ(part.render(TreePictureWriter::Format::Svg, 1.0, svg), kNoErr);
    EXPECT_NE(svg.indexOf(">sleeps<"), -1);
    EXPECT_EQ(svg.indexOf(">NP<"), -1);
    EXPECT_EQ(svg.indexOf(">S<"), -1);
    RRect after;
    ASSERT_EQ(tree.getNodeCumulativeRect(vp, after), kNoErr);
    EXPECT_EQ(after, vpBox);

    // The subtree of the root is the whole tree, drawn the same at every scale.
    TreePictureWriter fromRoot(tree, false);
    fromRoot.onlySubtree(root);
    ASSERT_EQ(fromRoot.prepare(), kNoErr);
    for (double scale : {1.0, 2.0}) {
        QImage a;
        QImage b;
        ASSERT_EQ(whole.renderImage(scale, a), kNoErr);
        ASSERT_EQ(fromRoot.renderImage(scale, b), kNoErr);
        EXPECT_EQ(a, b) << scale;
    }
}
