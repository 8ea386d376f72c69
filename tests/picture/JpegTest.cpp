// JPEG loading through the picture holder: the half-size rule, progress bands, damaged files,
// colour spaces, extensions, limits, and loads made from inside a progress report.
#include "support/PictureFixtures.h"

#include "platform/Clock.h"
#include "picture/Picture.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace testsupport;
using testfiles::ReadFile;
using testfiles::WriteFile;

namespace {

struct TReport {
    TProgressStage Stage;
    int Percent;
    bool Redraw;
    QRect Band;
};

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

class TJpegTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(FDir.isValid()); }
    void cleanup() { platform::SetTickSourceForTesting(nullptr); }
    void halfScaleBoundary_data();
    void halfScaleBoundary();
    void progressBands_data();
    void progressBands();
    void truncatedAndCorrupt();
    void colourSpaces_data();
    void colourSpaces();
    void extensions();
    void loadInsideProgress_data();
    void loadInsideProgress();
    void limits();

private:
    QString Make(const QString &name, const QString &args) {
        const QString path = FDir.filePath(name);
        return Convert(QProcess::splitCommand(args) << path) ? path : QString();
    }
    QTemporaryDir FDir;
};

void TJpegTest::halfScaleBoundary_data() {
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<bool>("half");
    QTest::addColumn<QSize>("decoded");
    QTest::newRow("1920x1080 full") << 1920 << 1080 << false << QSize(1920, 1080);
    QTest::newRow("1921x1080 half") << 1921 << 1080 << true << QSize(961, 540);
    QTest::newRow("4001x3001 half") << 4001 << 3001 << true << QSize(2001, 1501);
    QTest::newRow("1x2073601 half") << 1 << 2073601 << true << QSize(1, 1036801);
}

void TJpegTest::halfScaleBoundary() {
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(bool, half);
    QFETCH(QSize, decoded);
    QCOMPARE(NeedsHalfScale(w, h), half);
    if (h > 65500)
        return;  // beyond what a JPEG can hold; the rule alone
    const QString path = Make(QStringLiteral("b.jpg"), QStringLiteral("-size %1x%2 xc:#336699 -quality 50").arg(w).arg(h));
    QVERIFY(!path.isEmpty());
    TPicture picture;
    QVERIFY(picture.LoadFromFile(path));
    QCOMPARE(QSize(picture.FileWidth(), picture.FileHeight()), QSize(w, h));
    QCOMPARE(QSize(picture.Width(), picture.Height()), QSize(w, h));
    picture.SetHalfScale(NeedsHalfScale(picture.FileWidth(), picture.FileHeight()));
    QCOMPARE(QSize(picture.Width(), picture.Height()), decoded);
    QVERIFY(picture.ToBitmap24().isNull());  // nothing is decoded before the explicit step
    QVERIFY(picture.Decode());
    const QImage bitmap = picture.ToBitmap24();
    QCOMPARE(bitmap.size(), decoded);
    QVERIFY(Near(bitmap.pixel(decoded.width() - 1, decoded.height() - 1), qRgb(0x33, 0x66, 0x99), 3));
}

void TJpegTest::progressBands_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("step");  // how far the clock moves between two readings
    QTest::newRow("baseline, every report") << "-size 203x157 gradient:red-blue" << 600;
    QTest::newRow("progressive, every report") << "-size 203x157 gradient:red-blue -interlace JPEG" << 600;
    QTest::newRow("baseline, clock standing") << "-size 203x157 gradient:red-blue" << 0;
    QTest::newRow("half size, slow clock") << "-size 1703x1357 gradient:red-blue -sampling-factor 2x2" << 70;
}

void TJpegTest::progressBands() {
    QFETCH(QString, args);
    QFETCH(int, step);
    const QString path = Make(QStringLiteral("p.jpg"), args);
    QVERIFY(!path.isEmpty());
    quint32 now = 1000;
    platform::SetTickSourceForTesting([&] { return now += quint32(step); });
    TPicture picture;
    QVERIFY(picture.LoadFromFile(path));
    picture.SetHalfScale(picture.FileWidth() > 1000);
    std::vector<TReport> reports;
    quint32 lastReport = 0;
    picture.SetProgressHandler([&](TProgressStage s, int pct, bool redraw, const QRect &band) {
        reports.push_back({s, pct, redraw, band});
        if (s == TProgressStage::Running)
            QVERIFY(now - lastReport >= kProgressIntervalMs);  // throttled
        lastReport = now;
        if (s == TProgressStage::Running) {
            // Rows reported are final and readable while decoding goes on.
            const QImage *bitmap = picture.JpegBitmap();
            QVERIFY(bitmap && !bitmap->isNull());
            if (band.height() > 0)
                QVERIFY(bitmap->pixel(0, band.bottom()) != qRgb(0, 0, 0));
        }
    });
    QVERIFY(picture.Decode());
    const int h = picture.Height(), w = picture.Width();
    QVERIFY(reports.size() >= 2);
    QCOMPARE(reports.front().Stage, TProgressStage::Starting);
    QCOMPARE(reports.back().Stage, TProgressStage::Ending);
    QCOMPARE(reports.back().Percent, 100);
    int row = 0, percent = 0, running = 0;
    for (const TReport &r : reports) {
        QCOMPARE(r.Band.top(), row);
        QCOMPARE(r.Band.left(), 0);
        QCOMPARE(r.Band.width(), w);
        QCOMPARE(r.Redraw, r.Band.height() > 3);
        QVERIFY(r.Percent >= percent && r.Percent <= 100);
        row += r.Band.height();
        percent = r.Percent;
        running += r.Stage == TProgressStage::Running;
    }
    QCOMPARE(row, h);  // the bands together cover every row once
    if (step == 0)
        QCOMPARE(running, 0);
    else
        QVERIFY(running >= 5);
}

void TJpegTest::truncatedAndCorrupt() {
    const QString path = Make(QStringLiteral("t.jpg"),
                              QStringLiteral("-seed 4 -size 64x128 plasma:red-yellow "
                                             "( -size 64x128 xc:blue ) -append -quality 95"));
    QVERIFY(!path.isEmpty());
    const QByteArray whole = ReadFile(path);
    TPicture picture;

    // Cut after the top quarter's data: the rows that exist, grey below.
    QVERIFY(picture.LoadFromData(whole.left(whole.size() / 3), TPictureFormat::Jpeg));
    QVERIFY(picture.Decode());
    QVERIFY(picture.Jpeg()->HadWarnings());
    const QImage cut = picture.ToBitmap24();
    QCOMPARE(cut.size(), QSize(64, 256));
    QVERIFY(qRed(cut.pixel(10, 10)) > 150 && qBlue(cut.pixel(10, 10)) < 120);
    QVERIFY(Near(cut.pixel(10, 250), qRgb(128, 128, 128), 12));

    QVERIFY(picture.LoadFromData(whole, TPictureFormat::Jpeg));
    QVERIFY(picture.Decode());
    QVERIFY(!picture.Jpeg()->HadWarnings());
    QVERIFY(Near(picture.ToBitmap24().pixel(10, 250), qRgb(0, 0, 255), 12));

    // Failed loads leave the holder as it was.
    const quint64 generation = picture.Generation();
    QByteArray garbage = whole.left(2) + QByteArray(600, '\x5a');
    QVERIFY(!picture.LoadFromData(garbage, TPictureFormat::Jpeg));
    QVERIFY(!picture.LoadFromData(whole.left(40), TPictureFormat::Jpeg));  // ends in the header
    QVERIFY(!picture.LoadFromData(QByteArray(), TPictureFormat::Jpeg));
    QCOMPARE(picture.Generation(), generation);
    QCOMPARE(picture.Width(), 64);

    // A header that reads but whose scan is garbage: the library's error ends the decode only.
    QByteArray damaged = whole;
    const qsizetype sos = damaged.indexOf("\xFF\xDA");
    QVERIFY(sos > 0);
    damaged[sos + 5] = char(0x7F);  // a component selector that names no component
    if (picture.LoadFromData(damaged, TPictureFormat::Jpeg)) {
        QVERIFY(!picture.Decode());
        QVERIFY(!picture.IsDecoded());
        QVERIFY(picture.ToBitmap24().isNull());
    }
}

void TJpegTest::colourSpaces_data() {
    QTest::addColumn<QString>("args");
    QTest::addColumn<QRgb>("colour");
    QTest::newRow("rgb") << "-size 40x30 xc:rgb(200,40,30)" << qRgb(200, 40, 30);
    QTest::newRow("grey") << "-size 40x30 xc:rgb(90,90,90) -colorspace Gray" << qRgb(90, 90, 90);
    QTest::newRow("cmyk") << "-size 40x30 xc:rgb(200,40,30) -colorspace CMYK" << qRgb(200, 40, 30);
    QTest::newRow("cmyk dark") << "-size 40x30 xc:rgb(20,60,110) -colorspace CMYK" << qRgb(20, 60, 110);
}

void TJpegTest::colourSpaces() {
    QFETCH(QString, args);
    QFETCH(QRgb, colour);
    const QString path = Make(QStringLiteral("c.jpg"), args + QStringLiteral(" -quality 95"));
    QVERIFY(!path.isEmpty());
    TPicture picture;
    QVERIFY(picture.LoadFromFile(path));
    QVERIFY(picture.Decode());
    const QImage bitmap = picture.ToBitmap24();
    QVERIFY2(Near(bitmap.pixel(20, 15), colour, 6),
             qPrintable(QString::number(bitmap.pixel(20, 15) & 0xFFFFFF, 16)));
}

void TJpegTest::extensions() {
    const QString path = Make(QStringLiteral("e.jpg"), QStringLiteral("-size 8x8 xc:white"));
    const QByteArray bytes = ReadFile(path);
    const struct {
        const char *name;
        bool loads;
    } cases[] = {{"A.JPG", true}, {"b.Jpeg", true}, {"c.jpe", false}, {"d.gif", false}, {"e.png", false}, {"jpg", false}};
    for (const auto &c : cases) {
        const QString file = FDir.filePath(QString::fromLatin1(c.name));
        QVERIFY(WriteFile(file, bytes));
        TPicture picture;
        QVERIFY2(picture.LoadFromFile(file) == c.loads, c.name);
        QCOMPARE(picture.Format(), c.loads ? TPictureFormat::Jpeg : TPictureFormat::None);
    }
    QCOMPARE(FormatForPath(QStringLiteral("X:\\FOTOS.GIF\\a.JPEG")), TPictureFormat::Jpeg);
    QCOMPARE(FormatForPath(QStringLiteral("/a.gif/b")), TPictureFormat::None);
}

void TJpegTest::loadInsideProgress_data() {
    QTest::addColumn<int>("action");  // 0 load another, 1 clear, 2 destroy the holder, 3 decode again
    QTest::newRow("load another") << 0;
    QTest::newRow("clear") << 1;
    QTest::newRow("destroy the holder") << 2;
    QTest::newRow("decode again") << 3;
}

void TJpegTest::loadInsideProgress() {
    QFETCH(int, action);
    const QString big = Make(QStringLiteral("n1.jpg"), QStringLiteral("-size 300x400 gradient:red-blue"));
    const QString other = Make(QStringLiteral("n2.jpg"), QStringLiteral("-size 30x20 xc:green"));
    quint32 now = 0;
    platform::SetTickSourceForTesting([&] { return now += 1000; });
    auto picture = std::make_unique<TPicture>();
    QVERIFY(picture->LoadFromFile(big));
    bool acted = false, nested = true;
    picture->SetProgressHandler([&](TProgressStage s, int, bool, const QRect &) {
        if (s != TProgressStage::Running || acted)
            return;
        acted = true;
        if (action == 0)
            QVERIFY(picture->LoadFromFile(other));
        else if (action == 1)
            picture->Clear();
        else if (action == 2)
            picture.reset();
        else
            nested = picture->Decode();
    });
    const bool ok = picture ? picture->Decode() : false;
    QVERIFY(acted);
    if (action == 2) {
        QVERIFY(!picture);
        return;
    }
    if (action == 3) {
        QVERIFY(!nested);  // not re-entrant
        QVERIFY(ok);
        return;
    }
    QVERIFY(!ok);
    if (action == 0) {
        QCOMPARE(picture->Width(), 30);
        acted = true;
        QVERIFY(picture->Decode());
        QVERIFY(Near(picture->ToBitmap24().pixel(5, 5), qRgb(0, 128, 0), 6));
    } else {
        QVERIFY(picture->IsEmpty());
    }
}

void TJpegTest::limits() {
    const QString path = Make(QStringLiteral("l.jpg"), QStringLiteral("-size 1000x800 xc:rgb(190,190,190)"));
    TDecodeLimits limits;
    TPicture picture;
    limits.MaxBytes = 500 * 400 * 3 - 1;  // not even half size fits
    picture.SetLimits(limits);
    QVERIFY(!picture.LoadFromFile(path));
    limits.MaxBytes = 1000 * 400 * 3;  // half size fits, full size does not
    picture.SetLimits(limits);
    QVERIFY(picture.LoadFromFile(path));
    QVERIFY(!picture.Decode());
    picture.SetHalfScale(true);
    QVERIFY(picture.Decode());
    QCOMPARE(picture.ToBitmap24().size(), QSize(500, 400));
    // Painting a decoded picture stretched.
    QImage canvas(50, 40, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    picture.Draw(painter, canvas.rect());
    painter.end();
    QVERIFY2(Near(canvas.pixel(25, 20), qRgb(190, 190, 190), 4), qPrintable(QString::number(canvas.pixel(25, 20), 16)));
}

QTEST_MAIN(TJpegTest)
#include "JpegTest.moc"
