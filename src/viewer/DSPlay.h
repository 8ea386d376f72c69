#pragma once
// The viewer's background-music player: one audio file at a time, prepared by Open, run by Play,
// and a completion event raised on the GUI thread when a track has played to its end. A track
// that cannot be prepared, run or played to its end leaves the player closed, silently, without
// the event.
//
// Open returns at once: the track is prepared on the media framework's threads, so switching
// tracks never holds the window. Play on a track still being prepared starts it once it is
// ready. Reading the state, the file name or the position, or seeking, waits for the answer
// (at most TMediaPlayer::kOpenLimitMs), so a caller that looks sees what a finished Open gives.
#include "platform/Media.h"

#include <QObject>
#include <QString>


class TDSPlayer : public QObject {
    Q_OBJECT
public:
    enum TPlayerState { stClosed, stStopped, stPlaying };

    explicit TDSPlayer(QObject *owner = nullptr);
    // Releases the track without stopping it first; no event follows.
    ~TDSPlayer() override;

    // Closes, then prepares FileName when it names an existing, playable file.
    void Open(const QString &fileName);
    // Runs a prepared (stopped) track.
    void Play();
    // Stops, releases the track and forgets the file.
    void Close();
    // Seeks the open track (stopped or playing) to Seconds from its start.
    void SetPosition(double seconds);
    // Stops a playing track and seeks it to its start; the file stays open.
    void StopAndRewind();

    TPlayerState State() const {
        Resolve();
        return FState;
    }
    // The platform can play music; when false every operation does nothing. The sound system
    // is asked the first time, not when the player is made: starting it costs the menu's
    // first appearance time that no picture needs.
    bool Available() const {
        Probe();
        return FAvailable;
    }
    bool Mp3Supported() const {
        Probe();
        return FMp3Supported;
    }
    // Tests look at the track list of a system without an MP3 decoder.
    void SetMp3SupportedForTesting(bool supported) {
        Probe();
        FMp3Supported = supported;
    }
    // The open track, exactly as it was given to Open; empty when closed.
    const QString &FileName() const {
        Resolve();
        return FFileName;
    }
    // Seconds from the start of the open track; -1 when closed or not known yet.
    double Position() const;

Q_SIGNALS:
    // The open track played to its end (it is rewound and stopped by then).
    void OnComplete(TDSPlayer *sender);

protected:
    virtual void DoComplete();

private:
    void HandleNotices();
    void Probe() const;
    // Waits for a track still being prepared, and closes the player when it cannot be played.
    void Resolve() const;
    // Something is open only after Open, which probes: before that there is nothing to stop.
    bool MayHoldTrack() const { return FProbed && FAvailable; }

    // Mutable: reading them settles a track still being prepared (Resolve).
    mutable TPlayerState FState = stClosed;
    mutable bool FProbed = false;
    mutable bool FAvailable = false;
    mutable bool FMp3Supported = false;
    mutable QString FFileName;
    mutable platform::TMediaPlayer FGraph;
};
