// The main window's panel, tools, canvas and the bridge to the script's hooks.
#include "ui/CRamexWindow.h"

#include "app/PanelGeometry.h"
#include "base/ErrorReporter.h"
#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "ui/CRamexApp.h"
#include "ui/CTreeView.h"
#include "ui/ScreenPort.h"

#include <QMouseEvent>
#include <QStatusBar>
#include <QToolButton>

namespace {

constexpr int32_t kShowScissorsTask = 2;
constexpr int32_t kShowSpyglassTask = 3;
constexpr int32_t kShowLexiconTask = 4;
constexpr int32_t kRebuildMenusTask = 5;
constexpr int32_t kRefreshDrawingTask = 6;

QRect toQRect(const RRect& rect) {
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

bool isDocumentMode(int32_t mode) {
    return mode == kModeOpeningDocument || mode == kModeDocument;
}

} // namespace

// ---- Tools ---------------------------------------------------------------------------------

void CRamexWindow::setTool(int32_t tool) {
    if (tool < 1 || tool > 3) {
        bug("CRamexWindow::setTool", kErrInvalidParameter);
        return;
    }
    currentTool = tool;
    panel->showCurrentTool(tool);
    scrollView->updateCursor();
}

bool CRamexWindow::getToolVisibility(int32_t tool) const {
    bool visible = tool == CMiddleInterface::kToolArrow || tool == CMiddleInterface::kToolLexicon;
    if (theCTree && theCTree->script())
        theCTree->script()->middleInterface().getToolVisibility(tool, visible);
    return visible;
}

bool CRamexWindow::lexiconVisibleInMode() const {
    return isDocumentMode(theRamexApp.getMode()) && theCTree;
}

bool CRamexWindow::lexiconVisible() const {
    return lexiconVisibleInMode() && getToolVisibility(CMiddleInterface::kToolLexicon);
}

void CRamexWindow::showHideToolButton(bool visible, int32_t whichButton) {
    if (whichButton == -1) {
        for (int32_t tool = 1; tool <= 3; ++tool)
            showHideToolButton(visible, tool);
        return;
    }
    if (whichButton < 1 || whichButton > 3) {
        bug("CRamexWindow::showHideToolButton (no such tool)", kErrInvalidParameter);
        return;
    }
    if (whichButton != 1 && isDocumentMode(theRamexApp.getMode()))
        visible = getToolVisibility(whichButton);
    applyToolButton(visible, whichButton);
}

void CRamexWindow::applyToolButton(bool visible, int32_t tool) {
    if (!visible && tool == currentTool && tool != 1)
        setTool(1);
    panel->setToolButtonVisible(tool, visible);
}

void CRamexWindow::cycleTool() {
    closePopUp();
    if (theRamexApp.getMode() != kModeDocument)
        return;
    const int32_t next =
        panel::nextToolOnTab(currentTool, getToolVisibility(2), getToolVisibility(3));
    if (next != currentTool)
        setTool(next);
}

void CRamexWindow::toolButtonClicked(int32_t tool) {
    closePopUp();
    setTool(tool);
}

void CRamexWindow::closePopUp() {
    scrollView->finishPopUpBox();
}

// ---- Dragging a word from the preview ------------------------------------------------------

void CRamexWindow::previewPressed(QMouseEvent& event) {
    closePopUp();
    if (theRamexApp.getMode() != kModeDocument || !lexiconVisible())
        return;
    if (currentTool != 1)
        setTool(1);
    const int32_t word = panel->currentlySelectedTree();
    if (word != 0)
        scrollView->startLexiconDrag(word, event.globalPosition().toPoint());
}

void CRamexWindow::previewMoved(QMouseEvent& event) {
    if (scrollView->gesture().isDragging())
        scrollView->dragMovedTo(event.globalPosition().toPoint());
}

void CRamexWindow::previewReleased(QMouseEvent& event) {
    if (scrollView->gesture().isDragging())
        scrollView->dragReleasedAt(event.globalPosition().toPoint());
}

// ---- The hook bridge -----------------------------------------------------------------------

void CRamexWindow::sendNonQueryMessageToScript(int32_t hook, int32_t node) {
    if (!theCTree || !theCTree->script())
        return;
    bool exists = false;
    bool answer = false;
    const RErr err = theCTree->script()->callInternalMessage(hook, node, 0, exists, answer);
    if (err)
        bug("CRamexWindow::sendNonQueryMessageToScript", err);
}

void CRamexWindow::sendQueryMessageToScript(int32_t hook, int32_t node1, int32_t node2,
                                            bool& messageExists, bool& result) {
    messageExists = false;
    result = false;
    if (!theCTree || !theCTree->script())
        return;
    const RErr err =
        theCTree->script()->callInternalMessage(hook, node1, node2, messageExists, result);
    if (err) {
        // The caller goes on as if the hook had not answered.
        messageExists = false;
        result = false;
        bug("CRamexWindow::sendQueryMessageToScript", err);
    }
}

// ---- Layout and the document's views -------------------------------------------------------

RErr CRamexWindow::attachPort() {
    if (!theCTree)
        return kNoErr;
    return attachDocumentPort(*theCTree, *theCPort);
}

void CRamexWindow::placeChildren() {
    const int32_t width = client->width();
    const int32_t height = client->height();
    closePopUp();
    panel->setGeometry(0, 0, panel::kPanelWidth, height);
    scrollView->setGeometry(toQRect(panel::canvasRect(width, height)));
    statusBarCtrl->setGeometry(toQRect(panel::statusBarRect(width, height)));
}

void CRamexWindow::showPanelForDocument() {
    showHideToolButton(true, -1);
    panel->setDocument(theCTree.get(), theCPort.get());
    report("CRamexWindow::OnPaint", panel->showLexicon(lexiconVisible()));
    statusBarCtrl->clearMessage();
    statusBarCtrl->show();
    scrollView->installParentValues(theCTree.get(), theCPort.get());
    scrollView->show();
}

void CRamexWindow::hidePanel() {
    showHideToolButton(false, -1);
    panel->showLexicon(false);
    statusBarCtrl->clearMessage();
    statusBarCtrl->hide();
    closePopUp();
    scrollView->hide();
}

void CRamexWindow::refreshDocumentViews() {
    if (theCTree && isDocumentMode(theRamexApp.getMode())) {
        // The settings as the whole step left them.
        for (int32_t tool = 2; tool <= 3; ++tool)
            applyToolButton(getToolVisibility(tool), tool);
        if (panel->lexiconShown() != lexiconVisible())
            report("CRamexWindow::refreshDocumentViews", panel->showLexicon(lexiconVisible()));
        rebuildAuthorMenus();
    }
    scrollView->documentChanged();
    panel->preview()->update();
}

RErr CRamexWindow::doUserInterfaceUndoTask(int32_t taskCode, int32_t value) {
    RErr err = kNoErr;
    switch (taskCode) {
    case kShowScissorsTask:
    case kShowSpyglassTask:
        // Undo runs this task before the setting it belongs to is restored, so the value
        // carried by the task decides; the panel is checked again once the step is done.
        applyToolButton(value != 0, taskCode);
        break;
    case kShowLexiconTask:
        err = panel->showLexicon(value != 0 && lexiconVisibleInMode());
        update();
        break;
    case kRebuildMenusTask:
        rebuildAuthorMenus();
        break;
    case kRefreshDrawingTask:
        err = attachPort();
        panel->preview()->update();
        scrollView->documentChanged();
        break;
    default:
        return reportError("CRamexWindow::doUserInterfaceUndoTask", kErrInvalidParameter);
    }
    return err;
}
