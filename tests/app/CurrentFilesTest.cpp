#include "AppTestSupport.h"
#include "app/CCurrentFiles.h"
#include "app/FileQuestions.h"
#include "app/FileTypes.h"
#include "app/RGrammarLabel.h"

#include <filesystem>
#include <fstream>
#include <utility>

namespace {

using Kind = RecordingPlatform::Kind;
using Shown = std::vector<std::pair<std::string, bool>>;

// Records what the file operations show on the grammar label.
class CRecordedLabel : public RGrammarLabel {
public:
    void setGrammarLabel(const std::string& grammarPath, bool valid) override {
        shown.emplace_back(grammarPath, valid);
    }
    Shown shown;
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
    static bool dirty(CTree& tree) {
        bool out = false;
        EXPECT_EQ(tree.undoStructure().isDirty(out), kNoErr);
        return out;
    }
    // Each call of the kind as its text and number (the chooser's initial name and whether it
    // saves, the message's text and buttons).
    std::vector<std::pair<std::string, int32_t>> calls(Kind kind) const {
        std::vector<std::pair<std::string, int32_t>> out;
        for (const auto& call : platform.recorder.callsOfKind(kind))
            out.emplace_back(call.text, call.number);
        return out;
    }
    // Answers the next chooser with `path` and the next question with `button`.
    void answer(const std::string& path, int32_t button) {
        platform.recorder.fileAnswers.push_back(path);
        platform.recorder.buttonAnswers.push_back(button);
    }

    TempDir dir;
    RecordingPlatformScope platform;
    CRecordedLabel label;
    CCurrentFiles files;
};

using Calls = std::vector<std::pair<std::string, int32_t>>;

} // namespace

TEST_F(CurrentFilesTest, ChoosingOrEditingAGrammarShowsItAndACancelChangesNothing) {
    EXPECT_FALSE(files.haveCurrentlySelectedGrammar());
    EXPECT_EQ(files.doChooseGrammar(), kNoErr);               // the chooser is cancelled
    EXPECT_EQ(calls(Kind::ChooseFile), (Calls{{".rgr", 0}})); // an Open chooser
    EXPECT_FALSE(files.haveCurrentlySelectedGrammar());
    EXPECT_TRUE(label.shown.empty());

    const std::string grammar = saveGrammar("english.rgr");
    platform.recorder.fileAnswers.push_back(grammar);
    EXPECT_EQ(files.doChooseGrammar(), kNoErr);
    EXPECT_TRUE(files.haveCurrentlySelectedGrammar());
    EXPECT_EQ(files.currentGrammarPath(), grammar);
    EXPECT_EQ(label.shown, (Shown{{grammar, true}}));
    EXPECT_EQ(files.currentFilePath(), ""); // the open file is left alone
    // A later cancel keeps the grammar chosen before.
    EXPECT_EQ(files.doChooseGrammar(), kNoErr);
    EXPECT_EQ(files.currentGrammarPath(), grammar);
    EXPECT_EQ(label.shown.size(), 1u);

    // A grammar opened for editing becomes the current one only when asked.
    const std::string second = saveGrammar("second.rgr");
    platform.recorder.fileAnswers.push_back(second);
    std::unique_ptr<CTree> edited;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, false, edited), kNoErr);
    EXPECT_EQ(files.currentGrammarPath(), grammar);
    files.setOpenGrammarAsSelectedGrammar();
    EXPECT_EQ(files.currentGrammarPath(), second);
    EXPECT_EQ(label.shown, (Shown{{grammar, true}, {second, true}}));
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
    addRoot(*document);

    // Save asks for a name (a Save chooser); a cancel keeps everything as it was.
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kErrUserCancelled);
    EXPECT_EQ(calls(Kind::ChooseFile), (Calls{{".rdc", 1}}));
    EXPECT_EQ(files.currentFilePath(), grammar);
    EXPECT_TRUE(files.getFileExistsOnlyInMemory());
    EXPECT_TRUE(dirty(*document));

    // A name is taken by the dot rule; the document then has a file of its own.
    platform.recorder.fileAnswers.push_back(dir.file("my.first.rdc"));
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kNoErr);
    EXPECT_EQ(files.currentFilePath(), dir.file("my-first.rdc"));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(dir.file("my-first.rdc"))));
    EXPECT_EQ(dir.names().size(), 2u);
    EXPECT_FALSE(files.getFileExistsOnlyInMemory());
    EXPECT_FALSE(dirty(*document));
    EXPECT_EQ(readFileBytes(grammar), grammarBytes);

    // Saved again, it goes over its own file without a question, and reverts the same way.
    addRoot(*document);
    platform.recorder.clear();
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kNoErr);
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
    addRoot(*document);

    const std::string other = dir.file("other.rgr");
    std::ofstream(std::filesystem::u8path(other)) << "someone else's work";
    const auto otherBytes = readFileBytes(other);
    answer(other, kButtonNo);
    EXPECT_EQ(files.doSave(document.get(), kFileTypeGrammar, true), kErrUserCancelled);
    EXPECT_EQ(calls(Kind::Message), (Calls{{"There is already a file by this name.  Replace it?",
                                            static_cast<int32_t>(MessageButtons::YesNo)}}));
    EXPECT_EQ(platform.recorder.callsOfKind(Kind::Message)[0].title, "Replace Existing File");
    EXPECT_EQ(readFileBytes(other), otherBytes);
    EXPECT_EQ(files.currentFilePath(), grammar);
    EXPECT_TRUE(dirty(*document));

    answer(other, kButtonYes);
    EXPECT_EQ(files.doSave(document.get(), kFileTypeGrammar, true), kNoErr);
    EXPECT_EQ(files.currentFilePath(), other);
    EXPECT_FALSE(dirty(*document));
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(loadFrom(other, loaded), kNoErr);
    EXPECT_TRUE(platform.recorder.bugReports().empty());
}

TEST_F(CurrentFilesTest, UnreadableFilesShowTheirMessageAndChangeNothing) {
    const std::string text = dir.file("notes.rdc");
    std::ofstream(std::filesystem::u8path(text)) << "not a Ramex file";
    platform.recorder.fileAnswers.push_back(text);
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kErrUserCancelled);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(calls(Kind::Message),
              (Calls{{"The file cannot be opened, because it is in an invalid format.", 0}}));
    EXPECT_EQ(platform.recorder.callsOfKind(Kind::Message)[0].title, "");
    EXPECT_TRUE(files.getFileExistsOnlyInMemory());

    // A cancelled chooser is quiet and loads nothing.
    platform.recorder.clear();
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kErrUserCancelled);
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(calls(Kind::Message).empty());
    EXPECT_TRUE(platform.recorder.bugReports().empty());

    // A grammar file opens as a document; the document then exists in its file.
    platform.recorder.fileAnswers.push_back(saveGrammar("english.rgr"));
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kNoErr);
    EXPECT_TRUE(loaded);
    EXPECT_FALSE(files.getFileExistsOnlyInMemory());
}

TEST_F(CurrentFilesTest, RevertingReloadsWithoutAskingAndTheQuestionsOfferTheirButtons) {
    const std::string grammar = saveGrammar("english.rgr");
    platform.recorder.fileAnswers.push_back(grammar);
    std::unique_ptr<CTree> first;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, false, first), kNoErr);
    addRoot(*first);
    platform.recorder.clear();
    ASSERT_TRUE(confirmRevert());
    platform.recorder.buttonAnswers = {kButtonCancel, kButtonNo, kButtonCancel};
    EXPECT_FALSE(confirmRevert());
    EXPECT_EQ(askSaveBeforeClosing(MessageButtons::YesNoCancel), kButtonNo);
    EXPECT_EQ(askSaveBeforeClosing(MessageButtons::OKCancel), kButtonCancel);
    const std::string revert = "Are you sure you want to abandon changes to this document and "
                               "revert to the saved version?";
    const auto okCancel = static_cast<int32_t>(MessageButtons::OKCancel);
    EXPECT_EQ(calls(Kind::Message), (Calls{{revert, okCancel},
                                           {revert, okCancel},
                                           {"Save document before closing?",
                                            static_cast<int32_t>(MessageButtons::YesNoCancel)},
                                           {"Save document before closing?", okCancel}}));
    EXPECT_EQ(platform.recorder.callsOfKind(Kind::Message)[2].title, "");

    std::unique_ptr<CTree> reverted;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, true, reverted), kNoErr);
    EXPECT_TRUE(calls(Kind::ChooseFile).empty());
    ASSERT_TRUE(reverted);
    EXPECT_FALSE(dirty(*reverted));
    bool canUndo = true;
    ASSERT_EQ(reverted->undoStructure().canUndo(canUndo), kNoErr);
    EXPECT_FALSE(canUndo);
    EXPECT_EQ(files.currentFilePath(), grammar);
}

TEST_F(CurrentFilesTest, FilesNamedAtStartMustExist) {
    const std::string grammar = saveGrammar("english.rgr");
    ASSERT_EQ(files.useGrammarFile(grammar), kNoErr);
    EXPECT_EQ(label.shown, (Shown{{grammar, true}}));

    const std::string missing = dir.file("missing.rgr");
    EXPECT_EQ(files.useGrammarFile(missing), kErrUserCancelled);
    EXPECT_EQ(files.useDocumentFile(dir.file("gone.rdc")), kErrUserCancelled);
    EXPECT_EQ(calls(Kind::Message),
              (Calls{{"The grammar " + missing + " cannot be found.", 0},
                     {"The document " + dir.file("gone.rdc") + " cannot be found.", 0}}));
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
