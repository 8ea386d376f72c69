#include "platform/Media.h"

#include "platform/Files.h"
#include "platform/MediaLoader.h"

#include <QCoreApplication>
#include <QUrl>

namespace platform {

// What the pipe's events, on GStreamer's threads, share with the player. Each queued event
// holds its own reference, so the link outlives a player that is freed while one is in flight.
struct TMediaPlayer::TLink {
    // Read and written on the GUI thread only: the player that takes this pipe's events; null
    // once the pipe is being closed.
    TMediaPlayer *Player = nullptr;
    // Where the module's sink finds the link; the module never calls it after ClosePipe.
    std::shared_ptr<TLink> *Self = nullptr;

    // Any thread: queues the event for the GUI thread.
    static void OnEvent(void *context, int event) {
        const std::shared_ptr<TLink> link = *static_cast<std::shared_ptr<TLink> *>(context);
        QCoreApplication *app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [link, event] {
                TMediaPlayer *player = link->Player;
                if (!player)
                    return;
                if (event == media::evSettled)
                    player->Settle();
                else
                    player->Post(event == media::evEnded ? TNotice::Ended : TNotice::Failed);
            },
            Qt::QueuedConnection);
    }
};

struct TMediaPlayer::TPipeline {
    const media::TTable *Media = nullptr;
    media::TPipe *Pipe = nullptr;
    std::shared_ptr<TLink> Link;

    ~TPipeline() {
        Link->Player = nullptr;
        // Joins the streaming threads; what they queued before is dropped by the link.
        Media->ClosePipe(Pipe);
        delete Link->Self;
    }
};

TMediaPlayer::TMediaPlayer(QObject *parent) : QObject(parent) {
    FOpenLimit.setSingleShot(true);
    FOpenLimit.setInterval(kOpenLimitMs);
    connect(&FOpenLimit, &QTimer::timeout, this, &TMediaPlayer::Settle);
}

TMediaPlayer::~TMediaPlayer() { Close(); }

bool TMediaPlayer::Available() {
    const media::TTable *media = MediaTable();
    return media && media->Available();
}

bool TMediaPlayer::Mp3Supported() {
    const media::TTable *media = MediaTable();
    return media && media->Mp3Supported();
}

TMediaPlayer::TOpenResult TMediaPlayer::Open(const QString &path) {
    const TOpenResult begun = BeginOpen(path);
    return begun == TOpenResult::Preparing ? FinishOpen() : begun;
}

TMediaPlayer::TOpenResult TMediaPlayer::BeginOpen(const QString &path) {
    Close();
    const QString real = ResolveCase(path);
    if (real.isEmpty() || !IsRegularFile(real))
        return TOpenResult::Unplayable;
    const media::TTable *media = MediaTable();
    if (!media)
        return TOpenResult::NoPipeline;
    auto link = std::make_shared<TLink>();
    link->Self = new std::shared_ptr<TLink>(link);
    media::TPipe *pipe = media->OpenPipe(QUrl::fromLocalFile(real).toEncoded().constData(), TLink::OnEvent, link->Self);
    if (!pipe) {
        delete link->Self;
        return TOpenResult::NoPipeline;
    }
    link->Player = this;
    FPipe.reset(new TPipeline{media, pipe, link});
    FPreparing = true;
    FOpenLimit.start();
    return TOpenResult::Preparing;
}

TMediaPlayer::TOpenResult TMediaPlayer::FinishOpen() { return Finish(kOpenLimitMs); }

TMediaPlayer::TOpenResult TMediaPlayer::Finish(int limitMs) {
    if (!FPipe)
        return TOpenResult::Unplayable;
    if (!FPreparing)
        return TOpenResult::Opened;
    FPreparing = false;
    FOpenLimit.stop();
    if (FPipe->Media->WaitPipe(FPipe->Pipe, limitMs) != media::seReady) {
        Close();
        return TOpenResult::Unplayable;
    }
    if (FPlayWhenReady && !Play()) {
        Close();
        return TOpenResult::Unplayable;
    }
    return TOpenResult::Opened;
}

void TMediaPlayer::Settle() {
    // The open limit has passed when nothing has settled yet: the file counts as unplayable.
    if (FPreparing && Finish(0) == TOpenResult::Unplayable)
        Post(TNotice::Failed);
}

bool TMediaPlayer::Play() {
    if (!FPipe)
        return false;
    if (FPreparing) {
        FPlayWhenReady = true;
        return true;
    }
    return FPipe->Media->PlayPipe(FPipe->Pipe);
}

bool TMediaPlayer::Stop() {
    if (!FPipe)
        return false;
    if (FPreparing) {
        FPlayWhenReady = false;
        return true;
    }
    return FPipe->Media->PausePipe(FPipe->Pipe);
}

bool TMediaPlayer::Seek(double seconds) {
    if (FPreparing)
        FinishOpen();
    return FPipe && FPipe->Media->SeekPipe(FPipe->Pipe, seconds);
}

void TMediaPlayer::Close() {
    FPreparing = false;
    FPlayWhenReady = false;
    FOpenLimit.stop();
    FPipe.reset();
    FNotices.clear();
}

double TMediaPlayer::Position() const {
    if (!FPipe || FPreparing)
        return -1;
    return FPipe->Media->PipePosition(FPipe->Pipe);
}

bool TMediaPlayer::TakeNotice(TNotice &notice) {
    if (FNotices.empty())
        return false;
    notice = FNotices.front();
    FNotices.pop_front();
    return true;
}

void TMediaPlayer::Post(TNotice notice) {
    FNotices.push_back(notice);
    Q_EMIT NoticePosted();
}

} // namespace platform
