// The GIF decoder on any bytes: every frame composited, the grey conversion, the still picture.
#include "picture/GifAnimation.h"
#include "picture/GifDecoder.h"
#include "picture/Resample.h"

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
    gif.SetTransparent(false);
    if (gif.BitsPerPixel() == 1)
        gif.ConvertToGrey();
    const QImage still = gif.Bitmap24();
    QImage fitted(17, 11, QImage::Format_RGB888);
    ResampleBilinear(still, fitted);
    return 0;
}
