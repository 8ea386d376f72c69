// The hot-zone control's keyboard focus: which region holds it, how Tab and Shift+Tab move it
// through the enabled regions, how it is drawn, and what assistive tools are told of it.
#include "hotzone/HotZone.h"

#include "hotzone/HotPress.h"

#include <QCoreApplication>
#include <QKeyEvent>

THSRgnPresentation TCustomHotZone::Presentation(const THSRgn *rgn) const {
    if (!rgn)
        return {};
    if (FPresenter)
        return FPresenter(rgn->Id);
    return {rgn->Id, false};
}

THSRgn *TCustomHotZone::NextFocusable(const THSRgn *from, bool next) const {
    const int count = FRgnList.Count();
    int i = from ? FRgnList.IndexOf(from) : (next ? -1 : count);
    for (i += next ? 1 : -1; i >= 0 && i < count; i += next ? 1 : -1)
        if (FRgnList.Items(i)->Flags & hsEnabled)
            return FRgnList.Items(i);
    return nullptr;
}

void TCustomHotZone::MoveFocus(THSRgn *rgn) {
    THSRgn *old = FFocusRgn;
    FFocusRgn = rgn;
    if (old && old != rgn)
        DrawRegion(old, LitWithoutFocus(old));
    if (rgn && hasFocus())
        DrawRegion(rgn, true);
    if (hasFocus())
        AnnounceFocus();
}

void TCustomHotZone::AnnounceFocus() {
    Q_EMIT RegionFocused(FRgnList.IndexOf(FFocusRgn));
    Q_EMIT OnFocus(this, FFocusRgn ? FFocusRgn->Id : QString());
}

bool TCustomHotZone::FocusRegion(int index) {
    if (index < 0 || index >= FRgnList.Count() || !(FRgnList.Items(index)->Flags & hsEnabled))
        return false;
    THSRgn *rgn = FRgnList.Items(index);
    if (hasFocus()) {
        MoveFocus(rgn);
    } else {
        FFocusRgn = rgn;
        setFocus(Qt::OtherFocusReason);
    }
    return true;
}

void TCustomHotZone::focusInEvent(QFocusEvent *event) {
    QWidget::focusInEvent(event);
    if (event->reason() == Qt::TabFocusReason)
        FFocusRgn = NextFocusable(nullptr, true);
    else if (event->reason() == Qt::BacktabFocusReason)
        FFocusRgn = NextFocusable(nullptr, false);
    // Otherwise the focus comes back to the region that had it, if any: a control that got
    // the focus without the keyboard (its window was activated) lights nothing.
    if (FFocusRgn)
        DrawRegion(FFocusRgn, true);
    // The window reports its own focus change to assistive tools after this handler: the
    // region's report must come after it, or the tools would settle on the bare control.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus())
                AnnounceFocus();
        },
        Qt::QueuedConnection);
}

void TCustomHotZone::focusOutEvent(QFocusEvent *event) {
    QWidget::focusOutEvent(event);
    if (FFocusRgn)
        DrawRegion(FFocusRgn, LitWithoutFocus(FFocusRgn));
    Q_EMIT OnFocus(this, QString());
}

bool TCustomHotZone::focusNextPrevChild(bool next) {
    if (hasFocus()) {
        if (THSRgn *rgn = NextFocusable(FFocusRgn, next)) {
            MoveFocus(rgn);
            return true;
        }
    }
    return QWidget::focusNextPrevChild(next);
}

void TCustomHotZone::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && FFocusRgn && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        THSRegionPressEvent press(FFocusRgn->Id, FRgnList.IndexOf(FFocusRgn), FGeneration);
        QCoreApplication::sendEvent(this, &press);
        return;
    }
    QWidget::keyPressEvent(event);
}
