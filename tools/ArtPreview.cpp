#include "ArtPreview.h"

#include "ArtShape.h"

namespace art {

QImage SkinPreview(const TSkin &skin) {
    QImage out(2 * W + 16, H, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.setPixel(x, y, ((x / 8 + y / 8) % 2) ? qRgb(200, 200, 200) : qRgb(240, 240, 240));
    for (int i = 0; i < 2; ++i) {
        const QImage &img = i ? skin.Lit : skin.Normal;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (skin.Mask.pixelIndex(x, y) == 0)
                    out.setPixel(x + i * (W + 16), y, img.pixel(x, y));
    }
    return out;
}

} // namespace art
