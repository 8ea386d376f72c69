#include "picture/GifAnimation.h"

#include <algorithm>
#include <cstring>

TGifAnimation::TGifAnimation(TGifImage gif) { SetPicture(std::move(gif)); }

void TGifAnimation::SetPicture(TGifImage gif) {
    FGif = std::move(gif);
    FCanvas = QImage();
    FSaved = QImage();
    FDrawn = -1;
}

void TGifAnimation::Clear() { SetPicture(TGifImage()); }

int TGifAnimation::FrameInterval(int delayMs) { return std::clamp(delayMs, 50, 10000); }

// A frame that restores what was under it does not make the earlier frames irrelevant: after it,
// they show again.
bool TGifAnimation::CoversScreen(int frame) const {
    const TGifFrame &f = FGif.Frame(frame);
    return f.TransparentIndex < 0 && f.Disposal() != TGifDisposal::Previous &&
           f.Rect == QRect(0, 0, FGif.Width(), FGif.Height());
}

void TGifAnimation::Dispose(int frame) {
    const TGifFrame &f = FGif.Frame(frame);
    if (f.Rect.isEmpty())
        return;
    if (f.Disposal() == TGifDisposal::Background) {
        const QRgb c = FGif.ClearColor(frame);
        for (int y = f.Rect.top(); y <= f.Rect.bottom(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(FCanvas.scanLine(y)) + f.Rect.left();
            std::fill(row, row + f.Rect.width(), c);
        }
    } else if (f.Disposal() == TGifDisposal::Previous && !FSaved.isNull()) {
        for (int y = 0; y < f.Rect.height(); ++y)
            std::memcpy(FCanvas.scanLine(f.Rect.top() + y) + size_t(f.Rect.left()) * 4,
                        FSaved.constScanLine(y), size_t(f.Rect.width()) * 4);
    }
}

void TGifAnimation::Paint(int frame) {
    const TGifFrame &f = FGif.Frame(frame);
    FSaved = QImage();
    if (f.Rect.isEmpty())
        return;
    if (f.Disposal() == TGifDisposal::Previous)
        FSaved = FCanvas.copy(f.Rect);
    QRgb lut[256];
    for (int i = 0; i < 256; ++i)
        lut[i] = FGif.ColorOf(frame, i);
    const int t = f.TransparentIndex;
    const int w = f.Rect.width();
    for (int y = 0; y < f.Rect.height(); ++y) {
        const quint8 *src = f.Pixels.data() + size_t(y) * size_t(w);
        auto *dst = reinterpret_cast<QRgb *>(FCanvas.scanLine(f.Rect.top() + y)) + f.Rect.left();
        if (t < 0) {
            for (int x = 0; x < w; ++x)
                dst[x] = lut[src[x]];
        } else {
            for (int x = 0; x < w; ++x)
                if (src[x] != t)
                    dst[x] = lut[src[x]];
        }
    }
}

const QImage &TGifAnimation::Composite(int k) {
    if (FGif.IsEmpty() || k < 0 || k >= FGif.FrameCount()) {
        static const QImage kNone;
        return kNone;
    }
    if (k == FDrawn)
        return FCanvas;
    if (FCanvas.isNull()) {
        FCanvas = QImage(FGif.Width(), FGif.Height(), QImage::Format_RGB32);
        FDrawn = -1;
        if (FCanvas.isNull()) {
            static const QImage kNone;
            return kNone;
        }
    }
    int from;
    if (FDrawn >= 0 && k == FDrawn + 1) {
        Dispose(FDrawn);
        from = k;
    } else {
        // Rebuild: the latest frame that paints every pixel makes what came before irrelevant.
        from = k;
        while (from > 0 && !CoversScreen(from))
            --from;
        if (!CoversScreen(from))
            FCanvas.fill(FGif.BackgroundColor());
    }
    for (int j = from; j <= k; ++j) {
        if (j > from)
            Dispose(j - 1);
        Paint(j);
    }
    FDrawn = k;
    return FCanvas;
}
