#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CTree;

// The state of one fixed menu item as the menu rules decide it.
struct RMenuItemState {
    int32_t commandId = 0;
    bool enabled = false;
    std::optional<bool> checked; // set for the check items: checked or not
    std::string label;           // not empty: the item's new text
};

// What the menu rules decide: the items they name (any other item keeps its state), the
// texts reported with code 0 first, and the error reported at the end under the caller's name.
struct RMenuState {
    bool modeServed = true; // false: the mode has no such menus; nothing changes, the caller bugs
    std::vector<RMenuItemState> items;
    std::vector<std::string> notes;
    RErr err = kNoErr;

    // The item's state; nullptr when the rules leave it alone. Not on a temporary: the
    // pointer would outlive the state it points into.
    const RMenuItemState* item(int32_t commandId) const&;
    const RMenuItemState* item(int32_t commandId) const&& = delete;
};

// The undo side of an open document or grammar.
struct RUndoSituation {
    bool dirty = false;
    bool canUndo = false;
    int32_t undoLabel = 0;
    bool canRedo = false;
    int32_t redoLabel = 0;
};

// The document's drawing settings behind the Drawing menu's three groups and the thickness.
struct RDrawingSettings {
    int32_t horizontalPadding = 10;
    int32_t lineHeight = 16;
    int32_t verticalPadding = 2;
    int32_t thickness = 0;
};

// What the main window's menu bar depends on.
struct RStudentMenuSituation {
    int32_t mode = 2;
    bool authorPrivileges = false;
    bool haveSelectedGrammar = false;
    bool fileExistsOnlyInMemory = true;
    RUndoSituation undo;
    int32_t selectedNode = 0; // on the canvas; 0 when none
    // False when the settings could not be read: no Drawing item is checked then.
    bool drawingKnown = false;
    RDrawingSettings drawing;
    RErr readErr = kNoErr; // the first error met while reading the document
};

// The File, Edit, Drawing and Text items of the main window in `situation`.
RMenuState studentMenuState(const RStudentMenuSituation& situation);

// The header attribute and value a Drawing command sets; false for any other command.
bool drawingCommandSetting(int32_t commandId, int32_t& attribute, int32_t& value);

// The font size a font dialog's answer in tenths of a point stores: whole points, 8 to 144.
int32_t fontSizeFromDialog(int32_t tenthsOfPoint);

// Fills the document's part of the situation (the undo side and the drawing settings). The
// first error stops the reading, is kept in readErr and returned; what was read stays.
RErr readDocumentSituation(CTree& tree, RStudentMenuSituation& situation);

// What the lexicon editor's menu bar and the items the four author windows share depend on.
struct RAuthorMenuSituation {
    int32_t mode = 6;
    bool fileExistsOnlyInMemory = true;
    RUndoSituation undo;
    bool focusInEditField = false;
    bool editSelectionNotEmpty = false;
    bool clipboardHasText = false;
    bool wordSelected = false;
    bool viewAlphabetically = true;
    int32_t selectedNode = 0; // in the word's tree; 0 when none
    bool nodeIsRoot = false;
    bool nodeHasDaughters = false;
    bool nodeCanBeDeleted = false;
    RErr readErr = kNoErr;
};

// The File, Edit, Windows, Words and Nodes items of the lexicon editor in `situation`.
RMenuState authorMenuState(const RAuthorMenuSituation& situation);
// Only the items all four author windows share: File, Undo and Redo.
RMenuState authorSharedMenuState(const RAuthorMenuSituation& situation);

// Fills the undo side from a database; the first error is returned.
RErr readUndoSituation(CTree& tree, RUndoSituation& undo);

// "Undo Menu", "Can't Undo", "Redo Drawing Preferences", "Can't Redo" ...
std::string undoItemLabel(bool canUndo, int32_t label);
std::string redoItemLabel(bool canRedo, int32_t label);
