#include "UiTestSupport.h"

#include "app/CommandIds.h"
#include "storage/CRString.h"
#include "ui/CCategoriesDialog.h"
#include "ui/CDebugDialog.h"
#include "ui/CFeaturesDialog.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CPrivilegesDialog.h"
#include "ui/CRamexWindow.h"
#include "ui/CScriptWindow.h"

#include <QAction>
#include <QMenu>

TEST_F(AppTest, StartsInModeOneAndTheFirstPaintMakesItTwo) {
    ASSERT_TRUE(start());
    EXPECT_EQ(app->getMode(), kModeClosingDocument);
    EXPECT_TRUE(app->getFileExistsOnlyInMemory());
    EXPECT_EQ(app->getCTree(), nullptr);
    CRamexWindow& main = app->mainWindow();
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.windowTitle(), "Ramex");
    const std::vector<std::pair<QWidget*, QString>> others = {
        {&app->lexicalItemsDialog(), "Ramex"},         {&app->categoriesDialog(), "Categories"},
        {&app->featuresDialog(), "Features"},          {&app->scriptWindow(), "Script"},
        {&app->privilegesDialog(), "User Privileges"}, {&app->debugDialog(), "Memory Debugging"}};
    for (const auto& [window, title] : others) {
        EXPECT_FALSE(window->isVisible()) << title.toStdString();
        EXPECT_EQ(window->windowTitle(), title);
    }
    paint();
    EXPECT_EQ(app->getMode(), kModeNoDocument);
    EXPECT_FALSE(main.treeArea().isVisible());
    EXPECT_EQ(main.document(), nullptr);
    EXPECT_TRUE(platform.recorder.calls().empty());
}

TEST_F(AppTest, WithoutADocumentOnlyTheOpeningCommandsAreEnabled) {
    ASSERT_TRUE(start());
    paint();
    CRamexWindow& main = app->mainWindow();
    for (int32_t id : {kCommandNew, kCommandOpen, kCommandChooseGrammar, kCommandExit})
        EXPECT_TRUE(main.action(id)->isEnabled()) << id;
    for (int32_t id :
         {kCommandClose, kCommandSave, kCommandSaveAs, kCommandRevert, kCommandNewGrammar,
          kCommandOpenGrammar, kCommandOpenCurrentGrammar, kCommandUndo, kCommandRedo})
        EXPECT_FALSE(main.action(id)->isEnabled()) << id;
    EXPECT_EQ(main.action(kCommandUndo)->text(), "Can't Undo");
}

TEST_F(AppTest, RequestsAreRoutedByMode) {
    ASSERT_TRUE(start());
    paint();
    EXPECT_EQ(app->doUserInterfaceUndoTask(5, 0), kNoErr);
    EXPECT_EQ(app->reportParseError(0, 0), kNoErr);
    EXPECT_TRUE(platform.recorder.bugReports().empty());

    EXPECT_EQ(app->notifyUserInterfaceOfTypingTask(1, 5, nullptr, 0, 0), kErrGeneral);
    EXPECT_EQ(
        platform.recorder.bugReports(),
        (std::vector<std::string>{"CRamexApp::notifyUserInterfaceOfTypingTask (general error)"}));
    platform.recorder.clear();

    // A parse error in the student modes goes to the main window, which reports it.
    EXPECT_EQ(app->reportParseError(3, 7), kNoErr);
    EXPECT_EQ(platform.recorder.bugReports(),
              (std::vector<std::string>{"Student mode parse error (not completed)"}));
    platform.recorder.clear();

    app->message(CRString("Hello, student", 1));
    EXPECT_EQ(app->mainWindow().statusText(), "Hello, student");

    platform.recorder.askAnswers.push_back(std::string("a cat"));
    CRString answer("", 1);
    EXPECT_EQ(app->ask(CRString("Which word?", 1), answer), kNoErr);
    EXPECT_EQ(answer.str(), "a cat");
    EXPECT_EQ(app->ask(CRString("Again?", 1), answer), kNoErr);
    EXPECT_EQ(answer.str(), "");

    app->setMode(kModeSwitchingToAuthor);
    EXPECT_TRUE(app->lexicalItemsDialog().isVisible());
    EXPECT_FALSE(app->mainWindow().isVisible());
    platform.recorder.clear();
    EXPECT_EQ(app->doUserInterfaceUndoTask(5, 0), kErrGeneral);
    EXPECT_EQ(app->reportParseError(3, 1), kNoErr);
    EXPECT_EQ(platform.recorder.bugReports(),
              (std::vector<std::string>{"CRamexApp::doUserInterfaceUndoTask (general error)",
                                        "CRamexApp::reportParseError"}));
    app->setMode(kModeAuthor);
    EXPECT_EQ(app->notifyUserInterfaceOfTypingTask(1, 5, nullptr, 0, 0), kNoErr);
    app->setMode(kModeClosingDocument);
    EXPECT_TRUE(app->mainWindow().isVisible());
    EXPECT_FALSE(app->lexicalItemsDialog().isVisible());
    paint();
    EXPECT_EQ(app->getMode(), kModeNoDocument);
}

TEST_F(AppTest, ANewDocumentOpensInModeFourWithTheGrammarsMenuAndOpenHook) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    startWithNewDocument(grammar);
    CRamexWindow& main = app->mainWindow();
    ASSERT_NE(main.document(), nullptr);
    EXPECT_EQ(app->getCTree(), main.document());
    EXPECT_TRUE(main.treeArea().isVisible());
    EXPECT_EQ(main.statusText(), "opened");
    EXPECT_TRUE(app->getFileExistsOnlyInMemory());
    EXPECT_EQ(app->currentFilePath(), grammar);
    // The opening hook leaves no history and no dirty document.
    EXPECT_FALSE(main.action(kCommandUndo)->isEnabled());
    EXPECT_FALSE(main.action(kCommandSave)->isEnabled());
    EXPECT_FALSE(main.action(kCommandSaveAs)->isEnabled());
    EXPECT_TRUE(main.action(kCommandClose)->isEnabled());

    QMenu* check = main.authorMenu(1);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(main.authorMenu(2), nullptr);
    EXPECT_EQ(check->title(), "Check");
    const QList<QAction*> items = check->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "Mark Trees");
    EXPECT_EQ(items[0]->data().toInt(), 3501);
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->data().toInt(), 3503);

    items[2]->trigger();
    EXPECT_EQ(main.statusText(), "marked");
    EXPECT_EQ(main.action(kCommandUndo)->text(), "Undo Menu");
    EXPECT_TRUE(main.action(kCommandSave)->isEnabled());
    // Exists only in memory: Save As and Revert stay off even when dirty.
    EXPECT_FALSE(main.action(kCommandSaveAs)->isEnabled());
    EXPECT_FALSE(main.action(kCommandRevert)->isEnabled());
    main.OnUndo();
    EXPECT_EQ(main.action(kCommandUndo)->text(), "Can't Undo");
    EXPECT_EQ(main.action(kCommandRedo)->text(), "Redo Menu");

    main.OnAuthorMenuItem(3600);
    EXPECT_EQ(platform.recorder.bugReports(),
              (std::vector<std::string>{
                  "Internal error: invalid menu ID (CRamexWindow::OnAuthorMenuItem)"}));

    // Closing the changed document asks; No closes it without saving.
    platform.recorder.clear();
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    main.OnCloseItem();
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Save document before closing?"}));
    EXPECT_EQ(app->getMode(), kModeClosingDocument);
    paint();
    EXPECT_EQ(app->getMode(), kModeNoDocument);

    // An untouched new document closes without a question or the close hook.
    platform.recorder.clear();
    main.OnNew();
    paint();
    main.message("");
    main.OnCloseItem();
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_EQ(main.statusText(), "");
    paint();
    EXPECT_EQ(app->getMode(), kModeNoDocument);
    EXPECT_EQ(main.authorMenu(1), nullptr);
    EXPECT_EQ(main.document(), nullptr);
    EXPECT_EQ(app->getCTree(), nullptr);
}

TEST_F(AppTest, NewWithoutAGrammarOffersToChooseOne) {
    ASSERT_TRUE(start());
    paint();
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    app->mainWindow().OnNew();
    EXPECT_EQ(messageTexts(),
              (std::vector<std::string>{"You must select a grammar before a new document can be "
                                        "opened.  Select a grammar?"}));
    EXPECT_EQ(app->getMode(), kModeNoDocument);
    EXPECT_TRUE(platform.recorder.callsOfKind(RecordingPlatform::Kind::ChooseFile).empty());

    // Yes goes on to choose one; the label follows.
    const std::string grammar = buildFile("tiny.grammar.rgr", kTestGrammarText);
    platform.recorder.buttonAnswers.push_back(kButtonYes);
    platform.recorder.fileAnswers.push_back(grammar);
    app->mainWindow().OnNew();
    EXPECT_TRUE(app->haveCurrentlySelectedGrammar());
    EXPECT_EQ(app->currentGrammarPath(), grammar);
    EXPECT_EQ(app->mainWindow().grammarLabelText(), "Currently Selected Grammar:\ntiny.grammar");
    EXPECT_EQ(app->getMode(), kModeNoDocument);
}

TEST_F(AppTest, ClosingADirtyDocumentAsksAndCancelKeepsIt) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    startWithNewDocument(grammar);
    CRamexWindow& main = app->mainWindow();
    main.OnAuthorMenuItem(kFirstMenu1Command);
    platform.recorder.clear();
    platform.recorder.buttonAnswers.push_back(kButtonCancel);
    main.OnCloseItem();
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Save document before closing?"}));
    EXPECT_EQ(app->getMode(), kModeDocument);
    ASSERT_NE(main.document(), nullptr);

    // No: the close hook runs, nothing is saved, the document closes.
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    main.OnCloseItem();
    EXPECT_EQ(main.statusText(), "closing");
    EXPECT_EQ(app->getMode(), kModeClosingDocument);
    EXPECT_EQ(main.document(), nullptr);
}
