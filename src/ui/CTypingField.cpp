#include "ui/CTypingField.h"

#include "app/CommandIds.h"
#include "storage/CRString.h"
#include "ui/EditFieldCommands.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVariant>

#include <algorithm>
#include <limits>

namespace {

constexpr int32_t kFieldTextCreatorTag = 151;
const char* const kBinderProperty = "ramexTypingField";

bool isHistoryKey(const QKeyEvent& key) {
    return key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo);
}

} // namespace

CTypingField::CTypingField(QWidget& edit, CTypingRuns& runs, Locate locate)
    : QObject(&edit), theRuns(runs), locateField(std::move(locate)) {
    edit.setProperty(kBinderProperty, QVariant::fromValue(static_cast<void*>(this)));
    edit.installEventFilter(this);
}

CTypingField::CTypingField(QLineEdit& edit, CTypingRuns& runs, Locate locate)
    : CTypingField(static_cast<QWidget&>(edit), runs, std::move(locate)) {
    line = &edit;
    // The cell holds a text of any length: the field must not cut a long one short.
    edit.setMaxLength(std::numeric_limits<int>::max());
    // Only the user's edits: a text set by the program sends no textEdited.
    connect(&edit, &QLineEdit::textEdited, this, [this] { changedByUser(); });
}

CTypingField::CTypingField(QPlainTextEdit& edit, CTypingRuns& runs, Locate locate)
    : CTypingField(static_cast<QWidget&>(edit), runs, std::move(locate)) {
    plain = &edit;
    // The grammar's history is the only one: the field's own would undo behind its back.
    edit.setUndoRedoEnabled(false);
    connect(&edit, &QPlainTextEdit::textChanged, this, [this] { changedByUser(); });
}

CTypingField* CTypingField::of(const QWidget* widget) {
    if (!widget)
        return nullptr;
    const QVariant binder = widget->property(kBinderProperty);
    return binder.isValid() ? static_cast<CTypingField*>(binder.value<void*>()) : nullptr;
}

QWidget& CTypingField::widget() const {
    return line ? static_cast<QWidget&>(*line) : static_cast<QWidget&>(*plain);
}

QString CTypingField::text() const {
    return line ? line->text() : plain->toPlainText();
}

bool CTypingField::hasSelectedText() const {
    return line ? line->hasSelectedText() : plain->textCursor().hasSelection();
}

void CTypingField::rememberSelection() {
    if (line) {
        const int start = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        selectionStart = start;
        selectionEnd = line->hasSelectedText() ? line->selectionEnd() : start;
    } else {
        const QTextCursor cursor = plain->textCursor();
        selectionStart = cursor.selectionStart();
        selectionEnd = cursor.selectionEnd();
    }
}

void CTypingField::showText(const CRString* text, int32_t start, int32_t end) {
    showText(text ? QString::fromStdString(text->str()) : QString(), start, end);
}

void CTypingField::showText(const QString& shown, int32_t start, int32_t end) {
    if (text() == shown)
        return;
    const CProgramChange programChange(theRuns);
    const int32_t length = static_cast<int32_t>(shown.size());
    start = std::clamp<int32_t>(start, 0, length);
    end = std::clamp<int32_t>(end, start, length);
    if (line) {
        line->setText(shown);
        line->setSelection(start, end - start);
        if (start == end)
            line->setCursorPosition(start);
    } else {
        plain->setPlainText(shown);
        QTextCursor cursor(plain->document());
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        plain->setTextCursor(cursor);
        plain->ensureCursorVisible();
    }
    rememberSelection();
}

void CTypingField::changedByUser() {
    if (theRuns.ignoreNextChangeNotification)
        return;
    if (!theRuns.inProgress()) {
        RTypingField field;
        if (locateField && locateField(field) == kNoErr &&
            theRuns.beforeTyping(field, selectionStart, selectionEnd) != kNoErr)
            return;
        if (!theRuns.inProgress())
            return;
    }
    theRuns.type(CRString(text().toStdString(), kFieldTextCreatorTag));
    rememberSelection();
}

void CTypingField::cut() {
    rememberSelection();
    sendPlatformEditRequest(&widget(), kCommandCut);
}

void CTypingField::copy() {
    sendPlatformEditRequest(&widget(), kCommandCopy);
}

void CTypingField::paste() {
    rememberSelection();
    sendPlatformEditRequest(&widget(), kCommandPaste);
}

void CTypingField::clear() {
    rememberSelection();
    sendPlatformEditRequest(&widget(), kCommandClear);
}

bool CTypingField::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Left unaccepted, the keys reach the menu's Undo and Redo.
        if (isHistoryKey(*static_cast<QKeyEvent*>(event))) {
            event->ignore();
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (isHistoryKey(*static_cast<QKeyEvent*>(event)))
            return true;
        rememberSelection();
        break;
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::MouseButtonPress:
        rememberSelection();
        break;
    case QEvent::FocusIn:
        rememberSelection();
        theRuns.newFocus();
        break;
    case QEvent::FocusOut:
        theRuns.afterTyping();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
