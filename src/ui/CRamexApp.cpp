#include "ui/CRamexApp.h"

#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "script/CMiddleInterface.h"
#include "script/CScript.h"
#include "storage/CRString.h"
#include "ui/CCategoriesDialog.h"
#include "ui/CDebugDialog.h"
#include "ui/CFeaturesDialog.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/CPrivilegesDialog.h"
#include "ui/CRamexWindow.h"
#include "ui/CScriptWindow.h"
#include "ui/ToolImages.h"
#include "undo/CUserInterfaceTask.h"

#include <QIcon>

namespace {

constexpr int32_t kAnswerCreatorTag = 80;

} // namespace

CRamexApp::CRamexApp() = default;

CRamexApp::~CRamexApp() {
    // The windows may still hold a database whose script refers to this object.
    ramexWindow.reset();
    // The other author windows refer to the lexicon editor (its typing runs and menus), so
    // they go before it.
    scriptWindowObject.reset();
    featuresDialogWindow.reset();
    categoriesDialogWindow.reset();
    lexicalItemsDialogWindow.reset();
}

bool CRamexApp::InitInstance(bool showMainWindow) {
    mode = kModeClosingDocument;
    files.setFileExistsOnlyInMemory(true);
    if (readPreferences())
        return false;

    ramexWindow = std::make_unique<CRamexWindow>(*this);
    files.installGrammarLabel(this);
    files.showGrammarLabel();
    if (showMainWindow)
        ramexWindow->show();
    ramexWindow->updateMenus();

    lexicalItemsDialogWindow = std::make_unique<CLexicalItemsDialog>(*this);
    categoriesDialogWindow = std::make_unique<CCategoriesDialog>(*this);
    featuresDialogWindow = std::make_unique<CFeaturesDialog>(*this);
    scriptWindowObject = std::make_unique<CScriptWindow>(*this);
    privilegesDialogWindow = std::make_unique<CPrivilegesDialog>(*this);
    debugDialogWindow = std::make_unique<CDebugDialog>();
    lexicalItemsDialogWindow->installReferences(*categoriesDialogWindow, *featuresDialogWindow,
                                                *scriptWindowObject);

    registerRamexResources();
    const QIcon icon(QStringLiteral(":/ramex/icon.svg"));
    for (QWidget* window : std::initializer_list<QWidget*>{
             ramexWindow.get(), lexicalItemsDialogWindow.get(), categoriesDialogWindow.get(),
             featuresDialogWindow.get(), scriptWindowObject.get(), privilegesDialogWindow.get(),
             debugDialogWindow.get()})
        window->setWindowIcon(icon);
    return true;
}

RErr CRamexApp::setMode(int32_t newMode) {
    mode = newMode;
    switch (newMode) {
    case kModeClosingDocument:
    case kModeOpeningDocument:
        ramexWindow->show();
        lexicalItemsDialogWindow->hide();
        categoriesDialogWindow->hide();
        featuresDialogWindow->hide();
        scriptWindowObject->hide();
        if (newMode == kModeOpeningDocument)
            ramexWindow->installReferences();
        ramexWindow->updateMenus();
        ramexWindow->update();
        break;
    case kModeSwitchingToAuthor:
        lexicalItemsDialogWindow->show();
        ramexWindow->hide();
        lexicalItemsDialogWindow->redrawUserInterface();
        scriptWindowObject->newGrammarHasArrived();
        break;
    case kModeQuitting:
        ramexWindow->close();
        break;
    default:
        break;
    }
    return kNoErr;
}

RErr CRamexApp::addUserInterfaceUndoTask(int32_t taskCode, int32_t oldValue, int32_t newValue) {
    if (theCTree && theCTree->script())
        CUserInterfaceTask::construct(theCTree->undoStructure(),
                                      theCTree->script()->middleInterface(), taskCode, oldValue,
                                      newValue);
    return kNoErr;
}

RErr CRamexApp::doUserInterfaceUndoTask(int32_t taskCode, int32_t value) {
    switch (mode) {
    case kModeClosingDocument:
    case kModeNoDocument:
        return kNoErr;
    case kModeOpeningDocument:
    case kModeDocument:
        return ramexWindow->doUserInterfaceUndoTask(taskCode, value);
    case kModeAuthor:
        return lexicalItemsDialogWindow->doUserInterfaceUndoTask(taskCode, value);
    default:
        return reportError("CRamexApp::doUserInterfaceUndoTask", kErrGeneral);
    }
}

RErr CRamexApp::notifyUserInterfaceOfTypingTask(int32_t record, int32_t attribute,
                                                const CRString* text, int32_t selectionStart,
                                                int32_t selectionEnd) {
    if (mode == kModeAuthor)
        return lexicalItemsDialogWindow->notifyUserInterfaceOfTypingTask(
            record, attribute, text, selectionStart, selectionEnd);
    if (mode == kModeDocument)
        return kNoErr;
    return reportError("CRamexApp::notifyUserInterfaceOfTypingTask", kErrGeneral);
}

RErr CRamexApp::reportParseError(int32_t code, int32_t line) {
    if (mode == kModeAuthor)
        return scriptWindowObject->reportParseError(code, line);
    if (mode >= kModeClosingDocument && mode <= kModeDocument) {
        if (code != 0)
            ramexWindow->reportParseError(code, line);
        return kNoErr;
    }
    bug("CRamexApp::reportParseError", kNoErr);
    return kNoErr;
}

RErr CRamexApp::message(const CRString& text) {
    ramexWindow->message(text.str());
    return kNoErr;
}

RErr CRamexApp::popUp(int32_t node, const CRString& text) {
    ramexWindow->popUp(node, text.str());
    return kNoErr;
}

RErr CRamexApp::ask(const CRString& prompt, CRString& answer) {
    std::string reply;
    currentPlatform().ask(prompt.str(), reply);
    answer = CRString(reply, kAnswerCreatorTag);
    return kNoErr;
}

void CRamexApp::cleanUpForExit() {
    writePreferences();
}

void CRamexApp::handleNew() {
    ramexWindow->OnNew();
}

void CRamexApp::handleNewGrammar() {
    lexicalItemsDialogWindow->handleNewGrammar();
}

void CRamexApp::handleOpenGrammar() {
    lexicalItemsDialogWindow->handleOpenGrammar(false);
}

void CRamexApp::handleOpenCurrentGrammar() {
    lexicalItemsDialogWindow->handleOpenCurrentGrammar();
}

RErr CRamexApp::openDocumentFile(const std::string& path) {
    RErr err = files.useDocumentFile(path);
    if (!err)
        err = ramexWindow->performOpen(true);
    if (err && err != kErrUserCancelled)
        bug("CRamexApp::openDocumentFile", err);
    return err;
}

RErr CRamexApp::startWithGrammar(const std::string& path) {
    const RErr err = files.useGrammarFile(path);
    if (!err)
        ramexWindow->OnNew();
    return err;
}
