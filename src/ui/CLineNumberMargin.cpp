#include "ui/CLineNumberMargin.h"

#include "ui/CScriptEditor.h"

#include <QMouseEvent>

CLineNumberMargin::CLineNumberMargin(CScriptEditor& editor) : QWidget(&editor), theEditor(editor) {
    setCursor(Qt::ArrowCursor);
}

QSize CLineNumberMargin::sizeHint() const {
    return QSize(theEditor.marginWidth(), 0);
}

void CLineNumberMargin::paintEvent(QPaintEvent* event) {
    theEditor.paintMargin(*this, event->rect());
}

void CLineNumberMargin::mousePressEvent(QMouseEvent* event) {
    // A click on a number puts the caret at the start of that line.
    theEditor.placeCaretAtLine(theEditor.lineAt(event->position().toPoint().y()));
}
