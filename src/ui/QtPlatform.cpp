#include "ui/QtPlatform.h"

#include "ui/CAskDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

namespace {

QWidget* foregroundWindow() {
    return QApplication::activeWindow();
}

QMessageBox::StandardButton qtButton(int32_t button) {
    switch (button) {
    case kButtonOK:
        return QMessageBox::Ok;
    case kButtonCancel:
        return QMessageBox::Cancel;
    case kButtonYes:
        return QMessageBox::Yes;
    case kButtonNo:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

int32_t platformButton(int pressed) {
    switch (pressed) {
    case QMessageBox::Ok:
        return kButtonOK;
    case QMessageBox::Yes:
        return kButtonYes;
    case QMessageBox::No:
        return kButtonNo;
    default:
        return kButtonCancel;
    }
}

QMessageBox::StandardButtons qtButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OK:
        return QMessageBox::Ok;
    case MessageButtons::OKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::Warning;
}

} // namespace

void QtPlatform::showBugReport(const std::string& title, const std::string& text) {
    QMessageBox::warning(foregroundWindow(), QString::fromStdString(title),
                         QString::fromStdString(text));
}

int32_t QtPlatform::showMessage(const MessageRequest& request) {
    QMessageBox box(qtIcon(request.icon), QString::fromStdString(request.title),
                    QString::fromStdString(request.text), qtButtons(request.buttons),
                    foregroundWindow());
    if (request.defaultButton != 0)
        box.setDefaultButton(qtButton(request.defaultButton));
    return platformButton(box.exec());
}

void QtPlatform::beep() {
    QApplication::beep();
}

void QtPlatform::pause(int32_t milliseconds) {
    if (milliseconds > 0)
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}

bool QtPlatform::ask(const std::string& prompt, std::string& answer) {
    CAskDialog dialog(prompt, answer, foregroundWindow());
    return dialog.exec() == QDialog::Accepted;
}

bool QtPlatform::chooseFile(const FileRequest& request, std::string& path) {
    path.clear();
    QFileDialog dialog(foregroundWindow(), QString::fromStdString(request.title));
    dialog.setAcceptMode(request.forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromStdString(request.filter));
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    // The application asks its own replace question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (request.forSaving)
        dialog.selectFile(QString::fromStdString(request.initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().constFirst().toStdString();
    return true;
}

int32_t QtPlatform::modifierKeys() {
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    int32_t keys = 0;
    if (held & Qt::ShiftModifier)
        keys |= kModifierShift;
    if (held & Qt::ControlModifier)
        keys |= kModifierControl;
    if (held & Qt::AltModifier)
        keys |= kModifierAlt;
    if (held & Qt::MetaModifier)
        keys |= kModifierCommand;
    return keys;
}
