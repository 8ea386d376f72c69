#include "viewer/DSPlay.h"

#include <QPointer>

using platform::TMediaPlayer;

TDSPlayer::TDSPlayer(QObject *owner) : QObject(owner) {
    connect(&FGraph, &TMediaPlayer::NoticePosted, this, &TDSPlayer::HandleNotices);
}

TDSPlayer::~TDSPlayer() {
    FGraph.Close();
    FFileName.clear();
    FState = stClosed;
    FProbed = true;
    FAvailable = false;
    FMp3Supported = false;
}

void TDSPlayer::Probe() const {
    if (FProbed)
        return;
    FProbed = true;
    FAvailable = TMediaPlayer::Available();
    FMp3Supported = TMediaPlayer::Mp3Supported();
}

void TDSPlayer::Resolve() const {
    if (!FGraph.IsPreparing() || FGraph.FinishOpen() == TMediaPlayer::TOpenResult::Opened)
        return;
    FFileName.clear();
    FState = stClosed;
}

void TDSPlayer::Close() {
    if (!MayHoldTrack())
        return;
    // Releasing the pipeline stops it; a pause first would only add a state change.
    FGraph.Close();
    FFileName.clear();
    FState = stClosed;
}

void TDSPlayer::Open(const QString &fileName) {
    if (!Available())
        return;
    Close();
    if (fileName.isEmpty())
        return;
    switch (FGraph.BeginOpen(fileName)) {
    case TMediaPlayer::TOpenResult::Preparing:
    case TMediaPlayer::TOpenResult::Opened:
        FState = stStopped;
        FFileName = fileName;
        break;
    case TMediaPlayer::TOpenResult::NoPipeline:
        // The platform stopped being able to play at all; it is not asked again.
        FAvailable = false;
        break;
    case TMediaPlayer::TOpenResult::Unplayable:
        break;
    }
}

void TDSPlayer::Play() {
    if (!MayHoldTrack() || FState != stStopped)
        return;
    if (FGraph.Play())
        FState = stPlaying;
    else
        Close();
}

void TDSPlayer::SetPosition(double seconds) {
    Resolve();
    if (!MayHoldTrack() || FState == stClosed)
        return;
    FGraph.Seek(seconds);
}

void TDSPlayer::StopAndRewind() {
    if (!MayHoldTrack() || FState != stPlaying)
        return;
    const bool stopped = FGraph.Stop();
    SetPosition(0.0);
    if (stopped)
        FState = stStopped;
    else
        Close();
}

double TDSPlayer::Position() const { return State() == stClosed ? -1 : FGraph.Position(); }

void TDSPlayer::DoComplete() { Q_EMIT OnComplete(this); }

void TDSPlayer::HandleNotices() {
    const QPointer<TDSPlayer> alive(this);
    TMediaPlayer::TNotice notice;
    // The track is asked again on every round: the completion handler may have opened another
    // track (whose notices start afresh) or closed this one (which drops what was left).
    while (alive && FGraph.TakeNotice(notice)) {
        switch (notice) {
        case TMediaPlayer::TNotice::Ended:
            StopAndRewind();
            DoComplete();
            break;
        case TMediaPlayer::TNotice::Failed:
            // A track that breaks while it plays, or turns out unplayable once prepared, ends
            // like one that never started: silently.
            Close();
            break;
        }
    }
}
