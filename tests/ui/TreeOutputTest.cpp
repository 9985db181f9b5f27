// Taking the student's trees out: qtree text, pictures on the clipboard, the printer and
// picture files.
#include "StudentTreesSupport.h"

#include "app/CommandIds.h"
#include "cli/CliRender.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "ui/CRamexWindow.h"
#include "ui/CTreeCanvas.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>

#include <filesystem>
#include <regex>

namespace {

// A word of a PDF as poppler finds it, in points from the page's top left.
struct RPdfWord {
    int page = 0;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    std::string text;
};

std::vector<RPdfWord> pdfWords(const std::string& path) {
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"),
                 {QStringLiteral("-bbox"), QString::fromStdString(path), QStringLiteral("-")});
    EXPECT_TRUE(reader.waitForFinished(30000)) << "pdftotext (poppler-utils) is needed";
    const std::string html = reader.readAllStandardOutput().toStdString();
    std::vector<RPdfWord> words;
    const std::regex pattern(
        R"re(<page |<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="[0-9.]+">([^<]*)</word>)re");
    int page = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        const std::smatch& match = *it;
        if (match.str(0) == "<page ") {
            ++page;
            continue;
        }
        words.push_back(RPdfWord{page, std::stod(match.str(1)), std::stod(match.str(2)),
                                 std::stod(match.str(3)), match.str(4)});
    }
    return words;
}

const RPdfWord* findWord(const std::vector<RPdfWord>& words, const std::string& text) {
    for (const RPdfWord& word : words)
        if (word.text == text)
            return &word;
    return nullptr;
}

class TreeOutputTest : public StudentTreesTest {
protected:
    void SetUp() override { openWith(kTestGrammarText); }

    // Selects the node and runs Export qtree specification: the clipboard's text.
    std::string exportQTree(int32_t node) {
        canvas().selectNode(node);
        window().updateMenus();
        EXPECT_TRUE(window().action(kCommandExportQTree)->isEnabled() || node == 0);
        platform.recorder.clear();
        window().OnExportQTree();
        const std::string copied = QGuiApplication::clipboard()->text().toStdString();
        EXPECT_EQ(messageTexts(),
                  (std::vector<std::string>{
                      "The following string has been copied to the clipboard:\n\n" + copied}));
        return copied;
    }
    int32_t selectedMark(int32_t node) {
        int32_t value = 0;
        tree().getValue(node, kAttrSelected, value);
        return value;
    }
    // Where the printable area of a page starts, in points, as the window's printer has it.
    QPointF printableOrigin() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        return printer.pageLayout().paintRect(QPageLayout::Point).topLeft();
    }
    QSizeF printableSize() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        return printer.pageLayout().paintRect(QPageLayout::Point).size();
    }
};

} // namespace

TEST_F(TreeOutputTest, QTreeTextsOfTheEdgeCasesGoToTheClipboard) {
    const int32_t leaf = addTree("dog", 20, 100);
    EXPECT_EQ(exportQTree(leaf), "\\Tree dog ");

    const int32_t np = addTree("[NP [N dog]]", 20, 300);
    ASSERT_EQ(tree().undoStructure().startTaskList(kLabelChangeAttribute), kNoErr);
    const CRString i("i", 97);
    ASSERT_EQ(tree().setSubscript(np, &i), kNoErr);
    ASSERT_EQ(tree().undoStructure().finishTaskList(), kNoErr);
    EXPECT_EQ(exportQTree(np), "\\Tree [.NP_i [.N dog ] ] ");
    EXPECT_EQ(exportQTree(findNode(np, "dog")), "\\Tree dog ");

    // A roof hides what is below it; its string is the words with a blank before each.
    const int32_t s = addTree("[S [VP a [X b c]] [$x_1 y]]", 150, 250);
    const int32_t vp = findNode(s, "VP");
    ASSERT_EQ(tree().undoStructure().startTaskList(kLabelTriangle), kNoErr);
    ASSERT_EQ(tree().setTriangleValue(vp, 1), kNoErr);
    ASSERT_EQ(tree().undoStructure().finishTaskList(), kNoErr);
    EXPECT_EQ(exportQTree(vp), "\\Tree \\qroof{ a b c}.VP ");
    // Labels are copied as they stand; an inner node exports only its own subtree.
    EXPECT_EQ(exportQTree(s), "\\Tree [.S \\qroof{ a b c}.VP [.$x_1 y ] ] ");
    EXPECT_EQ(exportQTree(findNode(s, "$x_1")), "\\Tree [.$x_1 y ] ");

    // Without a selection (the item is disabled then) the text is the prefix alone.
    canvas().selectNode(0);
    platform.recorder.clear();
    window().OnExportQTree();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "\\Tree ");
    EXPECT_TRUE(bugTexts().empty());
}

TEST_F(TreeOutputTest, CopyPutsTheSameSvgAndPngOnTheClipboardAsTheCommandLineRenders) {
    const int32_t root = addTree("[S [NP the dog] [VP barks]]", 60, 250);
    // Saved while selected: the file does not keep the highlight.
    canvas().selectNode(root);
    const std::string saved = dir.file("copied.rdc");
    platform.recorder.fileAnswers.push_back(saved);
    window().OnSave();
    ASSERT_TRUE(std::filesystem::exists(saved));
    const std::string rendered = dir.file("rendered.png");
    ASSERT_EQ(runRender({saved, "-o", rendered}), 0);
    ASSERT_EQ(runRender({saved, "-o", dir.file("rendered.svg")}), 0);

    EXPECT_EQ(canvas().getSelectedNode(), root);
    window().updateMenus();
    ASSERT_TRUE(window().action(kCommandCopy)->isEnabled());
    QGuiApplication::clipboard()->clear();
    window().action(kCommandCopy)->trigger();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat("image/svg+xml"));
    ASSERT_TRUE(data->hasFormat("image/png"));
    QImage copied = QImage::fromData(data->data("image/png"), "PNG");
    QImage expected(QString::fromStdString(rendered));
    ASSERT_FALSE(copied.isNull());
    ASSERT_FALSE(expected.isNull());
    EXPECT_EQ(copied.convertToFormat(QImage::Format_ARGB32),
              expected.convertToFormat(QImage::Format_ARGB32));
    const std::string svg = data->data("image/svg+xml").toStdString();
    for (const char* label : {">S<", ">NP<", ">the<", ">barks<"})
        EXPECT_NE(svg.find(label), std::string::npos) << label;
    EXPECT_EQ(svg, readTextFile(dir.file("rendered.svg")));
    // The highlight is not in the picture, and is back on the canvas.
    EXPECT_EQ(selectedMark(root), 1);

    // An inner node gives only its own subtree.
    canvas().selectNode(findNode(root, "VP"));
    window().OnCopy();
    const std::string part =
        QGuiApplication::clipboard()->mimeData()->data("image/svg+xml").toStdString();
    EXPECT_NE(part.find(">barks<"), std::string::npos);
    EXPECT_EQ(part.find(">dog<"), std::string::npos);

    // Without a selection nothing replaces what the clipboard holds.
    canvas().selectNode(0);
    QGuiApplication::clipboard()->setText("kept");
    window().OnCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    EXPECT_EQ(bugTexts(), (std::vector<std::string>{"CRamexWindow::OnCopy (general error)"}));
}

TEST_F(TreeOutputTest, PrintPlacesTreesAHundredthOfAnInchToAUnitOnAsManyPagesAsTheyNeed) {
    const int32_t root = addTree("[Sroot [NP the dog] [VP barks]]", 200, 300);
    canvas().selectNode(root);
    const std::string pdf = dir.file("printed.pdf");
    platform.recorder.printAnswers.push_back(pdf);
    window().action(kCommandPrint)->trigger();
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(platform.recorder.callsOfKind(RecordingPlatform::Kind::ChoosePrinter).at(0).text,
              "Ramex document");
    std::vector<RPdfWord> words = pdfWords(pdf);
    const QPointF origin = printableOrigin();
    const RPdfWord* label = findWord(words, "Sroot");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->page, 1);
    // The root's label is centred 3 inches from the left; its line starts 2 inches down.
    EXPECT_NEAR((label->xMin + label->xMax) / 2, origin.x() + 3 * 72, 2.0);
    EXPECT_NEAR(label->yMin, origin.y() + 2 * 72, 6.0);
    const RPdfWord* barks = findWord(words, "barks");
    ASSERT_NE(barks, nullptr);
    EXPECT_GT(barks->yMin, label->yMin + 30);
    // The highlight is back on the canvas.
    EXPECT_EQ(selectedMark(root), 1);

    // A tree 15 inches to the right is printed on the page of the grid that holds it, at the
    // same scale.
    const QSizeF page = printableSize();
    const int32_t pageUnits = static_cast<int32_t>(page.width() * 100 / 72);
    addTree("Far", 100, 1500);
    const std::string wide = dir.file("wide.pdf");
    platform.recorder.printAnswers.push_back(wide);
    window().OnPrint();
    words = pdfWords(wide);
    const RPdfWord* far = findWord(words, "Far");
    ASSERT_NE(far, nullptr);
    const int32_t column = 1500 / pageUnits;
    ASSERT_GT(column, 0);
    // The empty pages between the two trees are left out.
    EXPECT_EQ(far->page, 2);
    EXPECT_NEAR((far->xMin + far->xMax) / 2, origin.x() + (1500 - column * pageUnits) * 0.72, 3.0);
    EXPECT_EQ(findWord(words, "Sroot")->page, 1);
    EXPECT_TRUE(bugTexts().empty());
}

TEST_F(TreeOutputTest, ACancelledOrFailingPrintLeavesTheDocumentAsItWas) {
    const int32_t root = addTree("[S [NP the dog] [VP barks]]", 200, 300);
    canvas().selectNode(root);
    const DatabaseState before = documentState();
    const std::size_t steps = undoSteps();
    window().OnPrint(); // no answer queued: the dialog is cancelled
    EXPECT_EQ(platform.recorder.callsOfKind(RecordingPlatform::Kind::ChoosePrinter).size(), 1u);
    EXPECT_EQ(selectedMark(root), 1);
    EXPECT_TRUE(messageTexts().empty());

    const std::string nowhere = dir.file("no-such-folder/printed.pdf");
    platform.recorder.printAnswers.push_back(nowhere);
    window().OnPrint();
    EXPECT_FALSE(std::filesystem::exists(nowhere));
    EXPECT_EQ(messageTexts(),
              (std::vector<std::string>{"The trees could not be printed: the printer did not "
                                        "accept the document. Check the printer and try again."}));
    EXPECT_EQ(selectedMark(root), 1);
    EXPECT_TRUE(sameStateAllowingGrowth(before, documentState()));
    EXPECT_EQ(undoSteps(), steps);
    EXPECT_TRUE(bugTexts().empty());
    // The canvas still draws the trees where they were.
    EXPECT_EQ(findNode(root, "NP") != 0, true);
    EXPECT_EQ(layoutOf(root).size(), 6u);
}

TEST_F(TreeOutputTest, ExportPictureWritesEachTypeAndScale) {
    const int32_t root = addTree("[S [NP the dog] [VP barks]]", 60, 250);
    addTree("[Other tree]", 60, 600);
    const auto exportAs = [&](const std::string& typed, const std::string& filter) {
        platform.recorder.fileAnswers.push_back(typed);
        platform.recorder.filterAnswers.push_back(filter);
        window().action(kCommandExportPicture)->trigger();
    };
    exportAs(dir.file("one"), "PNG picture, 1x (*.png)");
    exportAs(dir.file("two.png"), "PNG picture, 2x (*.png)");
    exportAs(dir.file("four.PNG"), "PNG picture, 4x (*.png)");
    exportAs(dir.file("trees"), "SVG picture (*.svg)");
    exportAs(dir.file("handout.pdf"), "PNG picture, 2x (*.png)");
    const QImage one(QString::fromStdString(dir.file("one.png")));
    const QImage two(QString::fromStdString(dir.file("two.png")));
    const QImage four(QString::fromStdString(dir.file("four.PNG")));
    ASSERT_FALSE(one.isNull());
    ASSERT_FALSE(two.isNull());
    ASSERT_FALSE(four.isNull());
    EXPECT_EQ(two.size(), one.size() * 2);
    EXPECT_EQ(four.size(), one.size() * 4);
    // Sharper, not bigger: a 2x picture prints at the size of a 1x one.
    EXPECT_NEAR(two.dotsPerMeterX(), 2 * one.dotsPerMeterX(), 2);
    const std::string svg = readTextFile(dir.file("trees.svg"));
    for (const char* label : {">S<", ">barks<", ">Other<"})
        EXPECT_NE(svg.find(label), std::string::npos) << label;
    EXPECT_EQ(readTextFile(dir.file("handout.pdf")).rfind("%PDF", 0), 0u);

    // With a node selected only its subtree is drawn, without the highlight.
    canvas().selectNode(findNode(root, "VP"));
    exportAs(dir.file("part.svg"), "");
    const std::string part = readTextFile(dir.file("part.svg"));
    EXPECT_NE(part.find(">barks<"), std::string::npos);
    EXPECT_EQ(part.find(">Other<"), std::string::npos);
    EXPECT_EQ(selectedMark(findNode(root, "VP")), 1);

    // An existing file is replaced only when the person says so.
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    exportAs(dir.file("one.png"), "PNG picture, 4x (*.png)");
    EXPECT_EQ(QImage(QString::fromStdString(dir.file("one.png"))).size(), one.size());
    EXPECT_TRUE(bugTexts().empty());
}

TEST_F(TreeOutputTest, AnExportThatCannotBeWrittenNamesTheFileAndLeavesNothing) {
    addTree("[S [NP the dog] [VP barks]]", 60, 250);
    const DatabaseState before = documentState();
    const std::string nowhere = dir.file("no-such-folder/tree.png");
    platform.recorder.fileAnswers.push_back(nowhere);
    window().OnExportPicture();
    EXPECT_EQ(messageTexts(),
              (std::vector<std::string>{"The picture could not be saved as \"" + nowhere +
                                        "\". Check that the folder exists and that you may "
                                        "write in it."}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("no-such-folder")));
    EXPECT_TRUE(sameStateAllowingGrowth(before, documentState()));

    // A cancelled dialog writes nothing and says nothing.
    platform.recorder.clear();
    window().OnExportPicture();
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_TRUE(bugTexts().empty());
}
