// The main window's ways of taking trees out of the program: qtree text and pictures on the
// clipboard, the printer, and picture files.
#include "ui/CRamexWindow.h"

#include "app/FileQuestions.h"
#include "app/HiddenSelectionMark.h"
#include "app/PictureExport.h"
#include "base/ErrorReporter.h"
#include "base/Platform.h"
#include "model/CTree.h"
#include "render/TreePictureWriter.h"
#include "ui/CRamexApp.h"
#include "ui/CTreePrinter.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QPrinter>

#include <memory>

namespace {

const char* const kSvgMimeType = "image/svg+xml";
const char* const kPngMimeType = "image/png";
const char* const kPrintedDocumentName = "Ramex document";

// The clipboard took the data when it hands back the same formats.
bool clipboardHolds(const QStringList& formats) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* held = clipboard ? clipboard->mimeData() : nullptr;
    if (!held)
        return false;
    for (const QString& format : formats)
        if (!held->hasFormat(format))
            return false;
    return true;
}

TreePictureWriter::Format writerFormat(RPictureType type) {
    switch (type) {
    case RPictureType::Svg:
        return TreePictureWriter::Format::Svg;
    case RPictureType::Pdf:
        return TreePictureWriter::Format::Pdf;
    case RPictureType::Png:
        break;
    }
    return TreePictureWriter::Format::Png;
}

} // namespace

void CRamexWindow::showOutputProblem(const std::string& text) {
    MessageRequest box;
    box.text = text;
    box.icon = MessageIcon::Warning;
    currentPlatform().showMessage(box);
}

// ---- qtree ---------------------------------------------------------------------------------

void CRamexWindow::OnExportQTree() {
    closePopUp();
    std::string text = "\\Tree ";
    const int32_t node = scrollView->getSelectedNode();
    RErr err = kNoErr;
    // What was built before an error still goes out.
    if (theCTree && node != 0)
        err = theCTree->makeQTreeForThisNodeAndBelow(node, text);
    const QString copied = QString::fromStdString(text);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard)
        clipboard->setText(copied);
    if (!clipboard || clipboard->text() != copied) {
        showOutputProblem("The qtree specification could not be put on the clipboard. Another "
                          "program may be holding the clipboard; try again.");
    } else {
        MessageRequest box;
        box.text = "The following string has been copied to the clipboard:\n\n" + text;
        box.icon = MessageIcon::Warning;
        currentPlatform().showMessage(box);
    }
    report("CRamexWindow::OnExportQTree", err);
}

// ---- Pictures ------------------------------------------------------------------------------

RErr CRamexWindow::preparePicture(TreePictureWriter& writer) {
    writer.onlySubtree(scrollView->getSelectedNode());
    return writer.prepare();
}

void CRamexWindow::OnCopy() {
    const int32_t node = scrollView->getSelectedNode();
    if (!theCTree || node == 0) {
        // The clipboard keeps what it holds: an empty picture would only replace it.
        bug("CRamexWindow::OnCopy", kErrGeneral);
        return;
    }
    closePopUp();
    QByteArray svg;
    QByteArray png;
    QImage image;
    RErr err = kNoErr;
    {
        CHiddenSelectionMark hidden(*theCTree, node);
        TreePictureWriter writer(*theCTree, false);
        const double ratio = devicePixelRatioF();
        err = preparePicture(writer);
        if (!err)
            err = writer.render(TreePictureWriter::Format::Svg, 1.0, svg);
        if (!err)
            err = writer.render(TreePictureWriter::Format::Png, ratio, png);
        if (!err)
            err = writer.renderImage(ratio, image);
    }
    // The writer lent the document its own port; the window's goes back.
    report("CRamexWindow::attachPort", attachPort());
    scrollView->documentChanged();
    if (err) {
        showOutputProblem("The picture of the tree could not be made, so nothing was put on the "
                          "clipboard.");
        report("CRamexWindow::OnCopy", err);
        return;
    }
    auto picture = std::make_unique<QMimeData>();
    picture->setData(QString::fromLatin1(kSvgMimeType), svg);
    picture->setData(QString::fromLatin1(kPngMimeType), png);
    picture->setImageData(image);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard)
        clipboard->setMimeData(picture.release());
    if (!clipboardHolds({QString::fromLatin1(kSvgMimeType), QString::fromLatin1(kPngMimeType)}))
        showOutputProblem("The picture could not be put on the clipboard. Another program may "
                          "be holding the clipboard; try again.");
}

void CRamexWindow::OnExportPicture() {
    if (!theCTree)
        return;
    closePopUp();
    std::string filter = defaultPictureExportFilter();
    FileRequest request;
    request.forSaving = true;
    request.title = "Export Picture";
    request.filter = pictureExportFilters();
    request.initialName = initialPictureName(theRamexApp.currentFilePath());
    request.chosenFilter = &filter;
    std::string typed;
    if (!currentPlatform().chooseFile(request, typed))
        return;
    const RPictureChoice choice = pictureChoice(typed, filter);
    if (QFileInfo::exists(QString::fromStdString(choice.path)) && !confirmReplaceExistingFile())
        return;
    RErr err = kNoErr;
    {
        CHiddenSelectionMark hidden(*theCTree, scrollView->getSelectedNode());
        TreePictureWriter writer(*theCTree, false);
        err = preparePicture(writer);
        if (!err)
            err = writer.write(choice.path, writerFormat(choice.type), choice.scale);
    }
    report("CRamexWindow::attachPort", attachPort());
    scrollView->documentChanged();
    if (err == kErrFileSystem)
        showOutputProblem("The picture could not be saved as \"" + choice.path +
                          "\". Check that the folder exists and that you may write in it.");
    else
        report("CRamexWindow::OnExportPicture", err);
}

// ---- Printing ------------------------------------------------------------------------------

void CRamexWindow::OnPrint() {
    if (!theCTree)
        return;
    closePopUp();
    RErr err = kNoErr;
    {
        // No highlight on paper; it is back as soon as the printing is over or cancelled.
        CHiddenSelectionMark hidden(*theCTree, scrollView->getSelectedNode());
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(QString::fromLatin1(kPrintedDocumentName));
        PrintRequest request;
        request.documentName = kPrintedDocumentName;
        request.nativePrinter = &printer;
        if (!currentPlatform().choosePrinter(request)) {
            err = kErrUserCancelled;
        } else {
            if (!request.pdfFile.empty()) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(QString::fromStdString(request.pdfFile));
            }
            err = CTreePrinter(*theCTree, *theCPort).print(printer);
        }
    }
    if (err != kErrUserCancelled) {
        report("CRamexWindow::attachPort", attachPort());
        scrollView->documentChanged();
    }
    if (err == kErrFileSystem)
        showOutputProblem("The trees could not be printed: the printer did not accept the "
                          "document. Check the printer and try again.");
    else
        report("CRamexWindow::OnPrint", err);
}
