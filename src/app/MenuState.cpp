#include "app/MenuState.h"

#include "app/CommandIds.h"
#include "app/Modes.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace {

// One group of the Drawing menu: the setting's three values and their items in order.
struct RDrawingGroup {
    int32_t RDrawingSettings::*setting;
    int32_t attribute; // of the header record
    int32_t values[3];
    int32_t commands[3];
    const char* note; // reported with code 0 before a value outside the group; may be null
};

const RDrawingGroup kDrawingGroups[] = {
    {&RDrawingSettings::horizontalPadding,
     kHdrHorizontalPadding,
     {4, 10, 25},
     {kCommandSkinnyWidth, kCommandMediumWidth, kCommandFatWidth},
     nullptr},
    {&RDrawingSettings::lineHeight,
     kHdrLineHeight,
     {7, 16, 24},
     {kCommandShortLines, kCommandMediumLines, kCommandTallLines},
     "lineHeight"},
    {&RDrawingSettings::verticalPadding,
     kHdrVerticalPadding,
     {0, 2, 6},
     {kCommandShortGap, kCommandMediumGap, kCommandTallGap},
     "verticalPadding"},
    {&RDrawingSettings::thickness,
     kHdrThickness,
     {0, 1, 2},
     {kCommandThinLines, kCommandMediumThickness, kCommandThickLines},
     "thickness"},
};

// Builds a state item by item; a later setting of the same item replaces the earlier one.
class CMenuStateBuilder {
public:
    explicit CMenuStateBuilder(RMenuState& state) : theState(state) {}

    RMenuItemState& at(int32_t commandId) {
        for (RMenuItemState& item : theState.items)
            if (item.commandId == commandId)
                return item;
        theState.items.push_back(RMenuItemState{commandId, false, std::nullopt, std::string()});
        return theState.items.back();
    }
    void enable(std::initializer_list<int32_t> ids, bool on) {
        for (int32_t id : ids)
            at(id).enabled = on;
    }
    void check(int32_t commandId, bool on) { at(commandId).checked = on; }
    void undoAndRedo(const RUndoSituation& undo) {
        at(kCommandUndo).enabled = undo.canUndo;
        at(kCommandUndo).label = undoItemLabel(undo.canUndo, undo.undoLabel);
        at(kCommandRedo).enabled = undo.canRedo;
        at(kCommandRedo).label = redoItemLabel(undo.canRedo, undo.redoLabel);
    }
    void fail(RErr err) {
        if (!theState.err)
            theState.err = err;
    }

private:
    RMenuState& theState;
};

void setDrawingItems(CMenuStateBuilder& menus, bool enabled) {
    for (const RDrawingGroup& group : kDrawingGroups)
        for (int32_t id : group.commands) {
            menus.enable({id}, enabled);
            menus.check(id, false);
        }
    menus.enable({kCommandFontAndSize}, enabled);
}

void checkDrawingItems(CMenuStateBuilder& menus, const RDrawingSettings& settings,
                       RMenuState& state) {
    for (const RDrawingGroup& group : kDrawingGroups) {
        const int32_t value = settings.*group.setting;
        const int32_t* found = std::find(std::begin(group.values), std::end(group.values), value);
        if (found != std::end(group.values)) {
            menus.check(group.commands[found - std::begin(group.values)], true);
            continue;
        }
        if (group.note)
            state.notes.push_back(group.note);
        menus.fail(kErrGeneral);
    }
}

RMenuState studentWithoutDocument(const RStudentMenuSituation& situation) {
    RMenuState state;
    CMenuStateBuilder menus(state);
    menus.enable({kCommandNew, kCommandOpen, kCommandChooseGrammar}, true);
    // The author's commands need the author's privileges.
    menus.enable({kCommandNewGrammar, kCommandOpenGrammar}, situation.authorPrivileges);
    menus.enable({kCommandOpenCurrentGrammar},
                 situation.authorPrivileges && situation.haveSelectedGrammar);
    menus.enable({kCommandClose, kCommandSave, kCommandSaveAs, kCommandRevert, kCommandPrintSetup,
                  kCommandPrint, kCommandCut, kCommandCopy, kCommandPaste, kCommandClear,
                  kCommandDuplicate, kCommandSelectAll, kCommandExportQTree, kCommandExportPicture},
                 false);
    menus.undoAndRedo(RUndoSituation{});
    setDrawingItems(menus, false);
    return state;
}

RMenuState studentWithDocument(const RStudentMenuSituation& situation) {
    RMenuState state;
    CMenuStateBuilder menus(state);
    menus.fail(situation.readErr);
    menus.enable({kCommandClose, kCommandPrint, kCommandExportPicture}, true);
    menus.enable({kCommandNew, kCommandOpen, kCommandPrintSetup, kCommandChooseGrammar,
                  kCommandNewGrammar, kCommandOpenGrammar},
                 false);
    menus.enable({kCommandOpenCurrentGrammar},
                 situation.authorPrivileges && situation.haveSelectedGrammar);
    const bool inFile = !situation.fileExistsOnlyInMemory;
    menus.enable({kCommandSave}, situation.undo.dirty);
    menus.enable({kCommandSaveAs}, inFile);
    menus.enable({kCommandRevert}, situation.undo.dirty && inFile);
    menus.enable({kCommandCut, kCommandCopy, kCommandPaste, kCommandClear, kCommandDuplicate,
                  kCommandSelectAll, kCommandExportQTree},
                 false);
    // What works on the selected node needs the finished document and a selection.
    if (situation.mode == kModeDocument && situation.selectedNode != 0)
        menus.enable({kCommandCopy, kCommandClear, kCommandExportQTree}, true);
    menus.undoAndRedo(situation.undo);
    setDrawingItems(menus, true);
    if (situation.drawingKnown)
        checkDrawingItems(menus, situation.drawing, state);
    return state;
}

} // namespace

const RMenuItemState* RMenuState::item(int32_t commandId) const& {
    for (const RMenuItemState& entry : items)
        if (entry.commandId == commandId)
            return &entry;
    return nullptr;
}

std::string undoItemLabel(bool canUndo, int32_t label) {
    return canUndo ? std::string("Undo ") + undoString(label) : std::string("Can't Undo");
}

std::string redoItemLabel(bool canRedo, int32_t label) {
    return canRedo ? std::string("Redo ") + undoString(label) : std::string("Can't Redo");
}

RMenuState studentMenuState(const RStudentMenuSituation& situation) {
    switch (situation.mode) {
    case kModeClosingDocument:
    case kModeNoDocument:
        return studentWithoutDocument(situation);
    case kModeOpeningDocument:
    case kModeDocument:
        return studentWithDocument(situation);
    default: {
        RMenuState state;
        state.modeServed = false;
        return state;
    }
    }
}

bool drawingCommandSetting(int32_t commandId, int32_t& attribute, int32_t& value) {
    for (const RDrawingGroup& group : kDrawingGroups)
        for (std::size_t i = 0; i < std::size(group.commands); ++i)
            if (group.commands[i] == commandId) {
                attribute = group.attribute;
                value = group.values[i];
                return true;
            }
    return false;
}

int32_t fontSizeFromDialog(int32_t tenthsOfPoint) {
    return std::clamp(tenthsOfPoint / 10, 8, 144);
}

RErr readUndoSituation(CTree& tree, RUndoSituation& undo) {
    const CUndoStructure& history = tree.undoStructure();
    RErr err = history.isDirty(undo.dirty);
    if (!err)
        err = history.canUndo(undo.canUndo);
    if (!err && undo.canUndo)
        err = history.currentUndoLabel(undo.undoLabel);
    if (!err)
        err = history.canRedo(undo.canRedo);
    if (!err && undo.canRedo)
        err = history.currentRedoLabel(undo.redoLabel);
    return err;
}

RErr readDocumentSituation(CTree& tree, RStudentMenuSituation& situation) {
    RErr err = readUndoSituation(tree, situation.undo);
    if (!err) {
        int32_t fontSize = 0;
        const CRString* fontName = nullptr;
        RDrawingSettings& drawing = situation.drawing;
        err = tree.getDrawingPrefs(drawing.horizontalPadding, drawing.lineHeight,
                                   drawing.verticalPadding, drawing.thickness, fontSize, fontName);
        situation.drawingKnown = !err;
    }
    if (!situation.readErr)
        situation.readErr = err;
    return err;
}

namespace {

// The items the four author windows share: File, Undo and Redo.
void setSharedAuthorItems(CMenuStateBuilder& menus, const RAuthorMenuSituation& situation) {
    menus.enable({kCommandNew, kCommandClose}, true);
    menus.enable({kCommandOpen, kCommandChooseGrammar, kCommandNewGrammar, kCommandOpenGrammar,
                  kCommandOpenCurrentGrammar, kCommandPrintSetup, kCommandPrint},
                 false);
    const bool inFile = !situation.fileExistsOnlyInMemory;
    menus.enable({kCommandSave}, situation.undo.dirty);
    menus.enable({kCommandSaveAs}, inFile);
    menus.enable({kCommandRevert}, situation.undo.dirty && inFile);
    menus.undoAndRedo(situation.undo);
}

bool authorModeServed(const RAuthorMenuSituation& situation, RMenuState& state) {
    state.modeServed = situation.mode == kModeSwitchingToAuthor || situation.mode == kModeAuthor;
    return state.modeServed;
}

} // namespace

RMenuState authorSharedMenuState(const RAuthorMenuSituation& situation) {
    RMenuState state;
    if (!authorModeServed(situation, state))
        return state;
    CMenuStateBuilder menus(state);
    menus.fail(situation.readErr);
    setSharedAuthorItems(menus, situation);
    return state;
}

RMenuState authorMenuState(const RAuthorMenuSituation& situation) {
    RMenuState state = authorSharedMenuState(situation);
    if (!state.modeServed)
        return state;
    CMenuStateBuilder menus(state);

    // Edit: inside an edit field the items work on its text, outside it on the selected word.
    const bool inField = situation.focusInEditField;
    menus.enable({kCommandCut, kCommandCopy}, inField && situation.editSelectionNotEmpty);
    menus.enable({kCommandPaste}, inField && situation.clipboardHasText);
    menus.enable({kCommandClear},
                 inField ? situation.editSelectionNotEmpty : situation.wordSelected);
    menus.enable({kCommandDuplicate}, !inField && situation.wordSelected);
    menus.enable({kCommandSelectAll}, false);

    // Windows and Words: the editor is the Words window; the view is one of two.
    menus.enable({kCommandWords, kCommandViewAlphabetically, kCommandViewByCategory}, true);
    menus.check(kCommandWords, true);
    menus.check(kCommandViewAlphabetically, situation.viewAlphabetically);
    menus.check(kCommandViewByCategory, !situation.viewAlphabetically);

    // Nodes
    const bool node = situation.selectedNode != 0;
    const bool root = situation.nodeIsRoot;
    const bool daughters = situation.nodeHasDaughters;
    menus.enable({kCommandCreateMother}, node && root);
    menus.enable({kCommandCreateSisterToLeft, kCommandCreateSisterToRight}, node && !root);
    menus.enable({kCommandCreateDaughter}, node && !daughters);
    menus.enable({kCommandCreateDaughterToLeft, kCommandCreateDaughterToRight}, node && daughters);
    menus.enable({kCommandDeleteNode}, node && situation.nodeCanBeDeleted);
    return state;
}
