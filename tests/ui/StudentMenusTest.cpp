// The student's menu bar: its items and keys, the Drawing and Text commands as undoable
// steps, Clear, and the grammar's own menus.
#include "StudentTreesSupport.h"

#include "app/CommandIds.h"
#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "ui/CRamexWindow.h"
#include "ui/CTreeCanvas.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>

namespace {

struct RItem {
    int32_t id; // 0: a separator
    const char* text;
    QKeySequence key;
};

QKeySequence ctrl(Qt::Key key) {
    return QKeySequence(Qt::CTRL | key);
}

std::vector<QMenu*> menusOf(CRamexWindow& window) {
    std::vector<QMenu*> menus;
    for (QAction* entry : window.menuBar()->actions())
        if (entry->menu())
            menus.push_back(entry->menu());
    return menus;
}

void expectItems(QMenu* menu, const std::vector<RItem>& expected) {
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(static_cast<std::size_t>(items.size()), expected.size())
        << menu->title().toStdString();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QAction* item = items[static_cast<int>(i)];
        if (expected[i].id == 0) {
            EXPECT_TRUE(item->isSeparator()) << menu->title().toStdString() << " " << i;
            continue;
        }
        EXPECT_EQ(item->data().toInt(), expected[i].id) << expected[i].text;
        if (expected[i].id != kCommandUndo && expected[i].id != kCommandRedo) {
            EXPECT_EQ(item->text().toStdString(), expected[i].text);
        }
        EXPECT_EQ(item->shortcut(), expected[i].key) << expected[i].text;
    }
}

const std::vector<int32_t> kDrawingIds = {51, 52, 53, 54, 55, 56, 57, 58, 59, 63, 64, 65};

std::vector<int32_t> checkedDrawingItems(CRamexWindow& window) {
    std::vector<int32_t> checked;
    for (int32_t id : kDrawingIds)
        if (window.action(id)->isChecked())
            checked.push_back(id);
    return checked;
}

class StudentMenusTest : public StudentTreesTest {
protected:
    void SetUp() override { openWith(kTestGrammarText); }
    void pressKey(Qt::Key key) {
        window().activateWindow();
        QApplication::setActiveWindow(&window());
        QTest::keyClick(&window(), key, Qt::ControlModifier);
        QApplication::processEvents();
    }
};

} // namespace

TEST_F(StudentMenusTest, TheMenuBarHoldsTheStudentsMenusItemsAndKeys) {
    const std::vector<QMenu*> menus = menusOf(window());
    // File, Edit, Drawing, Text, then the grammar's "Check" menu.
    ASSERT_EQ(menus.size(), 5u);
    EXPECT_EQ(menus[0]->title(), "&File");
    EXPECT_EQ(menus[1]->title(), "&Edit");
    EXPECT_EQ(menus[2]->title(), "Drawing");
    EXPECT_EQ(menus[3]->title(), "Text");
    EXPECT_EQ(menus[4]->title(), "Check");
    expectItems(menus[0], {{1, "&New", ctrl(Qt::Key_N)},
                           {2, "&Open", ctrl(Qt::Key_O)},
                           {3, "&Close", ctrl(Qt::Key_W)},
                           {4, "&Save", ctrl(Qt::Key_S)},
                           {5, "Save &As", QKeySequence(QKeySequence::SaveAs)},
                           {6, "&Revert", QKeySequence()},
                           {0, "", QKeySequence()},
                           {7, "&Choose Grammar", ctrl(Qt::Key_F)},
                           {8, "New Grammar", ctrl(Qt::Key_H)},
                           {9, "Open Grammar", ctrl(Qt::Key_G)},
                           {10, "Open Current Grammar", ctrl(Qt::Key_K)},
                           {0, "", QKeySequence()},
                           {11, "Print Setup", QKeySequence()},
                           {12, "&Print", ctrl(Qt::Key_P)},
                           {kCommandExportPicture, "Export Picture...", QKeySequence()},
                           {0, "", QKeySequence()},
                           {13, "E&xit", QKeySequence(QKeySequence::Quit)}});
    // Undo and Duplicate carry the keys that work: Ctrl+Z, and Ctrl+Y (Ctrl+D is the font's).
    expectItems(menus[1], {{21, "", ctrl(Qt::Key_Z)},
                           {10022, "", ctrl(Qt::Key_R)},
                           {0, "", QKeySequence()},
                           {23, "Cu&t", ctrl(Qt::Key_X)},
                           {24, "&Copy", ctrl(Qt::Key_C)},
                           {25, "&Paste", ctrl(Qt::Key_V)},
                           {26, "C&lear", QKeySequence()},
                           {0, "", QKeySequence()},
                           {27, "Duplicate", ctrl(Qt::Key_Y)},
                           {28, "Select All", ctrl(Qt::Key_A)},
                           {0, "", QKeySequence()},
                           {29, "Export qtree specification", QKeySequence()}});
    expectItems(menus[2], {{51, "Skinny Width", {}},
                           {52, "Medium Width", {}},
                           {53, "Fat Width", {}},
                           {0, "", {}},
                           {54, "Short Lines", {}},
                           {55, "Medium Lines", {}},
                           {56, "Tall Lines", {}},
                           {0, "", {}},
                           {57, "Short Gap", {}},
                           {58, "Medium Gap", {}},
                           {59, "Tall Gap", {}},
                           {0, "", {}},
                           {63, "Thin Lines", {}},
                           {64, "Medium Lines", {}},
                           {65, "Thick Lines", {}}});
    expectItems(menus[3], {{61, "Font and Size", ctrl(Qt::Key_D)}});
    expectItems(menus[4], {{3501, "Mark Trees", {}}, {0, "", {}}, {3503, "Mark Again", {}}});

    // A fresh document: the default settings are checked; Export Picture works at once.
    EXPECT_EQ(checkedDrawingItems(window()), (std::vector<int32_t>{52, 55, 58, 63}));
    EXPECT_TRUE(window().action(kCommandExportPicture)->isEnabled());
    EXPECT_TRUE(window().action(kCommandPrint)->isEnabled());
    EXPECT_FALSE(window().action(kCommandCopy)->isEnabled());
    EXPECT_TRUE(bugTexts().empty());
}

TEST_F(StudentMenusTest, KeysRunTheirCommandsOnlyWhileTheItemIsEnabled) {
    // Ctrl+D asks for a font, although Duplicate's label used to show that key.
    pressKey(Qt::Key_D);
    EXPECT_EQ(platform.recorder.callsOfKind(RecordingPlatform::Kind::ChooseFont).size(), 1u);
    // Duplicate's own key and Clear without a selection do nothing at all.
    pressKey(Qt::Key_Y);
    pressKey(Qt::Key_C);
    EXPECT_TRUE(bugTexts().empty());

    // Ctrl+Z undoes a drawing step, Ctrl+R redoes it.
    window().action(kCommandFatWidth)->trigger();
    EXPECT_EQ(header(kHdrHorizontalPadding), 25);
    pressKey(Qt::Key_Z);
    EXPECT_EQ(header(kHdrHorizontalPadding), 10);
    pressKey(Qt::Key_R);
    EXPECT_EQ(header(kHdrHorizontalPadding), 25);

    // With a node selected Ctrl+C copies; Ctrl+P asks for a printer (cancelled here).
    const int32_t root = addTree("[S dog]", 40, 200);
    canvas().selectNode(root);
    window().updateMenus();
    QGuiApplication::clipboard()->clear();
    pressKey(Qt::Key_C);
    ASSERT_NE(QGuiApplication::clipboard()->mimeData(), nullptr);
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat("image/svg+xml"));
    pressKey(Qt::Key_P);
    EXPECT_EQ(platform.recorder.callsOfKind(RecordingPlatform::Kind::ChoosePrinter).size(), 1u);

    // The commands that are never enabled say so when reached anyway.
    window().OnCut();
    window().OnPaste();
    window().OnDuplicate();
    window().OnSelectAll();
    window().OnPrintSetup();
    EXPECT_EQ(bugTexts(),
              (std::vector<std::string>{"Command 'Cut' has not been implemented yet.",
                                        "Command 'Paste' has not been implemented yet.",
                                        "Command 'Duplicate' has not been implemented yet.",
                                        "Command 'Select All' has not been implemented yet.",
                                        "Command 'Print Setup' has not been implemented yet."}));
}

TEST_F(StudentMenusTest, EveryDrawingCommandIsAStepThatUndoAndRedoRoundTrip) {
    const int32_t root = addTree("[S [NP the dog] [VP barks]]", 40, 200);
    struct Case {
        int32_t command;
        int32_t attribute;
        int32_t value;
        int32_t oldCommand;
        bool changesLayout;
    };
    // Each group is moved off its default and back, so every command changes something.
    const std::vector<Case> cases = {
        {53, kHdrHorizontalPadding, 25, 52, true}, {51, kHdrHorizontalPadding, 4, 53, true},
        {52, kHdrHorizontalPadding, 10, 51, true}, {56, kHdrLineHeight, 24, 55, true},
        {54, kHdrLineHeight, 7, 56, true},         {55, kHdrLineHeight, 16, 54, true},
        {59, kHdrVerticalPadding, 6, 58, true},    {57, kHdrVerticalPadding, 0, 59, true},
        {58, kHdrVerticalPadding, 2, 57, true},    {65, kHdrThickness, 2, 63, false},
        {64, kHdrThickness, 1, 65, false},         {63, kHdrThickness, 0, 64, false},
    };
    for (const Case& c : cases) {
        const std::vector<RRect> before = layoutOf(root);
        const int32_t oldValue = header(c.attribute);
        window().action(c.command)->trigger();
        EXPECT_EQ(header(c.attribute), c.value) << c.command;
        EXPECT_EQ(undoLabel(), kLabelDrawingPreferences) << c.command;
        EXPECT_EQ(window().action(kCommandUndo)->text(), "Undo Drawing Preferences");
        EXPECT_TRUE(window().action(c.command)->isChecked()) << c.command;
        EXPECT_FALSE(window().action(c.oldCommand)->isChecked()) << c.command;
        const std::vector<RRect> after = layoutOf(root);
        EXPECT_EQ(after != before, c.changesLayout) << c.command;
        if (c.attribute == kHdrThickness) {
            EXPECT_EQ(window().port().thickness(), c.value);
        }

        window().OnUndo();
        EXPECT_EQ(header(c.attribute), oldValue) << c.command;
        EXPECT_TRUE(window().action(c.oldCommand)->isChecked()) << c.command;
        EXPECT_FALSE(window().action(c.command)->isChecked()) << c.command;
        EXPECT_EQ(window().action(kCommandRedo)->text(), "Redo Drawing Preferences");
        EXPECT_EQ(layoutOf(root), before) << c.command;

        window().OnRedo();
        EXPECT_EQ(header(c.attribute), c.value) << c.command;
        EXPECT_TRUE(window().action(c.command)->isChecked()) << c.command;
        EXPECT_EQ(layoutOf(root), after) << c.command;
    }
    EXPECT_TRUE(bugTexts().empty());
}

TEST_F(StudentMenusTest, FontAndSizeStoresTheChosenFaceAndAClampedSize) {
    const int32_t root = addTree("[S [NP the dog] [VP barks]]", 40, 200);
    const std::string installed = QFontDatabase::families().constFirst().toStdString();
    const std::string before = fontName();
    const int32_t sizeBefore = header(kHdrFontSize);
    const std::vector<RRect> layoutBefore = layoutOf(root);

    // A cancelled dialog is no step and no report.
    const std::size_t steps = undoSteps();
    window().action(kCommandFontAndSize)->trigger();
    EXPECT_EQ(undoSteps(), steps);

    platform.recorder.fontAnswers.push_back(FontRequest{installed, 480});
    window().action(kCommandFontAndSize)->trigger();
    EXPECT_EQ(header(kHdrFontSize), 48);
    EXPECT_EQ(fontName(), installed);
    EXPECT_EQ(window().action(kCommandUndo)->text(), "Undo Drawing Preferences");
    const std::vector<RRect> big = layoutOf(root);
    EXPECT_GT(big[0].bottom - big[0].top, 3 * (layoutBefore[0].bottom - layoutBefore[0].top));
    // The dialog was asked with the document's size in tenths of a point.
    EXPECT_EQ(platform.recorder.callsOfKind(RecordingPlatform::Kind::ChooseFont).back().number,
              sizeBefore * 10);

    platform.recorder.fontAnswers.push_back(FontRequest{installed, 2000});
    window().action(kCommandFontAndSize)->trigger();
    EXPECT_EQ(header(kHdrFontSize), 144);
    platform.recorder.fontAnswers.push_back(FontRequest{installed, 60});
    window().action(kCommandFontAndSize)->trigger();
    EXPECT_EQ(header(kHdrFontSize), 8);

    // One undo takes back size and face together.
    window().OnUndo();
    EXPECT_EQ(header(kHdrFontSize), 144);
    window().OnUndo();
    EXPECT_EQ(header(kHdrFontSize), 48);
    window().OnUndo();
    EXPECT_EQ(header(kHdrFontSize), sizeBefore);
    EXPECT_EQ(fontName(), before);
    EXPECT_EQ(layoutOf(root), layoutBefore);
    // Labels in the largest font are no fault: nothing was reported on the way.
    EXPECT_TRUE(bugTexts().empty());
}

TEST_F(StudentMenusTest, AFontThatIsNotInstalledIsDrawnInAStandInAndKeepsItsName) {
    const int32_t root = addTree("[S [NP the dog] [VP barks]]", 40, 200);
    ASSERT_EQ(window().doFontPrefs(12, "No Such Font Ramex"), kNoErr);
    window().updateMenus();
    // The trees are still drawn, and the stored name stays.
    const std::vector<RRect> layout = layoutOf(root);
    EXPECT_GT(layout[0].right - layout[0].left, 0);
    EXPECT_EQ(fontName(), "No Such Font Ramex");

    // The dialog starts on the stand-in, says so, and a cancel changes nothing.
    const std::size_t steps = undoSteps();
    window().OnFontAndSize();
    const auto asked = platform.recorder.callsOfKind(RecordingPlatform::Kind::ChooseFont);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].text, "No Such Font Ramex");
    EXPECT_FALSE(asked[0].text.empty());
    EXPECT_NE(window().statusText().toStdString().find("\"No Such Font Ramex\" is not installed"),
              std::string::npos)
        << window().statusText().toStdString();
    EXPECT_EQ(undoSteps(), steps);
    EXPECT_EQ(fontName(), "No Such Font Ramex");
    EXPECT_TRUE(bugTexts().empty());
}

TEST_F(StudentMenusTest, ClearDeletesTheSelectedSubtreeAsOneStep) {
    const int32_t root = addTree("[S [NP the dog] [VP barks]]", 40, 200);
    const int32_t np = findNode(root, "NP");
    const DatabaseState before = documentState();
    canvas().selectNode(np);
    window().updateMenus();
    ASSERT_TRUE(window().action(kCommandClear)->isEnabled());
    window().action(kCommandClear)->trigger();
    EXPECT_EQ(qtreeOf(root), "[.S [.VP barks ] ] ");
    EXPECT_EQ(canvas().getSelectedNode(), 0);
    EXPECT_EQ(window().action(kCommandUndo)->text(), "Undo Clear Word");
    EXPECT_FALSE(window().action(kCommandClear)->isEnabled());

    window().OnUndo();
    EXPECT_EQ(qtreeOf(root), "[.S [.NP the dog ] [.VP barks ] ] ");
    EXPECT_TRUE(sameStateAllowingGrowth(before, documentState()));
    window().OnRedo();
    EXPECT_EQ(qtreeOf(root), "[.S [.VP barks ] ] ");
    EXPECT_TRUE(bugTexts().empty());

    // A whole tree goes from the tree area; without a selection the command reports 1000.
    canvas().selectNode(root);
    window().OnClear();
    EXPECT_TRUE(workAreaRoots().empty());
    window().OnClear();
    EXPECT_EQ(bugTexts(), (std::vector<std::string>{"CRamexWindow::OnClear (general error)"}));
}

TEST_F(StudentMenusTest, TheGrammarsMenuRunsFromTheMenuBarAndGoesWithTheDocument) {
    const std::vector<QMenu*> menus = menusOf(window());
    ASSERT_EQ(menus.size(), 5u);
    QAction* mark = menus[4]->actions().constFirst();
    mark->trigger();
    EXPECT_EQ(window().statusText(), "marked");
    EXPECT_EQ(window().action(kCommandUndo)->text(), "Undo Menu");
    EXPECT_TRUE(window().action(kCommandSave)->isEnabled());

    platform.recorder.buttonAnswers.push_back(kButtonNo);
    window().OnCloseItem();
    paint();
    EXPECT_EQ(menusOf(window()).size(), 4u);
    EXPECT_EQ(window().authorMenu(1), nullptr);
    // Without a document the Drawing items are off and unchecked.
    EXPECT_TRUE(checkedDrawingItems(window()).empty());
    for (int32_t id : kDrawingIds)
        EXPECT_FALSE(window().action(id)->isEnabled()) << id;
    EXPECT_FALSE(window().action(kCommandExportPicture)->isEnabled());
    EXPECT_TRUE(bugTexts().empty());
}
