#pragma once

#include "app/CommandIds.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "support/HierarchyTestSupport.h"
#include "support/TestSupport.h"
#include "support/TreeTestSupport.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CMainPanel.h"
#include "ui/CRamexApp.h"
#include "ui/CRamexWindow.h"
#include "ui/CTreeCanvas.h"
#include "undo/CUndoStructure.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QPoint>
#include <QTest>
#include <QVariant>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

class QImage;
class QMenu;
class QWidget;

// A grammar with two words, an "open" and a "close" hook that send status messages, and a
// "Check" menu whose commands change a script variable (so a document becomes dirty).
extern const char* const kTestGrammarText;
// A grammar without hooks: the canvas's built-in rules for dragging and landing apply.
extern const char* const kPlainGrammarText;

// The subtree's nodes in pre-order.
std::vector<int32_t> nodesOf(CTree& tree, int32_t root);
// The subtree's first node in pre-order with this label; 0 when none.
int32_t findNode(CTree& tree, int32_t root, const std::string& label);
// Every cell a user's change can reach, string cells by their text, zeros left out (the
// table's growth is not undone); positions only when asked for.
std::vector<std::string> stateOf(CTree& tree, bool withPositions);

bool isDirty(CTree& tree);
// The label of the step Undo would take back; -1 when none.
int32_t undoLabelOf(CTree& tree);
// "1" or "0" for each flag: several yes-or-no states in one check.
std::string bits(std::initializer_list<bool> flags);
// Whether some pixel is opaque and dark.
bool hasInk(const QImage& image);
// Ends a typing run the way leaving a field does.
void loseFocus(QWidget& field);
// A menu's items, " | " between them: "id text key", "-" for a separator.
std::string menuText(QMenu& menu);

// The ids among `ids` whose item in the window's menus is enabled.
template <typename Window>
std::vector<int32_t> enabledAmong(const Window& window, const std::vector<int32_t>& ids) {
    std::vector<int32_t> enabled;
    for (int32_t id : ids)
        if (window.action(id) && window.action(id)->isEnabled())
            enabled.push_back(id);
    return enabled;
}

// Each test gets its own settings folder, its own recording platform and a fresh
// application object; nothing ever blocks on a dialog.
class AppTest : public ::testing::Test {
protected:
    AppTest();
    ~AppTest() override;
    // A bug report no test took is a fault.
    void TearDown() override {
        EXPECT_EQ(platform.recorder.bugReports(), std::vector<std::string>());
    }

    // A preference, first written when a value is given (before the application starts).
    QVariant preference(const char* name, const QVariant& newValue = QVariant());
    // Builds the text form into a file; returns its path.
    std::string buildFile(const std::string& name, const std::string& text);
    // Starts the application with the main window shown, and lets it paint unless not.
    bool start(bool thenPaint = true);
    // Lets the main window paint, which finishes a change to mode 1 or 3.
    void paint();
    // Starts with `grammar` as the current grammar and makes a new document from it.
    void startWithNewDocument(const std::string& grammar);
    // The grammar becomes the current one and opens in mode 6; the recorder is cleared.
    void openForAuthoring(const std::string& grammarText);

    // The mode, then 1 or 0 for: the file exists only in memory, a tree is open, author
    // privileges, a current grammar: "4 1101".
    std::string appState();
    // Every request recorded since the last clear, " | " between them ("msg[title]: text",
    // "bug: text", "beep", "ask: prompt", "file: name", "print: document"), and clears them.
    std::string takeCalls();

    TempDir dir;
    RecordingPlatformScope platform;
    std::unique_ptr<CRamexApp> app;
};

// An application with a grammar open in the lexicon editor.
class EditorTest : public AppTest {
protected:
    // Builds `text` into a grammar, selects it and opens it for authoring; with no text, a
    // new grammar.
    void openGrammar(const std::string& text = std::string());
    CLexicalItemsDialog& editor() { return app->lexicalItemsDialog(); }
    CTree& tree() { return *editor().grammar(); }
    // The word of the list whose citation form is `cited`; 0 when none.
    int32_t word(const std::string& cited);
    // The node of the selected word's tree labelled `label`, in pre-order; 0 when none.
    int32_t node(const std::string& label) {
        return findNode(tree(), editor().currentlySelectedWord(), label);
    }
    // What the editor shows: the word list with the current entry starred, the selected
    // word's tree and the selected node's label: "dog (N)*, the (A) / NP(N(dog)) / N".
    std::string shown();
    std::vector<std::string> snapshot() { return stateOf(tree(), false); }
    // Runs the action as one step, checks what the editor shows then, and undoes and redoes
    // it, comparing the whole database and what is shown each time; undo shows what was
    // shown before unless `shownAfterUndo` says otherwise.
    void expectStep(const std::function<void()>& action, const std::string& shownAfter,
                    const std::string& shownAfterUndo = std::string());
    // Undoes every step there is, through the editor.
    void undoAll();
};

// A main window with a document open, driven through mouse events on its real widgets.
class CanvasTest : public AppTest {
protected:
    // Builds the grammar text into a file and opens a new document from it.
    void openWith(const std::string& grammarText);

    CRamexWindow& window() { return app->mainWindow(); }
    CTreeCanvas& canvas() { return window().canvas(); }
    CMainPanel& panel() { return window().mainPanel(); }
    CTree& tree() { return *window().document(); }

    // Chooses the category button with this caption and the word in the list.
    void chooseWord(const std::string& category, const std::string& word);
    // Presses on the preview, moves to `client` (canvas client coordinates) and releases
    // there; outsideCanvas releases over the panel instead.
    void dragChosenWordTo(const QPoint& client, bool outsideCanvas = false);
    // Chooses and drags: returns the new tree's root (0 when none arrived).
    int32_t placeWord(const std::string& category, const std::string& word, const QPoint& client);
    // "S(NP(the dog) VP(barks))" made one undo step and put on the tree area with its root's
    // top centre at (v, h). Returns the root.
    int32_t addTree(const std::string& shape, int32_t v, int32_t h);

    // The work-area roots in root-list order.
    std::vector<int32_t> workAreaRoots();
    // Paints the canvas now, so that node boxes are where the user sees them.
    void settle();
    int32_t findNode(int32_t root, const std::string& label) {
        return ::findNode(tree(), root, label);
    }
    int32_t lastDaughter(int32_t root, const std::string& motherLabel);
    // The client point at the centre of a node's box, or halfway down its left edge.
    QPoint centreOf(int32_t node, bool onLeftEdge = false);
    std::string qtreeOf(int32_t root);
    // The tree area as a user sees it: each tree with its root's place, then the selected
    // node's label: "NP(N'(N(dog)))@60,150; D@80,200 / NP".
    std::string scene();
    // Each node's box in pre-order, painted first: what the layout made of the tree.
    std::vector<RRect> layoutOf(int32_t root);
    int32_t header(int32_t attribute) { return cellOf(kHeaderRecord, attribute); }
    int32_t cellOf(int32_t record, int32_t attribute) {
        return tree().tablet().cell(record, attribute);
    }
    // The document as a user sees it: every cell but those layout and highlighting write.
    std::vector<std::string> documentState() { return stateOf(tree(), true); }
    std::size_t undoSteps() { return tree().undoStructure().stepCount(); }
    int32_t undoLabel() { return undoLabelOf(tree()); }

    void press(const QPoint& at) { QTest::mousePress(canvas().viewport(), Qt::LeftButton, {}, at); }
    void moveTo(const QPoint& at) { QTest::mouseMove(canvas().viewport(), at); }
    void release(const QPoint& at) {
        QTest::mouseRelease(canvas().viewport(), Qt::LeftButton, {}, at);
    }
    void click(const QPoint& at) { press(at), release(at); }
    // Presses, moves, paints and releases.
    void drag(const QPoint& from, const QPoint& to);
};
