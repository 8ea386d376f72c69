#pragma once
// Fixtures for the picture tests: ImageMagick run as a reference, and a small GIF writer for
// files no encoder would make on purpose.
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTest>

#include <vector>

namespace testsupport {

// Debian's own convert, else whichever is on the path.
inline QString ConvertProgram() {
    if (QFile::exists(QStringLiteral("/usr/bin/convert")))
        return QStringLiteral("/usr/bin/convert");
    return QStandardPaths::findExecutable(QStringLiteral("convert"));
}

inline bool RunMagick(const QString &program, const QStringList &args, QByteArray *out = nullptr) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s %s failed: %s", qPrintable(program), qPrintable(args.join(QLatin1Char(' '))),
                 p.readAllStandardError().constData());
        return false;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}

inline bool Convert(const QStringList &args) { return RunMagick(ConvertProgram(), args); }

inline QByteArray ReadAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteAll(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Runs a viewer test on a 1024 x 768 offscreen screen, as the viewer's layout is checked
// against one; the screen's description is written into Dir.
template <typename TTest>
int RunOn1024x768(int argc, char **argv, const QString &dir) {
    const QString config = dir + QStringLiteral("/screen.json");
    WriteAll(config, R"({"screens": [{"name": "s", "x": 0, "y": 0, "width": 1024, "height": 768,
        "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config));
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Telvaro"));
    TTest test;
    return QTest::qExec(&test, argc, argv);
}

// Writes GIF files block by block. Image data is coded without compression: literal codes
// only, with a clear code before the code width would grow.
class TGifWriter {
public:
    TGifWriter(int width, int height, const std::vector<unsigned> &globalTable = {}, int background = 0,
               const char *version = "GIF89a") {
        Bytes.append(version);
        U16(width);
        U16(height);
        Bytes.append(char(globalTable.empty() ? 0 : 0x80 | (TableBits(globalTable.size()) - 1)));
        Bytes.append(char(background));
        Bytes.append(char(0));
        Table(globalTable);
    }
    void Control(int disposal, int delay, int transparent = -1) {
        Bytes.append("\x21\xF9\x04", 3);
        Bytes.append(char((disposal << 2) | (transparent >= 0 ? 1 : 0)));
        U16(delay);
        Bytes.append(char(transparent >= 0 ? transparent : 0));
        Bytes.append(char(0));
    }
    // Pixels are given in display order; Interlaced stores them in the four-pass order.
    void Image(int left, int top, int w, int h, const std::vector<unsigned char> &pixels,
               const std::vector<unsigned> &localTable = {}, bool interlaced = false, int minCodeSize = 8,
               size_t keepBytes = size_t(-1)) {
        Bytes.append(char(0x2C));
        U16(left);
        U16(top);
        U16(w);
        U16(h);
        Bytes.append(char((localTable.empty() ? 0 : 0x80 | (TableBits(localTable.size()) - 1)) |
                          (interlaced ? 0x40 : 0)));
        Table(localTable);
        std::vector<unsigned char> order;
        if (interlaced) {
            const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass)
                for (int y = start[pass]; y < h; y += step[pass])
                    order.insert(order.end(), pixels.begin() + y * w, pixels.begin() + (y + 1) * w);
        } else {
            order = pixels;
        }
        Bytes.append(char(minCodeSize));
        QByteArray data = Lzw(order, minCodeSize);
        if (keepBytes < size_t(data.size()))
            data.truncate(qsizetype(keepBytes));
        for (qsizetype i = 0; i < data.size(); i += 255) {
            const qsizetype n = std::min<qsizetype>(255, data.size() - i);
            Bytes.append(char(n));
            Bytes.append(data.mid(i, n));
        }
        if (keepBytes == size_t(-1))
            Bytes.append(char(0));
    }
    QByteArray Finish() { return Bytes + char(0x3B); }
    QByteArray Bytes;

private:
    static int TableBits(size_t n) {
        int bits = 1;
        while ((size_t(1) << bits) < n)
            ++bits;
        return bits;
    }
    void U16(int v) {
        Bytes.append(char(v & 0xFF));
        Bytes.append(char((v >> 8) & 0xFF));
    }
    void Table(const std::vector<unsigned> &t) {
        if (t.empty())
            return;
        const size_t n = size_t(1) << TableBits(t.size());
        for (size_t i = 0; i < n; ++i) {
            const unsigned c = i < t.size() ? t[i] : 0;
            Bytes.append(char((c >> 16) & 0xFF));
            Bytes.append(char((c >> 8) & 0xFF));
            Bytes.append(char(c & 0xFF));
        }
    }
    static QByteArray Lzw(const std::vector<unsigned char> &pixels, int mcs) {
        QByteArray out;
        unsigned long long acc = 0;
        int bits = 0;
        const int clear = 1 << mcs;
        int width = mcs + 1;
        int next = clear + 2;
        bool first = true;
        auto put = [&](int code) {
            acc |= (unsigned long long)code << bits;
            bits += width;
            while (bits >= 8) {
                out.append(char(acc & 0xFF));
                acc >>= 8;
                bits -= 8;
            }
        };
        put(clear);
        for (unsigned char p : pixels) {
            if (!first && next + 1 >= (1 << width)) {
                put(clear);
                next = clear + 2;
                first = true;
            }
            put(p & (clear - 1));
            if (!first)
                ++next;
            first = false;
        }
        put(clear + 1);
        if (bits > 0)
            out.append(char(acc & 0xFF));
        return out;
    }
};

} // namespace testsupport
