#pragma once

#include "base/ErrorCodes.h"

#include <QMainWindow>

#include <cstdint>
#include <map>
#include <memory>

class CCategoriesDialog;
class QAction;
class CFeaturesDialog;
class CRString;
class CRamexApp;
class CScriptWindow;
class CTree;

// The author's workspace, standing in for the main window while a grammar is open (modes 5
// and 6). It holds the grammar's database and carries the author side's File commands and
// the Windows menu; the word list, the word's tree area and the node controls fill its
// client area.
class CLexicalItemsDialog : public QMainWindow {
public:
    explicit CLexicalItemsDialog(CRamexApp& application);
    ~CLexicalItemsDialog() override;

    void installReferences(CCategoriesDialog& categories, CFeaturesDialog& features,
                           CScriptWindow& script);

    // --- Opening a grammar for authoring ---
    void handleNewGrammar();
    void handleOpenGrammar(bool isRevert);
    void handleOpenCurrentGrammar();

    // --- File commands of all author windows ---
    void OnNew();
    void OnCloseItem();
    void OnSave();
    void OnSaveAs();
    void OnRevert();
    void OnExit();
    RErr attemptSave(bool isSaveAs);
    // -1 when the person cancelled.
    RErr attemptSaveForClose(bool forNew);

    // --- Requests routed here in mode 6 ---
    // Also brings the menus up to date.
    void redrawUserInterface();
    void updateMenus();
    RErr doUserInterfaceUndoTask(int32_t taskCode, int32_t value);
    RErr notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute, const CRString* text,
                                         int32_t selectionStart, int32_t selectionEnd);

    CTree* grammar() const { return theCTree.get(); }
    QAction* action(int32_t commandId) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    // Takes the grammar the application just made current and switches to the author modes.
    void startAuthoring(std::unique_ptr<CTree> tree);
    void deleteGrammar();

    CRamexApp& theRamexApp;
    std::unique_ptr<CTree> theCTree;
    CCategoriesDialog* categoriesDialog = nullptr;
    CFeaturesDialog* featuresDialog = nullptr;
    CScriptWindow* scriptWindow = nullptr;
    std::map<int32_t, QAction*> actions;
};
