#include "picture/GifDecoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kMaxCodes = 4096;
// Codes are at most 12 bits wide, and the first one is a bit wider than the code size.
constexpr int kMaxMinCodeSize = 11;
constexpr size_t kSlack = 16;
// What one frame costs besides its pixels: its record and its colour table.
constexpr qint64 kFrameOverhead = qint64(sizeof(TGifFrame)) + 256 * 4;

// Copies through a register, so source and destination may overlap.
inline void Copy8(quint8 *dst, const quint8 *src) {
    quint64 v;
    std::memcpy(&v, src, 8);
    std::memcpy(dst, &v, 8);
}

quint16 U16(const quint8 *p) { return quint16(p[0] | (p[1] << 8)); }

// Reads the data sub-blocks starting at Pos (each a length byte and that many bytes, ended by an
// empty block) into Out, or only skips them when Out is null. Pos ends after the terminator, or
// at the end of the file when the file ends first (the result is then false).
bool ReadSubBlocks(const quint8 *data, size_t size, size_t &pos, std::vector<quint8> *out) {
    if (out)
        out->clear();
    while (pos < size) {
        const size_t n = data[pos++];
        if (n == 0)
            return true;
        const size_t take = std::min(n, size - pos);
        if (out)
            out->insert(out->end(), data + pos, data + pos + take);
        pos += take;
        if (take < n)
            return false;
    }
    return false;
}

std::vector<QRgb> ReadTable(const quint8 *p, int entries) {
    std::vector<QRgb> table(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i)
        table[size_t(i)] = qRgb(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
    return table;
}

int BitsForTable(size_t entries) { return entries <= 2 ? 1 : entries <= 16 ? 4 : 8; }

QRgb Grey(QRgb c) {
    const int g = (77 * qRed(c) + 150 * qGreen(c) + 29 * qBlue(c)) / 256;
    return qRgb(g, g, g);
}

} // namespace

TGifDisposal TGifFrame::Disposal() const {
    return StoredDisposal <= 3 ? TGifDisposal(StoredDisposal) : TGifDisposal::None;
}

// 1. Codes are read LSB first from a bit accumulator, widening from MinCodeSize + 1 (up to 11)
//    to 12 bits.
// 2. Every table entry is a string that already occurs in the output, so an entry is kept as the
//    offset and length of one occurrence, and emitting it is a copy from earlier output; this is
//    what makes long runs cheap. The entry added after code C is the previous code's string plus
//    C's first byte: exactly the bytes from where the previous code was emitted, one longer.
// 3. The code one past the table (KwKwK) is the previous string plus its own first byte.
// 4. A full table is kept until a clear code comes; a code beyond the table ends the data.
size_t DecodeGifLzw(const quint8 *data, size_t size, int minCodeSize, quint8 *out, size_t count) {
    if (minCodeSize < 1 || minCodeSize > kMaxMinCodeSize || count == 0)
        return 0;
    quint32 offset[kMaxCodes];
    quint16 length[kMaxCodes];
    const int clear = 1 << minCodeSize;
    const int eoi = clear + 1;
    int next = clear + 2;
    int width = minCodeSize + 1;
    int prev = -1;
    size_t prevStart = 0;
    quint64 acc = 0;
    int bits = 0;
    size_t pos = 0;
    size_t written = 0;

    while (written < count) {
        if (bits < width) {
            if (size - pos >= 8) {
                // Whole bytes up to 56 bits in one unaligned load.
                quint64 word;
                std::memcpy(&word, data + pos, 8);
                acc |= word << bits;
                pos += size_t(63 - bits) >> 3;
                bits |= 56;
            } else {
                while (bits <= 56 && pos < size) {
                    acc |= quint64(data[pos++]) << bits;
                    bits += 8;
                }
                if (bits < width)
                    break;
            }
        }
        const int code = int(acc & ((1u << width) - 1));
        acc >>= width;
        bits -= width;

        if (code == clear) {
            next = clear + 2;
            width = minCodeSize + 1;
            prev = -1;
            continue;
        }
        if (code == eoi)
            break;

        const size_t start = written;
        const size_t room = count - written;
        quint8 *dst = out + written;
        if (code < clear) {
            // Encoders that write a code size over 8 for 8-bit pictures use the literals below
            // 256 only; a wider one keeps its low byte, as other decoders keep it.
            *dst = quint8(code);
            written += 1;
        } else if (prev >= 0 && code < next) {
            // The occurrence ends at or before Dst, so 8-byte copies that run past the string
            // only read bytes already final and only write bytes that are written again later.
            const size_t n = std::min<size_t>(length[code], room);
            const quint8 *src = out + offset[code];
            for (size_t k = 0; k < n; k += 8)
                Copy8(dst + k, src + k);
            written += n;
        } else if (prev >= 0 && code == next) {
            const size_t plen = prev < clear ? 1 : length[prev];
            const size_t n = std::min(plen + 1, room);
            const quint8 *src = out + prevStart;
            const quint8 first = *src;
            for (size_t k = 0; k < n; k += 8)
                Copy8(dst + k, src + k);
            if (n > plen)
                dst[plen] = first;
            written += n;
        } else {
            break;  // a code that is not in the table: the rest of the frame is missing
        }

        if (prev >= 0 && next < kMaxCodes) {
            offset[next] = quint32(prevStart);
            length[next] = quint16((prev < clear ? 1 : length[prev]) + 1);
            ++next;
            if (next == (1 << width) && width < 12)
                ++width;
        }
        prev = code;
        prevStart = start;
    }
    return written;
}

void TGifImage::Clear() {
    FWidth = FHeight = 0;
    FBackgroundIndex = 0;
    FGlobalTable.clear();
    FDefaultTable.clear();
    FFrames.clear();
    FTransparent = true;
    FChanges = 0;
}

bool TGifImage::Fail(const QString &why) {
    Clear();
    FError = why;
    return false;
}

bool TGifImage::Load(const QByteArray &bytes, const TDecodeLimits &limits, const std::function<void()> &firstFrame) {
    Clear();
    FError.clear();
    const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
    const size_t size = size_t(bytes.size());
    if (size < 13 || std::memcmp(data, "GIF8", 4) != 0)
        return Fail(QStringLiteral("not a GIF file"));
    if (limits.MaxBytes > 0 && qint64(size) > limits.MaxBytes)
        return Fail(QStringLiteral("file too large"));

    FWidth = U16(data + 6);
    FHeight = U16(data + 8);
    const quint8 screenFlags = data[10];
    FBackgroundIndex = data[11];
    size_t pos = 13;
    if (screenFlags & 0x80) {
        const int entries = 2 << (screenFlags & 7);
        if (size - pos < size_t(3 * entries))
            return Fail(QStringLiteral("truncated colour table"));
        FGlobalTable = ReadTable(data + pos, entries);
        pos += size_t(3 * entries);
    }

    // Graphic control values wait for the image they describe.
    int delay = 0, transparent = -1, disposal = 0;
    qint64 spent = 0;
    std::vector<quint8> lzw;
    std::vector<quint8> scratch;
    bool screenChecked = false;

    while (pos < size) {
        const quint8 introducer = data[pos++];
        if (introducer == 0x3B)
            break;
        if (introducer == 0x21) {
            if (pos >= size)
                break;
            const quint8 label = data[pos++];
            if (label == 0xF9 && pos < size && data[pos] >= 4 && size - pos >= 5) {
                const quint8 *g = data + pos + 1;
                disposal = (g[0] >> 2) & 7;
                delay = U16(g + 1) * 10;
                transparent = (g[0] & 1) ? g[3] : -1;
            }
            if (!ReadSubBlocks(data, size, pos, nullptr))
                break;
            continue;
        }
        if (introducer != 0x2C)
            break;  // not a block: whatever follows is not part of the picture

        if (size - pos < 10)
            break;
        const int left = U16(data + pos), top = U16(data + pos + 2);
        const int w = U16(data + pos + 4), h = U16(data + pos + 6);
        const quint8 flags = data[pos + 8];
        pos += 9;
        TGifFrame frame;
        if (flags & 0x80) {
            const int entries = 2 << (flags & 7);
            if (size - pos < size_t(3 * entries))
                break;
            frame.LocalTable = ReadTable(data + pos, entries);
            pos += size_t(3 * entries);
        }
        if (pos >= size)
            break;
        const int minCodeSize = data[pos++];
        // With a code size of 12 the first code would already be wider than LZW's 12 bits: no
        // pixel can be decoded, and a flat picture would only pretend to be this one. A later
        // frame ends the animation there, as damaged data does.
        if (minCodeSize < 1 || minCodeSize > kMaxMinCodeSize) {
            if (FFrames.empty())
                return Fail(QStringLiteral("LZW code size %1 cannot be decoded").arg(minCodeSize));
            break;
        }
        const bool complete = ReadSubBlocks(data, size, pos, &lzw);

        if (!screenChecked) {
            // A screen of no size takes the first frame's extent.
            if (FWidth == 0 || FHeight == 0) {
                FWidth = std::max(FWidth, left + w);
                FHeight = std::max(FHeight, top + h);
            }
            if (FWidth <= 0 || FHeight <= 0)
                return Fail(QStringLiteral("empty picture"));
            if (FWidth > limits.MaxSide || FHeight > limits.MaxSide)
                return Fail(QStringLiteral("logical screen too large"));
            spent = qint64(FWidth) * FHeight * 4;
            if (spent > limits.MaxBytes)
                return Fail(QStringLiteral("picture too large"));
            screenChecked = true;
        }
        if (int(FFrames.size()) >= limits.MaxFrames)
            return Fail(QStringLiteral("too many frames"));
        const qint64 declared = qint64(w) * h;
        spent += declared + kFrameOverhead;
        if (spent > limits.MaxBytes)
            return Fail(QStringLiteral("frames too large"));

        frame.FileRect = QRect(left, top, w, h);
        frame.Rect = frame.FileRect.intersected(QRect(0, 0, FWidth, FHeight));
        frame.DelayMs = delay;
        frame.TransparentIndex = transparent;
        frame.StoredDisposal = disposal;
        frame.Interlaced = (flags & 0x40) != 0;
        delay = 0;
        transparent = -1;
        disposal = 0;

        const int fill = frame.TransparentIndex >= 0 ? frame.TransparentIndex : 0;
        if (!frame.Rect.isEmpty()) {
            const size_t count = size_t(declared);
            const bool direct = !frame.Interlaced && frame.Rect == frame.FileRect;
            quint8 *out;
            if (direct) {
                frame.Pixels.resize(count + kSlack);
                out = frame.Pixels.data();
            } else {
                scratch.resize(count + kSlack);
                out = scratch.data();
            }
            const size_t got = DecodeGifLzw(lzw.data(), lzw.size(), minCodeSize, out, count);
            if (got < count) {
                std::memset(out + got, fill, count - got);
                frame.Truncated = true;
            }
            if (direct) {
                frame.Pixels.resize(count);
            } else {
                // Place the file's rows: interlaced rows come in four passes, and only the part
                // inside the logical screen is kept.
                const int cw = frame.Rect.width(), ch = frame.Rect.height();
                const int dx = frame.Rect.left() - left, dy = frame.Rect.top() - top;
                frame.Pixels.assign(size_t(cw) * size_t(ch), quint8(fill));
                static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
                int fileRow = 0;
                for (int pass = 0; pass < (frame.Interlaced ? 4 : 1); ++pass) {
                    const int first = frame.Interlaced ? kStart[pass] : 0;
                    const int step = frame.Interlaced ? kStep[pass] : 1;
                    for (int row = first; row < h; row += step, ++fileRow) {
                        const int y = row - dy;
                        if (y < 0 || y >= ch)
                            continue;
                        std::memcpy(frame.Pixels.data() + size_t(y) * size_t(cw),
                                    out + size_t(fileRow) * size_t(w) + size_t(dx), size_t(cw));
                    }
                }
            }
        }
        if (frame.LocalTable.empty() && FGlobalTable.empty() && FDefaultTable.empty()) {
            // No table at all: a grey ramp over the code size gives black and white for
            // two-colour data and keeps every index visible.
            const int entries = 1 << std::clamp(minCodeSize, 1, 8);
            FDefaultTable.resize(size_t(entries));
            for (int i = 0; i < entries; ++i) {
                const int g = i * 255 / (entries - 1);
                FDefaultTable[size_t(i)] = qRgb(g, g, g);
            }
        }
        FFrames.push_back(std::move(frame));
        if (!complete)
            break;
        // Something other than the trailer follows: most likely more frames.
        if (FFrames.size() == 1 && firstFrame && pos < size && data[pos] != 0x3B)
            firstFrame();
    }
    if (FFrames.empty())
        return Fail(QStringLiteral("no frame"));
    return true;
}

const std::vector<QRgb> &TGifImage::ColorTable(int index) const {
    const TGifFrame &f = Frame(index);
    if (!f.LocalTable.empty())
        return f.LocalTable;
    if (!FGlobalTable.empty())
        return FGlobalTable;
    return FDefaultTable;
}

QRgb TGifImage::ColorOf(int frame, int index) const {
    const std::vector<QRgb> &table = ColorTable(frame);
    return index >= 0 && size_t(index) < table.size() ? table[size_t(index)] : qRgb(0, 0, 0);
}

QRgb TGifImage::BackgroundColor() const {
    return size_t(FBackgroundIndex) < FGlobalTable.size() ? FGlobalTable[size_t(FBackgroundIndex)]
                                                          : qRgb(0, 0, 0);
}

QRgb TGifImage::ClearColor(int index) const {
    const int t = Frame(index).TransparentIndex;
    return t >= 0 ? ColorOf(index, t) : BackgroundColor();
}

int TGifImage::BitsPerPixel() const {
    int bits = 1;
    for (int i = 0; i < FrameCount(); ++i)
        bits = std::max(bits, BitsForTable(ColorTable(i).size()));
    return bits;
}

void TGifImage::SetTransparent(bool on) {
    if (on != FTransparent) {
        FTransparent = on;
        ++FChanges;
    }
}

void TGifImage::ConvertToGrey() {
    for (QRgb &c : FGlobalTable)
        c = Grey(c);
    for (QRgb &c : FDefaultTable)
        c = Grey(c);
    for (TGifFrame &f : FFrames)
        for (QRgb &c : f.LocalTable)
            c = Grey(c);
    ++FChanges;
}

QImage TGifImage::RenderStill(bool seeThrough) const {
    if (IsEmpty())
        return QImage();
    QImage image(FWidth, FHeight, seeThrough ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(seeThrough ? QRgb(0) : BackgroundColor());
    const TGifFrame &f = FFrames.front();
    QRgb lut[256];
    for (int i = 0; i < 256; ++i)
        lut[i] = ColorOf(0, i);
    const bool skip = FTransparent && f.TransparentIndex >= 0;
    const int w = f.Rect.width();
    for (int y = 0; y < f.Rect.height(); ++y) {
        const quint8 *src = f.Pixels.data() + size_t(y) * size_t(w);
        auto *dst = reinterpret_cast<QRgb *>(image.scanLine(f.Rect.top() + y)) + f.Rect.left();
        for (int x = 0; x < w; ++x)
            if (!skip || src[x] != f.TransparentIndex)
                dst[x] = lut[src[x]];
    }
    return image;
}

QImage TGifImage::StillImage() const { return RenderStill(FTransparent); }

QImage TGifImage::Bitmap24() const { return RenderStill(false).convertToFormat(QImage::Format_RGB888); }
