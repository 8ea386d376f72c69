#pragma once
// Pictures the tests write: noise encoded as JPEG, any picture encoded in a format Qt writes,
// and GIF files written block by block.
#include "support/TestFiles.h"
#include "viewer/PictureList.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <vector>

namespace testpictures {

// Image encoded as Format ("JPEG", "BMP", "PNG") at Quality (-1: the encoder's default); empty
// when it cannot be encoded.
inline QByteArray Encoded(const QImage &image, const char *format, int quality = -1) {
    QBuffer buf;
    return buf.open(QIODevice::WriteOnly) && image.save(&buf, format, quality) ? buf.data() : QByteArray();
}

// Image written to Path as Format, its folder made; false (and the test fails) when it cannot.
inline bool WritePicture(const QString &path, const QImage &image, const char *format, int quality = -1) {
    const QByteArray bytes = Encoded(image, format, quality);
    if (bytes.isEmpty()) {
        QTest::qFail(qPrintable("cannot encode " + path), __FILE__, __LINE__);
        return false;
    }
    return testfiles::WriteFile(path, bytes);
}

// W x H pixels of noise from a linear congruential generator started at Seed. Noise barely
// compresses: even a small picture passes the viewer's size filter, and a large one takes a
// measurable time to decode.
inline QImage Noise(int w, int h, quint32 seed) {
    QImage img(w, h, QImage::Format_RGB32);
    quint32 r = seed;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            r = r * 1103515245u + 12345u;
            img.setPixel(x, y, (r >> 8) | 0xff000000u);
        }
    return img;
}

// Noise of W x H from Seed as a JPEG of quality 95, at least the viewer's minimum file size.
inline bool WriteBusyJpeg(const QString &path, int w, int h, quint32 seed) {
    const QByteArray bytes = Encoded(Noise(w, h, seed), "JPEG", 95);
    if (bytes.size() < kMinPictureBytes) {
        QTest::qFail(qPrintable(path + " would have only " + QString::number(bytes.size()) + " bytes"), __FILE__,
                     __LINE__);
        return false;
    }
    return testfiles::WriteFile(path, bytes);
}

// Writes GIF files block by block. Image data is coded without compression: literal codes
// only, with a clear code before the code width would grow.
class TGifWriter {
public:
    TGifWriter(int width, int height, const std::vector<unsigned> &globalTable = {}, int background = 0,
               const char *version = "GIF89a") {
        Bytes.append(version);
        U16(width);
        U16(height);
        Bytes.append(char(globalTable.empty() ? 0 : 0x80 | (TableBits(globalTable.size()) - 1)));
        Bytes.append(char(background));
        Bytes.append(char(0));
        Table(globalTable);
    }
    void Control(int disposal, int delay, int transparent = -1) {
        Bytes.append("\x21\xF9\x04", 3);
        Bytes.append(char((disposal << 2) | (transparent >= 0 ? 1 : 0)));
        U16(delay);
        Bytes.append(char(transparent >= 0 ? transparent : 0));
        Bytes.append(char(0));
    }
    // Pixels are given in display order; Interlaced stores them in the four-pass order.
    void Image(int left, int top, int w, int h, const std::vector<unsigned char> &pixels,
               const std::vector<unsigned> &localTable = {}, bool interlaced = false, int minCodeSize = 8,
               size_t keepBytes = size_t(-1)) {
        Bytes.append(char(0x2C));
        U16(left);
        U16(top);
        U16(w);
        U16(h);
        Bytes.append(char((localTable.empty() ? 0 : 0x80 | (TableBits(localTable.size()) - 1)) |
                          (interlaced ? 0x40 : 0)));
        Table(localTable);
        std::vector<unsigned char> order;
        if (interlaced) {
            const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < h; y += step[pass])
                    order.insert(order.end(), pixels.begin() + y * w, pixels.begin() + (y + 1) * w);
        } else {
            order = pixels;
        }
        Bytes.append(char(minCodeSize));
        QByteArray data = Lzw(order, minCodeSize);
        if (keepBytes < size_t(data.size()))
            data.truncate(qsizetype(keepBytes));
        for (qsizetype i = 0; i < data.size(); i += 255) {
            const qsizetype n = std::min<qsizetype>(255, data.size() - i);
            Bytes.append(char(n));
            Bytes.append(data.mid(i, n));
        }
        if (keepBytes == size_t(-1))
            Bytes.append(char(0));
    }
    QByteArray Finish() { return Bytes + char(0x3B); }
    QByteArray Bytes;

private:
    static int TableBits(size_t n) {
        int bits = 1;
        while ((size_t(1) << bits) < n)
            ++bits;
        return bits;
    }
    void U16(int v) {
        Bytes.append(char(v & 0xFF));
        Bytes.append(char((v >> 8) & 0xFF));
    }
    void Table(const std::vector<unsigned> &t) {
        if (t.empty())
            return;
        const size_t n = size_t(1) << TableBits(t.size());
        for (size_t i = 0; i < n; ++i) {
            const unsigned c = i < t.size() ? t[i] : 0;
            Bytes.append(char((c >> 16) & 0xFF));
            Bytes.append(char((c >> 8) & 0xFF));
            Bytes.append(char(c & 0xFF));
        }
    }
    static QByteArray Lzw(const std::vector<unsigned char> &pixels, int mcs) {
        QByteArray out;
        unsigned long long acc = 0;
        int bits = 0;
        const int clear = 1 << mcs;
        int width = mcs + 1;
        int next = clear + 2;
        bool first = true;
        auto put = [&](int code) {
            acc |= (unsigned long long)code << bits;
            bits += width;
            while (bits >= 8) {
                out.append(char(acc & 0xFF));
                acc >>= 8;
                bits -= 8;
            }
        };
        put(clear);
        for (unsigned char p : pixels) {
            if (!first && next + 1 >= (1 << width)) {
                put(clear);
                next = clear + 2;
                first = true;
            }
            put(p & (clear - 1));
            if (!first)
                ++next;
            first = false;
        }
        put(clear + 1);
        if (bits > 0)
            out.append(char(acc & 0xFF));
        return out;
    }
};

} // namespace testpictures
