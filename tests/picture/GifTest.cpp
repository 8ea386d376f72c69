// The GIF decoder and compositor, frame by frame against ImageMagick's -coalesce and, for the raw
// frames, against giflib; then the cases no encoder makes on purpose, built byte by byte.
#include "support/PictureFixtures.h"

#include "picture/GifAnimation.h"
#include "picture/GifDecoder.h"
#include "picture/Picture.h"
#include "picture/Prepare.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gif_lib.h>

using namespace testsupport;
using testfiles::ReadFile;
using testfiles::WriteFile;
using testpictures::TGifWriter;

namespace {

// The raw frames as giflib reads them: rectangle and colour indices, display order.
struct TRefFrame {
    QRect Rect;
    int TableSize = 0;
    std::vector<unsigned char> Pixels;
};

bool GiflibFrames(const QString &path, std::vector<TRefFrame> &frames, QString *why) {
    int err = 0;
    GifFileType *gif = DGifOpenFileName(QFile::encodeName(path).constData(), &err);
    if (!gif) {
        *why = QStringLiteral("open failed %1").arg(err);
        return false;
    }
    const int rc = DGifSlurp(gif);
    if (rc != GIF_OK && gif->ImageCount == 0) {
        *why = QStringLiteral("slurp failed %1").arg(gif->Error);
        DGifCloseFile(gif, &err);
        return false;
    }
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage &s = gif->SavedImages[i];
        TRefFrame f;
        f.Rect = QRect(s.ImageDesc.Left, s.ImageDesc.Top, s.ImageDesc.Width, s.ImageDesc.Height);
        const ColorMapObject *map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap;
        f.TableSize = map ? map->ColorCount : 0;
        if (s.RasterBits)
            f.Pixels.assign(s.RasterBits, s.RasterBits + size_t(f.Rect.width()) * size_t(f.Rect.height()));
        frames.push_back(std::move(f));
    }
    DGifCloseFile(gif, &err);
    return true;
}

void CompareRawFrames(const TGifImage &gif, const QString &path) {
    std::vector<TRefFrame> ref;
    QString why;
    QVERIFY2(GiflibFrames(path, ref, &why), qPrintable(why));
    QCOMPARE(gif.FrameCount(), int(ref.size()));
    for (int k = 0; k < gif.FrameCount(); ++k) {
        const TGifFrame &f = gif.Frame(k);
        QCOMPARE(f.FileRect, ref[size_t(k)].Rect);
        if (ref[size_t(k)].TableSize > 0)
            QCOMPARE(int(gif.ColorTable(k).size()), ref[size_t(k)].TableSize);
        if (f.Rect != f.FileRect || ref[size_t(k)].Pixels.empty())
            continue;  // clipped: compared through the composites
        QVERIFY2(f.Pixels == ref[size_t(k)].Pixels, qPrintable(QStringLiteral("frame %1").arg(k)));
    }
}

QStringList Args(const QString &text) { return QProcess::splitCommand(text); }

} // namespace

class TGifTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void againstMagick_data();
    void againstMagick();
    void otherEncoders();
    void builtFiles_data();
    void builtFiles();
    void disposalsAndRebuild();
    void greyConversion();
    void transparencySwitch();
    void limits_data();
    void limits();
    void frameInterval();
    void firstFrameEarly();
    void holderChoosesByExtension();
};

void TGifTest::againstMagick_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("bits");
    // Every disposal method, transparency, local palettes, interlace, 1- and 4-bit pictures and
    // frame rectangles that are odd, partial or reach outside the screen.
    QTest::newRow("disposals") << "-delay 20 -size 40x30 gradient:red-blue "
                                  "-dispose Background -page 40x30+3+4 -size 12x9 xc:yellow "
                                  "-dispose Previous -page 40x30+20+10 -size 15x15 pattern:checkerboard "
                                  "-dispose None -page 40x30+1+1 -size 5x7 xc:green "
                                  "-page 40x30+30+2 -size 7x3 xc:white"
                               << 8;
    QTest::newRow("previous-chain") << "-size 50x40 xc:navy -dispose Previous "
                                       "-page 50x40+0+0 -size 20x20 xc:red "
                                       "-page 50x40+10+10 -size 20x20 xc:lime "
                                       "-page 50x40+25+15 -size 25x25 xc:yellow "
                                       "-dispose None -page 50x40+5+5 -size 9x9 xc:white"
                                    << 1;
    QTest::newRow("transparency") << "-size 48x36 gradient:white-black "
                                     "( -size 20x20 xc:none +antialias -fill red -draw \"circle 10,10 10,2\" "
                                     "-repage 48x36+4+4 ) "
                                     "( -size 30x10 xc:none +antialias -fill blue -draw \"rectangle 2,2 27,7\" "
                                     "-repage 48x36+10+20 -dispose Background ) "
                                     "( -size 16x16 xc:none +antialias -fill lime -draw \"circle 8,8 8,1\" "
                                     "-repage 48x36+28+2 )"
                                  << 8;
    QTest::newRow("local-palettes") << "-size 64x48 gradient:red-yellow "
                                       "( -size 40x30 gradient:blue-cyan -repage 64x48+10+9 ) "
                                       "( -size 64x48 plasma:fractal -seed 7 -colors 200 ) "
                                       "( -size 17x13 gradient:magenta-green -repage 64x48+47+35 )"
                                    << 8;
    QTest::newRow("interlaced") << "-interlace GIF -size 37x29 gradient:orange-purple "
                                   "( -size 23x19 pattern:hexagons -repage 37x29+5+3 ) "
                                   "( -size 9x31 xc:teal -repage 37x29+20+0 )"
                                << 8;
    QTest::newRow("one-bit") << "-size 33x17 pattern:checkerboard -monochrome "
                                "( -size 12x12 pattern:gray50 -monochrome -repage 33x17+3+2 ) "
                                "( -size 33x17 pattern:crosshatch -monochrome )"
                             << 1;
    QTest::newRow("four-bit") << "-size 45x25 gradient:red-blue -colors 16 "
                                 "( -size 20x20 gradient:green-yellow -colors 12 -repage 45x25+13+3 )"
                              << 4;
    QTest::newRow("outside-screen") << "-size 30x30 xc:gray "
                                       "( -size 20x20 xc:red -repage 30x30+20+20 ) "
                                       "( -size 50x8 xc:blue -repage 30x30+0+11 ) "
                                       "( -size 1x1 xc:white -repage 30x30+29+29 )"
                                    << 1;
    QTest::newRow("single-frame") << "-size 31x7 gradient:black-white" << 4;
    QTest::newRow("single-frame-256") << "-size 16x16 xc: -fx \"(i+16*j)/255\"" << 8;
}

void TGifTest::againstMagick() {
    QFETCH(QString, args);
    QFETCH(int, bits);
    QTemporaryDir dir;
    const QString gifPath = dir.filePath(QStringLiteral("a.gif"));
    QVERIFY(Convert(Args(args) << QStringLiteral("-loop") << QStringLiteral("0") << gifPath));
    QVERIFY(Convert({gifPath, QStringLiteral("-coalesce"), QStringLiteral("+adjoin"),
                     QStringLiteral("PNG32:") + dir.filePath(QStringLiteral("ref-%03d.png"))}));
    QByteArray delays;
    QVERIFY(RunMagick(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%T\n"), gifPath},
                      &delays));

    TGifImage gif;
    QVERIFY2(gif.Load(ReadFile(gifPath)), qPrintable(gif.Error()));
    const QStringList refs = QDir(dir.path()).entryList({QStringLiteral("ref-*.png")}, QDir::Files, QDir::Name);
    QCOMPARE(gif.FrameCount(), int(refs.size()));
    QCOMPARE(gif.BitsPerPixel(), bits);
    const QList<QByteArray> ticks = delays.trimmed().split('\n');
    QCOMPARE(int(ticks.size()), gif.FrameCount());
    CompareRawFrames(gif, gifPath);

    TGifAnimation animation(gif);
    qint64 compared = 0, total = 0;
    for (int k = 0; k < gif.FrameCount(); ++k) {
        QCOMPARE(gif.Frame(k).DelayMs, ticks[k].toInt() * 10);
        const QImage ref = QImage(dir.filePath(refs[k])).convertToFormat(QImage::Format_ARGB32);
        const QImage &ours = animation.Composite(k);
        QCOMPARE(ours.size(), ref.size());
        for (int y = 0; y < ref.height(); ++y)
            for (int x = 0; x < ref.width(); ++x) {
                const QRgb r = ref.pixel(x, y);
                ++total;
                if (qAlpha(r) != 255)
                    continue;
                ++compared;
                const QRgb o = ours.pixel(x, y);
                if ((o & 0xFFFFFF) != (r & 0xFFFFFF))
                    QFAIL(qPrintable(QStringLiteral("frame %1 at %2,%3: ours %4, reference %5")
                                         .arg(k).arg(x).arg(y).arg(o & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                                         .arg(r & 0xFFFFFF, 6, 16, QLatin1Char('0'))));
            }
    }
    // The comparison must not be vacuous.
    QVERIFY2(compared * 2 > total, qPrintable(QStringLiteral("%1 of %2").arg(compared).arg(total)));

    // Jumping about gives the same frames as playing them in order.
    TGifAnimation jumping(gif);
    for (int k = gif.FrameCount() - 1; k >= 0; --k) {
        TGifAnimation fresh(gif);
        for (int j = 0; j <= k; ++j)
            fresh.Composite(j);
        QCOMPARE(jumping.Composite(k), fresh.Composite(k));
    }
}

void TGifTest::otherEncoders() {
    const QString folder = qEnvironmentVariable("TELVARO_SOURCE_DIR") + QStringLiteral("/tests/data/picture");
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.gif")}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 3);
    for (const QString &name : files) {
        const QString path = folder + QLatin1Char('/') + name;
        TGifImage gif;
        QVERIFY2(gif.Load(ReadFile(path)), qPrintable(name + QStringLiteral(": ") + gif.Error()));
        CompareRawFrames(gif, path);
        TGifAnimation animation(gif);
        for (int k = 0; k < gif.FrameCount(); ++k)
            QVERIFY(!animation.Composite(k).isNull());
    }
}

void TGifTest::builtFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("firstRect");
    QTest::addColumn<bool>("truncated");
    const std::vector<unsigned> bw = {0x000000, 0xFFFFFF};
    const std::vector<unsigned char> four(4, 1);
    {
        TGifWriter w(2, 2, bw, 0, "GIF87a");
        w.Image(0, 0, 2, 2, four, {}, false, 2);
        QTest::newRow("87a") << w.Finish() << 1 << QSize(2, 2) << QRect(0, 0, 2, 2) << false;
    }
    {
        TGifWriter w(4, 4, bw);
        w.Image(3, 3, 2, 2, four);
        QTest::newRow("clipped at the corner") << w.Finish() << 1 << QSize(4, 4) << QRect(3, 3, 1, 1) << false;
    }
    {
        TGifWriter w(4, 4, bw);
        w.Image(9, 9, 2, 2, four);
        w.Image(0, 0, 0, 0, {});
        QTest::newRow("outside and empty") << w.Finish() << 2 << QSize(4, 4) << QRect() << false;
    }
    {
        TGifWriter w(0, 0, bw);
        w.Image(1, 2, 3, 4, std::vector<unsigned char>(12, 1));
        QTest::newRow("screen of no size") << w.Finish() << 1 << QSize(4, 6) << QRect(1, 2, 3, 4) << false;
    }
    {
        TGifWriter w(3, 3);  // no colour table anywhere
        w.Image(0, 0, 3, 3, std::vector<unsigned char>(9, 1), {}, false, 2);
        QTest::newRow("no colour table") << w.Finish() << 1 << QSize(3, 3) << QRect(0, 0, 3, 3) << false;
    }
    {
        TGifWriter w(30, 30, bw);
        w.Image(0, 0, 30, 30, std::vector<unsigned char>(900, 1));
        w.Image(0, 0, 30, 30, std::vector<unsigned char>(900, 0), {}, false, 8, 40);
        QByteArray b = w.Bytes;  // ends inside the second frame's data
        QTest::newRow("truncated frame") << b << 2 << QSize(30, 30) << QRect(0, 0, 30, 30) << false;
    }
    {
        TGifWriter w(5, 5, bw);
        w.Image(0, 0, 5, 5, std::vector<unsigned char>(25, 1));
        QByteArray b = w.Bytes + QByteArray("\x00\x00garbage", 9);  // no trailer, junk instead
        QTest::newRow("junk instead of trailer") << b << 1 << QSize(5, 5) << QRect(0, 0, 5, 5) << false;
    }
    {
        // Code sizes above 8 for 8-bit data, as some encoders write them.
        for (int size : {9, 11}) {
            TGifWriter w(5, 5, bw);
            w.Image(0, 0, 5, 5, std::vector<unsigned char>(25, 1), {}, false, size);
            QTest::newRow(qPrintable(QString("code size %1").arg(size))) << w.Finish() << 1 << QSize(5, 5) << QRect(0, 0, 5, 5) << false;
        }
        TGifWriter w(5, 5, bw);
        w.Image(0, 0, 5, 5, std::vector<unsigned char>(25, 1));
        w.Image(0, 0, 5, 5, std::vector<unsigned char>(25, 0), {}, false, 12);
        QTest::newRow("undecodable later frame") << w.Finish() << 1 << QSize(5, 5) << QRect(0, 0, 5, 5) << false;
    }
}

void TGifTest::builtFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, frames);
    QFETCH(QSize, screen);
    QFETCH(QRect, firstRect);
    QFETCH(bool, truncated);
    TGifImage gif;
    QVERIFY2(gif.Load(bytes), qPrintable(gif.Error()));
    QCOMPARE(gif.FrameCount(), frames);
    QCOMPARE(QSize(gif.Width(), gif.Height()), screen);
    QCOMPARE(gif.Frame(0).Rect, firstRect);
    QCOMPARE(gif.Frame(0).Truncated, truncated);
    QCOMPARE(gif.Frame(0).Pixels.size(), size_t(firstRect.width()) * size_t(firstRect.height()));
    TGifAnimation animation(gif);
    for (int k = 0; k < frames; ++k)
        QCOMPARE(animation.Composite(k).size(), screen);
    if (QTest::currentDataTag() == QByteArrayLiteral("no colour table")) {
        // A grey ramp over the code size: index 1 of 4 entries.
        QCOMPARE(gif.ColorOf(0, 1), qRgb(85, 85, 85));
        QCOMPARE(gif.BitsPerPixel(), 4);
    }
    if (QTest::currentDataTag() == QByteArrayLiteral("code size 11"))
        QCOMPARE(gif.Frame(0).Pixels, std::vector<quint8>(25, 1));
    if (QTest::currentDataTag() == QByteArrayLiteral("truncated frame")) {
        const TGifFrame &f = gif.Frame(1);
        QVERIFY(f.Truncated);
        QCOMPARE(f.Pixels.size(), size_t(900));
    }
}

// Disposal methods on a 4 x 1 screen whose colours say what happened, including the undefined
// values 4 to 7 (kept) and restore-to-previous over an earlier restore.
void TGifTest::disposalsAndRebuild() {
    const std::vector<unsigned> table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    TGifWriter w(4, 1, table, 4);
    w.Control(1, 0);
    w.Image(0, 0, 4, 1, {1, 1, 1, 1});      // red everywhere
    w.Control(3, 2);
    w.Image(1, 0, 2, 1, {2, 2});            // green in the middle, then restored
    w.Control(2, 0, 1);
    w.Image(2, 0, 2, 1, {3, 1});            // blue, then cleared to its transparent colour
    w.Control(6, 0);
    w.Image(0, 0, 1, 1, {2});               // green at 0; disposal 6 acts as none
    w.Control(2, 0);
    w.Image(3, 0, 1, 1, {3});               // cleared to the background colour
    w.Control(0, 0);
    w.Image(1, 0, 1, 1, {3});
    TGifImage gif;
    QVERIFY(gif.Load(w.Finish()));
    QCOMPARE(gif.Frame(3).Disposal(), TGifDisposal::None);
    QCOMPARE(gif.Frame(3).StoredDisposal, 6);
    QCOMPARE(gif.ClearColor(2), qRgb(255, 0, 0));
    QCOMPARE(gif.ClearColor(4), qRgb(255, 255, 255));
    const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255);
    const std::vector<std::vector<QRgb>> expected = {
        {R, R, R, R}, {R, G, G, R}, {R, R, B, R}, {G, R, R, R}, {G, R, R, B}, {G, B, R, W}};
    TGifAnimation animation(gif);
    for (int round = 0; round < 2; ++round)  // the second round wraps around and rebuilds
        for (int k = 0; k < gif.FrameCount(); ++k) {
            const QImage &c = animation.Composite(k);
            for (int x = 0; x < 4; ++x)
                QCOMPARE(c.pixel(x, 0), expected[size_t(k)][size_t(x)]);
        }
    QCOMPARE(gif.Frame(1).DelayMs, 20);
}

void TGifTest::greyConversion() {
    const std::vector<unsigned> global = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456};
    TGifWriter w(2, 1, global, 3);
    w.Control(0, 0, 0);
    w.Image(0, 0, 2, 1, {0, 1});
    w.Image(0, 0, 2, 1, {0, 1}, {0xFFFFFF, 0x808080}, false, 2);
    TGifImage gif;
    QVERIFY(gif.Load(w.Finish()));
    gif.ConvertToGrey();
    auto grey = [](int r, int g, int b) {
        const int v = (77 * r + 150 * g + 29 * b) / 256;
        return qRgb(v, v, v);
    };
    QCOMPARE(gif.ColorOf(0, 0), grey(255, 0, 0));
    QCOMPARE(gif.ColorOf(0, 1), grey(0, 255, 0));
    QCOMPARE(gif.ColorOf(0, 2), grey(0, 0, 255));
    QCOMPARE(gif.BackgroundColor(), grey(0x12, 0x34, 0x56));
    QCOMPARE(gif.ClearColor(0), grey(255, 0, 0));  // the transparent colour
    QCOMPARE(gif.ColorOf(1, 0), qRgb(255, 255, 255));
    QCOMPARE(gif.ColorOf(1, 1), qRgb(128, 128, 128));
    // The frames are drawn from the converted tables.
    gif.SetTransparent(false);
    QCOMPARE(gif.Bitmap24().pixel(1, 0), grey(0, 255, 0));
    TGifAnimation animation(gif);
    QCOMPARE(animation.Composite(1).pixel(1, 0), qRgb(128, 128, 128));
}

// With the switch off the transparent index shows its palette colour in the still picture;
// with it on the background shows through. The animation always honours transparency.
void TGifTest::transparencySwitch() {
    const std::vector<unsigned> table = {0x102030, 0xFF00FF, 0x00FFFF, 0x000000};
    TGifWriter w(3, 1, table, 2);
    w.Control(0, 0, 1);
    w.Image(0, 0, 3, 1, {0, 1, 0});
    TGifImage gif;
    QVERIFY(gif.Load(w.Finish()));
    QVERIFY(gif.Transparent());
    QCOMPARE(gif.Bitmap24().pixel(1, 0), qRgb(0, 255, 255));
    QCOMPARE(qAlpha(gif.StillImage().pixel(1, 0)), 0);
    TGifAnimation animation(gif);
    QCOMPARE(animation.Composite(0).pixel(1, 0), qRgb(0, 255, 255));
    gif.SetTransparent(false);
    QCOMPARE(gif.Bitmap24().pixel(1, 0), qRgb(255, 0, 255));
    QCOMPARE(gif.StillImage().pixel(1, 0), qRgb(255, 0, 255));
    QCOMPARE(gif.Bitmap24().pixel(0, 0), qRgb(0x10, 0x20, 0x30));
    TGifAnimation opaque(gif);
    QCOMPARE(opaque.Composite(0).pixel(1, 0), qRgb(0, 255, 255));
}

void TGifTest::limits_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<bool>("loads");
    const std::vector<unsigned> bw = {0, 0xFFFFFF};
    {
        TGifWriter w(16385, 1, bw);
        w.Image(0, 0, 1, 1, {1});
        QTest::newRow("screen too wide") << w.Finish() << (qint64(512) << 20) << false;
    }
    {
        TGifWriter w(16384, 4, bw);
        w.Image(0, 0, 1, 1, {1});
        QTest::newRow("widest screen") << w.Finish() << (qint64(512) << 20) << true;
    }
    {
        TGifWriter w(16384, 16384, bw);  // a canvas of 1 GiB
        w.Image(0, 0, 1, 1, {1});
        QTest::newRow("screen over the budget") << w.Finish() << (qint64(512) << 20) << false;
    }
    {
        TGifWriter w(100, 100, bw);
        for (int i = 0; i < 10; ++i)
            w.Image(0, 0, 100, 100, std::vector<unsigned char>(10000, 1));
        QTest::newRow("frames over the budget") << w.Finish() << qint64(60000) << false;
        QTest::newRow("frames within the budget") << w.Finish() << qint64(200000) << true;
    }
    {
        TGifWriter w(10, 10, bw);
        // A frame that claims 65535 x 65535 pixels in a few bytes.
        w.Image(0, 0, 65535, 65535, {1, 1, 1});
        QTest::newRow("huge frame") << w.Finish() << (qint64(512) << 20) << false;
    }
    for (int size : {0, 12}) {
        TGifWriter w(5, 5, bw);
        w.Image(0, 0, 5, 5, std::vector<unsigned char>(25, 1), {}, false, size);
        QTest::newRow(qPrintable(QString("undecodable code size %1").arg(size))) << w.Finish() << (qint64(512) << 20) << false;
    }
    QTest::newRow("not a GIF") << QByteArray("GIF7xxxxxxxxxxxxx") << (qint64(512) << 20) << false;
    QTest::newRow("only a header") << QByteArray("GIF89a\x01\x00\x01\x00\x00\x00\x00", 13)
                                   << (qint64(512) << 20) << false;
}

void TGifTest::limits() {
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, maxBytes);
    QFETCH(bool, loads);
    TDecodeLimits limits;
    limits.MaxBytes = maxBytes;
    TGifImage gif;
    QCOMPARE(gif.Load(bytes, limits), loads);
    QCOMPARE(gif.IsEmpty(), !loads);
}

void TGifTest::frameInterval() {
    const int cases[][2] = {{0, 50}, {10, 50}, {50, 50}, {70, 70}, {2000, 2000}, {10000, 10000}, {20000, 10000}};
    for (const auto &c : cases)
        QCOMPARE(TGifAnimation::FrameInterval(c[0]), c[1]);
}

// An animation is placed once its first frame is decoded, already as it shows when whole; not a
// 1-bit one (it turns grey when whole) nor a single frame; one that fails later leaves nothing.
void TGifTest::firstFrameEarly() {
    const std::vector<unsigned> colours = {0x102030, 0xFF8000, 0x00FF00, 0x0000FF}, twoColours = {0xFF0000, 0x0000FF};
    const struct {
        const char *Name;
        const std::vector<unsigned> &Table;
        int Frames, MaxFrames, EarlyPlacings;
        bool Loads;
    } cases[] = {{"animation", colours, 3, INT_MAX, 1, true},
                 {"1-bit animation", twoColours, 3, INT_MAX, 0, true},
                 {"one frame", colours, 1, INT_MAX, 0, true},
                 {"past the frame limit", colours, 3, 2, 1, false}};
    for (const auto &c : cases) {
        TGifWriter w(4, 3, c.Table);
        for (int f = 0; f < c.Frames; ++f) {
            w.Control(1, 10);
            w.Image(0, 0, 4, 3, std::vector<unsigned char>(12, uchar(f % 2 ? 0 : 1)), {}, false, 2);
        }
        TPicture picture;
        TDecodeLimits limits;
        limits.MaxFrames = c.MaxFrames;
        picture.SetLimits(limits);
        std::vector<std::pair<int, QImage>> placings;  // frames decoded, still shown
        const bool loaded = PrepareForBox(picture, w.Finish(), TPictureFormat::Gif, QSize(), nullptr, [&] {
            placings.emplace_back(picture.FrameCount(), picture.ToBitmap24());
        });
        QVERIFY2(loaded == c.Loads, c.Name);
        QCOMPARE(int(placings.size()), c.EarlyPlacings + (c.Loads ? 1 : 0));
        if (c.EarlyPlacings)
            QVERIFY2(placings.front().first == 1, c.Name);
        for (const auto &p : placings)
            QVERIFY2(p.second == placings.back().second, c.Name);
        if (c.Loads)
            QCOMPARE(picture.FrameCount(), c.Frames);
        else
            QCOMPARE(picture.Format(), TPictureFormat::None);
    }
}

void TGifTest::holderChoosesByExtension() {
    QTemporaryDir dir;
    TGifWriter w(6, 4, {0, 0xFFFFFF});
    w.Control(0, 7);
    w.Image(0, 0, 6, 4, std::vector<unsigned char>(24, 1));
    w.Image(1, 1, 2, 2, std::vector<unsigned char>(4, 0));
    const QByteArray bytes = w.Finish();
    QVERIFY(WriteFile(dir.filePath(QStringLiteral("Anim.GIF")), bytes));
    QVERIFY(WriteFile(dir.filePath(QStringLiteral("anim.jpg")), bytes));
    QVERIFY(WriteFile(dir.filePath(QStringLiteral("anim.png")), bytes));
    TPicture picture;
    QVERIFY(!picture.LoadFromFile(dir.filePath(QStringLiteral("anim.jpg"))));
    QVERIFY(!picture.LoadFromFile(dir.filePath(QStringLiteral("anim.png"))));
    QVERIFY(picture.IsEmpty());
    QVERIFY(picture.LoadFromFile(dir.filePath(QStringLiteral("anim.gif"))));  // found ignoring case
    QCOMPARE(picture.Format(), TPictureFormat::Gif);
    QCOMPARE(picture.FrameCount(), 2);
    QCOMPARE(picture.Width(), 6);
    QCOMPARE(picture.BitsPerPixel(), 1);
    QVERIFY(picture.Decode());
    const QImage first = picture.ToBitmap24();
    QCOMPARE(first.format(), QImage::Format_RGB888);
    QCOMPARE(first.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(picture.Gif()->Frame(0).DelayMs, 70);
    // A failed load leaves the picture as it was.
    QVERIFY(!picture.LoadFromFile(dir.filePath(QStringLiteral("missing.gif"))));
    QCOMPARE(picture.Format(), TPictureFormat::Gif);
}

QTEST_MAIN(TGifTest)
#include "GifTest.moc"
