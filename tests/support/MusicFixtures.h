#pragma once
// Music files for the player tests, made on the spot: tones by sox, encoded by lame (MP3) or by
// GStreamer's MPEG-1 layer 2 encoder (MP2); MIDI written byte by byte.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

namespace musicfixtures {

inline bool Run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok)
        qWarning("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
    return ok;
}

// A sine tone of Seconds at 440 Hz, 44.1 kHz mono, as "wav", "mp3" or "mp2" by Name's extension.
// Empty when it could not be made.
inline QString Tone(const QDir &dir, const QString &name, double seconds) {
    const QString path = dir.filePath(name), wav = path + ".src.wav";
    if (!Run("sox", {"-n", "-r", "44100", "-c", "1", "-b", "16", wav, "synth", QString::number(seconds), "sine", "440"}))
        return {};
    bool ok = true;
    if (name.endsWith(".mp3"))
        ok = Run("lame", {"--quiet", wav, path});
    else if (name.endsWith(".mp2"))
        ok = Run("gst-launch-1.0", {"-q", "filesrc", "location=" + wav, "!", "wavparse", "!", "audioconvert", "!",
                                    "twolamemp2enc", "!", "filesink", "location=" + path});
    else
        ok = QFile::rename(wav, path);
    return ok ? path : QString();
}

// A standard MIDI file, format 0, 96 ticks a quarter at 120 beats a minute (a tick is 1/192 s):
// a piano playing A4 at velocity 100 for Ticks (under 16384).
inline QString Midi(const QDir &dir, const QString &name, int ticks) {
    const QByteArray track = QByteArray::fromHex("00c000" "00904564") + char(0x80 | (ticks >> 7)) +
                             char(ticks & 0x7f) + QByteArray::fromHex("804500" "00ff2f00");
    const QByteArray file = QByteArray::fromHex("4d546864" "00000006" "0000" "0001" "0060" "4d54726b" "000000") +
                            char(track.size()) + track;
    QFile f(dir.filePath(name));
    return f.open(QIODevice::WriteOnly) && f.write(file) == file.size() ? f.fileName() : QString();
}

// Sets TELVARO_AUDIO_SINK for one scope; the music player reads it at each Open.
class TSinkOverride {
public:
    explicit TSinkOverride(const QByteArray &description) : FOld(qgetenv("TELVARO_AUDIO_SINK")) {
        qputenv("TELVARO_AUDIO_SINK", description);
    }
    ~TSinkOverride() { qputenv("TELVARO_AUDIO_SINK", FOld); }

private:
    QByteArray FOld;
};

} // namespace musicfixtures
