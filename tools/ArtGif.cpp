#include "ArtGif.h"

#include <cstdint>
#include <unordered_map>

namespace art {

namespace {

// The palette: a 6 x 6 x 6 colour cube (indexes 0 to 215) and a ramp of 40 greys.
QRgb PaletteColour(int i) {
    if (i < 216)
        return qRgb((i / 36) * 51, ((i / 6) % 6) * 51, (i % 6) * 51);
    const int g = (i - 216) * 255 / 39;
    return qRgb(g, g, g);
}

int Distance(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

uint8_t Index(QRgb c) {
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    const int cube = ((r + 25) / 51) * 36 + ((g + 25) / 51) * 6 + (b + 25) / 51;
    // Near-neutral colours may sit closer to the finer grey ramp.
    const int grey = 216 + ((r + g + b) / 3 * 39 + 127) / 255;
    return uint8_t(Distance(c, PaletteColour(grey)) < Distance(c, PaletteColour(cube)) ? grey : cube);
}

class TBitWriter {
public:
    explicit TBitWriter(QByteArray &out) : FOut(out) {}
    void Put(uint32_t code, int bits) {
        FAcc |= code << FCount;
        FCount += bits;
        while (FCount >= 8) {
            Byte(uint8_t(FAcc & 0xff));
            FAcc >>= 8;
            FCount -= 8;
        }
    }
    void Finish() {
        if (FCount > 0)
            Byte(uint8_t(FAcc & 0xff));
        Flush();
        FOut.append(char(0)); // block terminator
    }

private:
    void Byte(uint8_t b) {
        FBlock.append(char(b));
        if (FBlock.size() == 255)
            Flush();
    }
    void Flush() {
        if (FBlock.isEmpty())
            return;
        FOut.append(char(FBlock.size()));
        FOut.append(FBlock);
        FBlock.clear();
    }
    QByteArray &FOut;
    QByteArray FBlock;
    uint32_t FAcc = 0;
    int FCount = 0;
};

void Lzw(QByteArray &out, const std::vector<uint8_t> &pixels) {
    constexpr int MinBits = 8;
    constexpr uint32_t Clear = 1u << MinBits, End = Clear + 1;
    out.append(char(MinBits));
    TBitWriter w(out);
    std::unordered_map<uint32_t, uint32_t> dict;
    uint32_t next = End + 1;
    int bits = MinBits + 1;
    w.Put(Clear, bits);
    if (pixels.empty()) {
        w.Put(End, bits);
        w.Finish();
        return;
    }
    uint32_t prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint32_t key = (prefix << 8) | pixels[i];
        const auto it = dict.find(key);
        if (it != dict.end()) {
            prefix = it->second;
            continue;
        }
        w.Put(prefix, bits);
        // The table is restarted one entry short of full, as the common encoders do: decoders
        // disagree about the code that would fill the last entry.
        if (next < 4095) {
            dict.emplace(key, next);
            // The decoder widens its codes one code later than the encoder adds the entry.
            if (next == (1u << bits) && bits < 12)
                ++bits;
            ++next;
        } else {
            w.Put(Clear, bits);
            dict.clear();
            next = End + 1;
            bits = MinBits + 1;
        }
        prefix = pixels[i];
    }
    w.Put(prefix, bits);
    w.Put(End, bits);
    w.Finish();
}

void Put16(QByteArray &b, int v) {
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}

} // namespace

QByteArray EncodeGif(const std::vector<QImage> &frames, int delayCs) {
    QByteArray gif("GIF89a");
    if (frames.empty())
        return gif;
    const int w = frames[0].width(), h = frames[0].height();
    Put16(gif, w);
    Put16(gif, h);
    gif.append(char(0xf7)); // global colour table of 256 entries, 8 bits of colour resolution
    gif.append(char(0));
    gif.append(char(0));
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < 256 ? PaletteColour(i) : 0;
        gif.append(char(qRed(c)));
        gif.append(char(qGreen(c)));
        gif.append(char(qBlue(c)));
    }
    gif.append(QByteArray("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19)); // loop for ever
    for (const QImage &frame : frames) {
        const QImage img = frame.convertToFormat(QImage::Format_RGB32);
        gif.append(QByteArray("\x21\xf9\x04\x04", 4)); // graphic control: leave the frame in place
        Put16(gif, delayCs);
        gif.append(char(0));
        gif.append(char(0));
        gif.append(char(0x2c));
        Put16(gif, 0);
        Put16(gif, 0);
        Put16(gif, w);
        Put16(gif, h);
        gif.append(char(0));
        std::vector<uint8_t> pixels;
        pixels.reserve(size_t(w) * h);
        for (int y = 0; y < h; ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(img.constScanLine(y));
            for (int x = 0; x < w; ++x)
                pixels.push_back(Index(row[x]));
        }
        Lzw(gif, pixels);
    }
    gif.append(char(0x3b));
    return gif;
}

} // namespace art
