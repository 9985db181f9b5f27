#include "app/MenuState.h"
#include "AppTestSupport.h"
#include "app/CommandIds.h"
#include "app/Modes.h"
#include "model/TreeAttributes.h"

#include <algorithm>

namespace {

constexpr bool T = true;
constexpr bool F = false;

// A situation by its leading fields; the rest keep their defaults.
RStudentMenuSituation student(int32_t mode, bool author = F, bool grammar = F, bool inMemory = T,
                              RUndoSituation undo = {}, int32_t node = 0, bool known = F,
                              RDrawingSettings drawing = {}, RErr readErr = kNoErr) {
    return {mode, author, grammar, inMemory, undo, node, known, drawing, readErr};
}

// The sorted ids as runs, "1-3 7 10022".
std::string runs(std::vector<int32_t> ids) {
    std::sort(ids.begin(), ids.end());
    std::string out;
    for (std::size_t i = 0, j = 0; i < ids.size(); i = ++j) {
        while (j + 1 < ids.size() && ids[j + 1] == ids[j] + 1)
            ++j;
        out += (out.empty() ? "" : " ") + std::to_string(ids[i]) +
               (j > i ? "-" + std::to_string(ids[j]) : "");
    }
    return out;
}

// "<items> items; on <enabled>; <check items> checks[: <checked>]", then the Undo and Redo
// labels unless both say "Can't", the error and the notes when there are any.
std::string menu(const RMenuState& state) {
    if (!state.modeServed)
        return state.items.empty() ? "not served" : "not served, with items";
    EXPECT_EQ(state.item(kCommandExit), nullptr); // Exit is never touched
    std::vector<int32_t> on, checked;
    int checks = 0;
    for (const RMenuItemState& item : state.items) {
        if (item.enabled)
            on.push_back(item.commandId);
        if (item.checked && *item.checked)
            checked.push_back(item.commandId);
        checks += item.checked.has_value();
    }
    std::string out = std::to_string(state.items.size()) + " items; on " + runs(on) + "; " +
                      std::to_string(checks) + " checks" +
                      (checked.empty() ? "" : ": " + runs(checked));
    const RMenuItemState* undo = state.item(kCommandUndo);
    const RMenuItemState* redo = state.item(kCommandRedo);
    const std::string labels = (undo ? undo->label : "?") + "/" + (redo ? redo->label : "?");
    if (labels != "Can't Undo/Can't Redo")
        out += "; " + labels;
    if (state.err)
        out += "; err " + std::to_string(state.err);
    for (const std::string& note : state.notes)
        out += " " + note;
    return out;
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

// Situations in the order of their fields: mode, author privileges, a grammar selected, file
// only in memory, {dirty, can undo, undo label, can redo, redo label}, selected node, drawing
// settings known, the settings.
TEST(StudentMenuState, EachSituationGivesItsMenus) {
    const auto none = kModeNoDocument;
    const auto doc = kModeDocument;
    // The plain open document, and one with its drawing settings known.
    const std::string open = "35 items; on 3 12 14 51-59 61 63-65; 12 checks";
    auto drawn = [](RDrawingSettings settings, RErr readErr = kNoErr, bool known = T) {
        return student(kModeDocument, F, F, T, {}, 0, known, settings, readErr);
    };
    const std::pair<RStudentMenuSituation, std::string> cases[] = {
        // Without a document, whatever a closed one left behind does not count.
        {student(none, F, F, F, {T, T}), "35 items; on 1-2 7; 12 checks"},
        {student(none, F, T, F, {T, T}), "35 items; on 1-2 7; 12 checks"},
        {student(kModeClosingDocument, T, F, F, {T, T}), "35 items; on 1-2 7-9; 12 checks"},
        {student(none, T, T, F, {T, T}), "35 items; on 1-2 7-10; 12 checks"},
        {student(doc, F, T, T, {F}), open},
        {student(doc, F, T, T, {T}), "35 items; on 3-4 12 14 51-59 61 63-65; 12 checks"},
        {student(doc, F, T, F, {F}), "35 items; on 3 5 12 14 51-59 61 63-65; 12 checks"},
        {student(doc, F, T, F, {T}), "35 items; on 3-6 12 14 51-59 61 63-65; 12 checks"},
        {student(doc, F, T, F, {F}, 7),
         "35 items; on 3 5 12 14 24 26 29 51-59 61 63-65; 12 checks"},
        {student(kModeOpeningDocument, F, T, F, {F}, 7),
         "35 items; on 3 5 12 14 51-59 61 63-65; 12 checks"},
        {student(doc, T, T, T, {F}), "35 items; on 3 10 12 14 51-59 61 63-65; 12 checks"},
        {student(doc, F, F, T, {F, T, kLabelMenu}),
         "35 items; on 3 12 14 21 51-59 61 63-65; 12 checks; Undo Menu/Can't Redo"},
        {student(doc, F, F, T, {F, F, 0, T, kLabelDrawingPreferences}),
         "35 items; on 3 12 14 51-59 61 63-65 10022; 12 checks; Can't Undo/Redo Drawing "
         "Preferences"},
        {student(doc, F, F, T, {F, T, kLabelDrag, T, kLabelScissors}),
         "35 items; on 3 12 14 21 51-59 61 63-65 10022; 12 checks; Undo Drag/Redo Scissors"},
        // A value outside its group leaves that group unchecked and fails the run; a reading
        // error wins over it.
        {drawn({}), open + ": 52 55 58 63"},
        {drawn({4, 7, 0, 1}), open + ": 51 54 57 64"},
        {drawn({25, 24, 6, 2}), open + ": 53 56 59 65"},
        {drawn({11, 16, 2, 0}), open + ": 55 58 63; err 1000"},
        {drawn({10, 12, 3, 5}), open + ": 52; err 1000 lineHeight verticalPadding thickness"},
        {drawn({10, 99}, kErrNotInitialized, F), open + "; err 1002"},
        {drawn({10, 99}, kErrNotInitialized), open + ": 52 58 63; err 1002 lineHeight"},
        // The author modes are not the main window's.
        {student(0), "not served"},
        {student(kModeSwitchingToAuthor), "not served"},
        {student(kModeAuthor), "not served"},
        {student(kModeQuitting), "not served"},
    };
    for (const auto& [situation, expected] : cases)
        EXPECT_EQ(menu(studentMenuState(situation)), expected);
}

TEST(StudentMenuState, ReadsTheDocumentsUndoSideAndDrawingSettings) {
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    auto read = [&tree] {
        RStudentMenuSituation situation = student(kModeDocument);
        EXPECT_EQ(readDocumentSituation(tree, situation), kNoErr);
        return menu(studentMenuState(situation));
    };
    EXPECT_EQ(read(), "35 items; on 3 12 14 51-59 61 63-65; 12 checks: 52 55 58 63");
    ASSERT_EQ(
        inStep(tree, kLabelDrawingPreferences, [&] { return tree.setDrawingPref(9, 25, nullptr); }),
        kNoErr);
    EXPECT_EQ(read(), "35 items; on 3-4 12 14 21 51-59 61 63-65; 12 checks: 53 55 58 63; Undo "
                      "Drawing Preferences/Can't Redo");
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(read(), "35 items; on 3-4 12 14 51-59 61 63-65 10022; 12 checks: 52 55 58 63; "
                      "Can't Undo/Redo Drawing Preferences");
}

TEST(StudentMenuState, DrawingCommandsSetOneSettingAndFontSizesAreClamped) {
    const std::tuple<int32_t, int32_t, int32_t> table[] = {{51, kHdrHorizontalPadding, 4},
                                                           {56, kHdrLineHeight, 24},
                                                           {58, kHdrVerticalPadding, 2},
                                                           {65, kHdrThickness, 2}};
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

TEST(AuthorMenuState, TheSharedItemsFollowTheGrammarAndTheRestTheFocusTheWordAndTheNode) {
    for (int32_t mode : {kModeSwitchingToAuthor, kModeAuthor}) {
        // Dirty, only in memory.
        const std::tuple<bool, bool, const char*> files[] = {
            {F, T, "30 items; on 1 3 71 83-84; 3 checks: 71 83"},
            {T, T, "30 items; on 1 3-4 71 83-84; 3 checks: 71 83"},
            {F, F, "30 items; on 1 3 5 71 83-84; 3 checks: 71 83"},
            {T, F, "30 items; on 1 3-6 71 83-84; 3 checks: 71 83"}};
        for (const auto& [dirty, onlyInMemory, expected] : files)
            EXPECT_EQ(menu(authorMenuState({mode, onlyInMemory, {dirty}})), expected) << mode;
    }
    EXPECT_EQ(menu(authorMenuState({kModeAuthor, T, {F, T, kLabelCreateMother}})),
              "30 items; on 1 3 21 71 83-84; 3 checks: 71 83; Undo Create Mother/Can't Redo");
    // The lexicon editor's shared items only: its own are left to it.
    EXPECT_EQ(menu(authorSharedMenuState({kModeAuthor, F, {T, T, kLabelTyping}})),
              "14 items; on 1 3-6 21; 0 checks; Undo Typing/Can't Redo");
    for (int32_t mode : {kModeNoDocument, kModeDocument, kModeQuitting}) {
        EXPECT_EQ(menu(authorMenuState({mode, T, {}})), "not served");
        EXPECT_EQ(menu(authorSharedMenuState({mode, T, {}})), "not served");
    }

    // Focus in a field, text selected in it, text on the clipboard, a word selected.
    const std::tuple<bool, bool, bool, bool, const char*> edits[] = {
        {F, F, T, T, "26-27"},    {T, F, F, T, ""},      {T, F, T, T, "25"},
        {T, T, F, F, "23-24 26"}, {T, T, T, T, "23-26"}, {F, F, F, F, ""}};
    for (const auto& [focus, selection, clipboard, word, on] : edits)
        EXPECT_EQ(menu(authorMenuState({kModeAuthor, T, {}, focus, selection, clipboard, word})),
                  "30 items; on 1 3 " + std::string(on) + (*on ? " " : "") +
                      "71 83-84; 3 checks: 71 83");
    // The selected node, a root, with daughters, deletable; viewed by category.
    const std::tuple<int32_t, bool, bool, bool, const char*> nodes[] = {
        {0, T, T, T, ""},          {5, T, F, F, " 91-92"},    {5, T, T, T, " 91 93-94 97"},
        {5, T, T, F, " 91 93-94"}, {9, F, F, T, " 92 95-97"}, {9, F, T, T, " 93-97"}};
    for (const auto& [node, root, daughters, deletable, on] : nodes)
        EXPECT_EQ(menu(authorMenuState(
                      {kModeAuthor, T, {}, F, F, F, F, F, node, root, daughters, deletable})),
                  "30 items; on 1 3 71 83-84" + std::string(on) + "; 3 checks: 71 84");
}
