#include "UiTestSupport.h"

#include "ui/CAuthorMenus.h"
#include "ui/CCategoriesDialog.h"
#include "ui/CFeaturesDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

class NameListDialogsTest : public AppTest {
protected:
    // The grammar has a word of category N whose head is a V node; A and P are unused.
    void SetUp() override {
        openForAuthoring(
            "categories: X N V A P\nfeatures: num\nword dog N: [NP [V{num=sg} dog]]\n");
    }
    // The rows with the selected one starred, the name field (empty when disabled) and
    // whether Remove works: "A* N P V X / A / remove".
    static std::string shown(CFeaturesCategoriesDialog& dialog) {
        std::string text;
        for (int i = 0; i < dialog.list().count(); ++i)
            text += (i ? " " : "") + dialog.list().item(i)->text().toStdString() +
                    (dialog.list().item(i) == dialog.list().currentItem() ? "*" : "");
        return text + " / " +
               (dialog.nameField().isEnabled() ? dialog.nameField().text().toStdString() : "-") +
               (dialog.removeButton().isEnabled() ? " / remove" : "");
    }
    // Undoes or redoes the last step as the editor does, and checks the whole database and
    // what the dialog shows against their state then.
    DatabaseState state() { return captureState(*app->getCTree()); }
    void expectStep(CFeaturesCategoriesDialog& dialog, bool undo,
                    const DatabaseState& expectedState, const std::string& expected) {
        CUndoStructure& steps = app->getCTree()->undoStructure();
        ASSERT_EQ(undo ? steps.undo() : steps.redo(), kNoErr);
        app->lexicalItemsDialog().redrawUserInterface();
        dialog.updateLocalControls();
        EXPECT_TRUE(sameStateAllowingGrowth(expectedState, this->state()));
        EXPECT_EQ(shown(dialog), expected);
    }
};

} // namespace

TEST_F(NameListDialogsTest, CategoriesAndFeaturesAddRenameAndRemoveAsStepsWithTheInUseCheck) {
    CLexicalItemsDialog& editor = app->lexicalItemsDialog();
    CCategoriesDialog& dialog = app->categoriesDialog();
    editor.action(kCommandCategories)->trigger();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(shown(dialog), "A* N P V X / A / remove");
    // The editor's spine menu, then whether its word categories and node types have X0: they
    // follow the dialog at the redraw.
    const auto lists = [&] {
        return menuText(editor.xBarMenu()) + " / " +
               bits({editor.citeCategoryList().findText(QStringLiteral("X0")) >= 0,
                     editor.nodeTypeList().findText(QStringLiteral("X0P")) >= 0});
    };
    const std::string spines = "2001 A | 2002 N | 2003 P | 2004 V | 2005 X";
    EXPECT_EQ(lists(), spines + " / 00");
    // New: an arbitrary name, selected, in its field.
    const DatabaseState before = state();
    dialog.newButton().click();
    EXPECT_EQ(shown(dialog), "A N P V X X0* / X0 / remove");
    const DatabaseState added = state();
    expectStep(dialog, true, before, "A* N P V X / A / remove");
    EXPECT_EQ(lists(), spines + " / 00");
    expectStep(dialog, false, added, "A N P V X X0* / X0 / remove");
    EXPECT_EQ(lists(), spines + " | 2006 X0 / 11");

    // The blessed X can be selected, not removed.
    dialog.list().setCurrentRow(4);
    EXPECT_EQ(shown(dialog), "A N P V X* X0 / X");
    // N is only a word's category, V only a node's: both are refused with the box.
    for (int row : {1, 3}) {
        dialog.list().setCurrentRow(row);
        ASSERT_TRUE(dialog.removeButton().isEnabled());
        dialog.removeButton().click();
        EXPECT_EQ(takeCalls(), "msg[Category in use]: The category cannot be deleted, because "
                               "there is a node or word using it.");
        EXPECT_EQ(dialog.list().count(), 6);
    }
    // Removing an unused one, undone and redone, is the name list steps' test.
    // Renaming N by typing is one step; the word list shows it once the field is left. The
    // dialog's own Undo puts back name and selection.
    const DatabaseState withN = state();
    dialog.list().setCurrentRow(1);
    ASSERT_EQ(dialog.nameField().text(), "N");
    dialog.nameField().selectAll();
    QTest::keyClicks(&dialog.nameField(), QStringLiteral("Noun"));
    loseFocus(dialog.nameField());
    EXPECT_EQ(editor.wordList().item(0)->text(), "dog (Noun)");
    EXPECT_EQ(lists(), "2001 A | 2002 Noun | 2003 P | 2004 V | 2005 X | 2006 X0 / 11");
    const DatabaseState renamed = state();
    dialog.menus().action(kCommandUndo)->trigger();
    EXPECT_TRUE(sameStateAllowingGrowth(withN, state()));
    EXPECT_EQ(dialog.nameField().text() + "/" + dialog.nameField().selectedText(), "N/N");
    EXPECT_EQ(editor.wordList().item(0)->text(), "dog (N)");
    dialog.menus().action(kCommandRedo)->trigger();
    EXPECT_TRUE(sameStateAllowingGrowth(renamed, state()));
    EXPECT_EQ(shown(dialog), "A Noun* P V X X0 / Noun / remove");

    // Features: removing the last one clears the values and disables the controls.
    CFeaturesDialog& features = app->featuresDialog();
    features.show();
    EXPECT_EQ(shown(features), "num* / num / remove");
    const DatabaseState withNum = state();
    features.removeButton().click();
    EXPECT_EQ(shown(features), " / -");
    EXPECT_TRUE(features.nameField().text().isEmpty());
    EXPECT_TRUE(features.newButton().isEnabled());
    expectStep(features, true, withNum, "num* / num / remove");
    features.newButton().click();
    EXPECT_EQ(shown(features), "Feature 0* num / Feature 0 / remove");
    // An undo task for another list is an error.
    EXPECT_EQ(features.doUserInterfaceUndoTask(7, 0), kErrInvalidParameter);
    EXPECT_EQ(features.doUserInterfaceUndoTask(8, 0), kNoErr);
    EXPECT_EQ(takeCalls(),
              "bug: CFeaturesCategoriesDialog::doUserInterfaceUndoTask (invalid parameter)");
}
