#include "ui/MenuStateApplier.h"

#include "base/ErrorReporter.h"

#include <QAction>

void applyMenuState(const RMenuState& state, const std::function<QAction*(int32_t)>& actionOf,
                    const char* name) {
    if (!state.modeServed) {
        bug(name, kNoErr);
        return;
    }
    for (const RMenuItemState& item : state.items) {
        QAction* action = actionOf(item.commandId);
        if (!action)
            continue;
        action->setEnabled(item.enabled);
        if (item.checked) {
            action->setCheckable(true);
            action->setChecked(*item.checked);
        }
        if (!item.label.empty())
            action->setText(QString::fromStdString(item.label));
    }
    for (const std::string& note : state.notes)
        bug(note.c_str(), kNoErr);
    if (state.err && state.err != kErrUserCancelled)
        bug(name, state.err);
}
