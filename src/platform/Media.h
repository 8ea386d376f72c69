#pragma once
// Music files (MP3, MP2, MIDI, WAV) played one at a time, with notices of their end and of
// playing errors delivered on the GUI thread. Output goes where the cues go (TELVARO_AUDIO_SINK).
#include <QObject>
#include <QString>
#include <QTimer>

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
        Preparing,   // BeginOpen only: being prepared; FinishOpen or a Failed notice tells
    };
    enum class TNotice { Ended, Failed };

    explicit TMediaPlayer(QObject *parent = nullptr);
    // Closes without delivering anything more.
    ~TMediaPlayer() override;

    // The media framework started and can make a player. Decided once per process; the first
    // call loads the media layer.
    static bool Available();
    // An MPEG-1 layer 3 decoder is installed.
    static bool Mp3Supported();

    // Closes whatever is open, then prepares Path (letter case ignored) and waits, without
    // dispatching events, until it is ready to play or has failed: a corrupt file or a missing
    // decoder fails here, not later.
    TOpenResult Open(const QString &path);
    // Closes whatever is open, then starts preparing Path on the media framework's threads and
    // returns at once: Preparing, or Unplayable / NoPipeline when that is known at once. Until
    // the file is ready, Play and Stop only say what to do once it is; a file that turns out
    // unplayable (or is not ready within kOpenLimitMs) is closed and posts a Failed notice.
    TOpenResult BeginOpen(const QString &path);
    // Waits, without dispatching events, until the file BeginOpen started is ready or has failed
    // (it is then closed, and no notice follows). At once when it is no longer being prepared.
    TOpenResult FinishOpen();
    bool IsPreparing() const { return FPreparing; }
    // False when nothing is open or the change is refused.
    bool Play();
    // Pauses where it is (the position stays and seeks keep working).
    bool Stop();
    // A flushing seek, once the file is ready; false when nothing is open or it cannot seek.
    bool Seek(double seconds);
    // Releases the file; notices not yet taken are dropped.
    void Close();

    bool IsOpen() const { return FPipe != nullptr; }
    // Seconds from the start; -1 when closed, being prepared, or not known yet.
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
    // The GUI thread's side of a finished preparation, or of the open limit passing.
    void Settle();
    TOpenResult Finish(int limitMs);

    std::unique_ptr<TPipeline> FPipe;
    std::deque<TNotice> FNotices;
    bool FPreparing = false;
    bool FPlayWhenReady = false;
    QTimer FOpenLimit;
};

} // namespace platform
