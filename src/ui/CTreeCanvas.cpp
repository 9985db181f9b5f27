#include "ui/CTreeCanvas.h"

#include "base/ErrorReporter.h"
#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "render/QtDrawingDevice.h"
#include "ui/CDragImage.h"
#include "ui/ToolImages.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int32_t kPopUpPadding = 10;
constexpr int32_t kPopUpMargin = 20;
constexpr int32_t kPopUpOffset = 2;
// Room left beyond the farthest tree when the canvas grows.
constexpr int32_t kGrowthMargin = 100;
const RRgb kWhite{255, 255, 255};
const RRgb kBlack{0, 0, 0};
const RRgb kPopUpColour{240, 240, 200};

bool intersects(const RRect& a, const RRect& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

} // namespace

CTreeCanvas::CTreeCanvas(RTreeCanvasOwner& ownerIn, QWidget* parent)
    : QAbstractScrollArea(parent), owner(ownerIn), gestures(*this) {
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    scissorsCursor = toolCursor(CTreeGestures::kToolScissors);
    spyglassCursor = toolCursor(CTreeGestures::kToolSpyglass);
    sizes = makeScrollSizes(kDefaultTotal, kDefaultTotal);
    updateCursor();
}

CTreeCanvas::~CTreeCanvas() = default;

void CTreeCanvas::installParentValues(CTree* tree, CPort* port) {
    theCTree = tree;
    theCPort = port;
    gestures.installTree(tree);
    if (dragPicture)
        dragPicture->finish();
    popUpShown = false;
    popUpText.clear();
    viewport()->update();
}

// ---- Scrolling -----------------------------------------------------------------------------

void CTreeCanvas::setScrollSizes(int32_t totalWidth, int32_t totalHeight, int32_t pageWidth,
                                 int32_t pageHeight, int32_t lineWidth, int32_t lineHeight) {
    sizes = makeScrollSizes(totalWidth, totalHeight, pageWidth, pageHeight, lineWidth, lineHeight);
    recalcScrollBars();
}

void CTreeCanvas::recalcScrollBars() {
    if (insideUpdate)
        return;
    insideUpdate = true;
    const QSize client = size();
    const int32_t barWidth = verticalScrollBar()->sizeHint().width();
    const int32_t barHeight = horizontalScrollBar()->sizeHint().height();
    bool showH = false;
    bool showV = false;
    if (client.width() > barWidth && client.height() > barHeight) {
        showH = sizes.totalWidth > client.width();
        showV = sizes.totalHeight > client.height();
        // Each bar takes room from the other direction.
        if (showH && !showV)
            showV = sizes.totalHeight > client.height() - barHeight;
        if (showV && !showH)
            showH = sizes.totalWidth > client.width() - barWidth;
    }
    setHorizontalScrollBarPolicy(showH ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(showV ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    const int32_t visibleWidth = client.width() - (showV ? barWidth : 0);
    const int32_t visibleHeight = client.height() - (showH ? barHeight : 0);
    horizontalScrollBar()->setRange(0, showH ? std::max(0, sizes.totalWidth - visibleWidth) : 0);
    verticalScrollBar()->setRange(0, showV ? std::max(0, sizes.totalHeight - visibleHeight) : 0);
    horizontalScrollBar()->setPageStep(sizes.pageWidth);
    verticalScrollBar()->setPageStep(sizes.pageHeight);
    horizontalScrollBar()->setSingleStep(sizes.lineWidth);
    verticalScrollBar()->setSingleStep(sizes.lineHeight);
    insideUpdate = false;
}

void CTreeCanvas::scrollTo(int32_t x, int32_t y) {
    if (x >= 0)
        horizontalScrollBar()->setValue(x);
    if (y >= 0)
        verticalScrollBar()->setValue(y);
}

QPoint CTreeCanvas::scrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

RPoint CTreeCanvas::clientPointToPage(const QPoint& client) const {
    const QPoint page = client + scrollPosition();
    return RPoint{page.y(), page.x()};
}

QPoint CTreeCanvas::pagePointToClient(const RPoint& page) const {
    return QPoint(page.h, page.v) - scrollPosition();
}

QRect CTreeCanvas::pageRectToClient(const RRect& page) const {
    return QRect(QPoint(page.left, page.top), QPoint(page.right, page.bottom))
        .translated(-scrollPosition());
}

bool CTreeCanvas::mouseIsInScrollWindow(const QPoint& client) const {
    return viewport()->rect().contains(client);
}

void CTreeCanvas::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    recalcScrollBars();
}

void CTreeCanvas::scrollContentsBy(int /*dx*/, int /*dy*/) {
    viewport()->update();
}

void CTreeCanvas::keyPressEvent(QKeyEvent* event) {
    finishPopUpBox();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Left:
        h->setValue(h->value() - sizes.lineWidth);
        break;
    case Qt::Key_Right:
        h->setValue(h->value() + sizes.lineWidth);
        break;
    case Qt::Key_Up:
        v->setValue(v->value() - sizes.lineHeight);
        break;
    case Qt::Key_Down:
        v->setValue(v->value() + sizes.lineHeight);
        break;
    case Qt::Key_PageUp:
        v->setValue(v->value() - sizes.pageHeight);
        break;
    case Qt::Key_PageDown:
        v->setValue(v->value() + sizes.pageHeight);
        break;
    case Qt::Key_Home:
        v->setValue(v->minimum());
        break;
    case Qt::Key_End:
        v->setValue(v->maximum());
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void CTreeCanvas::growToHoldTrees() {
    if (!theCTree)
        return;
    int32_t right = sizes.totalWidth;
    int32_t bottom = sizes.totalHeight;
    int32_t root = 0;
    RErr err = theCTree->getFirstRoot(root);
    for (; root != 0 && !err; err = theCTree->getNextRoot(root, root)) {
        int32_t where = 0;
        theCTree->getWhereIsTree(root, where);
        RRect box;
        if (where != kTreeOnWorkArea || theCTree->getNodeCumulativeRect(root, box))
            continue;
        right = std::max(right, box.right + kGrowthMargin);
        bottom = std::max(bottom, box.bottom + kGrowthMargin);
    }
    if (right != sizes.totalWidth || bottom != sizes.totalHeight)
        setScrollSizes(right, bottom);
}

// ---- Painting ------------------------------------------------------------------------------

void CTreeCanvas::drawTrees(const RRect& area) {
    // Only trees that reach into the area, or that moved or changed since they were last
    // drawn, are drawn: a pointer move during a drag repaints a few nodes, not the document.
    int32_t root = 0;
    RErr err = theCTree->getFirstRoot(root);
    for (; root != 0 && !err; err = theCTree->getNextRoot(root, root)) {
        int32_t where = 0;
        int32_t dirty = 0;
        RPoint absolute;
        RPoint drawnAt;
        RRect box;
        err = theCTree->getWhereIsTree(root, where);
        if (err || where != kTreeOnWorkArea)
            continue;
        theCTree->getValue(root, kAttrDirty, dirty);
        theCTree->getAbsolutePoint(root, absolute);
        theCTree->getRelativePoint(root, drawnAt);
        theCTree->getNodeCumulativeRect(root, box);
        if (dirty == 0 && absolute == drawnAt && !intersects(box, area))
            continue;
        err = theCTree->drawTree(root, true);
    }
    if (err)
        bug("SubVexaScrollWindow::OnDraw", err);
}

void CTreeCanvas::paintEvent(QPaintEvent* event) {
    ++paints;
    const QRect clientArea = event->rect();
    const QPoint scroll = scrollPosition();
    lastPainted = clientArea.translated(scroll);
    QtDrawingDevice device(*viewport());
    device.translate(-scroll.x(), -scroll.y());
    const RRect area{lastPainted.top(), lastPainted.left(), lastPainted.bottom(),
                     lastPainted.right()};
    device.fillRect(area.left, area.top, area.right, area.bottom, kWhite);
    device.limitTo(lastPainted);
    if (theCTree && theCPort) {
        DrawingDevice* measuring = theCPort->dc();
        theCPort->setDC(&device);
        drawTrees(area);
        theCPort->setDC(measuring);
    }
    if (popUpShown)
        drawPopUp(device);
}

// ---- The pop-up note -----------------------------------------------------------------------

QFont CTreeCanvas::popUpFont() const {
    QFont chosen = font();
    chosen.setPixelSize(QFontInfo(font()).pixelSize());
    return chosen;
}

void CTreeCanvas::startPopUpBox(int32_t node, const std::string& text) {
    if (popUpShown || !theCTree)
        return;
    RRect box;
    if (!theCTree->verifyNode(node) || theCTree->getNodeRect(node, box))
        return;
    popUpText = splitPopUpText(text);
    const QFontMetrics metrics(popUpFont());
    int32_t widest = 0;
    for (const std::string& line : popUpText)
        widest = std::max<int32_t>(widest, metrics.horizontalAdvance(QString::fromStdString(line)));
    const int32_t width = widest + kPopUpMargin;
    const int32_t height = metrics.height() * static_cast<int32_t>(popUpText.size()) + kPopUpMargin;
    popUpArea.left = box.left + kPopUpOffset;
    popUpArea.top = box.bottom + kPopUpOffset;
    popUpArea.right = popUpArea.left + width;
    popUpArea.bottom = popUpArea.top + height;
    popUpShown = true;
    viewport()->update(pageRectToClient(popUpArea));
}

void CTreeCanvas::finishPopUpBox() {
    if (!popUpShown)
        return;
    viewport()->update(pageRectToClient(popUpArea));
    popUpShown = false;
    popUpText.clear();
}

void CTreeCanvas::drawPopUp(QtDrawingDevice& device) {
    device.fillRect(popUpArea.left, popUpArea.top, popUpArea.right - 1, popUpArea.bottom - 1,
                    kPopUpColour);
    device.setPen(kBlack, 1);
    device.frameRect(popUpArea.left, popUpArea.top, popUpArea.right - 1, popUpArea.bottom - 1);
    const QFont chosen = popUpFont();
    RFont face;
    face.face = chosen.family().toStdString();
    face.height = -chosen.pixelSize();
    device.selectFont(face);
    device.setTextColor(kBlack);
    const int32_t lineHeight = QFontMetrics(chosen).height();
    int32_t top = popUpArea.top + kPopUpPadding;
    for (const std::string& line : popUpText) {
        device.drawText(popUpArea.left + kPopUpPadding, top, line);
        top += lineHeight;
    }
}

// ---- Mouse ---------------------------------------------------------------------------------

void CTreeCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    lastGlobalPointer = event->globalPosition().toPoint();
    gestures.press(clientPointToPage(event->position().toPoint()));
}

void CTreeCanvas::mouseMoveEvent(QMouseEvent* event) {
    dragMovedTo(event->globalPosition().toPoint());
}

void CTreeCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    dragReleasedAt(event->globalPosition().toPoint());
}

void CTreeCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    gestures.doubleClick(clientPointToPage(event->position().toPoint()));
}

void CTreeCanvas::dragMovedTo(const QPoint& globalPointer) {
    lastGlobalPointer = globalPointer;
    if (dragPicture && dragPicture->isShowing())
        dragPicture->follow(globalPointer);
    const QPoint client = viewport()->mapFromGlobal(globalPointer);
    gestures.move(clientPointToPage(client), mouseIsInScrollWindow(client));
}

void CTreeCanvas::dragReleasedAt(const QPoint& globalPointer) {
    lastGlobalPointer = globalPointer;
    const QPoint client = viewport()->mapFromGlobal(globalPointer);
    gestures.release(clientPointToPage(client), mouseIsInScrollWindow(client));
}

void CTreeCanvas::startLexiconDrag(int32_t word, const QPoint& globalPointer) {
    lastGlobalPointer = globalPointer;
    gestures.startLexiconDrag(word);
}

// ---- The drag picture ----------------------------------------------------------------------

QPixmap CTreeCanvas::createDragImage(int32_t root, QPoint& hotSpot) {
    hotSpot = QPoint();
    RRect box;
    RPoint hot;
    RErr err = theCTree->getNodeCumulativeRect(root, box);
    if (!err)
        err = gestures.dragHotSpot(root, hot);
    if (err) {
        bug("CRamexWindow::startDragging", err);
        return QPixmap();
    }
    const QSize logical(box.right - box.left + 1, box.bottom - box.top + 1);
    const qreal ratio = devicePixelRatioF();
    QImage image(logical * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    // The same resolution as the canvas, so the picture measures as the canvas does.
    image.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    image.fill(Qt::white);
    {
        QtDrawingDevice device(image);
        DrawingDevice* measuring = theCPort->dc();
        theCPort->setDC(&device);
        RPoint place;
        const RRect frame{0, 0, logical.height() - 1, logical.width() - 1};
        err = theCTree->centerTreeInRect(root, frame, place);
        if (!err)
            err = theCTree->drawOneTreeAtATemporaryAbsoluteLocation(root, place);
        theCPort->setDC(measuring);
    }
    // The picture moved the tree's boxes; they go back to where the tree stands, so that
    // hit testing during the drag sees the canvas as it is.
    if (!err) {
        theCPort->suspendDrawing();
        err = theCTree->drawTree(root, true);
        theCPort->resumeDrawing();
    }
    if (err)
        bug("CRamexWindow::startDragging", err);
    // White is see-through, so the trees underneath show around the dragged one.
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == white)
                line[x] = 0;
    }
    QPixmap picture = QPixmap::fromImage(std::move(image));
    picture.setDevicePixelRatio(ratio);
    hotSpot = QPoint(hot.h, hot.v);
    return picture;
}

void CTreeCanvas::showDragImage(int32_t root) {
    // A node inside a tree (a script may allow dragging one) has no picture of its own.
    int32_t mother = 0;
    if (theCTree->getMother(root, mother) || mother != 0)
        return;
    if (!dragPicture)
        dragPicture = std::make_unique<CDragImage>(window());
    QPoint hotSpot;
    const QPixmap picture = createDragImage(root, hotSpot);
    dragPicture->start(picture, hotSpot, lastGlobalPointer);
}

void CTreeCanvas::hideDragImage() {
    if (dragPicture)
        dragPicture->finish();
}

void CTreeCanvas::captureMouse(bool on) {
    // The whole gesture comes here, wherever the press was made.
    if (on)
        viewport()->grabMouse();
    else if (QWidget::mouseGrabber() == viewport())
        viewport()->releaseMouse();
}

// ---- The host's other requests -------------------------------------------------------------

int32_t CTreeCanvas::currentTool() const {
    return owner.getCurrentTool();
}

void CTreeCanvas::sendNonQueryMessageToScript(int32_t hook, int32_t node) {
    owner.sendNonQueryMessageToScript(hook, node);
}

void CTreeCanvas::sendQueryMessageToScript(int32_t hook, int32_t node1, int32_t node2, bool& exists,
                                           bool& result) {
    owner.sendQueryMessageToScript(hook, node1, node2, exists, result);
}

void CTreeCanvas::repaintPageRect(const RRect& rect) {
    viewport()->update(pageRectToClient(rect));
}

void CTreeCanvas::repaintAll() {
    growToHoldTrees();
    viewport()->update();
}

void CTreeCanvas::updateMenus() {
    owner.refreshMenus();
}

void CTreeCanvas::documentChanged() {
    gestures.documentChanged();
    repaintAll();
}

void CTreeCanvas::updateCursor() {
    switch (owner.getCurrentTool()) {
    case CTreeGestures::kToolScissors:
        viewport()->setCursor(scissorsCursor);
        break;
    case CTreeGestures::kToolSpyglass:
        viewport()->setCursor(spyglassCursor);
        break;
    case CTreeGestures::kToolArrow:
        viewport()->setCursor(Qt::ArrowCursor);
        break;
    default:
        bug("SubVexaScrollWindow::OnSetCursor", kErrInvalidParameter);
        viewport()->setCursor(Qt::ArrowCursor);
    }
}
