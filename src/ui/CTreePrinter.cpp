#include "ui/CTreePrinter.h"

#include "app/PrintPages.h"
#include "drawing/CPort.h"
#include "model/CTree.h"
#include "model/TreeAttributes.h"
#include "render/QtDrawingDevice.h"
#include "storage/CRString.h"

#include <QPageLayout>
#include <QPrinter>

#include <vector>

namespace {

// The boxes of the tree area's trees, laid out with the port's present device.
RErr workAreaBoxes(CTree& tree, std::vector<RRect>& boxes) {
    int32_t root = 0;
    RErr err = tree.getFirstRoot(root);
    for (; root != 0 && !err; err = tree.getNextRoot(root, root)) {
        int32_t where = 0;
        err = tree.getWhereIsTree(root, where);
        if (err || where != kTreeOnWorkArea)
            continue;
        RRect box;
        err = tree.drawTree(root, true);
        if (!err)
            err = tree.getNodeCumulativeRect(root, box);
        if (!err)
            boxes.push_back(box);
    }
    return err;
}

} // namespace

RErr CTreePrinter::print(QPrinter& printer) {
    QtDrawingDevice device(printer);
    if (!device.isActive())
        return kErrFileSystem;
    device.useUnitsPerInch(kUnitsPerInch);
    DrawingDevice* screen = thePort.dc();
    thePort.setDC(&device);
    const CRString* face = nullptr;
    RErr err = theTree.getAnyString(kHeaderRecord, kHdrFontName, face);
    if (!err)
        err = thePort.setFont(face->str(), theTree.fontSize);
    // Laid out with the printer's fonts, so that every label fits its place on paper.
    if (!err)
        err = theTree.allTreesDirty();
    std::vector<RRect> boxes;
    thePort.suspendDrawing();
    if (!err)
        err = workAreaBoxes(theTree, boxes);
    thePort.resumeDrawing();
    const QRectF printable = printer.pageLayout().paintRectPixels(printer.resolution());
    const auto toUnits = [&](double pixels, int dpi) {
        return static_cast<int32_t>(pixels * kUnitsPerInch / dpi);
    };
    const std::vector<RPrintPage> pages =
        printPages(boxes, toUnits(printable.width(), printer.logicalDpiX()),
                   toUnits(printable.height(), printer.logicalDpiY()));
    bool printerFailed = false;
    for (std::size_t i = 0; i < pages.size() && !err && !printerFailed; ++i) {
        if (i > 0 && !printer.newPage()) {
            printerFailed = true;
            break;
        }
        device.useUnitsPerInch(kUnitsPerInch);
        device.translate(-pages[i].left, -pages[i].top);
        err = theTree.drawAllTrees();
    }
    if (!device.finish())
        printerFailed = true;
    thePort.setDC(screen);
    theTree.allTreesDirty();
    if (!err && printerFailed)
        err = kErrFileSystem;
    return err;
}
