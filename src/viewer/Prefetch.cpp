#include "viewer/Prefetch.h"

#include "picture/Prepare.h"

TPicturePrefetch::~TPicturePrefetch() { Reap(true); }

void TPicturePrefetch::Run(TJob *job) {
    auto picture = std::make_unique<TPicture>();
    picture->SetLimits(job->Limits);
    job->Ok = PrepareForBox(*picture, job->Bytes, job->Format, job->FitBox, &job->Fitted);
    job->Bytes = QByteArray();
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
    const platform::TFoundFile file = platform::FindFile(path);
    job->Stamp = file.Stamp;
    if (!ReadPictureFile(file, limits, job->Bytes))
        return;
    job->Format = format;
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

TPicturePrefetch::TPrepared TPicturePrefetch::Take(const QString &path, const platform::TFileStamp &stamp) {
    Reap(false);
    if (!FJob || FJob->Dropped || FJob->Path != path) {
        Drop();
        return {};
    }
    Reap(true);
    std::unique_ptr<TJob> job = std::move(FJob);
    if (!job->Ok || stamp != job->Stamp)
        return {};
    return {std::move(job->Picture), std::move(job->Fitted)};
}
