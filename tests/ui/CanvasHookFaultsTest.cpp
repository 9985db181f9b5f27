// Script hooks that fail, loop or delete the nodes a gesture holds: the canvas stays usable,
// the gesture's step closes and undo takes back what the hook did.
#include "UiTestSupport.h"

#include "ui/CDragImage.h"

#include <QWidget>

namespace {

std::string grammarWithHooks(const std::string& hooks) {
    return "categories: X N V D\nword dog: [NP [N' [N dog]]]\nword the: [DP [D' [D the] [NP]]]\n"
           "script:\ndefine variable i\n" +
           hooks + "end script\n";
}

const char* const kLoop = "  while 1 = 1\n    let i = i + 1\n  end while\n";

} // namespace

// A word is dropped on the empty position of another tree, with the built-in rules or while
// each hook deletes a node the gesture holds, or fails.
TEST_F(CanvasTest, HooksThatDeleteOrFailLeaveTheDocumentConsistent) {
    const std::pair<const char*, std::string> cases[] = {
        {"no hooks", ""},
        {"drag-from-lexicon kills every new NP",
         "define function drag-from-lexicon(n)\n  if label(n) eq \"NP\" then kill-node(n) end "
         "if\nend define\n"},
        {"is-landing-allowed kills the dragged tree",
         "define function is-landing-allowed(d, t)\n  kill-node(d)\n  return 1\nend define\n"},
        {"is-landing-allowed kills the target's tree",
         "define function is-landing-allowed(d, t)\n  kill-node(mother(mother(t)))\n  return 1\n"
         "end define\n"},
        {"drag-completed fails at run time",
         "define function drag-completed(d, t)\n  substitute(d, 99999)\n  set-color(t, "
         "\"green\")\nend define\n"},
        {"is-landing-allowed loops until stopped", "define function is-landing-allowed(d, t)\n" +
                                                       std::string(kLoop) +
                                                       "  return 1\nend define\n"},
    };
    for (const auto& [name, hooks] : cases) {
        SCOPED_TRACE(name);
        app.reset();
        platform.recorder.clear();
        openWith(grammarWithHooks(hooks));
        const int32_t the = placeWord("D", "the", QPoint(200, 60));
        const QPoint target = centreOf(lastDaughter(the, "D'"));
        const std::vector<std::string> before = documentState();
        const std::size_t steps = undoSteps();

        chooseWord("N", "dog");
        dragChosenWordTo(target);
        // No drag, picture, pointer grab or open step is left behind.
        EXPECT_EQ(bits({canvas().gesture().isDragging(), canvas().dragImage()->isShowing(),
                        QWidget::mouseGrabber() != nullptr, tree().undoStructure().isComposing()}),
                  "0000");
        const int32_t selected = canvas().getSelectedNode();
        EXPECT_TRUE(selected == 0 || tree().verifyNode(selected));
        EXPECT_TRUE(stringsAreConsistent(tree()));
        settle();
        if (hooks.empty()) {
            EXPECT_EQ(undoSteps(), steps + 1);
            EXPECT_EQ(scene(), "DP(D'(D(the) NP(N'(N(dog)))))@60,200 / -");
        }
        // Undo takes back the gesture and whatever the hooks did inside it; redo repeats it.
        if (undoSteps() > steps) {
            const std::vector<std::string> with = documentState();
            window().OnUndo();
            EXPECT_EQ(documentState(), before);
            window().OnRedo();
            EXPECT_EQ(documentState(), with);
            window().OnUndo();
            EXPECT_EQ(documentState(), before);
            EXPECT_TRUE(stringsAreConsistent(tree()));
        }
        // The canvas still works: a plain drop lands a new tree.
        EXPECT_NE(placeWord("D", "the", QPoint(450, 300)), 0);
        EXPECT_EQ(takeCalls(), "");
    }
}

TEST_F(CanvasTest, ScissorsDownThatKillsTheTrackedTreeIsUndoneOnRelease) {
    openWith(grammarWithHooks("define function scissors-down(n)\n  kill-node(mother(n))\nend "
                              "define\ndefine function scissors(n)\n  message(\"cut\")\nend "
                              "define\n"));
    const QPoint point = centreOf(findNode(placeWord("N", "dog", QPoint(200, 60)), "N"));
    const std::vector<std::string> before = documentState();
    window().setTool(2);
    press(point);
    moveTo(point + QPoint(1, 0));
    release(point);
    // The pressed node is gone, so the release is not on it: nothing was cut.
    EXPECT_NE(window().statusText(), "cut");
    EXPECT_EQ(undoSteps(), 1u);
    EXPECT_EQ(documentState(), before);
}

// The step budget stops the loop; the hook's answer after it still counts.
TEST_F(CanvasTest, IsDraggingAllowedThatLoopsStillLetsTheGestureFinish) {
    openWith(grammarWithHooks("define function is-dragging-allowed(n)\n" + std::string(kLoop) +
                              "  return is-root-node(n)\nend define\n"));
    const int32_t dog = placeWord("N", "dog", QPoint(200, 60));
    const std::size_t steps = undoSteps();
    // An inner node is refused after the loop: no step.
    const QPoint inner = centreOf(findNode(dog, "N'"));
    press(inner);
    EXPECT_FALSE(canvas().gesture().isDragging());
    release(inner);
    EXPECT_EQ(undoSteps(), steps);
    // The root is allowed: the drag runs and ends as one step.
    press(centreOf(dog));
    EXPECT_TRUE(canvas().gesture().isDragging());
    moveTo(QPoint(400, 300));
    release(QPoint(400, 300));
    EXPECT_EQ(undoSteps(), steps + 1);
    RPoint place;
    tree().getAbsolutePoint(dog, place);
    EXPECT_EQ(place, canvas().clientPointToPage(QPoint(400, 300)));
}

TEST_F(CanvasTest, AnInnerNodeAScriptLetsDragHasNoPictureAndNoReport) {
    openWith(grammarWithHooks("define function is-dragging-allowed(n)\n  return 1\nend define\n"
                              "define function is-landing-allowed(d, t)\n  return 1\nend define\n"
                              "define function drag-completed(d, t)\n  message(\"landed\")\nend "
                              "define\n"));
    const int32_t dog = placeWord("N", "dog", QPoint(200, 60));
    const int32_t other = placeWord("N", "dog", QPoint(450, 60));
    const std::string shape = qtreeOf(dog);
    press(centreOf(findNode(dog, "N'")));
    EXPECT_TRUE(canvas().gesture().isDragging());
    EXPECT_FALSE(canvas().dragImage()->isShowing());
    const QPoint onto = centreOf(findNode(other, "N"));
    moveTo(onto);
    release(onto);
    // The script decides what such a drop means; here it only answers.
    EXPECT_EQ(window().statusText(), "landed");
    EXPECT_EQ(qtreeOf(dog), shape);
}
