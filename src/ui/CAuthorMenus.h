#pragma once

#include "base/ErrorCodes.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <set>

class CLexicalItemsDialog;
class QAction;
class QKeySequence;
class QMenu;
class QMenuBar;
class QWidget;

// The File, Edit and Windows menus that all four author windows carry, on one window's menu
// bar. Every command goes to the lexicon editor, which owns the grammar and its history,
// except that in the other three windows Close hides the window, Clear works on the edit
// field only and Duplicate and Select All do nothing. Opening any of the menus ends a typing
// run (and so brings every author window up to date). The editor keeps the File items and
// the Undo and Redo items of all four menu bars in agreement through affectMenuItem.
class CAuthorMenus : public QObject {
public:
    // `window` is the window the bar belongs to; the editor's own bar passes the editor.
    CAuthorMenus(QMenuBar& bar, QWidget& window, CLexicalItemsDialog& editor);

    QMenu& fileMenu() const { return *file; }
    QMenu& editMenu() const { return *edit; }
    QMenu& windowsMenu() const { return *windows; }

    // The item with that command id on this bar (also the window's own items added with
    // addCommand); nullptr for none.
    QAction* action(int32_t commandId) const;
    // Adds an item of the window's own menus, so that action() and affectMenuItem know it.
    // An opened menu given here ends a typing run like the shared ones.
    QAction* addCommand(QMenu& menu, int32_t commandId, const QString& label,
                        const QKeySequence& keys, std::function<void()> handler);
    void watchMenu(QMenu& menu);

    // 1 enable, 2 disable, 3 check, 4 uncheck, 5 relabel with `text`; other actions 1004
    // (reported). An id this bar lacks is no error.
    RErr affectMenuItem(int32_t commandId, int32_t action, const QString& text = QString());

    // The Edit and Windows rules of the three smaller author windows: Undo, Redo and the edit
    // items disabled, then Cut, Copy and Clear enabled by a selection in the focused edit field
    // and Paste by text on the clipboard; the window's own Windows item (71..74) checked.
    void updateEditItems(int32_t ownWindowCommand);

private:
    bool isEditor() const;

    QWidget& theWindow;
    CLexicalItemsDialog& theEditor;
    QMenu* file = nullptr;
    QMenu* edit = nullptr;
    QMenu* windows = nullptr;
    std::map<int32_t, QAction*> actions;
    std::set<QMenu*> watched;
};
