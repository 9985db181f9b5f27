#include "app/MenuState.h"
#include "app/CommandIds.h"
#include "app/Modes.h"
#include "model/CTree.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const std::vector<int32_t> kDrawingItems = {51, 52, 53, 54, 55, 56, 57, 58, 59, 63, 64, 65};

// The enabled state of `ids` in `state`; a missing item fails the test.
std::map<int32_t, bool> enabledStates(const RMenuState& state, const std::vector<int32_t>& ids) {
    std::map<int32_t, bool> out;
    for (int32_t id : ids) {
        const RMenuItemState* item = state.item(id);
        EXPECT_NE(item, nullptr) << id;
        if (item)
            out[id] = item->enabled;
    }
    return out;
}

std::vector<int32_t> checkedItems(const RMenuState& state) {
    std::vector<int32_t> out;
    for (const RMenuItemState& item : state.items)
        if (item.checked.value_or(false))
            out.push_back(item.commandId);
    return out;
}

std::vector<int32_t> enabledAmong(const RMenuState& state, const std::vector<int32_t>& ids) {
    std::vector<int32_t> out;
    for (const auto& [id, on] : enabledStates(state, ids))
        if (on)
            out.push_back(id);
    return out;
}

const std::vector<int32_t> kStudentFileAndEdit = {kCommandNew,           kCommandOpen,
                                                  kCommandClose,         kCommandSave,
                                                  kCommandSaveAs,        kCommandRevert,
                                                  kCommandChooseGrammar, kCommandNewGrammar,
                                                  kCommandOpenGrammar,   kCommandOpenCurrentGrammar,
                                                  kCommandPrintSetup,    kCommandPrint,
                                                  kCommandUndo,          kCommandRedo,
                                                  kCommandCut,           kCommandCopy,
                                                  kCommandPaste,         kCommandClear,
                                                  kCommandDuplicate,     kCommandSelectAll,
                                                  kCommandExportQTree,   kCommandFontAndSize};

RStudentMenuSituation openDocument(int32_t mode = kModeDocument) {
    RStudentMenuSituation situation;
    situation.mode = mode;
    situation.drawingKnown = true;
    return situation;
}

} // namespace

TEST(CommandIds, GrammarMenuCommandsRoundTripAndStopAtTheirEnds) {
    EXPECT_EQ(authorMenuCommand(1, 1), 3501);
    EXPECT_EQ(authorMenuCommand(1, 3), 3503);
    EXPECT_EQ(authorMenuCommand(1, 30), 3530);
    EXPECT_EQ(authorMenuCommand(2, 1), 3531);
    EXPECT_EQ(authorMenuCommand(2, 31), 3561);
    const std::vector<std::tuple<int32_t, bool, int32_t, int32_t>> cases = {
        {3500, false, 0, 0}, {3501, true, 1, 1},  {3530, true, 1, 30},
        {3531, true, 2, 1},  {3561, true, 2, 31}, {3562, false, 0, 0}};
    for (const auto& [command, known, menu, item] : cases) {
        int32_t number = 0;
        int32_t index = 0;
        EXPECT_EQ(authorMenuItem(command, number, index), known) << command;
        if (known) {
            EXPECT_EQ(number, menu) << command;
            EXPECT_EQ(index, item) << command;
        }
    }
}

TEST(StudentMenuState, WithoutADocumentOnlyTheStartingCommandsAreEnabled) {
    struct Case {
        int32_t mode;
        bool author;
        bool grammar;
        std::vector<int32_t> enabled;
    };
    const std::vector<Case> cases = {
        {kModeNoDocument, false, false, {1, 2, 7}},
        {kModeNoDocument, false, true, {1, 2, 7}},
        {kModeClosingDocument, true, false, {1, 2, 7, 8, 9}},
        {kModeNoDocument, true, true, {1, 2, 7, 8, 9, 10}},
    };
    for (const Case& c : cases) {
        RStudentMenuSituation situation;
        situation.mode = c.mode;
        situation.authorPrivileges = c.author;
        situation.haveSelectedGrammar = c.grammar;
        // Whatever a closed document left behind does not count.
        situation.undo.canUndo = true;
        situation.undo.dirty = true;
        situation.fileExistsOnlyInMemory = false;
        const RMenuState state = studentMenuState(situation);
        ASSERT_TRUE(state.modeServed);
        std::vector<int32_t> all = kStudentFileAndEdit;
        all.insert(all.end(), kDrawingItems.begin(), kDrawingItems.end());
        EXPECT_EQ(enabledAmong(state, all), c.enabled) << c.mode << c.author << c.grammar;
        EXPECT_TRUE(checkedItems(state).empty());
        for (int32_t id : kDrawingItems)
            EXPECT_EQ(state.item(id)->checked, false) << id;
        EXPECT_EQ(state.item(kCommandUndo)->label, "Can't Undo");
        EXPECT_EQ(state.item(kCommandRedo)->label, "Can't Redo");
        // Exit is never touched.
        EXPECT_EQ(state.item(kCommandExit), nullptr);
        EXPECT_EQ(state.err, kNoErr);
        EXPECT_TRUE(state.notes.empty());
    }
}

TEST(StudentMenuState, AnOpenDocumentFollowsDirtyFileUndoAndSelection) {
    struct Case {
        const char* name;
        int32_t mode;
        bool dirty;
        bool onlyInMemory;
        int32_t selectedNode;
        bool author;
        std::vector<int32_t> enabled; // among the File and Edit items and Font and Size
    };
    const std::vector<Case> cases = {
        {"fresh new document", kModeDocument, false, true, 0, false, {3, 12, 61}},
        {"changed new document", kModeDocument, true, true, 0, false, {3, 4, 12, 61}},
        {"opened, unchanged", kModeDocument, false, false, 0, false, {3, 5, 12, 61}},
        {"opened, changed", kModeDocument, true, false, 0, false, {3, 4, 5, 6, 12, 61}},
        {"node selected", kModeDocument, false, false, 7, false, {3, 5, 12, 24, 26, 29, 61}},
        {"opening, node selected", kModeOpeningDocument, false, false, 7, false, {3, 5, 12, 61}},
        {"author with grammar", kModeDocument, false, true, 0, true, {3, 10, 12, 61}},
    };
    for (const Case& c : cases) {
        RStudentMenuSituation situation = openDocument(c.mode);
        situation.undo.dirty = c.dirty;
        situation.fileExistsOnlyInMemory = c.onlyInMemory;
        situation.selectedNode = c.selectedNode;
        situation.authorPrivileges = c.author;
        situation.haveSelectedGrammar = true;
        const RMenuState state = studentMenuState(situation);
        EXPECT_EQ(enabledAmong(state, kStudentFileAndEdit), c.enabled) << c.name;
        for (int32_t id : kDrawingItems)
            EXPECT_TRUE(state.item(id)->enabled) << c.name << " " << id;
        EXPECT_EQ(state.err, kNoErr) << c.name;
    }
}

TEST(StudentMenuState, UndoAndRedoCarryTheLabelsOfTheirSteps) {
    struct Case {
        bool canUndo;
        int32_t undoLabel;
        bool canRedo;
        int32_t redoLabel;
        const char* undoText;
        const char* redoText;
    };
    const std::vector<Case> cases = {
        {false, 0, false, 0, "Can't Undo", "Can't Redo"},
        {true, kLabelMenu, false, 0, "Undo Menu", "Can't Redo"},
        {false, 0, true, kLabelDrawingPreferences, "Can't Undo", "Redo Drawing Preferences"},
        {true, kLabelDrag, true, kLabelScissors, "Undo Drag", "Redo Scissors"},
    };
    for (const Case& c : cases) {
        RStudentMenuSituation situation = openDocument();
        situation.undo.canUndo = c.canUndo;
        situation.undo.undoLabel = c.undoLabel;
        situation.undo.canRedo = c.canRedo;
        situation.undo.redoLabel = c.redoLabel;
        const RMenuState state = studentMenuState(situation);
        EXPECT_EQ(state.item(kCommandUndo)->label, c.undoText);
        EXPECT_EQ(state.item(kCommandUndo)->enabled, c.canUndo);
        EXPECT_EQ(state.item(kCommandRedo)->label, c.redoText);
        EXPECT_EQ(state.item(kCommandRedo)->enabled, c.canRedo);
    }
}

TEST(StudentMenuState, TheDrawingSettingsCheckOneItemOfEachGroup) {
    struct Case {
        RDrawingSettings settings;
        std::vector<int32_t> checked;
        std::vector<std::string> notes;
        RErr err;
    };
    const std::vector<Case> cases = {
        {{10, 16, 2, 0}, {52, 55, 58, 63}, {}, kNoErr},
        {{4, 7, 0, 1}, {51, 54, 57, 64}, {}, kNoErr},
        {{25, 24, 6, 2}, {53, 56, 59, 65}, {}, kNoErr},
        // A value outside its group leaves that group unchecked and fails the run.
        {{11, 16, 2, 0}, {55, 58, 63}, {}, kErrGeneral},
        {{10, 12, 3, 5}, {52}, {"lineHeight", "verticalPadding", "thickness"}, kErrGeneral},
    };
    for (const Case& c : cases) {
        RStudentMenuSituation situation = openDocument();
        situation.drawing = c.settings;
        const RMenuState state = studentMenuState(situation);
        EXPECT_EQ(checkedItems(state), c.checked);
        EXPECT_EQ(state.notes, c.notes);
        EXPECT_EQ(state.err, c.err);
        // Every Drawing item is a check item, checked or not.
        for (int32_t id : kDrawingItems)
            EXPECT_TRUE(state.item(id)->checked.has_value()) << id;
    }
}

TEST(StudentMenuState, AReadingErrorIsReportedOnceAndChecksNothing) {
    RStudentMenuSituation situation = openDocument();
    situation.drawingKnown = false;
    situation.readErr = kErrNotInitialized;
    situation.drawing.lineHeight = 99; // never read, so never judged
    const RMenuState state = studentMenuState(situation);
    EXPECT_EQ(state.err, kErrNotInitialized);
    EXPECT_TRUE(state.notes.empty());
    EXPECT_TRUE(checkedItems(state).empty());
    EXPECT_FALSE(state.item(kCommandSave)->enabled);

    // The first error wins over a setting outside its group.
    situation.drawingKnown = true;
    EXPECT_EQ(studentMenuState(situation).err, kErrNotInitialized);
}

TEST(StudentMenuState, TheAuthorModesAreNotTheMainWindows) {
    for (int32_t mode :
         std::vector<int32_t>{0, kModeSwitchingToAuthor, kModeAuthor, kModeQuitting}) {
        RStudentMenuSituation situation;
        situation.mode = mode;
        const RMenuState state = studentMenuState(situation);
        EXPECT_FALSE(state.modeServed) << mode;
        EXPECT_TRUE(state.items.empty()) << mode;
    }
}

TEST(StudentMenuState, ReadsTheDocumentsUndoSideAndDrawingSettings) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    RStudentMenuSituation situation = openDocument();
    situation.drawingKnown = false;
    ASSERT_EQ(readDocumentSituation(tree, situation), kNoErr);
    EXPECT_TRUE(situation.drawingKnown);
    EXPECT_FALSE(situation.undo.dirty);
    EXPECT_FALSE(situation.undo.canUndo);
    RMenuState state = studentMenuState(situation);
    EXPECT_EQ(checkedItems(state), (std::vector<int32_t>{52, 55, 58, 63}));
    EXPECT_EQ(state.err, kNoErr);

    // A drawing-preference step: undoable, relabels Undo, checks the new item; undone, it
    // checks the old item again and offers Redo.
    CUndoStructure& undo = tree.undoStructure();
    ASSERT_EQ(undo.startTaskList(kLabelDrawingPreferences), kNoErr);
    ASSERT_EQ(tree.setDrawingPref(9, 25, nullptr), kNoErr);
    ASSERT_EQ(undo.finishTaskList(), kNoErr);
    situation = openDocument();
    ASSERT_EQ(readDocumentSituation(tree, situation), kNoErr);
    state = studentMenuState(situation);
    EXPECT_EQ(checkedItems(state), (std::vector<int32_t>{53, 55, 58, 63}));
    EXPECT_EQ(state.item(kCommandUndo)->label, "Undo Drawing Preferences");
    EXPECT_TRUE(state.item(kCommandSave)->enabled);

    ASSERT_EQ(undo.undo(), kNoErr);
    situation = openDocument();
    ASSERT_EQ(readDocumentSituation(tree, situation), kNoErr);
    state = studentMenuState(situation);
    EXPECT_EQ(checkedItems(state), (std::vector<int32_t>{52, 55, 58, 63}));
    EXPECT_EQ(state.item(kCommandUndo)->label, "Can't Undo");
    EXPECT_EQ(state.item(kCommandRedo)->label, "Redo Drawing Preferences");
}

TEST(AuthorMenuState, TheSharedFileAndEditItemsFollowTheGrammar) {
    struct Case {
        const char* name;
        bool dirty;
        bool onlyInMemory;
        std::vector<int32_t> enabled;
    };
    const std::vector<int32_t> file = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const std::vector<Case> cases = {
        {"new grammar", false, true, {1, 3}},
        {"new grammar, changed", true, true, {1, 3, 4}},
        {"opened grammar", false, false, {1, 3, 5}},
        {"opened grammar, changed", true, false, {1, 3, 4, 5, 6}},
    };
    for (const Case& c : cases) {
        for (int32_t mode : {kModeSwitchingToAuthor, kModeAuthor}) {
            RAuthorMenuSituation situation;
            situation.mode = mode;
            situation.undo.dirty = c.dirty;
            situation.fileExistsOnlyInMemory = c.onlyInMemory;
            const RMenuState state = authorMenuState(situation);
            ASSERT_TRUE(state.modeServed);
            EXPECT_EQ(enabledAmong(state, file), c.enabled) << c.name;
            EXPECT_EQ(state.item(kCommandExit), nullptr);
        }
    }
    RAuthorMenuSituation situation;
    situation.undo.canUndo = true;
    situation.undo.undoLabel = kLabelCreateMother;
    RMenuState state = authorMenuState(situation);
    EXPECT_EQ(state.item(kCommandUndo)->label, "Undo Create Mother");
    EXPECT_TRUE(state.item(kCommandUndo)->enabled);
    EXPECT_EQ(state.item(kCommandRedo)->label, "Can't Redo");
    EXPECT_FALSE(state.item(kCommandRedo)->enabled);
    EXPECT_EQ(state.item(kCommandWords)->checked, true);

    for (int32_t mode : {kModeNoDocument, kModeDocument, kModeQuitting}) {
        situation.mode = mode;
        EXPECT_FALSE(authorMenuState(situation).modeServed) << mode;
    }
}

TEST(AuthorMenuState, EditItemsFollowTheFocusAndTheSelectedWord) {
    struct Case {
        const char* name;
        bool inField;
        bool selection;
        bool clipboard;
        bool word;
        std::vector<int32_t> enabled;
    };
    const std::vector<int32_t> edit = {23, 24, 25, 26, 27, 28};
    const std::vector<Case> cases = {
        {"nothing", false, false, false, false, {}},
        {"a word", false, false, true, true, {26, 27}},
        {"empty field", true, false, false, true, {}},
        {"field with clipboard", true, false, true, true, {25}},
        {"selected text", true, true, false, false, {23, 24, 26}},
        {"selected text and clipboard", true, true, true, true, {23, 24, 25, 26}},
    };
    for (const Case& c : cases) {
        RAuthorMenuSituation situation;
        situation.focusInEditField = c.inField;
        situation.editSelectionNotEmpty = c.selection;
        situation.clipboardHasText = c.clipboard;
        situation.wordSelected = c.word;
        EXPECT_EQ(enabledAmong(authorMenuState(situation), edit), c.enabled) << c.name;
    }
}

TEST(AuthorMenuState, NodeItemsFollowTheSelectedNodeAndTheViewIsChecked) {
    struct Case {
        const char* name;
        int32_t node;
        bool root;
        bool daughters;
        bool deletable;
        std::vector<int32_t> enabled;
    };
    const std::vector<int32_t> nodes = {91, 92, 93, 94, 95, 96, 97};
    const std::vector<Case> cases = {
        {"no node", 0, true, true, true, {}},
        {"bare root", 5, true, false, false, {91, 92}},
        {"root of one daughter", 5, true, true, true, {91, 93, 94, 97}},
        {"root of two daughters", 5, true, true, false, {91, 93, 94}},
        {"leaf", 9, false, false, true, {92, 95, 96, 97}},
        {"inner node", 9, false, true, true, {93, 94, 95, 96, 97}},
    };
    for (const Case& c : cases) {
        RAuthorMenuSituation situation;
        situation.selectedNode = c.node;
        situation.nodeIsRoot = c.root;
        situation.nodeHasDaughters = c.daughters;
        situation.nodeCanBeDeleted = c.deletable;
        EXPECT_EQ(enabledAmong(authorMenuState(situation), nodes), c.enabled) << c.name;
    }
    for (bool alphabetical : {true, false}) {
        RAuthorMenuSituation situation;
        situation.viewAlphabetically = alphabetical;
        const RMenuState state = authorMenuState(situation);
        const std::vector<int32_t> expected = {
            kCommandWords, alphabetical ? kCommandViewAlphabetically : kCommandViewByCategory};
        EXPECT_EQ(checkedItems(state), expected);
    }
}
