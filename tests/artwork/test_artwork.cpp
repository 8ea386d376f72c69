// The skin, the mask and the sample disc as committed, checked against what the menu needs of
// them; and the generator's own encoders (GIF, PDF, MIDI) read back independently.
#include "ArtBmp.h"
#include "ArtCompare.h"
#include "ArtGif.h"
#include "ArtMap.h"
#include "ArtMedia.h"
#include "ArtShape.h"
#include "ArtSkin.h"
#include "ArtViewer.h"

#include "platform/Files.h"
#include "hotzone/DesignProperty.h"
#include "hotzone/HotZone.h"
#include "lib/SkinGeometry.h"
#include "platform/Profile.h"
#include "platform/Text.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainterPath>
#include <QRegularExpression>
#include <QtTest>

#include <cstdint>
#include <map>

namespace {

QString Top() { return qEnvironmentVariable("TELVARO_SOURCE_DIR"); }
QString Disc() { return Top() + QStringLiteral("/sample-disc/"); }

uint32_t Le(const QByteArray &b, int at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | uint8_t(b[at + i]);
    return v;
}

void ReadShippedMap(THSRgnList &map) {
    QString error;
    if (!art::ReadMapFile(Top() + QStringLiteral("/resources/MainFrm.ui"), map, error))
        qWarning("%s", qPrintable(error));
}

double Luma(QRgb c) { return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c); }

// A target as the menu's direct run reads it: the longest blank-separated prefix that names
// an existing file is the program.
QString ExistingTarget(const QString &exe) {
    const QStringList words = exe.split(u' ');
    for (qsizetype n = words.size(); n > 0; --n) {
        const QString candidate = words.mid(0, n).join(u' ');
        if (platform::PathExists(candidate))
            return candidate;
    }
    return {};
}

} // namespace

class TestArtwork : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mapReader_data();
    void mapReader();
    void shippedMapBoxes();
    void skinFiles();
    void generatorMatchesCommittedMask();
    void viewerFrameTiles_data();
    void viewerFrameTiles();
    void viewerGlyphs();
    void roundingTolerance_data();
    void roundingTolerance();
    void gifRoundTrip_data();
    void gifRoundTrip();
    void pdfCrossReference();
    void midiStructure();
    void discCatalogue();
    void discMedia();
};

void TestArtwork::mapReader_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("expected"); // "ID:e|r:l,t,r,b" per region, blank-separated

    QTest::newRow("corner mode before the header") << QStringList{"circle A 100,100 120,120"} << "A:e:100,100,120,120";
    QTest::newRow("centre and point on the circle")
        << QStringList{"#$FORMAT:ncsa", "circle A 100,100 100,80"} << "A:e:80,80,120,120";
    QTest::newRow("centre and corner") << QStringList{"#$FORMAT:ncsa", "circle LUP  347,164 359,175"} << "LUP:e:335,153,359,175";
    QTest::newRow("blank after hash keeps corner mode")
        << QStringList{"# ncsa", "circle A 100,100 120,120"} << "A:e:100,100,120,120";
    QTest::newRow("reversed corners") << QStringList{"rect a 30,40 10,20"} << "A:r:10,20,30,40";
    QTest::newRow("empty shapes and unknown keywords")
        << QStringList{"rect A 10,10 10,20", "TRIANGLE B 1,1 5,5 9,1", "rect C 1,1"} << "";
}

void TestArtwork::mapReader() {
    QFETCH(QStringList, lines);
    QFETCH(QString, expected);
    QStringList got;
    THSRgnList map;
    map.LoadMap(lines);
    for (int i = 0; i < map.Count(); ++i) {
        const QRect b = map.Items(i)->Box;
        got << QStringLiteral("%1:%2:%3,%4,%5,%6")
                   .arg(map.Items(i)->Id, map.Items(i)->Rgn.rectCount() > 1 ? "e" : "r")
                   .arg(b.left())
                   .arg(b.top())
                   .arg(b.right() + 1)
                   .arg(b.bottom() + 1);
    }
    QCOMPARE(got.join(u' '), expected);
}

// The main window's design must hold the thirteen lines of the main window's design, giving these boxes.
void TestArtwork::shippedMapBoxes() {
    const QStringList text = MapTextFromDesign(testfiles::ReadFile(Top() + QStringLiteral("/resources/MainFrm.ui")));
    QCOMPARE(text.size(), 13);
    QCOMPARE(text.first(), QString("#$FORMAT:ncsa"));
    QVERIFY(text.contains("circle MOVER  277,341 310,374"));
    const char *expected[] = {"VIDEO 364,31,431,49",       "MUSICA 364,50,431,67",   "VARIOS 363,86,430,104",
                              "SALIR 87,4,119,27",         "MINIMIZAR 120,4,152,27", "IMAGEN 363,68,430,86",
                              "MOVER 244,308,310,374",     "LUP 335,153,359,175",    "LDOWN 329,175,351,195",
                              "CREDITOS 250,5,269,26",     "EJECUTAR 350,107,390,147"};
    THSRgnList map;
    ReadShippedMap(map);
    QCOMPARE(size_t(map.Count()), std::size(expected));
    for (int i = 0; i < map.Count(); ++i) {
        const QRect b = map.Items(i)->Box;
        QCOMPARE(QStringLiteral("%1 %2,%3,%4,%5").arg(map.Items(i)->Id).arg(b.left()).arg(b.top()).arg(b.right() + 1).arg(b.bottom() + 1),
                 QString::fromLatin1(expected[size_t(i)]));
    }
}

void TestArtwork::skinFiles() {
    const QByteArray normalBytes = testfiles::ReadFile(Disc() + QStringLiteral("GRES/menul.bmp"));
    const QByteArray litBytes = testfiles::ReadFile(Disc() + QStringLiteral("GRES/menuh.bmp"));
    const QByteArray maskBytes = testfiles::ReadFile(Top() + QStringLiteral("/resources/mask.bmp"));
    for (const QByteArray *b : {&normalBytes, &litBytes, &maskBytes}) {
        QVERIFY(b->size() > 54);
        QVERIFY(b->startsWith("BM"));
        QCOMPARE(Le(*b, 18, 4), uint32_t(kSkinSize.width()));
        QCOMPARE(Le(*b, 22, 4), uint32_t(kSkinSize.height()));
    }
    QCOMPARE(Le(normalBytes, 28, 2), 24u);
    QCOMPARE(Le(litBytes, 28, 2), 24u);
    QCOMPARE(Le(maskBytes, 28, 2), 1u);

    const QImage normal = QImage::fromData(normalBytes, "BMP");
    const QImage lit = QImage::fromData(litBytes, "BMP");
    const QImage mask = QImage::fromData(maskBytes, "BMP").convertToFormat(QImage::Format_RGB32);
    QVERIFY(!normal.isNull() && !lit.isNull() && !mask.isNull());
    const QRgb outside = mask.pixel(0, 0);
    QCOMPARE(outside, qRgb(255, 255, 255));

    int insideCount = 0;
    const int w = kSkinSize.width(), h = kSkinSize.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool in = mask.pixel(x, y) != outside;
            QVERIFY(in || mask.pixel(x, y) == qRgb(255, 255, 255));
            insideCount += in;
            QVERIFY2(normal.pixel(x, y) != kTreeKey && lit.pixel(x, y) != kTreeKey,
                     "the tree's colour key must not appear in the skin");
        }
    // A designed outline, not the whole rectangle and not a sliver.
    QVERIFY(insideCount > w * h / 3 && insideCount < w * h * 9 / 10);
    for (int y = kTreeRect.top(); y <= kTreeRect.bottom(); ++y)
        for (int x = kTreeRect.left(); x <= kTreeRect.right(); ++x)
            QVERIFY(mask.pixel(x, y) != outside);

    THSRgnList map;
    ReadShippedMap(map);
    for (int i = 0; i < map.Count(); ++i) {
        const THSRgn &r = *map.Items(i);
        const QPainterPath shape = art::RegionPath(r);
        double rest = 0, glow = 0;
        int n = 0;
        for (int y = r.Box.top(); y <= r.Box.bottom(); ++y)
            for (int x = r.Box.left(); x <= r.Box.right(); ++x) {
                QVERIFY2(mask.pixel(x, y) != outside, qPrintable(r.Id));
                if (shape.contains(QPointF(x + 0.5, y + 0.5))) {
                    rest += Luma(normal.pixel(x, y));
                    glow += Luma(lit.pixel(x, y));
                    ++n;
                } else if (!shape.intersects(QRectF(x, y, 1, 1))) {
                    // The menu lights a round region by copying its whole box: the corners must
                    // look the same in both pictures.
                    QVERIFY2(normal.pixel(x, y) == lit.pixel(x, y), qPrintable(r.Id));
                }
            }
        QVERIFY(n > 0);
        QVERIFY2(glow / n > rest / n + 25, qPrintable(r.Id));
    }
}

void TestArtwork::generatorMatchesCommittedMask() {
    art::TSkin a, b;
    QString error;
    THSRgnList map;
    ReadShippedMap(map);
    QVERIFY2(art::PaintSkin(map, a, error), qPrintable(error));
    QVERIFY2(art::PaintSkin(map, b, error), qPrintable(error));
    QCOMPARE(a.Normal, b.Normal);
    QCOMPARE(a.Lit, b.Lit);
    // The mask is the shape itself, computed without painting: exact on every processor.
    const QImage committed = QImage(Top() + QStringLiteral("/resources/mask.bmp")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(a.Mask.convertToFormat(QImage::Format_RGB32), committed);
    // Byte for byte, padding included: the committed file is what the generator writes.
    QCOMPARE(art::BmpBytes(a.Mask), testfiles::ReadFile(Top() + QStringLiteral("/resources/mask.bmp")));
    QCOMPARE(art::BmpBytes(a.Normal), art::BmpBytes(b.Normal));

    // A region the shape cannot hold is refused.
    map.ParseLine("rect FUERA 0,0 20,20");
    art::TSkin c;
    QVERIFY(!art::PaintSkin(map, c, error));
    QVERIFY(error.contains(QLatin1String("FUERA")));
}

void TestArtwork::viewerFrameTiles_data() {
    QTest::addColumn<QSize>("screen");
    QTest::newRow("1024 x 768") << QSize(1024, 768);
    QTest::newRow("1366 x 768, sides end mid-tile") << QSize(1366, 768);
    QTest::newRow("1920 x 1080") << QSize(1920, 1080);
    QTest::newRow("odd sizes") << QSize(659, 467);
}

// The committed skin, tiled as the viewer tiles it, must show no seam: each band the same
// along its length, and the bottom band's tray separate from the picture's black opening.
void TestArtwork::viewerFrameTiles() {
    QFETCH(QSize, screen);
    const QByteArray bytes = testfiles::ReadFile(Top() + QStringLiteral("/resources/visor-frame.bmp"));
    QVERIFY(bytes.startsWith("BM"));
    QCOMPARE(Le(bytes, 18, 4), 48u);
    QCOMPARE(Le(bytes, 22, 4), 48u);
    QCOMPARE(Le(bytes, 28, 2), 8u);
    const QImage skin = QImage::fromData(bytes, "BMP");
    QCOMPARE(skin.format(), QImage::Format_Indexed8);

    // The frame as the viewer paints it from the skin.
    const int w = screen.width(), h = screen.height();
    const QImage frame = art::ComposeViewerFrame(skin, w, h);

    for (int y : {0, 5, 11, h - 36, h - 20, h - 1})
        for (int x = 12; x < w - 12; ++x)
            QVERIFY2(frame.pixel(x, y) == frame.pixel(12, y), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
    for (int x : {0, 6, 11, w - 12, w - 1})
        for (int y = 12; y < h - 12; ++y)
            QVERIFY2(frame.pixel(x, y) == frame.pixel(x, 12), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
    QCOMPARE(frame.pixel(w / 2, h - 37), qRgb(0, 0, 0));
    // The labels' white text needs a dark tray behind it.
    QVERIFY(Luma(frame.pixel(w / 2, h - 20)) < 60);
}

// Each button glyph: two 18 x 18 states side by side over a transparent background, the
// disabled one plainly dimmer; all listed in the viewer's resource file, and all what the
// generator paints now.
void TestArtwork::viewerGlyphs() {
    art::TViewerArt fresh;
    QString error;
    QVERIFY2(art::PaintViewerArt(fresh, error), qPrintable(error));
    // Painted artwork matches the committed files up to the rounding of anti-aliased edges,
    // which differs between processors; anything more means the committed files are stale.
    const art::TComparison frame = art::CompareArt(QImage(Top() + QStringLiteral("/resources/visor-frame.bmp")), fresh.Frame);
    QVERIFY2(frame.Match != art::TMatch::Differs, qPrintable(art::Describe(frame)));
    const std::map<QString, const QImage *> painted = {
        {"prev", &fresh.Prev}, {"next", &fresh.Next}, {"opc", &fresh.Opc}, {"salir", &fresh.Salir}};

    const QByteArray qrc = testfiles::ReadFile(Top() + QStringLiteral("/resources/visor.qrc"));
    QVERIFY(qrc.contains("prefix=\"/telvaro/visor\""));
    QVERIFY(qrc.contains("<file alias=\"frame.bmp\">visor-frame.bmp</file>"));
    for (const char *name : {"prev", "next", "opc", "salir"}) {
        const QString file = QStringLiteral("visor-%1.png").arg(QLatin1String(name));
        QVERIFY2(qrc.contains(QStringLiteral("<file alias=\"%1\">%2</file>").arg(QLatin1String(name), file).toUtf8()), name);
        const QImage glyph = QImage(Top() + QStringLiteral("/resources/") + file).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(glyph.size(), QSize(36, 18));
        const art::TComparison same = art::CompareArt(glyph, *painted.at(QLatin1String(name)));
        QVERIFY2(same.Match != art::TMatch::Differs, qPrintable(QStringLiteral("%1: %2").arg(name, art::Describe(same))));
        QCOMPARE(qAlpha(glyph.pixel(0, 0)), 0);
        double ink[2] = {0, 0};
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 36; ++x) {
                const QRgb c = glyph.pixel(x, y);
                ink[x / 18] += Luma(c) * qAlpha(c) / 255.0;
            }
        QVERIFY2(ink[1] > 0 && ink[1] < ink[0] * 0.6, name);
    }
}

void TestArtwork::roundingTolerance_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("alpha"); // which pixel to change: the first with this alpha (-1: partly covered)
    QTest::addColumn<int>("by");    // levels added to its red
    QTest::addColumn<int>("expected");
    const int same = int(art::TMatch::Same), rounding = int(art::TMatch::Rounding), differs = int(art::TMatch::Differs);
    QTest::newRow("untouched") << "visor-next.png" << -1 << 0 << same;
    QTest::newRow("an edge pixel one level off") << "visor-next.png" << -1 << 1 << rounding;
    QTest::newRow("an edge pixel two levels off") << "visor-opc.png" << -1 << -2 << rounding;
    QTest::newRow("an edge pixel three levels off") << "visor-next.png" << -1 << 3 << differs;
    QTest::newRow("inside the shape, one level") << "visor-next.png" << 255 << 1 << differs;
    QTest::newRow("outside the shape, one level") << "visor-salir.png" << 0 << 1 << differs;
    QTest::newRow("opaque frame: inside a flat band") << "visor-frame.bmp" << 255 << 1 << differs;
}

// The comparison the tests above and make-sample-disc --check rely on, on a copy of a
// committed file with one pixel changed.
void TestArtwork::roundingTolerance() {
    QFETCH(QString, file);
    QFETCH(int, alpha);
    QFETCH(int, by);
    QFETCH(int, expected);
    const QImage committed = QImage(Top() + QStringLiteral("/resources/") + file).convertToFormat(QImage::Format_ARGB32);
    QImage copy = committed;
    bool changed = false;
    for (int y = 0; y < copy.height() && !changed; ++y)
        for (int x = 0; x < copy.width() && !changed; ++x) {
            const QRgb c = copy.pixel(x, y);
            bool flat = x > 0 && y > 0 && x + 1 < copy.width() && y + 1 < copy.height();
            for (int n = 0; n < 9 && flat; ++n)
                flat = copy.pixel(x - 1 + n % 3, y - 1 + n / 3) == c;
            const bool pick = alpha < 0 ? qAlpha(c) > 0 && qAlpha(c) < 255 && qRed(c) > 3 && qRed(c) < 252
                                        : qAlpha(c) == alpha && (alpha < 255 || flat);
            if (pick) {
                copy.setPixel(x, y, qRgba(qRed(c) + by, qGreen(c), qBlue(c), qAlpha(c) + (alpha == 0 ? 1 : 0)));
                changed = true;
            }
        }
    QVERIFY(changed);
    const art::TComparison c = art::CompareArt(committed, copy);
    QVERIFY2(int(c.Match) == expected, qPrintable(art::Describe(c)));
    // A changed size is never rounding.
    QCOMPARE(art::CompareArt(committed, committed.copy(0, 0, committed.width() - 1, committed.height())).Match,
             art::TMatch::Differs);
}

void TestArtwork::gifRoundTrip_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("flat") << 0;      // long runs: codes widen to 12 bits
    QTest::newRow("noise") << 1;     // the dictionary fills and is cleared many times
    QTest::newRow("one pixel") << 2;
}

void TestArtwork::gifRoundTrip() {
    QFETCH(int, kind);
    const QSize size = kind == 2 ? QSize(1, 1) : QSize(97, 61);
    std::vector<QImage> frames;
    uint32_t state = 7;
    for (int f = 0; f < 3; ++f) {
        QImage img(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                state = state * 1664525u + 1013904223u;
                // Colours of the palette itself, so the expected pixel is exact.
                const int i = kind == 1 ? int(state >> 24) % 216 : (x / 20 + f) % 216;
                img.setPixel(x, y, qRgb((i / 36) * 51, ((i / 6) % 6) * 51, (i % 6) * 51));
            }
        frames.push_back(img);
    }
    QByteArray gif = art::EncodeGif(frames, 7);
    QBuffer buffer(&gif);
    QImageReader reader(&buffer, "gif");
    QCOMPARE(reader.imageCount(), 3);
    for (int f = 0; f < 3; ++f) {
        const QImage got = reader.read().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!got.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(got, frames[size_t(f)]);
    }
}

void TestArtwork::pdfCrossReference() {
    const QByteArray pdf = art::ManualPdf();
    QVERIFY(pdf.startsWith("%PDF-1.4"));
    const qsizetype sx = pdf.lastIndexOf("startxref\n");
    QVERIFY(sx > 0);
    const qlonglong xref = pdf.mid(sx + 10).split('\n').first().toLongLong();
    QVERIFY(pdf.mid(xref).startsWith("xref\n0 "));
    const QList<QByteArray> lines = pdf.mid(xref).split('\n');
    const int count = lines[1].split(' ')[1].toInt();
    QVERIFY(count > 5);
    for (int i = 1; i < count; ++i) {
        const QByteArray entry = lines[2 + i];
        QCOMPARE(entry.size(), 19); // 20 bytes with the line end
        const qlonglong off = entry.left(10).toLongLong();
        QVERIFY2(pdf.mid(off).startsWith(QByteArray::number(i) + " 0 obj"), entry.constData());
    }
    // The content stream's declared length is its real length.
    const qsizetype l = pdf.indexOf("/Length ");
    const int length = pdf.mid(l + 8).split(' ').first().toInt();
    const qsizetype start = pdf.indexOf("stream\n", l) + 7;
    QCOMPARE(pdf.mid(start + length, 10), QByteArray("endstream\n"));
}

void TestArtwork::midiStructure() {
    const QByteArray mid = art::WaltzMidi();
    QVERIFY(mid.startsWith(QByteArray("MThd\0\0\0\x06\0\0\0\x01", 12)));
    QVERIFY(mid.mid(14, 4) == "MTrk");
    auto be = [&](qsizetype at) { return (uint32_t(uint8_t(mid[at])) << 24) | (uint32_t(uint8_t(mid[at + 1])) << 16) |
                                         (uint32_t(uint8_t(mid[at + 2])) << 8) | uint8_t(mid[at + 3]); };
    const uint32_t len = be(18);
    QCOMPARE(qsizetype(22 + len), mid.size());
    // Walk the events: every one well formed, notes balanced, the end-of-track event last.
    qsizetype p = 22;
    int open = 0, notes = 0;
    bool ended = false;
    while (p < mid.size()) {
        QVERIFY(!ended);
        int guard = 0;
        while (uint8_t(mid[p]) & 0x80) {
            ++p;
            QVERIFY(++guard < 4);
        }
        ++p;
        const uint8_t status = uint8_t(mid[p]);
        if (status == 0xff) {
            const uint8_t type = uint8_t(mid[p + 1]);
            const int n = uint8_t(mid[p + 2]);
            ended = type == 0x2f;
            p += 3 + n;
        } else if ((status & 0xf0) == 0xc0) {
            p += 2;
        } else {
            QVERIFY((status & 0xe0) == 0x80); // note on or off, never running status
            if ((status & 0xf0) == 0x90) {
                ++open;
                ++notes;
            } else {
                --open;
            }
            QVERIFY(open >= 0);
            p += 3;
        }
    }
    QCOMPARE(p, mid.size());
    QVERIFY(ended);
    QCOMPARE(open, 0);
    QVERIFY(notes > 50);
}

void TestArtwork::discCatalogue() {
    const QString ges = Disc() + QStringLiteral("GRES/GES.INI");
    const platform::TProfile config = platform::TProfile::Load(ges);
    QCOMPARE(config.ReadBool(QStringLiteral("General"), QStringLiteral("Ordenar"), true), false);
    QCOMPARE(config.KeyNames(QStringLiteral("Temas")),
             (QStringList{"Video", "Musica", "Imagen", "Varios"}));
    const QString music = config.ReadString(QStringLiteral("Visor"), QStringLiteral("Musica"));
    QVERIFY(!music.isEmpty());
    QVERIFY(platform::IsDirectory(Disc() + music));

    QStringList broken, sections;
    bool nested = false, withArguments = false, pictureMask = false;
    for (const QString &topic : config.KeyNames(QStringLiteral("Temas"))) {
        const QString file = Disc() + config.ReadString(QStringLiteral("Temas"), topic);
        QVERIFY2(platform::IsRegularFile(file), qPrintable(file));
        const QByteArray bytes = testfiles::ReadFile(platform::ResolveCase(file));
        // Written by a Windows author: Western code page and CRLF line ends.
        QVERIFY2(!platform::IsValidUtf8(bytes.constData(), bytes.size()), qPrintable(file));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        const platform::TProfile items = platform::TProfile::Load(platform::ResolveCase(file));
        for (const QString &section : items.SectionNames()) {
            sections << section;
            nested = nested || section.count(u'\\') >= 2 ||
                     items.ReadString(section, QStringLiteral("Carpeta")).contains(u'\\');
            const QString exe = items.ReadString(section, QStringLiteral("Exe"));
            if (exe.isEmpty())
                continue;
            QVERIFY2(exe.startsWith(QLatin1String(".\\")), qPrintable(exe));
            const QString path = Disc() + exe.mid(2);
            if (exe.contains(u'*')) {
                pictureMask = true;
                const qsizetype cut = exe.lastIndexOf(u'\\');
                const QString folder = platform::ToSlashes(Disc() + exe.mid(2, cut - 2));
                const QStringList masks = exe.mid(cut + 1).split(u';');
                const QStringList found = QDir(platform::ResolveCase(platform::ToSlashes(folder))).entryList(masks, QDir::Files);
                QVERIFY2(!found.isEmpty(), qPrintable(exe));
                for (const QString &name : found)
                    QVERIFY2(QFileInfo(platform::ResolveCase(folder) + u'/' + name).size() >= 2048, qPrintable(name));
                continue;
            }
            const QString target = ExistingTarget(platform::ToSlashes(path));
            if (target.isEmpty()) {
                broken << section;
                continue;
            }
            if (target != platform::ToSlashes(path)) {
                withArguments = true;
                QVERIFY(QFileInfo(platform::ResolveCase(target)).isExecutable());
            }
        }
    }
    QCOMPARE(broken, QStringList{QStringLiteral("V\u00eddeos\\Tr\u00e1iler (no incluido)")});
    QVERIFY(nested);
    QVERIFY(withArguments);
    QVERIFY(pictureMask);
    QVERIFY(sections.contains(QStringLiteral("Galer\u00eda de fotos")));
}

void TestArtwork::discMedia() {
    // The viewer's music: an MP3, a MIDI file and a WAV large enough to be listed (512 KiB).
    const QString music = Disc() + QStringLiteral("MUSICA/");
    QVERIFY(QFileInfo(music + QStringLiteral("amanecer.mp3")).size() > 1);
    QVERIFY(testfiles::ReadFile(music + QStringLiteral("vals.mid")).startsWith("MThd"));
    QVERIFY(QFileInfo(music + QStringLiteral("brisa.wav")).size() >= 524288);
    const QByteArray click = testfiles::ReadFile(Disc() + QStringLiteral("GRES/BOTON.WAV"));
    QVERIFY(click.startsWith("RIFF") && click.mid(8, 4) == "WAVE");
    QCOMPARE(qsizetype(Le(click, 4, 4)) + 8, click.size());
    QVERIFY(click.size() < 8000); // a click, not a tune

    // One picture larger than a full-HD screen.
    QImageReader big(Disc() + QStringLiteral("FOTOS/panorama.jpg"));
    QVERIFY(big.size().width() * big.size().height() > 2073600);
    QImageReader anim(Disc() + QStringLiteral("FOTOS/ANIM/disco.gif"));
    QVERIFY(anim.imageCount() > 1);
    const QImage logo(Top() + QStringLiteral("/resources/logo.jpg"));
    QCOMPARE(logo.size(), QSize(180, 46));

    qint64 total = 0;
    QDirIterator it(Disc(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    QVERIFY2(total < 3 * 1024 * 1024, "keep the sample disc small");
}

QTEST_MAIN(TestArtwork)
#include "test_artwork.moc"
