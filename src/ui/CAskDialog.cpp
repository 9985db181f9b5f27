#include "ui/CAskDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CAskDialog::CAskDialog(const std::string& promptText, std::string& answerText, QWidget* parent)
    : QDialog(parent), prompt(promptText), answer(answerText), promptLabel(new QLabel(this)),
      field(new QLineEdit(this)) {
    answer.clear();
    setWindowTitle(QStringLiteral("Ramex"));
    promptLabel->setWordWrap(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(promptLabel);
    layout->addWidget(field);
    layout->addWidget(ok, 0, Qt::AlignRight);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    OnInitDialog();
}

void CAskDialog::OnInitDialog() {
    promptLabel->setText(QString::fromStdString(prompt));
}

void CAskDialog::OnOK() {
    answer = field->text().toStdString();
    accept();
}
