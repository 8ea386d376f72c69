#include "viewer/GifAnimator.h"

#include "viewer/PictureBox.h"

#include <QContextMenuEvent>
#include <QPainter>

TGifAnimator::TGifAnimator(QWidget *parent) : QWidget(parent) {
    // Painted whole on every frame over the window's colour; Qt's backing store keeps it free
    // of flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    FFrameTimer.setSingleShot(true);
    connect(&FFrameTimer, &QTimer::timeout, this, &TGifAnimator::NextFrame);
}

void TGifAnimator::SetPicture(const TGifImage &gif) {
    FAnimation.SetPicture(gif);
    FFrame = 0;
    Schedule();
    update();
}

void TGifAnimator::Clear() {
    FFrameTimer.stop();
    FAnimation.Clear();
    FFrame = 0;
    update();
}

void TGifAnimator::Schedule() {
    FFrameTimer.stop();
    if (isVisible() && FAnimation.FrameCount() > 1)
        FFrameTimer.start(FAnimation.Interval(FFrame));
}

void TGifAnimator::NextFrame() {
    if (FAnimation.FrameCount() == 0)
        return;
    FFrame = (FFrame + 1) % FAnimation.FrameCount();
    Schedule();
    update();
}

void TGifAnimator::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (FAnimation.IsEmpty())
        return;
    const QImage &frame = FAnimation.Composite(FFrame);
    // Natural size in the screen's own pixels, centred; a screen larger than the area is cut
    // equally on both sides.
    const qreal ratio = devicePixelRatioF();
    painter.scale(1 / ratio, 1 / ratio);
    const QSize box = DeviceSizeOf(size(), ratio);
    painter.drawImage(QPoint((box.width() - frame.width()) / 2, (box.height() - frame.height()) / 2), frame);
}

void TGifAnimator::showEvent(QShowEvent *) { Schedule(); }

void TGifAnimator::hideEvent(QHideEvent *) { FFrameTimer.stop(); }

void TGifAnimator::contextMenuEvent(QContextMenuEvent *event) { Q_EMIT MenuRequested(event->globalPos()); }
