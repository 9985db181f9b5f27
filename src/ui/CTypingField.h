#pragma once

#include "app/CTypingRuns.h"
#include "base/ErrorCodes.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class CRString;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Binds one edit field (a one-line or a multi-line one) of an author window to the typing
// runs: the user's changes become the run's text, the text the program puts in starts no run,
// leaving the field ends the run, and Undo and Redo keys go to the grammar's history instead
// of the field's own. The binder belongs to the field (it is the field's child).
class CTypingField : public QObject {
public:
    // Asked when a run begins: which cell the field stands for. An error (reported by the
    // callee or not) leaves the change unstored until the next keystroke.
    using Locate = std::function<RErr(RTypingField& field)>;

    CTypingField(QLineEdit& edit, CTypingRuns& runs, Locate locate);
    CTypingField(QPlainTextEdit& edit, CTypingRuns& runs, Locate locate);

    // Shows a text (nullptr: the empty text) with a selection, without starting a run;
    // nothing happens when the field already shows exactly that text.
    void showText(const CRString* text, int32_t selectionStart, int32_t selectionEnd);
    void showText(const QString& text, int32_t selectionStart, int32_t selectionEnd);
    QString text() const;
    QWidget& widget() const;
    bool hasSelectedText() const;
    // Notes the selection a change would start from (before a menu's Cut, Paste or Clear).
    void rememberSelection();

    // The edit commands on this field; each change they make is typing like a keystroke.
    void cut();
    void copy();
    void paste();
    void clear();

    // The binder of a widget; nullptr when it is no typing field.
    static CTypingField* of(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CTypingField(QWidget& edit, CTypingRuns& runs, Locate locate);
    void changedByUser();

    QLineEdit* line = nullptr;
    QPlainTextEdit* plain = nullptr;
    CTypingRuns& theRuns;
    Locate locateField;
    int32_t selectionStart = 0; // the selection before the change under way
    int32_t selectionEnd = 0;
};
