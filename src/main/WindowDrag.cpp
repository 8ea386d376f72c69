#include "main/WindowDrag.h"

#include "hotzone/HotImg.h"
#include "main/Regions.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

namespace {

// How far an arrow key moves the window while the keyboard is on a drag region.
constexpr int kKeyMoveStep = 10;

} // namespace

bool TWindowDrag::OverDragRegion(QPoint pos) {
    bool over = false;
    for (const TRegionRole &role : RegionRoles()) {
        if (!role.Drags)
            continue;
        const QRect box = FHot->GetRegionRect(role.Id);
        if (box.contains(pos)) {
            if (!(FHot->GetRegionFlags(role.Id) & hsLatched))
                FHot->IncludeRegionFlags(role.Id, hsLatched);
            over = true;
        } else if (FHot->GetRegionFlags(role.Id) & hsLatched) {
            FHot->ExcludeRegionFlags(role.Id, hsLatched);
        }
    }
    return over;
}

bool TWindowDrag::Pointer(QMouseEvent *me) {
    if (FManualDrag) {
        if (me->type() == QEvent::MouseMove) {
            FWindow->move(FWindowStart + me->globalPosition().toPoint() - FDragStart);
            return true;
        }
        if (me->type() == QEvent::MouseButtonRelease) {
            FManualDrag = false;
            return true;
        }
    }
    // While a region is held, the hot image owns the pointer.
    if (FHot->Pressing())
        return false;
    const bool inBox = OverDragRegion(FHot->PixelAt(*me));
    if (me->type() == QEvent::MouseMove) {
        if (inBox && !FInDragBox) {
            // To the hot image the pointer has left: it unlights what it lit and says so.
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(FHot, &leave);
            FHot->setCursor(Qt::ArrowCursor);
        }
        FInDragBox = inBox;
        return inBox;
    }
    if (!inBox)
        return false;
    if ((me->type() == QEvent::MouseButtonPress || me->type() == QEvent::MouseButtonDblClick) &&
        me->button() == Qt::LeftButton) {
        QWindow *window = FWindow->windowHandle();
        if (!window || !window->startSystemMove()) {
            // No window manager to move us: follow the pointer ourselves.
            FManualDrag = true;
            FDragStart = me->globalPosition().toPoint();
            FWindowStart = FWindow->pos();
        }
    }
    return true;
}

bool TWindowDrag::Key(QKeyEvent *event) {
    // On a drag region the arrows move the window, as dragging it would.
    const THSRgn *focus = FHot->FocusRgn();
    if (!focus || !IsDragRegion(focus->Id))
        return false;
    QPoint step;
    switch (event->key()) {
    case Qt::Key_Left: step = {-kKeyMoveStep, 0}; break;
    case Qt::Key_Right: step = {kKeyMoveStep, 0}; break;
    case Qt::Key_Up: step = {0, -kKeyMoveStep}; break;
    case Qt::Key_Down: step = {0, kKeyMoveStep}; break;
    default: return false;
    }
    FWindow->move(FWindow->pos() + step);
    return true;
}
