#include "viewer/GifAnimator.h"

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
    // Natural size, centred; a screen larger than the area is cut equally on both sides.
    painter.drawImage(QPoint((width() - frame.width()) / 2, (height() - frame.height()) / 2), frame);
}

void TGifAnimator::showEvent(QShowEvent *) { Schedule(); }

void TGifAnimator::hideEvent(QHideEvent *) { FFrameTimer.stop(); }

void TGifAnimator::contextMenuEvent(QContextMenuEvent *event) { Q_EMIT MenuRequested(event->globalPos()); }
