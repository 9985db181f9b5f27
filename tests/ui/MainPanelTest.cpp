// The main window's panel: geometry, categories, tools, Tab, visibility and its undo tasks.
#include "CanvasTestSupport.h"

#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "ui/CMainPanel.h"
#include "ui/CRamexWindow.h"
#include "ui/CTreeCanvas.h"
#include "ui/CTreeView.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

namespace {

// A grammar with `count` categories that have a word each, named so that their sorted
// order differs from the order they are declared in.
std::string grammarWithCategories(int32_t count) {
    std::string text = "categories: X";
    for (int32_t i = count; i >= 1; --i)
        text += " C" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    text += "\n";
    for (int32_t i = 1; i <= count; ++i) {
        const std::string name = "C" + std::string(i < 10 ? "0" : "") + std::to_string(i);
        text += "word w" + std::to_string(i) + ": [" + name + "P [" + name + " w" +
                std::to_string(i) + "]]\n";
    }
    return text;
}

QRect rectOf(const QWidget* widget) {
    return widget->geometry();
}

int32_t visibleCategoryButtons(CMainPanel& panel) {
    int32_t count = 0;
    for (int32_t k = 1; k <= CMainPanel::kMostButtons; ++k)
        count += panel.categoryButton(k)->isVisible() ? 1 : 0;
    return count;
}

} // namespace

TEST_F(CanvasTest, PanelGeometryFollowsTheNumberOfCategoriesWithWords) {
    struct RCase {
        int32_t categories;
        int32_t buttons;
        int32_t listTop;
    };
    for (const RCase& c :
         {RCase{0, 0, 79}, RCase{1, 1, 79}, RCase{9, 9, 129}, RCase{45, 40, 304}}) {
        SCOPED_TRACE(c.categories);
        app.reset();
        openWith(grammarWithCategories(c.categories));
        CMainPanel& side = panel();
        EXPECT_EQ(side.topCategory(), c.categories);
        EXPECT_EQ(visibleCategoryButtons(side), c.buttons);
        EXPECT_EQ(rectOf(side.wordList()), QRect(10, c.listTop, 200, 122));
        EXPECT_EQ(rectOf(side.preview()), QRect(10, c.listTop + 122 + 14, 200, 250));
        if (c.categories >= 1) {
            EXPECT_EQ(rectOf(side.categoryButton(1)), QRect(11, 49, 48, 23));
            EXPECT_EQ(side.categoryButton(1)->text(), "C01");
            EXPECT_TRUE(side.categoryButton(1)->isChecked());
            EXPECT_EQ(side.wordList()->count(), 1);
            EXPECT_EQ(side.wordList()->item(0)->text(), "w1");
        }
        if (c.categories >= 9) {
            EXPECT_EQ(rectOf(side.categoryButton(9)), QRect(11, 99, 48, 23));
        }
    }
    // Beyond 40 the last button opens a menu of the rest, so every category stays reachable.
    CMainPanel& side = panel();
    EXPECT_EQ(side.categoryButton(40)->text(), QString("More \u25BE"));
    ASSERT_EQ(side.overflowMenu()->actions().size(), 6);
    EXPECT_EQ(side.overflowMenu()->actions().back()->text(), "C45");
    side.overflowMenu()->actions().back()->trigger();
    EXPECT_EQ(side.currentCategory(), 45);
    EXPECT_TRUE(side.categoryButton(40)->isChecked());
    EXPECT_FALSE(side.categoryButton(1)->isChecked());
    EXPECT_EQ(side.categoryButton(40)->text(), QString("C45 \u25BE"));
    EXPECT_EQ(side.wordList()->item(0)->text(), "w45");
}

TEST_F(CanvasTest, TheWindowPlacesToolsCanvasStatusBarAndLabel) {
    openWith(kPlainGrammarText);
    CRamexWindow& main = window();
    CMainPanel& side = panel();
    EXPECT_EQ(rectOf(side.toolButton(1)), QRect(11, 8, 65, 32));
    EXPECT_EQ(rectOf(side.toolButton(2)), QRect(78, 8, 65, 32));
    EXPECT_EQ(rectOf(side.toolButton(3)), QRect(145, 8, 65, 32));
    EXPECT_EQ(side.toolButton(1)->text(), "Arrow");
    const QWidget* client = main.centralWidget();
    const int32_t w = client->width();
    const int32_t h = client->height();
    EXPECT_EQ(rectOf(&canvas()), QRect(220, 0, w - 220, h - 20));
    EXPECT_EQ(rectOf(side.grammarLabel()), QRect(10, h - 45, 200, 35));
    EXPECT_EQ(side.grammarLabel()->text(), "Currently Selected Grammar:\ntest");
    // The status bar stands under the canvas only.
    const QStatusBar* status = client->findChild<QStatusBar*>();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(rectOf(status), QRect(220, h - 20, w - 220, 20));
    EXPECT_TRUE(status->isVisible());

    // The canvas's default scroll sizes and its keys.
    const RScrollSizes& sizes = canvas().scrollSizes();
    EXPECT_EQ(sizes.totalWidth, 600);
    EXPECT_EQ(sizes.pageHeight, 60);
    EXPECT_EQ(sizes.lineHeight, 6);
    main.resize(500, 400);
    QApplication::processEvents();
    QTest::keyClick(&canvas(), Qt::Key_Down);
    EXPECT_EQ(canvas().scrollPosition().y(), 6);
    QTest::keyClick(&canvas(), Qt::Key_PageDown);
    EXPECT_EQ(canvas().scrollPosition().y(), 66);
    QTest::keyClick(&canvas(), Qt::Key_Right);
    EXPECT_EQ(canvas().scrollPosition().x(), 6);
    QTest::keyClick(&canvas(), Qt::Key_Home);
    EXPECT_EQ(canvas().scrollPosition().y(), 0);
    // Page coordinates follow the scroll position.
    canvas().scrollTo(30, 40);
    const RPoint page = canvas().clientPointToPage(QPoint(5, 7));
    EXPECT_EQ(page.h, 35);
    EXPECT_EQ(page.v, 47);
}

TEST_F(CanvasTest, TabCyclesThroughTheVisibleToolsOnly) {
    struct RCase {
        const char* hooks;
        std::vector<int32_t> tools; // the current tool after each Tab
    };
    const RCase cases[] = {
        {"", {1, 1}},
        {"define function magnifying-glass(n)\nend define\n", {3, 1, 3}},
        {"define function scissors(n)\nend define\n", {2, 1, 2}},
        {"define function scissors(n)\nend define\ndefine function magnifying-glass(n)\nend "
         "define\n",
         {2, 3, 1, 2}},
    };
    for (const RCase& c : cases) {
        SCOPED_TRACE(c.hooks);
        app.reset();
        openWith(std::string(kPlainGrammarText) + "script:\n" + c.hooks + "end script\n");
        EXPECT_EQ(window().getCurrentTool(), 1);
        for (int32_t expected : c.tools) {
            QTest::keyClick(&window(), Qt::Key_Tab);
            EXPECT_EQ(window().getCurrentTool(), expected);
            EXPECT_TRUE(panel().toolButton(expected)->isChecked());
        }
        EXPECT_EQ(panel().toolButton(2)->isVisible(), window().getToolVisibility(2));
        EXPECT_EQ(panel().toolButton(3)->isVisible(), window().getToolVisibility(3));
    }
}

TEST_F(CanvasTest, AHiddenLexiconShowsNoButtonsListOrPreview) {
    openWith(std::string(kPlainGrammarText) +
             "script:\ndefine function open\n  hide-lexicon\nend define\nend script\n");
    EXPECT_EQ(visibleCategoryButtons(panel()), 0);
    EXPECT_FALSE(panel().wordList()->isVisible());
    EXPECT_FALSE(panel().preview()->isVisible());
    // What the "open" hook did is part of the document as it opened.
    EXPECT_EQ(undoSteps(), 0u);
    const QPoint where = panel().preview()->geometry().center();
    QTest::mouseClick(&panel(), Qt::LeftButton, Qt::NoModifier, where);
    EXPECT_EQ(undoSteps(), 0u);
    EXPECT_FALSE(canvas().gesture().isDragging());
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
    // With a word chosen the preview draws it, centred, in black on white.
    chooseWord("N", "dog");
    const QImage shot = panel().preview()->grab().toImage();
    bool anyInk = false;
    for (int y = 0; y < shot.height() && !anyInk; ++y)
        for (int x = 0; x < shot.width() && !anyInk; ++x)
            anyInk = shot.pixelColor(x, y).lightness() < 100;
    EXPECT_TRUE(anyInk);
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
    CRamexWindow& main = window();
    main.setTool(3);
    ASSERT_TRUE(panel().toolButton(2)->isVisible());
    ASSERT_TRUE(panel().wordList()->isVisible());
    QMenu* menu = main.authorMenu(1);
    ASSERT_NE(menu, nullptr);
    menu->actions().front()->trigger();

    const auto hidden = [&] {
        EXPECT_FALSE(panel().toolButton(2)->isVisible());
        EXPECT_FALSE(panel().toolButton(3)->isVisible());
        EXPECT_FALSE(panel().wordList()->isVisible());
        EXPECT_EQ(visibleCategoryButtons(panel()), 0);
        EXPECT_EQ(menu->actions().front()->text(), "Hidden");
    };
    const auto shown = [&] {
        EXPECT_TRUE(panel().toolButton(2)->isVisible());
        EXPECT_TRUE(panel().toolButton(3)->isVisible());
        EXPECT_TRUE(panel().wordList()->isVisible());
        EXPECT_EQ(visibleCategoryButtons(panel()), 3);
        EXPECT_EQ(menu->actions().front()->text(), "Hide All");
    };
    hidden();
    // Hiding the current tool made the Arrow current.
    EXPECT_EQ(main.getCurrentTool(), 1);
    main.OnUndo();
    shown();
    main.OnRedo();
    hidden();
    main.OnUndo();
    shown();

    // The drawing task redraws with the document's settings; an unknown task is reported.
    EXPECT_EQ(main.doUserInterfaceUndoTask(6, 0), kNoErr);
    platform.recorder.clear();
    EXPECT_EQ(main.doUserInterfaceUndoTask(9, 0), kErrInvalidParameter);
    ASSERT_EQ(bugTexts().size(), 1u);
    EXPECT_NE(bugTexts().front().find("CRamexWindow::doUserInterfaceUndoTask"), std::string::npos);
}

TEST_F(CanvasTest, OpeningRunsTheOpenHookOutsideTheHistoryAndClosingAsksToSave) {
    openWith(std::string(kPlainGrammarText) +
             "script:\ndefine function open\n  message(\"hello\")\nend define\nend script\n");
    EXPECT_EQ(app->getMode(), kModeDocument);
    EXPECT_EQ(window().statusText(), "hello");
    bool canUndo = true;
    tree().undoStructure().canUndo(canUndo);
    EXPECT_FALSE(canUndo);
    EXPECT_TRUE(canvas().isVisible());
    EXPECT_TRUE(panel().toolButton(1)->isVisible());

    placeWord("N", "dog", QPoint(200, 80));
    platform.recorder.buttonAnswers.push_back(kButtonCancel);
    platform.recorder.clear();
    EXPECT_FALSE(window().close());
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Save document before closing?"}));
    EXPECT_EQ(app->getMode(), kModeDocument);
    EXPECT_NE(window().document(), nullptr);
    EXPECT_EQ(workAreaRoots().size(), 1u);
}
