#pragma once

#include "base/ErrorCodes.h"
#include "script/RUserInterfaceRequests.h"

#include <cstdint>
#include <memory>
#include <string>

class CCategoriesDialog;
class CDebugDialog;
class CFeaturesDialog;
class CFileDescriptor;
class CLexicalItemsDialog;
class CPrivilegesDialog;
class CRamexWindow;
class CScriptWindow;
class CTree;

// What the program is doing: which window is in front and where requests go.
enum RMode : int32_t {
    kModeClosingDocument = 1, // the main window's next paint finishes the change to 2
    kModeNoDocument = 2,
    kModeOpeningDocument = 3, // the main window's next paint finishes the change to 4
    kModeDocument = 4,
    kModeSwitchingToAuthor = 5,
    kModeAuthor = 6,
    kModeQuitting = 7,
};

// The one application object: starts the program, owns the seven long-lived windows, keeps
// the mode, the current file and the current grammar, and routes the script's and the undo
// tasks' requests to the window that can serve them. The current database belongs to the
// window that works on it; the application only refers to it.
class CRamexApp : public RUserInterfaceRequests {
public:
    CRamexApp();
    ~CRamexApp() override;
    CRamexApp(const CRamexApp&) = delete;
    CRamexApp& operator=(const CRamexApp&) = delete;

    // Start-up; false ends the program (the preferences could not be read).
    bool InitInstance(bool showMainWindow = true);

    RErr setMode(int32_t newMode);
    int32_t getMode() const { return mode; }
    void installCTree(CTree* tree) { theCTree = tree; }
    CTree* getCTree() const { return theCTree; }

    // A user-interface task in the current database's open undo list; always 0.
    RErr addUserInterfaceUndoTask(int32_t taskCode, int32_t oldValue, int32_t newValue);

    // Requests routed by mode.
    RErr doUserInterfaceUndoTask(int32_t taskCode, int32_t value) override;
    RErr notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute, const CRString* text,
                                         int32_t selectionStart, int32_t selectionEnd) override;
    RErr reportParseError(int32_t code, int32_t line) override;
    RErr message(const CRString& text) override;
    RErr popUp(int32_t node, const CRString& text) override;
    RErr ask(const CRString& prompt, CRString& answer) override;

    void cleanUpForExit();
    void handleNew();
    void handleNewGrammar();
    void handleOpenGrammar();
    void handleOpenCurrentGrammar();

    // --- Preferences and privileges ---
    RErr readPreferences();
    RErr writePreferences();
    bool getPrivileges() const { return authorCommandsAreEnabledBool; }
    void setPrivileges(bool author);
    void showSecretDialog(bool privilegesNotMemory);

    // --- Documents and grammars. 0 success, -1 cancelled (never reported), else reported. ---
    RErr getFilename(int32_t fileType, bool openNotSave);
    RErr doSave(int32_t fileType, bool isSaveAs);
    // Checks and loads `currentFile` into a new database, which becomes the current one; the
    // caller (the window that works on it) takes it.
    RErr loadFile(std::unique_ptr<CTree>& loaded);
    RErr doOpen(int32_t fileType, bool isRevert, std::unique_ptr<CTree>& loaded);
    RErr doChooseGrammar();
    RErr openCurrentGrammarAsStudentDoc(std::unique_ptr<CTree>& loaded);
    RErr doOpenCurrentGrammar(std::unique_ptr<CTree>& loaded);
    void setOpenGrammarAsSelectedGrammar();
    bool haveCurrentlySelectedGrammar() const { return currentlySelectedGrammarIsValid; }
    void setFileExistsOnlyInMemory(bool value) { fileExistsOnlyInMemory = value; }
    bool getFileExistsOnlyInMemory() const { return fileExistsOnlyInMemory; }
    // The path of the open document or grammar, "" when none.
    std::string currentFilePath() const;
    std::string currentGrammarPath() const;
    // Makes `path` the current grammar; it is valid when the file exists.
    RErr selectGrammar(const std::string& path);

    // --- The command line: `ramex FILE` and `ramex --grammar FILE.rgr` ---
    RErr openDocumentFile(const std::string& path);
    RErr startWithGrammar(const std::string& path);

    CRamexWindow& mainWindow() { return *ramexWindow; }
    CLexicalItemsDialog& lexicalItemsDialog() { return *lexicalItemsDialogWindow; }
    CCategoriesDialog& categoriesDialog() { return *categoriesDialogWindow; }
    CFeaturesDialog& featuresDialog() { return *featuresDialogWindow; }
    CScriptWindow& scriptWindow() { return *scriptWindowObject; }
    CPrivilegesDialog& privilegesDialog() { return *privilegesDialogWindow; }
    CDebugDialog& debugDialog() { return *debugDialogWindow; }

private:
    RErr replaceCurrentFile(const std::string& path);
    RErr copyCurrentGrammarToCurrentFile();

    int32_t mode = kModeClosingDocument;
    bool authorCommandsAreEnabledBool = false;
    std::unique_ptr<CRamexWindow> ramexWindow;
    std::unique_ptr<CLexicalItemsDialog> lexicalItemsDialogWindow;
    std::unique_ptr<CCategoriesDialog> categoriesDialogWindow;
    std::unique_ptr<CFeaturesDialog> featuresDialogWindow;
    std::unique_ptr<CScriptWindow> scriptWindowObject;
    std::unique_ptr<CPrivilegesDialog> privilegesDialogWindow;
    std::unique_ptr<CDebugDialog> debugDialogWindow;
    CTree* theCTree = nullptr;
    std::unique_ptr<CFileDescriptor> currentFile;
    bool fileExistsOnlyInMemory = true;
    std::unique_ptr<CFileDescriptor> currentlySelectedGrammar;
    bool currentlySelectedGrammarIsValid = false;
};
