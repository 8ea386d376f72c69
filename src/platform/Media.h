#pragma once
// Music files (MP3, MP2, MIDI, WAV) played one at a time, with notices of their end and of
// playing errors delivered on the GUI thread. Output goes where the cues go (TELVARO_AUDIO_SINK).
#include <QObject>
#include <QString>

#include <deque>
#include <memory>

namespace platform {

class TMediaPlayer : public QObject {
    Q_OBJECT
public:
    enum class TOpenResult {
        Opened,      // prerolled and paused at its start
        Unplayable,  // missing, not a regular file, undecodable, or no answer within the limit
        NoPipeline,  // the media framework could not make a player at all
    };
    enum class TNotice { Ended, Failed };

    explicit TMediaPlayer(QObject *parent = nullptr);
    // Closes without delivering anything more.
    ~TMediaPlayer() override;

    // The media framework started and can make a player. Decided once per process.
    static bool Available();
    // An MPEG-1 layer 3 decoder is installed.
    static bool Mp3Supported();

    // Closes whatever is open, then prepares Path (letter case ignored) and waits, without
    // dispatching events, until it is ready to play or has failed: a corrupt file or a missing
    // decoder fails here, not later.
    TOpenResult Open(const QString &path);
    // False when nothing is open or the change is refused.
    bool Play();
    // Pauses where it is (the position stays and seeks keep working).
    bool Stop();
    // A flushing seek; false when nothing is open or the file cannot seek.
    bool Seek(double seconds);
    // Releases the file; notices not yet taken are dropped.
    void Close();

    bool IsOpen() const { return FPipe != nullptr; }
    // Seconds from the start; -1 when closed or not known yet.
    double Position() const;

    // The oldest notice of the open file not yet taken. Each notice is also announced once by
    // NoticePosted; notices of a file that has been closed are never returned.
    bool TakeNotice(TNotice &notice);

    // Milliseconds Open waits for the file to be ready.
    static constexpr int kOpenLimitMs = 5000;

Q_SIGNALS:
    void NoticePosted();

private:
    struct TLink;
    struct TPipeline;
    void Post(TNotice notice);

    std::unique_ptr<TPipeline> FPipe;
    std::deque<TNotice> FNotices;
};

} // namespace platform
