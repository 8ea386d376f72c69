#pragma once
// Prepares the picture a person will most likely look at next (the neighbour in the direction of
// travel) while they look at the current one, so that the next step shows it at once.
//
// The decoding runs on a thread of its own, started and joined on the GUI thread. That thread
// touches no QObject, no widget and no shared state of the program: the GUI thread reads the
// file's bytes and hands them over; the thread only decodes them into a picture of its own
// (value types: QByteArray, QImage), which the GUI thread takes once the thread has ended. A
// thread rather than slices of idle time because a progressive JPEG does most of its work in one
// library call that cannot be cut into slices.
#include "platform/Files.h"
#include "picture/Picture.h"

#include <atomic>
#include <memory>
#include <thread>

class TPicturePrefetch {
public:
    TPicturePrefetch() = default;
    ~TPicturePrefetch();
    TPicturePrefetch(const TPicturePrefetch &) = delete;
    TPicturePrefetch &operator=(const TPicturePrefetch &) = delete;

    // Starts preparing Path for the box (PrepareForBox), unless a preparation is still running
    // (at most one picture is prepared besides the one shown). With a FitBox, the picture is
    // also resampled to the size it takes fitted into a box of that size.
    void Start(const QString &path, const TDecodeLimits &limits, const QSize &fitBox = QSize());
    // Forgets what is prepared; a preparation still running is forgotten when it ends.
    void Drop();
    // The prepared picture of Path, when it was made from the file the caller found now (Stamp:
    // a file renamed, replaced or rewritten meanwhile is read again by the caller); waits for a
    // preparation of Path that is still running. Null otherwise. What is prepared is gone
    // afterwards.
    struct TPrepared {
        std::unique_ptr<TPicture> Picture;
        QImage Fitted;  // null unless asked for
    };
    TPrepared Take(const QString &path, const platform::TFileStamp &stamp);

    // Whether a picture is prepared or being prepared for the next step (a dropped one still
    // finishing on its thread does not count).
    bool Holds() const { return FJob && !FJob->Dropped; }

private:
    struct TJob {
        QString Path;
        platform::TFileStamp Stamp;
        QByteArray Bytes;
        TPictureFormat Format = TPictureFormat::None;
        TDecodeLimits Limits;
        QSize FitBox;
        std::unique_ptr<TPicture> Picture;
        QImage Fitted;
        bool Ok = false;
        bool Dropped = false;
        std::atomic<bool> Done{false};
    };
    static void Run(TJob *job);
    void Reap(bool wait);

    std::unique_ptr<TJob> FJob;
    std::thread FThread;
};
