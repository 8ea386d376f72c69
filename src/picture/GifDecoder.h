#pragma once
// Our own GIF decoder (87a and 89a): every frame with its rectangle, colour table, delay,
// transparent index and disposal; the grey-scale conversion the viewer applies to 1-bit pictures;
// and the still picture (the first frame) that the box draws.
#include "picture/PictureLimits.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

enum class TGifDisposal { None = 0, Leave = 1, Background = 2, Previous = 3 };

struct TGifFrame {
    QRect Rect;                     // on the logical screen, clipped to it; may be empty
    QRect FileRect;                 // as the file gives it
    std::vector<quint8> Pixels;     // colour indices, Rect.width() x Rect.height(), top row first
    std::vector<QRgb> LocalTable;   // empty: the frame uses the global table
    int DelayMs = 0;                // the file's hundredths of a second x 10
    int TransparentIndex = -1;      // -1: none
    int StoredDisposal = 0;         // 0..7 as stored
    bool Interlaced = false;
    bool Truncated = false;         // its data ended early; the missing pixels are transparent or 0

    // Values 4 to 7 are undefined and act as "no disposal".
    TGifDisposal Disposal() const;
};

class TGifImage {
public:
    // Replaces the picture with the one in Bytes. False (and empty) when it is not a GIF, has no
    // frame, or would break Limits.
    // FirstFrame, when given, runs once the first frame is decoded and the rest are still to
    // come: the picture can be shown from then on (its still image is final).
    bool Load(const QByteArray &bytes, const TDecodeLimits &limits = {}, const std::function<void()> &firstFrame = {});
    void Clear();
    bool IsEmpty() const { return FFrames.empty(); }
    QString Error() const { return FError; }

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int FrameCount() const { return int(FFrames.size()); }
    const TGifFrame &Frame(int index) const { return FFrames[size_t(index)]; }

    const std::vector<QRgb> &GlobalTable() const { return FGlobalTable; }
    // The table frame Index draws with: its own, else the global one, else a grey ramp.
    const std::vector<QRgb> &ColorTable(int index) const;
    // Colour of Index in frame Frame's table; an index past the table's end is black.
    QRgb ColorOf(int frame, int index) const;
    int BackgroundIndex() const { return FBackgroundIndex; }
    // The global table's background entry, black when there is none.
    QRgb BackgroundColor() const;
    // What restore-to-background clears frame Index's rectangle to: its transparent colour when
    // it has one, else the background colour.
    QRgb ClearColor(int index) const;

    // 1, 4 or 8: the largest that any frame's colour table needs.
    int BitsPerPixel() const;

    // Whether the still picture lets transparent pixels through. On after loading.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool on);

    // Every table entry becomes the grey level (77 R + 150 G + 29 B) div 256; the transparent
    // and background colours follow, as they are table entries; the frames' images are rebuilt.
    void ConvertToGrey();
    // Counts the changes made to the picture since it was loaded.
    int ChangeCount() const { return FChanges; }

    // The first frame on the logical screen over the background colour. With transparency on,
    // its transparent pixels show the background colour in Bitmap24 and are see-through in
    // StillImage (ARGB32, premultiplied); with it off they show their palette colour.
    QImage StillImage() const;
    QImage Bitmap24() const;

private:
    bool Fail(const QString &why);
    QImage RenderStill(bool seeThrough) const;

    int FWidth = 0, FHeight = 0;
    int FBackgroundIndex = 0;
    std::vector<QRgb> FGlobalTable;
    std::vector<QRgb> FDefaultTable;
    std::vector<TGifFrame> FFrames;
    bool FTransparent = true;
    int FChanges = 0;
    QString FError;
};

// Decodes the LZW data of one frame into Out, which has room for Count pixels plus 16 bytes of
// slack (copies run over the end by up to 15 bytes). Returns the pixels written; fewer than
// Count when the data ends early or holds a code that is not in the table.
size_t DecodeGifLzw(const quint8 *data, size_t size, int minCodeSize, quint8 *out, size_t count);
