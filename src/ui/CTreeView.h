#pragma once

#include "drawing/RGeometry.h"

#include <QWidget>

#include <cstdint>
#include <functional>

class CPort;
class CTree;

// One tree drawn centred in a small window, and the hit test of that tree: the main window's
// preview of the chosen word and the lexicon editor's window of the word being edited.
class CTreeView : public QWidget {
public:
    explicit CTreeView(QWidget* parent);

    // The database and port to draw with, and which root to show (0 for none).
    void setSource(CTree* tree, CPort* port, std::function<int32_t()> rootToShow);
    // Told of every left press: the node under the pointer (0 for none) and the press.
    void setPressHandler(std::function<void(int32_t node, QMouseEvent& event)> handler);
    // Moves and releases of a press, for a drag that started here.
    void setMoveHandler(std::function<void(QMouseEvent& event)> onMove,
                        std::function<void(QMouseEvent& event)> onRelease);

    int32_t shownRoot() const { return root ? root() : 0; }
    // The node of the shown tree at a point of this widget, 0 for none.
    int32_t nodeAt(const QPoint& point);
    // Where the shown tree's root stands when drawn centred in this widget.
    bool centredPoint(RPoint& point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    RRect frame() const;
    // Lays the tree out centred, with the port measuring on `device` (null: its own).
    bool placeTree(int32_t shown, RPoint& point);

    CTree* theCTree = nullptr;
    CPort* theCPort = nullptr;
    std::function<int32_t()> root;
    std::function<void(int32_t, QMouseEvent&)> pressHandler;
    std::function<void(QMouseEvent&)> moveHandler;
    std::function<void(QMouseEvent&)> releaseHandler;
};
