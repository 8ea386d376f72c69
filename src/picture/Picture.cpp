#include "picture/Picture.h"

#include "platform/Files.h"

#include <QPainter>

TPictureFormat FormatForPath(const QString &path) {
    const QString ext = platform::ExtensionOf(path).mid(1).toLower();
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return TPictureFormat::Jpeg;
    if (ext == QLatin1String("gif"))
        return TPictureFormat::Gif;
    return TPictureFormat::None;
}

bool NeedsHalfScale(int width, int height) { return qint64(width) * height > kHalfScaleAbovePixels; }

TPicture::TPicture() : FLife(std::make_shared<char>(0)) {}

TPicture::~TPicture() = default;

bool ReadPictureFile(const platform::TFoundFile &file, const TDecodeLimits &limits, QByteArray &bytes) {
    // One byte more than the limit tells a file that is too large from one that just fits.
    return platform::ReadFoundFile(file, bytes, limits.MaxBytes + 1) && bytes.size() <= limits.MaxBytes;
}

bool TPicture::LoadFromFile(const QString &path) {
    const TPictureFormat format = FormatForPath(path);
    if (format == TPictureFormat::None)
        return false;
    QByteArray bytes;
    return ReadPictureFile(platform::FindFile(path), FLimits, bytes) && LoadFromData(bytes, format);
}

bool TPicture::LoadFromData(const QByteArray &bytes, TPictureFormat format, const std::function<void()> &firstFrame) {
    if (format == TPictureFormat::Jpeg) {
        auto jpeg = std::make_shared<TJpegDecoder>();
        if (!jpeg->Load(bytes, FLimits))
            return false;
        FGif.reset();
        FJpeg = std::move(jpeg);
    } else if (format == TPictureFormat::Gif) {
        auto gif = std::make_unique<TGifImage>();
        TGifImage *loading = gif.get();
        // Handed over at its first frame to whoever shows it then, else once it is whole.
        const auto handOver = [&] {
            if (!gif)
                return;
            FJpeg.reset();
            FGif = std::move(gif);
            FFormat = format;
            ++FGeneration;
        };
        std::function<void()> early;
        if (firstFrame)
            early = [&] {
                handOver();
                firstFrame();
            };
        if (!loading->Load(bytes, FLimits, early)) {
            if (!gif)
                Clear();  // shown already: nothing of it may stay
            return false;
        }
        handOver();
        return true;
    } else {
        return false;
    }
    FFormat = format;
    ++FGeneration;
    return true;
}

void TPicture::Clear() {
    FJpeg.reset();
    FGif.reset();
    FFormat = TPictureFormat::None;
    ++FGeneration;
}

void TPicture::Adopt(TPicture &other) {
    FJpeg = std::move(other.FJpeg);
    FGif = std::move(other.FGif);
    FFormat = other.FFormat;
    other.FFormat = TPictureFormat::None;
    ++FGeneration;
    ++other.FGeneration;
}

int TPicture::Width() const { return FJpeg ? FJpeg->Width() : FGif ? FGif->Width() : 0; }
int TPicture::Height() const { return FJpeg ? FJpeg->Height() : FGif ? FGif->Height() : 0; }
int TPicture::FileWidth() const { return FJpeg ? FJpeg->FileWidth() : FGif ? FGif->Width() : 0; }
int TPicture::FileHeight() const { return FJpeg ? FJpeg->FileHeight() : FGif ? FGif->Height() : 0; }
int TPicture::BitsPerPixel() const { return FJpeg ? 24 : FGif ? FGif->BitsPerPixel() : 0; }
int TPicture::FrameCount() const { return FJpeg ? 1 : FGif ? FGif->FrameCount() : 0; }

void TPicture::SetHalfScale(bool half) {
    if (FJpeg)
        FJpeg->SetHalfScale(half);
}

void TPicture::SetOrientation(int orientation) {
    if (FJpeg)
        FJpeg->SetOrientation(orientation);
}

void TPicture::SetColourTransform(std::shared_ptr<const TColourTransform> transform) {
    if (FJpeg)
        FJpeg->SetColourTransform(std::move(transform));
}

bool TPicture::IsDecoded() const { return FJpeg ? FJpeg->IsDecoded() : FGif != nullptr; }

bool TPicture::Decode() {
    if (FGif)
        return true;
    if (!FJpeg)
        return false;
    // The progress handler may load another picture into this holder, clear it, or destroy
    // it; the decoder and the handler are held here until the decoder has returned.
    const std::shared_ptr<TJpegDecoder> decoder = FJpeg;
    const std::weak_ptr<char> life = FLife;
    const quint64 generation = FGeneration;
    const TProgressHandler handler = FProgress;
    // Without a handler nothing can run in between: no progress at all, not even the clock.
    const bool ok = !handler ? decoder->Decode() : decoder->Decode([&](const TProgressReport &r) {
        handler(r.Stage, r.Percent, r.Redraw, r.Band);
        return !life.expired() && FGeneration == generation;
    });
    return ok && !life.expired() && FGeneration == generation;
}

void TPicture::Draw(QPainter &painter, const QRect &target) const {
    if (FJpeg) {
        const QImage &bitmap = FJpeg->Bitmap();
        if (!bitmap.isNull())
            painter.drawImage(target, bitmap);
    } else if (FGif) {
        const QImage still = FGif->StillImage();
        if (!still.isNull())
            painter.drawImage(target, still);
    }
}

QImage TPicture::ToBitmap24() const {
    if (FJpeg)
        return FJpeg->IsDecoded() ? FJpeg->Bitmap() : QImage();
    if (FGif)
        return FGif->Bitmap24();
    return QImage();
}
