#include "ui/CRamexWindow.h"

#include "app/CommandIds.h"
#include "app/FileQuestions.h"
#include "app/FileTypes.h"
#include "app/HiddenSelectionMark.h"
#include "app/MenuState.h"
#include "app/WorkingDocument.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "drawing/CPort.h"
#include "model/CTree.h"
#include "render/QtDrawingDevice.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "ui/CRamexApp.h"
#include "ui/MenuStateApplier.h"
#include "ui/ScreenPort.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>

namespace {

constexpr int32_t kPanelWidth = 220;
constexpr int32_t kMenuCommandCreatorTag = 95;

#ifdef Q_OS_MACOS
constexpr Qt::KeyboardModifiers kChordModifiers = Qt::MetaModifier | Qt::ShiftModifier;
#else
constexpr Qt::KeyboardModifiers kChordModifiers = Qt::ControlModifier | Qt::ShiftModifier;
#endif

} // namespace

CRamexWindow::CRamexWindow(CRamexApp& application) : theRamexApp(application) {
    setWindowTitle(QStringLiteral("Ramex"));
    resize(900, 640);

    // The port measures on an image of the screen's resolution whenever it is not painting.
    measuringDevice = makeMeasuringDevice(*this, measuringImage);
    theCPort = std::make_unique<CPort>();
    theCPort->initializeFonts(measuringDevice.get());

    client = new QWidget(this);
    setCentralWidget(client);
    client->installEventFilter(this);
    panel = new CMainPanel(*this, client);
    scrollView = new CTreeCanvas(*this, client);
    scrollView->setGeometry(kPanelWidth, 0, 400, 300);
    scrollView->setScrollSizes(CTreeCanvas::kDefaultTotal, CTreeCanvas::kDefaultTotal);
    statusBarCtrl = new QStatusBar(client);
    statusBarCtrl->setSizeGripEnabled(false);
    setTool(1);

    scrollView->hide();
    statusBarCtrl->hide();
    buildMenus();

    // The two hidden chords: the privileges dialog and the memory debugging dialog. They are
    // made with the Control key everywhere (on macOS Command+Shift+Q would log the user out).
    auto* privileges = new QShortcut(QKeySequence(kChordModifiers | Qt::Key_Q), this);
    connect(privileges, &QShortcut::activated, this,
            [this] { theRamexApp.showSecretDialog(true); });
    auto* memory = new QShortcut(QKeySequence(kChordModifiers | Qt::Key_E), this);
    connect(memory, &QShortcut::activated, this, [this] { theRamexApp.showSecretDialog(false); });
    // Tab moves through the tools rather than the focus.
    auto* tab = new QShortcut(QKeySequence(Qt::Key_Tab), this);
    connect(tab, &QShortcut::activated, this, [this] { cycleTool(); });
}

CRamexWindow::~CRamexWindow() = default;

QAction* CRamexWindow::action(int32_t commandId) const {
    const auto found = actions.find(commandId);
    return found == actions.end() ? nullptr : found->second;
}

void CRamexWindow::report(const char* name, RErr err) {
    if (err && err != kErrUserCancelled)
        bug(name, err);
}

// ---- The document ----------------------------------------------------------------------

void CRamexWindow::takeDocument(std::unique_ptr<CTree> tree) {
    // The views let go of the old document before it goes.
    scrollView->installParentValues(nullptr, nullptr);
    panel->setDocument(nullptr, nullptr);
    theCTree = std::move(tree);
    theRamexApp.installCTree(theCTree.get());
    if (theCTree && theCTree->script())
        theCTree->script()->middleInterface().installCRamexApp(&theRamexApp);
}

void CRamexWindow::deleteDocument() {
    scrollView->installParentValues(nullptr, nullptr);
    panel->setDocument(nullptr, nullptr);
    theCTree.reset();
    theRamexApp.installCTree(nullptr);
}

void CRamexWindow::installReferences() {
    theRamexApp.installCTree(theCTree.get());
    report("CRamexWindow::installReferences", attachPort());
}

RErr CRamexWindow::startDocument(std::unique_ptr<CTree> tree, bool isNew) {
    takeDocument(std::move(tree));
    const RErr err = prepareWorkingDocument(*theCTree, isNew);
    if (err) {
        // The parser has told the user why; the document does not open.
        deleteDocument();
        return err;
    }
    theRamexApp.setMode(kModeOpeningDocument);
    return kNoErr;
}

RErr CRamexWindow::sendHook(int32_t hook) {
    if (!theCTree || !theCTree->script())
        return kNoErr;
    CUndoStructure& undo = theCTree->undoStructure();
    RErr err = undo.startTaskList(kLabelNeverUndoable);
    bool exists = false;
    bool answer = false;
    if (!err)
        err = theCTree->script()->callInternalMessage(hook, 0, 0, exists, answer);
    const RErr finishErr = undo.finishTaskList();
    return err ? err : finishErr;
}

// ---- File commands -----------------------------------------------------------------------

void CRamexWindow::OnNew() {
    if (!theRamexApp.haveCurrentlySelectedGrammar()) {
        MessageRequest question;
        question.text = "You must select a grammar before a new document can be opened.  Select a "
                        "grammar?";
        question.buttons = MessageButtons::YesNo;
        if (currentPlatform().showMessage(question) == kButtonYes)
            OnChooseGrammar();
        return;
    }
    std::unique_ptr<CTree> tree;
    RErr err = theRamexApp.openCurrentGrammarAsStudentDoc(tree);
    if (!err)
        err = startDocument(std::move(tree), true);
    if (err == kErrScriptCompile)
        return;
    report("CRamexWindow::OnNew", err);
}

RErr CRamexWindow::performOpen(bool isRevert) {
    std::unique_ptr<CTree> tree;
    RErr err = theRamexApp.doOpen(kFileTypeDocument, isRevert, tree);
    if (!err)
        err = startDocument(std::move(tree), false);
    return err;
}

void CRamexWindow::OnOpen() {
    report("CRamexWindow::OnOpen", performOpen(false));
}

RErr CRamexWindow::attemptSave(bool isSaveAs) {
    RErr err = kNoErr;
    if (theCTree) {
        // The highlight belongs to the screen: the file is written without it, and the
        // selection stays.
        const CHiddenSelectionMark hidden(*theCTree, scrollView->getSelectedNode());
        err = theRamexApp.doSave(kFileTypeDocument, isSaveAs);
    } else {
        err = theRamexApp.doSave(kFileTypeDocument, isSaveAs);
    }
    updateMenus();
    return err;
}

RErr CRamexWindow::attemptSaveForClose() {
    if (!theCTree)
        return kNoErr;
    bool dirty = false;
    RErr err = theCTree->undoStructure().isDirty(dirty);
    if (!err && dirty) {
        const int32_t answer = askSaveBeforeClosing(MessageButtons::YesNoCancel);
        if (answer == kButtonCancel)
            return kErrUserCancelled;
        err = sendHook(CScript::kHookClose);
        if (!err && answer == kButtonYes)
            err = attemptSave(false);
    }
    report("CRamexWindow::attemptSaveForClose", err);
    return err;
}

void CRamexWindow::OnCloseItem() {
    if (attemptSaveForClose() == kErrUserCancelled)
        return;
    deleteDocument();
    theRamexApp.setMode(kModeClosingDocument);
}

void CRamexWindow::OnSave() {
    report("CRamexWindow::OnSave", attemptSave(false));
}

void CRamexWindow::OnSaveAs() {
    report("CRamexWindow::OnSaveAs", attemptSave(true));
}

void CRamexWindow::OnRevert() {
    if (!theCTree)
        return;
    if (!confirmRevert())
        return;
    RErr err = theCTree->undoStructure().resetDirty();
    if (!err) {
        deleteDocument();
        theRamexApp.setMode(kModeClosingDocument);
        err = performOpen(true);
    }
    report("CRamexWindow::OnRevert", err);
}

void CRamexWindow::OnChooseGrammar() {
    report("CRamexWindow::OnChooseGrammar", theRamexApp.doChooseGrammar());
    updateMenus();
}

void CRamexWindow::OnNewGrammar() {
    theRamexApp.handleNewGrammar();
}

void CRamexWindow::OnOpenGrammar() {
    theRamexApp.handleOpenGrammar();
}

void CRamexWindow::OnOpenCurrentGrammar() {
    if (theRamexApp.getMode() == kModeDocument)
        OnCloseItem();
    const int32_t mode = theRamexApp.getMode();
    if (mode == kModeClosingDocument || mode == kModeNoDocument)
        theRamexApp.handleOpenCurrentGrammar();
}

void CRamexWindow::OnExit() {
    close();
}

void CRamexWindow::OnUndo() {
    if (theCTree)
        showUndoOrRedo("CRamexWindow::OnUndo", theCTree->undoStructure().undo());
}

void CRamexWindow::OnRedo() {
    if (theCTree)
        showUndoOrRedo("CRamexWindow::OnRedo", theCTree->undoStructure().redo());
}

void CRamexWindow::showUndoOrRedo(const char* name, RErr err) {
    refreshDocumentViews();
    updateMenus();
    report(name, err);
}

void CRamexWindow::closeEvent(QCloseEvent* event) {
    if (theRamexApp.getMode() == kModeDocument) {
        // A failed save keeps the window open, so nothing is lost.
        if (attemptSaveForClose()) {
            event->ignore();
            return;
        }
        deleteDocument();
    }
    theRamexApp.cleanUpForExit();
    event->accept();
    QCoreApplication::quit();
}

// ---- Mode changes --------------------------------------------------------------------------

bool CRamexWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client && event->type() == QEvent::Resize)
        placeChildren();
    const int32_t mode = theRamexApp.getMode();
    if (event->type() == QEvent::Paint && !modeChangePending &&
        (mode == kModeClosingDocument || mode == kModeOpeningDocument)) {
        // Finished right after this paint: widgets must not be shown or hidden during one.
        modeChangePending = true;
        QMetaObject::invokeMethod(
            this, [this] { finishModeChange(); }, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void CRamexWindow::finishModeChange() {
    modeChangePending = false;
    const int32_t mode = theRamexApp.getMode();
    if (mode == kModeClosingDocument) {
        hidePanel();
        removeAuthorMenus();
        theRamexApp.setMode(kModeNoDocument);
    } else if (mode == kModeOpeningDocument) {
        showPanelForDocument();
        theRamexApp.setMode(kModeDocument);
        installAuthorMenus();
        RErr err = sendHook(CScript::kHookOpen);
        // The opening hook's changes are part of the document as it opens, not a step.
        if (!err && theCTree)
            err = theCTree->undoStructure().zeroOut();
        report("CRamexWindow::finishModeChange", err);
        refreshDocumentViews();
        updateMenus();
    }
}

void CRamexWindow::updateMenus() {
    RStudentMenuSituation situation;
    situation.mode = theRamexApp.getMode();
    situation.authorPrivileges = theRamexApp.getPrivileges();
    situation.haveSelectedGrammar = theRamexApp.haveCurrentlySelectedGrammar();
    situation.fileExistsOnlyInMemory = theRamexApp.getFileExistsOnlyInMemory();
    if (situation.mode == kModeOpeningDocument || situation.mode == kModeDocument) {
        if (theCTree) {
            readDocumentSituation(*theCTree, situation);
            situation.selectedNode = scrollView->getSelectedNode();
        } else
            situation.readErr = kErrNotInitialized;
    }
    applyMenuState(
        studentMenuState(situation), [this](int32_t commandId) { return action(commandId); },
        "CRamexWindow::updateMenus");
}

// ---- The grammar's menus -------------------------------------------------------------------

void CRamexWindow::installAuthorMenus() {
    removeAuthorMenus();
    if (!theCTree || !theCTree->script())
        return;
    const CMiddleInterface& bridge = theCTree->script()->middleInterface();
    for (int32_t number = 1; number <= 2; ++number) {
        const CMiddleInterface::RMenu* view = bridge.menu(number);
        if (!view || view->items.empty())
            continue;
        auto* menu = new QMenu(QString::fromStdString(view->name), this);
        for (std::size_t i = 0; i < view->items.size(); ++i) {
            if (view->items[i].divider) {
                menu->addSeparator();
                continue;
            }
            const int32_t commandId = authorMenuCommand(number, static_cast<int32_t>(i) + 1);
            QAction* item = menu->addAction(QString::fromStdString(view->items[i].label));
            item->setData(commandId);
            connect(item, &QAction::triggered, this,
                    [this, commandId] { OnAuthorMenuItem(commandId); });
        }
        menuBar()->addMenu(menu);
        (number == 1 ? menu1 : menu2) = menu;
    }
    rebuildAuthorMenus();
}

void CRamexWindow::removeAuthorMenus() {
    for (QMenu** menu : {&menu2, &menu1}) {
        if (*menu) {
            menuBar()->removeAction((*menu)->menuAction());
            delete *menu;
            *menu = nullptr;
        }
    }
}

void CRamexWindow::rebuildAuthorMenus() {
    if (!theCTree || !theCTree->script())
        return;
    const CMiddleInterface& bridge = theCTree->script()->middleInterface();
    for (int32_t number = 1; number <= 2; ++number) {
        QMenu* menu = authorMenu(number);
        const CMiddleInterface::RMenu* view = bridge.menu(number);
        if (!menu || !view)
            continue;
        for (QAction* item : menu->actions()) {
            if (item->isSeparator())
                continue;
            const auto index =
                static_cast<std::size_t>(item->data().toInt() - authorMenuCommand(number, 1));
            if (index >= view->items.size())
                continue;
            const CMiddleInterface::RMenuItem& state = view->items[index];
            item->setText(QString::fromStdString(state.label));
            item->setCheckable(state.checked);
            item->setChecked(state.checked);
            item->setEnabled(state.enabled);
        }
    }
}

void CRamexWindow::OnAuthorMenuItem(int32_t commandId) {
    int32_t number = 0;
    int32_t item = 0;
    if (!authorMenuItem(commandId, number, item)) {
        bug("Internal error: invalid menu ID (CRamexWindow::OnAuthorMenuItem)", kNoErr);
        return;
    }
    if (!theCTree || !theCTree->script())
        return;
    CScript& script = *theCTree->script();
    std::string functionName;
    RErr err = script.middleInterface().getMenuItemString(number, item, false, functionName);
    CUndoStructure& undo = theCTree->undoStructure();
    if (!err)
        err = undo.startTaskList(kLabelMenu);
    if (!err) {
        err =
            script.executeAuthorDefinedMenuCommand(CRString(functionName, kMenuCommandCreatorTag));
        const RErr finishErr = undo.finishTaskList();
        if (!err)
            err = finishErr;
    }
    updateMenus();
    refreshDocumentViews();
    report("CRamexWindow::OnAuthorMenuItem", err);
}

// ---- Requests from the script and the undo tasks --------------------------------------------

void CRamexWindow::reportParseError(int32_t /*code*/, int32_t /*line*/) {
    bug("Student mode parse error (not completed)", kNoErr);
}

void CRamexWindow::message(const std::string& text) {
    statusBarCtrl->showMessage(QString::fromStdString(text));
}

void CRamexWindow::popUp(int32_t node, const std::string& text) {
    scrollView->startPopUpBox(node, text);
}

void CRamexWindow::setGrammarLabel(const std::string& grammarPath, bool valid) {
    QString name = QStringLiteral("None");
    if (valid)
        name = QFileInfo(QString::fromStdString(grammarPath)).completeBaseName();
    panel->grammarLabel()->setText(QStringLiteral("Currently Selected Grammar:\n") + name);
}

QString CRamexWindow::statusText() const {
    return statusBarCtrl->currentMessage();
}

QString CRamexWindow::grammarLabelText() const {
    return panel->grammarLabel()->text();
}
