// Starting, the modes, preferences, the hidden dialogs and the menus' enabled states.
#include "UiTestSupport.h"

#include "storage/CRMemory.h"
#include "ui/CAskDialog.h"
#include "ui/CCategoriesDialog.h"
#include "ui/CDebugDialog.h"
#include "ui/CFeaturesDialog.h"
#include "ui/CPrivilegesDialog.h"
#include "ui/CScriptWindow.h"
#include "undo/UndoLabels.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>

#include <tuple>

TEST_F(AppTest, StartsInModeOneAndTheFirstPaintMakesItTwoWithOnlyTheOpeningCommands) {
    ASSERT_TRUE(start(false));
    CRamexWindow& main = app->mainWindow();
    std::string windows = main.windowTitle().toStdString() + (main.isVisible() ? "+" : "");
    for (QWidget* other : std::vector<QWidget*>{
             &app->lexicalItemsDialog(), &app->categoriesDialog(), &app->featuresDialog(),
             &app->scriptWindow(), &app->privilegesDialog(), &app->debugDialog()})
        windows += "; " + other->windowTitle().toStdString() + (other->isVisible() ? "+" : "");
    EXPECT_EQ(windows,
              "Ramex+; Ramex; Categories; Features; Script; User Privileges; Memory Debugging");
    paint();
    EXPECT_EQ(app->getMode(), kModeNoDocument);
    EXPECT_EQ(bits({main.treeArea().isVisible(), main.document() != nullptr}), "00");
    // Of the File items, Undo and Redo: New, Open, Choose Grammar and Exit.
    const std::vector<int32_t> items = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 21, 10022};
    EXPECT_EQ(enabledAmong(main, items), (std::vector<int32_t>{1, 2, 7, 13}));
    EXPECT_EQ(main.action(kCommandUndo)->text(), "Can't Undo");
    EXPECT_EQ(takeCalls(), "");

    // New without a grammar offers to choose one; Yes goes on to choose it, and the label
    // follows.
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    main.OnNew();
    EXPECT_EQ(takeCalls(), "msg: You must select a grammar before a new document can be "
                           "opened.  Select a grammar?");
    EXPECT_EQ(app->getMode(), kModeNoDocument);
    const std::string grammar = buildFile("tiny.grammar.rgr", kTestGrammarText);
    platform.recorder.buttonAnswers.push_back(kButtonYes);
    platform.recorder.fileAnswers.push_back(grammar);
    main.OnNew();
    EXPECT_EQ(app->currentGrammarPath(), grammar);
    EXPECT_EQ(main.grammarLabelText(), "Currently Selected Grammar:\ntiny.grammar");
    EXPECT_EQ(app->getMode(), kModeNoDocument);
}

TEST_F(AppTest, RequestsAreRoutedByMode) {
    ASSERT_TRUE(start());
    EXPECT_EQ(app->doUserInterfaceUndoTask(5, 0), kNoErr);
    EXPECT_EQ(app->reportParseError(0, 0), kNoErr);
    EXPECT_EQ(takeCalls(), "");
    EXPECT_EQ(app->notifyUserInterfaceOfTypingTask(1, 5, nullptr, 0, 0), kErrGeneral);
    // A parse error in the student modes goes to the main window, which reports it.
    EXPECT_EQ(app->reportParseError(3, 7), kNoErr);
    EXPECT_EQ(takeCalls(), "bug: CRamexApp::notifyUserInterfaceOfTypingTask (general error) | "
                           "bug: Student mode parse error (not completed)");

    app->message(CRString("Hello, student", 1));
    EXPECT_EQ(app->mainWindow().statusText(), "Hello, student");
    platform.recorder.askAnswers.push_back(std::string("a cat"));
    CRString answer("", 1);
    EXPECT_EQ(app->ask(CRString("Which word?", 1), answer), kNoErr);
    const std::string first = answer.str();
    EXPECT_EQ(app->ask(CRString("Again?", 1), answer), kNoErr);
    EXPECT_EQ(first + "/" + answer.str(), "a cat/");
    EXPECT_EQ(takeCalls(), "ask: Which word? | ask: Again?");

    app->setMode(kModeSwitchingToAuthor);
    EXPECT_EQ(bits({app->lexicalItemsDialog().isVisible(), app->mainWindow().isVisible()}), "10");
    EXPECT_EQ(app->doUserInterfaceUndoTask(5, 0), kErrGeneral);
    EXPECT_EQ(app->reportParseError(3, 1), kNoErr);
    EXPECT_EQ(takeCalls(), "bug: CRamexApp::doUserInterfaceUndoTask (general error) | "
                           "bug: CRamexApp::reportParseError");
    app->setMode(kModeAuthor);
    EXPECT_EQ(app->notifyUserInterfaceOfTypingTask(1, 5, nullptr, 0, 0), kNoErr);
    app->setMode(kModeClosingDocument);
    EXPECT_EQ(bits({app->lexicalItemsDialog().isVisible(), app->mainWindow().isVisible()}), "01");
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
    EXPECT_EQ(appState(), "4 1101");
    EXPECT_EQ(app->currentFilePath(), grammar);
    // The opening hook leaves no history and no dirty document.
    const std::vector<int32_t> ids = {kCommandUndo, kCommandSave, kCommandSaveAs, kCommandRevert,
                                      kCommandClose};
    EXPECT_EQ(enabledAmong(main, ids), std::vector<int32_t>{kCommandClose});

    QMenu* check = main.authorMenu(1);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(main.authorMenu(2), nullptr);
    EXPECT_EQ(check->title(), "Check");
    check->actions()[2]->trigger();
    EXPECT_EQ(main.statusText(), "marked");
    EXPECT_EQ(main.action(kCommandUndo)->text(), "Undo Menu");
    // Exists only in memory: Save As and Revert stay off even when dirty.
    EXPECT_EQ(enabledAmong(main, ids),
              (std::vector<int32_t>{kCommandUndo, kCommandSave, kCommandClose}));
    main.OnUndo();
    EXPECT_EQ(main.action(kCommandUndo)->text(), "Can't Undo");
    EXPECT_EQ(main.action(kCommandRedo)->text(), "Redo Menu");
    main.OnAuthorMenuItem(3600);
    EXPECT_EQ(takeCalls(), "bug: Internal error: invalid menu ID (CRamexWindow::OnAuthorMenuItem)");
    // Closing the changed document asks: Cancel keeps it, No runs the close hook and closes.
    main.OnRedo();
    platform.recorder.buttonAnswers.push_back(kButtonCancel);
    main.OnCloseItem();
    EXPECT_EQ(app->getMode(), kModeDocument);
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    main.OnCloseItem();
    EXPECT_EQ(takeCalls(), "msg: Save document before closing? | msg: Save document before "
                           "closing?");
    EXPECT_EQ(main.statusText(), "closing");
    EXPECT_EQ(main.document(), nullptr);
    EXPECT_EQ(appState(), "1 1001");
    paint();

    // An untouched new document closes without a question or the close hook.
    main.OnNew();
    paint();
    main.message("");
    main.OnCloseItem();
    EXPECT_EQ(takeCalls(), "");
    EXPECT_EQ(main.statusText(), "");
    paint();
    EXPECT_EQ(appState(), "2 1001");
    EXPECT_EQ(main.authorMenu(1), nullptr);
    EXPECT_EQ(main.document(), nullptr);
}

// The preferences at a start, each row after the one before: the state then with the grammar
// label's last line, the requests made, and what is written back at the exit.
TEST_F(AppTest, TheCurrentGrammarAndTheLevelAreKeptOnlyWhileValid) {
    const std::string english = buildFile("english.rgr", kTestGrammarText);
    const std::tuple<QString, int, std::string> cases[] = {
        // A first run: in memory, no tree, a user without a grammar.
        {QString(), -1, "1 1000 None /  /  0"},
        {QString::fromStdString(english), 1, "1 1011 english /  / " + english + " 1"},
        // A grammar that is gone is forgotten; an invalid level is reported and written back
        // as a user's.
        {QString::fromStdString(dir.file("gone.rgr")), 7,
         "1 1000 None / bug: The Privileges field in the Registry contains an invalid value. "
         "Privileges are being set to Student level. /  0"},
        // Longer than any path the system accepts: the existence test itself fails.
        {QStringLiteral("/") + QString(5000, QLatin1Char('a')), -1,
         "not started / bug: CFileDescriptor::exists (file system error) | msg[Fatal error]: "
         "Ramex encountered a fatal problem while trying to read its preferences from the "
         "registry.  Ramex cannot continue."}};
    for (const auto& [grammar, level, expected] : cases) {
        app.reset();
        if (!grammar.isEmpty())
            preference("Current Grammar", grammar);
        if (level >= 0)
            preference("Privileges", level);
        if (!start(false)) {
            EXPECT_EQ("not started / " + takeCalls(), expected);
            continue;
        }
        const std::string label = app->mainWindow().grammarLabelText().toStdString();
        const std::string state = appState() + " " + label.substr(label.find('\n') + 1);
        const std::string calls = takeCalls();
        app->cleanUpForExit();
        EXPECT_EQ(state + " / " + calls + " / " +
                      preference("Current Grammar").toString().toStdString() + " " +
                      std::to_string(preference("Privileges").toInt()),
                  expected);
    }
}

// Ctrl+Shift+Q opens the privileges dialog, which changes the level and the menus at once;
// Ctrl+Shift+E opens the memory list.
TEST_F(AppTest, TheTwoKeyChordsOpenTheHiddenDialogsForThePrivilegesAndTheMemoryCounters) {
    preference("Current Grammar",
               QString::fromStdString(buildFile("english.rgr", kTestGrammarText)));
    ASSERT_TRUE(start());
    CRamexWindow& main = app->mainWindow();
    CPrivilegesDialog& privileges = app->privilegesDialog();
    const std::vector<int32_t> authoring = {kCommandNewGrammar, kCommandOpenGrammar,
                                            kCommandOpenCurrentGrammar};
    EXPECT_EQ(bits({privileges.authorButton().isChecked(), privileges.userButton().isChecked()}),
              "01");
    EXPECT_EQ(enabledAmong(main, authoring), std::vector<int32_t>());
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(privileges.isVisible());
    EXPECT_FALSE(app->debugDialog().isVisible());
    QTest::mouseClick(&privileges.authorButton(), Qt::LeftButton);
    EXPECT_EQ(bits({app->getPrivileges(), privileges.userButton().isChecked()}), "10");
    EXPECT_EQ(enabledAmong(main, authoring), authoring);
    app->cleanUpForExit();
    EXPECT_EQ(preference("Privileges").toInt(), 1);
    QTest::mouseClick(&privileges.userButton(), Qt::LeftButton);
    EXPECT_FALSE(app->getPrivileges());
    EXPECT_EQ(enabledAmong(main, authoring), std::vector<int32_t>());

    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    // One tag with everything given back, one with a block still held.
    CRMemory& memory = CRMemory::shared();
    memory.countAllocation(158);
    memory.countFree(158);
    memory.countAllocation(159);
    QTest::keyClick(&main, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    CDebugDialog& dialog = app->debugDialog();
    EXPECT_TRUE(dialog.isVisible());
    const auto lines = [&dialog] {
        QStringList texts;
        for (int row = 0; row < dialog.list().count(); ++row)
            texts << dialog.list().item(row)->text();
        return texts;
    };
    // It opens on the Limited list, only what is outstanding; the Full one lists every tag
    // used. (The lines themselves are the memory list's.)
    const QStringList limited = lines();
    dialog.OnFullButton();
    const QStringList full = lines();
    const QString returned = QStringLiteral("158   %1   %1   0").arg(memory.allocations(158));
    const QString held = QStringLiteral("159   %1   %2   %3")
                             .arg(memory.allocations(159))
                             .arg(memory.frees(159))
                             .arg(memory.live(159));
    EXPECT_EQ(bits({full.contains(returned), full.contains(held), limited.contains(returned),
                    limited.contains(held)}),
              "1101");
    EXPECT_LT(limited.size(), full.size());
    dialog.OnLimitedButton();
    EXPECT_EQ(lines(), limited);
    memory.countFree(159);
}

// Which file items a grammar's state enables is the author menu state's table; here Save gives
// a new grammar a file, so it has one to save as.
TEST_F(AppTest, TheLexiconEditorsSaveGivesANewGrammarItsFile) {
    ASSERT_TRUE(start());
    app->handleNewGrammar();
    ASSERT_EQ(app->getMode(), kModeAuthor);
    CLexicalItemsDialog& editor = app->lexicalItemsDialog();
    const std::vector<int32_t> file = {kCommandNew,    kCommandClose,  kCommandSave,
                                       kCommandSaveAs, kCommandRevert, kCommandExit};
    EXPECT_EQ(enabledAmong(editor, file),
              (std::vector<int32_t>{kCommandNew, kCommandClose, kCommandExit}));
    platform.recorder.fileAnswers.push_back(dir.file("fresh.rgr"));
    editor.OnSave();
    EXPECT_EQ(takeCalls(), "file: .rgr");
    EXPECT_EQ(enabledAmong(editor, file),
              (std::vector<int32_t>{kCommandNew, kCommandClose, kCommandSaveAs, kCommandExit}));
}

TEST_F(AppTest, ADrawingSettingOutsideItsMenuGroupIsReportedByTheMainWindow) {
    startWithNewDocument(buildFile("english.rgr", kTestGrammarText));
    CRamexWindow& main = app->mainWindow();
    CTree& document = *main.document();
    ASSERT_EQ(inStep(document, kLabelDrawingPreferences,
                     [&] { return document.setDrawingPref(11, 12, nullptr); }),
              kNoErr);
    platform.recorder.clear();
    main.updateMenus();
    EXPECT_EQ(takeCalls(), "bug: lineHeight | bug: CRamexWindow::updateMenus (general error)");
    // The rest of the menus are brought up to date all the same.
    EXPECT_EQ(main.action(kCommandUndo)->text(), "Undo Drawing Preferences");
    EXPECT_TRUE(main.action(kCommandSave)->isEnabled());
    // Undone, the setting is back in its group and nothing is reported.
    main.OnUndo();
    EXPECT_EQ(takeCalls(), "");
}

TEST(CAskDialog, OKGivesTheFieldsTextAndAnythingElseAnEmptyAnswer) {
    std::string answer = "left over";
    const auto ask = [&answer](const QString& typed, bool ok) {
        CAskDialog dialog("Which verb?", answer);
        EXPECT_EQ(answer, "");
        EXPECT_EQ(dialog.promptText().text(), "Which verb?");
        dialog.editField().setText(typed);
        if (ok)
            dialog.OnOK();
        else
            dialog.reject();
        EXPECT_EQ(dialog.result(), ok ? QDialog::Accepted : QDialog::Rejected);
        return answer;
    };
    EXPECT_EQ(ask(QString(), true), "");
    EXPECT_EQ(ask(QStringLiteral("schläft"), true), "schläft");
    EXPECT_EQ(ask(QStringLiteral("runs"), false), "");
}
