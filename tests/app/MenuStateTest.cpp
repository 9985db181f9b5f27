#include "app/MenuState.h"
#include "AppTestSupport.h"
#include "app/CommandIds.h"
#include "app/Modes.h"
#include "app/PictureExport.h"
#include "model/TreeAttributes.h"

namespace {

using Ids = std::vector<int32_t>;
using Labels = std::pair<std::string, std::string>;
const Ids kDrawingItems = {51, 52, 53, 54, 55, 56, 57, 58, 59, 63, 64, 65};
// File 1-12, Edit 21-29 with Redo as 10022, Font and Size 61.
const Ids kStudentFileAndEdit = {1,  2,  3,     4,  5,  6,  7,  8,  9,  10, 11,
                                 12, 21, 10022, 23, 24, 25, 26, 27, 28, 29, 61};

Ids checkedItems(const RMenuState& state) {
    Ids out;
    for (const RMenuItemState& item : state.items)
        if (item.checked.value_or(false))
            out.push_back(item.commandId);
    return out;
}

// Which of `ids` are enabled; a missing item fails the test.
Ids enabledAmong(const RMenuState& state, const Ids& ids) {
    Ids out;
    for (int32_t id : ids) {
        const RMenuItemState* item = state.item(id);
        EXPECT_NE(item, nullptr) << id;
        if (item && item->enabled)
            out.push_back(id);
    }
    return out;
}

RStudentMenuSituation openDocument(int32_t mode = kModeDocument) {
    RStudentMenuSituation situation;
    situation.mode = mode;
    situation.drawingKnown = true;
    return situation;
}

// A situation by its leading fields, in their order; the rest keep their defaults.
RStudentMenuSituation student(int32_t mode, bool authorPrivileges = false,
                              bool haveSelectedGrammar = false, bool fileExistsOnlyInMemory = true,
                              RUndoSituation undo = {}, int32_t selectedNode = 0,
                              bool drawingKnown = false) {
    RStudentMenuSituation situation;
    situation.mode = mode;
    situation.authorPrivileges = authorPrivileges;
    situation.haveSelectedGrammar = haveSelectedGrammar;
    situation.fileExistsOnlyInMemory = fileExistsOnlyInMemory;
    situation.undo = undo;
    situation.selectedNode = selectedNode;
    situation.drawingKnown = drawingKnown;
    return situation;
}

Labels undoRedoLabels(const RMenuState& state) {
    return {state.item(kCommandUndo)->label, state.item(kCommandRedo)->label};
}

} // namespace

TEST(CommandIds, GrammarMenuCommandsRoundTripAndStopAtTheirEnds) {
    const std::tuple<int32_t, bool, int32_t, int32_t> cases[] = {
        {3500, false, 0, 0}, {3501, true, 1, 1},  {3503, true, 1, 3}, {3530, true, 1, 30},
        {3531, true, 2, 1},  {3561, true, 2, 31}, {3562, false, 0, 0}};
    for (const auto& [command, known, menu, item] : cases) {
        int32_t number = 0;
        int32_t index = 0;
        EXPECT_EQ(authorMenuItem(command, number, index), known) << command;
        if (known) {
            EXPECT_EQ(std::make_pair(number, index), std::make_pair(menu, item)) << command;
            EXPECT_EQ(authorMenuCommand(menu, item), command);
        }
    }
}

// Situations are written in the order of their fields: mode, author privileges, a grammar
// selected, file only in memory, {dirty, can undo, undo label, can redo, redo label}, selected
// node, drawing settings known, the settings.
TEST(StudentMenuState, WithoutADocumentOnlyTheStartingCommandsAreEnabled) {
    // Whatever a closed document left behind does not count.
    const std::pair<RStudentMenuSituation, Ids> cases[] = {
        {student(kModeNoDocument, false, false, false, {true, true}), {1, 2, 7}},
        {student(kModeNoDocument, false, true, false, {true, true}), {1, 2, 7}},
        {student(kModeClosingDocument, true, false, false, {true, true}), {1, 2, 7, 8, 9}},
        {student(kModeNoDocument, true, true, false, {true, true}), {1, 2, 7, 8, 9, 10}},
    };
    Ids all = kStudentFileAndEdit;
    all.insert(all.end(), kDrawingItems.begin(), kDrawingItems.end());
    all.push_back(kCommandExportPicture);
    for (const auto& [situation, enabled] : cases) {
        SCOPED_TRACE(::testing::Message() << situation.mode << situation.authorPrivileges
                                          << situation.haveSelectedGrammar);
        const RMenuState state = studentMenuState(situation);
        ASSERT_TRUE(state.modeServed);
        EXPECT_EQ(enabledAmong(state, all), enabled);
        EXPECT_TRUE(checkedItems(state).empty());
        for (int32_t id : kDrawingItems)
            EXPECT_EQ(state.item(id)->checked, false) << id;
        EXPECT_EQ(undoRedoLabels(state), (Labels{"Can't Undo", "Can't Redo"}));
        EXPECT_EQ(state.item(kCommandExit), nullptr); // Exit is never touched
        EXPECT_EQ(std::make_pair(state.err, state.notes.size()), std::make_pair(kNoErr, size_t{0}));
    }
    // The author modes are not the main window's.
    for (int32_t mode : Ids{0, kModeSwitchingToAuthor, kModeAuthor, kModeQuitting}) {
        const RMenuState state = studentMenuState(student(mode));
        EXPECT_FALSE(state.modeServed) << mode;
        EXPECT_TRUE(state.items.empty()) << mode;
    }
}

TEST(StudentMenuState, AnOpenDocumentFollowsDirtyFileUndoAndSelection) {
    const auto doc = kModeDocument;
    const std::pair<RStudentMenuSituation, Ids> cases[] = {
        {student(doc, false, true, true, {false}, 0, true), {3, 12, 61}},
        {student(doc, false, true, true, {true}, 0, true), {3, 4, 12, 61}},
        {student(doc, false, true, false, {false}, 0, true), {3, 5, 12, 61}},
        {student(doc, false, true, false, {true}, 0, true), {3, 4, 5, 6, 12, 61}},
        {student(doc, false, true, false, {false}, 7, true), {3, 5, 12, 24, 26, 29, 61}},
        {student(kModeOpeningDocument, false, true, false, {false}, 7, true), {3, 5, 12, 61}},
        {student(doc, true, true, true, {false}, 0, true), {3, 10, 12, 61}},
    };
    Ids drawing = kDrawingItems;
    drawing.push_back(kCommandExportPicture);
    for (const auto& [situation, enabled] : cases) {
        SCOPED_TRACE(::testing::Message()
                     << situation.mode << situation.undo.dirty << situation.fileExistsOnlyInMemory
                     << situation.selectedNode << situation.authorPrivileges);
        const RMenuState state = studentMenuState(situation);
        EXPECT_EQ(enabledAmong(state, kStudentFileAndEdit), enabled);
        EXPECT_EQ(enabledAmong(state, drawing), drawing);
        EXPECT_EQ(state.err, kNoErr);
    }
}

TEST(StudentMenuState, UndoAndRedoCarryTheLabelsOfTheirStepsAndTheSettingsCheckTheirItems) {
    const std::pair<RUndoSituation, Labels> undos[] = {
        {{false, false, 0, false, 0}, {"Can't Undo", "Can't Redo"}},
        {{false, true, kLabelMenu, false, 0}, {"Undo Menu", "Can't Redo"}},
        {{false, false, 0, true, kLabelDrawingPreferences},
         {"Can't Undo", "Redo Drawing Preferences"}},
        {{false, true, kLabelDrag, true, kLabelScissors}, {"Undo Drag", "Redo Scissors"}},
    };
    for (const auto& [undo, labels] : undos) {
        const RMenuState state =
            studentMenuState(student(kModeDocument, false, false, true, undo, 0, true));
        EXPECT_EQ(undoRedoLabels(state), labels);
        EXPECT_EQ(state.item(kCommandUndo)->enabled, undo.canUndo);
        EXPECT_EQ(state.item(kCommandRedo)->enabled, undo.canRedo);
    }

    const std::tuple<RDrawingSettings, Ids, std::vector<std::string>, RErr> cases[] = {
        {{10, 16, 2, 0}, {52, 55, 58, 63}, {}, kNoErr},
        {{4, 7, 0, 1}, {51, 54, 57, 64}, {}, kNoErr},
        {{25, 24, 6, 2}, {53, 56, 59, 65}, {}, kNoErr},
        // A value outside its group leaves that group unchecked and fails the run.
        {{11, 16, 2, 0}, {55, 58, 63}, {}, kErrGeneral},
        {{10, 12, 3, 5}, {52}, {"lineHeight", "verticalPadding", "thickness"}, kErrGeneral},
    };
    for (const auto& [settings, checked, notes, err] : cases) {
        RStudentMenuSituation situation = openDocument();
        situation.drawing = settings;
        const RMenuState state = studentMenuState(situation);
        EXPECT_EQ(checkedItems(state), checked);
        EXPECT_EQ(state.notes, notes);
        EXPECT_EQ(state.err, err);
        for (int32_t id : kDrawingItems) // every Drawing item is a check item
            EXPECT_TRUE(state.item(id)->checked.has_value()) << id;
    }

    // A reading error is reported once and checks nothing; it wins over a setting outside
    // its group, which is never judged.
    RStudentMenuSituation situation{kModeDocument, false, false, true, {}, 0, false, {10, 99}};
    situation.readErr = kErrNotInitialized;
    const RMenuState state = studentMenuState(situation);
    EXPECT_EQ(state.err, kErrNotInitialized);
    EXPECT_TRUE(state.notes.empty());
    EXPECT_TRUE(checkedItems(state).empty());
    EXPECT_FALSE(state.item(kCommandSave)->enabled);
    situation.drawingKnown = true;
    EXPECT_EQ(studentMenuState(situation).err, kErrNotInitialized);
}

TEST(StudentMenuState, ReadsTheDocumentsUndoSideAndDrawingSettings) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    auto read = [&tree](bool dirty) {
        RStudentMenuSituation situation = openDocument();
        situation.drawingKnown = false;
        EXPECT_EQ(readDocumentSituation(tree, situation), kNoErr);
        EXPECT_TRUE(situation.drawingKnown);
        EXPECT_EQ(situation.undo.dirty, dirty);
        return studentMenuState(situation);
    };
    RMenuState state = read(false);
    EXPECT_EQ(checkedItems(state), (Ids{52, 55, 58, 63}));
    EXPECT_EQ(undoRedoLabels(state), (Labels{"Can't Undo", "Can't Redo"}));
    EXPECT_EQ(state.err, kNoErr);

    // A drawing-preference step: undoable, relabels Undo, checks the new item; undone, it
    // checks the old item again and offers Redo.
    ASSERT_EQ(
        inStep(tree, kLabelDrawingPreferences, [&] { return tree.setDrawingPref(9, 25, nullptr); }),
        kNoErr);
    state = read(true);
    EXPECT_EQ(checkedItems(state), (Ids{53, 55, 58, 63}));
    EXPECT_EQ(state.item(kCommandUndo)->label, "Undo Drawing Preferences");
    EXPECT_TRUE(state.item(kCommandSave)->enabled);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    state = read(true);
    EXPECT_EQ(checkedItems(state), (Ids{52, 55, 58, 63}));
    EXPECT_EQ(undoRedoLabels(state), (Labels{"Can't Undo", "Redo Drawing Preferences"}));
}

TEST(StudentMenuState, DrawingCommandsSetOneSettingAndFontSizesAreClamped) {
    const std::tuple<int32_t, int32_t, int32_t> table[] = {
        {51, kHdrHorizontalPadding, 4},  {52, kHdrHorizontalPadding, 10},
        {53, kHdrHorizontalPadding, 25}, {54, kHdrLineHeight, 7},
        {55, kHdrLineHeight, 16},        {56, kHdrLineHeight, 24},
        {57, kHdrVerticalPadding, 0},    {58, kHdrVerticalPadding, 2},
        {59, kHdrVerticalPadding, 6},    {63, kHdrThickness, 0},
        {64, kHdrThickness, 1},          {65, kHdrThickness, 2}};
    for (const auto& [command, attribute, value] : table) {
        int32_t gotAttribute = 0;
        int32_t gotValue = -1;
        ASSERT_TRUE(drawingCommandSetting(command, gotAttribute, gotValue)) << command;
        EXPECT_EQ(std::make_pair(gotAttribute, gotValue), std::make_pair(attribute, value));
    }
    int32_t attribute = 0;
    int32_t value = 0;
    for (int32_t other : {50, 60, 61, 62, 66, kCommandExportPicture})
        EXPECT_FALSE(drawingCommandSetting(other, attribute, value)) << other;
    // Tenths are cut off, then the size kept within 8 and 144.
    for (const auto& [tenths, size] :
         {std::pair{2000, 144}, {60, 8}, {125, 12}, {1449, 144}, {89, 8}})
        EXPECT_EQ(fontSizeFromDialog(tenths), size) << tenths;
}

TEST(AuthorMenuState, TheSharedFileAndEditItemsFollowTheGrammar) {
    // dirty, only in memory
    const std::tuple<bool, bool, Ids> cases[] = {
        {false, true, {1, 3}},
        {true, true, {1, 3, 4}},
        {false, false, {1, 3, 5}},
        {true, false, {1, 3, 4, 5, 6}},
    };
    for (const auto& [dirty, onlyInMemory, enabled] : cases) {
        for (int32_t mode : {kModeSwitchingToAuthor, kModeAuthor}) {
            const RMenuState state = authorMenuState({mode, onlyInMemory, {dirty}});
            ASSERT_TRUE(state.modeServed);
            EXPECT_EQ(enabledAmong(state, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), enabled)
                << dirty << onlyInMemory;
            EXPECT_EQ(state.item(kCommandExit), nullptr);
        }
    }
    RAuthorMenuSituation situation{kModeAuthor, true, {false, true, kLabelCreateMother}};
    const RMenuState state = authorMenuState(situation);
    EXPECT_EQ(undoRedoLabels(state), (Labels{"Undo Create Mother", "Can't Redo"}));
    EXPECT_TRUE(state.item(kCommandUndo)->enabled);
    EXPECT_FALSE(state.item(kCommandRedo)->enabled);
    EXPECT_EQ(state.item(kCommandWords)->checked, true);
    for (int32_t mode : {kModeNoDocument, kModeDocument, kModeQuitting}) {
        situation.mode = mode;
        EXPECT_FALSE(authorMenuState(situation).modeServed) << mode;
    }

    // The lexicon editor's shared items only: its own are left to it.
    const RMenuState shared =
        authorSharedMenuState({kModeAuthor, false, {true, true, kLabelTyping}});
    ASSERT_TRUE(shared.modeServed);
    EXPECT_TRUE(shared.item(kCommandRevert)->enabled);
    EXPECT_FALSE(shared.item(kCommandOpen)->enabled);
    EXPECT_EQ(undoRedoLabels(shared), (Labels{"Undo Typing", "Can't Redo"}));
    EXPECT_EQ(shared.item(kCommandCut), nullptr);
    EXPECT_EQ(shared.item(kCommandCreateMother), nullptr);
    RAuthorMenuSituation inDocument;
    inDocument.mode = kModeDocument;
    EXPECT_FALSE(authorSharedMenuState(inDocument).modeServed);
}

// Situations: mode, only in memory, undo, focus in a field, selected text, clipboard text, a
// word selected, alphabetical view, selected node, a root, with daughters, deletable.
TEST(AuthorMenuState, EditAndNodeItemsFollowTheFocusTheWordAndTheNode) {
    const auto a = kModeAuthor;
    const std::pair<RAuthorMenuSituation, Ids> edits[] = {
        {{a, true, {}, false, false, false, false}, {}},
        {{a, true, {}, false, false, true, true}, {26, 27}},
        {{a, true, {}, true, false, false, true}, {}},
        {{a, true, {}, true, false, true, true}, {25}},
        {{a, true, {}, true, true, false, false}, {23, 24, 26}},
        {{a, true, {}, true, true, true, true}, {23, 24, 25, 26}},
    };
    for (const auto& [situation, enabled] : edits)
        EXPECT_EQ(enabledAmong(authorMenuState(situation), {23, 24, 25, 26, 27, 28}), enabled)
            << situation.focusInEditField << situation.editSelectionNotEmpty
            << situation.clipboardHasText << situation.wordSelected;
    const std::pair<RAuthorMenuSituation, Ids> nodes[] = {
        {{a, true, {}, false, false, false, false, true, 0, true, true, true}, {}},
        {{a, true, {}, false, false, false, false, true, 5, true, false, false}, {91, 92}},
        {{a, true, {}, false, false, false, false, true, 5, true, true, true}, {91, 93, 94, 97}},
        {{a, true, {}, false, false, false, false, true, 5, true, true, false}, {91, 93, 94}},
        {{a, true, {}, false, false, false, false, true, 9, false, false, true}, {92, 95, 96, 97}},
        {{a, true, {}, false, false, false, false, true, 9, false, true, true},
         {93, 94, 95, 96, 97}},
    };
    for (const auto& [situation, enabled] : nodes)
        EXPECT_EQ(enabledAmong(authorMenuState(situation), {91, 92, 93, 94, 95, 96, 97}), enabled)
            << situation.selectedNode << situation.nodeIsRoot << situation.nodeHasDaughters
            << situation.nodeCanBeDeleted;
    for (bool alphabetical : {true, false})
        EXPECT_EQ(
            checkedItems(authorMenuState({a, true, {}, false, false, false, false, alphabetical})),
            (Ids{kCommandWords,
                 alphabetical ? kCommandViewAlphabetically : kCommandViewByCategory}));
}
