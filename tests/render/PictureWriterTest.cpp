// Pictures of a document's trees: PNG at any sharpness, SVG, PDF, a subtree alone, the render
// command, and `grade --pictures` with the offending nodes framed in red.
#include "render/TreePictureWriter.h"

#include "cli/CliCommand.h"
#include "cli/CliGrade.h"
#include "cli/CliGrammarCommands.h"
#include "cli/CliRender.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "storage/CTablet.h"
#include "support/HierarchyTestSupport.h"
#include "support/TestSupport.h"
#include "support/TreeTestSupport.h"
#include "undo/UndoLabels.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <tuple>

namespace {

int darkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return dark;
}

// The smallest rectangle holding every red pixel; all -1 when there is none.
RRect redBounds(const QImage& image) {
    RRect red{-1, -1, -1, -1};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) < 180 || qGreen(p) > 90 || qBlue(p) > 90)
                continue;
            red = red.top < 0 ? RRect{y, x, y, x}
                              : RRect{std::min(red.top, y), std::min(red.left, x),
                                      std::max(red.bottom, y), std::max(red.right, x)};
        }
    return red;
}

std::string textOf(const RRect& r) {
    return std::to_string(r.top) + "," + std::to_string(r.left) + " " + std::to_string(r.bottom) +
           "," + std::to_string(r.right);
}

class PictureWriterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { application = TreePictureWriter::applicationIfNeeded(); }
    static void TearDownTestSuite() { application.reset(); }

    // S over NP and VP (over "sleeps") on the tree area at (200, 300), and a word of the
    // lexicon elsewhere.
    void SetUp() override {
        ASSERT_EQ(tree.createTree(true), kNoErr);
        ASSERT_EQ(inStep(tree, kLabelNeverUndoable, [this] { return buildTrees(); }), kNoErr);
    }
    RErr buildTrees() {
        std::map<std::string, int32_t> nodes;
        int32_t word = 0;
        RErr err = buildTree(tree, "lexiconword", word, nodes);
        err = err ? err : tree.setWhereIsTree(word, kTreeInLexicon);
        err = err ? err : buildTree(tree, "S(NP VP(sleeps))", root, nodes);
        vp = nodes["VP"];
        err = err ? err : tree.setWhereIsTree(root, kTreeOnWorkArea);
        err = err ? err : tree.dataTask(root, kAttrAbsoluteH, 300);
        err = err ? err : tree.dataTask(root, kAttrAbsoluteV, 200);
        return err ? err : tree.setDrawingPref(kHdrThickness, 2, nullptr);
    }

    static std::unique_ptr<QGuiApplication> application;
    RecordingPlatformScope platform;
    CTree tree;
    TempDir dir;
    int32_t root = 0;
    int32_t vp = 0;
};

std::unique_ptr<QGuiApplication> PictureWriterTest::application;

} // namespace

TEST_F(PictureWriterTest, APngHasTheTreesBoxWithWhiteMarginsAndASharperOneMorePixels) {
    TreePictureWriter writer(tree, false);
    ASSERT_EQ(writer.prepare(), kNoErr);
    RRect bounds;
    ASSERT_EQ(tree.getNodeCumulativeRect(root, bounds), kNoErr);
    EXPECT_EQ(writer.width(), bounds.right - bounds.left + 1 + 2 * TreePictureWriter::kMargin);
    EXPECT_EQ(writer.height(), bounds.bottom - bounds.top + 1 + 2 * TreePictureWriter::kMargin);
    const std::string path = dir.file("tree.png");
    ASSERT_EQ(writer.write(path, TreePictureWriter::Format::Png), kNoErr);
    EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
    const QImage one(QString::fromStdString(path));
    EXPECT_EQ(one.size(), QSize(writer.width(), writer.height()));
    // Three rows of labels, and not the lexicon word, which is not drawn.
    EXPECT_GT(one.height(), 2 * TreePictureWriter::kMargin + 40);
    EXPECT_LT(one.height(), 2 * TreePictureWriter::kMargin + 120);
    EXPECT_GT(darkPixels(one), 30);
    // The margins stay white: everything drawn lies inside them.
    QImage inside = one.copy(TreePictureWriter::kMargin, TreePictureWriter::kMargin,
                             one.width() - 2 * TreePictureWriter::kMargin,
                             one.height() - 2 * TreePictureWriter::kMargin);
    EXPECT_EQ(darkPixels(inside), darkPixels(one));

    // Sharper: lines and letters twice as wide and tall, four times the ink; the PNG bytes
    // hold a resolution that keeps the printed size.
    QImage two;
    ASSERT_EQ(writer.renderImage(2.0, two), kNoErr);
    EXPECT_EQ(two.size(), one.size() * 2);
    EXPECT_EQ(two.devicePixelRatio(), 2.0);
    const double ratio = static_cast<double>(darkPixels(two)) / darkPixels(one);
    EXPECT_GT(ratio, 3.0);
    EXPECT_LT(ratio, 5.0);
    QByteArray png;
    ASSERT_EQ(writer.render(TreePictureWriter::Format::Png, 2.0, png), kNoErr);
    const QImage decoded = QImage::fromData(png, "PNG");
    EXPECT_EQ(decoded.size(), two.size());
    EXPECT_NEAR(decoded.dotsPerMeterX(), 2 * one.dotsPerMeterX(), 2);
    EXPECT_NEAR(one.dotsPerMeterX(), TreePictureWriter::kPixelsPerInch / 0.0254, 1);
    // A picture too large to make is refused, not half made.
    QImage huge;
    EXPECT_EQ(writer.renderImage(1000.0, huge), kErrInvalidParameter);
    EXPECT_TRUE(huge.isNull());
}

TEST_F(PictureWriterTest, EachPictureHoldsItsTreesAloneAndTheDocumentKeepsItsLayout) {
    TreePictureWriter whole(tree, false);
    ASSERT_EQ(whole.prepare(), kNoErr);
    RRect vpBox;
    ASSERT_EQ(tree.getNodeCumulativeRect(vp, vpBox), kNoErr);
    // The tree area's trees, every tree (the lexicon's too), a subtree alone: the labels drawn
    // and, after "!", those left out.
    const std::tuple<bool, int32_t, std::vector<std::string>> cases[] = {
        {false, 0, {">S<", ">NP<", ">VP<", ">sleeps<", "!lexiconword"}},
        {true, 0, {">S<", ">lexiconword<"}},
        {false, vp, {">VP<", ">sleeps<", "!>NP<", "!>S<"}}};
    std::vector<QSize> sizes;
    for (const auto& [allTrees, subtree, labels] : cases) {
        TreePictureWriter writer(tree, allTrees);
        if (subtree)
            writer.onlySubtree(subtree);
        ASSERT_EQ(writer.prepare(), kNoErr);
        ASSERT_EQ(writer.write(dir.file("tree.svg"), TreePictureWriter::Format::Svg), kNoErr);
        const std::string svg = readTextFile(dir.file("tree.svg"));
        for (const std::string& label : labels)
            EXPECT_EQ(svg.find(label.substr(label[0] == '!')) == std::string::npos, label[0] == '!')
                << label;
        sizes.emplace_back(writer.width(), writer.height());
    }
    EXPECT_GT(sizes[1].height(), sizes[0].height());
    EXPECT_EQ(sizes[2], QSize(vpBox.right - vpBox.left + 1 + 2 * TreePictureWriter::kMargin,
                              vpBox.bottom - vpBox.top + 1 + 2 * TreePictureWriter::kMargin));
    RRect after;
    ASSERT_EQ(tree.getNodeCumulativeRect(vp, after), kNoErr);
    EXPECT_EQ(after, vpBox);
    EXPECT_EQ(tree.tablet().cell(root, kAttrAbsoluteH), 300);

    ASSERT_EQ(whole.write(dir.file("tree.pdf"), TreePictureWriter::Format::Pdf), kNoErr);
    EXPECT_EQ(readTextFile(dir.file("tree.pdf")).rfind("%PDF", 0), 0u);
    const std::string nowhere = dir.file("missing/tree.png");
    EXPECT_NE(whole.write(nowhere, TreePictureWriter::Format::Png), kNoErr);
    EXPECT_FALSE(std::filesystem::exists(nowhere));

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

TEST_F(PictureWriterTest, TheCommandWritesThePictureOrRefusesAnUnknownFormat) {
    ASSERT_TRUE(writeDatabase(tree, dir.file("doc.rdc")));
    testing::internal::CaptureStderr();
    EXPECT_EQ(runRender({dir.file("doc.rdc"), "-o", dir.file("doc.png")}), kExitSuccess);
    EXPECT_EQ(runRender({dir.file("doc.rdc"), "-o", dir.file("doc.gif")}), kExitUsage);
    EXPECT_EQ(runRender({dir.file("doc.rdc")}), kExitUsage);
    EXPECT_EQ(runRender({dir.file("none.rdc"), "-o", dir.file("none.png")}), kExitInputFault);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(QImage(QString::fromStdString(dir.file("doc.png"))).isNull());
    EXPECT_EQ(dir.names().size(), 2u); // the document and its PNG
}

TEST_F(PictureWriterTest, GradedDocumentsGetPicturesWithTheirOffendingNodesFramedInRed) {
    const auto build = [this](const std::string& name, const std::string& text) {
        writeTextFile(dir.file(name + ".rgt"), text);
        testing::internal::CaptureStderr();
        const int status = buildCommand({dir.file(name + ".rgt"), "-o", dir.file(name)});
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, kExitSuccess) << errors;
        return dir.file(name);
    };
    const auto grade = [](const std::vector<std::string>& arguments) {
        std::ostringstream out;
        testing::internal::CaptureStderr();
        const int status = gradeCommand(arguments, out);
        return std::to_string(status) + " " + out.str() + testing::internal::GetCapturedStderr();
    };
    const std::string grammar =
        build("plurals.rgr", "categories: X N V\nfeatures: num\nscript:\ndefine function check\n"
                             " define variable n\n for every node n\n"
                             "  if num(n) eq \"pl\" then set-offending-node(n) end if\n"
                             " end for\nend define\nend script\n");
    const std::string flagged = build("flagged.rdc", "categories: X N V\nfeatures: num\n"
                                                     "tree: [VP [N{num=pl} dogs] [V barks]]\n");
    const std::string fine =
        build("fine.rdc", "categories: X N V\nfeatures: num\ntree: [VP [N dog] [V barks]]\n");
    const std::string result = grade({"--grammar", grammar, "--call", "check", "--pictures",
                                      dir.file("pictures"), flagged, fine, dir.file("absent.rdc")});
    // The absent document fails; a picture for each graded one.
    EXPECT_EQ(result.substr(0, 2), std::to_string(kExitInputFault) + " ");
    EXPECT_NE(result.find("graded 3 documents: 1 ok, 1 flagged, 1 failed"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("pictures/absent.png")));
    EXPECT_EQ(textOf(redBounds(QImage(QString::fromStdString(dir.file("pictures/fine.png"))))),
              "-1,-1 -1,-1");

    // The frame runs round the N's box just outside it, and nothing else is red.
    std::unique_ptr<CTree> document;
    ASSERT_TRUE(openDatabase(flagged, document));
    TreePictureWriter writer(*document, false);
    ASSERT_EQ(writer.prepare(), kNoErr);
    int32_t top = 0;
    int32_t n = 0;
    RRect bounds;
    RRect box;
    ASSERT_EQ(document->getFirstRoot(top), kNoErr);
    ASSERT_EQ(document->getLeftmostDaughter(top, n), kNoErr);
    ASSERT_EQ(document->getNodeCumulativeRect(top, bounds), kNoErr);
    ASSERT_EQ(document->getNodeRect(n, box), kNoErr);
    const int32_t dx = TreePictureWriter::kMargin - bounds.left;
    const int32_t dy = TreePictureWriter::kMargin - bounds.top;
    const RRect red = redBounds(QImage(QString::fromStdString(dir.file("pictures/flagged.png"))));
    const int32_t gaps[] = {box.top + dy - red.top, box.left + dx - red.left,
                            red.bottom - box.bottom - dy, red.right - box.right - dx};
    for (int32_t side = 0; side < 4; ++side) {
        EXPECT_GE(gaps[side], side == 0 ? 0 : 1) << side; // the top along the box's top row
        EXPECT_LE(gaps[side], 4) << side;
    }
    EXPECT_EQ(gaps[1], gaps[3]); // centred on the box, as the label is

    // A folder that cannot be made is said, and every document is still graded (a grammar
    // file is a stack entry like any other).
    writeTextFile(dir.file("blocker"), "a file where the folder should go\n");
    const std::string pictures = dir.file("blocker") + "/pictures";
    const std::string blocked =
        grade({"--grammar", grammar, "--call", "check", "--pictures", pictures, flagged, grammar});
    EXPECT_NE(blocked.find(flagged + ": 1 offending: "), std::string::npos) << blocked;
    EXPECT_NE(blocked.find(grammar + ": ok"), std::string::npos) << blocked;
    EXPECT_NE(blocked.find("graded 2 documents: 1 ok, 1 flagged, 0 failed\nramex-cli: " + pictures +
                           ": The folder for the pictures cannot be made.\n"),
              std::string::npos)
        << blocked;
    EXPECT_EQ(blocked.substr(0, 2), std::to_string(kExitInputFault) + " ");
}
