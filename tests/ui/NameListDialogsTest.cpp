#include "UiTestSupport.h"

#include "ui/CCategoriesDialog.h"
#include "ui/CFeaturesDialog.h"

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
    void expectStep(CFeaturesCategoriesDialog& dialog, bool undo, const DatabaseState& state,
                    const std::string& expected) {
        CUndoStructure& steps = app->getCTree()->undoStructure();
        ASSERT_EQ(undo ? steps.undo() : steps.redo(), kNoErr);
        app->lexicalItemsDialog().redrawUserInterface();
        dialog.updateLocalControls();
        EXPECT_TRUE(sameStateAllowingGrowth(state, captureState(*app->getCTree())));
        EXPECT_EQ(shown(dialog), expected);
    }
};

} // namespace

TEST_F(NameListDialogsTest, CategoriesAndFeaturesAddAndRemoveAsStepsWithTheInUseCheck) {
    CCategoriesDialog& dialog = app->categoriesDialog();
    dialog.show();
    EXPECT_EQ(shown(dialog), "A* N P V X / A / remove");
    // New: an arbitrary name, selected, in its field.
    const DatabaseState before = captureState(*app->getCTree());
    dialog.newButton().click();
    EXPECT_EQ(shown(dialog), "A N P V X X0* / X0 / remove");
    const DatabaseState added = captureState(*app->getCTree());
    expectStep(dialog, true, before, "A* N P V X / A / remove");
    expectStep(dialog, false, added, "A N P V X X0* / X0 / remove");

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
    // P goes; undo brings it back.
    const DatabaseState withP = captureState(*app->getCTree());
    dialog.list().setCurrentRow(2);
    dialog.removeButton().click();
    EXPECT_EQ(shown(dialog), "A* N V X X0 / A / remove");
    expectStep(dialog, true, withP, "A N P* V X X0 / P / remove");

    // Features: removing the last one clears the values and disables the controls.
    CFeaturesDialog& features = app->featuresDialog();
    features.show();
    EXPECT_EQ(shown(features), "num* / num / remove");
    const DatabaseState withNum = captureState(*app->getCTree());
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
