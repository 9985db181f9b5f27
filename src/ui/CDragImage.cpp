#include "ui/CDragImage.h"

#include <QPainter>

CDragImage::CDragImage(QWidget* window) : QWidget(window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void CDragImage::start(const QPixmap& picture, const QPoint& hotSpot, const QPoint& globalPointer) {
    image = picture;
    hot = hotSpot;
    resize(image.deviceIndependentSize().toSize());
    follow(globalPointer);
    show();
    raise();
}

void CDragImage::follow(const QPoint& globalPointer) {
    move(parentWidget()->mapFromGlobal(globalPointer) - hot);
}

void CDragImage::finish() {
    hide();
    image = QPixmap();
}

void CDragImage::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, image);
}
