#include "ArtSkin.h"

#include "ArtShape.h"
#include "ArtSkinChecks.h"
#include "ArtSkinPaint.h"

#include <QPainter>

namespace art {

namespace {

QImage ToRgb(const QImage &img) {
    QImage out = img.convertToFormat(QImage::Format_RGB888);
    // Antialiased edges could in theory land on the colour key; move any such pixel by one step
    // of blue, which no eye can tell apart.
    for (int y = 0; y < out.height(); ++y) {
        uchar *row = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x)
            if (row[3 * x] == qRed(kTreeKey) && row[3 * x + 1] == qGreen(kTreeKey) && row[3 * x + 2] == qBlue(kTreeKey))
                row[3 * x + 2] ^= 1;
    }
    out.setDotsPerMeterX(2835);
    out.setDotsPerMeterY(2835);
    return out;
}

} // namespace

bool PaintSkin(const THSRgnList &map, TSkin &skin, QString &error) {
    const TGrid shape = BuildShape();

    skin.Mask = QImage(W, H, QImage::Format_Mono);
    skin.Mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    skin.Mask.setDotsPerMeterX(2835);
    skin.Mask.setDotsPerMeterY(2835);
    skin.Mask.fill(1);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            skin.Mask.setPixel(x, y, shape.at(x, y) ? 0 : 1);
    if (!CheckShape(skin.Mask, map, error))
        return false;

    QImage base(W, H, QImage::Format_ARGB32_Premultiplied);
    base.fill(qRgb(255, 255, 255));
    PaintBody(base, shape);

    QImage normal = base;
    PaintParts(normal, map, false);
    QImage lit = base;
    PaintParts(lit, map, true);

    // The lit picture is the normal one with only the regions' own shapes taken from the lit
    // painting: the menu copies a region's whole box, so the corners of a round button's box
    // must stay as they are at rest.
    QImage composed = normal;
    {
        QPainter p(&composed);
        for (const THSRgn *r : Regions(map)) {
            p.save();
            p.setClipPath(RegionPath(*r));
            p.drawImage(r->Box.topLeft(), lit, r->Box);
            p.restore();
        }
    }
    skin.Normal = ToRgb(normal);
    skin.Lit = ToRgb(composed);
    return CheckPictures(skin, map, error);
}

} // namespace art
