#pragma once

#include "app/CTypingRuns.h"
#include "app/LexiconEditorRules.h"
#include "base/ErrorCodes.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CAuthorMenus;
class CCategoriesDialog;
class CFeaturePanel;
class CFeaturesDialog;
class CPort;
class CRString;
class CRamexApp;
class CScriptWindow;
class CTree;
class CTreeView;
class CTypingField;
class DrawingDevice;
class QAction;
class QCheckBox;
class QComboBox;
class QImage;
class QLineEdit;
class QListWidget;
class QMenu;
class RAuthorWindow;

// The author's workspace, standing in for the main window while a grammar is open (modes 5
// and 6): the word list, the word's citation form and category, its tree, and the selected
// node's type, label, style, colour, main terminal and foot marks and feature values. It owns
// the grammar's database, the typing runs of all four author windows and their common redraw:
// every change is one undo step whose user-interface tasks tell the redraw what to rebuild and
// select when the step is done, undone or redone.
class CLexicalItemsDialog : public QMainWindow {
public:
    explicit CLexicalItemsDialog(CRamexApp& application);
    ~CLexicalItemsDialog() override;

    void installReferences(CCategoriesDialog& categories, CFeaturesDialog& features,
                           CScriptWindow& script);
    // The other author windows (codes 72 categories, 73 features, 74 script) attach here to be
    // redrawn with the editor and to get their typing notifications.
    void attachAuthorWindow(int32_t windowCode, RAuthorWindow& window);
    // Called by every CAuthorMenus: the bars whose shared items coordinateMenu keeps in step.
    void addCoordinatedMenus(CAuthorMenus& menus);

    // --- Opening a grammar for authoring (CLexicalItemsDialogFiles.cpp) ---
    void handleNewGrammar();
    void handleOpenGrammar(bool isRevert);
    void handleOpenCurrentGrammar();
    // Resets the editor for a grammar just opened.
    void initializeUserInterface();

    // --- File commands of all author windows ---
    void OnNew();
    void OnCloseItem();
    void OnSave();
    void OnSaveAs();
    void OnRevert();
    void OnExit();
    // Never enabled on the author side; they only report.
    void OnOpen();
    void OnChooseGrammar();
    void OnNewGrammar();
    void OnOpenGrammar();
    void OnOpenCurrentGrammar();
    void OnPrintSetup();
    void OnPrint();
    RErr attemptSave(bool isSaveAs);
    // -1 when the person cancelled.
    RErr attemptSaveForClose(bool forNew);

    // --- Edit and Windows (CLexicalItemsDialogCommands.cpp) ---
    void OnUndo();
    void OnRedo();
    // Inside an edit field on its text; outside one on the selected word.
    void OnClear();
    void OnDuplicate();
    void OnSelectAll();
    void OnWords();
    void OnCategories();
    void OnFeatures();
    void OnScript();

    // --- Words and Nodes ---
    void OnNewWord();
    // Item 2000 + i of the "New X-bar spine" submenu: category i of the sorted categories.
    void OnXBarSpineItem(int32_t commandId);
    void OnViewAlphabetically();
    void OnViewByCategory();
    void OnCreateMother();
    void OnCreateDaughter();
    void OnCreateDaughterToLeft();
    void OnCreateDaughterToRight();
    void OnCreateSisterToLeft();
    void OnCreateSisterToRight();
    void OnDeleteNode();
    void OnFontAndSize();
    // The font dialog; tests answer it. False when cancelled.
    using FontChooser = std::function<bool(std::string& face, int32_t& size)>;
    void setFontChooser(FontChooser chooser) { fontChooser = std::move(chooser); }

    // --- The controls ---
    void OnSelchangeWordList(int32_t row);
    void OnSelchangeCiteCategory(int32_t entry);
    void OnSelchangeNodeType(int32_t entry);
    void OnSelchangeStyle(int32_t entry);
    void OnSelchangeColor(int32_t entry);
    void OnMainTerminalNode();
    void OnFootNode();
    // Scroll bar actions of the feature panel: -1 / +1 a line, -3 / +3 a page, or 0 with the
    // thumb's released position.
    void OnFeatureScroll(int32_t step, int32_t thumbPosition);
    void treeFragmentNodeClick(int32_t node);

    // --- Typing (CLexicalItemsDialogTyping.cpp) ---
    CTypingRuns& typingRuns() { return typing; }
    // Ends the typing run and redraws.
    void afterTyping();
    void newFocus();
    RErr notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute, const CRString* text,
                                         int32_t selectionStart, int32_t selectionEnd);

    // --- Redraw and the requests routed here in mode 6 ---
    // Brings all four author windows up to date, menus included.
    void redrawUserInterface();
    void updateMenus();
    RErr doUserInterfaceUndoTask(int32_t taskCode, int32_t value);
    // 1 words, 2 categories, 3 features.
    bool queryUserInterfaceFlag(int32_t which) const;
    RErr getSortedList(int32_t which, const std::vector<int32_t>*& list) const;
    int32_t currentlySelectedWord() const { return theCurrentlySelectedWord; }
    int32_t currentlySelectedNode() const { return theCurrentlySelectedNode; }
    void setSelectedWord(int32_t word);
    void setSelectedNode(int32_t node);
    // 1 enable, 2 disable, 3 check, 4 uncheck, 5 relabel: on the item in all four windows.
    RErr coordinateMenu(int32_t commandId, int32_t action, const QString& text = QString());

    CTree* grammar() const { return theCTree.get(); }
    CPort& port() const { return *theCPort; }
    QAction* action(int32_t commandId) const;
    bool viewAlphabetically() const { return viewAlphabeticallyNotByCategory; }

    // The controls, for the tests.
    QListWidget& wordList() const { return *wordListBox; }
    QLineEdit& citeFormField() const { return *citeForm; }
    QComboBox& citeCategoryList() const { return *citeCategory; }
    CTreeView& treeArea() const { return *theCTreeFragmentWnd; }
    QComboBox& nodeTypeList() const { return *nodeType; }
    QLineEdit& nodeLabelField() const { return *nodeLabel; }
    QComboBox& styleList() const { return *style; }
    QComboBox& colorList() const { return *color; }
    QCheckBox& mainTerminalBox() const { return *mainTerminal; }
    QCheckBox& footBox() const { return *foot; }
    CFeaturePanel& featurePanel() const { return *features; }
    QMenu& xBarMenu() const { return *xBarSubmenu; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void bindTypingFields();
    // Takes the grammar the application just made current and switches to the author modes.
    void startAuthoring(std::unique_ptr<CTree> tree);
    void deleteGrammar();
    RErr attachPort();

    // The redraw's parts.
    RErr fetchSortedLists();
    void applyRequestedSelections();
    void dropSelectionsThatAreGone();
    void updateLocalMenus();
    void rebuildXBarMenu();
    void updateCoordinatedMenuItems();
    void rebuildWordList();
    void rebuildCategoryLists();
    void updateWordControls();
    void updateNodeControls();
    RErr updateScrollPanel();
    RErr showWordsTypingTask(int32_t record, int32_t attribute, const CRString* text,
                             int32_t selectionStart, int32_t selectionEnd);
    QString wordEntry(int32_t word);

    // Every command: ends a typing run first, then runs, then redraws.
    template <typename Step> void command(Step step);
    void historyStep(bool undo);
    // The selected node becomes the word's foot or main terminal node.
    void setRootMark(bool footNotMainTerminal);
    bool haveNode() const;
    void createNode(bool sister, bool toLeft);

    CRamexApp& theRamexApp;
    std::unique_ptr<CTree> theCTree;
    std::unique_ptr<QImage> measuringImage;
    std::unique_ptr<DrawingDevice> measuringDevice;
    std::unique_ptr<CPort> theCPort;
    CCategoriesDialog* categoriesDialog = nullptr;
    CFeaturesDialog* featuresDialog = nullptr;
    CScriptWindow* scriptWindow = nullptr;
    std::map<int32_t, RAuthorWindow*> authorWindows;
    std::vector<QPointer<CAuthorMenus>> coordinatedMenus;
    CAuthorMenus* ownMenus = nullptr;

    std::vector<int32_t> sortedWords{0};
    std::vector<int32_t> sortedCategories{0};
    std::vector<int32_t> sortedFeatures{0};
    int32_t theCurrentlySelectedWord = 0;
    int32_t theCurrentlySelectedNode = 0;
    std::array<bool, 3> userInterfaceFlag{{true, true, true}};
    bool wordListNeedsSorting = false; // the citation form changed during a typing run
    int32_t wordToBeSelected = -1;
    int32_t nodeToBeSelected = -1;
    bool refreshDrawing = false;
    int32_t XBarMenuCount = 1;
    bool viewAlphabeticallyNotByCategory = true;
    bool inHistoryStep = false; // undo or redo under way: the redraw comes after it
    CTypingRuns typing;
    FontChooser fontChooser;

    QListWidget* wordListBox = nullptr;
    QLineEdit* citeForm = nullptr;
    QComboBox* citeCategory = nullptr;
    CTreeView* theCTreeFragmentWnd = nullptr;
    QComboBox* nodeType = nullptr;
    QLineEdit* nodeLabel = nullptr;
    QComboBox* style = nullptr;
    QComboBox* color = nullptr;
    QCheckBox* mainTerminal = nullptr;
    QCheckBox* foot = nullptr;
    CFeaturePanel* features = nullptr;
    CTypingField* citeFormTyping = nullptr;
    CTypingField* nodeLabelTyping = nullptr;
    QMenu* xBarSubmenu = nullptr;
    std::map<int32_t, QAction*> actions;
};
