#include "render/TreePictureWriter.h"
#include "cli/CliCommand.h"
#include "cli/CliRender.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"
#include "support/TestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

class RenderFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { application = TreePictureWriter::applicationIfNeeded(); }
    static void TearDownTestSuite() { application.reset(); }

    void SetUp() override {
        ASSERT_EQ(tree.createTree(true), kNoErr);
        ASSERT_EQ(tree.undoStructure().startTaskList(kLabelNeverUndoable), kNoErr);
        // S over NP and VP on the tree area, and a word of the lexicon elsewhere.
        int32_t root = 0;
        ASSERT_EQ(tree.newRoot(root), kNoErr);
        ASSERT_EQ(tree.setMainString(root, CRString("S", 155)), kNoErr);
        for (const char* label : {"NP", "VP"}) {
            int32_t daughter = 0;
            ASSERT_EQ(tree.newDaughterToRight(root, daughter), kNoErr);
            ASSERT_EQ(tree.setMainString(daughter, CRString(label, 155)), kNoErr);
        }
        ASSERT_EQ(tree.setWhereIsTree(root, kTreeOnWorkArea), kNoErr);
        ASSERT_EQ(tree.dataTask(root, kAttrAbsoluteH, 300), kNoErr);
        ASSERT_EQ(tree.dataTask(root, kAttrAbsoluteV, 200), kNoErr);
        int32_t word = 0;
        ASSERT_EQ(tree.newRoot(word), kNoErr);
        ASSERT_EQ(tree.setMainString(word, CRString("lexiconword", 155)), kNoErr);
        ASSERT_EQ(tree.setWhereIsTree(word, kTreeInLexicon), kNoErr);
        ASSERT_EQ(tree.undoStructure().finishTaskList(), kNoErr);
    }

    static std::unique_ptr<QGuiApplication> application;
    RecordingPlatformScope platform;
    CTree tree;
    TempDir dir;
};

std::unique_ptr<QGuiApplication> RenderFixture::application;

} // namespace

TEST_F(RenderFixture, PngHasTheTreesBoxWithMarginsAndIsNotBlank) {
    TreePictureWriter writer(tree, false);
    ASSERT_EQ(writer.prepare(), kNoErr);
    const std::string path = dir.file("tree.png");
    ASSERT_EQ(writer.write(path, TreePictureWriter::Format::Png), kNoErr);
    QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), writer.width());
    EXPECT_EQ(image.height(), writer.height());
    // Two rows of labels: taller than two font heights, and well under the lexicon word's
    // width plus the tree's, which is not drawn.
    EXPECT_GT(image.height(), 2 * TreePictureWriter::kMargin + 40);
    EXPECT_LT(image.height(), 2 * TreePictureWriter::kMargin + 120);
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ++dark;
    EXPECT_GT(dark, 30);
    // The margins stay white.
    for (int x = 0; x < image.width(); ++x) {
        EXPECT_EQ(image.pixel(x, 0), qRgb(255, 255, 255));
        EXPECT_EQ(image.pixel(x, image.height() - 1), qRgb(255, 255, 255));
    }
    EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
}

TEST_F(RenderFixture, SvgHoldsEveryLabelAndAllTreesAddsTheOthers) {
    TreePictureWriter writer(tree, false);
    ASSERT_EQ(writer.prepare(), kNoErr);
    ASSERT_EQ(writer.write(dir.file("tree.svg"), TreePictureWriter::Format::Svg), kNoErr);
    const std::string svg = readTextFile(dir.file("tree.svg"));
    for (const char* label : {">S<", ">NP<", ">VP<"})
        EXPECT_NE(svg.find(label), std::string::npos) << label;
    EXPECT_EQ(svg.find("lexiconword"), std::string::npos);

    TreePictureWriter all(tree, true);
    ASSERT_EQ(all.prepare(), kNoErr);
    ASSERT_EQ(all.write(dir.file("all.svg"), TreePictureWriter::Format::Svg), kNoErr);
    EXPECT_NE(readTextFile(dir.file("all.svg")).find(">lexiconword<"), std::string::npos);
    EXPECT_GT(all.height(), writer.height());
    // The document keeps its trees' places.
    EXPECT_EQ(tree.tablet().cell(7, kAttrAbsoluteH), 300);
}

TEST_F(RenderFixture, PdfIsWrittenAndAnUnwritablePlaceLeavesNothing) {
    TreePictureWriter writer(tree, false);
    ASSERT_EQ(writer.prepare(), kNoErr);
    ASSERT_EQ(writer.write(dir.file("tree.pdf"), TreePictureWriter::Format::Pdf), kNoErr);
    EXPECT_EQ(readTextFile(dir.file("tree.pdf")).rfind("%PDF", 0), 0u);

    const std::string nowhere = dir.file("missing/tree.png");
    EXPECT_NE(writer.write(nowhere, TreePictureWriter::Format::Png), kNoErr);
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

TEST_F(RenderFixture, CommandWritesThePictureOrRefusesAnUnknownFormat) {
    ASSERT_TRUE(writeDatabase(tree, dir.file("doc.rdc")));
    testing::internal::CaptureStderr();
    EXPECT_EQ(runRender({dir.file("doc.rdc"), "-o", dir.file("doc.png")}), kExitSuccess);
    EXPECT_EQ(runRender({dir.file("doc.rdc"), "-o", dir.file("doc.gif")}), kExitUsage);
    EXPECT_EQ(runRender({dir.file("doc.rdc")}), kExitUsage);
    EXPECT_EQ(runRender({dir.file("none.rdc"), "-o", dir.file("none.png")}), kExitInputFault);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(QImage(QString::fromStdString(dir.file("doc.png"))).isNull());
    EXPECT_FALSE(std::filesystem::exists(dir.file("doc.gif")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.png")));
}
