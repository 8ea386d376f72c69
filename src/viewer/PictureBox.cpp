#include "viewer/PictureBox.h"

#include "picture/Picture.h"
#include "picture/Resample.h"
#include "viewer/VisorLayout.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

QSize DeviceSizeOf(const QSize &size, qreal ratio) {
    return QSize(int(std::floor(size.width() * ratio + 1e-6)), int(std::floor(size.height() * ratio + 1e-6)));
}

QSize TPictureBox::DeviceSize() const { return DeviceSizeOf(size(), devicePixelRatioF()); }

QRect TPictureBox::LogicalRect(const QRect &rect) const {
    const qreal r = devicePixelRatioF();
    return QRectF(rect.x() / r, rect.y() / r, rect.width() / r, rect.height() / r).toAlignedRect();
}

QPoint TPictureBox::DevicePoint(QPointF pos) const {
    const qreal r = devicePixelRatioF();
    return QPoint(int(std::floor(pos.x() * r + 1e-6)), int(std::floor(pos.y() * r + 1e-6)));
}

TPictureBox::TPictureBox(QWidget *parent) : QWidget(parent) {
    // No background of its own: around the picture the window's black shows.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
    setMouseTracking(true);
    // The keyboard's place while the viewer shows: keys it does not use go on to the window,
    // and a screen reader follows the picture's name from here. A click never moves the focus.
    setFocusPolicy(Qt::TabFocus);
}

void TPictureBox::SetDest(const QRect &dest, bool fitted) {
    if (dest.size() != FDest.size() || fitted != FFittedMode)
        DropFitted();
    FDest = dest;
    FFittedMode = fitted;
}

void TPictureBox::OfferFitted(const QImage &fitted) {
    if (!FPicture || !FFittedMode || fitted.isNull() || fitted.size() != FDest.size())
        return;
    FFitted = fitted;
    FFittedGeneration = FPicture->Generation();
}

bool TPictureBox::PaintFitted(QPainter &painter) {
    if (FFitted.isNull() || FFitted.size() != FDest.size() || FFittedGeneration != FPicture->Generation()) {
        if (FPicture->ToBitmap24().isNull())
            return true;
        // The hourglass covers the resampling, the only slow part of painting.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QImage dest = FittedImage(*FPicture, FDest.size());
        QApplication::restoreOverrideCursor();
        if (dest.isNull())
            return false;
        FFitted = std::move(dest);
        FFittedGeneration = FPicture->Generation();
    }
    painter.drawImage(FDest.topLeft(), FFitted);
    return true;
}

void TPictureBox::paintEvent(QPaintEvent *event) {
    if (FSuppressed || !FPicture || FPicture->IsEmpty() || FDest.isEmpty())
        return;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    // Drawn in device pixels: the picture's pixels land one to one on the screen's.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    bool ok = true;
    // While a JPEG decodes, its rows so far are shown stretched; the fitted resampling comes once
    // every row is there.
    if (FFittedMode && FPicture->IsDecoded())
        ok = PaintFitted(painter);
    else
        FPicture->Draw(painter, FDest);
    if (!ok)
        QApplication::beep();
}

bool TPictureBox::Larger() const {
    const QSize box = DeviceSize();
    return FPicture && (FPicture->Width() > box.width() || FPicture->Height() > box.height());
}

void TPictureBox::Press(QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, bool doubleClick) {
    FDragging = false;
    if (buttons != Qt::LeftButton || (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) ||
        doubleClick || FBusy)
        return;
    if (FDest.contains(pos)) {
        if (Larger() && !FFittedMode) {
            FDragging = true;
            Q_EMIT DragStarted();
        } else {
            Q_EMIT FitRequested();
        }
    }
    FLastMouse = pos;
}

void TPictureBox::mousePressEvent(QMouseEvent *event) {
    Press(DevicePoint(event->position()), event->buttons(), event->modifiers(), false);
}

void TPictureBox::mouseDoubleClickEvent(QMouseEvent *event) {
    Press(DevicePoint(event->position()), event->buttons(), event->modifiers(), true);
}

void TPictureBox::mouseMoveEvent(QMouseEvent *event) {
    const QPoint pos = DevicePoint(event->position());
    if (FDest.contains(pos)) {
        // A picture that can be dragged shows the plain arrow; one that can be fitted, the hand.
        setCursor(Larger() && !FFittedMode ? Qt::ArrowCursor : Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
    if (!FDragging || !FPicture)
        return;
    const QSize box = DeviceSize();
    FDest = DragRect(FDest, pos.x() - FLastMouse.x(), pos.y() - FLastMouse.y(), FPicture->Width(), FPicture->Height(),
                     box.width(), box.height());
    FLastMouse = pos;
    repaint();
}

void TPictureBox::mouseReleaseEvent(QMouseEvent *) {
    FDragging = false;
    Q_EMIT DragEnded();
}

void TPictureBox::contextMenuEvent(QContextMenuEvent *event) { Q_EMIT MenuRequested(event->globalPos()); }
