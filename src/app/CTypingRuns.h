#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>
#include <functional>

class CRString;
class CTree;
class CTypingTask;

// The text cell an edit field stands for, and optionally a second cell that follows every
// change of it (a word's citation form carries its main terminal node's label along).
struct RTypingField {
    int32_t record = 0;
    int32_t attribute = 0;
    int32_t followingRecord = 0; // 0: no second cell
    int32_t followingAttribute = 0;
};

// Runs of keystrokes in the author windows' edit fields, each run one undo step "Typing"
// whose one task is amended in place by every further keystroke. The run ends when the field
// loses the focus, a menu opens, a node is clicked or any other command opens an undo step.
// The database comes from `tree` at each call, so the runs outlive the grammars they edit.
class CTypingRuns {
public:
    CTypingRuns(std::function<CTree*()> tree, std::function<void()> redraw);

    // The field is about to change: opens the step unless a run is in progress or the program
    // itself is changing the field. The selection is the field's before the change; undoing
    // the run puts it back.
    RErr beforeTyping(const RTypingField& field, int32_t selectionStart, int32_t selectionEnd);
    // The field's whole text after the change, written into the cell at once (1000 without a
    // run; nothing while the program is changing the field).
    RErr type(const CRString& text);
    // Ends the run, then redraws the author windows.
    void afterTyping();
    // A field got the focus: only a redraw.
    void newFocus();
    // Forgets the run without a redraw: the grammar it belonged to is going away.
    void forget() { currentTypingTask = nullptr; }

    // True while a run's step is the last one opened in the current grammar.
    bool inProgress() const;
    CTypingTask* task() const { return inProgress() ? currentTypingTask : nullptr; }

    // While set, changes of a field are the program's own (showing a text) and start no run.
    bool ignoreNextChangeNotification = false;

private:
    std::function<CTree*()> treeOf;
    std::function<void()> redrawAll;
    CTypingTask* currentTypingTask = nullptr; // owned by the grammar's undo history
    CTree* runTree = nullptr;
    uint64_t runListNumber = 0; // the undo history's count of opened lists after the run began
};

// Shows a text in a field without starting a run: sets the flag for the duration of `show`.
class CProgramChange {
public:
    explicit CProgramChange(CTypingRuns& runs)
        : theRuns(runs), was(runs.ignoreNextChangeNotification) {
        runs.ignoreNextChangeNotification = true;
    }
    ~CProgramChange() { theRuns.ignoreNextChangeNotification = was; }
    CProgramChange(const CProgramChange&) = delete;
    CProgramChange& operator=(const CProgramChange&) = delete;

private:
    CTypingRuns& theRuns;
    bool was;
};
