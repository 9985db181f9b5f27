#include "ui/CScriptFindBar.h"

#include "ui/CScriptEditor.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

CScriptFindBar::CScriptFindBar(CScriptEditor& editor, QWidget* parent)
    : QWidget(parent), theEditor(editor), field(new QLineEdit(this)),
      matchCase(new QCheckBox(QStringLiteral("Match Case"), this)), noteLabel(new QLabel(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(new QLabel(QStringLiteral("Find:"), this));
    field->setClearButtonEnabled(true);
    row->addWidget(field, 1);
    auto* previous = new QPushButton(QStringLiteral("Previous"), this);
    auto* next = new QPushButton(QStringLiteral("Next"), this);
    row->addWidget(previous);
    row->addWidget(next);
    row->addWidget(matchCase);
    row->addWidget(noteLabel);
    auto* closeButton = new QToolButton(this);
    closeButton->setText(QStringLiteral("\u00d7"));
    closeButton->setAutoRaise(true);
    closeButton->setToolTip(QStringLiteral("Close (Esc)"));
    row->addWidget(closeButton);
    connect(next, &QPushButton::clicked, this, [this] { findNext(false); });
    connect(previous, &QPushButton::clicked, this, [this] { findNext(true); });
    connect(closeButton, &QToolButton::clicked, this, [this] { close(); });
    connect(field, &QLineEdit::returnPressed, this,
            [this] { findNext((QApplication::keyboardModifiers() & Qt::ShiftModifier) != 0); });
    connect(field, &QLineEdit::textEdited, this, [this] { noteLabel->clear(); });
    hide();
}

void CScriptFindBar::open() {
    const QString selected = theEditor.textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        field->setText(selected);
    noteLabel->clear();
    show();
    field->setFocus();
    field->selectAll();
}

void CScriptFindBar::close() {
    hide();
    theEditor.setFocus();
}

bool CScriptFindBar::findNext(bool backwards) {
    const bool found = theEditor.findText(field->text(), backwards, matchCase->isChecked());
    noteLabel->setText(found || field->text().isEmpty() ? QString() : QStringLiteral("Not found"));
    return found;
}

QString CScriptFindBar::note() const {
    return noteLabel->text();
}

void CScriptFindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
