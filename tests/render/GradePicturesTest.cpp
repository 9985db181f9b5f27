// `grade --pictures`: one PNG per graded document, its offending nodes framed in red.

#include "render/TreePictureWriter.h"

#include "base/ErrorCodes.h"
#include "cli/CliCommand.h"
#include "cli/CliGrade.h"
#include "cli/CliGrammarCommands.h"
#include "drawing/RGeometry.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"

#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kGrammar = "categories: X N V\n"
                             "features: num\n"
                             "script:\n"
                             "define function check\n"
                             " define variable n\n"
                             " for every node n\n"
                             "  if num(n) eq \"pl\" then set-offending-node(n) end if\n"
                             " end for\n"
                             "end define\n"
                             "end script\n";

std::string build(const TempDir& dir, const std::string& name, const std::string& text) {
    const std::string source = dir.file(name + ".rgt");
    std::ofstream(source, std::ios::binary) << text;
    const std::string output = dir.file(name);
    testing::internal::CaptureStderr();
    const int status = buildCommand({source, "-o", output});
    EXPECT_EQ(status, kExitSuccess) << testing::internal::GetCapturedStderr();
    if (status == kExitSuccess)
        testing::internal::GetCapturedStderr();
    return output;
}

struct Graded {
    int status = 0;
    std::string out;
    std::string err;
};

Graded grade(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    testing::internal::CaptureStderr();
    const int status = gradeCommand(arguments, out);
    return {status, out.str(), testing::internal::GetCapturedStderr()};
}

bool isRed(QRgb pixel) {
    return qRed(pixel) > 180 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

// How many red pixels lie within `reach` pixels of the rectangle (picture coordinates).
int redNear(const QImage& image, const RRect& box, int reach) {
    int count = 0;
    for (int y = box.top - reach; y <= box.bottom + reach; ++y)
        for (int x = box.left - reach; x <= box.right + reach; ++x)
            if (image.valid(x, y) && isRed(image.pixel(x, y)))
                ++count;
    return count;
}

int redAnywhere(const QImage& image) {
    return redNear(image, RRect{0, 0, image.height() - 1, image.width() - 1}, 0);
}

class GradePictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() { application = TreePictureWriter::applicationIfNeeded(); }
    static void TearDownTestSuite() { application.reset(); }

    // Where each node of the document's one work-area tree lands in its picture.
    std::vector<RRect> boxesInPicture(const std::string& document,
                                      const std::vector<std::string>& labels) {
        std::unique_ptr<CTree> tree;
        testing::internal::CaptureStderr();
        const bool opened = openDatabase(document, tree);
        testing::internal::GetCapturedStderr();
        std::vector<RRect> boxes;
        if (!opened)
            return boxes;
        TreePictureWriter writer(*tree, false);
        EXPECT_EQ(writer.prepare(), kNoErr);
        int32_t root = 0;
        EXPECT_EQ(tree->getFirstRoot(root), kNoErr);
        while (root != 0) {
            int32_t where = 0;
            EXPECT_EQ(tree->getWhereIsTree(root, where), kNoErr);
            if (where == kTreeOnWorkArea)
                break;
            EXPECT_EQ(tree->getNextRoot(root, root), kNoErr);
        }
        RRect bounds;
        EXPECT_EQ(tree->getNodeCumulativeRect(root, bounds), kNoErr);
        for (const std::string& wanted : labels) {
            for (int32_t node = root; node != 0;) {
                const CRString* label = nullptr;
                EXPECT_EQ(tree->getLabel(node, label), kNoErr);
                if (label && label->str() == wanted) {
                    RRect box;
                    EXPECT_EQ(tree->getNodeRect(node, box), kNoErr);
                    const int32_t dx = TreePictureWriter::kMargin - bounds.left;
                    const int32_t dy = TreePictureWriter::kMargin - bounds.top;
                    boxes.push_back(
                        RRect{box.top + dy, box.left + dx, box.bottom + dy, box.right + dx});
                    break;
                }
                EXPECT_EQ(tree->getNextNode(node, root, node), kNoErr);
            }
        }
        EXPECT_EQ(boxes.size(), labels.size());
        return boxes;
    }

    static std::unique_ptr<QGuiApplication> application;
    RecordingPlatformScope platform;
    TempDir dir;
};

std::unique_ptr<QGuiApplication> GradePictures::application;

} // namespace

TEST_F(GradePictures, EachGradedDocumentGetsAPictureWithItsOffendingNodesFramedInRed) {
    const std::string grammar = build(dir, "plurals.rgr", kGrammar);
    const std::string flagged = build(dir, "flagged.rdc",
                                      "categories: X N V\nfeatures: num\n"
                                      "tree: [VP [NP [N{num=pl} dogs]] [V barks]]\n");
    const std::string fine =
        build(dir, "fine.rdc", "categories: X N V\nfeatures: num\ntree: [VP [N dog] [V barks]]\n");
    const std::string pictures = dir.file("pictures");
    const Graded result = grade({"--grammar", grammar, "--call", "check", "--pictures", pictures,
                                 flagged, fine, dir.file("absent.rdc")});
    EXPECT_EQ(result.status, kExitInputFault); // the absent document
    EXPECT_NE(result.out.find("graded 3 documents: 1 ok, 1 flagged, 1 failed"), std::string::npos);

    // A picture for each graded document, none for the one that could not be opened.
    EXPECT_FALSE(std::filesystem::exists(dir.file("pictures/absent.png")));
    const QImage marked(QString::fromStdString(dir.file("pictures/flagged.png")));
    const QImage plain(QString::fromStdString(dir.file("pictures/fine.png")));
    ASSERT_FALSE(marked.isNull());
    ASSERT_FALSE(plain.isNull());
    EXPECT_EQ(redAnywhere(plain), 0);

    const std::vector<RRect> boxes = boxesInPicture(flagged, {"N", "V", "VP"});
    ASSERT_EQ(boxes.size(), 3u);
    // The frame runs round the N's box, just outside it (its top along the box's top row).
    const RRect& n = boxes[0];
    EXPECT_GT(redNear(marked, n, 4), 0);
    EXPECT_GT(redNear(marked, RRect{n.top - 4, n.left - 4, n.bottom + 4, n.left - 1}, 0), 0);
    EXPECT_GT(redNear(marked, RRect{n.top - 4, n.right + 1, n.bottom + 4, n.right + 4}, 0), 0);
    EXPECT_GT(redNear(marked, RRect{n.top - 4, n.left, n.top, n.right}, 0), 0);
    EXPECT_GT(redNear(marked, RRect{n.bottom + 1, n.left, n.bottom + 4, n.right}, 0), 0);
    // Nothing else is red: not the unmarked nodes, and nothing far from N.
    EXPECT_EQ(redNear(marked, boxes[1], 0), 0);
    EXPECT_EQ(redNear(marked, boxes[2], 0), 0);
    EXPECT_EQ(redAnywhere(marked), redNear(marked, n, 4));
}

TEST_F(GradePictures, AFolderThatCannotBeMadeIsSaidAndEveryDocumentIsStillGraded) {
    const std::string grammar = build(dir, "plurals.rgr", kGrammar);
    const std::string flagged = build(dir, "flagged.rdc",
                                      "categories: X N V\nfeatures: num\n"
                                      "tree: [VP [N{num=pl} dogs] [V barks]]\n");
    const std::string blocker = dir.file("blocker");
    std::ofstream(blocker) << "a file where the folder should go\n";
    const std::string pictures = blocker + "/pictures";
    const Graded result =
        grade({"--grammar", grammar, "--call", "check", "--pictures", pictures, flagged, grammar});
    EXPECT_EQ(result.status, kExitInputFault);
    EXPECT_EQ(result.err,
              "ramex-cli: " + pictures + ": The folder for the pictures cannot be made.\n");
    // Both documents are graded (a grammar file is a stack entry like any other).
    EXPECT_NE(result.out.find(flagged + ": 1 offending: "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(grammar + ": ok"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("graded 2 documents: 1 ok, 1 flagged, 0 failed"), std::string::npos);
}
