#include "ui/ScreenPort.h"

#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "render/QtDrawingDevice.h"
#include "storage/CRString.h"

#include <QImage>
#include <QWidget>

namespace {

constexpr double kMetresPerInch = 0.0254;

} // namespace

std::unique_ptr<DrawingDevice> makeMeasuringDevice(const QWidget& widget,
                                                   std::unique_ptr<QImage>& image) {
    image = std::make_unique<QImage>(1, 1, QImage::Format_ARGB32_Premultiplied);
    image->setDotsPerMeterX(qRound(widget.logicalDpiX() / kMetresPerInch));
    image->setDotsPerMeterY(qRound(widget.logicalDpiY() / kMetresPerInch));
    return std::make_unique<QtDrawingDevice>(*image);
}

RErr attachDocumentPort(CTree& tree, CPort& port) {
    const CRString* face = nullptr;
    RErr err = tree.updateDrawingPrefs();
    if (!err)
        err = tree.getAnyString(kHeaderRecord, kHdrFontName, face);
    if (!err)
        err = port.setFont(face->str(), tree.fontSize);
    if (!err)
        err = tree.setTreePort(&port);
    if (!err)
        err = tree.allTreesDirty();
    return err;
}
