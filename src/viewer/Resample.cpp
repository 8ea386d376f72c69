#include "viewer/Resample.h"

#include "viewer/Picture.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

QRect FittedRect(int w, int h, int boxW, int boxH) {
    if (w <= 0 || h <= 0 || boxW <= 0 || boxH <= 0)
        return QRect();
    // std::nearbyint rounds halves to the even neighbour in the default rounding mode.
    int width = boxW;
    int height = int(std::nearbyint(double(qint64(h) * boxW) / double(w)));
    if (height >= boxH) {
        width = int(std::nearbyint(double(qint64(w) * boxH) / double(h)));
        height = boxH;
    }
    // A very wide or very tall picture would round to nothing.
    width = std::max(1, width);
    height = std::max(1, height);
    return QRect((boxW - width) / 2, (boxH - height) / 2, width, height);
}

bool ResampleBilinear(const QImage &source, QImage &dest) {
    if (source.isNull() || dest.isNull() || source.format() != QImage::Format_RGB888 ||
        dest.format() != QImage::Format_RGB888)
        return false;
    const int sw = source.width(), sh = source.height();
    const int dw = dest.width(), dh = dest.height();
    const qint64 xstep = (qint64(sw - 1) * 65536) / dw;
    const qint64 ystep = (qint64(sh - 1) * 65536) / dh;

    // Per column: the byte offset of source column i and its fraction.
    std::vector<quint32> offset(static_cast<size_t>(dw)), frac(static_cast<size_t>(dw));
    for (int x = 0; x < dw; ++x) {
        const qint64 sx = qint64(x) * xstep;
        offset[size_t(x)] = quint32(sx >> 16) * 3;
        frac[size_t(x)] = quint32(sx & 0xFFFF);
    }
    // Column i + 1 lies 3 bytes on, except in a source one pixel wide.
    const int next = sw > 1 ? 3 : 0;
    const quint32 *off = offset.data();
    const quint32 *fr = frac.data();

    for (int y = 0; y < dh; ++y) {
        const qint64 sy = qint64(y) * ystep;
        const int r = int(sy >> 16);
        const uchar *row0 = source.constScanLine(r);
        const uchar *row1 = r + 1 < sh ? source.constScanLine(r + 1) : row0;
        const quint32 fy = quint32(sy & 0xFFFF);
        const quint32 a0 = 65536 - fy, a1 = fy + 1;
        uchar *d = dest.scanLine(y);
        for (int x = 0; x < dw; ++x, d += 3) {
            const quint32 fx = fr[x];
            const quint32 w01 = (fx * a0) >> 16, w00 = a0 - w01;
            const quint32 w11 = (fx * a1) >> 16, w10 = a1 - w11;
            const uchar *p = row0 + off[x];
            const uchar *q = row1 + off[x];
            d[0] = uchar((p[0] * w00 + p[next] * w01 + q[0] * w10 + q[next] * w11) >> 16);
            d[1] = uchar((p[1] * w00 + p[next + 1] * w01 + q[1] * w10 + q[next + 1] * w11) >> 16);
            d[2] = uchar((p[2] * w00 + p[next + 2] * w01 + q[2] * w10 + q[next + 2] * w11) >> 16);
        }
    }
    return true;
}

void DrawFitted(QPainter &painter, const QRect &rect, const TPicture &picture) {
    QImage source = picture.ToBitmap24();
    if (source.isNull() || rect.isEmpty())
        return;
    QImage dest(rect.width(), rect.height(), QImage::Format_RGB888);
    if (dest.isNull() || !ResampleBilinear(source, dest))
        return;
    painter.drawImage(rect.topLeft(), dest);
}
