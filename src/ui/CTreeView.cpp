#include "ui/CTreeView.h"

#include "base/ErrorReporter.h"
#include "drawing/CPort.h"
#include "model/CTree.h"
#include "render/QtDrawingDevice.h"

#include <QMouseEvent>

CTreeView::CTreeView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CTreeView::setSource(CTree* tree, CPort* port, std::function<int32_t()> rootToShow) {
    theCTree = tree;
    theCPort = port;
    root = std::move(rootToShow);
    update();
}

void CTreeView::setPressHandler(std::function<void(int32_t, QMouseEvent&)> handler) {
    pressHandler = std::move(handler);
}

void CTreeView::setMoveHandler(std::function<void(QMouseEvent&)> onMove,
                               std::function<void(QMouseEvent&)> onRelease) {
    moveHandler = std::move(onMove);
    releaseHandler = std::move(onRelease);
}

RRect CTreeView::frame() const {
    return RRect{0, 0, height() - 1, width() - 1};
}

bool CTreeView::placeTree(int32_t shown, RPoint& point) {
    if (!theCTree || !theCPort || shown == 0 || !theCTree->verifyNode(shown))
        return false;
    const RErr err = theCTree->centerTreeInRect(shown, frame(), point);
    if (err)
        bug("CTreeFragmentWnd::OnPaint", err);
    return !err;
}

bool CTreeView::centredPoint(RPoint& point) {
    return placeTree(shownRoot(), point);
}

void CTreeView::paintEvent(QPaintEvent* /*event*/) {
    QtDrawingDevice device(*this);
    device.fillRect(0, 0, width() - 1, height() - 1, RRgb{255, 255, 255});
    const int32_t shown = shownRoot();
    RPoint point;
    if (!placeTree(shown, point))
        return;
    DrawingDevice* measuring = theCPort->dc();
    theCPort->setDC(&device);
    // Drawn at the centred place only for this picture: the word keeps its own place.
    const RErr err = theCTree->drawOneTreeAtATemporaryAbsoluteLocation(shown, point);
    theCPort->setDC(measuring);
    if (err)
        bug("CTreeFragmentWnd::OnPaint", err);
}

int32_t CTreeView::nodeAt(const QPoint& where) {
    const int32_t shown = shownRoot();
    RPoint point;
    if (!placeTree(shown, point))
        return 0;
    // The node boxes are those of the last drawing; lay the tree out at its centred place.
    const bool wasSuspended = theCPort->isDrawingSuspended();
    theCPort->suspendDrawing();
    RErr err = theCTree->drawOneTreeAtATemporaryAbsoluteLocation(shown, point);
    if (!wasSuspended)
        theCPort->resumeDrawing();
    int32_t node = 0;
    if (!err)
        err = theCTree->hitTestOneTreeOnly(shown, RPoint{where.y(), where.x()}, node);
    if (err)
        bug("CTreeFragmentWnd::OnLButtonDown", err);
    return node;
}

void CTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressHandler)
        return;
    pressHandler(nodeAt(event->position().toPoint()), *event);
}

void CTreeView::mouseMoveEvent(QMouseEvent* event) {
    if (moveHandler)
        moveHandler(*event);
}

void CTreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && releaseHandler)
        releaseHandler(*event);
}
