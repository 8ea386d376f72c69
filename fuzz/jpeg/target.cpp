// The JPEG loader on any bytes: header, orientation tag, colour profile, half-size choice,
// decoding with progress, fitting.
#include "picture/Picture.h"
#include "picture/Prepare.h"

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
    // As the viewer prepares it: half size, the orientation tag, the colour profile, fitted.
    QImage fitted;
    if (!PrepareForBox(picture, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
                       TPictureFormat::Jpeg, QSize(13, 9), &fitted))
        return 0;
    return 0;
}
