#include "app/CCurrentFiles.h"
#include "app/DocumentFiles.h"
#include "app/FileQuestions.h"
#include "app/FileTypes.h"
#include "app/RGrammarLabel.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "support/TestSupport.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <utility>

namespace {

// Records what the file operations show on the grammar label.
class CRecordedLabel : public RGrammarLabel {
public:
    void setGrammarLabel(const std::string& grammarPath, bool valid) override {
        shown.emplace_back(grammarPath, valid);
    }
    std::vector<std::pair<std::string, bool>> shown;
};

class CurrentFilesTest : public ::testing::Test {
protected:
    CurrentFilesTest() { files.installGrammarLabel(&label); }

    // A grammar with the standard categories saved under `name`; returns its path.
    std::string saveGrammar(const std::string& name) {
        CTree tree;
        EXPECT_EQ(tree.createTree(true), kNoErr);
        const std::string path = dir.file(name);
        CFileDescriptor file(path);
        EXPECT_EQ(saveDatabaseFile(tree, file), kNoErr);
        return path;
    }
    // One undoable change, so the database is dirty and saves differently.
    static void change(CTree& tree) {
        int32_t root = 0;
        ASSERT_EQ(tree.undoStructure().startTaskList(kLabelNewTree), kNoErr);
        ASSERT_EQ(tree.newRoot(root), kNoErr);
        ASSERT_EQ(tree.undoStructure().finishTaskList(), kNoErr);
    }
    static bool dirty(CTree& tree) {
        bool out = false;
        EXPECT_EQ(tree.undoStructure().isDirty(out), kNoErr);
        return out;
    }
    std::vector<RecordingPlatform::Call> calls(RecordingPlatform::Kind kind) const {
        return platform.recorder.callsOfKind(kind);
    }

    TempDir dir;
    RecordingPlatformScope platform;
    CRecordedLabel label;
    CCurrentFiles files;
};

} // namespace

TEST_F(CurrentFilesTest, ChoosingAGrammarShowsItAndACancelChangesNothing) {
    EXPECT_FALSE(files.haveCurrentlySelectedGrammar());
    EXPECT_EQ(files.doChooseGrammar(), kNoErr); // the chooser is cancelled
    const auto asked = calls(RecordingPlatform::Kind::ChooseFile);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, ".rgr");
    EXPECT_EQ(asked[0].number, 0); // an Open chooser
    EXPECT_FALSE(files.haveCurrentlySelectedGrammar());
    EXPECT_TRUE(label.shown.empty());

    const std::string grammar = saveGrammar("english.rgr");
    platform.recorder.fileAnswers.push_back(grammar);
    EXPECT_EQ(files.doChooseGrammar(), kNoErr);
    EXPECT_TRUE(files.haveCurrentlySelectedGrammar());
    EXPECT_EQ(files.currentGrammarPath(), grammar);
    EXPECT_EQ(label.shown, (std::vector<std::pair<std::string, bool>>{{grammar, true}}));
    // Choosing a grammar leaves the open file alone.
    EXPECT_EQ(files.currentFilePath(), "");

    // A later cancel keeps the grammar chosen before.
    EXPECT_EQ(files.doChooseGrammar(), kNoErr);
    EXPECT_EQ(files.currentGrammarPath(), grammar);
    EXPECT_EQ(label.shown.size(), 1u);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(CurrentFilesTest, ANewDocumentNeverOverwritesItsGrammar) {
    const std::string grammar = saveGrammar("english.rgr");
    const auto grammarBytes = readFileBytes(grammar);
    ASSERT_EQ(files.selectGrammar(grammar), kNoErr);
    std::unique_ptr<CTree> document;
    ASSERT_EQ(files.openCurrentGrammarAsStudentDoc(document), kNoErr);
    ASSERT_TRUE(document);
    EXPECT_TRUE(files.getFileExistsOnlyInMemory());
    EXPECT_EQ(files.currentFilePath(), grammar);
    change(*document);

    // Save asks for a name; a cancel keeps everything as it was.
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kErrUserCancelled);
    auto asked = calls(RecordingPlatform::Kind::ChooseFile);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, ".rdc");
    EXPECT_EQ(asked[0].number, 1); // a Save chooser
    EXPECT_EQ(files.currentFilePath(), grammar);
    EXPECT_TRUE(files.getFileExistsOnlyInMemory());
    EXPECT_TRUE(dirty(*document));
    EXPECT_EQ(readFileBytes(grammar), grammarBytes);

    // A name is taken by the dot rule; the document then has a file of its own.
    platform.recorder.fileAnswers.push_back(dir.file("my.first.rdc"));
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kNoErr);
    EXPECT_EQ(files.currentFilePath(), dir.file("my-first.rdc"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("my-first.rdc")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("my.first.rdc")));
    EXPECT_FALSE(files.getFileExistsOnlyInMemory());
    EXPECT_FALSE(dirty(*document));
    EXPECT_EQ(readFileBytes(grammar), grammarBytes);

    // Saved again, it goes over its own file without a question.
    change(*document);
    platform.recorder.clear();
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kNoErr);
    EXPECT_TRUE(platform.recorder.calls().empty());
    std::unique_ptr<CTree> reopened;
    ASSERT_EQ(files.doOpen(kFileTypeDocument, true, reopened), kNoErr);
    EXPECT_TRUE(reopened);
    EXPECT_TRUE(platform.recorder.calls().empty());
}

TEST_F(CurrentFilesTest, ReplacingAnotherFileAsksAndNoKeepsItByteForByte) {
    const std::string grammar = saveGrammar("english.rgr");
    ASSERT_EQ(files.selectGrammar(grammar), kNoErr);
    std::unique_ptr<CTree> document;
    ASSERT_EQ(files.doOpenCurrentGrammar(document), kNoErr);
    EXPECT_FALSE(files.getFileExistsOnlyInMemory());
    change(*document);

    const std::string other = dir.file("other.rgr");
    std::ofstream(other) << "someone else's work";
    const auto otherBytes = readFileBytes(other);
    platform.recorder.fileAnswers.push_back(other);
    platform.recorder.buttonAnswers.push_back(kButtonNo);
    EXPECT_EQ(files.doSave(document.get(), kFileTypeGrammar, true), kErrUserCancelled);
    const auto question = calls(RecordingPlatform::Kind::Message);
    ASSERT_EQ(question.size(), 1u);
    EXPECT_EQ(question[0].title, "Replace Existing File");
    EXPECT_EQ(question[0].text, "There is already a file by this name.  Replace it?");
    EXPECT_EQ(question[0].number, static_cast<int32_t>(MessageButtons::YesNo));
    EXPECT_EQ(readFileBytes(other), otherBytes);
    EXPECT_EQ(files.currentFilePath(), grammar);
    EXPECT_TRUE(dirty(*document));

    platform.recorder.fileAnswers.push_back(other);
    platform.recorder.buttonAnswers.push_back(kButtonYes);
    EXPECT_EQ(files.doSave(document.get(), kFileTypeGrammar, true), kNoErr);
    EXPECT_NE(readFileBytes(other), otherBytes);
    EXPECT_EQ(files.currentFilePath(), other);
    EXPECT_FALSE(dirty(*document));
    std::unique_ptr<CTree> loaded;
    CFileDescriptor saved(other);
    EXPECT_EQ(loadDatabaseFile(saved, loaded), kNoErr);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(CurrentFilesTest, UnreadableFilesShowTheirMessageAndChangeNothing) {
    const std::string text = dir.file("notes.rdc");
    std::ofstream(text) << "not a Ramex file";
    platform.recorder.fileAnswers.push_back(text);
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kErrUserCancelled);
    EXPECT_FALSE(loaded);
    const auto shown = calls(RecordingPlatform::Kind::Message);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "The file cannot be opened, because it is in an invalid format.");
    EXPECT_EQ(shown[0].title, "");
    EXPECT_TRUE(files.getFileExistsOnlyInMemory());

    // A cancelled chooser is quiet and loads nothing.
    platform.recorder.clear();
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kErrUserCancelled);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(calls(RecordingPlatform::Kind::Message).size(), 0u);
    EXPECT_TRUE(platform.recorder.bugReports().empty());

    // A grammar file opens as a document; the document then exists in its file.
    const std::string grammar = saveGrammar("english.rgr");
    platform.recorder.fileAnswers.push_back(grammar);
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kNoErr);
    EXPECT_TRUE(loaded);
    EXPECT_FALSE(files.getFileExistsOnlyInMemory());
}

TEST_F(CurrentFilesTest, RevertingReloadsTheSavedFileWithoutAsking) {
    const std::string grammar = saveGrammar("english.rgr");
    platform.recorder.fileAnswers.push_back(grammar);
    std::unique_ptr<CTree> first;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, false, first), kNoErr);
    change(*first);
    platform.recorder.clear();
    ASSERT_TRUE(confirmRevert());
    const auto question = calls(RecordingPlatform::Kind::Message);
    ASSERT_EQ(question.size(), 1u);
    EXPECT_EQ(question[0].text, "Are you sure you want to abandon changes to this document and "
                                "revert to the saved version?");
    EXPECT_EQ(question[0].number, static_cast<int32_t>(MessageButtons::OKCancel));
    platform.recorder.buttonAnswers.push_back(kButtonCancel);
    EXPECT_FALSE(confirmRevert());

    std::unique_ptr<CTree> reverted;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, true, reverted), kNoErr);
    EXPECT_TRUE(calls(RecordingPlatform::Kind::ChooseFile).empty());
    ASSERT_TRUE(reverted);
    EXPECT_FALSE(dirty(*reverted));
    bool canUndo = true;
    ASSERT_EQ(reverted->undoStructure().canUndo(canUndo), kNoErr);
    EXPECT_FALSE(canUndo);
    EXPECT_EQ(files.currentFilePath(), grammar);
}

TEST_F(CurrentFilesTest, TheSaveQuestionOffersTheButtonsItIsGiven) {
    platform.recorder.buttonAnswers = {kButtonNo, kButtonCancel};
    EXPECT_EQ(askSaveBeforeClosing(MessageButtons::YesNoCancel), kButtonNo);
    EXPECT_EQ(askSaveBeforeClosing(MessageButtons::OKCancel), kButtonCancel);
    const auto asked = calls(RecordingPlatform::Kind::Message);
    ASSERT_EQ(asked.size(), 2u);
    for (const auto& call : asked) {
        EXPECT_EQ(call.text, "Save document before closing?");
        EXPECT_EQ(call.title, "");
    }
    EXPECT_EQ(asked[0].number, static_cast<int32_t>(MessageButtons::YesNoCancel));
    EXPECT_EQ(asked[1].number, static_cast<int32_t>(MessageButtons::OKCancel));
}

TEST_F(CurrentFilesTest, AnEditedGrammarBecomesTheCurrentGrammarAndIsShown) {
    const std::string first = saveGrammar("first.rgr");
    const std::string second = saveGrammar("second.rgr");
    ASSERT_EQ(files.selectGrammar(first), kNoErr);
    platform.recorder.fileAnswers.push_back(second);
    std::unique_ptr<CTree> grammar;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, false, grammar), kNoErr);
    EXPECT_EQ(files.currentGrammarPath(), first);
    files.setOpenGrammarAsSelectedGrammar();
    EXPECT_EQ(files.currentGrammarPath(), second);
    EXPECT_EQ(label.shown, (std::vector<std::pair<std::string, bool>>{{second, true}}));
}

TEST_F(CurrentFilesTest, FilesNamedAtStartMustExist) {
    const std::string grammar = saveGrammar("english.rgr");
    ASSERT_EQ(files.useGrammarFile(grammar), kNoErr);
    EXPECT_EQ(label.shown, (std::vector<std::pair<std::string, bool>>{{grammar, true}}));

    const std::string missing = dir.file("missing.rgr");
    EXPECT_EQ(files.useGrammarFile(missing), kErrUserCancelled);
    EXPECT_EQ(files.useDocumentFile(dir.file("gone.rdc")), kErrUserCancelled);
    const auto shown = calls(RecordingPlatform::Kind::Message);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "The grammar " + missing + " cannot be found.");
    EXPECT_EQ(shown[1].text, "The document " + dir.file("gone.rdc") + " cannot be found.");
    // A mistyped name costs neither the current grammar nor the current file.
    EXPECT_EQ(files.currentGrammarPath(), grammar);
    EXPECT_TRUE(files.haveCurrentlySelectedGrammar());
    EXPECT_EQ(label.shown.size(), 1u);
    EXPECT_EQ(files.currentFilePath(), "");

    ASSERT_EQ(files.useDocumentFile(grammar), kNoErr);
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(files.doOpen(kFileTypeDocument, true, loaded), kNoErr);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(platform.recorder.bugReports().empty());

    // A grammar preference whose file has gone is no current grammar.
    EXPECT_EQ(files.selectGrammar(missing), kNoErr);
    EXPECT_FALSE(files.haveCurrentlySelectedGrammar());
}

TEST_F(CurrentFilesTest, MisuseIsReportedUnderTheApplicationsNames) {
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(files.openCurrentGrammarAsStudentDoc(loaded), kErrNotInitialized);
    EXPECT_EQ(files.doSave(nullptr, kFileTypeDocument, false), kErrNotInitialized);
    EXPECT_EQ(files.loadFile(loaded), kErrNotInitialized);
    EXPECT_EQ(files.getFilename(5, true), kErrGeneral);
    platform.recorder.fileAnswers.push_back(std::string(1025, 'a'));
    EXPECT_EQ(files.getFilename(kFileTypeDocument, true), kErrInvalidParameter);
    EXPECT_EQ(platform.recorder.bugReports(),
              (std::vector<std::string>{
                  "CRamexApp::copyCurrentGrammarToCurrentFile (data structure not initialized)",
                  "CRamexApp::doSave (data structure not initialized)",
                  "CRamexApp::loadFile (data structure not initialized)",
                  "CRamexApp::getFilename (general error)",
                  "CRamexApp::getFilename (invalid parameter)"}));
    EXPECT_EQ(files.currentFilePath(), "");
}
