#pragma once
// Presses of a hot-zone region that come from the keyboard or an assistive tool: the event
// that carries them to the control.
#include <QEvent>
#include <QString>

// A press of a region that comes from the keyboard or from an assistive tool instead of the
// pointer. It reaches the control as an event, so that a window's event filter, which already
// sees the control's pointer events, sees these presses too and may take them (a region the
// window handles itself, such as a drag handle, is never pressed).
class THSRegionPressEvent : public QEvent {
public:
    static QEvent::Type EventType();
    THSRegionPressEvent(const QString &id, int index, quint64 generation)
        : QEvent(EventType()), Id(id), Index(index), Generation(generation) {}
    QString Id;
    int Index;
    quint64 Generation; // the region list it was meant for; a rebuilt list ignores it
};
