#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>

// The picture of a dragged tree that follows the pointer over the whole window, panel
// included. It never takes the mouse: presses and releases go to the widget underneath.
class CDragImage : public QWidget {
public:
    explicit CDragImage(QWidget* window);

    // hotSpot is the point of the picture (in logical pixels) that stays under the pointer.
    void start(const QPixmap& picture, const QPoint& hotSpot, const QPoint& globalPointer);
    void follow(const QPoint& globalPointer);
    void finish();
    bool isShowing() const { return isVisible(); }
    const QPixmap& picture() const { return image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap image;
    QPoint hot;
};
