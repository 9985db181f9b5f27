#include "UiTestSupport.h"

#include "app/CommandIds.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "storage/CRFile.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CRamexWindow.h"
#include "ui/CScriptWindow.h"
#include "undo/CUndoStructure.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <filesystem>
#include <fstream>

namespace {

// A container whose 'Vers' fork says the file was written in another format.
void writeVersionedFile(const std::string& path, int32_t format) {
    CFileDescriptor descriptor(path);
    ASSERT_EQ(CRFile::createCFile(descriptor), kNoErr);
    RErr err = kNoErr;
    CRFile file(descriptor, err);
    ASSERT_EQ(err, kNoErr);
    const int32_t words[] = {4, 1, format, 2, 2};
    ASSERT_EQ(file.createFork(kForkVersion), kNoErr);
    ASSERT_EQ(file.setForkSize(kForkVersion, 20), kNoErr);
    ASSERT_EQ(file.writeASeriesOfInt32s(kForkVersion, words, 4), kNoErr);
}

} // namespace

TEST_F(AppTest, FilesThatCannotBeReadShowTheirMessageAndOpenNothing) {
    ASSERT_TRUE(start());
    paint();
    const std::string text = dir.file("notes.rdc");
    std::ofstream(text) << "not a Ramex file";
    const std::string older = dir.file("older.rdc");
    writeVersionedFile(older, 0);
    const std::string newer = dir.file("newer.rdc");
    writeVersionedFile(newer, 2);
    const std::string noVersion = dir.file("bare.rdc");
    {
        CFileDescriptor descriptor(noVersion);
        ASSERT_EQ(CRFile::createCFile(descriptor), kNoErr);
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {text, "The file cannot be opened, because it is in an invalid format."},
        {noVersion, "The file cannot be opened, because it is in an invalid format."},
        {older, "This file was created by an older version of Ramex and cannot be read."},
        {newer, "This file was created by a more recent version of Ramex and cannot be read."}};
    for (const auto& [path, message] : cases) {
        platform.recorder.clear();
        platform.recorder.fileAnswers.push_back(path);
        app->mainWindow().OnOpen();
        const auto shown = platform.recorder.callsOfKind(RecordingPlatform::Kind::Message);
        ASSERT_EQ(shown.size(), 1u) << path;
        EXPECT_EQ(shown[0].text, message);
        EXPECT_EQ(shown[0].title, "");
        // A file that is not a container at all is also reported by the container itself.
        if (path == older || path == newer) {
            EXPECT_TRUE(platform.recorder.bugReports().empty());
        }
        EXPECT_EQ(app->getMode(), kModeNoDocument);
        EXPECT_EQ(app->mainWindow().document(), nullptr);
    }
    // A cancelled file chooser is quiet.
    platform.recorder.clear();
    app->mainWindow().OnOpen();
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(AppTest, SavingANewDocumentAsksForANameAndAppliesTheDotRule) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    const auto grammarBytes = readFileBytes(grammar);
    startWithNewDocument(grammar);
    CRamexWindow& main = app->mainWindow();
    main.OnAuthorMenuItem(kFirstMenu1Command);
    platform.recorder.fileAnswers.push_back(dir.file("a.b.c.rdc"));
    main.OnSave();
    const auto asked = platform.recorder.callsOfKind(RecordingPlatform::Kind::ChooseFile);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, ".rdc");
    EXPECT_TRUE(std::filesystem::exists(dir.file("a-b-c.rdc")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.b.c.rdc")));
    EXPECT_EQ(app->currentFilePath(), dir.file("a-b-c.rdc"));
    EXPECT_FALSE(app->getFileExistsOnlyInMemory());
    EXPECT_EQ(readFileBytes(grammar), grammarBytes);
    bool dirty = true;
    ASSERT_EQ(main.document()->undoStructure().isDirty(dirty), kNoErr);
    EXPECT_FALSE(dirty);
    EXPECT_FALSE(main.action(kCommandSave)->isEnabled());
    EXPECT_TRUE(main.action(kCommandSaveAs)->isEnabled());
    EXPECT_TRUE(platform.recorder.bugReports().empty());

    // The saved document opens again, as a document of its own.
    main.OnCloseItem();
    paint();
    platform.recorder.fileAnswers.push_back(dir.file("a-b-c.rdc"));
    main.OnOpen();
    paint();
    EXPECT_EQ(app->getMode(), kModeDocument);
    EXPECT_FALSE(app->getFileExistsOnlyInMemory());
}

TEST_F(AppTest, SaveAsOntoAnExistingFileAsksAndNoKeepsItByteForByte) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    startWithNewDocument(grammar);
    CRamexWindow& main = app->mainWindow();
    platform.recorder.fileAnswers.push_back(dir.file("mine.rdc"));
    main.OnSave();
    ASSERT_EQ(app->currentFilePath(), dir.file("mine.rdc"));

    const std::string other = dir.file("other.rdc");
    std::ofstream(other) << "someone else's work";
    const auto otherBytes = readFileBytes(other);
    main.OnAuthorMenuItem(kFirstMenu1Command);
    platform.recorder.clear();
    platform.recorder.fileAnswers.push_back(other);
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    EXPECT_EQ(main.attemptSave(true), kErrUserCancelled);
    const auto asked = platform.recorder.callsOfKind(RecordingPlatform::Kind::Message);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Replace Existing File");
    EXPECT_EQ(asked[0].text, "There is already a file by this name.  Replace it?");
    EXPECT_EQ(readFileBytes(other), otherBytes);
    // The document keeps its own file and stays dirty.
    EXPECT_EQ(app->currentFilePath(), dir.file("mine.rdc"));
    EXPECT_TRUE(main.action(kCommandSave)->isEnabled());
    EXPECT_TRUE(platform.recorder.bugReports().empty());

    // Yes replaces it with the document.
    platform.recorder.fileAnswers.push_back(other);
    platform.recorder.buttonAnswers.push_back(kButtonYes);
    EXPECT_EQ(main.attemptSave(true), kNoErr);
    EXPECT_NE(readFileBytes(other), otherBytes);
    EXPECT_EQ(app->currentFilePath(), other);
    EXPECT_FALSE(main.action(kCommandSave)->isEnabled());
}

TEST_F(AppTest, AFailedSaveKeepsTheOldFileAndTheDocumentDirty) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    startWithNewDocument(grammar);
    CRamexWindow& main = app->mainWindow();
    platform.recorder.fileAnswers.push_back(dir.file("essay.rdc"));
    main.OnSave();
    const auto saved = readFileBytes(dir.file("essay.rdc"));
    ASSERT_FALSE(saved.empty());

    main.OnAuthorMenuItem(kFirstMenu1Command);
    platform.recorder.clear();
    CFileDescriptor::failNthWriteFromNow(2);
    main.OnSave();
    CFileDescriptor::failNthWriteFromNow(0);
    EXPECT_EQ(readFileBytes(dir.file("essay.rdc")), saved);
    const auto reports = platform.recorder.bugReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), "CRamexWindow::OnSave (file system error)");
    EXPECT_TRUE(main.action(kCommandSave)->isEnabled());

    // Closing after a failed save on the student side still closes, and the file is intact.
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    main.OnCloseItem();
    EXPECT_EQ(app->getMode(), kModeClosingDocument);
    EXPECT_EQ(readFileBytes(dir.file("essay.rdc")), saved);
}

TEST_F(AppTest, AGrammarOpensAsADocumentAndFromTheCommandLine) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    ASSERT_TRUE(start());
    paint();
    EXPECT_EQ(app->openDocumentFile(grammar), kNoErr);
    paint();
    EXPECT_EQ(app->getMode(), kModeDocument);
    ASSERT_NE(app->mainWindow().document(), nullptr);
    EXPECT_FALSE(app->getFileExistsOnlyInMemory());
    EXPECT_EQ(app->mainWindow().statusText(), "opened");
    app->mainWindow().OnCloseItem();
    paint();

    // ramex --grammar: the grammar becomes the current one and a new document is made.
    EXPECT_EQ(app->startWithGrammar(grammar), kNoErr);
    paint();
    EXPECT_EQ(app->getMode(), kModeDocument);
    EXPECT_TRUE(app->getFileExistsOnlyInMemory());
    EXPECT_EQ(app->currentGrammarPath(), grammar);
    app->cleanUpForExit();
    EXPECT_EQ(preference("Current Grammar").toString().toStdString(), grammar);
}

TEST_F(AppTest, MissingFilesOnTheCommandLineAreSaidPlainlyAndKeepTheCurrentGrammar) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    setPreference("Current Grammar", QString::fromStdString(grammar));
    ASSERT_TRUE(start());
    paint();
    const std::string missing = dir.file("no-such.rgr");
    EXPECT_EQ(app->startWithGrammar(missing), kErrUserCancelled);
    EXPECT_EQ(messageTexts(),
              (std::vector<std::string>{"The grammar " + missing + " cannot be found."}));
    EXPECT_EQ(app->currentGrammarPath(), grammar);
    EXPECT_TRUE(app->haveCurrentlySelectedGrammar());
    EXPECT_EQ(app->getMode(), kModeNoDocument);

    platform.recorder.clear();
    EXPECT_EQ(app->openDocumentFile(dir.file("essay.rdc")), kErrUserCancelled);
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"The document " + dir.file("essay.rdc") +
                                                        " cannot be found."}));
    EXPECT_TRUE(platform.recorder.bugReports().empty());
    EXPECT_EQ(app->getMode(), kModeNoDocument);
}

TEST_F(AppTest, RevertDiscardsChangesAndReopensTheFile) {
    const std::string grammar = buildFile("english.rgr", kTestGrammarText);
    startWithNewDocument(grammar);
    CRamexWindow& main = app->mainWindow();
    platform.recorder.fileAnswers.push_back(dir.file("essay.rdc"));
    main.OnSave();
    main.OnAuthorMenuItem(kFirstMenu1Command);
    EXPECT_TRUE(main.action(kCommandRevert)->isEnabled());
    platform.recorder.buttonAnswers.push_back(kButtonCancel);
    main.OnRevert();
    EXPECT_EQ(app->getMode(), kModeDocument);
    platform.recorder.buttonAnswers.push_back(kButtonOK);
    main.OnRevert();
    EXPECT_EQ(app->getMode(), kModeOpeningDocument);
    paint();
    EXPECT_EQ(app->getMode(), kModeDocument);
    EXPECT_FALSE(main.action(kCommandUndo)->isEnabled());
    EXPECT_FALSE(main.action(kCommandRevert)->isEnabled());
    EXPECT_EQ(app->currentFilePath(), dir.file("essay.rdc"));
}

TEST_F(AppTest, TheAuthorSideOpensTheCurrentGrammarAndChecksItsScript) {
    const std::string grammar =
        buildFile("broken.rgr", "word dog: [NP [N dog]]\nscript:\ndefine function f\n"
                                "  let x = 1\n  let y = (2\nend define\nend script\n");
    setPreference("Privileges", 1);
    setPreference("Current Grammar", QString::fromStdString(grammar));
    ASSERT_TRUE(start());
    paint();
    app->mainWindow().OnOpenCurrentGrammar();
    EXPECT_EQ(app->getMode(), kModeAuthor);
    EXPECT_TRUE(app->lexicalItemsDialog().isVisible());
    EXPECT_FALSE(app->mainWindow().isVisible());
    ASSERT_NE(app->lexicalItemsDialog().grammar(), nullptr);
    EXPECT_EQ(app->getCTree(), app->lexicalItemsDialog().grammar());
    EXPECT_FALSE(app->getFileExistsOnlyInMemory());
    CScriptWindow& script = app->scriptWindow();
    EXPECT_TRUE(script.textField().toPlainText().startsWith("define function f\n"));

    platform.recorder.clear();
    script.OnCheckScript();
    const auto shown = platform.recorder.callsOfKind(RecordingPlatform::Kind::Message);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Script error");
    EXPECT_FALSE(shown[0].text.empty());
    EXPECT_GE(script.textField().textCursor().blockNumber(), 1);
    EXPECT_EQ(script.textField().textCursor().positionInBlock(), 0);

    EXPECT_EQ(app->reportParseError(0, 0), kNoErr);
    EXPECT_EQ(messageTexts().back(), "The script is syntactically well-formed.");

    // Close returns to the empty main window; the grammar was not changed, so nothing is asked.
    platform.recorder.clear();
    app->lexicalItemsDialog().OnCloseItem();
    EXPECT_TRUE(messageTexts().empty());
    EXPECT_EQ(app->getMode(), kModeClosingDocument);
    EXPECT_EQ(app->getCTree(), nullptr);
    EXPECT_TRUE(app->mainWindow().isVisible());
}

TEST_F(AppTest, NewInTheEditorOnAnUnsavedGrammarMustSaveItFirst) {
    setPreference("Privileges", 1);
    ASSERT_TRUE(start());
    paint();
    app->mainWindow().OnNewGrammar();
    ASSERT_EQ(app->getMode(), kModeAuthor);
    EXPECT_TRUE(app->getFileExistsOnlyInMemory());
    platform.recorder.buttonAnswers.push_back(kButtonCancel);
    app->lexicalItemsDialog().OnNew();
    const auto asked = platform.recorder.callsOfKind(RecordingPlatform::Kind::Message);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Save document before closing?");
    EXPECT_EQ(asked[0].number, static_cast<int32_t>(MessageButtons::OKCancel));
    EXPECT_EQ(app->getMode(), kModeAuthor);

    // OK saves it, makes it the current grammar and starts a student document from it.
    platform.recorder.buttonAnswers.push_back(kButtonOK);
    platform.recorder.fileAnswers.push_back(dir.file("fresh.rgr"));
    app->lexicalItemsDialog().OnNew();
    EXPECT_TRUE(std::filesystem::exists(dir.file("fresh.rgr")));
    EXPECT_EQ(app->currentGrammarPath(), dir.file("fresh.rgr"));
    EXPECT_EQ(app->getMode(), kModeOpeningDocument);
    paint();
    EXPECT_EQ(app->getMode(), kModeDocument);
    EXPECT_TRUE(app->getFileExistsOnlyInMemory());
}
