#pragma once
// The viewer's animation area ("GIFAnimator"): plays its own copy of an animated GIF at natural
// size, centred, frame after frame for ever, while it is visible.
#include "picture/GifAnimation.h"

#include <QTimer>
#include <QWidget>

class TGifAnimator : public QWidget {
    Q_OBJECT
public:
    explicit TGifAnimator(QWidget *parent = nullptr);

    // Takes a copy of the picture and starts at its first frame.
    void SetPicture(const TGifImage &gif);
    void Clear();
    bool IsEmpty() const { return FAnimation.IsEmpty(); }
    int CurrentFrame() const { return FFrame; }
    // Paces the frames: single-shot, restarted with each frame's own interval.
    const QTimer &FrameTimer() const { return FFrameTimer; }
    // Advances one frame, as a tick of the frame timer does.
    void NextFrame();

Q_SIGNALS:
    void MenuRequested(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void Schedule();

    TGifAnimation FAnimation;
    int FFrame = 0;
    QTimer FFrameTimer;
};
