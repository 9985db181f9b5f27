#include "app/CCurrentFiles.h"

#include "app/DocumentFiles.h"
#include "app/FileQuestions.h"
#include "app/FileTypes.h"
#include "app/RGrammarLabel.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "storage/CFileDescriptor.h"
#include "undo/CUndoStructure.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace {

constexpr std::size_t kMaxPathBytes = 1024;

RErr newDescriptor(const std::string& path, std::unique_ptr<CFileDescriptor>& out) {
    try {
        out = std::make_unique<CFileDescriptor>(path);
    } catch (const std::bad_alloc&) {
        return kErrMallocFailed;
    }
    return kNoErr;
}

bool isExistingFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::u8path(path), error);
}

} // namespace

CCurrentFiles::CCurrentFiles() = default;

CCurrentFiles::~CCurrentFiles() = default;

void CCurrentFiles::showGrammarLabel() const {
    if (grammarLabel)
        grammarLabel->setGrammarLabel(currentGrammarPath(), currentlySelectedGrammarIsValid);
}

RErr CCurrentFiles::getFilename(int32_t fileType, bool openNotSave) {
    static const char* const name = "CRamexApp::getFilename";
    FileRequest request;
    if (fileRequestForType(fileType, openNotSave, request))
        return reportError(name, kErrGeneral);
    std::string path;
    if (!currentPlatform().chooseFile(request, path) || path.empty())
        return kErrUserCancelled;
    if (path.size() > kMaxPathBytes)
        return reportError(name, kErrInvalidParameter);
    if (!openNotSave)
        path = applyDotRule(path);
    std::unique_ptr<CFileDescriptor> chosen;
    RErr err = newDescriptor(path, chosen);
    if (err)
        return reportError(name, err);
    if (fileType == kFileTypeCurrentGrammar) {
        currentlySelectedGrammar = std::move(chosen);
        currentlySelectedGrammarIsValid = true;
    } else {
        currentFile = std::move(chosen);
    }
    return kNoErr;
}

RErr CCurrentFiles::doSave(CTree* tree, int32_t fileType, bool isSaveAs) {
    static const char* const name = "CRamexApp::doSave";
    if (!tree)
        return reportError(name, kErrNotInitialized);
    RErr err = kNoErr;
    const bool savingOverItself = !(fileExistsOnlyInMemory || isSaveAs || !currentFile);
    if (!savingOverItself) {
        // The name is chosen aside, so a cancel leaves the open file as it was.
        std::unique_ptr<CFileDescriptor> previous = std::move(currentFile);
        err = getFilename(fileType, false);
        bool exists = false;
        if (!err)
            err = currentFile->exists(exists);
        if (!err && exists && !confirmReplaceExistingFile())
            err = kErrUserCancelled;
        if (err)
            currentFile = std::move(previous);
    }
    if (!err)
        err = saveDatabaseFileSafely(*tree, *currentFile, savingOverItself);
    if (!err) {
        fileExistsOnlyInMemory = false;
        err = tree->undoStructure().resetDirty();
    }
    if (err && err != kErrUserCancelled)
        bug(name, err);
    return err;
}

RErr CCurrentFiles::loadFile(std::unique_ptr<CTree>& loaded) {
    static const char* const name = "CRamexApp::loadFile";
    loaded.reset();
    if (!currentFile)
        return reportError(name, kErrNotInitialized);
    RErr err = loadDatabaseFile(*currentFile, loaded);
    const std::string versionText = versionMessage(err);
    if (!versionText.empty()) {
        SystemAlert(versionText, 1);
        return kErrUserCancelled;
    }
    if (err)
        return reportError(name, err);
    return kNoErr;
}

RErr CCurrentFiles::doOpen(int32_t fileType, bool isRevert, std::unique_ptr<CTree>& loaded) {
    RErr err = kNoErr;
    if (!isRevert)
        err = getFilename(fileType, true);
    if (!err)
        err = loadFile(loaded);
    if (!err)
        fileExistsOnlyInMemory = false;
    return err;
}

RErr CCurrentFiles::doChooseGrammar() {
    const RErr err = getFilename(kFileTypeCurrentGrammar, true);
    if (err == kErrUserCancelled)
        return kNoErr;
    if (!err)
        showGrammarLabel();
    return err;
}

RErr CCurrentFiles::copyCurrentGrammarToCurrentFile() {
    if (!currentlySelectedGrammar)
        return reportError("CRamexApp::copyCurrentGrammarToCurrentFile", kErrNotInitialized);
    std::unique_ptr<CFileDescriptor> copy;
    const RErr err = currentlySelectedGrammar->clone(copy);
    if (!err)
        currentFile = std::move(copy);
    return err;
}

RErr CCurrentFiles::openCurrentGrammarAsStudentDoc(std::unique_ptr<CTree>& loaded) {
    RErr err = copyCurrentGrammarToCurrentFile();
    if (!err) {
        // The grammar's own file must never be overwritten by the student's work.
        fileExistsOnlyInMemory = true;
        err = loadFile(loaded);
    }
    return err;
}

RErr CCurrentFiles::doOpenCurrentGrammar(std::unique_ptr<CTree>& loaded) {
    RErr err = copyCurrentGrammarToCurrentFile();
    if (!err)
        err = loadFile(loaded);
    if (!err)
        fileExistsOnlyInMemory = false;
    return err;
}

void CCurrentFiles::setOpenGrammarAsSelectedGrammar() {
    std::unique_ptr<CFileDescriptor> copy;
    if (currentFile && !currentFile->clone(copy)) {
        currentlySelectedGrammar = std::move(copy);
        currentlySelectedGrammarIsValid = true;
        showGrammarLabel();
    }
}

std::string CCurrentFiles::currentFilePath() const {
    return currentFile ? currentFile->path() : std::string();
}

std::string CCurrentFiles::currentGrammarPath() const {
    return currentlySelectedGrammar ? currentlySelectedGrammar->path() : std::string();
}

RErr CCurrentFiles::selectGrammar(const std::string& path) {
    currentlySelectedGrammarIsValid = false;
    currentlySelectedGrammar.reset();
    if (path.empty())
        return kNoErr;
    RErr err = newDescriptor(path, currentlySelectedGrammar);
    bool exists = false;
    if (!err)
        err = currentlySelectedGrammar->exists(exists);
    if (!err)
        currentlySelectedGrammarIsValid = exists;
    return err;
}

RErr CCurrentFiles::replaceCurrentFile(const std::string& path) {
    std::unique_ptr<CFileDescriptor> file;
    const RErr err = newDescriptor(path, file);
    if (err)
        return reportError("CRamexApp::replaceCurrentFile", err);
    currentFile = std::move(file);
    return kNoErr;
}

RErr CCurrentFiles::useDocumentFile(const std::string& path) {
    if (!isExistingFile(path)) {
        SystemAlert("The document " + path + " cannot be found.", 1);
        return kErrUserCancelled;
    }
    return replaceCurrentFile(path);
}

RErr CCurrentFiles::useGrammarFile(const std::string& path) {
    // Checked first: a mistyped name must not cost the user the current grammar.
    if (!isExistingFile(path)) {
        SystemAlert("The grammar " + path + " cannot be found.", 1);
        return kErrUserCancelled;
    }
    const RErr err = selectGrammar(path);
    if (!err)
        showGrammarLabel();
    return err;
}
