// The JPEG loader on any bytes: header, half-size choice, decoding with progress, fitting.
#include "picture/Picture.h"
#include "picture/Resample.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    TDecodeLimits limits;
    limits.MaxBytes = qint64(64) << 20;  // small enough to keep each run quick
    limits.MaxScans = 100;
    TPicture picture;
    picture.SetLimits(limits);
    int reports = 0;
    picture.SetProgressHandler([&](TProgressStage, int, bool, const QRect &) { ++reports; });
    if (!picture.LoadFromData(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
                              TPictureFormat::Jpeg))
        return 0;
    picture.SetHalfScale(NeedsHalfScale(picture.FileWidth(), picture.FileHeight()));
    if (!picture.Decode())
        return 0;
    QImage fitted(13, 9, QImage::Format_RGB888);
    ResampleBilinear(picture.ToBitmap24(), fitted);
    return 0;
}
