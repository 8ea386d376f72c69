#include "viewer/DSPlay.h"

#include "MusicFixtures.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

namespace fx = musicfixtures;

namespace {

constexpr int kPatienceMs = 10000;
constexpr unsigned long kPastTheEndMs = 1500;

// What OnComplete saw, each time it was raised.
struct TCompletion {
    TDSPlayer *Sender = nullptr;
    TDSPlayer::TPlayerState State = TDSPlayer::stClosed;
    QString FileName;
    bool OnGuiThread = false;
};

} // namespace

class TestDSPlay : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    QDir Dir() const { return QDir(FDir.path()); }
    QString FShort, FShort2, FLong;

    static void Record(TDSPlayer &player, std::vector<TCompletion> &log) {
        player.SetOnComplete([&log](TDSPlayer *sender) {
            log.push_back({sender, sender->State(), sender->FileName(),
                           QThread::currentThread() == QCoreApplication::instance()->thread()});
        });
    }
    static void ExpectClosed(const TDSPlayer &player) {
        QCOMPARE(player.State(), TDSPlayer::stClosed);
        QVERIFY(player.FileName().isEmpty());
    }

private Q_SLOTS:
    void initTestCase();
    void createdClosed();
    void openFailureEndsClosed_data();
    void openFailureEndsClosed();
    void openKeepsTheNameAsGiven();
    void playRunsOnlyAStoppedTrack();
    void stopAndRewindKeepsTheFile();
    void stopAndRewindLeavesAStoppedTrackAlone();
    void closedTrackNeverCompletes();
    void completedTrackIsStoppedAtItsStart_data();
    void completedTrackIsStoppedAtItsStart();
    void completionCanStartAnotherTrack();
    void completionCanReplaceItsOwnHandler();
    void errorWhilePlayingClosesSilently();
    void freedWhilePlayingRaisesNothing();
    void withoutPlaybinNothingHappens();
};

void TestDSPlay::initTestCase() {
    QVERIFY(FDir.isValid());
    FShort = fx::Wav(Dir(), "short.wav", 0.3, 440);
    FShort2 = fx::Wav(Dir(), "short2.wav", 0.3, 660);
    FLong = fx::Wav(Dir(), "long.wav", 3.0);
    QVERIFY(!FShort.isEmpty() && !FShort2.isEmpty() && !FLong.isEmpty());
}

void TestDSPlay::createdClosed() {
    TDSPlayer player;
    QVERIFY(player.Available());
    QVERIFY(player.Mp3Supported());
    ExpectClosed(player);
    QCOMPARE(player.Position(), -1.0);
}

void TestDSPlay::openFailureEndsClosed_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("fromOpen");
    const QString junk = fx::Junk(Dir(), "corrupt.mp3");
    for (bool fromOpen : {false, true}) {
        const char *from = fromOpen ? "after a good file" : "when closed";
        QTest::addRow("missing file, %s", from) << Dir().filePath("missing.wav") << fromOpen;
        QTest::addRow("empty name, %s", from) << QString() << fromOpen;
        QTest::addRow("corrupt file, %s", from) << junk << fromOpen;
        QTest::addRow("folder, %s", from) << Dir().path() << fromOpen;
    }
}

void TestDSPlay::openFailureEndsClosed() {
    QFETCH(QString, file);
    QFETCH(bool, fromOpen);
    TDSPlayer player;
    if (fromOpen) {
        player.Open(FLong);
        player.Play();
        QCOMPARE(player.State(), TDSPlayer::stPlaying);
    }
    player.Open(file);
    ExpectClosed(player);
    QVERIFY(player.Available()); // a file that fails says nothing about the platform
    player.Play();
    ExpectClosed(player);
}

void TestDSPlay::openKeepsTheNameAsGiven() {
    TDSPlayer player;
    const QString written = Dir().filePath("LONG.WAV");
    player.Open(written);
    QCOMPARE(player.State(), TDSPlayer::stStopped);
    QCOMPARE(player.FileName(), written);
}

void TestDSPlay::playRunsOnlyAStoppedTrack() {
    TDSPlayer player;
    player.Play();
    ExpectClosed(player);
    player.Open(FLong);
    QCOMPARE(player.State(), TDSPlayer::stStopped);
    player.Play();
    QCOMPARE(player.State(), TDSPlayer::stPlaying);
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() > 0.3, kPatienceMs);
    const double before = player.Position();
    player.Play(); // a second Play neither restarts nor stops the track
    QCOMPARE(player.State(), TDSPlayer::stPlaying);
    QCOMPARE(player.FileName(), FLong);
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() > before + 0.2, kPatienceMs);
}

void TestDSPlay::stopAndRewindKeepsTheFile() {
    TDSPlayer player;
    player.Open(FLong);
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() > 0.3, kPatienceMs);
    player.StopAndRewind();
    QCOMPARE(player.State(), TDSPlayer::stStopped);
    QCOMPARE(player.FileName(), FLong);
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() >= 0 && player.Position() < 0.05, kPatienceMs);
}

void TestDSPlay::stopAndRewindLeavesAStoppedTrackAlone() {
    TDSPlayer player;
    player.Open(FLong);
    player.SetPosition(1.0);
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() > 0.95, kPatienceMs);
    player.StopAndRewind();
    QCOMPARE(player.State(), TDSPlayer::stStopped);
    QTest::qWait(200);
    QVERIFY(player.Position() > 0.95);
}

void TestDSPlay::closedTrackNeverCompletes() {
    std::vector<TCompletion> log;
    TDSPlayer player;
    Record(player, log);
    player.Open(FShort);
    player.Play();
    QThread::msleep(kPastTheEndMs); // its end is queued, not yet handled
    player.Close();
    ExpectClosed(player);
    QTest::qWait(300);
    QCOMPARE(log.size(), size_t(0));
}

void TestDSPlay::completedTrackIsStoppedAtItsStart_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("wav") << fx::Wav(Dir(), "t.wav", 0.3);
    QTest::newRow("mp3") << fx::Mp3(Dir(), "t.mp3", 0.3);
    QTest::newRow("mp2") << fx::Mp2(Dir(), "t.mp2", 0.3);
    QTest::newRow("mid") << fx::Midi(Dir(), "t.mid", 58);
}

void TestDSPlay::completedTrackIsStoppedAtItsStart() {
    QFETCH(QString, file);
    QVERIFY(!file.isEmpty());
    std::vector<TCompletion> log;
    TDSPlayer player;
    Record(player, log);
    player.Open(file);
    player.Play();
    QCOMPARE(player.State(), TDSPlayer::stPlaying);
    QTRY_COMPARE_WITH_TIMEOUT(log.size(), size_t(1), kPatienceMs);
    QCOMPARE(log[0].Sender, &player);
    QCOMPARE(log[0].State, TDSPlayer::stStopped);
    QCOMPARE(log[0].FileName, file);
    QVERIFY(log[0].OnGuiThread);
    // Rewound: playing it again plays it whole once more.
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() >= 0 && player.Position() < 0.05, kPatienceMs);
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(log.size(), size_t(2), kPatienceMs);
    QCOMPARE(log[1].FileName, file);
}

void TestDSPlay::completionCanStartAnotherTrack() {
    std::vector<QString> ended;
    TDSPlayer player;
    // Two tracks taking turns, as the viewer's random choice does with two tracks.
    player.SetOnComplete([&](TDSPlayer *sender) {
        ended.push_back(sender->FileName());
        if (ended.size() < 4) {
            sender->Open(sender->FileName() == FShort ? FShort2 : FShort);
            sender->Play();
        }
    });
    player.Open(FShort);
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), size_t(4), kPatienceMs);
    QCOMPARE(ended, (std::vector<QString>{FShort, FShort2, FShort, FShort2}));
    QCOMPARE(player.State(), TDSPlayer::stStopped);
    QTest::qWait(300);
    QCOMPARE(ended.size(), size_t(4));
}

void TestDSPlay::completionCanReplaceItsOwnHandler() {
    int first = 0, second = 0;
    TDSPlayer player;
    const QString tag = QStringLiteral("first handler");
    player.SetOnComplete([&, tag](TDSPlayer *sender) {
        sender->SetOnComplete([&](TDSPlayer *) { ++second; });
        // Still reading what it captured after it has been replaced.
        first += tag.size() > 0 ? 1 : 0;
    });
    player.Open(FShort);
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(first, 1, kPatienceMs);
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(second, 1, kPatienceMs);
    QCOMPARE(first, 1);
}

void TestDSPlay::errorWhilePlayingClosesSilently() {
    const fx::TSinkOverride sink("identity error-after=10 ! fakesink sync=true");
    std::vector<TCompletion> log;
    TDSPlayer player;
    Record(player, log);
    player.Open(FLong);
    player.Play();
    QCOMPARE(player.State(), TDSPlayer::stPlaying);
    QTRY_COMPARE_WITH_TIMEOUT(player.State(), TDSPlayer::stClosed, kPatienceMs);
    QVERIFY(player.FileName().isEmpty());
    QVERIFY(player.Available());
    QTest::qWait(300);
    QCOMPARE(log.size(), size_t(0));
}

void TestDSPlay::freedWhilePlayingRaisesNothing() {
    auto completions = std::make_shared<int>(0);
    auto player = std::make_unique<TDSPlayer>();
    player->SetOnComplete([completions](TDSPlayer *) { ++*completions; });
    player->Open(FShort);
    player->Play();
    QThread::msleep(kPastTheEndMs);
    player.reset(); // with its end still queued
    QTest::qWait(300);
    QCOMPARE(*completions, 0);
}

void TestDSPlay::withoutPlaybinNothingHappens() {
    if (qEnvironmentVariableIsSet("TELVARO_TEST_NO_PLUGINS")) {
        TDSPlayer player;
        QVERIFY(!player.Available());
        QVERIFY(!player.Mp3Supported());
        player.Open(FLong);
        ExpectClosed(player);
        player.Play();
        player.SetPosition(1.0);
        player.StopAndRewind();
        player.Close();
        ExpectClosed(player);
        return;
    }
    // This test again, in a process whose media framework finds no plugins at all.
    QTemporaryDir empty;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TELVARO_TEST_NO_PLUGINS", "1");
    env.insert("GST_PLUGIN_SYSTEM_PATH_1_0", empty.path());
    env.insert("GST_PLUGIN_PATH_1_0", empty.path());
    env.insert("GST_REGISTRY_1_0", empty.filePath("registry.bin"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"withoutPlaybinNothingHappens"});
    QVERIFY(child.waitForFinished(120000));
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, child.readAll().constData());
}

QTEST_GUILESS_MAIN(TestDSPlay)
#include "DSPlayTest.moc"
