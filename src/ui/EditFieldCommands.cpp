#include "ui/EditFieldCommands.h"

#include "app/CommandIds.h"
#include "base/ErrorReporter.h"
#include "ui/CTypingField.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

QWidget* focusedEditField() {
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus) ||
        qobject_cast<QTextEdit*>(focus))
        return focus;
    return nullptr;
}

bool selectionNotEmpty(QWidget* field) {
    if (auto* line = qobject_cast<QLineEdit*>(field))
        return line->hasSelectedText();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(field))
        return plain->textCursor().hasSelection();
    if (auto* rich = qobject_cast<QTextEdit*>(field))
        return rich->textCursor().hasSelection();
    return false;
}

const char* commandName(int32_t commandId) {
    switch (commandId) {
    case kCommandCut:
        return "Cut";
    case kCommandCopy:
        return "Copy";
    case kCommandPaste:
        return "Paste";
    default:
        return "Clear";
    }
}

} // namespace

void sendPlatformEditRequest(QWidget* field, int32_t commandId) {
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        if (commandId == kCommandCut)
            line->cut();
        else if (commandId == kCommandCopy)
            line->copy();
        else if (commandId == kCommandPaste)
            line->paste();
        else if (line->hasSelectedText())
            line->del();
        return;
    }
    auto* plain = qobject_cast<QPlainTextEdit*>(field);
    auto* rich = qobject_cast<QTextEdit*>(field);
    if (commandId == kCommandCut)
        plain ? plain->cut() : rich->cut();
    else if (commandId == kCommandCopy)
        plain ? plain->copy() : rich->copy();
    else if (commandId == kCommandPaste)
        plain ? plain->paste() : rich->paste();
    else
        (plain ? plain->textCursor() : rich->textCursor()).removeSelectedText();
}

REditFieldState couldCutCopyClearPaste() {
    REditFieldState state;
    QWidget* field = focusedEditField();
    state.focusInEditField = field != nullptr;
    state.selectionNotEmpty = field && selectionNotEmpty(field);
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    state.clipboardHasText = clipboard && clipboard->hasText();
    return state;
}

bool sendEditFieldCommand(int32_t commandId) {
    const REditFieldState state = couldCutCopyClearPaste();
    const bool possible = commandId == kCommandPaste
                              ? state.focusInEditField && state.clipboardHasText
                              : state.focusInEditField && state.selectionNotEmpty;
    if (!possible)
        bug(commandName(commandId), kNoErr);
    QWidget* field = focusedEditField();
    if (!field)
        return false;
    // A change a typing field is about to see starts from the selection it has now.
    if (CTypingField* typing = CTypingField::of(field))
        typing->rememberSelection();
    sendPlatformEditRequest(field, commandId);
    return true;
}
