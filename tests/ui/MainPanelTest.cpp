// The main window's panel: geometry, categories, tools, Tab, visibility and its undo tasks.
#include "UiTestSupport.h"

#include "ui/CTreeView.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

namespace {

// A grammar with `count` categories that have a word each, named so that their sorted
// order differs from the order they are declared in.
std::string grammarWithCategories(int32_t count) {
    std::string text = "categories: X";
    std::string words;
    for (int32_t i = count; i >= 1; --i) {
        const std::string n = std::to_string(i);
        const std::string name = "C" + std::string(i < 10 ? "0" : "") + n;
        text += " " + name;
        words = "word w" + n + ": [" + name + "P [" + name + " w" + n + "]]\n" + words;
    }
    return text + "\n" + words;
}

std::string rectOf(const QWidget* widget) {
    const QRect r = widget->geometry();
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

int32_t visibleCategoryButtons(CMainPanel& panel) {
    int32_t count = 0;
    for (int32_t k = 1; k <= CMainPanel::kMostButtons; ++k)
        count += panel.categoryButton(k)->isVisible() ? 1 : 0;
    return count;
}

} // namespace

TEST_F(CanvasTest, PanelGeometryFollowsTheNumberOfCategoriesWithWords) {
    // Categories, visible buttons, then where the word list and the preview stand.
    const std::pair<int32_t, std::string> cases[] = {
        {0, "0 0 10,79 200x122 10,215 200x250"},
        {1, "1 1 10,79 200x122 10,215 200x250"},
        {9, "9 9 10,129 200x122 10,265 200x250"},
        {45, "45 40 10,304 200x122 10,440 200x250"},
    };
    for (const auto& [categories, expected] : cases) {
        SCOPED_TRACE(categories);
        app.reset();
        openWith(grammarWithCategories(categories));
        CMainPanel& side = panel();
        EXPECT_EQ(std::to_string(side.topCategory()) + " " +
                      std::to_string(visibleCategoryButtons(side)) + " " + rectOf(side.wordList()) +
                      " " + rectOf(side.preview()),
                  expected);
        if (categories >= 9) {
            EXPECT_EQ(rectOf(side.categoryButton(1)) + " " + rectOf(side.categoryButton(9)) + " " +
                          side.categoryButton(1)->text().toStdString() +
                          bits({side.categoryButton(1)->isChecked()}),
                      "11,49 48x23 11,99 48x23 C011");
            ASSERT_EQ(side.wordList()->count(), 1);
            EXPECT_EQ(side.wordList()->item(0)->text(), "w1");
        }
    }
    // Beyond 40 the last button opens a menu of the rest, so every category stays reachable.
    CMainPanel& side = panel();
    EXPECT_EQ(side.categoryButton(40)->text(), QString("More \u25BE"));
    ASSERT_EQ(side.overflowMenu()->actions().size(), 6);
    EXPECT_EQ(side.overflowMenu()->actions().back()->text(), "C45");
    side.overflowMenu()->actions().back()->trigger();
    EXPECT_EQ(side.currentCategory(), 45);
    EXPECT_EQ(bits({side.categoryButton(40)->isChecked(), side.categoryButton(1)->isChecked()}),
              "10");
    EXPECT_EQ(side.categoryButton(40)->text(), QString("C45 \u25BE"));
    EXPECT_EQ(side.wordList()->item(0)->text(), "w45");
}

TEST_F(CanvasTest, TheWindowPlacesToolsCanvasStatusBarAndLabel) {
    openWith(kPlainGrammarText);
    CMainPanel& side = panel();
    EXPECT_EQ(rectOf(side.toolButton(1)) + " " + rectOf(side.toolButton(2)) + " " +
                  rectOf(side.toolButton(3)) + " " + side.toolButton(1)->text().toStdString(),
              "11,8 65x32 78,8 65x32 145,8 65x32 Arrow");
    const QWidget* client = window().centralWidget();
    const int32_t w = client->width();
    const int32_t h = client->height();
    const QStatusBar* status = client->findChild<QStatusBar*>();
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->isVisible());
    // The status bar stands under the canvas only.
    EXPECT_EQ(rectOf(&canvas()) + " " + rectOf(status) + " " + rectOf(side.grammarLabel()),
              "220,0 " + std::to_string(w - 220) + "x" + std::to_string(h - 20) + " 220," +
                  std::to_string(h - 20) + " " + std::to_string(w - 220) + "x20 10," +
                  std::to_string(h - 45) + " 200x35");
    EXPECT_EQ(side.grammarLabel()->text(), "Currently Selected Grammar:\ntest");

    // The canvas's keys move by its default line (6) and page (60).
    window().resize(500, 400);
    QApplication::processEvents();
    std::string positions;
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Right, Qt::Key_Home}) {
        QTest::keyClick(&canvas(), key);
        positions += std::to_string(canvas().scrollPosition().x()) + "," +
                     std::to_string(canvas().scrollPosition().y()) + " ";
    }
    EXPECT_EQ(positions, "0,6 0,66 6,66 6,0 ");
    // Page coordinates follow the scroll position.
    canvas().scrollTo(30, 40);
    EXPECT_EQ(canvas().clientPointToPage(QPoint(5, 7)), (RPoint{47, 35}));
}

TEST_F(CanvasTest, TabCyclesThroughTheVisibleToolsOnly) {
    const std::string glass = "define function magnifying-glass(n)\nend define\n";
    const std::string scissors = "define function scissors(n)\nend define\n";
    // The hooks there are, then the current tool after each Tab.
    const std::pair<std::string, std::vector<int32_t>> cases[] = {
        {"", {1, 1}},
        {glass, {3, 1, 3}},
        {scissors, {2, 1, 2}},
        {scissors + glass, {2, 3, 1, 2}},
    };
    for (const auto& [hooks, tools] : cases) {
        SCOPED_TRACE(hooks);
        app.reset();
        openWith(std::string(kPlainGrammarText) + "script:\n" + hooks + "end script\n");
        EXPECT_EQ(window().getCurrentTool(), 1);
        for (int32_t expected : tools) {
            QTest::keyClick(&window(), Qt::Key_Tab);
            EXPECT_EQ(window().getCurrentTool(), expected);
            EXPECT_TRUE(panel().toolButton(expected)->isChecked());
        }
        EXPECT_EQ(panel().toolButton(2)->isVisible(), window().getToolVisibility(2));
        EXPECT_EQ(panel().toolButton(3)->isVisible(), window().getToolVisibility(3));
    }
}

TEST_F(CanvasTest, APreviewClickWithoutAWordOnlyChoosesTheArrow) {
    openWith(std::string(kPlainGrammarText) +
             "script:\ndefine function scissors(n)\nend define\nend script\n");
    window().setTool(2);
    panel().wordList()->clearSelection();
    QTest::mouseClick(panel().preview(), Qt::LeftButton);
    EXPECT_EQ(window().getCurrentTool(), 1);
    EXPECT_EQ(undoSteps(), 0u);
    EXPECT_FALSE(canvas().gesture().isDragging());
    // With a word chosen the preview draws it in black on white.
    chooseWord("N", "dog");
    EXPECT_TRUE(hasInk(panel().preview()->grab().toImage()));
}

TEST_F(CanvasTest, UserInterfaceTasksFollowUndoAndRedo) {
    openWith(std::string(kPlainGrammarText) + R"(script:
define function scissors(n)
end define
define function magnifying-glass(n)
end define
define function hide-all
  hide-scissors
  hide-magnifying-glass
  hide-lexicon
  set-menu-label("hide-all", "Hidden")
end define
define menu "Tools"
"hide-all" "Hide All"
end define
end script
)");
    window().setTool(3);
    QMenu* menu = window().authorMenu(1);
    ASSERT_NE(menu, nullptr);
    // Scissors, glass, word list, category buttons and the menu item's text.
    const auto looks = [&] {
        return std::to_string(panel().toolButton(2)->isVisible()) +
               std::to_string(panel().toolButton(3)->isVisible()) +
               std::to_string(panel().wordList()->isVisible()) +
               std::to_string(visibleCategoryButtons(panel())) + " " +
               menu->actions().front()->text().toStdString();
    };
    std::string seen = looks();
    menu->actions().front()->trigger();
    // Hiding the current tool made the Arrow current.
    EXPECT_EQ(window().getCurrentTool(), 1);
    seen += ", " + looks();
    for (bool undo : {true, false, true}) {
        undo ? window().OnUndo() : window().OnRedo();
        seen += ", " + looks();
    }
    EXPECT_EQ(seen, "1113 Hide All, 0000 Hidden, 1113 Hide All, 0000 Hidden, 1113 Hide All");

    // The drawing task redraws with the document's settings; an unknown task is reported.
    EXPECT_EQ(window().doUserInterfaceUndoTask(6, 0), kNoErr);
    platform.recorder.clear();
    EXPECT_EQ(window().doUserInterfaceUndoTask(9, 0), kErrInvalidParameter);
    EXPECT_EQ(takeCalls(), "bug: CRamexWindow::doUserInterfaceUndoTask (invalid parameter)");
}

TEST_F(CanvasTest, OpeningRunsTheOpenHookOutsideTheHistoryAndClosingAsksToSave) {
    openWith(std::string(kPlainGrammarText) +
             "script:\ndefine function open\n  message(\"hello\")\n"
             "  hide-lexicon\nend define\nend script\n");
    // What the hook did is part of the document as it opened: no step, no lexicon.
    EXPECT_EQ(window().statusText(), "hello");
    bool canUndo = true;
    tree().undoStructure().canUndo(canUndo);
    EXPECT_EQ(bits({canUndo, canvas().isVisible(), panel().toolButton(1)->isVisible(),
                    visibleCategoryButtons(panel()) > 0, panel().wordList()->isVisible(),
                    panel().preview()->isVisible()}),
              "011000");
    QTest::mouseClick(&panel(), Qt::LeftButton, Qt::NoModifier,
                      panel().preview()->geometry().center());
    EXPECT_EQ(undoSteps(), 0u);
    EXPECT_FALSE(canvas().gesture().isDragging());

    addTree("S(dog)", 80, 200);
    platform.recorder.buttonAnswers.push_back(kButtonCancel);
    platform.recorder.clear();
    EXPECT_FALSE(window().close());
    EXPECT_EQ(takeCalls(), "msg: Save document before closing?");
    EXPECT_EQ(app->getMode(), kModeDocument);
    EXPECT_EQ(workAreaRoots().size(), 1u);
}
