#include "CanvasTestSupport.h"

#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "ui/CMainPanel.h"
#include "ui/CRamexWindow.h"
#include "ui/CTreeCanvas.h"
#include "ui/CTreeView.h"
#include "undo/CUndoStructure.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <sstream>

const char* const kPlainGrammarText = R"(categories: X N V D
word dog: [NP [N' [N dog]]]
word cat: [NP [N' [N cat]]]
word the: [DP [D' [D the] [NP]]]
word sees: [VP [V' [V sees] [DP]]]
)";

void CanvasTest::openWith(const std::string& grammarText) {
    const std::string grammar = buildFile("test.rgr", grammarText);
    startWithNewDocument(grammar);
    CRamexWindow& main = app->mainWindow();
    main.resize(1000, 700);
    QApplication::processEvents();
}

void CanvasTest::openEnglishSample() {
    std::ifstream source(std::string(RAMEX_SAMPLES_DIR) + "/english.rgt");
    std::stringstream text;
    text << source.rdbuf();
    ASSERT_FALSE(text.str().empty());
    openWith(text.str());
}

CRamexWindow& CanvasTest::window() {
    return app->mainWindow();
}

CTreeCanvas& CanvasTest::canvas() {
    return app->mainWindow().canvas();
}

CMainPanel& CanvasTest::panel() {
    return app->mainWindow().mainPanel();
}

CTree& CanvasTest::tree() {
    return *app->mainWindow().document();
}

void CanvasTest::chooseWord(const std::string& category, const std::string& word) {
    CMainPanel& side = panel();
    bool found = false;
    for (int32_t k = 1; k <= CMainPanel::kMostButtons && !found; ++k) {
        QPushButton* button = side.categoryButton(k);
        if (button->isVisible() && button->text().toStdString() == category) {
            QTest::mouseClick(button, Qt::LeftButton);
            found = true;
        }
    }
    ASSERT_TRUE(found) << "no category button " << category;
    const auto items = side.wordList()->findItems(QString::fromStdString(word), Qt::MatchExactly);
    ASSERT_FALSE(items.isEmpty()) << "no word " << word;
    side.wordList()->setCurrentItem(items.first());
}

void CanvasTest::dragChosenWordTo(const QPoint& client, bool outsideCanvas) {
    CTreeView* preview = panel().preview();
    const QPoint start = preview->rect().center();
    QTest::mousePress(preview, Qt::LeftButton, Qt::NoModifier, start);
    QWidget* target = canvas().viewport();
    const QPoint end =
        outsideCanvas ? target->mapFromGlobal(panel().mapToGlobal(QPoint(100, 30))) : client;
    // The pointer crosses the panel and arrives on the canvas, as a hand would move it.
    QTest::mouseMove(target, target->mapFromGlobal(preview->mapToGlobal(start + QPoint(5, 0))));
    QTest::mouseMove(target, end);
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, end);
}

int32_t CanvasTest::placeWord(const std::string& category, const std::string& word,
                              const QPoint& client) {
    const std::vector<int32_t> before = workAreaRoots();
    chooseWord(category, word);
    dragChosenWordTo(client);
    settle();
    for (int32_t root : workAreaRoots())
        if (std::find(before.begin(), before.end(), root) == before.end())
            return root;
    return 0;
}

std::vector<int32_t> CanvasTest::workAreaRoots() {
    std::vector<int32_t> roots;
    int32_t root = 0;
    RErr err = tree().getFirstRoot(root);
    for (; root != 0 && !err; err = tree().getNextRoot(root, root)) {
        int32_t where = 0;
        tree().getWhereIsTree(root, where);
        if (where == kTreeOnWorkArea)
            roots.push_back(root);
    }
    return roots;
}

int32_t CanvasTest::findNode(int32_t root, const std::string& label) {
    for (int32_t node = root; node != 0;) {
        const CRString* text = nullptr;
        if (!tree().getLabel(node, text) && text && text->str() == label)
            return node;
        if (tree().getNextNode(node, root, node))
            return 0;
    }
    return 0;
}

void CanvasTest::settle() {
    QApplication::processEvents();
    canvas().viewport()->repaint();
}

QPoint CanvasTest::centreOf(int32_t node) {
    settle();
    RRect box;
    EXPECT_EQ(tree().getNodeRect(node, box), kNoErr);
    return canvas().pagePointToClient(
        RPoint{(box.top + box.bottom) / 2, (box.left + box.right) / 2});
}

QPoint CanvasTest::leftEdgeOf(int32_t node) {
    settle();
    RRect box;
    EXPECT_EQ(tree().getNodeRect(node, box), kNoErr);
    return canvas().pagePointToClient(RPoint{(box.top + box.bottom) / 2, box.left});
}

std::string CanvasTest::qtreeOf(int32_t root) {
    std::string text;
    EXPECT_EQ(tree().makeQTreeForThisNodeAndBelow(root, text), kNoErr);
    return text;
}

DatabaseState CanvasTest::documentState() {
    DatabaseState state = captureState(tree());
    for (int32_t record = 1; record <= state.records; ++record)
        for (int32_t attribute :
             {kAttrSelected, kAttrDirty, kAttrRelativeH, kAttrRelativeV, kAttrFishSpine,
              kAttrXOffset, kAttrFishSpineDepth, kAttrNodeRectLeft, kAttrNodeRectTop,
              kAttrNodeRectRight, kAttrNodeRectBottom, kAttrCumulativeRectLeft,
              kAttrCumulativeRectTop, kAttrCumulativeRectRight, kAttrCumulativeRectBottom})
            if (attribute <= state.attributes && record > kHeaderRecord)
                state.cells[static_cast<std::size_t>((record - 1) * state.attributes + attribute -
                                                     1)] = 0;
    return state;
}

std::size_t CanvasTest::undoSteps() {
    return tree().undoStructure().stepCount();
}

int32_t CanvasTest::undoLabel() {
    int32_t label = 0;
    tree().undoStructure().currentUndoLabel(label);
    return label;
}

void CanvasTest::press(const QPoint& client) {
    QTest::mousePress(canvas().viewport(), Qt::LeftButton, Qt::NoModifier, client);
}

void CanvasTest::moveTo(const QPoint& client) {
    QTest::mouseMove(canvas().viewport(), client);
}

void CanvasTest::release(const QPoint& client) {
    QTest::mouseRelease(canvas().viewport(), Qt::LeftButton, Qt::NoModifier, client);
}

void CanvasTest::click(const QPoint& client) {
    press(client);
    release(client);
}

void CanvasTest::doubleClick(const QPoint& client) {
    QTest::mouseDClick(canvas().viewport(), Qt::LeftButton, Qt::NoModifier, client);
}

std::vector<std::string> CanvasTest::bugTexts() const {
    return platform.recorder.bugReports();
}
