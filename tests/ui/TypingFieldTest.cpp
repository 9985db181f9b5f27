#include "UiTestSupport.h"

#include "app/CTypingRuns.h"
#include "app/CommandIds.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "ui/CAuthorMenus.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CTypingField.h"
#include "ui/EditFieldCommands.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

namespace {

std::string cellTextOf(CTree& tree, int32_t record, int32_t attribute) {
    const CRString* text = nullptr;
    EXPECT_EQ(tree.getAnyString(record, attribute, text), kNoErr);
    return text ? text->str() : std::string();
}

int32_t undoLabel(CTree& tree) {
    int32_t label = -1;
    tree.undoStructure().currentUndoLabel(label);
    return label;
}

void loseFocus(QWidget& field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &out);
}

} // namespace

TEST(CTypingField, AMultiLineFieldTypesOneStepAndTheProgramsTextStartsNone) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    int32_t redraws = 0;
    CTypingRuns runs([&tree] { return &tree; }, [&redraws] { ++redraws; });
    QPlainTextEdit edit;
    auto* typing = new CTypingField(edit, runs, [](RTypingField& field) {
        field.record = kHeaderRecord;
        field.attribute = kHdrScriptText;
        return kNoErr;
    });

    // Shown by the program: no step, nothing stored.
    typing->showText(QStringLiteral("define function open\nend define\n"), 7, 15);
    EXPECT_EQ(tree.undoStructure().stepCount(), 0u);
    EXPECT_EQ(cellTextOf(tree, kHeaderRecord, kHdrScriptText), "");
    EXPECT_EQ(edit.textCursor().selectedText(), QStringLiteral("function"));

    // A run replaces the selection; every key goes into the one step's text.
    QTest::keyClicks(&edit, QStringLiteral("procedure"));
    EXPECT_EQ(tree.undoStructure().stepCount(), 1u);
    EXPECT_EQ(undoLabel(tree), kLabelTyping);
    EXPECT_EQ(cellTextOf(tree, kHeaderRecord, kHdrScriptText),
              "define procedure open\nend define\n");
    EXPECT_TRUE(runs.inProgress());

    // The field's own history is not used: Ctrl+Z leaves the field as it is.
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("define procedure open\nend define\n"));

    // Leaving the field ends the run and redraws; the next keys are a step of their own.
    const int32_t before = redraws;
    loseFocus(edit);
    EXPECT_FALSE(runs.inProgress());
    EXPECT_EQ(redraws, before + 1);
    QTest::keyClick(&edit, Qt::Key_X);
    EXPECT_EQ(tree.undoStructure().stepCount(), 2u);

    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(cellTextOf(tree, kHeaderRecord, kHdrScriptText), "");
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_EQ(cellTextOf(tree, kHeaderRecord, kHdrScriptText),
              "define procedure open\nend define\n");
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST(CTypingField, ALocateThatFailsStoresNothingAndStartsNoStep) {
    RecordingPlatformScope platform;
    CTree tree;
    ASSERT_EQ(tree.createTree(true), kNoErr);
    CTypingRuns runs([&tree] { return &tree; }, [] {});
    QLineEdit edit;
    new CTypingField(edit, runs, [](RTypingField&) { return kErrInvalidParameter; });
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    EXPECT_EQ(tree.undoStructure().stepCount(), 0u);
    EXPECT_FALSE(runs.inProgress());
}

TEST_F(AppTest, TypingACitationFormIsOneStepThatCarriesTheLeafAndUndoRestoresTheSelection) {
    ASSERT_TRUE(start());
    paint();
    CLexicalItemsDialog& editor = app->lexicalItemsDialog();
    editor.handleNewGrammar();
    ASSERT_EQ(app->getMode(), kModeAuthor);
    editor.OnNewWord();
    CTree& tree = *editor.grammar();
    const int32_t word = editor.currentlySelectedWord();
    int32_t leaf = 0;
    ASSERT_EQ(tree.getMainTerminalNode(word, leaf), kNoErr);
    const std::string oldName = cellTextOf(tree, word, kAttrCitationForm);
    EXPECT_EQ(cellTextOf(tree, leaf, kAttrLabel), oldName);

    // New Word leaves the whole citation form selected; typing replaces it.
    QLineEdit& cite = editor.citeFormField();
    cite.setSelection(4, 4);
    const std::size_t steps = tree.undoStructure().stepCount();
    QTest::keyClicks(&cite, QStringLiteral("abc"));
    EXPECT_EQ(tree.undoStructure().stepCount(), steps + 1);
    EXPECT_EQ(undoLabel(tree), kLabelTyping);
    EXPECT_EQ(cellTextOf(tree, word, kAttrCitationForm), "New abc 0");
    EXPECT_EQ(cellTextOf(tree, leaf, kAttrLabel), "New abc 0");
    EXPECT_EQ(editor.nodeLabelField().text(), QStringLiteral("New abc 0"));
    EXPECT_EQ(editor.currentlySelectedNode(), leaf);

    loseFocus(cite);
    EXPECT_EQ(editor.wordList().item(0)->text(), QStringLiteral("New abc 0 (X)"));

    editor.OnUndo();
    EXPECT_EQ(cellTextOf(tree, word, kAttrCitationForm), oldName);
    EXPECT_EQ(cellTextOf(tree, leaf, kAttrLabel), oldName);
    EXPECT_EQ(cite.text(), QString::fromStdString(oldName));
    EXPECT_EQ(cite.selectionStart(), 4);
    EXPECT_EQ(cite.selectedText(), QStringLiteral("Word"));
    EXPECT_EQ(editor.wordList().item(0)->text(), QString::fromStdString(oldName) + " (X)");

    editor.OnRedo();
    EXPECT_EQ(cellTextOf(tree, word, kAttrCitationForm), "New abc 0");
    EXPECT_EQ(cite.text(), QStringLiteral("New abc 0"));
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(AppTest, TheSharedAuthorMenusOfAnotherWindowFollowTheEditorAndActOnTheGrammar) {
    ASSERT_TRUE(start());
    paint();
    CLexicalItemsDialog& editor = app->lexicalItemsDialog();
    QMainWindow other;
    auto* menus = new CAuthorMenus(*other.menuBar(), other, editor);
    editor.handleNewGrammar();
    EXPECT_EQ(menus->action(kCommandUndo)->text(), QStringLiteral("Can't Undo"));
    EXPECT_FALSE(menus->action(kCommandUndo)->isEnabled());
    EXPECT_FALSE(menus->action(kCommandSave)->isEnabled());

    editor.OnNewWord();
    EXPECT_EQ(editor.action(kCommandUndo)->text(), QStringLiteral("Undo New Tree"));
    EXPECT_EQ(menus->action(kCommandUndo)->text(), QStringLiteral("Undo New Tree"));
    EXPECT_TRUE(menus->action(kCommandSave)->isEnabled());
    EXPECT_FALSE(menus->action(kCommandSaveAs)->isEnabled());

    // Undo from the other window undoes the grammar's step and updates both bars.
    menus->action(kCommandUndo)->trigger();
    EXPECT_EQ(editor.currentlySelectedWord(), 0);
    EXPECT_EQ(menus->action(kCommandRedo)->text(), QStringLiteral("Redo New Tree"));
    EXPECT_EQ(editor.action(kCommandRedo)->text(), QStringLiteral("Redo New Tree"));

    // The window's own rules: its Windows item checked, nothing to cut without a field.
    menus->updateEditItems(kCommandScript);
    EXPECT_TRUE(menus->action(kCommandScript)->isChecked());
    EXPECT_FALSE(menus->action(kCommandWords)->isChecked());
    EXPECT_FALSE(menus->action(kCommandCut)->isEnabled());
    EXPECT_EQ(menus->affectMenuItem(kCommandNew, 9), kErrInvalidParameter);

    // Close in another author window hides only that window.
    other.show();
    menus->action(kCommandClose)->trigger();
    EXPECT_FALSE(other.isVisible());
    EXPECT_EQ(app->getMode(), kModeAuthor);
    EXPECT_EQ(platform.recorder.bugReports(),
              (std::vector<std::string>{"CAuthorMenus::affectMenuItem (invalid parameter)"}));
}

TEST_F(AppTest, EditCommandsWorkInsideTheFocusedFieldAndLongOrBrokenTextIsStoredAsTyped) {
    ASSERT_TRUE(start());
    paint();
    CLexicalItemsDialog& editor = app->lexicalItemsDialog();
    editor.handleNewGrammar();
    editor.OnNewWord();
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    CTree& tree = *editor.grammar();
    const int32_t word = editor.currentlySelectedWord();
    QLineEdit& cite = editor.citeFormField();
    cite.setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &cite);

    // Paste of a text with a line break and of thousands of characters: kept whole.
    const QString pasted = QStringLiteral("Zeile 1\nZeile 2 ") + QString(5000, QChar(0x65E5));
    QApplication::clipboard()->setText(pasted);
    cite.selectAll();
    editor.updateMenus();
    ASSERT_TRUE(editor.action(kCommandPaste)->isEnabled());
    editor.action(kCommandPaste)->trigger();
    EXPECT_EQ(QString::fromStdString(cellTextOf(tree, word, kAttrCitationForm)), cite.text());
    EXPECT_EQ(cite.text().size(), pasted.size());
    EXPECT_EQ(cite.text().right(1), QString(QChar(0x65E5)));

    // Cut takes the selection out; Clear removes it; both are typing.
    cite.setSelection(0, 5);
    editor.updateMenus();
    editor.action(kCommandCut)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Zeile"));
    cite.setSelection(0, 3);
    editor.OnClear();
    EXPECT_EQ(QString::fromStdString(cellTextOf(tree, word, kAttrCitationForm)), cite.text());
    EXPECT_TRUE(cite.text().startsWith(QStringLiteral("Zeile 2 ")));
    EXPECT_TRUE(platform.recorder.bugReports().empty());

    // Nothing selected: Cut is disabled, and invoked all the same it reports its name and
    // leaves the text.
    cite.deselect();
    editor.updateMenus();
    EXPECT_FALSE(editor.action(kCommandCut)->isEnabled());
    const QString kept = cite.text();
    sendEditFieldCommand(kCommandCut);
    EXPECT_EQ(cite.text(), kept);
    EXPECT_EQ(platform.recorder.bugReports(), (std::vector<std::string>{"Cut"}));
    platform.recorder.clear();

    // One undo puts back the citation form New Word gave.
    editor.OnUndo();
    EXPECT_EQ(cellTextOf(tree, word, kAttrCitationForm), "New Word 0");

    // Focus outside any edit field: Paste reports its name; Clear clears the word.
    editor.wordList().setFocus();
    sendEditFieldCommand(kCommandPaste);
    EXPECT_EQ(platform.recorder.bugReports(), (std::vector<std::string>{"Paste"}));
    editor.updateMenus();
    EXPECT_TRUE(editor.action(kCommandDuplicate)->isEnabled());
    editor.OnClear();
    EXPECT_EQ(editor.currentlySelectedWord(), 0);
    EXPECT_EQ(editor.wordList().count(), 0);
}
