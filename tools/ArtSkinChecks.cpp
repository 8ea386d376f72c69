#include "ArtSkinChecks.h"

#include "ArtSkin.h"

namespace art {

namespace {

double MeanLuma(const QImage &img, const QPainterPath &area) {
    double sum = 0;
    int n = 0;
    const QRect b = area.boundingRect().toAlignedRect();
    for (int y = b.top(); y <= b.bottom(); ++y)
        for (int x = b.left(); x <= b.right(); ++x)
            if (area.contains(QPointF(x + 0.5, y + 0.5))) {
                const QRgb c = img.pixel(x, y);
                sum += 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
                ++n;
            }
    return n ? sum / n : 0;
}

} // namespace

bool CheckShape(const QImage &mask, const THSRgnList &map, QString &error) {
    if (mask.pixelIndex(0, 0) != 1) {
        error = QStringLiteral("the mask's pixel 0,0 must be outside (white)");
        return false;
    }
    for (const THSRgn *r : Regions(map))
        for (int y = r->Box.top(); y <= r->Box.bottom(); ++y)
            for (int x = r->Box.left(); x <= r->Box.right(); ++x)
                if (x < 0 || y < 0 || x >= W || y >= H || mask.pixelIndex(x, y) != 0) {
                    error = QStringLiteral("the box of region %1 leaves the shape at %2,%3").arg(r->Id).arg(x).arg(y);
                    return false;
                }
    for (int y = kTreeRect.top(); y <= kTreeRect.bottom(); ++y)
        for (int x = kTreeRect.left(); x <= kTreeRect.right(); ++x)
            if (mask.pixelIndex(x, y) != 0) {
                error = QStringLiteral("the tree's rectangle leaves the shape at %1,%2").arg(x).arg(y);
                return false;
            }
    return true;
}

bool CheckPictures(const TSkin &skin, const THSRgnList &map, QString &error) {
    for (const QImage *img : {&skin.Normal, &skin.Lit})
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (img->pixel(x, y) == (kTreeKey | 0xff000000u)) {
                    error = QStringLiteral("the skin holds the tree's colour key at %1,%2").arg(x).arg(y);
                    return false;
                }
    for (const THSRgn *r : Regions(map)) {
        const QPainterPath area = RegionPath(*r);
        const double rest = MeanLuma(skin.Normal, area), glow = MeanLuma(skin.Lit, area);
        if (glow < rest + 25) {
            error = QStringLiteral("region %1 is not clearly lit (%2 against %3)").arg(r->Id).arg(glow).arg(rest);
            return false;
        }
    }
    return true;
}

} // namespace art
