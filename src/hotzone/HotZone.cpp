#include "hotzone/HotZone.h"

#include "platform/Clock.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>

TCustomHotZone::TCustomHotZone(QWidget *parent) : QWidget(parent) {
    setGeometry(0, 0, 640, 480);
    setMouseTracking(true);
    // Reached by Tab only: a click must leave the focus where it is, as it always has.
    setFocusPolicy(Qt::TabFocus);
    FRepeatTimer.setSingleShot(false);
    connect(&FRepeatTimer, &QTimer::timeout, this, &TCustomHotZone::RepeatTick);
}

TCustomHotZone::~TCustomHotZone() {
    FRepeatTimer.stop();
    FHotRgn = FDownRgn = nullptr;
}

void TCustomHotZone::SetRegions(const QStringList &lines) {
    FRegions = lines;
    ++FGeneration;
    // The old records go now: nothing may point at them afterwards.
    FHotRgn = FDownRgn = FFocusRgn = nullptr;
    FPressing = false;
    FRepeatTimer.stop();
    FRgnList.LoadMap(FRegions);
    SetControlCursor(FSavedCursor);
    // Enter the region under the pointer at once. A hidden control is entered by the first
    // real move after it is shown, which also reaches handlers connected meanwhile.
    if (isVisible())
        PointerMove(mapFromGlobal(QCursor::pos()));
    InvalidateAll();
}

void TCustomHotZone::SetShowRegions(bool show) {
    FShowRegions = show;
    InvalidateAll();
}

void TCustomHotZone::SetControlCursor(qint16 id) {
    FCursor = id;
    if (id == crDefault)
        unsetCursor();
    else
        setCursor(CursorFromId(id));
}

void TCustomHotZone::ChangeFlags(THSRgn *rgn, THSFlags flags) {
    const THSFlags old = rgn->Flags;
    rgn->Flags = flags;
    RefreshRegion(rgn);
    // The control's accessible object hears of changes through the signal, so it must exist
    // before the first one, even when no assistive tool has asked for this control yet.
    if (QAccessible::isActive())
        QAccessible::queryAccessibleInterface(this);
    Q_EMIT RegionFlagsChanged(FRgnList.IndexOf(rgn), old, flags);
}

void TCustomHotZone::IncludeRegionFlags(const QString &id, THSFlags flags) {
    if (THSRgn *r = FRgnList.FindById(id))
        ChangeFlags(r, r->Flags | flags);
}

void TCustomHotZone::ExcludeRegionFlags(const QString &id, THSFlags flags) {
    if (THSRgn *r = FRgnList.FindById(id))
        ChangeFlags(r, r->Flags & THSFlags(~flags));
}

void TCustomHotZone::AssignRegionFlags(const QString &id, THSFlags flags) {
    if (THSRgn *r = FRgnList.FindById(id))
        ChangeFlags(r, flags);
}

THSFlags TCustomHotZone::GetRegionFlags(const QString &id) const { return THSRgnList::GetFlags(FRgnList.FindById(id)); }

void TCustomHotZone::SetRegionsCursor(qint16 cursor) { FRgnList.SetCursorAll(cursor); }

void TCustomHotZone::HighlightRegion(const QString &id) { DrawRegion(FRgnList.FindById(id), true); }

void TCustomHotZone::InvalidateAll() {
    FSurfaceValid = false;
    update();
}

bool TCustomHotZone::Raise(TNotify event, const THSRgn *rgn) {
    const QPointer<TCustomHotZone> self(this);
    const quint64 generation = FGeneration;
    const QString id = rgn->Id; // a copy: the handler may free the record
    Q_EMIT(this->*event)(this, id);
    return self && generation == FGeneration;
}

// ---- drawing

void TCustomHotZone::OutlineRegion(QPainter &canvas, const THSRgn &rgn) {
    // A one-pixel frame inside the shape: the pixels of the shape that have a neighbour
    // (left, right, above or below) outside it.
    const QRegion &r = rgn.Rgn;
    const QRegion inner = r & r.translated(1, 0) & r.translated(-1, 0) & r.translated(0, 1) & r.translated(0, -1);
    const QRegion frame = r - inner;
    for (const QRect &rc : frame)
        canvas.fillRect(rc, QColor(255, 0, 0));
}

void TCustomHotZone::DrawRegionOn(QPainter &canvas, const THSRgn &rgn, bool highlighted) {
    if (highlighted) {
        if (!IsImgHEmpty())
            DrawHighlight(canvas, rgn.Box);
    } else {
        if (!IsImgEmpty())
            DrawNormal(canvas, rgn.Box);
        if (FShowRegions)
            OutlineRegion(canvas, rgn);
    }
}

void TCustomHotZone::DrawRegion(const THSRgn *rgn, bool highlighted) {
    if (!rgn || !isVisible())
        return;
    // With a full repaint pending, the picture is redrawn from the state anyway.
    if (!FSurfaceValid || FSurface.size() != size())
        return;
    {
        QPainter canvas(&FSurface);
        DrawRegionOn(canvas, *rgn, highlighted);
    }
    update(rgn->Box);
}

void TCustomHotZone::PaintAll() {
    if (FSurface.size() != size())
        FSurface = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    FSurface.fill(Qt::transparent);
    FSurfaceValid = true;
    QPainter canvas(&FSurface);
    if (!IsImgEmpty())
        DrawNormal(canvas, rect());
    if (FShowRegions)
        for (int i = 0; i < FRgnList.Count(); ++i)
            OutlineRegion(canvas, *FRgnList.Items(i));
    for (int i = 0; i < FRgnList.Count(); ++i) {
        const THSRgn *r = FRgnList.Items(i);
        if ((r->Flags & hsLatched) || (r == FHotRgn && (r->Flags & hsHoverLight)) || FocusLit(r)) {
            // By id, as a highlight asked for from outside would be: with duplicate ids the
            // first region bearing the id is the one lit.
            DrawRegionOn(canvas, *FRgnList.FindById(r->Id), true);
        }
    }
}

void TCustomHotZone::paintEvent(QPaintEvent *event) {
    if (!FSurfaceValid || FSurface.size() != size())
        PaintAll();
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), FSurface, event->rect());
}

void TCustomHotZone::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    InvalidateAll();
}

void TCustomHotZone::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    InvalidateAll();
}

// ---- hover state

void TCustomHotZone::ApplyCursorOf(const THSRgn *rgn) {
    if (rgn->Flags & hsOwnCursor) {
        if (FCursor != rgn->Cursor) {
            FSavedCursor = FCursor;
            SetControlCursor(rgn->Cursor);
        }
    } else if (FSavedCursor != FCursor) {
        SetControlCursor(FSavedCursor);
    }
}

void TCustomHotZone::SetHot(THSRgn *rgn, bool on) {
    if (!rgn || !(rgn->Flags & hsEnabled))
        return;
    if (rgn == FDownRgn && (rgn->Flags & hsAutoRepeat)) {
        // The repeat pauses while the pointer is outside the held region.
        if (!on)
            FRepeatTimer.stop();
        else if (!FRepeatTimer.isActive() && FRepeatTimer.interval() > 0)
            FRepeatTimer.start();
    }
    if (on) {
        if ((rgn->Flags & (hsHoverLight | hsLatched)) || FPressing)
            DrawRegion(rgn, true);
        ApplyCursorOf(rgn);
    } else {
        if (!(rgn->Flags & hsLatched) && !FocusLit(rgn))
            DrawRegion(rgn, false);
        if (FSavedCursor != FCursor && !FPressing)
            SetControlCursor(FSavedCursor);
    }
}

void TCustomHotZone::RefreshRegion(THSRgn *rgn) {
    if (!rgn)
        return;
    DrawRegion(rgn, (rgn->Flags & hsLatched) || FocusLit(rgn));
    if (rgn == FHotRgn)
        ApplyCursorOf(rgn);
}

bool TCustomHotZone::LitWithoutFocus(const THSRgn *rgn) const {
    if (rgn->Flags & hsLatched)
        return true;
    if (rgn != FHotRgn || !(rgn->Flags & hsEnabled))
        return false;
    return (rgn->Flags & hsHoverLight) || (FPressing && rgn == FDownRgn);
}

// ---- pointer

void TCustomHotZone::WaitClickDelay(quint32 ms) {
    const QPointer<TCustomHotZone> self(this);
    const quint32 start = platform::TickCount();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!self)
            return;
        const quint32 now = platform::TickCount();
        if (qint32(now) < qint32(start) || now - start >= ms)
            return;
        // Sleep in a real event loop rather than spinning, handling events as they come.
        QEventLoop loop;
        QTimer::singleShot(int(std::min<quint32>(ms - (now - start), 10)), &loop, &QEventLoop::quit);
        loop.exec();
        if (!self)
            return;
    }
}

bool TCustomHotZone::Press(Qt::MouseButton button, QPoint pos) {
    if (button == Qt::RightButton)
        return false;
    THSRgn *r = FRgnList.RegionAt(pos.x(), pos.y());
    FHotRgn = r;
    FDownRgn = r;
    if (!r)
        return false;
    FPressing = true;
    if (!(r->Flags & hsEnabled))
        return true;
    if ((r->Flags & hsAutoRepeat) && FRepDelay > 0)
        FRepeatTimer.start(FRepDelay);
    // A copy of the pressed region: the wait below runs handlers, which may rebuild the list,
    // and the flash and the hit still belong to this press.
    FlashAndHit(*r);
    return true;
}

void TCustomHotZone::FlashAndHit(THSRgn pressed) {
    if (FClickDelay > 0) {
        const QPointer<TCustomHotZone> self(this);
        DrawRegion(&pressed, true);
        WaitClickDelay(quint32(FClickDelay));
        if (!self)
            return;
        DrawRegion(&pressed, false);
    }
    Raise(&TCustomHotZone::OnHit, &pressed);
}

bool TCustomHotZone::Release(Qt::MouseButton button) {
    if (button == Qt::RightButton || !FDownRgn)
        return false;
    THSRgn *d = FDownRgn;
    // Stopped whatever the region's flags now are: they may have changed while it was held.
    FRepeatTimer.stop();
    FPressing = d == FHotRgn;
    if ((d->Flags & hsEnabled) && !(d->Flags & hsHoverLight))
        SetHot(d, false);
    const QPointer<TCustomHotZone> self(this);
    Raise(&TCustomHotZone::OnHitUp, d);
    if (!self)
        return true;
    FPressing = false;
    FDownRgn = nullptr;
    return true;
}

void TCustomHotZone::PointerMove(QPoint pos) {
    if (FRgnList.Count() == 0)
        return;
    THSRgn *p = FRgnList.RegionAt(pos.x(), pos.y());
    if (FPressing) {
        if (p == FDownRgn && FDownRgn != FHotRgn)
            SetHot(FDownRgn, true);
        if (p != FDownRgn && FDownRgn == FHotRgn)
            SetHot(FDownRgn, false);
        FHotRgn = p;
        return;
    }
    if (p) {
        if (p != FHotRgn) {
            if (THSRgn *h = FHotRgn) {
                SetHot(h, false);
                if ((h->Flags & hsEnabled) && !Raise(&TCustomHotZone::OnLeave, h))
                    return;
            }
            SetHot(p, true);
            FHotRgn = p;
            if ((p->Flags & hsEnabled) && !Raise(&TCustomHotZone::OnEnter, p))
                return;
        }
        if (p->Flags & hsEnabled)
            Raise(&TCustomHotZone::OnOver, p);
    } else if (THSRgn *h = FHotRgn) {
        SetHot(h, false);
        if ((h->Flags & hsEnabled) && !Raise(&TCustomHotZone::OnLeave, h))
            return;
        FHotRgn = nullptr;
    }
}

void TCustomHotZone::RepeatTick() {
    if (FDownRgn)
        Raise(&TCustomHotZone::OnHit, FDownRgn);
    else
        FRepeatTimer.stop();
}

void TCustomHotZone::mousePressEvent(QMouseEvent *event) {
    event->setAccepted(Press(event->button(), PixelAt(*event)));
}

void TCustomHotZone::mouseReleaseEvent(QMouseEvent *event) { event->setAccepted(Release(event->button())); }

void TCustomHotZone::mouseMoveEvent(QMouseEvent *event) {
    PointerMove(PixelAt(*event));
    // Moves are only watched: the window may want them too.
    event->ignore();
}

void TCustomHotZone::mouseDoubleClickEvent(QMouseEvent *event) {
    // The double click stands in for the second press, so the press follows it: a double
    // click on a repeating arrow hits twice.
    const QPointer<TCustomHotZone> self(this);
    bool handled = false;
    if (event->button() == Qt::LeftButton && FHotRgn) {
        handled = true;
        Raise(&TCustomHotZone::OnDblHit, FHotRgn);
        if (!self)
            return;
    }
    handled = Press(event->button(), PixelAt(*event)) || handled;
    if (self)
        event->setAccepted(handled);
}

void TCustomHotZone::leaveEvent(QEvent *event) {
    QWidget::leaveEvent(event);
    if (FDownRgn)
        return;
    if (THSRgn *h = FHotRgn) {
        SetHot(h, false);
        if ((h->Flags & hsEnabled) && !Raise(&TCustomHotZone::OnLeave, h))
            return;
        FHotRgn = nullptr;
    }
}
