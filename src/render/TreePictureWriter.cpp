#include "render/TreePictureWriter.h"

#include "drawing/CPort.h"
#include "render/QtDrawingDevice.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "storage/CRString.h"

#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <filesystem>
#include <memory>

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kMetresPerInch = 0.0254;

// An image at the picture resolution, so that measuring matches drawing.
QImage makeImage(int32_t width, int32_t height) {
    QImage image(width, height, QImage::Format_ARGB32);
    const int dotsPerMetre = static_cast<int>(TreePictureWriter::kPixelsPerInch / kMetresPerInch);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    return image;
}

} // namespace

TreePictureWriter::TreePictureWriter(CTree& treeIn, bool allTreesIn)
    : tree(treeIn), allTrees(allTreesIn) {}

bool TreePictureWriter::formatOf(const std::string& path, Format& format) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (extension == ".svg")
        format = Format::Svg;
    else if (extension == ".png")
        format = Format::Png;
    else if (extension == ".pdf")
        format = Format::Pdf;
    else
        return false;
    return true;
}

std::unique_ptr<QGuiApplication> TreePictureWriter::applicationIfNeeded() {
    if (QGuiApplication::instance() != nullptr)
        return nullptr;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The application keeps references to these for as long as it lives.
    static int argc = 1;
    static char name[] = "ramex-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

RErr TreePictureWriter::attach(CPort& port) {
    const CRString* face = nullptr;
    RErr err = tree.getAnyString(kHeaderRecord, kHdrFontName, face);
    if (!err)
        err = port.setFont(face->str(), tree.fontSize);
    if (!err)
        err = tree.setTreePort(&port);
    return err;
}

RErr TreePictureWriter::drawTree(std::size_t index) {
    return allTrees ? tree.drawOneTreeAtATemporaryAbsoluteLocation(roots[index], places[index])
                    : tree.drawTree(roots[index], true);
}

RErr TreePictureWriter::prepare() {
    roots.clear();
    places.clear();
    anyTree = false;
    int32_t root = 0;
    RErr err = tree.getFirstRoot(root);
    for (; root != 0 && !err; err = tree.getNextRoot(root, root)) {
        int32_t where = 0;
        err = tree.getWhereIsTree(root, where);
        if (!err && (allTrees || where == kTreeOnWorkArea))
            roots.push_back(root);
    }
    // Laid out afresh with this resolution's fonts, whatever the document was last drawn with.
    if (!err)
        err = tree.allTreesDirty();
    QImage scratch = makeImage(1, 1);
    QtDrawingDevice device(scratch);
    CPort port(&device);
    port.suspendDrawing();
    if (!err)
        err = attach(port);
    // Stacked trees go one below the other, a line height apart.
    int32_t nextTop = 0;
    for (std::size_t i = 0; i < roots.size() && !err; ++i) {
        places.push_back(RPoint{nextTop + 1, 0});
        RRect box;
        err = drawTree(i);
        if (!err)
            err = tree.getNodeCumulativeRect(roots[i], box);
        if (!err) {
            if (anyTree)
                CPort::unionRect(box, bounds);
            else
                bounds = box;
            anyTree = true;
            nextTop = box.bottom + tree.lineHeight;
        }
    }
    tree.setTreePort(nullptr);
    return err;
}

int32_t TreePictureWriter::width() const {
    return (anyTree ? bounds.right - bounds.left + 1 : 0) + 2 * kMargin;
}

int32_t TreePictureWriter::height() const {
    return (anyTree ? bounds.bottom - bounds.top + 1 : 0) + 2 * kMargin;
}

RErr TreePictureWriter::paintOn(QPaintDevice& target, bool& finished) {
    QtDrawingDevice device(target);
    if (!device.isActive()) {
        finished = false;
        return kErrFileSystem;
    }
    device.fillRect(0, 0, width() - 1, height() - 1, RRgb{255, 255, 255});
    if (anyTree)
        device.translate(kMargin - bounds.left, kMargin - bounds.top);
    CPort port(&device);
    RErr err = attach(port);
    for (std::size_t i = 0; i < roots.size() && !err; ++i)
        err = drawTree(i);
    tree.setTreePort(nullptr);
    finished = device.finish();
    return err;
}

RErr TreePictureWriter::write(const std::string& path, Format format) {
    const std::string temporary = path + ".partial";
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    const QString file = QString::fromStdString(temporary);
    bool finished = false;
    RErr err = kNoErr;
    if (format == Format::Png) {
        QImage image = makeImage(width(), height());
        err = paintOn(image, finished);
        if (!err && !(finished && image.save(file, "PNG")))
            err = kErrFileSystem;
    } else if (format == Format::Svg) {
        QSvgGenerator generator;
        generator.setFileName(file);
        generator.setSize(QSize(width(), height()));
        generator.setViewBox(QRect(0, 0, width(), height()));
        generator.setResolution(kPixelsPerInch);
        err = paintOn(generator, finished);
    } else {
        QPdfWriter writer(file);
        writer.setResolution(kPixelsPerInch);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(QSizeF(width() * kPointsPerInch / kPixelsPerInch,
                                            height() * kPointsPerInch / kPixelsPerInch),
                                     QPageSize::Point));
        err = paintOn(writer, finished);
    }
    if (!err && !finished)
        err = kErrFileSystem;
    std::error_code renameError;
    if (!err)
        std::filesystem::rename(temporary, path, renameError);
    if (err || renameError) {
        std::filesystem::remove(temporary, ignored);
        return err ? err : kErrFileSystem;
    }
    return kNoErr;
}
