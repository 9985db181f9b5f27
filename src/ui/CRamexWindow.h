#pragma once

#include "base/ErrorCodes.h"

#include <QMainWindow>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class CRamexApp;
class CTree;
class QAction;
class QLabel;
class QMenu;
class QWidget;

// The student's workspace and the program's main window. It holds the open document's
// database, finishes the mode changes in its paint handler, carries the File and Edit
// commands and the grammar's own menus. The tool buttons, category buttons, word list and
// preview fill the left panel; the tree canvas fills the tree area.
class CRamexWindow : public QMainWindow {
public:
    explicit CRamexWindow(CRamexApp& application);
    ~CRamexWindow() override;

    // --- Commands (their ids are those of the menu bar) ---
    void OnNew();
    void OnOpen();
    void OnCloseItem();
    void OnSave();
    void OnSaveAs();
    void OnRevert();
    void OnChooseGrammar();
    void OnNewGrammar();
    void OnOpenGrammar();
    void OnOpenCurrentGrammar();
    void OnExit();
    void OnUndo();
    void OnRedo();
    void OnAuthorMenuItem(int32_t commandId);

    RErr performOpen(bool isRevert);
    RErr attemptSave(bool isSaveAs);
    // -1 when the person cancelled.
    RErr attemptSaveForClose();

    // --- Mode changes ---
    // Takes the database the application made current.
    void installReferences();
    // The change 1 to 2 or 3 to 4 that the next paint completes.
    void finishModeChange();
    void installAuthorMenus();
    void removeAuthorMenus();
    void rebuildAuthorMenus();
    void updateMenus();

    // --- Requests routed here by the application ---
    RErr doUserInterfaceUndoTask(int32_t taskCode, int32_t value);
    void reportParseError(int32_t code, int32_t line);
    void message(const std::string& text);
    void popUp(int32_t node, const std::string& text);
    void setGrammarLabel(const std::string& grammarPath, bool valid);

    // The open document's database; nullptr when none.
    CTree* document() const { return theCTree.get(); }
    // Hands over the database the application just loaded.
    void takeDocument(std::unique_ptr<CTree> tree);
    void deleteDocument();
    QAction* action(int32_t commandId) const;
    QMenu* authorMenu(int32_t number) const { return number == 1 ? menu1 : menu2; }
    QString statusText() const;
    QString grammarLabelText() const;
    QWidget& lexiconPanel() { return *panel; }
    QWidget& treeArea() { return *treeAreaWidget; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QAction* addCommand(QMenu* menu, int32_t commandId, const QString& label,
                        const QKeySequence& shortcut, void (CRamexWindow::*handler)());
    RErr sendHook(int32_t hook);
    RErr startDocument(std::unique_ptr<CTree> tree, bool isNew);
    void report(const char* name, RErr err);
    void showUndoOrRedo(const char* name, RErr err);

    CRamexApp& theRamexApp;
    std::unique_ptr<CTree> theCTree;
    QMenu* menu1 = nullptr;
    QMenu* menu2 = nullptr;
    std::map<int32_t, QAction*> actions;
    QWidget* panel = nullptr;
    QWidget* treeAreaWidget = nullptr;
    QLabel* grammarLabelItem = nullptr;
    QLabel* popUpBox = nullptr;
    bool modeChangePending = false;
};
