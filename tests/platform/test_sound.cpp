#include "platform/Sound.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Cues play into "fakesink sync=true" (set by the test environment), which keeps real time.
class TestSound : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;
    QString Tone(const QString &name, double seconds) {
        const QString path = FDir.filePath(name);
        QProcess::execute("sox", {"-n", "-r", "22050", "-c", "1", "-b", "16", path, "synth",
                                  QString::number(seconds), "sine", "440"});
        return path;
    }
private Q_SLOTS:
    void initTestCase() { QVERIFY(qEnvironmentVariableIsSet("TELVARO_AUDIO_SINK")); }
    void cleanupTestCase() { platform::ShutdownSound(); }
    void waitingLastsTheSoundsLength();
    void sameCueTwiceWaitsTwice();
    void pressDuringCueRestartsIt();
    void asyncReturnsAtOnceAndIsCutOff();
    void unplayableIsSilent();
};

void TestSound::waitingLastsTheSoundsLength() {
    const QString wav = Tone("half.wav", 0.5);
    QElapsedTimer t;
    t.start();
    QVERIFY(platform::PlaySoundFile(wav, true));
    QVERIFY2(t.elapsed() >= 400, qPrintable(QString::number(t.elapsed())));
    QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
}

void TestSound::sameCueTwiceWaitsTwice() {
    const QString wav = Tone("short.wav", 0.3);
    QVERIFY(platform::PlaySoundFile(wav, true));
    QElapsedTimer t;
    t.start();
    QVERIFY(platform::PlaySoundFile(wav, true)); // replayed from its start, not from its end
    QVERIFY2(t.elapsed() >= 200, qPrintable(QString::number(t.elapsed())));
}

void TestSound::pressDuringCueRestartsIt() {
    const QString wav = Tone("restart.wav", 0.5);
    QVERIFY(platform::PlaySoundFile(wav, false));
    QTest::qWait(300);
    QElapsedTimer t;
    t.start();
    QVERIFY(platform::PlaySoundFile(wav, true)); // from its start again, not the rest of it
    QVERIFY2(t.elapsed() >= 400, qPrintable(QString::number(t.elapsed())));
}

void TestSound::asyncReturnsAtOnceAndIsCutOff() {
    const QString longWav = Tone("long.wav", 3.0);
    const QString shortWav = Tone("click.wav", 0.2);
    QElapsedTimer t;
    t.start();
    QVERIFY(platform::PlaySoundFile(longWav, false));
    QVERIFY(t.elapsed() < 1500);
    // A new cue cuts off the long one: waiting for the short one takes its length only.
    t.restart();
    QVERIFY(platform::PlaySoundFile(shortWav, true));
    QVERIFY2(t.elapsed() < 2500, qPrintable(QString::number(t.elapsed())));
    platform::StopSound();
}

void TestSound::unplayableIsSilent() {
    const QString junk = FDir.filePath("junk.wav");
    QVERIFY(testfiles::WriteFile(junk, QByteArray(4096, 'j')));
    QElapsedTimer t;
    t.start();
    QVERIFY(!platform::PlaySoundFile(junk, true));
    QVERIFY(!platform::PlaySoundFile(FDir.filePath("missing.wav"), true));
    QVERIFY(t.elapsed() < 5000);
}

QTEST_GUILESS_MAIN(TestSound)
#include "test_sound.moc"
