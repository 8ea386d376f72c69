#pragma once
// The picture holder: one decoded picture, its decoder chosen by the file's extension.
#include "picture/Colour.h"
#include "picture/GifDecoder.h"
#include "picture/JpegDecoder.h"
#include "picture/PictureLimits.h"
#include "platform/Files.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QPainter;

enum class TPictureFormat { None, Jpeg, Gif };

// "jpg" and "jpeg" are JPEG, "gif" is GIF, ignoring case; anything else is None.
TPictureFormat FormatForPath(const QString &path);

// The viewer decodes a JPEG of more than 1920 x 1080 pixels at half size.
constexpr qint64 kHalfScaleAbovePixels = 2073600;
bool NeedsHalfScale(int width, int height);

// Reads the bytes of a picture file found earlier, refusing one larger than Limits allow.
bool ReadPictureFile(const platform::TFoundFile &file, const TDecodeLimits &limits, QByteArray &bytes);

class TPicture {
public:
    using TProgressHandler =
        std::function<void(TProgressStage stage, int percent, bool redraw, const QRect &band)>;

    TPicture();
    ~TPicture();
    TPicture(const TPicture &) = delete;
    TPicture &operator=(const TPicture &) = delete;

    void SetLimits(const TDecodeLimits &limits) { FLimits = limits; }
    const TDecodeLimits &Limits() const { return FLimits; }
    void SetProgressHandler(TProgressHandler handler) { FProgress = std::move(handler); }

    // Loads the file at Path (found ignoring letter case). On failure the holder keeps what it
    // held. A GIF is decoded at once; a JPEG only reads its header until Decode.
    bool LoadFromFile(const QString &path);
    // FirstFrame, when given, runs once a GIF's first frame is decoded and more may follow: the
    // holder has the picture from then on, so a failure later leaves it empty.
    bool LoadFromData(const QByteArray &bytes, TPictureFormat format, const std::function<void()> &firstFrame = {});
    void Clear();
    // Takes over Other's picture, decoded or not (a picture prepared ahead); Other is left empty.
    void Adopt(TPicture &other);

    bool IsEmpty() const { return FFormat == TPictureFormat::None; }
    TPictureFormat Format() const { return FFormat; }
    // Counts loads and clears: a decode whose picture was replaced under it can tell.
    quint64 Generation() const { return FGeneration; }

    // The decoded size (a half-size JPEG reports half its size, rounded up).
    int Width() const;
    int Height() const;
    // The size stored in the file (a GIF's logical screen).
    int FileWidth() const;
    int FileHeight() const;
    // 24 for a JPEG (decoded as RGB); 1, 4 or 8 for a GIF.
    int BitsPerPixel() const;
    int FrameCount() const;

    // Half-size decoding of a JPEG, chosen before Decode; nothing for a GIF.
    bool HalfScale() const { return FJpeg && FJpeg->HalfScale(); }
    void SetHalfScale(bool half);
    // The orientation (1 to 8) a JPEG is decoded into, chosen before Decode; Width and Height
    // follow it. Nothing for a GIF.
    int Orientation() const { return FJpeg ? FJpeg->Orientation() : 1; }
    void SetOrientation(int orientation);

    // The conversion of a JPEG's colours to the screen's, chosen before Decode: the rows are
    // converted as they are decoded, so progress shows them as they will stay. Nothing for a GIF.
    // (Converting the fitted picture instead would be quicker but is not the same: a colour
    // outside the screen's range is clipped, and clipping does not commute with resampling.)
    void SetColourTransform(std::shared_ptr<const TColourTransform> transform);

    // Decodes the pixels when they are not decoded yet, reporting progress to the handler.
    // Called outside any paint handler: the handler may repaint and dispatch events, and may
    // even load or clear this holder; the running decoder is kept alive until it returns, and
    // the result is then false. A GIF is decoded by its load: true.
    bool Decode();
    bool IsDecoded() const;
    bool IsDecoding() const { return FJpeg && FJpeg->IsDecoding(); }

    // Draws the picture stretched into Target: the decoded rows of a JPEG (also while it
    // decodes), the first frame of a GIF. Draws nothing before decoding.
    void Draw(QPainter &painter, const QRect &target) const;
    // The picture as a 24-bit bitmap (RGB888); a GIF gives its first frame. Null when there is
    // nothing decoded.
    QImage ToBitmap24() const;

    TGifImage *Gif() { return FGif.get(); }
    const TGifImage *Gif() const { return FGif.get(); }
    // The JPEG's output bitmap, readable while decoding goes on; null for a GIF.
    const QImage *JpegBitmap() const { return FJpeg ? &FJpeg->Bitmap() : nullptr; }
    const TJpegDecoder *Jpeg() const { return FJpeg.get(); }

private:
    TDecodeLimits FLimits;
    TProgressHandler FProgress;
    TPictureFormat FFormat = TPictureFormat::None;
    quint64 FGeneration = 0;
    std::shared_ptr<TJpegDecoder> FJpeg;
    std::unique_ptr<TGifImage> FGif;
    // Tells a decode running inside a progress report whether the holder still exists.
    std::shared_ptr<char> FLife;
};
