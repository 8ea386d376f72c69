#include "ArtBmp.h"

#include <cstdint>

namespace art {

QByteArray BmpBytes(const QImage &img) {
    // Written here rather than by the image library, whose writer leaves the padding at the
    // ends of 1-bit rows uninitialised: the same picture must always give the same bytes.
    const int bits = img.depth() == 1 ? 1 : img.format() == QImage::Format_Indexed8 ? 8 : 24;
    const QImage src = bits == 1 ? img.convertToFormat(QImage::Format_Mono)
                       : bits == 8 ? img
                                   : img.convertToFormat(QImage::Format_RGB888);
    const int w = src.width(), h = src.height();
    const int rowBytes = ((w * bits + 31) / 32) * 4;
    const int colours = bits == 24 ? 0 : int(src.colorCount());
    const int offset = 14 + 40 + 4 * colours;
    QByteArray b;
    auto put = [&b](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
    };
    b.append("BM");
    put(uint32_t(offset + rowBytes * h), 4);
    put(0, 4);
    put(uint32_t(offset), 4);
    put(40, 4);
    put(uint32_t(w), 4);
    put(uint32_t(h), 4);
    put(1, 2);
    put(uint32_t(bits), 2);
    put(0, 4);
    put(uint32_t(rowBytes * h), 4);
    put(2835, 4);
    put(2835, 4);
    put(uint32_t(colours), 4);
    put(uint32_t(colours), 4);
    for (int i = 0; i < colours; ++i) {
        const QRgb c = src.color(i);
        b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append(char(0));
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(rowBytes, '\0');
        const uchar *line = src.constScanLine(y);
        if (bits == 1) {
            for (int x = 0; x < w; ++x)
                if (src.pixelIndex(x, y))
                    row[x / 8] = char(uint8_t(row[x / 8]) | (0x80 >> (x % 8)));
        } else if (bits == 8) {
            for (int x = 0; x < w; ++x)
                row[x] = char(line[x]);
        } else {
            for (int x = 0; x < w; ++x) {
                row[3 * x] = char(line[3 * x + 2]);
                row[3 * x + 1] = char(line[3 * x + 1]);
                row[3 * x + 2] = char(line[3 * x]);
            }
        }
        b.append(row);
    }
    return b;
}

} // namespace art
