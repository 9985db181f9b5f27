#include "ui/CLexicalItemsDialog.h"

#include "app/CommandIds.h"
#include "app/MenuState.h"
#include "model/CTree.h"
#include "storage/CRString.h"
#include "ui/CAuthorMenus.h"
#include "ui/CRamexApp.h"
#include "ui/EditFieldCommands.h"
#include "ui/MenuStateApplier.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

// The editor's menu bar: the shared File, Edit and Windows menus, then Words, Nodes and Font,
// and the rules that enable and check their items after every change.

void CLexicalItemsDialog::buildMenus() {
    ownMenus = new CAuthorMenus(*menuBar(), *this, *this);
    auto add = [this](QMenu& menu, int32_t commandId, const char* label, const QKeySequence& keys,
                      void (CLexicalItemsDialog::*handler)()) {
        return ownMenus->addCommand(menu, commandId, QString::fromUtf8(label), keys,
                                    [this, handler] { (this->*handler)(); });
    };
    QMenu* words = menuBar()->addMenu(QStringLiteral("Words"));
    add(*words, kCommandNewWord, "New Word", QKeySequence(Qt::CTRL | Qt::Key_E),
        &CLexicalItemsDialog::OnNewWord);
    xBarSubmenu = words->addMenu(QStringLiteral("New X-bar spine"));
    // The template's placeholder until the first rebuild.
    QAction* dummy = xBarSubmenu->addAction(QStringLiteral("Dummy Item"));
    dummy->setData(kFirstXBarSpineCommand);
    dummy->setEnabled(false);
    connect(dummy, &QAction::triggered, this,
            [this, dummy] { OnXBarSpineItem(dummy->data().toInt()); });
    XBarMenuCount = 1;
    words->addSeparator();
    add(*words, kCommandViewAlphabetically, "View Alphabetically", QKeySequence(),
        &CLexicalItemsDialog::OnViewAlphabetically)
        ->setCheckable(true);
    add(*words, kCommandViewByCategory, "View by Category", QKeySequence(),
        &CLexicalItemsDialog::OnViewByCategory)
        ->setCheckable(true);

    QMenu* nodes = menuBar()->addMenu(QStringLiteral("Nodes"));
    add(*nodes, kCommandCreateMother, "Create Mother", QKeySequence(),
        &CLexicalItemsDialog::OnCreateMother);
    nodes->addSeparator();
    add(*nodes, kCommandCreateDaughter, "Create Daughter", QKeySequence(),
        &CLexicalItemsDialog::OnCreateDaughter);
    add(*nodes, kCommandCreateDaughterToLeft, "Create Daughter To Left", QKeySequence(),
        &CLexicalItemsDialog::OnCreateDaughterToLeft);
    add(*nodes, kCommandCreateDaughterToRight, "Create Daughter To Right", QKeySequence(),
        &CLexicalItemsDialog::OnCreateDaughterToRight);
    nodes->addSeparator();
    add(*nodes, kCommandCreateSisterToLeft, "Create Sister  To Left", QKeySequence(),
        &CLexicalItemsDialog::OnCreateSisterToLeft);
    add(*nodes, kCommandCreateSisterToRight, "Create Sister To Right", QKeySequence(),
        &CLexicalItemsDialog::OnCreateSisterToRight);
    nodes->addSeparator();
    add(*nodes, kCommandDeleteNode, "Delete Node", QKeySequence(),
        &CLexicalItemsDialog::OnDeleteNode);

    QMenu* font = menuBar()->addMenu(QStringLiteral("Font"));
    add(*font, kCommandFontAndSize, "Font and Size", QKeySequence(),
        &CLexicalItemsDialog::OnFontAndSize);
    ownMenus->watchMenu(*xBarSubmenu);
}

QAction* CLexicalItemsDialog::action(int32_t commandId) const {
    if (commandId > kFirstXBarSpineCommand - 1 &&
        commandId - kFirstXBarSpineCommand < xBarSubmenu->actions().size())
        return xBarSubmenu->actions().at(commandId - kFirstXBarSpineCommand);
    return ownMenus->action(commandId);
}

void CLexicalItemsDialog::rebuildXBarMenu() {
    // One item per category, in the sorted order; every category is reachable, however many:
    // each item carries its own command, 2000 + its place.
    const int32_t count = sortedCategories.empty() ? 0 : sortedCategories[0];
    QList<QAction*> items = xBarSubmenu->actions();
    while (items.size() > count) {
        QAction* last = items.takeLast();
        xBarSubmenu->removeAction(last);
        delete last;
    }
    while (items.size() < count) {
        QAction* added = xBarSubmenu->addAction(QString());
        connect(added, &QAction::triggered, this,
                [this, added] { OnXBarSpineItem(added->data().toInt()); });
        items.push_back(added);
    }
    for (int32_t i = 1; i <= count; ++i) {
        const CRString* name = nullptr;
        theCTree->getNameString(sortedCategories[i], name);
        QAction* item = items[i - 1];
        item->setData(kFirstXBarSpineCommand - 1 + i);
        item->setText(name ? QString::fromStdString(name->str()) : QString());
        item->setEnabled(true);
    }
    XBarMenuCount = count;
}

void CLexicalItemsDialog::updateLocalMenus() {
    RAuthorMenuSituation situation;
    situation.mode = theRamexApp.getMode();
    situation.fileExistsOnlyInMemory = theRamexApp.getFileExistsOnlyInMemory();
    if (theCTree)
        situation.readErr = readUndoSituation(*theCTree, situation.undo);
    const REditFieldState field = couldCutCopyClearPaste();
    situation.focusInEditField = field.focusInEditField;
    situation.editSelectionNotEmpty = field.selectionNotEmpty;
    situation.clipboardHasText = field.clipboardHasText;
    situation.wordSelected = theCurrentlySelectedWord != 0;
    situation.viewAlphabetically = viewAlphabeticallyNotByCategory;
    situation.selectedNode = haveNode() ? theCurrentlySelectedNode : 0;
    if (situation.selectedNode != 0) {
        int32_t root = 0;
        int32_t daughters = 0;
        bool canDelete = false;
        RErr err = theCTree->isRootNode(situation.selectedNode, root);
        if (!err)
            err = theCTree->hasDaughters(situation.selectedNode, daughters);
        if (!err)
            err = theCTree->canDeleteNode(situation.selectedNode, canDelete);
        situation.nodeIsRoot = root != 0;
        situation.nodeHasDaughters = daughters != 0;
        situation.nodeCanBeDeleted = canDelete;
        if (!situation.readErr)
            situation.readErr = err;
    }
    applyMenuState(
        authorMenuState(situation), [this](int32_t commandId) { return action(commandId); },
        "CLexicalItemsDialog::updateLocalMenus");
}

void CLexicalItemsDialog::updateMenus() {
    const int32_t mode = theRamexApp.getMode();
    if (mode != kModeSwitchingToAuthor && mode != kModeAuthor)
        return;
    if (theCTree && userInterfaceFlag[1])
        rebuildXBarMenu();
    updateLocalMenus();
}

RErr CLexicalItemsDialog::coordinateMenu(int32_t commandId, int32_t how, const QString& text) {
    RErr first = kNoErr;
    for (const QPointer<CAuthorMenus>& menus : coordinatedMenus)
        if (menus) {
            const RErr err = menus->affectMenuItem(commandId, how, text);
            if (!first)
                first = err;
        }
    return first;
}

void CLexicalItemsDialog::updateCoordinatedMenuItems() {
    RAuthorMenuSituation situation;
    situation.mode = theRamexApp.getMode();
    situation.fileExistsOnlyInMemory = theRamexApp.getFileExistsOnlyInMemory();
    if (theCTree)
        situation.readErr = readUndoSituation(*theCTree, situation.undo);
    const RMenuState state = authorSharedMenuState(situation);
    if (!state.modeServed)
        return;
    for (const RMenuItemState& item : state.items) {
        coordinateMenu(item.commandId, item.enabled ? 1 : 2);
        if (!item.label.empty())
            coordinateMenu(item.commandId, 5, QString::fromStdString(item.label));
    }
}
