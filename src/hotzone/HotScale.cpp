#include "hotzone/HotScale.h"

#include "hotzone/HotZone.h"

#include <QMouseEvent>
#include <QtMath>

int PaintedPixel(qreal logical, qreal ratio) {
    const auto edge = [ratio](int x) { return qFloor(x * ratio + 0.5); };
    // The pointer sits on a whole device pixel; its logical position only approximates it.
    const int device = qFloor(logical * ratio + 0.5);
    int x = qFloor(device / ratio);
    while (edge(x + 1) <= device)
        ++x;
    while (edge(x) > device)
        --x;
    return x;
}

QPoint TCustomHotZone::PixelAt(const QMouseEvent &event) const {
    const QPoint rounded = event.position().toPoint();
    const qreal ratio = devicePixelRatio();
    if (ratio == 1)
        return rounded;
    // Qt hands a widget its position rounded to whole logical pixels; the position in the window
    // keeps the fraction that tells which device pixel the pointer is on. An event made without
    // one (its window position is its local one) tells no more than the rounded position.
    const QPoint origin = mapTo(window(), QPoint(0, 0));
    const QPointF inWindow = event.scenePosition();
    if (inWindow.toPoint() - origin != rounded)
        return rounded;
    return QPoint(PaintedPixel(inWindow.x(), ratio), PaintedPixel(inWindow.y(), ratio)) - origin;
}
