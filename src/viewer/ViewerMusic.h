#pragma once
// The viewer's background music: the player, the music folder's track list and the random
// choice of the next track ("Nuevo tema" draws another). The window decides when music plays;
// this class decides what.
#include <QObject>
#include <QRandomGenerator>
#include <QStringList>

class TDSPlayer;

class TViewerMusic : public QObject {
    Q_OBJECT
public:
    explicit TViewerMusic(const QString &musicFolder, QObject *parent = nullptr);

    // Lists the tracks of the music folder that this system can play.
    void BuildTrackList();
    // Plays a track drawn at random, another than the one just heard whenever there is one.
    // False when there is nothing to play.
    bool PlayRandomTrack();
    void Stop();
    // Music can be chosen: a player and at least one track.
    bool CanPlay() const;

    // Seeds the generator from the clock, unless a test fixed the seed.
    void Reseed();
    void SetFixedSeed(quint32 seed);

    TDSPlayer *Player() const { return FPlayer; }
    const QStringList &Tracks() const { return FTracks; }

Q_SIGNALS:
    // A track played to its end.
    void TrackEnded();

private:
    const QString FMusicFolder;
    TDSPlayer *FPlayer;  // owned as a child
    QStringList FTracks;
    QRandomGenerator FRandom;
    bool FFixedSeed = false;
};
