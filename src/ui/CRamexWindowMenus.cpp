// The main window's menu bar, its Drawing and Text commands and the Edit commands of the
// selected tree.
#include "ui/CRamexWindow.h"

#include "app/CommandIds.h"
#include "app/MenuState.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"
#include "ui/CRamexApp.h"
#include "undo/CUndoStructure.h"
#include "undo/UndoLabels.h"

#include <QAction>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include <algorithm>
#include <iterator>

namespace {

constexpr int32_t kRefreshDrawingTask = 6;
constexpr int32_t kFontNameCreatorTag = 96;

// One item of a menu: 0 as the command is a separator. The keys are those of the accelerator
// table; where a label of the menu resource shows another key (Undo, Duplicate), the key that
// works is the one shown.
struct RMenuEntry {
    int32_t commandId;
    const char* label;
    QKeySequence key;
};

QKeySequence control(Qt::Key key) {
    return QKeySequence(Qt::CTRL | key);
}

} // namespace

QAction* CRamexWindow::addCommand(QMenu* menu, int32_t commandId, const QString& label,
                                  const QKeySequence& shortcut, std::function<void()> handler) {
    QAction* added = menu->addAction(label);
    added->setShortcut(shortcut);
    added->setData(commandId);
    connect(added, &QAction::triggered, this, [handler] { handler(); });
    actions[commandId] = added;
    return added;
}

void CRamexWindow::buildMenus() {
    const std::map<int32_t, std::function<void()>> handlers = {
        {kCommandNew, [this] { OnNew(); }},
        {kCommandOpen, [this] { OnOpen(); }},
        {kCommandClose, [this] { OnCloseItem(); }},
        {kCommandSave, [this] { OnSave(); }},
        {kCommandSaveAs, [this] { OnSaveAs(); }},
        {kCommandRevert, [this] { OnRevert(); }},
        {kCommandChooseGrammar, [this] { OnChooseGrammar(); }},
        {kCommandNewGrammar, [this] { OnNewGrammar(); }},
        {kCommandOpenGrammar, [this] { OnOpenGrammar(); }},
        {kCommandOpenCurrentGrammar, [this] { OnOpenCurrentGrammar(); }},
        {kCommandPrintSetup, [this] { OnPrintSetup(); }},
        {kCommandPrint, [this] { OnPrint(); }},
        {kCommandExportPicture, [this] { OnExportPicture(); }},
        {kCommandExit, [this] { OnExit(); }},
        {kCommandUndo, [this] { OnUndo(); }},
        {kCommandRedo, [this] { OnRedo(); }},
        {kCommandCut, [this] { OnCut(); }},
        {kCommandCopy, [this] { OnCopy(); }},
        {kCommandPaste, [this] { OnPaste(); }},
        {kCommandClear, [this] { OnClear(); }},
        {kCommandDuplicate, [this] { OnDuplicate(); }},
        {kCommandSelectAll, [this] { OnSelectAll(); }},
        {kCommandExportQTree, [this] { OnExportQTree(); }},
        {kCommandFontAndSize, [this] { OnFontAndSize(); }},
    };
    const RMenuEntry file[] = {
        {kCommandNew, "&New", control(Qt::Key_N)},
        {kCommandOpen, "&Open", control(Qt::Key_O)},
        {kCommandClose, "&Close", control(Qt::Key_W)},
        {kCommandSave, "&Save", control(Qt::Key_S)},
        {kCommandSaveAs, "Save &As", QKeySequence(QKeySequence::SaveAs)},
        {kCommandRevert, "&Revert", QKeySequence()},
        {0, nullptr, QKeySequence()},
        {kCommandChooseGrammar, "&Choose Grammar", control(Qt::Key_F)},
        {kCommandNewGrammar, "New Grammar", control(Qt::Key_H)},
        {kCommandOpenGrammar, "Open Grammar", control(Qt::Key_G)},
        {kCommandOpenCurrentGrammar, "Open Current Grammar", control(Qt::Key_K)},
        {0, nullptr, QKeySequence()},
        {kCommandPrintSetup, "Print Setup", QKeySequence()},
        {kCommandPrint, "&Print", control(Qt::Key_P)},
        {kCommandExportPicture, "Export Picture...", QKeySequence()},
        {0, nullptr, QKeySequence()},
        {kCommandExit, "E&xit", QKeySequence(QKeySequence::Quit)},
    };
    const RMenuEntry edit[] = {
        {kCommandUndo, "&Undo", control(Qt::Key_Z)},
        {kCommandRedo, "&Redo", control(Qt::Key_R)},
        {0, nullptr, QKeySequence()},
        {kCommandCut, "Cu&t", control(Qt::Key_X)},
        {kCommandCopy, "&Copy", control(Qt::Key_C)},
        {kCommandPaste, "&Paste", control(Qt::Key_V)},
        {kCommandClear, "C&lear", QKeySequence()},
        {0, nullptr, QKeySequence()},
        {kCommandDuplicate, "Duplicate", control(Qt::Key_Y)},
        {kCommandSelectAll, "Select All", control(Qt::Key_A)},
        {0, nullptr, QKeySequence()},
        {kCommandExportQTree, "Export qtree specification", QKeySequence()},
    };
    const RMenuEntry drawing[] = {
        {kCommandSkinnyWidth, "Skinny Width", QKeySequence()},
        {kCommandMediumWidth, "Medium Width", QKeySequence()},
        {kCommandFatWidth, "Fat Width", QKeySequence()},
        {0, nullptr, QKeySequence()},
        {kCommandShortLines, "Short Lines", QKeySequence()},
        {kCommandMediumLines, "Medium Lines", QKeySequence()},
        {kCommandTallLines, "Tall Lines", QKeySequence()},
        {0, nullptr, QKeySequence()},
        {kCommandShortGap, "Short Gap", QKeySequence()},
        {kCommandMediumGap, "Medium Gap", QKeySequence()},
        {kCommandTallGap, "Tall Gap", QKeySequence()},
        {0, nullptr, QKeySequence()},
        {kCommandThinLines, "Thin Lines", QKeySequence()},
        {kCommandMediumThickness, "Medium Lines", QKeySequence()},
        {kCommandThickLines, "Thick Lines", QKeySequence()},
    };
    const RMenuEntry text[] = {
        {kCommandFontAndSize, "Font and Size", control(Qt::Key_D)},
    };
    const auto fill = [&](const char* title, const RMenuEntry* first, const RMenuEntry* last) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
        for (const RMenuEntry* entry = first; entry != last; ++entry) {
            if (entry->commandId == 0) {
                menu->addSeparator();
                continue;
            }
            const int32_t id = entry->commandId;
            const auto found = handlers.find(id);
            std::function<void()> handler =
                found != handlers.end() ? found->second : [this, id] { OnDrawingCommand(id); };
            QAction* item = addCommand(menu, id, QString::fromUtf8(entry->label), entry->key,
                                       std::move(handler));
            if (found == handlers.end())
                item->setCheckable(true);
        }
    };
    fill("&File", std::begin(file), std::end(file));
    fill("&Edit", std::begin(edit), std::end(edit));
    fill("Drawing", std::begin(drawing), std::end(drawing));
    fill("Text", std::begin(text), std::end(text));
    action(kCommandExit)->setMenuRole(QAction::QuitRole);
}

// ---- Drawing and Text ----------------------------------------------------------------------

RErr CRamexWindow::drawingPrefsStep(const std::function<RErr()>& change) {
    if (!theCTree)
        return kErrNotInitialized;
    CUndoStructure& undo = theCTree->undoStructure();
    RErr err = undo.startTaskList(kLabelDrawingPreferences);
    if (err)
        return err;
    // Undo runs the first task last, once the old values are back; redo the last task last.
    err = theRamexApp.addUserInterfaceUndoTask(kRefreshDrawingTask, 0, 0);
    if (!err)
        err = change();
    if (!err)
        err = theCTree->allTreesDirty();
    if (!err)
        err = theRamexApp.addUserInterfaceUndoTask(kRefreshDrawingTask, 0, 0);
    const RErr finishErr = undo.finishTaskList();
    return err ? err : finishErr;
}

RErr CRamexWindow::doDrawingPref(int32_t whichTabletRow, int32_t newValue) {
    return drawingPrefsStep(
        [&] { return theCTree->setDrawingPref(whichTabletRow, newValue, nullptr); });
}

RErr CRamexWindow::doFontPrefs(int32_t size, const std::string& face) {
    const CRString name(face, kFontNameCreatorTag);
    return drawingPrefsStep([&] {
        RErr err = theCTree->setDrawingPref(kHdrFontSize, std::clamp(size, 8, 144), nullptr);
        if (!err)
            err = theCTree->setDrawingPref(kHdrFontName, 0, &name);
        return err;
    });
}

void CRamexWindow::OnDrawingCommand(int32_t commandId) {
    int32_t attribute = 0;
    int32_t value = 0;
    RErr err = kErrInvalidParameter;
    if (drawingCommandSetting(commandId, attribute, value))
        err = doDrawingPref(attribute, value);
    updateMenus();
    report("CRamexWindow::doDrawingPref", err);
}

void CRamexWindow::OnFontAndSize() {
    if (!theCTree)
        return;
    closePopUp();
    const CRString* face = nullptr;
    RErr err = theCTree->getAnyString(kHeaderRecord, kHdrFontName, face);
    if (err) {
        report("CRamexWindow::OnFontAndSize", err);
        return;
    }
    FontRequest request;
    request.face = face->str();
    request.tenthsOfPoint = theCTree->fontSize * 10;
    const QString stored = QString::fromStdString(request.face);
    if (!QFontDatabase::hasFamily(stored)) {
        // The stored name stays until another font is chosen; the trees use the stand-in.
        const QString standIn = QFontInfo(QFont(stored)).family();
        statusBarCtrl->showMessage(QStringLiteral("The font \"%1\" is not installed here; the "
                                                  "trees are drawn in \"%2\".")
                                       .arg(stored, standIn));
        request.face = standIn.toStdString();
    }
    if (!currentPlatform().chooseFont(request))
        return;
    statusBarCtrl->clearMessage();
    err = doFontPrefs(fontSizeFromDialog(request.tenthsOfPoint), request.face);
    updateMenus();
    report("CRamexWindow::OnFontAndSize", err);
}

// ---- Edit ----------------------------------------------------------------------------------

void CRamexWindow::OnClear() {
    const int32_t node = scrollView->getSelectedNode();
    if (!theCTree || node == 0) {
        bug("CRamexWindow::OnClear", kErrGeneral);
        return;
    }
    closePopUp();
    scrollView->selectNode(0);
    CUndoStructure& undo = theCTree->undoStructure();
    RErr err = undo.startTaskList(kLabelClearWord);
    if (!err) {
        err = theCTree->killRootNode(node);
        const RErr finishErr = undo.finishTaskList();
        if (!err)
            err = finishErr;
    }
    refreshDocumentViews();
    updateMenus();
    report("CRamexWindow::OnClear", err);
}

void CRamexWindow::OnCut() {
    bug("Command 'Cut' has not been implemented yet.", kNoErr);
}

void CRamexWindow::OnPaste() {
    bug("Command 'Paste' has not been implemented yet.", kNoErr);
}

void CRamexWindow::OnDuplicate() {
    bug("Command 'Duplicate' has not been implemented yet.", kNoErr);
}

void CRamexWindow::OnSelectAll() {
    bug("Command 'Select All' has not been implemented yet.", kNoErr);
}

void CRamexWindow::OnPrintSetup() {
    bug("Command 'Print Setup' has not been implemented yet.", kNoErr);
}
