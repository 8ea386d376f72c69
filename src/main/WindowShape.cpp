#include "main/WindowShape.h"

#include <QImage>
#include <QWidget>

#include <vector>

QRegion MaskRegion(const QImage &mask) {
    if (mask.isNull() || mask.width() == 0 || mask.height() == 0)
        return {};
    const QImage m = mask.convertToFormat(QImage::Format_RGB32);
    const QRgb outside = m.pixel(0, 0);
    // Row by row: every maximal run of inside pixels is a rectangle one pixel high.
    std::vector<QRect> runs;
    for (int y = 0; y < m.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(m.constScanLine(y));
        for (int x = 0; x < m.width();) {
            if (row[x] == outside) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < m.width() && row[x] != outside)
                ++x;
            runs.emplace_back(start, y, x - start, 1);
        }
    }
    QRegion region;
    if (!runs.empty())
        region.setRects(runs.data(), int(runs.size()));
    return region;
}

QRegion SkinShape() { return MaskRegion(QImage(QStringLiteral(":/telvaro/mask.bmp"))); }

void ShapeSkin(QWidget *window, QWidget *skin, const QRegion &shape) {
    // The mask is the window's shape for the X server; but Wayland compositors take it for
    // input alone, and some X compositors show a window's whole surface whatever its shape:
    // for them the shape is made of transparent pixels too, the skin drawn within it only.
    if (shape.isEmpty())
        return;
    window->setAttribute(Qt::WA_TranslucentBackground);
    skin->setMask(shape);
}
