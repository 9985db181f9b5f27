#include "ui/QtPlatform.h"

#include "ui/CAskDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
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
    if (request.chosenFilter)
        dialog.selectNameFilter(QString::fromStdString(*request.chosenFilter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().constFirst().toStdString();
    if (request.chosenFilter)
        *request.chosenFilter = dialog.selectedNameFilter().toStdString();
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

bool QtPlatform::chooseFont(FontRequest& request) {
    // Only the face and the size are kept, so the dialog starts on the face's upright style.
    const QString family = QString::fromStdString(request.face);
    QFont initial(family);
    for (const QString& style : QFontDatabase::styles(family)) {
        const bool plain = !QFontDatabase::italic(family, style) &&
                           QFontDatabase::weight(family, style) == QFont::Normal &&
                           !style.contains(QStringLiteral("Condensed"));
        if (plain) {
            initial = QFontDatabase::font(family, style, 10);
            break;
        }
    }
    if (request.tenthsOfPoint > 0)
        initial.setPointSizeF(request.tenthsOfPoint / 10.0);
    bool chosen = false;
    const QFont font =
        QFontDialog::getFont(&chosen, initial, foregroundWindow(), QStringLiteral("Font and Size"));
    if (!chosen)
        return false;
    request.face = font.family().toStdString();
    request.tenthsOfPoint = static_cast<int32_t>(font.pointSizeF() * 10.0 + 0.5);
    return true;
}

bool QtPlatform::choosePrinter(PrintRequest& request) {
    auto* printer = static_cast<QPrinter*>(request.nativePrinter);
    if (!printer)
        return false;
    QPrintDialog dialog(printer, foregroundWindow());
    // All pages; no page range and no selection to choose from.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}
