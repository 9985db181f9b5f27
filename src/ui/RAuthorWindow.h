#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>

class CRString;

// What the lexicon editor asks of the other three author windows (the categories and features
// dialogs, the script window), which attach themselves to it with their window code.
class RAuthorWindow {
public:
    virtual ~RAuthorWindow() = default;

    // The editor's redraw: the window's own menus and controls. The File, Undo and Redo items
    // are set for all four windows by the editor afterwards.
    virtual void updateFromEditor() = 0;
    // A typing task on one of this window's records was done or redone (its new text, the
    // selection 0..0) or undone (its old text, the selection before the run). text is nullptr
    // for the empty text.
    virtual RErr showTypedText(int32_t record, int32_t attribute, const CRString* text,
                               int32_t selectionStart, int32_t selectionEnd) = 0;
    // A selection an undo step asks for (user-interface tasks 7 and 8), applied at the redraw.
    virtual RErr requestSelection(int32_t record) {
        (void)record;
        return kNoErr;
    }
    // A grammar was opened for authoring.
    virtual void resetForNewGrammar() {}
};
