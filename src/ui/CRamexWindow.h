#pragma once

#include "base/ErrorCodes.h"
#include "ui/CMainPanel.h"
#include "ui/CTreeCanvas.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class CPort;
class CRamexApp;
class CTree;
class QAction;
class QImage;
class QLabel;
class QMenu;
class QStatusBar;
class QWidget;
class DrawingDevice;
class TreePictureWriter;

// The student's workspace and the program's main window. It holds the open document's
// database, finishes the mode changes in its paint handler, carries the File and Edit
// commands and the grammar's own menus. The tool buttons, category buttons, word list and
// preview fill the left panel; the tree canvas fills the tree area.
class CRamexWindow : public QMainWindow, private RTreeCanvasOwner, private RMainPanelOwner {
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
    void OnCut();
    void OnPaste();
    void OnClear();
    void OnDuplicate();
    void OnSelectAll();
    void OnAuthorMenuItem(int32_t commandId);

    // --- Taking the trees out: the clipboard, the printer and picture files ---
    void OnExportQTree();
    void OnCopy();
    void OnPrint();
    void OnPrintSetup();
    void OnExportPicture();

    // --- Drawing and Text: one undoable "Drawing Preferences" step each ---
    // The Drawing items 51 to 59 and 63 to 65.
    void OnDrawingCommand(int32_t commandId);
    void OnFontAndSize();
    // One step setting one header attribute (9, 10, 11 or 14).
    RErr doDrawingPref(int32_t whichTabletRow, int32_t newValue);
    // One step setting the font size (clamped to 8..144) and then the face.
    RErr doFontPrefs(int32_t size, const std::string& face);

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

    // --- The panel, the tools and the canvas ---
    // 1 Arrow, 2 Scissors, 3 Spyglass; any other number is reported.
    void setTool(int32_t tool);
    int32_t getCurrentTool() const override { return currentTool; }
    // visible is replaced by the document's setting for Scissors and Spyglass in modes 3
    // and 4; whichButton -1 applies to all three buttons.
    void showHideToolButton(bool visible, int32_t whichButton);
    // Tool 2, 3 or 4 (the lexicon): whether the document's script shows it.
    bool getToolVisibility(int32_t tool) const;
    // Tab: the next visible tool, in mode 4 only.
    void cycleTool();
    bool lexiconVisible() const;
    int32_t currentlySelectedTree() const { return panel->currentlySelectedTree(); }
    CMainPanel& mainPanel() { return *panel; }
    CTreeCanvas& canvas() { return *scrollView; }
    CPort& port() { return *theCPort; }

    // --- The hook bridge: errors are reported here and not passed on ---
    void sendNonQueryMessageToScript(int32_t hook, int32_t node) override;
    void sendQueryMessageToScript(int32_t hook, int32_t node1, int32_t node2, bool& messageExists,
                                  bool& result) override;

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
    QWidget& treeArea() { return *scrollView; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // RMainPanelOwner
    void toolButtonClicked(int32_t tool) override;
    void closePopUp() override;
    void previewPressed(QMouseEvent& event) override;
    void previewMoved(QMouseEvent& event) override;
    void previewReleased(QMouseEvent& event) override;
    // RTreeCanvasOwner
    void refreshMenus() override { updateMenus(); }

    void applyToolButton(bool visible, int32_t tool);
    bool lexiconVisibleInMode() const;
    // Gives the port the document's font and the document the port.
    RErr attachPort();
    void placeChildren();
    void showPanelForDocument();
    void hidePanel();
    // Canvas and preview after the document changed under them (undo, redo, a command).
    void refreshDocumentViews();
    void buildMenus();
    QAction* addCommand(QMenu* menu, int32_t commandId, const QString& label,
                        const QKeySequence& shortcut, std::function<void()> handler);
    // Opens a "Drawing Preferences" step, lets `change` set the settings and closes it.
    RErr drawingPrefsStep(const std::function<RErr()>& change);
    // The picture of the selected subtree, or of the tree area's trees, without the highlight.
    RErr preparePicture(TreePictureWriter& writer);
    void showOutputProblem(const std::string& text);
    RErr sendHook(int32_t hook);
    RErr startDocument(std::unique_ptr<CTree> tree, bool isNew);
    void report(const char* name, RErr err);
    void showUndoOrRedo(const char* name, RErr err);

    CRamexApp& theRamexApp;
    std::unique_ptr<CTree> theCTree;
    QMenu* menu1 = nullptr;
    QMenu* menu2 = nullptr;
    std::map<int32_t, QAction*> actions;
    std::unique_ptr<QImage> measuringImage;
    std::unique_ptr<DrawingDevice> measuringDevice;
    std::unique_ptr<CPort> theCPort;
    int32_t currentTool = 1;
    QWidget* client = nullptr;
    CMainPanel* panel = nullptr;
    CTreeCanvas* scrollView = nullptr;
    QStatusBar* statusBarCtrl = nullptr;
    bool modeChangePending = false;
};
