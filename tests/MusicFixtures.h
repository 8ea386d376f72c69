#pragma once
// Music files for the player tests, made on the spot: tones by sox, encoded by lame (MP3) and by
// GStreamer's own MPEG-1 layer 2 encoder (MP2), and MIDI written byte by byte.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace musicfixtures {

inline bool Run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s %s failed: %s", qPrintable(program), qPrintable(args.join(u' ')),
                 p.readAllStandardError().constData());
        return false;
    }
    return true;
}

// A sine tone of Seconds at Hz, 44.1 kHz mono 16-bit.
inline QString Wav(const QDir &dir, const QString &name, double seconds, int hz = 440) {
    const QString path = dir.filePath(name);
    if (!Run(QStringLiteral("sox"), {"-n", "-r", "44100", "-c", "1", "-b", "16", path, "synth",
                                     QString::number(seconds), "sine", QString::number(hz)}))
        return {};
    return path;
}

inline QString Mp3(const QDir &dir, const QString &name, double seconds, int hz = 440) {
    const QString wav = Wav(dir, name + QStringLiteral(".src.wav"), seconds, hz);
    const QString path = dir.filePath(name);
    if (wav.isEmpty() || !Run(QStringLiteral("lame"), {"--quiet", wav, path}))
        return {};
    return path;
}

inline QString Mp2(const QDir &dir, const QString &name, double seconds, int hz = 440) {
    const QString wav = Wav(dir, name + QStringLiteral(".src.wav"), seconds, hz);
    const QString path = dir.filePath(name);
    if (wav.isEmpty() || !Run(QStringLiteral("gst-launch-1.0"),
                              {"-q", "filesrc", "location=" + wav, "!", "wavparse", "!", "audioconvert", "!",
                               "twolamemp2enc", "!", "filesink", "location=" + path}))
        return {};
    return path;
}

// Standard MIDI file, format 0, 96 ticks a quarter note at the default 120 beats a minute (so a
// tick is 1/192 s): a piano playing Key at velocity 100 for Ticks.
inline QString Midi(const QDir &dir, const QString &name, int ticks, int key = 69) {
    auto varLen = [](quint32 v) {
        QByteArray out(1, char(v & 0x7f));
        while (v >>= 7)
            out.prepend(char(0x80 | (v & 0x7f)));
        return out;
    };
    QByteArray track;
    track += QByteArray::fromHex("00c000");                                   // program 0: piano
    track += QByteArray::fromHex("0090") + char(key) + char(100);             // note on
    track += varLen(quint32(ticks)) + QByteArray::fromHex("80") + char(key) + char(0); // note off
    track += QByteArray::fromHex("00ff2f00");                                 // end of track
    QByteArray file = QByteArray::fromHex("4d546864" "00000006" "0000" "0001" "0060"); // MThd
    file += QByteArray::fromHex("4d54726b");                                  // MTrk
    const quint32 n = quint32(track.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        file += char(n >> shift);
    file += track;
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(file) != file.size())
        return {};
    return path;
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

// Bytes that no decoder takes for music, under a music file's name.
inline QString Junk(const QDir &dir, const QString &name) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(QByteArray(8192, 'j'));
    return path;
}

} // namespace musicfixtures
