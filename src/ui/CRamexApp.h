#pragma once

#include "app/CCurrentFiles.h"
#include "app/Modes.h"
#include "app/RGrammarLabel.h"
#include "base/ErrorCodes.h"
#include "script/RUserInterfaceRequests.h"

#include <cstdint>
#include <memory>
#include <string>

class CCategoriesDialog;
class CDebugDialog;
class CFeaturesDialog;
class CLexicalItemsDialog;
class CPrivilegesDialog;
class CRamexWindow;
class CScriptWindow;
class CTree;

// The one application object: starts the program, owns the seven long-lived windows, keeps
// the mode and (in CCurrentFiles) the current file and grammar, and routes the script's and the
// undo tasks' requests to the window that can serve them. The current database belongs to the
// window that works on it; the application only refers to it.
class CRamexApp : public RUserInterfaceRequests, public RGrammarLabel {
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

    // --- Documents and grammars (the decisions are those of CCurrentFiles, whose comments
    // say what each does). 0 success, -1 cancelled (never reported), else reported. ---
    CCurrentFiles& currentFiles() { return files; }
    RErr getFilename(int32_t fileType, bool openNotSave);
    // Saves the current database.
    RErr doSave(int32_t fileType, bool isSaveAs);
    // A database loaded by these becomes the current one; the caller (the window that works on
    // it) takes it.
    RErr loadFile(std::unique_ptr<CTree>& loaded);
    RErr doOpen(int32_t fileType, bool isRevert, std::unique_ptr<CTree>& loaded);
    RErr doChooseGrammar();
    RErr openCurrentGrammarAsStudentDoc(std::unique_ptr<CTree>& loaded);
    RErr doOpenCurrentGrammar(std::unique_ptr<CTree>& loaded);
    void setOpenGrammarAsSelectedGrammar();
    bool haveCurrentlySelectedGrammar() const { return files.haveCurrentlySelectedGrammar(); }
    void setFileExistsOnlyInMemory(bool value) { files.setFileExistsOnlyInMemory(value); }
    bool getFileExistsOnlyInMemory() const { return files.getFileExistsOnlyInMemory(); }
    std::string currentFilePath() const { return files.currentFilePath(); }
    std::string currentGrammarPath() const { return files.currentGrammarPath(); }
    RErr selectGrammar(const std::string& path) { return files.selectGrammar(path); }
    // Shows the current grammar on the main window.
    void setGrammarLabel(const std::string& grammarPath, bool valid) override;

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
    // A database just loaded is the current one until its window takes it.
    RErr adopt(RErr err, const std::unique_ptr<CTree>& loaded);

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
    CCurrentFiles files;
};
