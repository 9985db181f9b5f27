#include "AuthoringTestSupport.h"

#include "app/CommandIds.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "support/TreeTestSupport.h"
#include "ui/CAuthorMenus.h"
#include "ui/CCategoriesDialog.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CRamexWindow.h"
#include "ui/CScriptEditor.h"
#include "ui/CScriptWindow.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include <string>

namespace {

std::string scriptText(CTree& tree) {
    const CRString* text = nullptr;
    EXPECT_EQ(tree.getAnyString(kHeaderRecord, kHdrScriptText, text), kNoErr);
    return text ? text->str() : std::string();
}

void loseFocus(QWidget& field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &out);
}

QStringList comboEntries(const QComboBox& box) {
    QStringList out;
    for (int i = 0; i < box.count(); ++i)
        out << box.itemText(i);
    return out;
}

QStringList menuEntries(const QMenu& menu) {
    QStringList out;
    for (QAction* item : menu.actions())
        out << item->text();
    return out;
}

using AuthorWindowsTypingTest = AuthoringTest;

} // namespace

TEST_F(AuthorWindowsTypingTest, TypingTheScriptIsOneStepThatUndoAndCheckFollow) {
    openForAuthoring("word dog: [NP [N dog]]\nscript:\ndefine function f\n  beep\nend define\n"
                     "end script\n");
    CTree& tree = *app->getCTree();
    CScriptWindow& window = app->scriptWindow();
    CScriptEditor& editor = window.editor();
    window.show();
    EXPECT_FALSE(editor.isReadOnly());
    const std::string before = scriptText(tree);
    const DatabaseState original = captureState(tree);
    const std::size_t steps = tree.undoStructure().stepCount();

    // Colouring the lines changes no text and starts no step.
    editor.colourVisibleLines();
    EXPECT_EQ(tree.undoStructure().stepCount(), steps);

    // A run of keys at the end of line 2, with an error in it: one "Typing" step, stored at once.
    QTextCursor caret(editor.document()->findBlockByNumber(1));
    caret.movePosition(QTextCursor::EndOfBlock);
    editor.setTextCursor(caret);
    const int caretBefore = caret.position();
    QTest::keyClick(&editor, Qt::Key_Return);
    QTest::keyClicks(&editor, QStringLiteral("  _ # oops"));
    EXPECT_EQ(tree.undoStructure().stepCount(), steps + 1);
    int32_t label = 0;
    tree.undoStructure().currentUndoLabel(label);
    EXPECT_EQ(label, kLabelTyping);
    EXPECT_EQ(scriptText(tree), "define function f\n  beep\n  _ # oops\nend define\n");

    // Check Script finds it on the third line.
    window.OnCheckScript();
    EXPECT_EQ(window.statusText(), "Line 3: Syntax error.");
    EXPECT_EQ(editor.errorLine(), 2);
    EXPECT_EQ(editor.textCursor().blockNumber(), 2);

    // Leaving the field ends the run; Undo (the menu's item) restores text and caret.
    loseFocus(editor);
    window.menus().action(kCommandUndo)->trigger();
    EXPECT_EQ(scriptText(tree), before);
    EXPECT_EQ(editor.toPlainText().toStdString(), before);
    EXPECT_EQ(editor.textCursor().position(), caretBefore);
    EXPECT_TRUE(sameStateAllowingGrowth(original, captureState(tree)));
    window.OnCheckScript();
    EXPECT_EQ(window.statusText(), "The script is syntactically well-formed.");
    window.menus().action(kCommandRedo)->trigger();
    EXPECT_EQ(scriptText(tree), "define function f\n  beep\n  _ # oops\nend define\n");
    EXPECT_EQ(window.statusText(), "The script is syntactically well-formed.  (checked before "
                                   "the last change)");

    // A failed check leaves the grammar saveable.
    window.OnCheckScript();
    platform.recorder.fileAnswers.push_back(dir.file("saved.rgr"));
    app->lexicalItemsDialog().OnSaveAs();
    EXPECT_TRUE(platform.recorder.bugReports().empty());
    bool dirty = true;
    tree.undoStructure().isDirty(dirty);
    EXPECT_FALSE(dirty);
}

TEST_F(AuthorWindowsTypingTest, RenamingAndNewCategoriesReachTheEditorsListsAndUndo) {
    openForAuthoring("categories: X N V\nword dog N: [NP [N dog]]\n");
    CTree& tree = *app->getCTree();
    CLexicalItemsDialog& editor = app->lexicalItemsDialog();
    CCategoriesDialog& dialog = app->categoriesDialog();
    editor.action(kCommandCategories)->trigger();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(editor.xBarMenu().actions().size(), 3);

    // New: the editor's category list, node types and X-bar submenu follow at the redraw.
    dialog.newButton().click();
    EXPECT_EQ(menuEntries(editor.xBarMenu()), (QStringList{"N", "V", "X", "X0"}));
    EXPECT_TRUE(comboEntries(editor.citeCategoryList()).contains("X0"));
    EXPECT_TRUE(comboEntries(editor.nodeTypeList()).contains("X0P"));
    editor.OnUndo();
    EXPECT_EQ(menuEntries(editor.xBarMenu()), (QStringList{"N", "V", "X"}));
    EXPECT_FALSE(comboEntries(editor.citeCategoryList()).contains("X0"));
    editor.OnRedo();
    EXPECT_EQ(menuEntries(editor.xBarMenu()), (QStringList{"N", "V", "X", "X0"}));
    EXPECT_EQ(dialog.list().currentItem()->text(), "X0");

    // Renaming N by typing: one step; the word list shows it once the field is left.
    const DatabaseState before = captureState(tree);
    dialog.list().setCurrentRow(0);
    ASSERT_EQ(dialog.nameField().text(), "N");
    dialog.nameField().selectAll();
    const std::size_t steps = tree.undoStructure().stepCount();
    QTest::keyClicks(&dialog.nameField(), QStringLiteral("Noun"));
    EXPECT_EQ(tree.undoStructure().stepCount(), steps + 1);
    loseFocus(dialog.nameField());
    EXPECT_EQ(editor.wordList().item(0)->text(), "dog (Noun)");
    EXPECT_EQ(menuEntries(editor.xBarMenu()), (QStringList{"Noun", "V", "X", "X0"}));
    const DatabaseState renamed = captureState(tree);

    dialog.menus().action(kCommandUndo)->trigger();
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(tree)));
    EXPECT_EQ(dialog.nameField().text(), "N");
    EXPECT_EQ(dialog.nameField().selectedText(), "N"); // the selection before the run
    EXPECT_EQ(editor.wordList().item(0)->text(), "dog (N)");
    dialog.menus().action(kCommandRedo)->trigger();
    EXPECT_TRUE(sameStateAllowingGrowth(renamed, captureState(tree)));
    EXPECT_EQ(dialog.nameField().text(), "Noun");
    EXPECT_EQ(dialog.list().currentItem()->text(), "Noun");
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}
