#pragma once

#include "base/ErrorCodes.h"
#include "ui/RAuthorWindow.h"

#include <QMainWindow>

#include <cstdint>
#include <vector>

class CAuthorMenus;
class CRamexApp;
class CTypingField;
class CTree;
class QLineEdit;
class QListWidget;
class QPushButton;
struct RNameListKind;

// One of the author's two list windows, for the grammar's categories or its features: the
// sorted names, New, Remove and a field holding the selected name. Every change is one undo
// step of the grammar's history, and typing in the field renames the name as a typing run;
// the lexicon editor's redraw brings the window up to date. Closing it only hides it.
class CFeaturesCategoriesDialog : public QMainWindow, public RAuthorWindow {
public:
    CFeaturesCategoriesDialog(CRamexApp& application, const RNameListKind& kind);

    // No selection and no requested selection (a grammar was opened).
    void initializeUserInterface();
    // The list, the field and the buttons from the grammar (called by the redraw).
    void updateLocalControls();
    void updateLocalMenus();
    // Code 7 or 8 (the kind's select task): requests the selection of index; others 1004.
    RErr doUserInterfaceUndoTask(int32_t taskCode, int32_t index);
    // The name record the field stands for, 0 for none.
    int32_t getRecordIndexForSelection() const { return theSelection; }
    // Selects the record and shows the text in the field with that selection, as a typing
    // step's do, undo or redo requires.
    RErr notifyUserInterfaceOfTypingTask(int32_t record, const CRString* text,
                                         int32_t selectionStart, int32_t selectionEnd);

    // What the lexicon editor asks of its author windows.
    void updateFromEditor() override;
    RErr showTypedText(int32_t record, int32_t attribute, const CRString* text,
                       int32_t selectionStart, int32_t selectionEnd) override;
    RErr requestSelection(int32_t record) override;
    void resetForNewGrammar() override { initializeUserInterface(); }

    void OnNewButton();
    void OnDeleteButton();
    // A row chosen in the list (0-based).
    void OnSelectRow(int row);

    void setSelection(int32_t record);
    const std::vector<int32_t>& getArray() const { return theArray; }
    const RNameListKind& kind() const { return theKind; }

    QListWidget& list() { return *theList; }
    QLineEdit& nameField() { return *theNameField; }
    CAuthorMenus& menus() { return *theMenus; }
    QPushButton& newButton() { return *theNewButton; }
    QPushButton& removeButton() { return *theRemoveButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void redraw();
    void rebuildListIfChanged(CTree& tree);

    CRamexApp& theRamexApp;
    const RNameListKind& theKind;
    std::vector<int32_t> theArray; // element 0 the count, then the records in sorted order
    int32_t theSelection = 0;
    int32_t itemToBeSelected = -1;
    const CTree* shownTree = nullptr; // another grammar resets the selection
    QListWidget* theList;
    QPushButton* theNewButton;
    QPushButton* theRemoveButton;
    QLineEdit* theNameField;
    CTypingField* theTyping = nullptr;
    CAuthorMenus* theMenus = nullptr;
};
