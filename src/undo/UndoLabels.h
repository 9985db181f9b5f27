#pragma once

#include <cstdint>

// Labels of task lists: the Edit menu shows "Undo " or "Redo " followed by the label's text.
enum RUndoLabel : int32_t {
    kLabelNewDatabase = 0,
    kLabelLoadDatabase = 1,
    kLabelTyping = 2,
    kLabelNewTree = 3,
    kLabelCreateDaughter = 4,
    kLabelCreateSister = 5,
    kLabelCreateMother = 6,
    kLabelChangeColor = 7,
    kLabelChangeCategory = 8,
    kLabelChangeAttribute = 9,
    kLabelDeleteNode = 10,
    kLabelNewCategory = 11,
    kLabelDeleteCategory = 12,
    kLabelNewFeature = 13,
    kLabelDeleteFeature = 14,
    kLabelDuplicateWord = 15,
    kLabelClearWord = 16,
    kLabelDrag = 17,
    kLabelScissors = 18,
    kLabelMagnifyingGlass = 19,
    kLabelMenu = 20,
    kLabelTriangle = 21,
    kLabelDrawingPreferences = 22,
    // A list opened only because a change primitive needs one, around work that must never be
    // undoable; it is closed and the history cleared at once.
    kLabelNeverUndoable = 777,
};

constexpr int32_t kUndoLabelCount = 23;

// The label's text; "" for labels outside the table.
const char* undoString(int32_t label);
