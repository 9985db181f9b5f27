#include "UiTestSupport.h"

#include "app/CommandIds.h"
#include "model/CTree.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CRamexWindow.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QAction>

namespace {

std::vector<int32_t> enabledAmong(const CLexicalItemsDialog& editor,
                                  const std::vector<int32_t>& ids) {
    std::vector<int32_t> out;
    for (int32_t id : ids) {
        QAction* item = editor.action(id);
        EXPECT_NE(item, nullptr) << id;
        if (item && item->isEnabled())
            out.push_back(id);
    }
    return out;
}

} // namespace

TEST_F(AppTest, TheLexiconEditorsFileItemsFollowTheGrammar) {
    ASSERT_TRUE(start());
    paint();
    app->handleNewGrammar();
    ASSERT_EQ(app->getMode(), kModeAuthor);
    CLexicalItemsDialog& editor = app->lexicalItemsDialog();
    const std::vector<int32_t> file = {kCommandNew,    kCommandClose,  kCommandSave,
                                       kCommandSaveAs, kCommandRevert, kCommandExit};
    // A new grammar exists only in memory: nothing to save over, nothing to revert to.
    EXPECT_EQ(enabledAmong(editor, file),
              (std::vector<int32_t>{kCommandNew, kCommandClose, kCommandExit}));
    EXPECT_TRUE(editor.action(kCommandWords)->isChecked());

    platform.recorder.fileAnswers.push_back(dir.file("fresh.rgr"));
    editor.OnSave();
    EXPECT_EQ(enabledAmong(editor, file),
              (std::vector<int32_t>{kCommandNew, kCommandClose, kCommandSaveAs, kCommandExit}));

    CTree& grammar = *editor.grammar();
    int32_t root = 0;
    ASSERT_EQ(grammar.undoStructure().startTaskList(kLabelNewTree), kNoErr);
    ASSERT_EQ(grammar.newRoot(root), kNoErr);
    ASSERT_EQ(grammar.undoStructure().finishTaskList(), kNoErr);
    editor.redrawUserInterface();
    EXPECT_EQ(enabledAmong(editor, file), file);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(AppTest, ADrawingSettingOutsideItsMenuGroupIsReportedByTheMainWindow) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    startWithNewDocument(grammar);
    CRamexWindow& main = app->mainWindow();
    CTree& document = *main.document();
    ASSERT_EQ(document.undoStructure().startTaskList(kLabelDrawingPreferences), kNoErr);
    ASSERT_EQ(document.setDrawingPref(11, 12, nullptr), kNoErr);
    ASSERT_EQ(document.undoStructure().finishTaskList(), kNoErr);
    platform.recorder.clear();
    main.updateMenus();
    EXPECT_EQ(
        platform.recorder.bugReports(),
        (std::vector<std::string>{"lineHeight", "CRamexWindow::updateMenus (general error)"}));
    // The rest of the menus are brought up to date all the same.
    EXPECT_EQ(main.action(kCommandUndo)->text(), "Undo Drawing Preferences");
    EXPECT_TRUE(main.action(kCommandSave)->isEnabled());

    // Undone, the setting is back in its group and nothing is reported.
    platform.recorder.clear();
    main.OnUndo();
    EXPECT_TRUE(platform.recorder.bugReports().empty());
    EXPECT_EQ(main.action(kCommandRedo)->text(), "Redo Drawing Preferences");
    EXPECT_EQ(main.action(kCommandUndo)->text(), "Can't Undo");
}
