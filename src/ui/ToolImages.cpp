#include "ui/ToolImages.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>

#include <algorithm>

// Outside any namespace, as the registration function is.
static void initRamexResources() {
    Q_INIT_RESOURCE(ramex);
}

namespace {

constexpr int32_t kCursorSize = 24;
const QColor kLightFace(255, 236, 140);

QString pictureOf(int32_t tool) {
    switch (tool) {
    case 2:
        return QStringLiteral(":/ramex/scissors.svg");
    case 3:
        return QStringLiteral(":/ramex/spyglass.svg");
    default:
        return QStringLiteral(":/ramex/arrow.svg");
    }
}

QPixmap render(int32_t tool, bool light, const QSize& logical, qreal ratio) {
    QPixmap pixmap(logical * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (light) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(kLightFace);
        painter.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(logical)), 4, 4);
    }
    // The picture is square, centred in the face.
    const qreal side = std::min(logical.width(), logical.height()) * 0.9;
    const QRectF target((logical.width() - side) / 2, (logical.height() - side) / 2, side, side);
    QSvgRenderer(pictureOf(tool)).render(&painter, target);
    return pixmap;
}

} // namespace

void registerRamexResources() {
    static const bool registered = [] {
        initRamexResources();
        return true;
    }();
    (void)registered;
}

QIcon toolFace(int32_t tool, bool light, const QSize& logicalSize) {
    registerRamexResources();
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0, 3.0})
        icon.addPixmap(render(tool, light, logicalSize, ratio));
    return icon;
}

QCursor toolCursor(int32_t tool) {
    if (tool != 2 && tool != 3)
        return QCursor(Qt::ArrowCursor);
    registerRamexResources();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    const QPixmap picture = render(tool, false, QSize(kCursorSize, kCursorSize), ratio);
    // The scissors cut where the blades cross; the glass looks through its centre.
    const QPoint hotSpot = tool == 2 ? QPoint(12, 9) : QPoint(10, 10);
    return QCursor(picture, hotSpot.x(), hotSpot.y());
}
