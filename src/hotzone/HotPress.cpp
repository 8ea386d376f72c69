// Presses that reach the control without the pointer: Space or Enter on the region that holds
// the keyboard focus, and an assistive tool's press. Both come as a THSRegionPressEvent, which
// a window's event filter may take before the control acts on it.
#include "hotzone/HotPress.h"

#include "hotzone/HotZone.h"

#include <QCoreApplication>
#include <QPointer>

QEvent::Type THSRegionPressEvent::EventType() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void TCustomHotZone::PostPress(int index) {
    if (index < 0 || index >= FRgnList.Count())
        return;
    QCoreApplication::postEvent(this, new THSRegionPressEvent(FRgnList.Items(index)->Id, index, FGeneration));
}

bool TCustomHotZone::event(QEvent *event) {
    if (event->type() != THSRegionPressEvent::EventType())
        return QWidget::event(event);
    const auto *press = static_cast<THSRegionPressEvent *>(event);
    if (press->Generation == FGeneration && press->Index >= 0 && press->Index < FRgnList.Count())
        KeyPress(*FRgnList.Items(press->Index));
    return true;
}

void TCustomHotZone::KeyPress(const THSRgn &rgn) {
    // What a click on the region raises, without the pointer's hover state: a region without
    // hsEnabled only reports the release.
    const THSRgn pressed = rgn; // a copy: the handlers may rebuild the list
    if (pressed.Flags & hsEnabled) {
        const QPointer<TCustomHotZone> self(this);
        const quint64 generation = FGeneration;
        FlashAndHit(pressed);
        if (!self || generation != FGeneration)
            return;
    }
    Raise(&TCustomHotZone::OnHitUp, &pressed);
}
