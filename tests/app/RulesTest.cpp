#include "app/CLexiconEditing.h"
#include "app/CommandIds.h"
#include "app/LexiconEditorRules.h"
#include "app/MenuState.h"
#include "app/Modes.h"
#include "app/NameListSteps.h"
#include "app/PanelGeometry.h"
#include "app/PictureExport.h"
#include "app/PrintPages.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "script/RecordingUserInterface.h"
#include "storage/CRString.h"
#include "support/TestSupport.h"
#include "support/TreeTestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

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

// "<items>:<check items> <enabled>[ |<checked>]", then the Undo and Redo labels that are not
// "Can't ...", the error and the notes when there are any. The Drawing menu, 51-59 61 63-65,
// is "D" when all of it is enabled.
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
    std::string enabled = runs(on);
    const std::size_t drawing = enabled.find("51-59 61 63-65");
    if (drawing != std::string::npos)
        enabled.replace(drawing, 14, "D");
    std::string out = std::to_string(state.items.size()) + ":" + std::to_string(checks) + " " +
                      enabled + (checked.empty() ? "" : " |" + runs(checked));
    std::string labels;
    for (const int32_t id : {kCommandUndo, kCommandRedo}) {
        const RMenuItemState* item = state.item(id);
        const std::string label = item ? item->label : "?";
        if (label != (id == kCommandUndo ? "Can't Undo" : "Can't Redo"))
            labels += (labels.empty() ? "; " : "/") + label;
    }
    out += labels + (state.err ? "; err " + std::to_string(state.err) : "");
    for (const std::string& note : state.notes)
        out += " " + note;
    return out;
}

std::string str(const RRect& r) {
    return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
           "," + std::to_string(r.right);
}

// The top-left corners of the pages for the trees' boxes on pages of 650 by 900 hundredths.
std::string pages(const std::vector<RRect>& boxes, int32_t width = 650, int32_t height = 900) {
    std::string out;
    for (const RPrintPage& page : printPages(boxes, width, height))
        out +=
            (out.empty() ? "" : " ") + std::to_string(page.left) + "," + std::to_string(page.top);
    return out;
}

// A standard grammar (X N V A P) with one word of category N whose leaf is a V, and the
// user-interface tasks recorded.
class NameListStepsTest : public ::testing::Test {
protected:
    NameListStepsTest() {
        EXPECT_EQ(tree.createTree(true), kNoErr);
        tree.script()->middleInterface().installCRamexApp(&ui);
        EXPECT_EQ(inStep(tree, kLabelNewTree,
                         [&] {
                             RErr err = tree.newRoot(word);
                             err = err ? err : tree.newDaughterToLeft(word, leaf);
                             err = err ? err : tree.setWordCategory(word, category("N"));
                             return err ? err : tree.setNodeCategory(leaf, category("V"));
                         }),
                  kNoErr);
        ui.clear();
    }
    int32_t category(const std::string& name) {
        int32_t record = 0;
        tree.convertCategoryLabelToIndex(CRString(name, 1), record);
        return record;
    }
    // The list's names in order, then the window tasks since the last look as "code:value".
    std::string names(const RNameListKind& kind) {
        std::vector<int32_t> array;
        EXPECT_EQ(NameListSteps::sortedRecords(tree, kind, array), kNoErr);
        std::string out;
        for (std::size_t i = 1; i < array.size(); ++i)
            out += NameListSteps::nameOf(tree, array[i]) + " ";
        out += "|";
        for (const auto& request : ui.requestsOfKind(RecordingUserInterface::Kind::UndoTask))
            out += " " + std::to_string(request.first) + ":" + std::to_string(request.second);
        ui.clear();
        return out;
    }
    // The step just done, under `label`, shows `done`: undone it gives back `before` and shows
    // `undone`, redone the state it made and `done` again.
    void roundTrip(const DatabaseState& before, int32_t label, const RNameListKind& kind,
                   const std::string& done, const std::string& undone) {
        int32_t current = 0;
        EXPECT_EQ(tree.undoStructure().currentUndoLabel(current), kNoErr);
        EXPECT_EQ(current, label);
        EXPECT_EQ(names(kind), done);
        const DatabaseState after = captureState(tree);
        ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
        EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
        EXPECT_EQ(names(kind), undone);
        ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
        EXPECT_TRUE(sameStateAllowingGrowth(after, captureState(tree)));
        EXPECT_EQ(names(kind), done);
        EXPECT_TRUE(stringsAreConsistent(tree));
    }

    RecordingPlatformScope platform;
    RecordingUserInterface ui;
    CTree tree;
    int32_t word = 0;
    int32_t leaf = 0;
};

} // namespace

TEST(CommandIds, GrammarMenuCommandsRoundTripAndDrawingCommandsSetOneSetting) {
    std::string out; // menu.item for each command, "!" when the item gives another command
    for (const int32_t command : {3500, 3501, 3503, 3530, 3531, 3561, 3562}) {
        int32_t number = 0, index = 0;
        out += !authorMenuItem(command, number, index)
                   ? "- "
                   : std::to_string(number) + "." + std::to_string(index) +
                         (authorMenuCommand(number, index) == command ? " " : "! ");
    }
    EXPECT_EQ(out, "- 1.1 1.3 1.30 2.1 2.31 - ");
    // The drawing commands set one setting each; font sizes are cut to whole points, then
    // kept within 8 and 144.
    out.clear();
    for (const int32_t command : {50, 51, 56, 58, 60, 61, 62, 65, 66, kCommandExportPicture}) {
        int32_t attribute = 0, value = 0;
        out += drawingCommandSetting(command, attribute, value)
                   ? std::to_string(attribute) + "=" + std::to_string(value) + " "
                   : "- ";
    }
    for (const int32_t tenths : {2000, 60, 125, 1449, 89})
        out += " " + std::to_string(fontSizeFromDialog(tenths));
    EXPECT_EQ(out, "- 9=4 11=24 10=2 - - - 14=2 - -  144 8 12 144 8");
}

// Situations in the order of their fields: mode, author privileges, a grammar selected, file
// only in memory, {dirty, can undo, undo label, can redo, redo label}, selected node, drawing
// settings known, the settings.
TEST(StudentMenuState, EachSituationGivesItsMenus) {
    const auto none = kModeNoDocument;
    const auto doc = kModeDocument;
    const std::string open = "35:12 3 12 14 D"; // the plain open document
    auto drawn = [](RDrawingSettings settings, RErr readErr = kNoErr, bool known = T) {
        return student(kModeDocument, F, F, T, {}, 0, known, settings, readErr);
    };
    const std::pair<RStudentMenuSituation, std::string> cases[] = {
        // Without a document, whatever a closed one left behind does not count.
        {student(none, F, F, F, {T, T}), "35:12 1-2 7"},
        {student(none, F, T, F, {T, T}), "35:12 1-2 7"},
        {student(kModeClosingDocument, T, F, F, {T, T}), "35:12 1-2 7-9"},
        {student(none, T, T, F, {T, T}), "35:12 1-2 7-10"},
        {student(doc, F, T, T, {F}), open},
        {student(doc, F, T, T, {T}), "35:12 3-4 12 14 D"},
        {student(doc, F, T, F, {F}), "35:12 3 5 12 14 D"},
        {student(doc, F, T, F, {T}), "35:12 3-6 12 14 D"},
        {student(doc, F, T, F, {F}, 7), "35:12 3 5 12 14 24 26 29 D"},
        {student(kModeOpeningDocument, F, T, F, {F}, 7), "35:12 3 5 12 14 D"},
        {student(doc, T, T, T, {F}), "35:12 3 10 12 14 D"},
        {student(doc, F, F, T, {F, T, kLabelMenu}), "35:12 3 12 14 21 D; Undo Menu"},
        {student(doc, F, F, T, {F, F, 0, T, kLabelDrag}), "35:12 3 12 14 D 10022; Redo Drag"},
        {student(doc, F, F, T, {F, T, kLabelDrag, T, kLabelScissors}),
         "35:12 3 12 14 21 D 10022; Undo Drag/Redo Scissors"},
        // A value outside its group leaves that group unchecked and fails the run; a reading
        // error wins over it.
        {drawn({}), open + " |52 55 58 63"},
        {drawn({4, 7, 0, 1}), open + " |51 54 57 64"},
        {drawn({25, 24, 6, 2}), open + " |53 56 59 65"},
        {drawn({11, 16, 2, 0}), open + " |55 58 63; err 1000"},
        {drawn({10, 12, 3, 5}), open + " |52; err 1000 lineHeight verticalPadding thickness"},
        {drawn({10, 99}, kErrNotInitialized, F), open + "; err 1002"},
        {drawn({10, 99}, kErrNotInitialized), open + " |52 58 63; err 1002 lineHeight"},
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
    EXPECT_EQ(read(), "35:12 3 12 14 D |52 55 58 63");
    ASSERT_EQ(
        inStep(tree, kLabelDrawingPreferences, [&] { return tree.setDrawingPref(9, 25, nullptr); }),
        kNoErr);
    EXPECT_EQ(read(), "35:12 3-4 12 14 21 D |53 55 58 63; Undo Drawing Preferences");
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(read(), "35:12 3-4 12 14 D 10022 |52 55 58 63; Redo Drawing Preferences");
}

TEST(AuthorMenuState, TheSharedItemsFollowTheGrammarAndTheRestTheFocusTheWordAndTheNode) {
    for (int32_t mode : {kModeSwitchingToAuthor, kModeAuthor}) {
        // Dirty, only in memory.
        const std::tuple<bool, bool, const char*> files[] = {
            {F, T, "3"}, {T, T, "3-4"}, {F, F, "3 5"}, {T, F, "3-6"}};
        for (const auto& [dirty, onlyInMemory, on] : files)
            EXPECT_EQ(menu(authorMenuState({mode, onlyInMemory, {dirty}})),
                      "30:3 1 " + std::string(on) + " 71 83-84 |71 83")
                << mode;
    }
    EXPECT_EQ(menu(authorMenuState({kModeAuthor, T, {F, T, kLabelCreateMother}})),
              "30:3 1 3 21 71 83-84 |71 83; Undo Create Mother");
    // The lexicon editor's shared items only: its own are left to it.
    EXPECT_EQ(menu(authorSharedMenuState({kModeAuthor, F, {T, T, kLabelTyping}})),
              "14:0 1 3-6 21; Undo Typing");
    for (int32_t mode : {kModeNoDocument, kModeDocument, kModeQuitting})
        EXPECT_EQ(menu(authorMenuState({mode, T, {}})) + menu(authorSharedMenuState({mode, T, {}})),
                  "not servednot served");
    // Focus in a field, text selected in it, text on the clipboard, a word selected.
    const std::tuple<bool, bool, bool, bool, const char*> edits[] = {
        {F, F, T, T, "1 3 26-27 71"},    {T, F, F, T, "1 3 71"},       {T, F, T, T, "1 3 25 71"},
        {T, T, F, F, "1 3 23-24 26 71"}, {T, T, T, T, "1 3 23-26 71"}, {F, F, F, F, "1 3 71"}};
    for (const auto& [focus, selection, clipboard, word, on] : edits)
        EXPECT_EQ(menu(authorMenuState({kModeAuthor, T, {}, focus, selection, clipboard, word})),
                  "30:3 " + std::string(on) + " 83-84 |71 83");
    // The selected node, a root, with daughters, deletable; viewed by category.
    const std::tuple<int32_t, bool, bool, bool, const char*> nodes[] = {
        {0, T, T, T, ""},          {5, T, F, F, " 91-92"},    {5, T, T, T, " 91 93-94 97"},
        {5, T, T, F, " 91 93-94"}, {9, F, F, T, " 92 95-97"}, {9, F, T, T, " 93-97"}};
    for (const auto& [node, root, daughters, deletable, on] : nodes)
        EXPECT_EQ(menu(authorMenuState(
                      {kModeAuthor, T, {}, F, F, F, F, F, node, root, daughters, deletable})),
                  "30:3 1 3 71 83-84" + std::string(on) + " |71 84");
}

TEST(PanelGeometry, ButtonsListPreviewLabelTabBevelAndScrollSizesStandWhereTheRulesPutThem) {
    using namespace panel;
    EXPECT_EQ(str(toolButtonRect(1)) + " " + str(toolButtonRect(3)), "8,11,40,76 8,145,40,210");
    EXPECT_EQ(str(categoryButtonRect(1)) + " " + str(categoryButtonRect(4)) + " " +
                  str(categoryButtonRect(5)) + " " + str(categoryButtonRect(40)),
              "49,11,72,59 49,161,72,209 74,11,97,59 274,161,297,209");
    // The bottom line of the category buttons places the word list and the preview.
    for (const auto& [buttons, bottom] :
         {std::pair{0, 72}, {1, 72}, {4, 72}, {5, 97}, {9, 122}, {40, 297}}) {
        EXPECT_EQ(categoryBottomLine(buttons), bottom);
        EXPECT_EQ(str(wordListRect(buttons)) + " " + str(previewRect(buttons)),
                  str({bottom + 7, 10, bottom + 129, 210}) + " " +
                      str({bottom + 143, 10, bottom + 393, 210}))
            << buttons;
    }
    EXPECT_EQ(str(grammarLabelRect(700)) + " " + str(canvasRect(1000, 700)) + " " +
                  str(statusBarRect(1000, 700)),
              "655,10,690,210 0,220,680,1000 680,220,700,1000");
    // Then Tab from a tool, with the scissors and the spyglass shown or not, to the next one
    // shown; the first and last bevel lines, "d" dark; scroll sizes total/page/line.
    std::ostringstream out;
    out << buttonsInUse(45) << lastButtonOpensMenu(41) << lastButtonOpensMenu(40) << " ";
    for (const char* c : {"1FF", "1TF", "1FT", "1TT", "2TT", "2TF", "3TT", "3FT"})
        out << nextToolOnTab(c[0] - '0', c[1] == 'T', c[2] == 'T');
    const std::vector<RBevelLine> lines = sunkenBevel({100, 10, 200, 210});
    out << " " << lines.size();
    for (const RBevelLine& line : {lines.at(0), lines.at(7)})
        out << " " << line.h1 << "," << line.v1 << "," << line.h2 << "," << line.v2
            << (line.dark ? "d" : "");
    for (const RScrollSizes& z : {makeScrollSizes(600, 600), makeScrollSizes(5, 0),
                                  makeScrollSizes(800, 800, 100, 50, 0, 0)})
        out << " " << z.totalWidth << "x" << z.totalHeight << "/" << z.pageWidth << "x"
            << z.pageHeight << "/" << z.lineWidth << "x" << z.lineHeight;
    EXPECT_EQ(out.str(), "4010 12323111 8 9,99,9,201d 8,202,213,202 600x600/60x60/6x6 5x1/1x1/1x1 "
                         "800x800/100x50/10x5");
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitPopUpText("one\\ntwo\\n"), (Lines{"one", "two", ""}));
    EXPECT_EQ(splitPopUpText("a\nb"), (Lines{"a\nb"}));
}

TEST(PrintPages, TreesBeyondThePageContinueOnTheGridRowByRow) {
    const std::pair<std::vector<RRect>, const char*> cases[] = {
        {{}, "0,0"}, // nothing: one empty page
        // A tree well inside the first page, and one touching its last unit.
        {{{200, 300, 260, 420}, {0, 0, 899, 649}}, "0,0"},
        // One unit further and the tree needs the page to the right.
        {{{200, 600, 260, 650}}, "0,0 650,0"},
        // A tree only on the second row: the empty first row is not printed.
        {{{1000, 10, 1100, 700}}, "0,900 650,900"},
        // Pages in rows from the top, each row from the left, no page twice.
        {{{1000, 1400, 1100, 1500}, {10, 10, 950, 20}, {20, 1300, 40, 1310}},
         "0,0 1300,0 0,900 1300,900"},
        // A tree left of or above the origin gets pages there too; empty boxes count for nothing.
        {{{-5, -5, 5, 5}, {10, 10, 5, 5}}, "-650,-900 0,-900 -650,0 0,0"},
    };
    for (const auto& [boxes, expected] : cases)
        EXPECT_EQ(pages(boxes), expected);
    EXPECT_EQ(printPages({{0, 0, 2, 0}}, 0, 0).size(), 3u); // a page size of 0 cannot loop
}

TEST(PictureExport, TheTypedNameDecidesTheTypeAndThePngFilterTheScale) {
    EXPECT_EQ(pictureExportFilters(), "PNG picture, 2x (*.png);;PNG picture, 1x (*.png);;PNG "
                                      "picture, 4x (*.png);;SVG picture (*.svg);;PDF document "
                                      "(*.pdf)");
    EXPECT_EQ(defaultPictureExportFilter(), "PNG picture, 2x (*.png)");
    // The path chosen, its type (0 SVG, 1 PNG, 2 PDF) and the scale.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/h/a.png", "", "/h/a.png 1 2"},
        {"/h/a.png", "PNG picture, 4x (*.png)", "/h/a.png 1 4"},
        {"/h/a.PNG", "PNG picture, 1x (*.png)", "/h/a.PNG 1 1"},
        {"/h/a.svg", "PNG picture, 4x (*.png)", "/h/a.svg 0 2"},
        {"/h/a.Pdf", "", "/h/a.Pdf 2 2"},
        // No picture extension: the chosen type's is added.
        {"/h/handout", "PDF document (*.pdf)", "/h/handout.pdf 2 2"},
        {"/h/handout", "PNG picture, 1x (*.png)", "/h/handout.png 1 1"},
        {"/h/tree.v2", "SVG picture (*.svg)", "/h/tree.v2.svg 0 2"},
        // A PNG typed while the SVG type was chosen is sharp by default.
        {"/h/a.png", "SVG picture (*.svg)", "/h/a.png 1 2"},
        {"/h/a", "no such filter", "/h/a.png 1 2"},
    };
    for (const auto& [typed, filter, expected] : cases) {
        const RPictureChoice choice = pictureChoice(typed, filter);
        EXPECT_EQ(choice.path + " " + std::to_string(static_cast<int>(choice.type)) + " " +
                      std::to_string(choice.scale),
                  expected)
            << filter;
    }
    EXPECT_EQ(initialPictureName("/home/s/My Trees.rdc"), "My Trees.png");
    EXPECT_EQ(initialPictureName(""), "Trees.png");
}

TEST(LexiconEditorRules, NodeTypesStylesClearingAndFeatureRows) {
    const std::vector<int32_t> categories{3, 40, 41, 42};
    int32_t category = -5, projection = -5, value = -1;
    std::ostringstream out; // each result in turn, in the order of the calls
    out << nodeTypeEntry(categories, 0, -1) << nodeTypeEntry(categories, 40, 0)
        << nodeTypeEntry(categories, 41, 2) << nodeTypeEntry(categories, 99, 1) << " "
        << nodeTypeOfEntry(categories, 6, category, projection) << category << projection
        << nodeTypeOfEntry(categories, 0, category, projection) << category << projection
        << nodeTypeOfEntry(categories, 10, category, projection)
        << nodeTypeOfEntry(std::vector<int32_t>{0}, 1, category, projection);
    EXPECT_EQ(out.str(), "0160 141210-100"); // 99 is not in the list
    // Bold wins over Italic, Italic over Underline.
    out.str("");
    out << styleEntry(0) << styleEntry(4) << styleEntry(5) << styleEntry(7) << " "
        << styleValueOfEntry(2, value) << value << " " << styleValueOfEntry(4, value) << " "
        << wordAfterClearing({3, 7, 8, 9}, 8) << wordAfterClearing({3, 7, 8, 9}, 7)
        << wordAfterClearing({1, 7}, 7);
    EXPECT_EQ(out.str(), "0321 01 1000 780");

    const std::vector<int32_t> six{6, 11, 12, 13, 14, 15, 16};
    const std::vector<int32_t> three{3, 21, 22, 23};
    CFeatureRows rows, few;
    out.str("");
    out << CFeatureRows::maximum(six) << rows.featureOfRow(six, 4) << rows.scrollTo(six, 9)
        << rows.position() << rows.featureOfRow(six, 1) << rows.scrollTo(six, 5) << " "
        << rows.rowOfFeature(six, 11) << rows.makeVisible(six, 11) << rows.rowOfFeature(six, 11)
        << rows.makeVisible(six, 16) << rows.rowOfFeature(six, 16) << rows.makeVisible(six, 99)
        << " " << CFeatureRows::maximum(three) << few.featureOfRow(three, 4)
        << few.scrollTo(three, 1);
    EXPECT_EQ(out.str(), "21412130 -111140 000");
}

TEST(CLexiconEditing, StepsWithoutWindowsUndoToTheStartAndRefuseTheMainTerminal) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    CLexiconEditing editing(tree);
    int32_t root = 0, leaf = 0;
    ASSERT_EQ(editing.newWord(0, root, leaf), kNoErr);
    RDeleteRefusal refusal = RDeleteRefusal::None;
    int32_t after = 0;
    const std::size_t steps = tree.undoStructure().stepCount();
    EXPECT_EQ(editing.deleteNode(root, leaf, refusal, after), kNoErr);
    EXPECT_EQ(refusal, RDeleteRefusal::MainTerminalNode);
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);
    // The font is clamped; an undo gives back the old size.
    ASSERT_EQ(editing.changeFont("Serif", 2), kNoErr);
    const int32_t clamped = tree.fontSize;
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    ASSERT_EQ(tree.updateDrawingPrefs(), kNoErr);
    EXPECT_EQ(std::to_string(clamped) + " " + std::to_string(tree.fontSize), "8 10");
    // A category that is no category makes no spine.
    int32_t terminal = 0;
    EXPECT_NE(editing.newXBarSpine(9999, root, root, terminal), kNoErr);
    EXPECT_EQ(terminal, 0);
    EXPECT_FALSE(tree.undoStructure().isComposing());
}

TEST_F(NameListStepsTest, NewNameIsOneStepThatRebuildsSelectsAndShowsTheList) {
    // Rebuild, select the new name, show the window; undone in reverse, back to name 0.
    DatabaseState before = captureState(tree);
    int32_t record = 0;
    ASSERT_EQ(NameListSteps::addName(tree, categoriesList(), record), kNoErr);
    const std::string r = std::to_string(record);
    roundTrip(before, kLabelNewCategory, categoriesList(), "A N P V X X0 | 2:0 7:" + r + " 11:0",
              "A N P V X | 11:0 7:0 2:0");
    before = captureState(tree);
    ASSERT_EQ(NameListSteps::addName(tree, featuresList(), record), kNoErr);
    roundTrip(before, kLabelNewFeature, featuresList(),
              "Feature 0 | 3:0 8:" + std::to_string(record) + " 12:0", "| 12:0 8:0 3:0");
}

TEST_F(NameListStepsTest, ACategoryInUseOrTheBlessedOneIsNotRemovedAndAnUnusedOneIs) {
    const std::size_t steps = tree.undoStructure().stepCount();
    bool refused = false;
    // N only as the word's category, V only as a node's category.
    for (const char* name : {"N", "V"}) {
        EXPECT_EQ(NameListSteps::removeName(tree, categoriesList(), category(name), refused),
                  kNoErr);
        EXPECT_TRUE(refused) << name;
    }
    int32_t blessed = 0;
    tree.getBlessedCategory(blessed);
    EXPECT_EQ(blessed, category("X"));
    EXPECT_FALSE(NameListSteps::canRemove(tree, categoriesList(), blessed));
    EXPECT_FALSE(NameListSteps::canRemove(tree, categoriesList(), 0));
    EXPECT_TRUE(NameListSteps::canRemove(tree, categoriesList(), category("A")));
    EXPECT_EQ(NameListSteps::removeName(tree, categoriesList(), blessed, refused),
              kErrInvalidParameter);
    EXPECT_FALSE(refused);
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);
    EXPECT_EQ(names(categoriesList()), "A N P V X |");
    // An unused one goes in one step; undoing selects the name that came back.
    const DatabaseState before = captureState(tree);
    const int32_t a = category("A");
    ASSERT_EQ(NameListSteps::removeName(tree, categoriesList(), a, refused), kNoErr);
    EXPECT_FALSE(refused);
    roundTrip(before, kLabelDeleteCategory, categoriesList(), "N P V X | 2:0 7:0 11:0",
              "A N P V X | 11:0 7:" + std::to_string(a) + " 2:0");
}

TEST_F(NameListStepsTest, RemovingAFeatureClearsItsValuesAndUndoBringsThemBack) {
    int32_t feature = 0;
    ASSERT_EQ(NameListSteps::addName(tree, featuresList(), feature), kNoErr);
    int32_t slot = 0;
    ASSERT_EQ(tree.convertToAttributeIndex(feature, slot), kNoErr);
    const CRString sg("sg", 1);
    const CRString pl("pl", 1);
    ASSERT_EQ(inStep(tree, kLabelChangeAttribute,
                     [&] {
                         const RErr err = tree.attributeAssignment(word, slot, &sg);
                         return err ? err : tree.attributeAssignment(leaf, slot, &pl);
                     }),
              kNoErr);
    ui.clear();
    const DatabaseState before = captureState(tree);
    EXPECT_EQ(before.texts.at({leaf, slot}), "pl");
    bool refused = false;
    ASSERT_EQ(NameListSteps::removeName(tree, featuresList(), feature, refused), kNoErr);
    EXPECT_FALSE(refused);
    const DatabaseState after = captureState(tree);
    EXPECT_EQ(std::make_pair(after.cell(word, slot), after.cell(leaf, slot)), std::make_pair(0, 0));
    roundTrip(before, kLabelDeleteFeature, featuresList(), "| 3:0 8:0 12:0",
              "Feature 0 | 12:0 8:" + std::to_string(feature) + " 3:0");
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    const CRString* value = nullptr;
    ASSERT_EQ(tree.getAuthorFeatureValue(word, feature, value), kNoErr);
    EXPECT_EQ(value->str(), "sg");
}
