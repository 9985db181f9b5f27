#pragma once

#include "undo/CStringTask.h"

class RUserInterfaceSink;

// A string task for text typed into a field. A whole typing run is one task: each further
// keystroke amends the new text in place. Done, it shows the new text with a caret at 0; undone,
// the old text with the selection that existed when typing began. A synchronized task puts the
// same text into a second cell (a word's citation form into its main terminal node's label).
class CTypingTask : public CStringTask {
public:
    // Done as a plain string task, without telling the user interface (the field already
    // shows the text).
    static RErr construct(CUndoStructure& undo, CTablet& tablet, CStringManager& strings,
                          RUserInterfaceSink& sink, int32_t record, int32_t attribute,
                          const CRString* text, int32_t selectionStart, int32_t selectionEnd,
                          CTypingTask*& task);

    // Must run while the list is still open.
    RErr addSynchronizedTask(CUndoStructure& undo, int32_t record, int32_t attribute,
                             const CRString* text);
    // Replaces the text of the new string entry in place (its ID stays), does the task again
    // and amends the synchronized task the same way.
    RErr amendNewValue(const CRString& text);

    RErr doSelf() override;
    RErr undoSelf() override;

    CTypingTask* synchronizedTask() const { return synchronizedTypingTask; }

private:
    CTypingTask(CUndoStructure& undo, CTablet& tablet, CStringManager& strings,
                RUserInterfaceSink& sink, int32_t record, int32_t attribute, int32_t selectionStart,
                int32_t selectionEnd);
    RErr doSilently();

    CUndoStructure& theUndoStructure; // owns this task; told when an amendment changes the text
    RUserInterfaceSink& theMiddleInterface;
    CTypingTask* synchronizedTypingTask = nullptr; // owned by the same task list
    int32_t selectionStart;
    int32_t selectionEnd;
};
