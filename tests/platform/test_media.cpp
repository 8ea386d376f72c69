#include "platform/Media.h"

#include "MusicFixtures.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cmath>
#include <memory>

using platform::TMediaPlayer;
using TOpenResult = TMediaPlayer::TOpenResult;
using TNotice = TMediaPlayer::TNotice;
namespace fx = musicfixtures;

namespace {

constexpr int kPatienceMs = 10000;
// Long enough for a 0.3 s track to end and its notice to be queued, on a busy machine too.
constexpr unsigned long kPastTheEndMs = 1500;

// Counts notices as they are announced, from a receiver that outlives the player.
struct TNoticeCounter : QObject {
    int Count = 0;
    bool OffThread = false;
    void Watch(TMediaPlayer &player) {
        connect(&player, &TMediaPlayer::NoticePosted, this, [this] {
            ++Count;
            OffThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        });
    }
};

} // namespace

class TestMedia : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    QDir Dir() const { return QDir(FDir.path()); }
    QString FShort, FLong;

    // Waits for the first notice and returns it.
    static bool NextNotice(TMediaPlayer &player, TNotice &notice) {
        return QTest::qWaitFor([&] { return player.TakeNotice(notice); }, kPatienceMs);
    }

private Q_SLOTS:
    void initTestCase();
    void eachFormatPlaysToItsEnd_data();
    void eachFormatPlaysToItsEnd();
    void nameInOtherLetterCaseOpens();
    void unplayableFailsOpen_data();
    void unplayableFailsOpen();
    void failedOpenLeavesNothingOpen();
    void stopKeepsThePositionAndSeekRewinds();
    void errorWhilePlayingIsAFailedNotice();
    void closeDropsANoticeAlreadyQueued();
    void openingAnotherFileDropsTheOldFilesNotice();
    void freedPlayerReceivesNothing();
    void midiIsAudible();
};

void TestMedia::initTestCase() {
    QVERIFY(FDir.isValid());
    QVERIFY(qEnvironmentVariableIsSet("TELVARO_AUDIO_SINK"));
    QVERIFY(TMediaPlayer::Available());
    QVERIFY(TMediaPlayer::Mp3Supported()); // the installed plugin set decodes MP3
    FShort = fx::Wav(Dir(), "short.wav", 0.3);
    FLong = fx::Wav(Dir(), "long.wav", 3.0);
    QVERIFY(!FShort.isEmpty() && !FLong.isEmpty());
}

void TestMedia::eachFormatPlaysToItsEnd_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("wav") << fx::Wav(Dir(), "t.wav", 0.3);
    QTest::newRow("mp3") << fx::Mp3(Dir(), "t.mp3", 0.3);
    QTest::newRow("mp2") << fx::Mp2(Dir(), "t.mp2", 0.3);
    QTest::newRow("mid") << fx::Midi(Dir(), "t.mid", 58);
}

void TestMedia::eachFormatPlaysToItsEnd() {
    QFETCH(QString, file);
    QVERIFY(!file.isEmpty());
    TMediaPlayer player;
    TNoticeCounter counter;
    counter.Watch(player);
    QCOMPARE(player.Open(file), TOpenResult::Opened);
    QVERIFY(player.IsOpen());
    QVERIFY(player.Play());
    TNotice notice;
    QVERIFY(NextNotice(player, notice));
    QCOMPARE(notice, TNotice::Ended);
    QCOMPARE(counter.Count, 1);
    QVERIFY(!counter.OffThread);
}

void TestMedia::nameInOtherLetterCaseOpens() {
    TMediaPlayer player;
    QCOMPARE(player.Open(Dir().filePath("SHORT.WAV")), TOpenResult::Opened);
}

void TestMedia::unplayableFailsOpen_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("missing") << Dir().filePath("missing.mp3");
    QTest::newRow("empty name") << QString();
    QTest::newRow("folder") << Dir().path();
    QTest::newRow("junk mp3") << fx::Junk(Dir(), "junk.mp3");
    QTest::newRow("junk mid") << fx::Junk(Dir(), "junk.mid");
    QTest::newRow("junk wav") << fx::Junk(Dir(), "junk.wav");
    QTest::newRow("empty file") << [this] {
        QFile f(Dir().filePath("empty.wav"));
        return f.open(QIODevice::WriteOnly) ? f.fileName() : QString();
    }();
}

void TestMedia::unplayableFailsOpen() {
    QFETCH(QString, file);
    TMediaPlayer player;
    QCOMPARE(player.Open(file), TOpenResult::Unplayable);
    QVERIFY(!player.IsOpen());
    QVERIFY(!player.Play());
    QVERIFY(!player.Seek(0));
}

void TestMedia::failedOpenLeavesNothingOpen() {
    TMediaPlayer player;
    QCOMPARE(player.Open(FShort), TOpenResult::Opened);
    QCOMPARE(player.Open(fx::Junk(Dir(), "junk2.mp3")), TOpenResult::Unplayable);
    QVERIFY(!player.IsOpen());
    QCOMPARE(player.Position(), -1.0);
}

void TestMedia::stopKeepsThePositionAndSeekRewinds() {
    TMediaPlayer player;
    QCOMPARE(player.Open(FLong), TOpenResult::Opened);
    QVERIFY(player.Play());
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() > 0.3, kPatienceMs);
    QVERIFY(player.Stop());
    const double stoppedAt = player.Position();
    QTest::qWait(300);
    QVERIFY2(std::abs(player.Position() - stoppedAt) < 0.05,
             qPrintable(QString("%1 then %2").arg(stoppedAt).arg(player.Position())));
    QVERIFY(player.Seek(0));
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() >= 0 && player.Position() < 0.05, kPatienceMs);
    // Playing again from the start still reaches the end.
    QVERIFY(player.Play());
    TNotice notice;
    QVERIFY(NextNotice(player, notice));
    QCOMPARE(notice, TNotice::Ended);
}

void TestMedia::errorWhilePlayingIsAFailedNotice() {
    // The sink fails after a few buffers: well after the preroll, while playing.
    const fx::TSinkOverride sink("identity error-after=10 ! fakesink sync=true");
    TMediaPlayer player;
    QCOMPARE(player.Open(FLong), TOpenResult::Opened);
    QVERIFY(player.Play());
    TNotice notice;
    QVERIFY(NextNotice(player, notice));
    QCOMPARE(notice, TNotice::Failed);
}

void TestMedia::closeDropsANoticeAlreadyQueued() {
    TMediaPlayer player;
    TNoticeCounter counter;
    counter.Watch(player);
    QCOMPARE(player.Open(FShort), TOpenResult::Opened);
    QVERIFY(player.Play());
    QThread::msleep(kPastTheEndMs); // the end is queued for the GUI thread, not yet delivered
    player.Close();
    QTest::qWait(200);
    QCOMPARE(counter.Count, 0);
    TNotice notice;
    QVERIFY(!player.TakeNotice(notice));
}

void TestMedia::openingAnotherFileDropsTheOldFilesNotice() {
    TMediaPlayer player;
    TNoticeCounter counter;
    counter.Watch(player);
    QCOMPARE(player.Open(FShort), TOpenResult::Opened);
    QVERIFY(player.Play());
    QThread::msleep(kPastTheEndMs);
    QCOMPARE(player.Open(FLong), TOpenResult::Opened); // prepared, not playing: it cannot end
    QTest::qWait(200);
    QCOMPARE(counter.Count, 0);
}

void TestMedia::freedPlayerReceivesNothing() {
    auto player = std::make_unique<TMediaPlayer>();
    TNoticeCounter counter;
    counter.Watch(*player);
    QCOMPARE(player->Open(FShort), TOpenResult::Opened);
    QVERIFY(player->Play());
    QThread::msleep(kPastTheEndMs);
    player.reset(); // with its end still queued
    QTest::qWait(200);
    QCOMPARE(counter.Count, 0);
}

void TestMedia::midiIsAudible() {
    const QString recording = Dir().filePath("midi-out.raw");
    const fx::TSinkOverride sink("audioconvert ! audio/x-raw,format=S16LE,channels=1 ! filesink location=" +
                             recording.toUtf8());
    const QString midi = fx::Midi(Dir(), "loud.mid", 96);
    TMediaPlayer player;
    QCOMPARE(player.Open(midi), TOpenResult::Opened);
    QVERIFY(player.Play());
    TNotice notice;
    QVERIFY(NextNotice(player, notice));
    QCOMPARE(notice, TNotice::Ended);
    player.Close();

    QFile f(recording);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.size() > 2000);
    int peak = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        peak = std::max(peak, std::abs(int(qint16(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8)))));
    // One note at velocity 100 peaks near -13 dBFS at the gain we set; at the synthesiser's own
    // gain it stays near -33 dBFS, and without a soundfont there is no sound at all.
    QVERIFY2(peak > 32768 / 8, qPrintable(QString("peak %1").arg(peak)));
}

QTEST_GUILESS_MAIN(TestMedia)
#include "test_media.moc"
