#include "viewer/Prefetch.h"

#include "viewer/Resample.h"

TPicturePrefetch::~TPicturePrefetch() { Reap(true); }

void TPicturePrefetch::Run(TJob *job) {
    auto picture = std::make_unique<TPicture>();
    picture->SetLimits(job->Limits);
    bool ok = picture->LoadFromData(job->Bytes, job->Format);
    if (ok) {
        picture->SetHalfScale(job->Half && picture->Format() == TPictureFormat::Jpeg &&
                              NeedsHalfScale(picture->FileWidth(), picture->FileHeight()));
        ok = picture->Decode();
    }
    // The fitted picture is what the box would resample on its first paint: the same function on
    // the same pixels, done here instead.
    if (ok && job->FitBox.isValid() && picture->Width() > 0 && picture->Height() > 0) {
        const QRect dest = FittedRect(picture->Width(), picture->Height(), job->FitBox.width(), job->FitBox.height());
        QImage fitted(dest.size(), QImage::Format_RGB888);
        if (!fitted.isNull() && ResampleBilinear(picture->ToBitmap24(), fitted))
            job->Fitted = std::move(fitted);
    }
    job->Bytes = QByteArray();
    job->Ok = ok;
    job->Picture = std::move(picture);
    job->Done.store(true, std::memory_order_release);
}

// Joins a thread that has ended (or, with Wait, any thread) and frees a job dropped meanwhile.
void TPicturePrefetch::Reap(bool wait) {
    if (FThread.joinable() && (wait || (FJob && FJob->Done.load(std::memory_order_acquire))))
        FThread.join();
    if (FJob && !FThread.joinable() && FJob->Dropped)
        FJob.reset();
}

void TPicturePrefetch::Start(const QString &path, const TDecodeLimits &limits, const QSize &fitBox) {
    Reap(false);
    if (FJob)
        return;
    const TPictureFormat format = FormatForPath(path);
    if (format == TPictureFormat::None)
        return;
    auto job = std::make_unique<TJob>();
    job->Path = path;
    job->Stamp = platform::FileStamp(path);
    if (job->Stamp.Size < 0 || !platform::ReadFileBytes(path, job->Bytes, limits.MaxBytes + 1) ||
        job->Bytes.size() > limits.MaxBytes)
        return;
    job->Format = format;
    // The viewer's rule for half size: a JPEG whose extension is no GIF's.
    const QString ext = path.mid(path.lastIndexOf(QLatin1Char('.')) + 1).toUpper();
    job->Half = !ext.contains(QLatin1String("GIF"));
    job->Limits = limits;
    job->FitBox = fitBox;
    FJob = std::move(job);
    FThread = std::thread(&TPicturePrefetch::Run, FJob.get());
}

void TPicturePrefetch::Drop() {
    if (!FJob)
        return;
    FJob->Dropped = true;
    Reap(false);
}

TPicturePrefetch::TPrepared TPicturePrefetch::Take(const QString &path) {
    Reap(false);
    if (!FJob || FJob->Dropped || FJob->Path != path) {
        Drop();
        return {};
    }
    Reap(true);
    std::unique_ptr<TJob> job = std::move(FJob);
    if (!job->Ok || platform::FileStamp(path) != job->Stamp)
        return {};
    return {std::move(job->Picture), std::move(job->Fitted)};
}
