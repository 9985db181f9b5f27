#include "UiTestSupport.h"

#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"

#include <filesystem>

namespace {

// A container with no forks, or with a 'Vers' fork saying it was written in another format.
void writeContainer(const std::string& path, int32_t format) {
    CFileDescriptor descriptor(path);
    ASSERT_EQ(CRFile::createCFile(descriptor), kNoErr);
    if (format < 0)
        return;
    RErr err = kNoErr;
    CRFile file(descriptor, err);
    ASSERT_EQ(err, kNoErr);
    const int32_t words[] = {4, 1, format, 2, 2};
    ASSERT_EQ(file.createFork(kForkVersion), kNoErr);
    ASSERT_EQ(file.setForkSize(kForkVersion, 20), kNoErr);
    ASSERT_EQ(file.writeASeriesOfInt32s(kForkVersion, words, 4), kNoErr);
}

using DocumentsTest = AppTest;

} // namespace

TEST_F(DocumentsTest, FilesThatCannotBeReadShowTheirMessageAndOpenNothing) {
    ASSERT_TRUE(start());
    writeContainer(dir.file("bare.rdc"), -1);
    writeContainer(dir.file("older.rdc"), 0);
    writeContainer(dir.file("newer.rdc"), 2);
    const std::pair<const char*, std::string> cases[] = {
        {"bare.rdc", "msg: The file cannot be opened, because it is in an invalid format."},
        {"older.rdc",
         "msg: This file was created by an older version of Ramex and cannot be read."},
        {"newer.rdc",
         "msg: This file was created by a more recent version of Ramex and cannot be read."}};
    // A file that is no container at all is the current files tests', with its reports.
    for (const auto& [name, shown] : cases) {
        SCOPED_TRACE(name);
        platform.recorder.clear();
        platform.recorder.fileAnswers.push_back(dir.file(name));
        app->mainWindow().OnOpen();
        const auto boxes = platform.recorder.callsOfKind(RecordingPlatform::Kind::Message);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ("msg" + boxes[0].title + ": " + boxes[0].text, shown);
        if (shown.find("version") != std::string::npos) {
            EXPECT_TRUE(platform.recorder.bugReports().empty());
        }
        EXPECT_EQ(appState(), "2 1000");
    }
    platform.recorder.clear();
    // A cancelled file chooser is quiet.
    app->mainWindow().OnOpen();
    EXPECT_EQ(takeCalls(), "file: .rdc");
}

// Saving a new document asks for a name and applies the dot rule; a failed save and Revert keep
// the file as it was; Save As replaces another file when told to. (Answering No to the
// replacement, and the stray files a save leaves none of, are the current files tests'.)
TEST_F(DocumentsTest, SavingAppliesTheDotRuleAndReplacingFailingAndRevertingKeepTheFiles) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    const auto grammarBytes = readFileBytes(grammar);
    startWithNewDocument(grammar);
    CRamexWindow& main = app->mainWindow();
    main.OnAuthorMenuItem(kFirstMenu1Command);
    platform.recorder.clear();
    platform.recorder.fileAnswers.push_back(dir.file("a.b.c.rdc"));
    main.OnSave();
    EXPECT_EQ(takeCalls(), "file: .rdc");
    const std::string mine = dir.file("a-b-c.rdc");
    EXPECT_EQ(app->currentFilePath(), mine);
    EXPECT_EQ(appState(), "4 0101");
    EXPECT_EQ(readFileBytes(grammar), grammarBytes);
    EXPECT_FALSE(isDirty(*main.document()));
    EXPECT_EQ(enabledAmong(main, {kCommandSave, kCommandSaveAs}),
              std::vector<int32_t>{kCommandSaveAs});
    const auto saved = readFileBytes(mine);
    main.OnAuthorMenuItem(kFirstMenu1Command);

    const std::string other = dir.file("other.rdc");
    writeTextFile(other, "someone else's work");
    // The first write of a save goes through, the second fails.
    CFileDescriptor::failNthWriteFromNow(2);
    main.OnSave();
    CFileDescriptor::failNthWriteFromNow(0);
    EXPECT_EQ(readFileBytes(mine), saved);
    // Each layer the failure passes says so, down to the command.
    const auto reports = platform.recorder.bugReports();
    ASSERT_EQ(reports.size(), 7u);
    EXPECT_EQ(reports.front(), "CFileDescriptor::write (file system error)");
    EXPECT_EQ(reports.back(), "CRamexWindow::OnSave (file system error)");
    platform.recorder.clear();
    EXPECT_TRUE(main.action(kCommandSave)->isEnabled());

    // Revert asks; OK reopens the file as it was saved.
    EXPECT_TRUE(main.action(kCommandRevert)->isEnabled());
    platform.recorder.buttonAnswers.push_back(kButtonCancel);
    main.OnRevert();
    EXPECT_EQ(app->getMode(), kModeDocument);
    platform.recorder.buttonAnswers.push_back(kButtonOK);
    main.OnRevert();
    EXPECT_EQ(app->getMode(), kModeOpeningDocument);
    paint();
    EXPECT_EQ(app->getMode(), kModeDocument);
    EXPECT_EQ(enabledAmong(main, {kCommandUndo, kCommandRevert}), std::vector<int32_t>());
    EXPECT_EQ(app->currentFilePath(), mine);

    // Yes replaces the other file with the document.
    main.OnAuthorMenuItem(kFirstMenu1Command);
    platform.recorder.fileAnswers.push_back(other);
    platform.recorder.buttonAnswers.push_back(kButtonYes);
    EXPECT_EQ(main.attemptSave(true), kNoErr);
    EXPECT_NE(readTextFile(other), "someone else's work");
    EXPECT_EQ(app->currentFilePath(), other);
    EXPECT_FALSE(main.action(kCommandSave)->isEnabled());

    // Closing after a failed save on the student side still closes, and the file is intact.
    const auto replaced = readFileBytes(other);
    main.OnAuthorMenuItem(kFirstMenu1Command);
    CFileDescriptor::failNthWriteFromNow(2);
    main.OnSave();
    CFileDescriptor::failNthWriteFromNow(0);
    EXPECT_EQ(platform.recorder.bugReports(), reports);
    platform.recorder.clear();
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    main.OnCloseItem();
    EXPECT_EQ(app->getMode(), kModeClosingDocument);
    EXPECT_EQ(readFileBytes(other), replaced);

    // The saved document opens again, as a document of its own.
    paint();
    platform.recorder.fileAnswers.push_back(mine);
    main.OnOpen();
    paint();
    EXPECT_EQ(appState(), "4 0101");
}

TEST_F(DocumentsTest, AGrammarOpensAsADocumentAndFromTheCommandLine) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    ASSERT_TRUE(start());
    EXPECT_EQ(app->openDocumentFile(grammar), kNoErr);
    paint();
    EXPECT_EQ(appState(), "4 0100");
    EXPECT_EQ(app->mainWindow().statusText(), "opened");
    app->mainWindow().OnCloseItem();
    paint();

    // ramex --grammar: the grammar becomes the current one and a new document is made.
    EXPECT_EQ(app->startWithGrammar(grammar), kNoErr);
    paint();
    EXPECT_EQ(appState(), "4 1101");
    EXPECT_EQ(app->currentGrammarPath(), grammar);
    app->cleanUpForExit();
    EXPECT_EQ(preference("Current Grammar").toString().toStdString(), grammar);
}

TEST_F(DocumentsTest, MissingFilesOnTheCommandLineAreSaidPlainlyAndKeepTheCurrentGrammar) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    preference("Current Grammar", QString::fromStdString(grammar));
    ASSERT_TRUE(start());
    const std::string missing = dir.file("no-such.rgr");
    EXPECT_EQ(app->startWithGrammar(missing), kErrUserCancelled);
    EXPECT_EQ(app->openDocumentFile(dir.file("essay.rdc")), kErrUserCancelled);
    EXPECT_EQ(takeCalls(), "msg: The grammar " + missing +
                               " cannot be found. | msg: The document " + dir.file("essay.rdc") +
                               " cannot be found.");
    EXPECT_EQ(app->currentGrammarPath(), grammar);
    EXPECT_EQ(appState(), "2 1001");
}

TEST_F(DocumentsTest, TheAuthorSideOpensTheCurrentGrammarAndClosesWithoutAQuestion) {
    openForAuthoring("word dog: [NP [N dog]]\n");
    EXPECT_EQ(bits({app->lexicalItemsDialog().isVisible(), app->mainWindow().isVisible()}), "10");
    ASSERT_NE(app->lexicalItemsDialog().grammar(), nullptr);
    EXPECT_EQ(app->getCTree(), app->lexicalItemsDialog().grammar());
    EXPECT_EQ(appState(), "6 0111");
    // Close returns to the empty main window; the grammar was not changed, so nothing is asked.
    app->lexicalItemsDialog().OnCloseItem();
    EXPECT_EQ(takeCalls(), "");
    EXPECT_EQ(appState(), "1 0011");
    EXPECT_TRUE(app->mainWindow().isVisible());
}

TEST_F(DocumentsTest, NewInTheEditorOnAnUnsavedGrammarMustSaveItFirst) {
    preference("Privileges", 1);
    ASSERT_TRUE(start());
    app->mainWindow().OnNewGrammar();
    ASSERT_EQ(appState(), "6 1110");
    platform.recorder.buttonAnswers.push_back(kButtonCancel);
    app->lexicalItemsDialog().OnNew();
    const auto asked = platform.recorder.callsOfKind(RecordingPlatform::Kind::Message);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].number, static_cast<int32_t>(MessageButtons::OKCancel));
    EXPECT_EQ(takeCalls(), "msg: Save document before closing?");
    EXPECT_EQ(app->getMode(), kModeAuthor);

    // OK saves it, makes it the current grammar and starts a student document from it.
    platform.recorder.buttonAnswers.push_back(kButtonOK);
    platform.recorder.fileAnswers.push_back(dir.file("fresh.rgr"));
    app->lexicalItemsDialog().OnNew();
    EXPECT_TRUE(std::filesystem::exists(dir.file("fresh.rgr")));
    EXPECT_EQ(app->currentGrammarPath(), dir.file("fresh.rgr"));
    EXPECT_EQ(app->getMode(), kModeOpeningDocument);
    paint();
    EXPECT_EQ(appState(), "4 1111");
}
