#include "AppTestSupport.h"
#include "app/CCurrentFiles.h"
#include "app/FileQuestions.h"
#include "app/FileTypes.h"
#include "app/RGrammarLabel.h"

#include <filesystem>

namespace {

using Kind = RecordingPlatform::Kind;

class CurrentFilesTest : public ::testing::Test, RGrammarLabel {
protected:
    CurrentFilesTest() { files.installGrammarLabel(this); }

    void setGrammarLabel(const std::string& grammarPath, bool valid) override {
        label += "; label " + grammarPath + (valid ? "" : " (invalid)");
    }
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
    // The text with the folder's paths as bare names.
    std::string local(std::string text) const {
        const std::string root = dir.file("");
        for (std::size_t at; (at = text.find(root)) != std::string::npos;)
            text.erase(at, root.size());
        return text;
    }
    // What the person was shown since the last look, one call after the other: choosers with
    // their initial name, questions with their title and buttons, bug reports, then the
    // grammar label; without `bugs`, no bug reports.
    std::string seen(bool bugs = true) {
        std::string out;
        for (const auto& call : platform.recorder.calls()) {
            if (!bugs && call.kind == Kind::BugReport)
                continue;
            out += out.empty() ? "" : "; ";
            if (call.kind == Kind::ChooseFile)
                out += "choose " + call.text + (call.number ? " to save" : " to open");
            else
                out += (call.kind == Kind::Message ? "[" + call.title + "] " : "bug ") + call.text +
                       (call.number ? " " + std::to_string(call.number) : "");
        }
        platform.recorder.clear();
        out = local(out + (out.empty() && !label.empty() ? label.substr(2) : label));
        label.clear();
        return out;
    }
    // "grammar <path>[ (not selected)]; file <path>[ only in memory]".
    std::string where() const {
        return local("grammar " + files.currentGrammarPath() +
                     (files.haveCurrentlySelectedGrammar() ? "" : " (not selected)") + "; file " +
                     files.currentFilePath() +
                     (files.getFileExistsOnlyInMemory() ? " only in memory" : ""));
    }
    std::string look() { return seen() + " | " + where(); }
    void answer(const std::string& path) { platform.recorder.fileAnswers.push_back(path); }

    TempDir dir;
    RecordingPlatformScope platform;
    std::string label;
    CCurrentFiles files;
};

} // namespace

TEST_F(CurrentFilesTest, ChoosingOrEditingAGrammarShowsItAndACancelChangesNothing) {
    const std::string nothing = "grammar  (not selected); file  only in memory";
    EXPECT_EQ(files.doChooseGrammar(), kNoErr); // the chooser is cancelled
    EXPECT_EQ(look(), "choose .rgr to open | " + nothing);
    answer(saveGrammar("english.rgr"));
    EXPECT_EQ(files.doChooseGrammar(), kNoErr);
    const std::string chosen = "grammar english.rgr; file  only in memory";
    EXPECT_EQ(look(), "choose .rgr to open; label english.rgr | " + chosen);
    // A later cancel keeps the grammar chosen before.
    EXPECT_EQ(files.doChooseGrammar(), kNoErr);
    EXPECT_EQ(look(), "choose .rgr to open | " + chosen);
    // A grammar opened for editing becomes the current one only when asked.
    answer(saveGrammar("second.rgr"));
    std::unique_ptr<CTree> edited;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, false, edited), kNoErr);
    EXPECT_EQ(look(), "choose .rgr to open | grammar english.rgr; file second.rgr");
    files.setOpenGrammarAsSelectedGrammar();
    EXPECT_EQ(look(), "label second.rgr | grammar second.rgr; file second.rgr");
}

TEST_F(CurrentFilesTest, ANewDocumentNeverOverwritesItsGrammarAndReplacingAnotherFileAsks) {
    const std::string grammar = saveGrammar("english.rgr");
    const auto grammarBytes = readFileBytes(grammar);
    ASSERT_EQ(files.selectGrammar(grammar), kNoErr);
    std::unique_ptr<CTree> document;
    ASSERT_EQ(files.openCurrentGrammarAsStudentDoc(document), kNoErr);
    ASSERT_TRUE(document);
    addRoot(*document);
    EXPECT_EQ(look(), " | grammar english.rgr; file english.rgr only in memory");
    // Save asks for a name; a cancel keeps everything as it was.
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kErrUserCancelled);
    EXPECT_EQ(look(), "choose .rdc to save | grammar english.rgr; file english.rgr only in memory");
    EXPECT_TRUE(dirty(*document));
    // A name is taken by the dot rule; the document then has a file of its own.
    answer(dir.file("my.first.rdc"));
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kNoErr);
    EXPECT_EQ(look(), "choose .rdc to save | grammar english.rgr; file my-first.rdc");
    EXPECT_EQ(dir.names().size(), 2u);
    EXPECT_FALSE(dirty(*document));
    EXPECT_EQ(readFileBytes(grammar), grammarBytes);
    // Saved again, it goes over its own file without a question, and reverts the same way.
    addRoot(*document);
    EXPECT_EQ(files.doSave(document.get(), kFileTypeDocument, false), kNoErr);
    std::unique_ptr<CTree> reopened;
    ASSERT_EQ(files.doOpen(kFileTypeDocument, true, reopened), kNoErr);
    EXPECT_TRUE(reopened);
    EXPECT_EQ(seen(), "");

    // Saving as another file's name asks first; No keeps that file byte for byte.
    ASSERT_EQ(files.doOpenCurrentGrammar(document), kNoErr);
    addRoot(*document);
    const std::string other = dir.file("other.rgr");
    writeTextFile(other, "someone else's work");
    const std::string replace = "[Replace Existing File] There is already a file by this name.  "
                                "Replace it? " +
                                std::to_string(static_cast<int32_t>(MessageButtons::YesNo));
    for (const int32_t button : {kButtonNo, kButtonYes}) {
        answer(other);
        platform.recorder.buttonAnswers.push_back(button);
        EXPECT_EQ(files.doSave(document.get(), kFileTypeGrammar, true),
                  button == kButtonNo ? kErrUserCancelled : kNoErr);
        EXPECT_EQ(seen(), "choose .rgr to save; " + replace);
        EXPECT_EQ(dirty(*document), button == kButtonNo);
    }
    EXPECT_EQ(where(), "grammar english.rgr; file other.rgr");
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(loadFrom(other, loaded), kNoErr);
}

TEST_F(CurrentFilesTest, UnreadableFilesShowTheirMessageAndChangeNothing) {
    writeTextFile(dir.file("notes.rdc"), "not a Ramex file");
    answer(dir.file("notes.rdc"));
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kErrUserCancelled);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(seen(false), "choose .rdc to open; [] The file cannot be opened, because it is in "
                           "an invalid format.");
    EXPECT_TRUE(files.getFileExistsOnlyInMemory());
    // A cancelled chooser is quiet and loads nothing.
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kErrUserCancelled);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(seen(), "choose .rdc to open");
    // A grammar file opens as a document; the document then exists in its file.
    answer(saveGrammar("english.rgr"));
    EXPECT_EQ(files.doOpen(kFileTypeDocument, false, loaded), kNoErr);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(look(), "choose .rdc to open | grammar  (not selected); file english.rgr");
}

TEST_F(CurrentFilesTest, RevertingReloadsWithoutAskingAndTheQuestionsOfferTheirButtons) {
    const std::string grammar = saveGrammar("english.rgr");
    answer(grammar);
    std::unique_ptr<CTree> first;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, false, first), kNoErr);
    addRoot(*first);
    seen();
    ASSERT_TRUE(confirmRevert());
    platform.recorder.buttonAnswers = {kButtonCancel, kButtonNo, kButtonCancel};
    EXPECT_FALSE(confirmRevert());
    EXPECT_EQ(askSaveBeforeClosing(MessageButtons::YesNoCancel), kButtonNo);
    EXPECT_EQ(askSaveBeforeClosing(MessageButtons::OKCancel), kButtonCancel);
    const std::string revert = "[] Are you sure you want to abandon changes to this document "
                               "and revert to the saved version? " +
                               std::to_string(static_cast<int32_t>(MessageButtons::OKCancel));
    EXPECT_EQ(seen(), revert + "; " + revert + "; [] Save document before closing? " +
                          std::to_string(static_cast<int32_t>(MessageButtons::YesNoCancel)) +
                          "; [] Save document before closing? " +
                          std::to_string(static_cast<int32_t>(MessageButtons::OKCancel)));
    std::unique_ptr<CTree> reverted;
    ASSERT_EQ(files.doOpen(kFileTypeGrammar, true, reverted), kNoErr);
    ASSERT_TRUE(reverted);
    EXPECT_EQ(look(), " | grammar  (not selected); file english.rgr");
    EXPECT_FALSE(dirty(*reverted));
    bool canUndo = true;
    ASSERT_EQ(reverted->undoStructure().canUndo(canUndo), kNoErr);
    EXPECT_FALSE(canUndo);
}

TEST_F(CurrentFilesTest, FilesNamedAtStartMustExistAndMisuseIsReported) {
    const std::string grammar = saveGrammar("english.rgr");
    ASSERT_EQ(files.useGrammarFile(grammar), kNoErr);
    EXPECT_EQ(files.useGrammarFile(dir.file("missing.rgr")), kErrUserCancelled);
    EXPECT_EQ(files.useDocumentFile(dir.file("gone.rdc")), kErrUserCancelled);
    // A mistyped name costs neither the current grammar nor the current file.
    EXPECT_EQ(look(),
              "[] The grammar missing.rgr cannot be found.; [] The document gone.rdc cannot be "
              "found.; label english.rgr | grammar english.rgr; file  only in memory");
    ASSERT_EQ(files.useDocumentFile(grammar), kNoErr);
    std::unique_ptr<CTree> loaded;
    EXPECT_EQ(files.doOpen(kFileTypeDocument, true, loaded), kNoErr);
    EXPECT_TRUE(loaded);
    // A grammar preference whose file has gone is no current grammar.
    EXPECT_EQ(files.selectGrammar(dir.file("missing.rgr")), kNoErr);
    EXPECT_EQ(look(), " | grammar missing.rgr (not selected); file english.rgr");

    CCurrentFiles fresh;
    EXPECT_EQ(fresh.openCurrentGrammarAsStudentDoc(loaded), kErrNotInitialized);
    EXPECT_EQ(fresh.doSave(nullptr, kFileTypeDocument, false), kErrNotInitialized);
    EXPECT_EQ(fresh.loadFile(loaded), kErrNotInitialized);
    EXPECT_EQ(fresh.getFilename(5, true), kErrGeneral);
    answer(std::string(1025, 'a'));
    EXPECT_EQ(fresh.getFilename(kFileTypeDocument, true), kErrInvalidParameter);
    EXPECT_EQ(seen(), "bug CRamexApp::copyCurrentGrammarToCurrentFile (data structure not "
                      "initialized); bug CRamexApp::doSave (data structure not initialized); bug "
                      "CRamexApp::loadFile (data structure not initialized); bug "
                      "CRamexApp::getFilename (general error); choose .rdc to open; bug "
                      "CRamexApp::getFilename (invalid parameter)");
    EXPECT_EQ(fresh.currentFilePath(), "");
}
