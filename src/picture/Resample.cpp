#include "picture/Resample.h"

#include "picture/Picture.h"

#include <QPainter>

#include <algorithm>
#include <cstring>
#include <cmath>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

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

namespace {

struct TColumns {
    std::vector<quint32> Offset;  // byte offset of source column i
    std::vector<quint32> Frac;    // fx
};

// One destination row in plain integer arithmetic; Next is 3, or 0 for a source one pixel
// wide (column i + 1 is then column i again). Columns [From, To).
void RowScalar(const uchar *row0, const uchar *row1, quint32 a0, quint32 a1, const TColumns &cols, int next,
               uchar *dest, int from, int to) {
    const quint32 *off = cols.Offset.data();
    const quint32 *fr = cols.Frac.data();
    uchar *d = dest + 3 * from;
    for (int x = from; x < to; ++x, d += 3) {
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

#if defined(__x86_64__) || defined(__i386__)
#define TELVARO_RESAMPLE_SSE41 1
__attribute__((target("sse4.1"))) inline __m128i Load4(const uchar *p) {
    int v;
    std::memcpy(&v, p, 4);
    return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(v));
}

// The same arithmetic with one pixel's three channels in the lanes of a vector: 32-bit lane
// products (the weights take 17 bits) give exactly the scalar result. Loads never reach past
// pixel i + 1; every pixel but the row's last is stored 4 bytes wide (the fourth is the next
// pixel's first byte, written again right after), the last goes through the scalar path.
__attribute__((target("sse4.1"))) void RowSse41(const uchar *row0, const uchar *row1, quint32 a0, quint32 a1,
                                                  const TColumns &cols, uchar *dest, int width) {
    const quint32 *off = cols.Offset.data();
    const quint32 *fr = cols.Frac.data();
    const __m128i va0 = _mm_set1_epi32(int(a0)), va1 = _mm_set1_epi32(int(a1));
    const int last = width - 1;
    for (int x = 0; x < last; ++x) {
        const __m128i fx = _mm_set1_epi32(int(fr[x]));
        const __m128i w01 = _mm_srli_epi32(_mm_mullo_epi32(fx, va0), 16);
        const __m128i w00 = _mm_sub_epi32(va0, w01);
        const __m128i w11 = _mm_srli_epi32(_mm_mullo_epi32(fx, va1), 16);
        const __m128i w10 = _mm_sub_epi32(va1, w11);
        const uchar *p = row0 + off[x];
        const uchar *q = row1 + off[x];
        // Bytes 2..5 hold B of pixel i and the whole of pixel i + 1: drop the first lane.
        const __m128i p00 = Load4(p), p01 = _mm_srli_si128(Load4(p + 2), 4);
        const __m128i p10 = Load4(q), p11 = _mm_srli_si128(Load4(q + 2), 4);
        __m128i sum = _mm_add_epi32(_mm_mullo_epi32(p00, w00), _mm_mullo_epi32(p01, w01));
        sum = _mm_add_epi32(sum, _mm_mullo_epi32(p10, w10));
        sum = _mm_add_epi32(sum, _mm_mullo_epi32(p11, w11));
        sum = _mm_srli_epi32(sum, 16);
        const __m128i bytes = _mm_packus_epi16(_mm_packus_epi32(sum, sum), sum);
        const int v = _mm_cvtsi128_si32(bytes);
        std::memcpy(dest + 3 * x, &v, 4);
    }
    RowScalar(row0, row1, a0, a1, cols, 3, dest, last, width);
}
#endif

bool HasSse41() {
#ifdef TELVARO_RESAMPLE_SSE41
    static const bool has = __builtin_cpu_supports("sse4.1");
    return has;
#else
    return false;
#endif
}

} // namespace

bool ResampleBilinear(const QImage &source, QImage &dest) {
    if (source.isNull() || dest.isNull() || source.format() != QImage::Format_RGB888 ||
        dest.format() != QImage::Format_RGB888)
        return false;
    const int sw = source.width(), sh = source.height();
    const int dw = dest.width(), dh = dest.height();
    const qint64 xstep = (qint64(sw - 1) * 65536) / dw;
    const qint64 ystep = (qint64(sh - 1) * 65536) / dh;

    TColumns cols;
    cols.Offset.resize(size_t(dw));
    cols.Frac.resize(size_t(dw));
    for (int x = 0; x < dw; ++x) {
        const qint64 sx = qint64(x) * xstep;
        cols.Offset[size_t(x)] = quint32(sx >> 16) * 3;
        cols.Frac[size_t(x)] = quint32(sx & 0xFFFF);
    }
    // Column i + 1 lies 3 bytes on, except in a source one pixel wide.
    const bool narrow = sw == 1;
    const bool vector = !narrow && HasSse41();

    for (int y = 0; y < dh; ++y) {
        const qint64 sy = qint64(y) * ystep;
        const int r = int(sy >> 16);
        const uchar *row0 = source.constScanLine(r);
        const uchar *row1 = r + 1 < sh ? source.constScanLine(r + 1) : row0;
        const quint32 fy = quint32(sy & 0xFFFF);
        const quint32 a0 = 65536 - fy, a1 = fy + 1;
#ifdef TELVARO_RESAMPLE_SSE41
        if (vector) {
            RowSse41(row0, row1, a0, a1, cols, dest.scanLine(y), dw);
            continue;
        }
#endif
        RowScalar(row0, row1, a0, a1, cols, narrow ? 0 : 3, dest.scanLine(y), 0, dw);
    }
    return true;
}

QImage FittedImage(const TPicture &picture, const QSize &size) {
    const QImage source = picture.ToBitmap24();
    if (source.isNull() || size.isEmpty())
        return QImage();
    QImage dest(size, QImage::Format_RGB888);
    if (dest.isNull() || !ResampleBilinear(source, dest))
        return QImage();
    return dest;
}

void DrawFitted(QPainter &painter, const QRect &rect, const TPicture &picture) {
    const QImage dest = FittedImage(picture, rect.size());
    if (!dest.isNull())
        painter.drawImage(rect.topLeft(), dest);
}
