#include "UiTestSupport.h"

#include "app/DocumentFiles.h"
#include "cli/GrammarTextReader.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRString.h"
#include "ui/CTreeView.h"
#include "undo/UndoLabels.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>

#include <algorithm>
#include <fstream>

const char* const kTestGrammarText = R"(categories: X N V A P
word dog: [NP [N' [N dog]]]
word barks: [VP [V' [V barks]]]
script:
define variable marks
define function open
  message("opened")
end define
define function close
  message("closing")
end define
define function mark
  let marks = marks & "x"
  message("marked")
end define
define menu "Check"
"mark" "Mark Trees"
divider
"mark" "Mark Again"
end define
end script
)";

const char* const kPlainGrammarText = R"(categories: X N V D
word dog: [NP [N' [N dog]]]
word cat: [NP [N' [N cat]]]
word the: [DP [D' [D the] [NP]]]
word sees: [VP [V' [V sees] [DP]]]
)";

std::vector<int32_t> nodesOf(CTree& tree, int32_t root) {
    std::vector<int32_t> nodes;
    for (int32_t node = root; node != 0;) {
        nodes.push_back(node);
        if (tree.getNextNode(node, root, node))
            break;
    }
    return nodes;
}

int32_t findNode(CTree& tree, int32_t root, const std::string& label) {
    for (int32_t node : nodesOf(tree, root)) {
        const CRString* text = nullptr;
        if (!tree.getLabel(node, text) && text && text->str() == label)
            return node;
    }
    return 0;
}

std::vector<std::string> stateOf(CTree& tree, bool withPositions) {
    // Written outside the undo history: sorters, selection and offending marks, layout results
    // and, in the lexicon, positions.
    const auto direct = [withPositions](int32_t attribute) {
        return attribute == kAttrCategorySorter || attribute == kAttrSelected ||
               attribute == kAttrOffending ||
               (attribute >= kAttrSortLeft && attribute <= kAttrSecondSortParent) ||
               (attribute >= kAttrDirty && attribute <= kAttrCumulativeRectBottom &&
                !(withPositions && (attribute == kAttrAbsoluteH || attribute == kAttrAbsoluteV)));
    };
    std::vector<std::string> cells;
    for (int32_t record = 1; record <= tree.recordCount(); ++record) {
        const int32_t type = tree.tablet().cell(record, kAttrType);
        if (record != kHeaderRecord && (type < kRecordNode || type > kRecordFeature))
            continue;
        for (int32_t attribute = 1; attribute <= tree.attributeCount(); ++attribute) {
            const int32_t value = tree.tablet().cell(record, attribute);
            // The free list's head moves with the table's growth, which is not undone.
            if (value != 0 &&
                (record == kHeaderRecord ? attribute != kHdrFirstUnusedRecord : !direct(attribute)))
                cells.push_back(std::to_string(record) + "." + std::to_string(attribute) + "=" +
                                (isStringAttribute(attribute)
                                     ? '"' + cellText(tree, record, attribute) + '"'
                                     : std::to_string(value)));
        }
    }
    return cells;
}

bool isDirty(CTree& tree) {
    bool dirty = false;
    EXPECT_EQ(tree.undoStructure().isDirty(dirty), kNoErr);
    return dirty;
}

int32_t undoLabelOf(CTree& tree) {
    int32_t label = -1;
    tree.undoStructure().currentUndoLabel(label);
    return label;
}

std::string bits(std::initializer_list<bool> flags) {
    std::string text;
    for (bool flag : flags)
        text += flag ? '1' : '0';
    return text;
}

bool hasInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255 && qGray(image.pixel(x, y)) < 100)
                return true;
    return false;
}

void loseFocus(QWidget& field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &out);
}

std::string menuText(QMenu& menu) {
    std::string text;
    for (QAction* item : menu.actions()) {
        text += text.empty() ? "" : " | ";
        if (item->isSeparator()) {
            text += "-";
            continue;
        }
        text += std::to_string(item->data().toInt()) + " " + item->text().toStdString();
        if (!item->shortcut().isEmpty())
            text += " " + item->shortcut().toString(QKeySequence::PortableText).toStdString();
    }
    return text;
}

AppTest::AppTest() {
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QString::fromStdString(dir.path().string()));
}

AppTest::~AppTest() {
    app.reset();
    CFileDescriptor::failNthWriteFromNow(0);
}

QVariant AppTest::preference(const char* name, const QVariant& newValue) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Ramex"),
                       QStringLiteral("Ramex"));
    const QString key = QStringLiteral("Prefs Format 1/") + QLatin1String(name);
    if (newValue.isValid())
        settings.setValue(key, newValue);
    return settings.value(key);
}

std::string AppTest::buildFile(const std::string& name, const std::string& text) {
    const std::string source = dir.file(name + ".rgt");
    std::ofstream(source) << text;
    const std::string path = dir.file(name);
    const RTextTarget target = path.size() > 4 && path.substr(path.size() - 4) == ".rdc"
                                   ? RTextTarget::Document
                                   : RTextTarget::Grammar;
    std::unique_ptr<CTree> tree;
    RTextError error;
    EXPECT_TRUE(readGrammarTextFile(source, target, tree, error)) << error.message;
    if (tree) {
        CFileDescriptor file(path);
        EXPECT_EQ(saveDatabaseFile(*tree, file), kNoErr);
    }
    return path;
}

bool AppTest::start(bool thenPaint) {
    app = std::make_unique<CRamexApp>();
    const bool started = app->InitInstance(true);
    if (started && thenPaint)
        paint();
    return started;
}

void AppTest::paint() {
    CRamexWindow& window = app->mainWindow();
    window.repaint();
    QElapsedTimer clock;
    clock.start();
    const auto changing = [this] {
        return app->getMode() == kModeClosingDocument || app->getMode() == kModeOpeningDocument;
    };
    while (changing() && clock.elapsed() < 5000) {
        QApplication::processEvents();
        if (changing())
            window.repaint();
    }
}

void AppTest::startWithNewDocument(const std::string& grammar) {
    preference("Current Grammar", QString::fromStdString(grammar));
    ASSERT_TRUE(start());
    app->mainWindow().OnNew();
    ASSERT_EQ(app->getMode(), kModeOpeningDocument);
    paint();
    ASSERT_EQ(app->getMode(), kModeDocument);
}

void AppTest::openForAuthoring(const std::string& grammarText) {
    const std::string grammar = buildFile("g.rgr", grammarText);
    preference("Privileges", 1);
    preference("Current Grammar", QString::fromStdString(grammar));
    ASSERT_TRUE(start());
    app->mainWindow().OnOpenCurrentGrammar();
    ASSERT_EQ(app->getMode(), kModeAuthor);
    platform.recorder.clear();
}

std::string AppTest::appState() {
    return std::to_string(app->getMode()) + " " +
           bits({app->getFileExistsOnlyInMemory(), app->getCTree() != nullptr, app->getPrivileges(),
                 app->haveCurrentlySelectedGrammar()});
}

std::string AppTest::takeCalls() {
    using Kind = RecordingPlatform::Kind;
    // By kind: bug report, message, beep, pause, ask, file, font, printer.
    const char* const names[] = {"bug: ", "msg",    "beep",   "pause ",
                                 "ask: ", "file: ", "font: ", "print: "};
    std::string text;
    for (const RecordingPlatform::Call& call : platform.recorder.calls()) {
        text += (text.empty() ? "" : " | ") + std::string(names[static_cast<int>(call.kind)]);
        if (call.kind == Kind::Message)
            text += (call.title.empty() ? "" : "[" + call.title + "]") + ": " + call.text;
        else if (call.kind == Kind::Pause || call.kind == Kind::ChooseFont)
            text += std::to_string(call.number);
        else if (call.kind != Kind::Beep)
            text += call.text;
    }
    platform.recorder.clear();
    return text;
}

void EditorTest::openGrammar(const std::string& text) {
    if (!text.empty())
        return openForAuthoring(text);
    ASSERT_TRUE(start());
    editor().handleNewGrammar();
    ASSERT_EQ(app->getMode(), kModeAuthor);
}

int32_t EditorTest::word(const std::string& cited) {
    const std::vector<int32_t>* words = nullptr;
    editor().getSortedList(1, words);
    for (int32_t i = 1; i <= (*words)[0]; ++i)
        if (cellText(tree(), (*words)[i], kAttrCitationForm) == cited)
            return (*words)[i];
    return 0;
}

std::string EditorTest::shown() {
    std::string text;
    QListWidget& list = editor().wordList();
    for (int row = 0; row < list.count(); ++row)
        text += (row ? ", " : "") + list.item(row)->text().toStdString() +
                (list.item(row) == list.currentItem() ? "*" : "");
    const int32_t word = editor().currentlySelectedWord();
    const int32_t node = editor().currentlySelectedNode();
    text += " / " + (word ? describeTree(tree(), word) : "-");
    return text + " / " + (node ? cellText(tree(), node, kAttrLabel) : "-");
}

void EditorTest::expectStep(const std::function<void()>& action, const std::string& shownAfter,
                            const std::string& shownAfterUndo) {
    const std::vector<std::string> before = snapshot();
    const std::string shownBefore = shown();
    action();
    EXPECT_EQ(shown(), shownAfter);
    const std::vector<std::string> after = snapshot();
    editor().OnUndo();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(shown(), shownAfterUndo.empty() ? shownBefore : shownAfterUndo);
    editor().OnRedo();
    EXPECT_EQ(snapshot(), after);
    EXPECT_EQ(shown(), shownAfter);
}

void EditorTest::undoAll() {
    for (bool can = true; tree().undoStructure().canUndo(can) == kNoErr && can;)
        editor().OnUndo();
}

void CanvasTest::openWith(const std::string& grammarText) {
    startWithNewDocument(buildFile("test.rgr", grammarText));
    app->mainWindow().resize(1000, 700);
    QApplication::processEvents();
}

void CanvasTest::chooseWord(const std::string& category, const std::string& word) {
    CMainPanel& side = panel();
    bool found = false;
    for (int32_t k = 1; k <= CMainPanel::kMostButtons && !found; ++k) {
        QPushButton* button = side.categoryButton(k);
        found = button->isVisible() && button->text().toStdString() == category;
        if (found)
            QTest::mouseClick(button, Qt::LeftButton);
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

int32_t CanvasTest::addTree(const std::string& shape, int32_t v, int32_t h) {
    CTree& document = tree();
    int32_t root = 0;
    std::map<std::string, int32_t> nodes;
    EXPECT_EQ(inStep(document, kLabelNewTree,
                     [&] {
                         RErr err = buildTree(document, shape, root, nodes);
                         if (!err)
                             err = document.setWhereIsTree(root, kTreeOnWorkArea);
                         return err ? err : document.setAbsolutePoint(root, RPoint{v, h});
                     }),
              kNoErr);
    window().updateMenus();
    settle();
    return root;
}

std::vector<int32_t> CanvasTest::workAreaRoots() {
    std::vector<int32_t> roots;
    int32_t root = 0;
    for (RErr err = tree().getFirstRoot(root); root != 0 && !err;
         err = tree().getNextRoot(root, root))
        if (cellOf(root, kAttrWhereIsTree) == kTreeOnWorkArea)
            roots.push_back(root);
    return roots;
}

int32_t CanvasTest::lastDaughter(int32_t root, const std::string& motherLabel) {
    int32_t daughter = 0;
    EXPECT_EQ(tree().getRightmostDaughter(findNode(root, motherLabel), daughter), kNoErr);
    return daughter;
}

void CanvasTest::settle() {
    QApplication::processEvents();
    canvas().viewport()->repaint();
}

QPoint CanvasTest::centreOf(int32_t node, bool onLeftEdge) {
    settle();
    RRect box;
    EXPECT_EQ(tree().getNodeRect(node, box), kNoErr);
    return canvas().pagePointToClient(
        RPoint{(box.top + box.bottom) / 2, onLeftEdge ? box.left : (box.left + box.right) / 2});
}

std::string CanvasTest::qtreeOf(int32_t root) {
    std::string text;
    EXPECT_EQ(tree().makeQTreeForThisNodeAndBelow(root, text), kNoErr);
    return text;
}

std::string CanvasTest::scene() {
    std::string text;
    for (int32_t root : workAreaRoots()) {
        RPoint place;
        EXPECT_EQ(tree().getAbsolutePoint(root, place), kNoErr);
        text += (text.empty() ? "" : "; ") + describeTree(tree(), root) + "@" +
                std::to_string(place.v) + "," + std::to_string(place.h);
    }
    const int32_t selected = canvas().getSelectedNode();
    return text + " / " + (selected ? cellText(tree(), selected, kAttrLabel) : "-");
}

std::vector<RRect> CanvasTest::layoutOf(int32_t root) {
    settle();
    std::vector<RRect> boxes;
    for (int32_t node : nodesOf(tree(), root)) {
        boxes.emplace_back();
        EXPECT_EQ(tree().getNodeRect(node, boxes.back()), kNoErr);
    }
    return boxes;
}

void CanvasTest::drag(const QPoint& from, const QPoint& to) {
    press(from);
    moveTo(to);
    settle(); // the dragged picture is painted where the pointer is
    release(to);
}
