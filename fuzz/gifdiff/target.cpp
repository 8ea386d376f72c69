// Our GIF decoder and compositor against giflib's reading and a plain compositor written here.
// Where both read a file, every frame giflib read whole must match pixel for pixel, composited in
// order and again from the last frame back (the compositor's rebuilding path).
//
// The compositor follows our decoder's documented rules: the canvas starts as the global table's
// background entry (black without one); a frame draws with its own table, else the global one; an
// index past the table is black; the last control block before an image describes it;
// restore-to-background clears the frame's part of the screen to its transparent colour when it
// has one (the canvas is opaque), else to the background; disposals 4 to 7 leave the frame; a
// screen of no size takes the first frame's extent. A file with no table at all draws with the
// grey ramp our decoder invents (giflib keeps none), taken from ours: only indices count there.
//
// Where one reads a file or a frame the other does not, the difference must be one of:
//  1. Damaged LZW data (the plain decoder below stops before the frame's last pixel: the data
//     ends, an end code comes early, or a code is not yet in the table): ours fills the rest and
//     reads on; giflib refuses the file there, or makes up pixels for the code and reads on. Ours
//     must mark the frame damaged, unless it lies wholly off the screen (then it is not decoded);
//     frames from there on are not compared.
//  2. The file ends without its trailer, or a stray byte stands where a block should: ours keeps
//     the frames read; giflib refuses the file (and at a code size of 12 or more).
//  3. An LZW code size of 0 cannot be decoded: ours refuses the file at its first frame and ends
//     the animation at a later one; giflib reads on.
//  4. A frame of no width or height is an empty frame for ours; giflib refuses the file.
//  5. Ours wants the signature "GIF8", giflib only "GIF".
//  6. A file past our limits is refused and not given to giflib (it allocates what a frame says).
//  7. An extension whose first data block is empty has ended there; giflib reads the blocks after
//     it as more of it (ours then meets a stray byte). Frames from there on are not compared.
//  8. An LZW code size of 1 (a file must state at least 2): where codes widen is not settled.
//     Its first table entry already needs a wider code; giflib widens after the first code, ours
//     only ever reads 2-bit codes. Frames from there on are not compared.
#include "FuzzSupport.h"
#include "picture/GifAnimation.h"
#include "picture/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using fuzzsupport::Check;

// giflib reads through this from the bytes left (its UserData).
int ReadInput(GifFileType *gif, GifByteType *buf, int n) {
    auto *left = static_cast<std::pair<const uint8_t *, size_t> *>(gif->UserData);
    const size_t take = std::min(size_t(n), left->second);
    std::memcpy(buf, left->first, take);
    left->first += take, left->second -= take;
    return int(take);
}

// The blocks as the format lays them out, only to tell the differences apart.
struct TImage {
    qint64 Area;
    int CodeSize;  // -1 when the file ends first
    std::vector<uint8_t> Data;
};
struct TLayout {
    std::vector<TImage> Images;
    bool Trailer = false;            // the walk ended at the trailer, not at the end or a stray byte
    int EmptyExtensionAt = INT_MAX;  // images before the first extension with no data block
};
TLayout Walk(const uint8_t *d, size_t n) {
    TLayout l;
    size_t p = 13 + (n > 10 && (d[10] & 0x80) ? size_t(3) << ((d[10] & 7) + 1) : 0);
    auto blocks = [&](std::vector<uint8_t> *out) {
        for (; p < n && d[p]; p += d[p] + 1u)
            if (out)
                out->insert(out->end(), d + p + 1, d + std::min(n, p + 1 + d[p]));
        ++p;
    };
    while (p < n) {
        const uint8_t b = d[p++];
        if (b == 0x21) {
            if (++p < n && !d[p])
                l.EmptyExtensionAt = std::min(l.EmptyExtensionAt, int(l.Images.size()));
            blocks(nullptr);
        } else if (b == 0x2C && n - p >= 9) {
            const qint64 area = qint64(d[p + 4] | d[p + 5] << 8) * (d[p + 6] | d[p + 7] << 8);
            p += 9 + (d[p + 8] & 0x80 ? size_t(3) << ((d[p + 8] & 7) + 1) : 0);
            l.Images.push_back({area, p < n ? d[p] : -1, {}});
            ++p;
            blocks(&l.Images.back().Data);
        } else {
            l.Trailer = b == 0x3B;
            break;
        }
    }
    return l;
}

// Whether plain LZW decoding gives fewer pixels than the image's area: only the length of each
// table entry's string matters for that.
bool Damaged(const TImage &image) {
    const int size = image.CodeSize;
    if (size < 1 || size > 11)
        return true;
    const int clear = 1 << size;
    std::vector<qint64> length(4096, 1);  // a literal's string is one pixel
    int next = clear + 2, width = size + 1, prev = -1;
    qint64 pixels = 0;
    for (size_t bit = 0; pixels < image.Area && bit + size_t(width) <= image.Data.size() * 8;) {
        int code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code |= (image.Data[bit / 8] >> (bit % 8) & 1) << i;
        if (code == clear) {
            next = clear + 2, width = size + 1, prev = -1;
            continue;
        }
        const qint64 n = code < clear ? 1 : prev < 0 || code > next || code == clear + 1 ? 0
                                        : code == next ? length[size_t(prev)] + 1 : length[size_t(code)];
        if (n == 0)
            break;
        if (prev >= 0 && next < 4096) {
            length[size_t(next++)] = length[size_t(prev)] + 1;
            if (next == 1 << width && width < 12)
                ++width;
        }
        prev = code;
        pixels += n;
    }
    return pixels < image.Area;
}

QRgb Entry(const ColorMapObject *map, int i) {
    return i < map->ColorCount ? qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue) : qRgb(0, 0, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    TDecodeLimits limits;
    limits.MaxBytes = qint64(16) << 20;  // small enough to keep each run quick
    TGifImage gif;
    const bool read = gif.Load(fuzzsupport::Bytes(data, size), limits);
    const TLayout layout = Walk(data, size);
    const std::vector<TImage> &images = layout.Images;
    if ((!read && gif.Error().contains(QLatin1String("large"))) ||
        std::any_of(images.begin(), images.end(), [&](const TImage &i) { return i.Area > limits.MaxBytes; }))
        return 0;  // 6
    const auto codeSize = [&](int k) { return k >= 0 && k < int(images.size()) ? images[size_t(k)].CodeSize : -1; };
    const auto damaged = [&](int k) { return k < int(images.size()) && Damaged(images[size_t(k)]); };
    const auto unsettled = [&](int k) { return codeSize(k) == 1 || (k >= 0 && damaged(k)); };  // 1, 8
    const int ourCount = gif.FrameCount();
    for (int k = 0; k < ourCount; ++k)
        Check(gif.Frame(k).Rect.isEmpty() || gif.Frame(k).Truncated == damaged(k), "damaged data marked as such");
    std::pair<const uint8_t *, size_t> left{data, size};
    int error = 0;
    GifFileType *ref = DGifOpen(&left, ReadInput, &error);
    const bool theirs = ref && DGifSlurp(ref) == GIF_OK;
    const int count = ref ? ref->ImageCount : 0;
    const bool emptyExtension = layout.EmptyExtensionAt <= std::max(count, ourCount);  // 7
    const bool zeroAt = codeSize(ourCount) == 0;  // 3
    if (!read) {
        const bool signature = size < 4 || std::memcmp(data, "GIF8", 4) != 0;  // 5
        Check(!theirs || zeroAt || signature || emptyExtension, "a file giflib reads is read");
    } else if (theirs) {
        Check(count == ourCount || (count > ourCount && zeroAt) || emptyExtension, "as many frames as giflib");
    } else {
        // The frame it stopped in (giflib may not have counted it yet) is damaged or empty.
        const bool bad = unsettled(count - 1) || unsettled(count);  // 1, 8
        const bool ended = !layout.Trailer || codeSize(count) >= 12;  // 2
        const auto emptyAt = [&](int k) { return k >= 0 && k < int(images.size()) && images[size_t(k)].Area == 0; };
        const bool empty = emptyAt(count - 1) || emptyAt(count);  // 4
        Check(bad || ended || empty || zeroAt || emptyExtension, "giflib refuses for a known reason");
        Check(count - 1 <= ourCount || zeroAt || emptyExtension, "every frame giflib read whole is read");
    }
    // Compared: the frames giflib read whole (all when it read the file, else all but the last)
    // up to the first damaged one or one of code size 1.
    int whole = read ? std::min({ourCount, theirs ? count : count - 1, layout.EmptyExtensionAt}) : 0;
    for (int k = 0; k < whole; ++k)
        if (unsettled(k))
            whole = k;
    TGifAnimation animation(gif);
    if (whole > 0) {
        const GifImageDesc &first = ref->SavedImages[0].ImageDesc;
        int w = ref->SWidth, h = ref->SHeight;
        if (w == 0 || h == 0)
            w = std::max(w, first.Left + first.Width), h = std::max(h, first.Top + first.Height);
        Check(gif.Width() == w && gif.Height() == h, "the screen's size");
        const QRect screen(0, 0, w, h);
        const QRgb background = ref->SColorMap ? Entry(ref->SColorMap, ref->SBackGroundColor) : qRgb(0, 0, 0);
        QImage canvas(w, h, QImage::Format_RGB32);
        canvas.fill(background);
        std::vector<QImage> wanted;
        const bool keep = qint64(w) * h * 4 * whole <= limits.MaxBytes * 2;
        for (int k = 0; k < whole; ++k) {
            const SavedImage &s = ref->SavedImages[k];
            int disposal = 0, transparent = -1;
            for (int e = 0; e < s.ExtensionBlockCount; ++e) {
                const ExtensionBlock &b = s.ExtensionBlocks[e];
                if (b.Function == GRAPHICS_EXT_FUNC_CODE && b.ByteCount >= 4) {
                    disposal = (b.Bytes[0] >> 2) & 7;
                    transparent = b.Bytes[0] & 1 ? b.Bytes[3] : -1;
                }
            }
            const ColorMapObject *map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : ref->SColorMap;
            const std::vector<QRgb> &invented = gif.ColorTable(k);
            auto colour = [&](int i) {
                return map ? Entry(map, i) : size_t(i) < invented.size() ? invented[size_t(i)] : qRgb(0, 0, 0);
            };
            const QRect file(s.ImageDesc.Left, s.ImageDesc.Top, s.ImageDesc.Width, s.ImageDesc.Height);
            const QRect part = file.intersected(screen);
            Check(gif.Frame(k).Rect == part, "the frame's rectangle");
            const QImage before = disposal == 3 ? canvas.copy() : QImage();
            const auto each = [&](auto paint) {
                for (int y = part.top(); y <= part.bottom(); ++y)
                    for (int x = part.left(); x <= part.right(); ++x)
                        paint(x, y, s.RasterBits[size_t(y - file.top()) * size_t(file.width()) + size_t(x - file.left())]);
            };
            each([&](int x, int y, int i) {
                if (i != transparent)
                    canvas.setPixel(x, y, colour(i));
            });
            Check(animation.Composite(k) == canvas, "each frame as the plain compositor makes it, in order");
            if (keep)
                wanted.push_back(canvas);
            if (disposal == 2)
                each([&](int x, int y, int) { canvas.setPixel(x, y, transparent >= 0 ? colour(transparent) : background); });
            else if (disposal == 3)
                canvas = before;
        }
        for (int k = int(wanted.size()) - 1; k >= 0; --k)
            Check(animation.Composite(k) == wanted[size_t(k)], "each frame the same, composited from the last back");
    }
    for (int k = 0; k < ourCount; ++k)
        animation.Composite(k);
    if (ref)
        DGifCloseFile(ref, &error);
    return 0;
}
