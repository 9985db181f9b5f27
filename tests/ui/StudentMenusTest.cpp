// The student's menu bar: its items and keys, the Drawing and Text commands as undoable
// steps, Clear, and the grammar's own menus.
#include "UiTestSupport.h"

#include "app/MenuState.h"
#include "drawing/CPort.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

namespace {

const std::vector<int32_t> kDrawingIds = {51, 52, 53, 54, 55, 56, 57, 58, 59, 63, 64, 65};

class StudentMenusTest : public CanvasTest {
protected:
    void SetUp() override { openWith(kTestGrammarText); }
    void pressKey(Qt::Key key) {
        window().activateWindow();
        QApplication::setActiveWindow(&window());
        QTest::keyClick(&window(), key, Qt::ControlModifier);
        QApplication::processEvents();
    }
    std::vector<QMenu*> menus() {
        std::vector<QMenu*> found;
        for (QAction* entry : window().menuBar()->actions())
            if (entry->menu())
                found.push_back(entry->menu());
        return found;
    }
    std::vector<int32_t> checkedDrawingItems() {
        std::vector<int32_t> checked;
        for (int32_t id : kDrawingIds)
            if (window().action(id)->isChecked())
                checked.push_back(id);
        return checked;
    }
};

} // namespace

TEST_F(StudentMenusTest, TheMenuBarHoldsTheStudentsMenusItemsAndKeysAndTheGrammarsMenu) {
    std::string titles;
    for (QMenu* menu : menus())
        titles += menu->title().toStdString() + ";";
    EXPECT_EQ(titles, "&File;&Edit;Drawing;Text;Check;");
    ASSERT_EQ(menus().size(), 5u);
    // Save As and Exit carry the system's standard keys, where it has them.
    const auto standard = [](QKeySequence::StandardKey key) {
        const QString text = QKeySequence(key).toString(QKeySequence::PortableText);
        return text.isEmpty() ? std::string() : " " + text.toStdString();
    };
    EXPECT_EQ(menuText(*menus()[0]),
              "1 &New Ctrl+N | 2 &Open Ctrl+O | 3 &Close Ctrl+W | 4 &Save Ctrl+S | 5 Save &As" +
                  standard(QKeySequence::SaveAs) +
                  " | 6 &Revert | - | 7 &Choose Grammar Ctrl+F | 8 New Grammar Ctrl+H | "
                  "9 Open Grammar Ctrl+G | 10 Open Current Grammar Ctrl+K | - | 11 Print Setup | "
                  "12 &Print Ctrl+P | 14 Export Picture... | - | 13 E&xit" +
                  standard(QKeySequence::Quit));
    // Undo and Duplicate carry the keys that work: Ctrl+Z, and Ctrl+Y (Ctrl+D is the font's).
    EXPECT_EQ(menuText(*menus()[1]),
              "21 Can't Undo Ctrl+Z | 10022 Can't Redo Ctrl+R | - | 23 Cu&t Ctrl+X | "
              "24 &Copy Ctrl+C | 25 &Paste Ctrl+V | 26 C&lear | - | 27 Duplicate Ctrl+Y | "
              "28 Select All Ctrl+A | - | 29 Export qtree specification");
    // The Drawing items' ids and effects are the drawing-commands table's; here the twelve
    // items and the separators between their four groups.
    EXPECT_EQ(menus()[2]->actions().size(), 15);
    EXPECT_EQ(menuText(*menus()[3]), "61 Font and Size Ctrl+D");
    EXPECT_EQ(menuText(*menus()[4]), "3501 Mark Trees | - | 3503 Mark Again");

    // A fresh document: the default settings are checked; Export Picture works at once.
    EXPECT_EQ(checkedDrawingItems(), (std::vector<int32_t>{52, 55, 58, 63}));
    EXPECT_EQ(enabledAmong(window(), {kCommandExportPicture, kCommandPrint, kCommandCopy}),
              (std::vector<int32_t>{kCommandExportPicture, kCommandPrint}));
    EXPECT_EQ(takeCalls(), "");

    // The grammar's menu runs from the menu bar and goes with the document.
    menus()[4]->actions().constFirst()->trigger();
    EXPECT_EQ(window().statusText(), "marked");
    EXPECT_EQ(window().action(kCommandUndo)->text(), "Undo Menu");
    EXPECT_TRUE(window().action(kCommandSave)->isEnabled());

    platform.recorder.buttonAnswers.push_back(kButtonNo);
    window().OnCloseItem();
    paint();
    EXPECT_EQ(menus().size(), 4u);
    // Without a document the Drawing items are off and unchecked.
    EXPECT_TRUE(checkedDrawingItems().empty());
    EXPECT_EQ(enabledAmong(window(), kDrawingIds), std::vector<int32_t>());
    EXPECT_FALSE(window().action(kCommandExportPicture)->isEnabled());
}

TEST_F(StudentMenusTest, KeysRunTheirCommandsOnlyWhileTheItemIsEnabled) {
    // Ctrl+D asks for a font (in tenths of a point); Duplicate's own key and Clear without a
    // selection do nothing at all.
    const std::string asked = "font: " + std::to_string(header(kHdrFontSize) * 10);
    pressKey(Qt::Key_D);
    pressKey(Qt::Key_Y);
    pressKey(Qt::Key_C);
    EXPECT_EQ(takeCalls(), asked);

    // Ctrl+Z undoes a drawing step, Ctrl+R redoes it.
    window().action(kCommandFatWidth)->trigger();
    EXPECT_EQ(header(kHdrHorizontalPadding), 25);
    pressKey(Qt::Key_Z);
    EXPECT_EQ(header(kHdrHorizontalPadding), 10);
    pressKey(Qt::Key_R);
    EXPECT_EQ(header(kHdrHorizontalPadding), 25);

    // With a node selected Ctrl+C copies; Ctrl+P asks for a printer (cancelled here).
    canvas().selectNode(addTree("S(dog)", 40, 200));
    window().updateMenus();
    QGuiApplication::clipboard()->clear();
    pressKey(Qt::Key_C);
    ASSERT_NE(QGuiApplication::clipboard()->mimeData(), nullptr);
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat("image/svg+xml"));
    pressKey(Qt::Key_P);
    EXPECT_EQ(takeCalls(), "print: Ramex document");

    // The commands that are never enabled say so when reached anyway.
    window().OnCut();
    window().OnPaste();
    window().OnDuplicate();
    window().OnSelectAll();
    window().OnPrintSetup();
    EXPECT_EQ(takeCalls(), "bug: Command 'Cut' has not been implemented yet. | "
                           "bug: Command 'Paste' has not been implemented yet. | "
                           "bug: Command 'Duplicate' has not been implemented yet. | "
                           "bug: Command 'Select All' has not been implemented yet. | "
                           "bug: Command 'Print Setup' has not been implemented yet.");
}

TEST_F(StudentMenusTest, EveryDrawingCommandIsAStepThatUndoAndRedoRoundTrip) {
    const int32_t root = addTree("S(NP(the dog) VP(barks))", 40, 200);
    // What each command sets is the drawing-commands table's (spot-checked with that table).
    // Each group is moved off its default and back, so every command changes something; only
    // the line thickness leaves the boxes where they were.
    for (const int32_t command : {53, 51, 52, 56, 54, 55, 59, 57, 58, 65, 64, 63}) {
        SCOPED_TRACE(command);
        int32_t attribute = 0, value = 0;
        ASSERT_TRUE(drawingCommandSetting(command, attribute, value));
        const std::vector<RRect> before = layoutOf(root);
        const std::vector<int32_t> checkedBefore = checkedDrawingItems();
        const int32_t oldValue = header(attribute);
        window().action(command)->trigger();
        EXPECT_NE(header(attribute), oldValue);
        EXPECT_EQ(header(attribute), value);
        EXPECT_EQ(window().action(kCommandUndo)->text(), "Undo Drawing Preferences");
        // One item checked in each of the four groups: the command's took its group's check.
        const std::vector<int32_t> checkedAfter = checkedDrawingItems();
        EXPECT_EQ(checkedAfter.size(), 4u);
        EXPECT_TRUE(window().action(command)->isChecked());
        const std::vector<RRect> after = layoutOf(root);
        EXPECT_EQ(after != before, attribute != kHdrThickness);
        if (attribute == kHdrThickness) {
            EXPECT_EQ(window().port().thickness(), value);
        }

        window().OnUndo();
        EXPECT_EQ(header(attribute), oldValue);
        EXPECT_EQ(checkedDrawingItems(), checkedBefore);
        EXPECT_EQ(window().action(kCommandRedo)->text(), "Redo Drawing Preferences");
        EXPECT_EQ(layoutOf(root), before);
        window().OnRedo();
        EXPECT_EQ(header(attribute), value);
        EXPECT_EQ(checkedDrawingItems(), checkedAfter);
        EXPECT_EQ(layoutOf(root), after);
    }
    EXPECT_EQ(takeCalls(), "");
}

TEST_F(StudentMenusTest, FontAndSizeStoresTheChosenFaceAndAClampedSizeOrAStandInsName) {
    const int32_t root = addTree("S(NP(the dog) VP(barks))", 40, 200);
    const std::string installed = QFontDatabase::families().constFirst().toStdString();
    const std::string before = cellText(tree(), kHeaderRecord, kHdrFontName);
    const int32_t sizeBefore = header(kHdrFontSize);
    const std::vector<RRect> layoutBefore = layoutOf(root);

    // A cancelled dialog is no step and no report.
    const std::size_t steps = undoSteps();
    window().action(kCommandFontAndSize)->trigger();
    EXPECT_EQ(undoSteps(), steps);

    // Sizes come in tenths and are clamped to 8 to 144 points.
    std::string sizes;
    for (int32_t tenths : {480, 2000, 60}) {
        platform.recorder.fontAnswers.push_back(FontRequest{installed, tenths});
        window().action(kCommandFontAndSize)->trigger();
        sizes += std::to_string(header(kHdrFontSize)) + " ";
        if (tenths == 480) {
            const std::vector<RRect> big = layoutOf(root);
            EXPECT_GT(big[0].bottom - big[0].top,
                      3 * (layoutBefore[0].bottom - layoutBefore[0].top));
        }
    }
    EXPECT_EQ(sizes + cellText(tree(), kHeaderRecord, kHdrFontName), "48 144 8 " + installed);
    EXPECT_EQ(window().action(kCommandUndo)->text(), "Undo Drawing Preferences");
    // The dialog was asked with the document's size each time, in tenths of a point.
    EXPECT_EQ(takeCalls(), "font: " + std::to_string(sizeBefore * 10) + " | font: " +
                               std::to_string(sizeBefore * 10) + " | font: 480 | font: 1440");

    // One undo takes back size and face together.
    window().OnUndo();
    EXPECT_EQ(header(kHdrFontSize), 144);
    window().OnUndo();
    window().OnUndo();
    EXPECT_EQ(std::to_string(header(kHdrFontSize)) + " " +
                  cellText(tree(), kHeaderRecord, kHdrFontName),
              std::to_string(sizeBefore) + " " + before);
    EXPECT_EQ(layoutOf(root), layoutBefore);
    // Labels in the largest font are no fault: nothing was reported on the way.
    EXPECT_EQ(takeCalls(), "");

    // A font that is not installed is drawn in a stand-in and keeps its name; the dialog starts
    // on the stand-in and says so, and a cancel changes nothing.
    ASSERT_EQ(window().doFontPrefs(12, "No Such Font Ramex"), kNoErr);
    window().updateMenus();
    EXPECT_GT(layoutOf(root)[0].right - layoutOf(root)[0].left, 0);
    const std::size_t stepsNow = undoSteps();
    window().OnFontAndSize();
    const auto asked = platform.recorder.callsOfKind(RecordingPlatform::Kind::ChooseFont);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(!asked[0].text.empty() && asked[0].text != "No Such Font Ramex") << asked[0].text;
    EXPECT_NE(window().statusText().toStdString().find("\"No Such Font Ramex\" is not installed"),
              std::string::npos)
        << window().statusText().toStdString();
    EXPECT_EQ(undoSteps(), stepsNow);
    EXPECT_EQ(cellText(tree(), kHeaderRecord, kHdrFontName), "No Such Font Ramex");
}

TEST_F(StudentMenusTest, ClearDeletesTheSelectedSubtreeAsOneStep) {
    const int32_t root = addTree("S(NP(the dog) VP(barks))", 40, 200);
    const std::vector<std::string> before = documentState();
    canvas().selectNode(findNode(root, "NP"));
    window().updateMenus();
    ASSERT_TRUE(window().action(kCommandClear)->isEnabled());
    window().action(kCommandClear)->trigger();
    EXPECT_EQ(qtreeOf(root), "[.S [.VP barks ] ] ");
    EXPECT_EQ(canvas().getSelectedNode(), 0);
    EXPECT_EQ(window().action(kCommandUndo)->text(), "Undo Clear Word");
    EXPECT_FALSE(window().action(kCommandClear)->isEnabled());
    window().OnUndo();
    EXPECT_EQ(documentState(), before);
    window().OnRedo();
    EXPECT_EQ(qtreeOf(root), "[.S [.VP barks ] ] ");

    // A whole tree goes from the tree area; without a selection the command reports 1000.
    canvas().selectNode(root);
    window().OnClear();
    EXPECT_TRUE(workAreaRoots().empty());
    window().OnClear();
    EXPECT_EQ(takeCalls(), "bug: CRamexWindow::OnClear (general error)");
}
