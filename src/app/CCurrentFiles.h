#pragma once

#include "base/ErrorCodes.h"

#include <cstdint>
#include <memory>
#include <string>

class CFileDescriptor;
class CTree;
class RGrammarLabel;

// The application's current file and current grammar, and the operations that choose, open,
// save and revert them with their questions and messages. The loaded databases go to the
// caller, which owns them; the only thing asked of a window is the grammar label.
//
// Every operation returns 0 on success, -1 when the person cancelled (never reported), or an
// error it has reported under the application's operation name ("CRamexApp::doSave" ...).
class CCurrentFiles {
public:
    CCurrentFiles();
    ~CCurrentFiles();
    CCurrentFiles(const CCurrentFiles&) = delete;
    CCurrentFiles& operator=(const CCurrentFiles&) = delete;

    // Where a new current grammar is shown; nullptr shows it nowhere.
    void installGrammarLabel(RGrammarLabel* label) { grammarLabel = label; }
    // Shows the current grammar on the installed label.
    void showGrammarLabel() const;

    // Asks for a file of `fileType`; the chosen file becomes the current file, or the current
    // grammar for the grammar choice. A save name follows the dot rule.
    RErr getFilename(int32_t fileType, bool openNotSave);
    // Saves `tree` into the current file; a file only in memory, or Save As, asks for a name
    // first (and before replacing another file). A cancel leaves the current file as it was.
    RErr doSave(CTree* tree, int32_t fileType, bool isSaveAs);
    // Checks the version and loads the current file. An unreadable or foreign version shows
    // its message and gives -1.
    RErr loadFile(std::unique_ptr<CTree>& loaded);
    // Asks for a file (unless reverting, which reloads the current file) and loads it.
    RErr doOpen(int32_t fileType, bool isRevert, std::unique_ptr<CTree>& loaded);
    // Asks for the current grammar and shows it; a cancel is not an error.
    RErr doChooseGrammar();
    // Loads the current grammar as a new student document that exists only in memory.
    RErr openCurrentGrammarAsStudentDoc(std::unique_ptr<CTree>& loaded);
    // Loads the current grammar's own file for editing.
    RErr doOpenCurrentGrammar(std::unique_ptr<CTree>& loaded);
    // The open grammar becomes the current grammar and is shown.
    void setOpenGrammarAsSelectedGrammar();

    // Makes `path` the current grammar; it is valid when the file exists.
    RErr selectGrammar(const std::string& path);
    // Makes `path` the current file.
    RErr replaceCurrentFile(const std::string& path);
    // The document named on the command line becomes the current file; a missing one is
    // told to the person and gives -1.
    RErr useDocumentFile(const std::string& path);
    // The grammar named on the command line becomes the current grammar and is shown; a
    // missing one is told to the person and gives -1, keeping the current grammar.
    RErr useGrammarFile(const std::string& path);

    bool haveCurrentlySelectedGrammar() const { return currentlySelectedGrammarIsValid; }
    void setFileExistsOnlyInMemory(bool value) { fileExistsOnlyInMemory = value; }
    bool getFileExistsOnlyInMemory() const { return fileExistsOnlyInMemory; }
    // The paths of the current file and grammar, "" when none.
    std::string currentFilePath() const;
    std::string currentGrammarPath() const;

private:
    RErr copyCurrentGrammarToCurrentFile();

    RGrammarLabel* grammarLabel = nullptr;
    std::unique_ptr<CFileDescriptor> currentFile;
    bool fileExistsOnlyInMemory = true;
    std::unique_ptr<CFileDescriptor> currentlySelectedGrammar;
    bool currentlySelectedGrammarIsValid = false;
};
