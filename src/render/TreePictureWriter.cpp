#include "render/TreePictureWriter.h"

#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "render/QtDrawingDevice.h"
#include "storage/CRString.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cmath>
#include <filesystem>
#include <memory>

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kMetresPerInch = 0.0254;

// The largest side of a picture in pixels: beyond it images cannot be made or opened.
constexpr double kLargestSide = 32767.0;

void setResolution(QImage& image, double pixelsPerInch) {
    const int dotsPerMetre = static_cast<int>(std::lround(pixelsPerInch / kMetresPerInch));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
}

// An image at the picture resolution, so that measuring matches drawing.
QImage makeImage(int32_t width, int32_t height) {
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    setResolution(image, TreePictureWriter::kPixelsPerInch);
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
    return allTrees && subtree == 0
               ? tree.drawOneTreeAtATemporaryAbsoluteLocation(roots[index], places[index])
               : tree.drawTree(roots[index], true);
}

RErr TreePictureWriter::prepare() {
    roots.clear();
    places.clear();
    anyTree = false;
    int32_t root = 0;
    RErr err = kNoErr;
    if (subtree != 0) {
        err = tree.findRoot(subtree, root);
        if (!err)
            roots.push_back(root);
    } else {
        err = tree.getFirstRoot(root);
        for (; root != 0 && !err; err = tree.getNextRoot(root, root)) {
            int32_t where = 0;
            err = tree.getWhereIsTree(root, where);
            if (!err && (allTrees || where == kTreeOnWorkArea))
                roots.push_back(root);
        }
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
            err = tree.getNodeCumulativeRect(subtree != 0 ? subtree : roots[i], box);
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
    if (subtree != 0 && !roots.empty()) {
        // The whole tree places its nodes; only the subtree is painted.
        port.suspendDrawing();
        if (!err)
            err = drawTree(0);
        port.resumeDrawing();
        // A suspended port keeps its pen, so the tree's line thickness is given again.
        if (!err)
            err = port.setThickness(tree.thickness);
        if (!err)
            err = tree.drawNodeAndBelow(subtree);
    } else {
        for (std::size_t i = 0; i < roots.size() && !err; ++i)
            err = drawTree(i);
    }
    tree.setTreePort(nullptr);
    finished = device.finish();
    return err;
}

RErr TreePictureWriter::renderImage(double scale, QImage& image) {
    image = QImage();
    const double pixelsWide = std::ceil(width() * scale);
    const double pixelsHigh = std::ceil(height() * scale);
    if (!(scale > 0.0) || pixelsWide > kLargestSide || pixelsHigh > kLargestSide)
        return kErrInvalidParameter;
    image = makeImage(static_cast<int32_t>(pixelsWide), static_cast<int32_t>(pixelsHigh));
    if (image.isNull())
        return kErrMallocFailed;
    // Drawn in picture pixels; the painter scales to the image's own.
    image.setDevicePixelRatio(scale);
    bool finished = false;
    RErr err = paintOn(image, finished);
    if (!err && !finished)
        err = kErrGeneral;
    return err;
}

RErr TreePictureWriter::render(Format format, double scale, QByteArray& bytes) {
    bytes.clear();
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return kErrGeneral;
    bool finished = false;
    RErr err = kNoErr;
    if (format == Format::Png) {
        QImage image;
        err = renderImage(scale, image);
        if (!err) {
            setResolution(image, kPixelsPerInch * scale);
            finished = image.save(&buffer, "PNG");
        }
    } else if (format == Format::Svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(QSize(width(), height()));
        generator.setViewBox(QRect(0, 0, width(), height()));
        generator.setResolution(kPixelsPerInch);
        err = paintOn(generator, finished);
    } else {
        QPdfWriter writer(&buffer);
        writer.setResolution(kPixelsPerInch);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(QSizeF(width() * kPointsPerInch / kPixelsPerInch,
                                            height() * kPointsPerInch / kPixelsPerInch),
                                     QPageSize::Point));
        err = paintOn(writer, finished);
    }
    if (!err && !finished)
        err = kErrGeneral;
    if (err)
        bytes.clear();
    return err;
}

RErr TreePictureWriter::write(const std::string& path, Format format, double scale) {
    QByteArray bytes;
    RErr err = render(format, scale, bytes);
    if (err)
        return err;
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return kErrFileSystem;
    return kNoErr;
}
