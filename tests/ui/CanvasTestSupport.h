#pragma once

#include "UiTestSupport.h"
#include "support/TreeTestSupport.h"

#include <QPoint>

#include <string>

class CMainPanel;
class CRamexWindow;
class CTree;
class CTreeCanvas;

// A grammar without hooks: the canvas's built-in rules for dragging and landing apply.
extern const char* const kPlainGrammarText;

// A main window with a document open, driven through mouse events on its real widgets.
class CanvasTest : public AppTest {
protected:
    // Builds the grammar text into a file and opens a new document from it.
    void openWith(const std::string& grammarText);
    void openEnglishSample();

    CRamexWindow& window();
    CTreeCanvas& canvas();
    CMainPanel& panel();
    CTree& tree();

    // Chooses the category button with this caption and the word in the list.
    void chooseWord(const std::string& category, const std::string& word);
    // Presses on the preview, moves to `client` (canvas client coordinates) and releases
    // there; outsideCanvas releases over the panel instead.
    void dragChosenWordTo(const QPoint& client, bool outsideCanvas = false);
    // Chooses and drags: returns the new tree's root (0 when none arrived).
    int32_t placeWord(const std::string& category, const std::string& word, const QPoint& client);

    // The work-area roots in root-list order.
    std::vector<int32_t> workAreaRoots();
    // Paints the canvas now, so that node boxes are where the user sees them.
    void settle();
    // The first node of the subtree, in pre-order, with this label; 0 when none.
    int32_t findNode(int32_t root, const std::string& label);
    // The client point at the centre of a node's box, and at the box's left edge.
    QPoint centreOf(int32_t node);
    QPoint leftEdgeOf(int32_t node);
    std::string qtreeOf(int32_t root);
    // The document as a user sees it: every cell but those layout and highlighting write.
    DatabaseState documentState();
    std::size_t undoSteps();
    int32_t undoLabel();

    void press(const QPoint& client);
    void moveTo(const QPoint& client);
    void release(const QPoint& client);
    void click(const QPoint& client);
    void doubleClick(const QPoint& client);
    std::vector<std::string> bugTexts() const;
};
