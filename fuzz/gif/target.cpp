// The GIF decoder on any bytes: every frame composited, then the still picture prepared for the
// viewer's box (transparency off, a 1-bit picture in grey, fitted).
#include "picture/GifAnimation.h"
#include "picture/GifDecoder.h"
#include "picture/Prepare.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    TDecodeLimits limits;
    limits.MaxBytes = qint64(64) << 20;  // small enough to keep each run quick
    TGifImage gif;
    if (!gif.Load(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), limits))
        return 0;
    TGifAnimation animation(gif);
    for (int k = 0; k < animation.FrameCount(); ++k)
        animation.Composite(k);
    animation.Composite(0);
    // The still picture as the viewer's box gets it, fitted into a small box.
    TPicture picture;
    picture.SetLimits(limits);
    QImage fitted;
    PrepareForBox(picture, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), TPictureFormat::Gif,
                  QSize(17, 11), &fitted);
    return 0;
}
