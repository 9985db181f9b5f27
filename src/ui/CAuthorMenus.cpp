#include "ui/CAuthorMenus.h"

#include "app/CommandIds.h"
#include "base/ErrorReporter.h"
#include "ui/CLexicalItemsDialog.h"
#include "ui/EditFieldCommands.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace {

QKeySequence control(Qt::Key key) {
    return QKeySequence(Qt::CTRL | key);
}

} // namespace

CAuthorMenus::CAuthorMenus(QMenuBar& bar, QWidget& window, CLexicalItemsDialog& editor)
    : QObject(&bar), theWindow(window), theEditor(editor) {
    CLexicalItemsDialog* e = &editor;
    file = bar.addMenu(QStringLiteral("&File"));
    addCommand(*file, kCommandNew, QStringLiteral("&New"), control(Qt::Key_N), [e] { e->OnNew(); });
    addCommand(*file, kCommandOpen, QStringLiteral("&Open"), QKeySequence(), [e] { e->OnOpen(); });
    addCommand(*file, kCommandClose, QStringLiteral("&Close"), control(Qt::Key_W), [this, e] {
        if (isEditor())
            e->OnCloseItem();
        else
            theWindow.hide();
    });
    addCommand(*file, kCommandSave, QStringLiteral("&Save"), control(Qt::Key_S),
               [e] { e->OnSave(); });
    addCommand(*file, kCommandSaveAs, QStringLiteral("Save &As"), QKeySequence::SaveAs,
               [e] { e->OnSaveAs(); });
    addCommand(*file, kCommandRevert, QStringLiteral("&Revert"), QKeySequence(),
               [e] { e->OnRevert(); });
    file->addSeparator();
    addCommand(*file, kCommandChooseGrammar, QStringLiteral("&Choose Grammar"), QKeySequence(),
               [e] { e->OnChooseGrammar(); });
    addCommand(*file, kCommandNewGrammar, QStringLiteral("New Grammar"), QKeySequence(),
               [e] { e->OnNewGrammar(); });
    addCommand(*file, kCommandOpenGrammar, QStringLiteral("Open Grammar"), QKeySequence(),
               [e] { e->OnOpenGrammar(); });
    addCommand(*file, kCommandOpenCurrentGrammar, QStringLiteral("Open Current Grammar"),
               QKeySequence(), [e] { e->OnOpenCurrentGrammar(); });
    file->addSeparator();
    addCommand(*file, kCommandPrintSetup, QStringLiteral("Print Setup"), QKeySequence(),
               [e] { e->OnPrintSetup(); });
    addCommand(*file, kCommandPrint, QStringLiteral("&Print"), QKeySequence(),
               [e] { e->OnPrint(); });
    file->addSeparator();
    addCommand(*file, kCommandExit, QStringLiteral("E&xit"), QKeySequence::Quit, [e] {
        e->OnExit();
    })->setMenuRole(QAction::QuitRole);

    edit = bar.addMenu(QStringLiteral("&Edit"));
    addCommand(*edit, kCommandUndo, QStringLiteral("&Undo"), QKeySequence::Undo,
               [e] { e->OnUndo(); });
    QAction* redo = addCommand(*edit, kCommandRedo, QStringLiteral("&Redo"), QKeySequence(),
                               [e] { e->OnRedo(); });
    redo->setShortcuts({control(Qt::Key_R), QKeySequence(QKeySequence::Redo)});
    edit->addSeparator();
    // Inside an edit field the field itself takes the platform's Cut, Copy and Paste keys.
    addCommand(*edit, kCommandCut, QStringLiteral("Cu&t"), QKeySequence(),
               [] { sendEditFieldCommand(kCommandCut); });
    addCommand(*edit, kCommandCopy, QStringLiteral("&Copy"), QKeySequence(),
               [] { sendEditFieldCommand(kCommandCopy); });
    addCommand(*edit, kCommandPaste, QStringLiteral("&Paste"), QKeySequence(),
               [] { sendEditFieldCommand(kCommandPaste); });
    addCommand(*edit, kCommandClear, QStringLiteral("C&lear"), QKeySequence(), [this, e] {
        if (isEditor())
            e->OnClear();
        else
            sendEditFieldCommand(kCommandClear);
    });
    edit->addSeparator();
    addCommand(*edit, kCommandDuplicate, QStringLiteral("Duplicate"), control(Qt::Key_D),
               [this, e] {
                   if (isEditor())
                       e->OnDuplicate();
               });
    addCommand(*edit, kCommandSelectAll, QStringLiteral("Select All"), QKeySequence(), [this, e] {
        if (isEditor())
            e->OnSelectAll();
    });

    windows = bar.addMenu(QStringLiteral("&Windows"));
    addCommand(*windows, kCommandWords, QStringLiteral("Words"), QKeySequence(),
               [e] { e->OnWords(); });
    addCommand(*windows, kCommandCategories, QStringLiteral("Categories"), QKeySequence(),
               [e] { e->OnCategories(); });
    addCommand(*windows, kCommandFeatures, QStringLiteral("Features"), QKeySequence(),
               [e] { e->OnFeatures(); });
    addCommand(*windows, kCommandScript, QStringLiteral("Script"), QKeySequence(),
               [e] { e->OnScript(); });
    for (int32_t id : {kCommandWords, kCommandCategories, kCommandFeatures, kCommandScript})
        actions[id]->setCheckable(true);

    editor.addCoordinatedMenus(*this);
}

bool CAuthorMenus::isEditor() const {
    return &theWindow == static_cast<QWidget*>(&theEditor);
}

void CAuthorMenus::watchMenu(QMenu& menu) {
    // A menu opened ends the typing run, which also brings the items up to date.
    if (!watched.insert(&menu).second)
        return;
    CLexicalItemsDialog* e = &theEditor;
    connect(&menu, &QMenu::aboutToShow, this, [e] { e->afterTyping(); });
}

QAction* CAuthorMenus::addCommand(QMenu& menu, int32_t commandId, const QString& label,
                                  const QKeySequence& keys, std::function<void()> handler) {
    QAction* item = menu.addAction(label);
    item->setShortcut(keys);
    item->setData(commandId);
    connect(item, &QAction::triggered, this, [run = std::move(handler)] { run(); });
    actions[commandId] = item;
    watchMenu(menu);
    return item;
}

QAction* CAuthorMenus::action(int32_t commandId) const {
    const auto found = actions.find(commandId);
    return found == actions.end() ? nullptr : found->second;
}

RErr CAuthorMenus::affectMenuItem(int32_t commandId, int32_t how, const QString& text) {
    QAction* item = action(commandId);
    if (how < 1 || how > 5)
        return reportError("CAuthorMenus::affectMenuItem", kErrInvalidParameter);
    if (!item)
        return kNoErr;
    switch (how) {
    case 1:
    case 2:
        item->setEnabled(how == 1);
        break;
    case 3:
    case 4:
        item->setCheckable(true);
        item->setChecked(how == 3);
        break;
    default:
        item->setText(text);
        break;
    }
    return kNoErr;
}

void CAuthorMenus::updateEditItems(int32_t ownWindowCommand) {
    for (int32_t id : {kCommandUndo, kCommandRedo, kCommandCut, kCommandCopy, kCommandPaste,
                       kCommandClear, kCommandDuplicate, kCommandSelectAll})
        affectMenuItem(id, 2);
    const REditFieldState field = couldCutCopyClearPaste();
    const bool selection = field.focusInEditField && field.selectionNotEmpty;
    for (int32_t id : {kCommandCut, kCommandCopy, kCommandClear})
        affectMenuItem(id, selection ? 1 : 2);
    affectMenuItem(kCommandPaste, field.focusInEditField && field.clipboardHasText ? 1 : 2);
    for (int32_t id : {kCommandWords, kCommandCategories, kCommandFeatures, kCommandScript})
        affectMenuItem(id, id == ownWindowCommand ? 3 : 4);
}
