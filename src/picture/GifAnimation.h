#pragma once
// The frames an animated GIF shows: the composite of frames 0..k on the logical screen, as the
// disposal methods leave it, and the time each frame is held.
#include "picture/GifDecoder.h"

#include <QImage>

class TGifAnimation {
public:
    TGifAnimation() = default;
    // The animation keeps its own copy of the picture.
    explicit TGifAnimation(TGifImage gif);
    void SetPicture(TGifImage gif);
    void Clear();

    const TGifImage &Picture() const { return FGif; }
    int FrameCount() const { return FGif.FrameCount(); }
    bool IsEmpty() const { return FGif.IsEmpty(); }

    // Frame k on a canvas of the logical screen (RGB32, always opaque). The canvas starts as the
    // background colour; a frame's transparent pixels leave it as it was; restore-to-background
    // clears the frame's rectangle to ClearColor; restore-to-previous gives back the canvas as it
    // was before that frame. Stepping forward by one frame costs one frame; any other step
    // replays from the latest frame at or before k that covers the whole screen opaquely and does
    // not restore what was under it.
    const QImage &Composite(int k);

    // How long frame k is held: its delay clamped to 50..10000 ms.
    int Interval(int k) const { return FrameInterval(FGif.Frame(k).DelayMs); }
    static int FrameInterval(int delayMs);

private:
    void Dispose(int frame);
    void Paint(int frame);
    bool CoversScreen(int frame) const;

    TGifImage FGif;
    QImage FCanvas;
    int FDrawn = -1;        // the frame the canvas holds; its disposal is still to come
    QImage FSaved;          // the part of the canvas under FDrawn, when FDrawn restores it
};
