#pragma once

#include "app/PanelGeometry.h"
#include "app/TreeGestures.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QPixmap>

#include <memory>
#include <string>
#include <vector>

class CDragImage;
class CPort;
class CTree;

// What the canvas needs from the window it lives in: the tool, the script's hooks and the
// menus.
class RTreeCanvasOwner {
public:
    virtual ~RTreeCanvasOwner() = default;
    virtual int32_t getCurrentTool() const = 0;
    virtual void sendNonQueryMessageToScript(int32_t hook, int32_t node) = 0;
    virtual void sendQueryMessageToScript(int32_t hook, int32_t node1, int32_t node2,
                                          bool& messageExists, bool& result) = 0;
    virtual void refreshMenus() = 0;
};

// The scrolling tree canvas: draws the tree area's trees in page coordinates (client
// coordinates plus the scroll position) through the port, hands the mouse to the gestures
// and shows the pop-up note and the dragged tree's picture.
class CTreeCanvas : public QAbstractScrollArea, private RTreeCanvasHost {
public:
    static constexpr int32_t kDefaultTotal = 600;

    CTreeCanvas(RTreeCanvasOwner& owner, QWidget* parent);
    ~CTreeCanvas() override;

    void installParentValues(CTree* tree, CPort* port);
    CTree* tree() const { return theCTree; }

    void setScrollSizes(int32_t totalWidth, int32_t totalHeight, int32_t pageWidth = 0,
                        int32_t pageHeight = 0, int32_t lineWidth = 0, int32_t lineHeight = 0);
    const RScrollSizes& scrollSizes() const { return sizes; }
    void scrollTo(int32_t x, int32_t y);
    QPoint scrollPosition() const;
    RPoint clientPointToPage(const QPoint& client) const;
    QPoint pagePointToClient(const RPoint& page) const;
    QRect pageRectToClient(const RRect& page) const;
    bool mouseIsInScrollWindow(const QPoint& client) const;

    void selectNode(int32_t node) { gestures.selectNode(node); }
    int32_t getSelectedNode() const { return gestures.getSelectedNode(); }
    CTreeGestures& gesture() { return gestures; }
    // The cursor shows the current tool.
    void updateCursor();
    // After undo, redo or a script command: forgets vanished nodes and paints everything.
    void documentChanged();

    void startPopUpBox(int32_t node, const std::string& text);
    void finishPopUpBox() override;
    bool popUpVisible() const { return popUpShown; }
    // In page coordinates, exclusive right and bottom.
    RRect popUpRect() const { return popUpArea; }
    const std::vector<std::string>& popUpLines() const { return popUpText; }

    // A word of the lexicon dragged in from the panel; the pointer is in global coordinates.
    void startLexiconDrag(int32_t word, const QPoint& globalPointer);
    // Pointer events of a drag that started elsewhere (the preview), in global coordinates.
    void dragMovedTo(const QPoint& globalPointer);
    void dragReleasedAt(const QPoint& globalPointer);
    const CDragImage* dragImage() const { return dragPicture.get(); }
    // The picture of a tree as it is dragged: white is transparent. Exposed for timing.
    QPixmap createDragImage(int32_t root, QPoint& hotSpot);

    // Total paints and the page area last painted, for the tests and the benchmark.
    int32_t paintCount() const { return paints; }
    QRect lastPaintedRect() const { return lastPainted; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // RTreeCanvasHost
    int32_t currentTool() const override;
    void sendNonQueryMessageToScript(int32_t hook, int32_t node) override;
    void sendQueryMessageToScript(int32_t hook, int32_t node1, int32_t node2, bool& exists,
                                  bool& result) override;
    void repaintPageRect(const RRect& rect) override;
    void repaintAll() override;
    void updateMenus() override;
    void showDragImage(int32_t root) override;
    void hideDragImage() override;
    void captureMouse(bool on) override;

    void recalcScrollBars();
    // The canvas grows to hold every tree that was put beyond its extent.
    void growToHoldTrees();
    void drawTrees(const RRect& area);
    void drawPopUp(class QtDrawingDevice& device);
    QFont popUpFont() const;

    RTreeCanvasOwner& owner;
    CTreeGestures gestures;
    CTree* theCTree = nullptr;
    CPort* theCPort = nullptr;
    RScrollSizes sizes;
    bool insideUpdate = false;
    std::unique_ptr<CDragImage> dragPicture;
    QCursor scissorsCursor;
    QCursor spyglassCursor;
    QPoint lastGlobalPointer;
    bool popUpShown = false;
    RRect popUpArea;
    std::vector<std::string> popUpText;
    int32_t paints = 0;
    QRect lastPainted;
};
