#pragma once

#include <QCursor>
#include <QIcon>
#include <QSize>

#include <cstdint>

// The faces of the three tools, drawn from the SVG pictures in the resources so that they
// stay sharp at every device pixel ratio.

// Makes the compiled-in resources available; safe to call more than once.
void registerRamexResources();
// The normal face, or the light face shown on the current tool's button.
QIcon toolFace(int32_t tool, bool light, const QSize& logicalSize);
// The canvas cursor of the scissors (2) and the magnifying glass (3); the arrow otherwise.
QCursor toolCursor(int32_t tool);
