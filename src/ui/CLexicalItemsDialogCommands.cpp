#include "ui/CLexicalItemsDialog.h"

#include "app/CLexiconEditing.h"
#include "app/CommandIds.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "ui/CCategoriesDialog.h"
#include "ui/CFeaturesDialog.h"
#include "ui/CScriptWindow.h"
#include "ui/CTreeView.h"
#include "ui/EditFieldCommands.h"
#include "undo/CUndoStructure.h"

#include <QFontDialog>
#include <QLineEdit>
#include <QPlainTextEdit>

// The editor's menu commands and the changes made with its controls: each one undo step,
// then the redraw that carries out the step's user-interface tasks.

namespace {

void bringForward(QWidget* window) {
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

void refuse(const char* text) {
    MessageRequest request;
    request.text = text;
    request.icon = MessageIcon::Warning;
    currentPlatform().showMessage(request);
}

} // namespace

template <typename Step> void CLexicalItemsDialog::command(Step step) {
    // A command ends the typing run; its step must not be amended by later keystrokes.
    typing.forget();
    if (!theCTree)
        return;
    step(CLexiconEditing(*theCTree));
    redrawUserInterface();
}

// ---- Edit ---------------------------------------------------------------------------------

void CLexicalItemsDialog::historyStep(bool undo) {
    typing.forget();
    if (!theCTree)
        return;
    // The tasks only note what to show; the one redraw below shows the whole step.
    inHistoryStep = true;
    const RErr err = undo ? theCTree->undoStructure().undo() : theCTree->undoStructure().redo();
    inHistoryStep = false;
    redrawUserInterface();
    if (err)
        bug(undo ? "CLexicalItemsDialog::OnUndo" : "CLexicalItemsDialog::OnRedo", err);
}

void CLexicalItemsDialog::OnUndo() {
    historyStep(true);
}

void CLexicalItemsDialog::OnRedo() {
    historyStep(false);
}

void CLexicalItemsDialog::OnClear() {
    if (couldCutCopyClearPaste().focusInEditField) {
        sendEditFieldCommand(kCommandClear);
        return;
    }
    if (theCurrentlySelectedWord == 0) {
        bug("CLexicalItemsDialog::OnClear", kErrGeneral);
        return;
    }
    const int32_t word = theCurrentlySelectedWord;
    const int32_t next = wordAfterClearing(sortedWords, word);
    command([&](CLexiconEditing editing) {
        setSelectedNode(0);
        editing.clearWord(word, next);
    });
}

void CLexicalItemsDialog::OnDuplicate() {
    if (theCurrentlySelectedWord == 0) {
        bug("CLexicalItemsDialog::OnDuplicate", kErrGeneral);
        return;
    }
    const int32_t word = theCurrentlySelectedWord;
    command([&](CLexiconEditing editing) {
        setSelectedNode(0);
        int32_t copy = 0, copyMainTerminal = 0;
        editing.duplicateWord(word, copy, copyMainTerminal);
    });
    citeForm->setFocus();
    citeForm->selectAll();
}

void CLexicalItemsDialog::OnSelectAll() {
    bug("Command 'Select All' has not been implemented yet.", kNoErr);
}

// ---- Windows -------------------------------------------------------------------------------

void CLexicalItemsDialog::OnWords() {
    bringForward(this);
}

void CLexicalItemsDialog::OnCategories() {
    bringForward(categoriesDialog);
}

void CLexicalItemsDialog::OnFeatures() {
    bringForward(featuresDialog);
}

void CLexicalItemsDialog::OnScript() {
    bringForward(scriptWindow);
    if (scriptWindow)
        scriptWindow->textField().setFocus();
    typing.ignoreNextChangeNotification = false;
}

// ---- Words ---------------------------------------------------------------------------------

void CLexicalItemsDialog::OnNewWord() {
    const int32_t previous = theCurrentlySelectedWord;
    command([&](CLexiconEditing editing) {
        int32_t root = 0, leaf = 0;
        editing.newWord(previous, root, leaf);
    });
    citeForm->setFocus();
    citeForm->selectAll();
}

void CLexicalItemsDialog::OnXBarSpineItem(int32_t commandId) {
    const int32_t index = commandId - (kFirstXBarSpineCommand - 1);
    const int32_t count = sortedCategories.empty() ? 0 : sortedCategories[0];
    if (index < 1 || index > count) {
        bug("CLexicalItemsDialog::OnXBarSpineItem", kErrInvalidParameter);
        return;
    }
    const int32_t previous = theCurrentlySelectedWord;
    const int32_t category = sortedCategories[index];
    command([&](CLexiconEditing editing) {
        int32_t root = 0, terminal = 0;
        editing.newXBarSpine(category, previous, root, terminal);
    });
    citeForm->setFocus();
    citeForm->selectAll();
}

void CLexicalItemsDialog::OnViewAlphabetically() {
    typing.forget();
    viewAlphabeticallyNotByCategory = true;
    userInterfaceFlag[0] = true;
    redrawUserInterface();
}

void CLexicalItemsDialog::OnViewByCategory() {
    typing.forget();
    viewAlphabeticallyNotByCategory = false;
    userInterfaceFlag[0] = true;
    redrawUserInterface();
}

// ---- Nodes ---------------------------------------------------------------------------------

void CLexicalItemsDialog::OnCreateMother() {
    if (!haveNode())
        return;
    const int32_t node = theCurrentlySelectedNode;
    command([&](CLexiconEditing editing) {
        int32_t root = 0;
        editing.createMother(node, root);
    });
}

void CLexicalItemsDialog::createNode(bool sister, bool toLeft) {
    if (!haveNode())
        return;
    const int32_t node = theCurrentlySelectedNode;
    command([&](CLexiconEditing editing) {
        int32_t made = 0;
        if (sister)
            editing.createSister(node, toLeft, made);
        else
            editing.createDaughter(node, toLeft, made);
    });
}

void CLexicalItemsDialog::OnCreateDaughter() {
    createNode(false, true);
}

void CLexicalItemsDialog::OnCreateDaughterToLeft() {
    createNode(false, true);
}

void CLexicalItemsDialog::OnCreateDaughterToRight() {
    createNode(false, false);
}

void CLexicalItemsDialog::OnCreateSisterToLeft() {
    createNode(true, true);
}

void CLexicalItemsDialog::OnCreateSisterToRight() {
    createNode(true, false);
}

void CLexicalItemsDialog::OnDeleteNode() {
    if (!haveNode())
        return;
    const int32_t word = theCurrentlySelectedWord;
    const int32_t node = theCurrentlySelectedNode;
    RDeleteRefusal refusal = RDeleteRefusal::None;
    command([&](CLexiconEditing editing) {
        int32_t root = 0;
        editing.deleteNode(word, node, refusal, root);
    });
    if (refusal == RDeleteRefusal::FootNode)
        refuse("The selected node cannot be deleted, because it is the foot node.  Before "
               "deleting this node, please select a different node and click the Foot Node "
               "checkbox to change the foot node.");
    else if (refusal == RDeleteRefusal::MainTerminalNode)
        refuse("The selected node cannot be deleted, because it is the main terminal node.  "
               "Before deleting this node, please select a different node and click the Main "
               "Terminal Node checkbox to change the main terminal node.");
}

void CLexicalItemsDialog::OnFontAndSize() {
    if (!theCTree)
        return;
    typing.forget();
    std::string face;
    int32_t size = theCTree->fontSize;
    const CRString* current = nullptr;
    if (!theCTree->getAnyString(kHeaderRecord, kHdrFontName, current) && current)
        face = current->str();
    bool chosen = false;
    if (fontChooser) {
        chosen = fontChooser(face, size);
    } else {
        QFont initial(QString::fromStdString(face), size);
        const QFont font =
            QFontDialog::getFont(&chosen, initial, this, QString(), QFontDialog::ScalableFonts);
        face = font.family().toStdString();
        size = font.pointSize() > 0 ? font.pointSize() : size;
    }
    if (!chosen)
        return;
    command([&](CLexiconEditing editing) { editing.changeFont(face, size); });
}

// ---- The controls --------------------------------------------------------------------------

void CLexicalItemsDialog::OnSelchangeCiteCategory(int32_t entry) {
    const int32_t count = sortedCategories.empty() ? 0 : sortedCategories[0];
    if (theCurrentlySelectedWord == 0 || entry < 0 || entry >= count) {
        bug("CLexicalItemsDialog::OnSelchangeCiteCategory", kErrGeneral);
        return;
    }
    const int32_t word = theCurrentlySelectedWord;
    const int32_t category = sortedCategories[entry + 1];
    command([&](CLexiconEditing editing) { editing.changeWordCategory(word, category); });
}

void CLexicalItemsDialog::OnSelchangeNodeType(int32_t entry) {
    int32_t category = 0, projection = -1;
    if (!haveNode() || !nodeTypeOfEntry(sortedCategories, entry, category, projection)) {
        bug("CLexicalItemsDialog::OnSelchangeNodeType", kErrGeneral);
        return;
    }
    const int32_t word = theCurrentlySelectedWord;
    const int32_t node = theCurrentlySelectedNode;
    command(
        [&](CLexiconEditing editing) { editing.changeNodeType(word, node, category, projection); });
}

void CLexicalItemsDialog::OnSelchangeStyle(int32_t entry) {
    int32_t value = 0;
    const RErr err = styleValueOfEntry(entry, value);
    if (err || !haveNode()) {
        bug("CLexicalItemsDialog::OnSelchangeStyle", err ? err : kErrGeneral);
        return;
    }
    const int32_t node = theCurrentlySelectedNode;
    command([&](CLexiconEditing editing) { editing.changeStyle(node, value); });
}

void CLexicalItemsDialog::OnSelchangeColor(int32_t entry) {
    if (!haveNode() || entry < 0 || entry > 10) {
        bug("CLexicalItemsDialog::OnSelchangeColor", kErrGeneral);
        return;
    }
    const int32_t node = theCurrentlySelectedNode;
    command([&](CLexiconEditing editing) { editing.changeColor(node, entry + 1); });
}

void CLexicalItemsDialog::setRootMark(bool footNotMainTerminal) {
    if (!haveNode())
        return;
    const int32_t word = theCurrentlySelectedWord;
    const int32_t node = theCurrentlySelectedNode;
    command([&](CLexiconEditing editing) {
        bool changed = false;
        if (footNotMainTerminal)
            editing.setFoot(word, node, changed);
        else
            editing.setMainTerminal(word, node, changed);
    });
}

void CLexicalItemsDialog::OnMainTerminalNode() {
    setRootMark(false);
}

void CLexicalItemsDialog::OnFootNode() {
    setRootMark(true);
}
