#include "ui/CLexicalItemsDialog.h"

#include "app/FileQuestions.h"
#include "app/FileTypes.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "ui/CFeaturePanel.h"
#include "ui/CRamexApp.h"
#include "ui/CRamexWindow.h"
#include "ui/CTreeView.h"
#include "ui/RAuthorWindow.h"
#include "undo/CUndoStructure.h"

#include <QCloseEvent>

#include <new>

// The grammar's files: the three ways a grammar is opened for authoring and the File commands
// of the four author windows.

namespace {

void reportUnlessCancelled(const char* name, RErr err) {
    if (err && err != kErrUserCancelled)
        bug(name, err);
}

} // namespace

// ---- Opening -----------------------------------------------------------------------------

void CLexicalItemsDialog::initializeUserInterface() {
    viewAlphabeticallyNotByCategory = true;
    typing.forget();
    typing.ignoreNextChangeNotification = false;
    theCurrentlySelectedWord = 0;
    theCurrentlySelectedNode = 0;
    userInterfaceFlag = {true, true, true};
    wordListNeedsSorting = false;
    wordToBeSelected = -1;
    nodeToBeSelected = -1;
    refreshDrawing = false;
    features->rows().scrollTo(sortedFeatures, 0);
    for (const auto& window : authorWindows)
        window.second->resetForNewGrammar();
}

void CLexicalItemsDialog::startAuthoring(std::unique_ptr<CTree> tree) {
    theCTree = std::move(tree);
    theRamexApp.installCTree(theCTree.get());
    RErr err = attachPort();
    if (theCTree->script())
        theCTree->script()->middleInterface().installCRamexApp(&theRamexApp);
    initializeUserInterface();
    int32_t first = 0;
    if (!err)
        err = theCTree->getFirstRoot(first);
    wordToBeSelected = first;
    theCTreeFragmentWnd->setSource(theCTree.get(), theCPort.get(),
                                   [this] { return theCurrentlySelectedWord; });
    if (err)
        bug("CLexicalItemsDialog::startAuthoring", err);
    theRamexApp.setMode(kModeSwitchingToAuthor);
    theRamexApp.setMode(kModeAuthor);
}

void CLexicalItemsDialog::deleteGrammar() {
    typing.forget();
    theCTreeFragmentWnd->setSource(nullptr, theCPort.get(), [] { return 0; });
    theCurrentlySelectedWord = 0;
    theCurrentlySelectedNode = 0;
    sortedWords = {0};
    sortedCategories = {0};
    sortedFeatures = {0};
    theCTree.reset();
    theRamexApp.installCTree(nullptr);
}

void CLexicalItemsDialog::handleNewGrammar() {
    std::unique_ptr<CTree> tree;
    RErr err = kNoErr;
    try {
        tree = std::make_unique<CTree>();
    } catch (const std::bad_alloc&) {
        err = kErrMallocFailed;
    }
    if (!err)
        err = tree->createTree(true);
    if (err) {
        bug("CLexicalItemsDialog::handleNewGrammar", err);
        return;
    }
    theRamexApp.setFileExistsOnlyInMemory(true);
    startAuthoring(std::move(tree));
}

void CLexicalItemsDialog::handleOpenGrammar(bool isRevert) {
    std::unique_ptr<CTree> tree;
    const RErr err = theRamexApp.doOpen(kFileTypeGrammar, isRevert, tree);
    if (!err)
        startAuthoring(std::move(tree));
    reportUnlessCancelled("CLexicalItemsDialog::handleOpenGrammar", err);
}

void CLexicalItemsDialog::handleOpenCurrentGrammar() {
    std::unique_ptr<CTree> tree;
    const RErr err = theRamexApp.doOpenCurrentGrammar(tree);
    if (!err)
        startAuthoring(std::move(tree));
    reportUnlessCancelled("CLexicalItemsDialog::handleOpenCurrentGrammar", err);
}

// ---- File commands -------------------------------------------------------------------------

RErr CLexicalItemsDialog::attemptSave(bool isSaveAs) {
    typing.forget();
    const int32_t marked = theCurrentlySelectedNode;
    const bool haveMark = theCTree && marked != 0 && theCTree->verifyNode(marked);
    // The file keeps no selection.
    if (haveMark)
        theCTree->setSelectedValue(marked, 0);
    const RErr err = theRamexApp.doSave(kFileTypeGrammar, isSaveAs);
    if (haveMark && (!err || err == kErrUserCancelled))
        theCTree->setSelectedValue(marked, 1);
    return err;
}

RErr CLexicalItemsDialog::attemptSaveForClose(bool forNew) {
    if (!theCTree)
        return kNoErr;
    bool dirty = false;
    RErr err = theCTree->undoStructure().isDirty(dirty);
    const bool mustSaveFirst = forNew && theRamexApp.getFileExistsOnlyInMemory();
    if (!err && (dirty || mustSaveFirst)) {
        // A student document is made from the grammar's file, so a new grammar must be saved.
        const int32_t answer = askSaveBeforeClosing(mustSaveFirst ? MessageButtons::OKCancel
                                                                  : MessageButtons::YesNoCancel);
        if (answer == kButtonCancel)
            return kErrUserCancelled;
        if (answer == kButtonYes || answer == kButtonOK)
            err = attemptSave(false);
    }
    reportUnlessCancelled("CLexicalItemsDialog::attemptSaveForClose", err);
    return err;
}

void CLexicalItemsDialog::OnNew() {
    const RErr err = attemptSaveForClose(true);
    if (err == kErrUserCancelled)
        return;
    if (!err)
        theRamexApp.setOpenGrammarAsSelectedGrammar();
    deleteGrammar();
    theRamexApp.setMode(kModeClosingDocument);
    if (!err)
        theRamexApp.mainWindow().OnNew();
}

void CLexicalItemsDialog::OnCloseItem() {
    if (attemptSaveForClose(false) == kErrUserCancelled)
        return;
    theRamexApp.setMode(kModeClosingDocument);
    deleteGrammar();
}

void CLexicalItemsDialog::OnSave() {
    reportUnlessCancelled("CLexicalItemsDialog::OnSave", attemptSave(false));
    redrawUserInterface();
}

void CLexicalItemsDialog::OnSaveAs() {
    reportUnlessCancelled("CLexicalItemsDialog::OnSaveAs", attemptSave(true));
    redrawUserInterface();
}

void CLexicalItemsDialog::OnRevert() {
    if (!theCTree)
        return;
    if (!confirmRevert())
        return;
    theCTree->undoStructure().resetDirty();
    theRamexApp.setMode(kModeClosingDocument);
    deleteGrammar();
    handleOpenGrammar(true);
}

void CLexicalItemsDialog::OnExit() {
    close();
}

void CLexicalItemsDialog::OnOpen() {
    bug("Internal error: the Open command should not be enabled in Author mode.", kNoErr);
}

void CLexicalItemsDialog::OnChooseGrammar() {
    bug("Internal error: the command 'Choose Grammar' should not be enabled.", kNoErr);
}

void CLexicalItemsDialog::OnNewGrammar() {
    bug("Internal error: the command 'New Grammar' should not be enabled.", kNoErr);
}

void CLexicalItemsDialog::OnOpenGrammar() {
    bug("Internal error: the command 'Open Grammar' should not be enabled.", kNoErr);
}

void CLexicalItemsDialog::OnOpenCurrentGrammar() {
    bug("Internal error: the command 'Open Current Grammar' should not be enabled.", kNoErr);
}

void CLexicalItemsDialog::OnPrintSetup() {
    bug("Command 'Print Setup' has not been implemented yet.", kNoErr);
}

void CLexicalItemsDialog::OnPrint() {
    bug("Command 'Print' has not been implemented yet.", kNoErr);
}

void CLexicalItemsDialog::closeEvent(QCloseEvent* event) {
    if (attemptSaveForClose(false) == kErrUserCancelled) {
        event->ignore();
        return;
    }
    deleteGrammar();
    event->accept();
    theRamexApp.setMode(kModeQuitting);
}
