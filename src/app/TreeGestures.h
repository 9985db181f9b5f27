#pragma once

#include "base/ErrorCodes.h"
#include "drawing/RGeometry.h"

#include <cstdint>

class CTree;

// What the tree canvas's gestures ask of the window they run in.
class RTreeCanvasHost {
public:
    virtual ~RTreeCanvasHost() = default;
    virtual int32_t currentTool() const = 0;
    // The script's hooks; a failed call has been reported and counts as no answer.
    virtual void sendNonQueryMessageToScript(int32_t hook, int32_t node) = 0;
    virtual void sendQueryMessageToScript(int32_t hook, int32_t node1, int32_t node2,
                                          bool& messageExists, bool& result) = 0;
    // A rectangle in page coordinates to paint again; repaintAll for everything.
    virtual void repaintPageRect(const RRect& rect) = 0;
    virtual void repaintAll() = 0;
    virtual void updateMenus() = 0;
    virtual void finishPopUpBox() = 0;
    // The picture of the tree that follows the pointer; hotSpot is inside the picture.
    virtual void showDragImage(int32_t root) = 0;
    virtual void hideDragImage() = 0;
    virtual void captureMouse(bool on) = 0;
};

// The three tools of the tree canvas and dragging, without any window: presses, moves,
// releases and double-clicks in page coordinates. Every gesture is one undo step opened at
// the press and closed at the release; a gesture that comes to nothing leaves no step.
// Hooks may change or delete any node, so every node kept across a hook is checked again.
class CTreeGestures {
public:
    static constexpr int32_t kToolArrow = 1;
    static constexpr int32_t kToolScissors = 2;
    static constexpr int32_t kToolSpyglass = 3;

    explicit CTreeGestures(RTreeCanvasHost& host);

    // The document whose tree area is worked on (nullptr for none); clears every state.
    void installTree(CTree* tree);
    CTree* tree() const { return theCTree; }

    void press(const RPoint& point);
    void move(const RPoint& point, bool insideCanvas);
    void release(const RPoint& point, bool insideCanvas);
    void doubleClick(const RPoint& point);

    // A word dragged in from the lexicon: opens the drag step and drags a copy of its tree.
    void startLexiconDrag(int32_t word);

    void selectNode(int32_t node);
    int32_t getSelectedNode() const { return selectedNode; }
    // After undo, redo or a script command: forgets nodes that no longer exist.
    void documentChanged();

    bool isDragging() const { return dragging; }
    int32_t rootBeingDragged() const { return draggedNode; }
    bool isNovelDrag() const { return novelDraggedTree; }
    int32_t lastHitNode() const { return lastHit; }
    bool isTracking() const { return trackingScissors || trackingSpyglass; }
    // The image's hot spot: the top centre of the root's label, in the image.
    RErr dragHotSpot(int32_t root, RPoint& hotSpot);

    bool canDrag(int32_t node);
    bool canLand(int32_t dragged, int32_t target);
    void postProcess(int32_t dragged, int32_t target);

private:
    void startDragging(int32_t node, bool novel);
    void dragHitTest(const RPoint& point, bool insideCanvas);
    // Whether the drop happened inside the canvas.
    bool finishDragging(const RPoint& point, bool insideCanvas);
    RErr openStep(int32_t label);
    // Closes the step; a discarded one is undone and deleted without a trace.
    void closeStep(bool discard);
    void setMark(int32_t node, bool on);
    void repaintNode(int32_t node);
    bool isNode(int32_t node) const;
    bool isRoot(int32_t node) const;
    void report(const char* name, RErr err);

    RTreeCanvasHost& host;
    CTree* theCTree = nullptr;
    int32_t selectedNode = 0;
    bool ignoreMouseUp = false;
    bool dragging = false;
    int32_t draggedNode = 0;
    bool novelDraggedTree = false;
    int32_t lastHit = 0;
    bool lastCanLand = false;
    bool trackingScissors = false;
    bool trackingSpyglass = false;
    int32_t nodeBeingTracked = 0;
    bool wasInNodeLastTime = false;
    bool stepOpen = false;
    bool cleanBeforeStep = false;
};
