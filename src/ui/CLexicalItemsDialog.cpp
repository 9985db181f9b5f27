#include "ui/CLexicalItemsDialog.h"

#include "app/CommandIds.h"
#include "app/FileQuestions.h"
#include "app/FileTypes.h"
#include "app/MenuState.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "ui/CCategoriesDialog.h"
#include "ui/CFeaturesDialog.h"
#include "ui/CRamexApp.h"
#include "ui/CRamexWindow.h"
#include "ui/CScriptWindow.h"
#include "ui/MenuStateApplier.h"
#include "undo/CUndoStructure.h"

#include <QCloseEvent>
#include <QMenuBar>

#include <new>

namespace {

void reportUnlessCancelled(const char* name, RErr err) {
    if (err && err != kErrUserCancelled)
        bug(name, err);
}

void showWindow(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

CLexicalItemsDialog::CLexicalItemsDialog(CRamexApp& application) : theRamexApp(application) {
    setWindowTitle(QStringLiteral("Ramex"));
    resize(760, 560);
    setCentralWidget(new QWidget(this));
    buildMenus();
}

CLexicalItemsDialog::~CLexicalItemsDialog() = default;

void CLexicalItemsDialog::installReferences(CCategoriesDialog& categories,
                                            CFeaturesDialog& features, CScriptWindow& script) {
    categoriesDialog = &categories;
    featuresDialog = &features;
    scriptWindow = &script;
}

void CLexicalItemsDialog::buildMenus() {
    auto add = [this](QMenu* menu, int32_t commandId, const QString& label,
                      const QKeySequence& keys, auto handler) {
        QAction* item = menu->addAction(label);
        item->setShortcut(keys);
        item->setData(commandId);
        connect(item, &QAction::triggered, this, handler);
        actions[commandId] = item;
        return item;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    add(file, kCommandNew, QStringLiteral("&New"), QKeySequence(Qt::CTRL | Qt::Key_N),
        [this] { OnNew(); });
    add(file, kCommandClose, QStringLiteral("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W),
        [this] { OnCloseItem(); });
    add(file, kCommandSave, QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
        [this] { OnSave(); });
    add(file, kCommandSaveAs, QStringLiteral("Save &As"), QKeySequence::SaveAs,
        [this] { OnSaveAs(); });
    add(file, kCommandRevert, QStringLiteral("&Revert"), QKeySequence(), [this] { OnRevert(); });
    file->addSeparator();
    add(file, kCommandExit, QStringLiteral("E&xit"), QKeySequence::Quit, [this] {
        OnExit();
    })->setMenuRole(QAction::QuitRole);

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Windows"));
    add(windows, kCommandWords, QStringLiteral("Words"), QKeySequence(),
        [this] { showWindow(*this); });
    add(windows, kCommandCategories, QStringLiteral("Categories"), QKeySequence(),
        [this] { showWindow(*categoriesDialog); });
    add(windows, kCommandFeatures, QStringLiteral("Features"), QKeySequence(),
        [this] { showWindow(*featuresDialog); });
    add(windows, kCommandScript, QStringLiteral("Script"), QKeySequence(),
        [this] { showWindow(*scriptWindow); });
}

QAction* CLexicalItemsDialog::action(int32_t commandId) const {
    const auto found = actions.find(commandId);
    return found == actions.end() ? nullptr : found->second;
}

void CLexicalItemsDialog::updateMenus() {
    RAuthorMenuSituation situation;
    situation.mode = theRamexApp.getMode();
    situation.fileExistsOnlyInMemory = theRamexApp.getFileExistsOnlyInMemory();
    if (theCTree)
        situation.readErr = readUndoSituation(*theCTree, situation.undo);
    applyMenuState(
        authorMenuState(situation), [this](int32_t commandId) { return action(commandId); },
        "CLexicalItemsDialog::updateMenus");
}

// ---- Opening -----------------------------------------------------------------------------

void CLexicalItemsDialog::startAuthoring(std::unique_ptr<CTree> tree) {
    theCTree = std::move(tree);
    theRamexApp.installCTree(theCTree.get());
    if (theCTree->script())
        theCTree->script()->middleInterface().installCRamexApp(&theRamexApp);
    theRamexApp.setMode(kModeSwitchingToAuthor);
    theRamexApp.setMode(kModeAuthor);
}

void CLexicalItemsDialog::deleteGrammar() {
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
    return theRamexApp.doSave(kFileTypeGrammar, isSaveAs);
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

void CLexicalItemsDialog::closeEvent(QCloseEvent* event) {
    if (attemptSaveForClose(false) == kErrUserCancelled) {
        event->ignore();
        return;
    }
    deleteGrammar();
    event->accept();
    theRamexApp.setMode(kModeQuitting);
}

// ---- Requests ------------------------------------------------------------------------------

void CLexicalItemsDialog::redrawUserInterface() {
    updateMenus();
    centralWidget()->update();
}

RErr CLexicalItemsDialog::doUserInterfaceUndoTask(int32_t /*taskCode*/, int32_t /*value*/) {
    // The tasks only record what to redraw; the redraw after every command carries it out.
    return kNoErr;
}

RErr CLexicalItemsDialog::notifyUserInterfaceOfTypingTask(int32_t /*record*/, int32_t /*attribute*/,
                                                          const CRString* /*text*/,
                                                          int32_t /*selectionStart*/,
                                                          int32_t /*selectionEnd*/) {
    return kNoErr;
}
