#pragma once

#include "base/ErrorCodes.h"

#include <memory>

class CPort;
class CTree;
class DrawingDevice;
class QImage;
class QWidget;

// A device that measures text on an image of the widget's screen resolution, for a port to
// use whenever it is not painting. The image is made into `image`, which must outlive it.
std::unique_ptr<DrawingDevice> makeMeasuringDevice(const QWidget& widget,
                                                   std::unique_ptr<QImage>& image);

// Gives the document's trees the port, set in the document's font, and lays them out anew.
RErr attachDocumentPort(CTree& tree, CPort& port);
