#include "viewer/ViewerMusic.h"

#include "viewer/DSPlay.h"
#include "viewer/PictureList.h"

#include <QDateTime>

#include <algorithm>

TViewerMusic::TViewerMusic(const QString &musicFolder, QObject *parent)
    : QObject(parent), FMusicFolder(musicFolder), FPlayer(new TDSPlayer(this)) {
    connect(FPlayer, &TDSPlayer::OnComplete, this, &TViewerMusic::TrackEnded);
}

void TViewerMusic::BuildTrackList() {
    FTracks.clear();
    if (FPlayer->Available())
        FTracks = ListTracks(FMusicFolder, FPlayer->Mp3Supported());
}

bool TViewerMusic::CanPlay() const { return FPlayer->Available() && !FTracks.isEmpty(); }

bool TViewerMusic::PlayRandomTrack() {
    if (!CanPlay())
        return false;
    QString track = FTracks.first();
    // Another track than the one just heard, whenever the player still knows it. A folder can
    // list one file twice (an extension such as ".m" matches two passes): drawing again stops
    // when no other track exists.
    if (FTracks.size() > 1) {
        const bool another = std::any_of(FTracks.cbegin(), FTracks.cend(),
                                         [this](const QString &t) { return t != FPlayer->FileName(); });
        do
            track = FTracks[int(FRandom.bounded(quint32(FTracks.size())))];
        while (another && track == FPlayer->FileName());
    }
    // A track that cannot be played leaves the music silent, still chosen, so "Nuevo tema" can
    // try another.
    FPlayer->Open(track);
    FPlayer->Play();
    return true;
}

void TViewerMusic::Stop() {
    if (FPlayer->Available())
        FPlayer->Close();
}

void TViewerMusic::Reseed() {
    if (!FFixedSeed)
        FRandom.seed(quint32(QDateTime::currentMSecsSinceEpoch()));
}

void TViewerMusic::SetFixedSeed(quint32 seed) {
    FFixedSeed = true;
    FRandom.seed(seed);
}
