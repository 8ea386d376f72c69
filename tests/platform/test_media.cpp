// The music player's own choices for MIDI; how tracks open, play, end and fail is tested through
// TDSPlayer in tests/viewer.
#include "platform/Media.h"
#include "platform/MediaLoader.h"
#include "platform/Shell.h"

#include "support/MusicFixtures.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

using platform::TMediaPlayer;

class TestMedia : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void mediaLayerLoadsOnFirstUse();
    void unloadableModuleIsReported_data();
    void unloadableModuleIsReported();
    void midiIsAsLoudAsATrack();
};

using testfiles::Mapped;

void TestMedia::mediaLayerLoadsOnFirstUse() {
    QVERIFY(!Mapped("libgstreamer-1.0"));
    QVERIFY(!platform::LoadedMediaTable());
    QVERIFY(TMediaPlayer::Available());
    QVERIFY(Mapped("libgstreamer-1.0") && platform::LoadedMediaTable());
    QVERIFY(platform::MediaLoadError().isEmpty());
}

void TestMedia::unloadableModuleIsReported_data() {
    QTest::addColumn<bool>("media");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("says");
    QTest::newRow("missing") << true << "/nonexistent/libtelvaro_media.so"
                             << "no se pudo cargar /nonexistent/libtelvaro_media.so";
    QTest::newRow("another library") << true << "libz.so.1" << "libz.so.1 no es el módulo de sonido";
    QTest::newRow("desktop: missing") << false << "/nonexistent/libtelvaro_desktop.so"
                                      << "no se pudo cargar /nonexistent/libtelvaro_desktop.so";
    QTest::newRow("desktop: the sound module") << false << "libtelvaro_media.so"
                                               << "libtelvaro_media.so no es el módulo del escritorio";
}

void TestMedia::unloadableModuleIsReported() {
    QFETCH(bool, media);
    QFETCH(QString, file);
    QFETCH(QString, says);
    QString error;
    QVERIFY(media ? !platform::LoadMediaTable(file, &error) : !platform::LoadDesktopTable(file, &error));
    QVERIFY2(error.startsWith(says), qPrintable(error));
}

void TestMedia::midiIsAsLoudAsATrack() {
    QTemporaryDir dir;
    const QString recording = dir.filePath("out.raw");
    const musicfixtures::TSinkOverride sink("audioconvert ! audio/x-raw,format=S16LE,channels=1 ! filesink location=" +
                                            recording.toUtf8());
    TMediaPlayer player;
    QCOMPARE(player.Open(musicfixtures::Midi(QDir(dir.path()), "a.mid", 96)), TMediaPlayer::TOpenResult::Opened);
    QVERIFY(player.Play());
    TMediaPlayer::TNotice notice;
    QVERIFY(QTest::qWaitFor([&] { return player.TakeNotice(notice); }, 10000));
    QCOMPARE(notice, TMediaPlayer::TNotice::Ended);
    player.Close();

    QFile f(recording);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    int peak = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        peak = std::max(peak, std::abs(int(qint16(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8)))));
    // One note at velocity 100 peaks near -13 dBFS at the gain we set; at the synthesiser's own
    // gain near -33 dBFS, and without a soundfont there is no sound at all.
    QVERIFY2(peak > 32768 / 8, qPrintable(QString("peak %1").arg(peak)));
}

QTEST_GUILESS_MAIN(TestMedia)
#include "test_media.moc"
