// Typing runs in the fields of the author's windows: one step per run, stored at once, undone
// with the selection; the edit commands inside a field; the author menus other windows share.
#include "UiTestSupport.h"

#include "app/CTypingRuns.h"
#include "ui/CAuthorMenus.h"
#include "ui/CTypingField.h"
#include "ui/EditFieldCommands.h"
#include "undo/UndoLabels.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace {

// A field typing into the header's script cell of a fresh tree.
class TypingFieldTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(tree.createTree(true), kNoErr); }
    static RErr locateScript(RTypingField& field) {
        field.record = kHeaderRecord;
        field.attribute = kHdrScriptText;
        return kNoErr;
    }
    std::string script() { return cellText(tree, kHeaderRecord, kHdrScriptText); }

    RecordingPlatformScope platform;
    CTree tree;
    int32_t redraws = 0;
};

} // namespace

TEST_F(TypingFieldTest, AMultiLineFieldTypesOneStepAndTheProgramsTextStartsNone) {
    CTypingRuns runs([this] { return &tree; }, [this] { ++redraws; });
    QPlainTextEdit edit;
    auto* typing = new CTypingField(edit, runs, locateScript);
    // Shown by the program: no step, nothing stored.
    typing->showText(QStringLiteral("define function open\nend define\n"), 7, 15);
    EXPECT_EQ(tree.undoStructure().stepCount(), 0u);
    EXPECT_EQ(script(), "");
    EXPECT_EQ(edit.textCursor().selectedText(), QStringLiteral("function"));

    // A run replaces the selection; every key goes into the one step's text.
    QTest::keyClicks(&edit, QStringLiteral("procedure"));
    EXPECT_EQ(tree.undoStructure().stepCount(), 1u);
    EXPECT_EQ(undoLabelOf(tree), kLabelTyping);
    EXPECT_EQ(script() + bits({runs.inProgress()}), "define procedure open\nend define\n1");
    // The field's own history is not used: Ctrl+Z leaves the field as it is.
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.toPlainText(), QStringLiteral("define procedure open\nend define\n"));

    // Leaving the field ends the run and redraws; the next keys are a step of their own.
    loseFocus(edit);
    EXPECT_EQ(bits({runs.inProgress()}) + std::to_string(redraws), "01");
    QTest::keyClick(&edit, Qt::Key_X);
    EXPECT_EQ(tree.undoStructure().stepCount(), 2u);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    ASSERT_EQ(tree.undoStructure().undo(), kNoErr);
    EXPECT_EQ(script(), "");
    ASSERT_EQ(tree.undoStructure().redo(), kNoErr);
    EXPECT_EQ(script(), "define procedure open\nend define\n");
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

// A field that outlives its runs, or cannot find its cell, stores nothing.
TEST_F(TypingFieldTest, AFieldOutlivingItsRunsOrFailingToLocateStoresNothing) {
    auto runs = std::make_unique<CTypingRuns>([this] { return &tree; }, [] {});
    QLineEdit edit;
    auto* typing = new CTypingField(edit, *runs, locateScript);
    runs.reset();
    QTest::keyClicks(&edit, QStringLiteral("ab"));
    loseFocus(edit);
    typing->showText(QStringLiteral("shown"), 0, 0);
    EXPECT_EQ(edit.text(), QStringLiteral("shown"));

    CTypingRuns failing([this] { return &tree; }, [] {});
    QLineEdit other;
    new CTypingField(other, failing, [](RTypingField&) { return kErrInvalidParameter; });
    QTest::keyClicks(&other, QStringLiteral("ab"));
    EXPECT_FALSE(failing.inProgress());
    EXPECT_EQ(tree.undoStructure().stepCount(), 0u);
}

// The edit commands inside the editor's fields, and the author menus another window shares
// with the editor.
TEST_F(EditorTest, EditCommandsWorkInsideTheFocusedFieldAndTheSharedMenusFollowTheEditor) {
    ASSERT_TRUE(start());
    QMainWindow other;
    auto* menus = new CAuthorMenus(*other.menuBar(), other, editor());
    editor().handleNewGrammar();
    const std::vector<int32_t> file = {kCommandUndo, kCommandSave, kCommandSaveAs};
    // The editor's item and the other window's, for Undo or Redo.
    const auto texts = [&](int32_t id) {
        return (editor().action(id)->text() + " / " + menus->action(id)->text()).toStdString();
    };
    EXPECT_EQ(texts(kCommandUndo), "Can't Undo / Can't Undo");
    EXPECT_EQ(enabledAmong(*menus, file), std::vector<int32_t>());
    editor().OnNewWord();
    EXPECT_EQ(texts(kCommandUndo), "Undo New Tree / Undo New Tree");
    EXPECT_EQ(enabledAmong(*menus, file), (std::vector<int32_t>{kCommandUndo, kCommandSave}));
    editor().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor()));
    const int32_t word = editor().currentlySelectedWord();
    QLineEdit& cite = editor().citeFormField();
    cite.setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &cite);
    const auto stored = [&] {
        return QString::fromStdString(cellText(tree(), word, kAttrCitationForm));
    };

    // Paste of a text with a line break and of thousands of characters: kept whole.
    const QString pasted = QStringLiteral("Zeile 1\nZeile 2 ") + QString(5000, QChar(0x65E5));
    QApplication::clipboard()->setText(pasted);
    cite.selectAll();
    editor().updateMenus();
    ASSERT_TRUE(editor().action(kCommandPaste)->isEnabled());
    editor().action(kCommandPaste)->trigger();
    EXPECT_EQ(stored(), cite.text());
    EXPECT_EQ(cite.text().size(), pasted.size());
    EXPECT_EQ(cite.text().right(1), QString(QChar(0x65E5)));

    // Cut takes the selection out; Clear removes it; both are typing.
    cite.setSelection(0, 5);
    editor().updateMenus();
    editor().action(kCommandCut)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Zeile"));
    cite.setSelection(0, 3);
    editor().OnClear();
    EXPECT_EQ(stored(), cite.text());
    EXPECT_TRUE(cite.text().startsWith(QStringLiteral("Zeile 2 ")));
    EXPECT_EQ(takeCalls(), "");

    // Nothing selected: Cut is disabled, and invoked all the same it reports its name and
    // leaves the text.
    cite.deselect();
    editor().updateMenus();
    EXPECT_FALSE(editor().action(kCommandCut)->isEnabled());
    const QString kept = cite.text();
    sendEditFieldCommand(kCommandCut);
    EXPECT_EQ(cite.text(), kept);
    EXPECT_EQ(takeCalls(), "bug: Cut");
    // One undo puts back the citation form New Word gave.
    editor().OnUndo();
    EXPECT_EQ(stored(), "New Word 0");

    // Focus outside any edit field: Paste reports its name; Clear clears the word.
    editor().wordList().setFocus();
    sendEditFieldCommand(kCommandPaste);
    EXPECT_EQ(takeCalls(), "bug: Paste");
    editor().updateMenus();
    EXPECT_TRUE(editor().action(kCommandDuplicate)->isEnabled());
    editor().OnClear();
    EXPECT_EQ(shown(), " / - / -");

    // Undo from the other window undoes the grammar's step and updates both bars.
    menus->action(kCommandUndo)->trigger();
    EXPECT_EQ(shown(), "New Word 0 (X)* / X(New Word 0) / -");
    EXPECT_EQ(texts(kCommandRedo), "Redo Clear Word / Redo Clear Word");

    // The window's own rules: its Windows item checked, nothing to cut without a field.
    menus->updateEditItems(kCommandScript);
    EXPECT_EQ(
        bits({menus->action(kCommandScript)->isChecked(), menus->action(kCommandWords)->isChecked(),
              menus->action(kCommandCut)->isEnabled()}),
        "100");
    EXPECT_EQ(menus->affectMenuItem(kCommandNew, 9), kErrInvalidParameter);

    // Close in another author window hides only that window.
    other.show();
    menus->action(kCommandClose)->trigger();
    EXPECT_FALSE(other.isVisible());
    EXPECT_EQ(app->getMode(), kModeAuthor);
    EXPECT_EQ(takeCalls(), "bug: CAuthorMenus::affectMenuItem (invalid parameter)");
}
