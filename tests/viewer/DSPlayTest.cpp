#include "viewer/DSPlay.h"

#include "support/MusicFixtures.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

namespace fx = musicfixtures;

namespace {
constexpr int kPatienceMs = 10000;
// Long enough for a 0.3 s track to end and its notice to be queued, on a busy machine too.
constexpr unsigned long kPastTheEndMs = 1500;
} // namespace

class TestDSPlay : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    QString FShort, FShort2, FLong, FJunk;

    static bool Closed(const TDSPlayer &p) { return p.State() == TDSPlayer::stClosed && p.FileName().isEmpty(); }
    static bool AtStart(const TDSPlayer &p) { return p.Position() >= 0 && p.Position() < 0.05; }

private Q_SLOTS:
    void initTestCase();
    void openFailureEndsClosed_data();
    void openFailureEndsClosed();
    void playAndRewindFollowTheStateTable();
    void completedTrackIsStoppedAtItsStart_data();
    void completedTrackIsStoppedAtItsStart();
    void completionCanStartAnotherTrack();
    void completionCanReplaceItsOwnHandler();
    void errorWhilePlayingClosesSilently();
    void queuedEndIsDroppedWithItsTrack_data();
    void queuedEndIsDroppedWithItsTrack();
};

void TestDSPlay::initTestCase() {
    const QDir dir(FDir.path());
    FShort = fx::Tone(dir, "short.wav", 0.3);
    FShort2 = fx::Tone(dir, "short2.wav", 0.3);
    FLong = fx::Tone(dir, "long.wav", 3.0);
    FJunk = dir.filePath("corrupt.mp3");
    QVERIFY(testfiles::WriteFile(FJunk, QByteArray(8192, 'j')));
    QVERIFY(!FShort.isEmpty() && !FShort2.isEmpty() && !FLong.isEmpty());
}

void TestDSPlay::openFailureEndsClosed_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("afterGoodFile");
    for (bool after : {false, true}) {
        const char *from = after ? "while playing" : "when closed";
        QTest::addRow("missing, %s", from) << FDir.filePath("missing.wav") << after;
        QTest::addRow("empty name, %s", from) << QString() << after;
        QTest::addRow("corrupt, %s", from) << FJunk << after;
        QTest::addRow("folder, %s", from) << FDir.path() << after;
    }
}

void TestDSPlay::openFailureEndsClosed() {
    QFETCH(QString, file);
    QFETCH(bool, afterGoodFile);
    TDSPlayer player;
    if (afterGoodFile) {
        player.Open(FLong);
        player.Play();
        QCOMPARE(player.State(), TDSPlayer::stPlaying);
    }
    player.Open(file);
    QVERIFY(Closed(player));
    QVERIFY(player.Available()); // a bad file says nothing about the platform
    player.Play();
    QVERIFY(Closed(player));
}

void TestDSPlay::playAndRewindFollowTheStateTable() {
    TDSPlayer player;
    QVERIFY(player.Available() && player.Mp3Supported());
    player.Play();
    QVERIFY(Closed(player));

    const QString written = FDir.filePath("LONG.WAV"); // the disc's spelling, not the file's
    player.Open(written);
    QCOMPARE(player.State(), TDSPlayer::stStopped);
    QCOMPARE(player.FileName(), written);
    player.SetPosition(1.0);
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() > 0.95, kPatienceMs);
    player.StopAndRewind(); // only a playing track is rewound
    QTest::qWait(200);
    QVERIFY(player.Position() > 0.95);

    player.Play();
    QCOMPARE(player.State(), TDSPlayer::stPlaying);
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() > 1.2, kPatienceMs);
    const double before = player.Position();
    player.Play(); // neither restarts nor stops it
    QCOMPARE(player.State(), TDSPlayer::stPlaying);
    QTRY_VERIFY_WITH_TIMEOUT(player.Position() > before + 0.2, kPatienceMs);

    player.StopAndRewind();
    QCOMPARE(player.State(), TDSPlayer::stStopped);
    QCOMPARE(player.FileName(), written);
    QTRY_VERIFY_WITH_TIMEOUT(AtStart(player), kPatienceMs);
    player.Close();
    QVERIFY(Closed(player));
    QCOMPARE(player.Position(), -1.0);
}

void TestDSPlay::completedTrackIsStoppedAtItsStart_data() {
    const QDir dir(FDir.path());
    QTest::addColumn<QString>("file");
    for (const char *name : {"t.wav", "t.mp3", "t.mp2"})
        QTest::newRow(name) << fx::Tone(dir, name, 0.3);
    QTest::newRow("t.mid") << fx::Midi(dir, "t.mid", 58);
}

void TestDSPlay::completedTrackIsStoppedAtItsStart() {
    QFETCH(QString, file);
    QVERIFY(!file.isEmpty());
    struct TSeen {
        TDSPlayer *Sender;
        TDSPlayer::TPlayerState State;
        QString FileName;
        bool OnGuiThread;
    };
    std::vector<TSeen> seen;
    TDSPlayer player;
    QObject::connect(&player, &TDSPlayer::OnComplete, [&](TDSPlayer *sender) {
        seen.push_back({sender, sender->State(), sender->FileName(),
                        QThread::currentThread() == QCoreApplication::instance()->thread()});
    });
    player.Open(file);
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), size_t(1), kPatienceMs);
    QCOMPARE(seen[0].Sender, &player);
    QCOMPARE(seen[0].State, TDSPlayer::stStopped);
    QCOMPARE(seen[0].FileName, file);
    QVERIFY(seen[0].OnGuiThread);
    // Rewound, so it plays whole once more.
    QTRY_VERIFY_WITH_TIMEOUT(AtStart(player), kPatienceMs);
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), size_t(2), kPatienceMs);
}

void TestDSPlay::completionCanStartAnotherTrack() {
    std::vector<QString> ended;
    TDSPlayer player;
    // Two tracks taking turns, as the viewer's random choice does with two tracks.
    QObject::connect(&player, &TDSPlayer::OnComplete, [&](TDSPlayer *sender) {
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
    QTest::qWait(300);
    QCOMPARE(ended.size(), size_t(4));
}

void TestDSPlay::completionCanReplaceItsOwnHandler() {
    int first = 0, second = 0;
    const QString tag = QStringLiteral("first");
    TDSPlayer player;
    QMetaObject::Connection handler;
    handler = QObject::connect(&player, &TDSPlayer::OnComplete, [&, tag](TDSPlayer *sender) {
        QObject::disconnect(handler);
        QObject::connect(sender, &TDSPlayer::OnComplete, [&] { ++second; });
        first += tag.size(); // still reads its own captures once replaced
    });
    player.Open(FShort);
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(first, 5, kPatienceMs);
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(second, 1, kPatienceMs);
}

void TestDSPlay::errorWhilePlayingClosesSilently() {
    const fx::TSinkOverride sink("identity error-after=10 ! fakesink sync=true"); // fails once playing
    int completions = 0;
    TDSPlayer player;
    QObject::connect(&player, &TDSPlayer::OnComplete, [&] { ++completions; });
    player.Open(FLong);
    player.Play();
    QCOMPARE(player.State(), TDSPlayer::stPlaying);
    QTRY_VERIFY_WITH_TIMEOUT(Closed(player), kPatienceMs);
    QVERIFY(player.Available());
    QTest::qWait(300);
    QCOMPARE(completions, 0);
}

void TestDSPlay::queuedEndIsDroppedWithItsTrack_data() {
    QTest::addColumn<int>("action");
    QTest::newRow("closed") << 0;
    QTest::newRow("another track opened") << 1;
    QTest::newRow("player freed") << 2;
}

void TestDSPlay::queuedEndIsDroppedWithItsTrack() {
    QFETCH(int, action);
    auto completions = std::make_shared<int>(0);
    auto player = std::make_unique<TDSPlayer>();
    QObject::connect(player.get(), &TDSPlayer::OnComplete, [completions] { ++*completions; });
    player->Open(FShort);
    player->Play();
    QThread::msleep(kPastTheEndMs); // the end is queued for the GUI thread, not yet handled
    if (action == 0)
        player->Close();
    else if (action == 1)
        player->Open(FLong); // prepared, not playing: it cannot end by itself
    else
        player.reset();
    QTest::qWait(300);
    QCOMPARE(*completions, 0);
}

QTEST_GUILESS_MAIN(TestDSPlay)
#include "DSPlayTest.moc"
