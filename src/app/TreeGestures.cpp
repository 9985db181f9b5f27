#include "app/TreeGestures.h"

#include "base/ErrorReporter.h"
#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CScript.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

namespace {

// The highlight and the tracking mark are drawn a pixel outside the node's box.
constexpr int32_t kMarkMargin = 2;

int32_t labelOfTool(int32_t tool) {
    switch (tool) {
    case CTreeGestures::kToolArrow:
        return kLabelDrag;
    case CTreeGestures::kToolScissors:
        return kLabelScissors;
    case CTreeGestures::kToolSpyglass:
        return kLabelMagnifyingGlass;
    default:
        return 0;
    }
}

} // namespace

CTreeGestures::CTreeGestures(RTreeCanvasHost& hostIn) : host(hostIn) {}

void CTreeGestures::installTree(CTree* tree) {
    theCTree = tree;
    selectedNode = 0;
    ignoreMouseUp = false;
    dragging = false;
    draggedNode = 0;
    novelDraggedTree = false;
    lastHit = 0;
    lastCanLand = false;
    trackingScissors = false;
    trackingSpyglass = false;
    nodeBeingTracked = 0;
    wasInNodeLastTime = false;
    stepOpen = false;
}

bool CTreeGestures::isNode(int32_t node) const {
    return theCTree && node != 0 && theCTree->verifyNode(node);
}

bool CTreeGestures::isRoot(int32_t node) const {
    int32_t mother = 0;
    return isNode(node) && !theCTree->getMother(node, mother) && mother == 0;
}

void CTreeGestures::report(const char* name, RErr err) {
    if (err)
        bug(name, err);
}

void CTreeGestures::repaintNode(int32_t node) {
    RRect box;
    if (!isNode(node) || theCTree->getNodeRect(node, box))
        return;
    CPort::insetRect(box, -kMarkMargin, -kMarkMargin);
    host.repaintPageRect(box);
}

void CTreeGestures::setMark(int32_t node, bool on) {
    if (!isNode(node))
        return;
    theCTree->setSelectedValue(node, on ? 1 : 0);
    repaintNode(node);
}

void CTreeGestures::selectNode(int32_t node) {
    if (!isNode(node))
        node = 0;
    if (node == selectedNode)
        return;
    setMark(selectedNode, false);
    selectedNode = node;
    setMark(selectedNode, true);
}

void CTreeGestures::documentChanged() {
    if (selectedNode != 0 && !isNode(selectedNode))
        selectedNode = 0;
    if (lastHit != 0 && !isNode(lastHit))
        lastHit = 0;
    if (nodeBeingTracked != 0 && !isNode(nodeBeingTracked))
        nodeBeingTracked = 0;
}

// ---- Undo steps ----------------------------------------------------------------------------

RErr CTreeGestures::openStep(int32_t label) {
    CUndoStructure& undo = theCTree->undoStructure();
    bool dirty = false;
    undo.isDirty(dirty);
    cleanBeforeStep = !dirty;
    const RErr err = undo.startTaskList(label);
    stepOpen = !err;
    return err;
}

void CTreeGestures::closeStep(bool discard) {
    if (!stepOpen || !theCTree)
        return;
    stepOpen = false;
    CUndoStructure& undo = theCTree->undoStructure();
    RErr err = undo.finishTaskList();
    if (!err && discard) {
        err = undo.undo();
        if (!err)
            err = undo.killLastTaskList();
        // A gesture that came to nothing must not make the document look changed.
        if (!err && cleanBeforeStep)
            err = undo.resetDirty();
        documentChanged();
    }
    report("CTreeGestures::closeStep", err);
}

// ---- Press, move, release -----------------------------------------------------------------

void CTreeGestures::press(const RPoint& point) {
    if (!theCTree)
        return;
    // A release that never arrived (the window lost the mouse) ends the last gesture first.
    if (dragging || isTracking())
        release(point, true);
    host.finishPopUpBox();
    int32_t node = 0;
    RErr err = theCTree->hitTest(point, kTreeOnWorkArea, node);
    ignoreMouseUp = false;
    if (err || node == 0) {
        ignoreMouseUp = true;
        selectNode(0);
        host.updateMenus();
        report("SubVexaScrollWindow::OnLButtonDown", err);
        return;
    }
    const int32_t tool = host.currentTool();
    const int32_t label = labelOfTool(tool);
    if (label == 0) {
        ignoreMouseUp = true;
        bug("SubVexaScrollWindow::OnLButtonDown (invalid tool)", kErrInvalidParameter);
        return;
    }
    err = openStep(label);
    if (err) {
        ignoreMouseUp = true;
        report("SubVexaScrollWindow::OnLButtonDown", err);
        return;
    }
    if (tool == kToolArrow) {
        if (!canDrag(node) || !isNode(node)) {
            closeStep(true);
            ignoreMouseUp = true;
            host.repaintAll();
            return;
        }
        startDragging(node, false);
        return;
    }
    trackingScissors = tool == kToolScissors;
    trackingSpyglass = tool == kToolSpyglass;
    nodeBeingTracked = node;
    host.sendNonQueryMessageToScript(
        trackingScissors ? CScript::kHookScissorsDown : CScript::kHookMagnifyingGlassDown, node);
    // The hook may have deleted the node; the press then tracks nothing.
    if (!isNode(nodeBeingTracked))
        nodeBeingTracked = 0;
    setMark(nodeBeingTracked, true);
    wasInNodeLastTime = nodeBeingTracked != 0;
    host.repaintAll();
}

void CTreeGestures::move(const RPoint& point, bool insideCanvas) {
    if (!theCTree)
        return;
    if (dragging) {
        dragHitTest(point, insideCanvas);
        return;
    }
    if (!isTracking() || !isNode(nodeBeingTracked))
        return;
    int32_t node = 0;
    if (insideCanvas)
        theCTree->hitTest(point, kTreeOnWorkArea, node);
    const bool inNode = node == nodeBeingTracked;
    if (inNode != wasInNodeLastTime) {
        setMark(nodeBeingTracked, inNode);
        wasInNodeLastTime = inNode;
    }
}

void CTreeGestures::release(const RPoint& point, bool insideCanvas) {
    if (!theCTree || ignoreMouseUp) {
        ignoreMouseUp = false;
        return;
    }
    if (isTracking())
        setMark(nodeBeingTracked, false);
    host.finishPopUpBox();
    int32_t node = 0;
    if (insideCanvas)
        theCTree->hitTest(point, kTreeOnWorkArea, node);
    bool discard = true;
    const int32_t tool = host.currentTool();
    if (dragging) {
        discard = !finishDragging(point, insideCanvas);
    } else if (isTracking()) {
        if (node != 0 && node == nodeBeingTracked) {
            discard = false;
            host.sendNonQueryMessageToScript(
                trackingScissors ? CScript::kHookScissors : CScript::kHookMagnifyingGlass, node);
        }
    } else if (labelOfTool(tool) == 0) {
        bug("SubVexaScrollWindow::OnLButtonUp (invalid tool)", kErrInvalidParameter);
    }
    host.repaintAll();
    closeStep(discard);
    trackingScissors = false;
    trackingSpyglass = false;
    nodeBeingTracked = 0;
    host.updateMenus();
}

void CTreeGestures::doubleClick(const RPoint& point) {
    if (!theCTree)
        return;
    ignoreMouseUp = true;
    if (host.currentTool() != kToolArrow)
        return;
    int32_t node = 0;
    RErr err = theCTree->hitTest(point, kTreeOnWorkArea, node);
    int32_t daughters = 0;
    if (!err && node != 0)
        err = theCTree->hasDaughters(node, daughters);
    if (err || daughters == 0) {
        report("SubVexaScrollWindow::OnLButtonDblClk", err);
        return;
    }
    int32_t roof = 0;
    err = theCTree->getTriangleValue(node, roof);
    if (!err)
        err = openStep(kLabelTriangle);
    if (!err) {
        err = theCTree->setTriangleValue(node, roof ? 0 : 1);
        closeStep(false);
    }
    host.repaintAll();
    host.updateMenus();
    report("SubVexaScrollWindow::OnLButtonDblClk", err);
}

// ---- Dragging ------------------------------------------------------------------------------

void CTreeGestures::startLexiconDrag(int32_t word) {
    if (!theCTree || !isRoot(word) || dragging || isTracking())
        return;
    const RErr err = openStep(kLabelDrag);
    if (err) {
        report("CRamexWindow::OnLButtonDown", err);
        return;
    }
    startDragging(word, true);
}

RErr CTreeGestures::dragHotSpot(int32_t root, RPoint& hotSpot) {
    RRect cumulative;
    RRect own;
    RErr err = theCTree->getNodeCumulativeRect(root, cumulative);
    if (!err)
        err = theCTree->getNodeRect(root, own);
    hotSpot = RPoint{0, own.left - cumulative.left + (own.right - own.left) / 2};
    return err;
}

void CTreeGestures::startDragging(int32_t node, bool novel) {
    ignoreMouseUp = false;
    selectNode(0);
    RErr err = kNoErr;
    if (novel) {
        int32_t copy = 0;
        err = theCTree->cloneTree(node, copy);
        node = copy;
    }
    if (err || !isNode(node)) {
        report("SubVexaScrollWindow::startDragging", err);
        closeStep(true);
        ignoreMouseUp = true;
        return;
    }
    draggedNode = node;
    novelDraggedTree = novel;
    lastHit = 0;
    lastCanLand = false;
    dragging = true;
    host.showDragImage(node);
    host.captureMouse(true);
}

bool CTreeGestures::canDrag(int32_t node) {
    bool exists = false;
    bool allowed = false;
    host.sendQueryMessageToScript(CScript::kHookIsDraggingAllowed, node, 0, exists, allowed);
    if (exists)
        return allowed;
    int32_t root = 0;
    const RErr err = theCTree->isRootNode(node, root);
    report("SubVexaScrollWindow::canDrag", err);
    return !err && root != 0;
}

bool CTreeGestures::canLand(int32_t dragged, int32_t target) {
    if (!isNode(dragged) || !isNode(target))
        return false;
    int32_t dominates = 0;
    RErr err = theCTree->dominate(dragged, target, dominates);
    if (err || dominates) {
        report("SubVexaScrollWindow::canLand", err);
        return false;
    }
    bool exists = false;
    bool allowed = false;
    host.sendQueryMessageToScript(CScript::kHookIsLandingAllowed, dragged, target, exists, allowed);
    if (exists)
        return allowed && isNode(dragged) && isNode(target);
    int32_t same = 0;
    int32_t daughters = 0;
    err = theCTree->same(dragged, target, same);
    if (!err)
        err = theCTree->hasDaughters(target, daughters);
    report("SubVexaScrollWindow::canLand", err);
    return !err && same != 0 && daughters == 0;
}

void CTreeGestures::postProcess(int32_t dragged, int32_t target) {
    if (!lastCanLand)
        return;
    bool exists = false;
    bool answer = false;
    host.sendQueryMessageToScript(CScript::kHookDragCompleted, dragged, target, exists, answer);
    if (exists || !isNode(dragged) || !isNode(target))
        return;
    int32_t same = 0;
    RErr err = theCTree->same(dragged, target, same);
    if (!err && same) {
        selectNode(0);
        err = theCTree->substitute(dragged, target);
    }
    report("SubVexaScrollWindow::postProcess", err);
}

void CTreeGestures::dragHitTest(const RPoint& point, bool insideCanvas) {
    int32_t node = 0;
    RErr err = kNoErr;
    if (insideCanvas)
        err = theCTree->hitTest(point, kTreeOnWorkArea, node);
    if (node != lastHit) {
        setMark(lastHit, false);
        lastCanLand = false;
        lastHit = 0;
        if (node != 0 && isNode(draggedNode)) {
            lastCanLand = canLand(draggedNode, node);
            // A landing hook may have deleted either node.
            if (!isNode(node))
                node = 0;
            if (lastCanLand && node != 0)
                setMark(node, true);
        }
        lastHit = node;
    }
    report("SubVexaScrollWindow::dragHitTest", err);
}

bool CTreeGestures::finishDragging(const RPoint& point, bool insideCanvas) {
    dragging = false;
    host.hideDragImage();
    host.captureMouse(false);
    setMark(lastHit, false);
    const int32_t root = draggedNode;
    draggedNode = 0;
    RErr err = kNoErr;
    if (!insideCanvas) {
        if (novelDraggedTree && isNode(root))
            err = theCTree->killRootNode(root);
        host.repaintAll();
        report("SubVexaScrollWindow::finishDragging", err);
        return false;
    }
    if (isRoot(root)) {
        selectNode(root);
        err = theCTree->setWhereIsTree(root, kTreeOnWorkArea);
        if (!err)
            err = theCTree->setAbsolutePoint(root, point);
        if (!err && novelDraggedTree)
            host.sendNonQueryMessageToScript(CScript::kHookDragFromLexicon, root);
    }
    if (!err && lastHit != 0 && isNode(root) && isNode(lastHit))
        postProcess(root, lastHit);
    // Only a tree of its own stays selected: a hook that put it into another tree leaves
    // no inner node marked.
    if (selectedNode != 0 && !isRoot(selectedNode))
        selectNode(0);
    lastHit = 0;
    lastCanLand = false;
    documentChanged();
    host.repaintAll();
    report("SubVexaScrollWindow::finishDragging", err);
    return true;
}
