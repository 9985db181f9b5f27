// Taking the student's trees out: qtree text, pictures on the clipboard, the printer and
// picture files.
#include "UiTestSupport.h"

#include "cli/CliRender.h"
#include "undo/UndoLabels.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>

#include <filesystem>
#include <map>
#include <regex>

namespace {

// Each word of a PDF as poppler finds it: its page, and its left edge, top and right edge in
// points from the page's top left.
struct RPdfWord {
    double page = 0;
    double left = 0;
    double top = 0;
    double right = 0;
};

std::map<std::string, RPdfWord> pdfWords(const std::string& path) {
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"),
                 {QStringLiteral("-bbox"), QString::fromStdString(path), QStringLiteral("-")});
    EXPECT_TRUE(reader.waitForFinished(30000)) << "pdftotext (poppler-utils) is needed";
    const std::string html = reader.readAllStandardOutput().toStdString();
    std::map<std::string, RPdfWord> words;
    const std::regex pattern(
        R"re(<page |<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="[0-9.]+">([^<]*)</word>)re");
    int page = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), pattern);
         it != std::sregex_iterator(); ++it)
        if (it->str(0) == "<page ")
            ++page;
        else
            words[it->str(4)] = {double(page), std::stod(it->str(1)), std::stod(it->str(2)),
                                 std::stod(it->str(3))};
    return words;
}

class TreeOutputTest : public CanvasTest {
protected:
    void SetUp() override { openWith(kTestGrammarText); }

    // Selects the node and runs Export qtree specification: the clipboard's text.
    std::string exportQTree(int32_t node) {
        canvas().selectNode(node);
        window().updateMenus();
        EXPECT_TRUE(window().action(kCommandExportQTree)->isEnabled());
        platform.recorder.clear();
        window().OnExportQTree();
        const std::string copied = QGuiApplication::clipboard()->text().toStdString();
        EXPECT_EQ(takeCalls(),
                  "msg: The following string has been copied to the clipboard:\n\n" + copied);
        return copied;
    }
    void setInStep(int32_t label, const std::function<RErr()>& change) {
        ASSERT_EQ(inStep(tree(), label, change), kNoErr);
    }
    // The printable area of a page, in points, as the window's printer has it.
    QRectF printable() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        return printer.pageLayout().paintRect(QPageLayout::Point);
    }
    void exportAs(const std::string& typed, const std::string& filter) {
        platform.recorder.fileAnswers.push_back(typed);
        platform.recorder.filterAnswers.push_back(filter);
        window().action(kCommandExportPicture)->trigger();
    }
};

} // namespace

TEST_F(TreeOutputTest, QTreeTextsOfTheEdgeCasesGoToTheClipboard) {
    EXPECT_EQ(exportQTree(addTree("dog", 20, 100)), "\\Tree dog ");
    const int32_t np = addTree("NP(N(dog))", 20, 300);
    const CRString i("i", 97);
    setInStep(kLabelChangeAttribute, [&] { return tree().setSubscript(np, &i); });
    EXPECT_EQ(exportQTree(np), "\\Tree [.NP_i [.N dog ] ] ");
    EXPECT_EQ(exportQTree(findNode(np, "dog")), "\\Tree dog ");

    // A roof hides what is below it; its string is the words with a blank before each.
    const int32_t s = addTree("S(VP(a X(b c)) $x_1(y))", 150, 250);
    setInStep(kLabelTriangle, [&] { return tree().setTriangleValue(findNode(s, "VP"), 1); });
    EXPECT_EQ(exportQTree(findNode(s, "VP")), "\\Tree \\qroof{ a b c}.VP ");
    // Labels are copied as they stand; an inner node exports only its own subtree.
    EXPECT_EQ(exportQTree(s), "\\Tree [.S \\qroof{ a b c}.VP [.$x_1 y ] ] ");
    EXPECT_EQ(exportQTree(findNode(s, "$x_1")), "\\Tree [.$x_1 y ] ");

    // Without a selection (the item is disabled then) the text is the prefix alone.
    canvas().selectNode(0);
    platform.recorder.clear();
    window().OnExportQTree();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "\\Tree ");
}

TEST_F(TreeOutputTest, CopyPutsTheSameSvgAndPngOnTheClipboardAsTheCommandLineRenders) {
    const int32_t root = addTree("S(NP(the dog) VP(barks))", 60, 250);
    // Saved while selected: the file does not keep the highlight.
    canvas().selectNode(root);
    const std::string saved = dir.file("copied.rdc");
    platform.recorder.fileAnswers.push_back(saved);
    window().OnSave();
    ASSERT_EQ(runRender({saved, "-o", dir.file("rendered.png")}), 0);
    ASSERT_EQ(runRender({saved, "-o", dir.file("rendered.svg")}), 0);

    window().updateMenus();
    ASSERT_TRUE(window().action(kCommandCopy)->isEnabled());
    QGuiApplication::clipboard()->clear();
    window().action(kCommandCopy)->trigger();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    const QImage copied = QImage::fromData(data->data("image/png"), "PNG");
    const QImage expected(QString::fromStdString(dir.file("rendered.png")));
    ASSERT_FALSE(expected.isNull());
    EXPECT_EQ(copied.convertToFormat(QImage::Format_ARGB32),
              expected.convertToFormat(QImage::Format_ARGB32));
    const std::string svg = data->data("image/svg+xml").toStdString();
    EXPECT_NE(svg.find(">barks<"), std::string::npos);
    EXPECT_EQ(svg, readTextFile(dir.file("rendered.svg")));
    // The highlight is not in the picture, and is back on the canvas.
    EXPECT_EQ(cellOf(root, kAttrSelected), 1);

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
    platform.recorder.clear();
    window().OnCopy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    EXPECT_EQ(takeCalls(), "bug: CRamexWindow::OnCopy (general error)");
}

TEST_F(TreeOutputTest, PrintPlacesTreesAHundredthOfAnInchToAUnitOnTheirPagesOrChangesNothing) {
    const int32_t root = addTree("Sroot(NP(the dog) VP(barks))", 200, 300);
    canvas().selectNode(root);
    const std::string pdf = dir.file("printed.pdf");
    platform.recorder.printAnswers.push_back(pdf);
    window().action(kCommandPrint)->trigger();
    EXPECT_EQ(takeCalls(), "print: Ramex document");
    std::map<std::string, RPdfWord> words = pdfWords(pdf);
    const QPointF origin = printable().topLeft();
    const RPdfWord label = words["Sroot"];
    EXPECT_EQ(label.page, 1);
    // The root's label is centred 3 inches from the left; its line starts 2 inches down.
    EXPECT_NEAR((label.left + label.right) / 2, origin.x() + 3 * 72, 2.0);
    EXPECT_NEAR(label.top, origin.y() + 2 * 72, 6.0);
    EXPECT_GT(words["barks"].top, label.top + 30);
    EXPECT_EQ(cellOf(root, kAttrSelected), 1);

    // A tree 15 inches to the right is printed on the page of the grid that holds it, at the
    // same scale; the empty pages between the two trees are left out.
    const int32_t pageUnits = static_cast<int32_t>(printable().width() * 100 / 72);
    const int32_t column = 1500 / pageUnits;
    ASSERT_GT(column, 0);
    addTree("Far", 100, 1500);
    const std::string wide = dir.file("wide.pdf");
    platform.recorder.printAnswers.push_back(wide);
    window().OnPrint();
    words = pdfWords(wide);
    const RPdfWord far = words["Far"];
    EXPECT_EQ(far.page, 2);
    EXPECT_NEAR((far.left + far.right) / 2, origin.x() + (1500 - column * pageUnits) * 0.72, 3.0);
    EXPECT_EQ(words["Sroot"].page, 1);

    // A cancelled or failing print leaves the document as it was.
    const std::vector<std::string> before = documentState();
    const std::size_t steps = undoSteps();
    window().OnPrint(); // no answer queued: the dialog is cancelled
    const std::string nowhere = dir.file("no-such-folder/printed.pdf");
    platform.recorder.printAnswers.push_back(nowhere);
    window().OnPrint();
    EXPECT_FALSE(std::filesystem::exists(nowhere));
    EXPECT_EQ(takeCalls(),
              "print: Ramex document | print: Ramex document | print: Ramex document | "
              "msg: The trees could not be printed: the printer did not accept the "
              "document. Check the printer and try again.");
    EXPECT_EQ(cellOf(root, kAttrSelected), 1);
    EXPECT_EQ(documentState(), before);
    EXPECT_EQ(undoSteps(), steps);
    EXPECT_EQ(layoutOf(root).size(), 6u);
}

TEST_F(TreeOutputTest, ExportPictureWritesEachTypeAndScaleOrNamesTheFileItCannotWrite) {
    const int32_t root = addTree("S(NP(the dog) VP(barks))", 60, 250);
    addTree("Other(tree)", 60, 600);
    // One that cannot be written names the file and leaves nothing; a cancelled dialog writes
    // nothing and says nothing.
    const std::vector<std::string> before = documentState();
    const std::string nowhere = dir.file("no-such-folder/tree.png");
    platform.recorder.fileAnswers.push_back(nowhere);
    window().OnExportPicture();
    window().OnExportPicture();
    EXPECT_EQ(takeCalls(), "file: test.png | msg: The picture could not be saved as \"" + nowhere +
                               "\". Check that the folder exists and that you may write in it. | "
                               "file: test.png");
    EXPECT_FALSE(std::filesystem::exists(dir.file("no-such-folder")));
    EXPECT_EQ(documentState(), before);

    exportAs(dir.file("one"), "PNG picture, 1x (*.png)");
    exportAs(dir.file("two.png"), "PNG picture, 2x (*.png)");
    exportAs(dir.file("trees"), "SVG picture (*.svg)");
    exportAs(dir.file("handout.pdf"), "PNG picture, 2x (*.png)");
    const QImage one(QString::fromStdString(dir.file("one.png")));
    const QImage two(QString::fromStdString(dir.file("two.png")));
    ASSERT_FALSE(one.isNull());
    EXPECT_EQ(two.size(), one.size() * 2);
    // Sharper, not bigger: a 2x picture prints at the size of a 1x one.
    EXPECT_NEAR(two.dotsPerMeterX(), 2 * one.dotsPerMeterX(), 2);
    const std::string svg = readTextFile(dir.file("trees.svg"));
    EXPECT_NE(svg.find(">barks<"), std::string::npos);
    EXPECT_NE(svg.find(">Other<"), std::string::npos);
    EXPECT_EQ(readTextFile(dir.file("handout.pdf")).rfind("%PDF", 0), 0u);

    // With a node selected only its subtree is drawn, without the highlight.
    canvas().selectNode(findNode(root, "VP"));
    exportAs(dir.file("part.svg"), "");
    const std::string part = readTextFile(dir.file("part.svg"));
    EXPECT_NE(part.find(">barks<"), std::string::npos);
    EXPECT_EQ(part.find(">Other<"), std::string::npos);
    EXPECT_EQ(cellOf(findNode(root, "VP"), kAttrSelected), 1);

    // An existing file is replaced only when the person says so.
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    exportAs(dir.file("one.png"), "PNG picture, 4x (*.png)");
    EXPECT_EQ(QImage(QString::fromStdString(dir.file("one.png"))).size(), one.size());
}
