#include "AuthoringTestSupport.h"

#include "model/CTree.h"
#include "support/TreeTestSupport.h"
#include "ui/CCategoriesDialog.h"
#include "ui/CFeaturesDialog.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CRamexWindow.h"
#include "undo/CUndoStructure.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <string>

namespace {

class NameListDialogsTest : public AuthoringTest {
protected:
    // The grammar has a word of category N whose head is a V node; A and P are unused.
    void openGrammar() {
        openForAuthoring("categories: X N V A P\nfeatures: num\n"
                         "word dog N: [NP [V{num=sg} dog]]\n");
    }

    static QStringList rows(CFeaturesCategoriesDialog& dialog) {
        QStringList out;
        for (int i = 0; i < dialog.list().count(); ++i)
            out << dialog.list().item(i)->text();
        return out;
    }

    static QString selected(CFeaturesCategoriesDialog& dialog) {
        QListWidgetItem* item = dialog.list().currentItem();
        return item ? item->text() : QString();
    }

    void undo() {
        ASSERT_EQ(app->getCTree()->undoStructure().undo(), kNoErr);
        app->lexicalItemsDialog().redrawUserInterface();
    }

    void redo() {
        ASSERT_EQ(app->getCTree()->undoStructure().redo(), kNoErr);
        app->lexicalItemsDialog().redrawUserInterface();
    }
};

} // namespace

TEST_F(NameListDialogsTest, CategoriesAddAndRemoveAsStepsWithTheInUseCheck) {
    openGrammar();
    CCategoriesDialog& dialog = app->categoriesDialog();
    dialog.show();
    EXPECT_EQ(rows(dialog), (QStringList{"A", "N", "P", "V", "X"}));
    EXPECT_EQ(selected(dialog), "A");
    EXPECT_EQ(dialog.nameField().text(), "A");
    EXPECT_TRUE(dialog.removeButton().isEnabled());

    // New: an arbitrary name, selected, in its field.
    const DatabaseState before = captureState(*app->getCTree());
    dialog.newButton().click();
    EXPECT_EQ(rows(dialog), (QStringList{"A", "N", "P", "V", "X", "X0"}));
    EXPECT_EQ(selected(dialog), "X0");
    EXPECT_EQ(dialog.nameField().text(), "X0");
    const DatabaseState added = captureState(*app->getCTree());
    undo();
    dialog.updateLocalControls();
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(*app->getCTree())));
    EXPECT_EQ(rows(dialog), (QStringList{"A", "N", "P", "V", "X"}));
    EXPECT_EQ(selected(dialog), "A");
    redo();
    dialog.updateLocalControls();
    EXPECT_TRUE(sameStateAllowingGrowth(added, captureState(*app->getCTree())));
    EXPECT_EQ(rows(dialog), (QStringList{"A", "N", "P", "V", "X", "X0"}));

    // The blessed X can be selected, not removed.
    dialog.list().setCurrentRow(4);
    EXPECT_EQ(dialog.nameField().text(), "X");
    EXPECT_FALSE(dialog.removeButton().isEnabled());

    // N is only a word's category, V only a node's: both are refused with the box.
    for (int row : {1, 3}) {
        dialog.list().setCurrentRow(row);
        ASSERT_TRUE(dialog.removeButton().isEnabled());
        platform.recorder.clear();
        dialog.removeButton().click();
        const auto shown = platform.recorder.callsOfKind(RecordingPlatform::Kind::Message);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, "Category in use");
        EXPECT_EQ(shown[0].text,
                  "The category cannot be deleted, because there is a node or word using it.");
        EXPECT_EQ(rows(dialog).size(), 6);
    }

    // P goes; undo brings it back.
    const DatabaseState withP = captureState(*app->getCTree());
    dialog.list().setCurrentRow(2);
    dialog.removeButton().click();
    EXPECT_EQ(rows(dialog), (QStringList{"A", "N", "V", "X", "X0"}));
    EXPECT_EQ(selected(dialog), "A");
    undo();
    dialog.updateLocalControls();
    EXPECT_TRUE(sameStateAllowingGrowth(withP, captureState(*app->getCTree())));
    EXPECT_EQ(rows(dialog), (QStringList{"A", "N", "P", "V", "X", "X0"}));
}

TEST_F(NameListDialogsTest, FeaturesDialogClearsValuesAndDisablesControlsWhenEmpty) {
    openGrammar();
    CFeaturesDialog& dialog = app->featuresDialog();
    dialog.show();
    EXPECT_EQ(rows(dialog), (QStringList{"num"}));
    EXPECT_TRUE(dialog.removeButton().isEnabled());
    const DatabaseState before = captureState(*app->getCTree());
    dialog.removeButton().click();
    EXPECT_TRUE(rows(dialog).isEmpty());
    EXPECT_FALSE(dialog.removeButton().isEnabled());
    EXPECT_FALSE(dialog.nameField().isEnabled());
    EXPECT_TRUE(dialog.nameField().text().isEmpty());
    EXPECT_TRUE(dialog.newButton().isEnabled());
    undo();
    dialog.updateLocalControls();
    EXPECT_TRUE(sameStateAllowingGrowth(before, captureState(*app->getCTree())));
    EXPECT_EQ(rows(dialog), (QStringList{"num"}));
    EXPECT_EQ(dialog.nameField().text(), "num");

    dialog.newButton().click();
    EXPECT_EQ(rows(dialog), (QStringList{"Feature 0", "num"}));
    EXPECT_EQ(selected(dialog), "Feature 0");

    // An undo task for another list is an error.
    EXPECT_EQ(dialog.doUserInterfaceUndoTask(7, 0), kErrInvalidParameter);
    EXPECT_EQ(dialog.doUserInterfaceUndoTask(8, 0), kNoErr);
}
