// ResampleBilinear against a plain transcription of its arithmetic, and the fitted rectangle.
#include "support/PictureFixtures.h"

#include "picture/Picture.h"
#include "picture/Resample.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

namespace {

// Row by row and pixel by pixel, accumulating the positions by addition, with the three mended
// edges: 64-bit steps, column i + 1 clamped to the row, and row r + 1 clamped to the picture.
QImage Reference(const QImage &src, int dw, int dh) {
    QImage dst(dw, dh, QImage::Format_RGB888);
    const int sw = src.width(), sh = src.height();
    const long long xstep = ((long long)(sw - 1) * 65536) / dw;
    const long long ystep = ((long long)(sh - 1) * 65536) / dh;
    long long sy = 0;
    for (int y = 0; y < dh; ++y, sy += ystep) {
        const int r0 = int(sy >> 16);
        const int r1 = r0 + 1 < sh ? r0 + 1 : r0;
        const unsigned fy = unsigned(sy & 0xFFFF);
        const unsigned a0 = 65536 - fy, a1 = fy + 1;
        long long sx = 0;
        for (int x = 0; x < dw; ++x, sx += xstep) {
            const int i = int(sx >> 16);
            const int i1 = i + 1 < sw ? i + 1 : i;
            const unsigned fx = unsigned(sx & 0xFFFF);
            const unsigned w01 = (fx * a0) >> 16, w00 = a0 - w01;
            const unsigned w11 = (fx * a1) >> 16, w10 = a1 - w11;
            for (int c = 0; c < 3; ++c) {
                const unsigned v = (src.constScanLine(r0)[3 * i + c] * w00 + src.constScanLine(r0)[3 * i1 + c] * w01 +
                                    src.constScanLine(r1)[3 * i + c] * w10 + src.constScanLine(r1)[3 * i1 + c] * w11) >>
                                   16;
                dst.scanLine(y)[3 * x + c] = uchar(v);
            }
        }
    }
    return dst;
}

QImage Noise(int w, int h, QRandomGenerator &rng) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        uchar *row = img.scanLine(y);
        for (int x = 0; x < 3 * w; ++x)
            row[x] = uchar(rng.bounded(256));
    }
    return img;
}

bool SameBytes(const QImage &a, const QImage &b) {
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.width()) * 3) != 0)
            return false;
    return true;
}

} // namespace

class TResampleTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void againstReference_data();
    void againstReference();
    void randomSizes();
    void neverAbove255();
    void rejectsWhatItCannotFill();
    void fittedRect_data();
    void fittedRect();
    void drawFitted();
};

void TResampleTest::againstReference_data() {
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("dest");
    QTest::newRow("1x1 to 1x1") << QSize(1, 1) << QSize(1, 1);
    QTest::newRow("1x1 up") << QSize(1, 1) << QSize(17, 9);
    QTest::newRow("one column up") << QSize(1, 40) << QSize(30, 80);
    QTest::newRow("one row down") << QSize(50, 1) << QSize(7, 3);
    QTest::newRow("same size") << QSize(33, 21) << QSize(33, 21);
    QTest::newRow("viewer's fit") << QSize(2000, 1500) << QSize(1894, 1019);
    QTest::newRow("enlarge") << QSize(13, 7) << QSize(1000, 700);
    QTest::newRow("to one pixel") << QSize(300, 200) << QSize(1, 1);
    QTest::newRow("wider than 32768") << QSize(40000, 2) << QSize(123, 3);
    QTest::newRow("taller than 32768") << QSize(2, 33000) << QSize(3, 77);
}

void TResampleTest::againstReference() {
    QFETCH(QSize, source);
    QFETCH(QSize, dest);
    QRandomGenerator rng(source.width() * 7919 + dest.height());
    const QImage src = Noise(source.width(), source.height(), rng);
    QImage ours(dest, QImage::Format_RGB888);
    QVERIFY(ResampleBilinear(src, ours));
    QVERIFY(SameBytes(ours, Reference(src, dest.width(), dest.height())));
}

void TResampleTest::randomSizes() {
    QRandomGenerator rng(20261208);
    for (int n = 0; n < 60; ++n) {
        // Mostly small, now and then up to several thousand pixels a side.
        auto side = [&] { return rng.bounded(10) == 0 ? 1 + rng.bounded(3000) : 1 + rng.bounded(120); };
        const int sw = side(), sh = side(), dw = side(), dh = side();
        const QImage src = Noise(sw, sh, rng);
        QImage ours(dw, dh, QImage::Format_RGB888);
        QVERIFY(ResampleBilinear(src, ours));
        QVERIFY2(SameBytes(ours, Reference(src, dw, dh)),
                 qPrintable(QStringLiteral("%1x%2 to %3x%4").arg(sw).arg(sh).arg(dw).arg(dh)));
    }
}

void TResampleTest::neverAbove255() {
    QImage white(57, 43, QImage::Format_RGB888);
    white.fill(Qt::white);
    QImage out(91, 13, QImage::Format_RGB888);
    QVERIFY(ResampleBilinear(white, out));
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width() * 3; ++x)
            QCOMPARE(int(out.constScanLine(y)[x]), 255);
}

void TResampleTest::rejectsWhatItCannotFill() {
    QImage src(4, 4, QImage::Format_RGB888), rgb32(4, 4, QImage::Format_RGB32), none, dst(2, 2, QImage::Format_RGB888);
    src.fill(Qt::red);
    QVERIFY(!ResampleBilinear(none, dst));
    QVERIFY(!ResampleBilinear(src, none));
    QVERIFY(!ResampleBilinear(rgb32, dst));
}

void TResampleTest::fittedRect_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("wider box") << QSize(800, 600) << QSize(1000, 700) << QRect(QPoint(33, 0), QPoint(965, 699));
    QTest::newRow("height fits") << QSize(1000, 500) << QSize(1000, 700) << QRect(0, 100, 1000, 500);
    QTest::newRow("enlarged") << QSize(10, 10) << QSize(300, 200) << QRect(50, 0, 200, 200);
    QTest::newRow("half to even") << QSize(4, 1) << QSize(10, 10) << QRect(0, 4, 10, 2);  // 2.5 -> 2
    QTest::newRow("half to even up") << QSize(4, 3) << QSize(10, 10) << QRect(0, 1, 10, 8);  // 7.5 -> 8
    QTest::newRow("thin line") << QSize(10000, 1) << QSize(100, 100) << QRect(0, 49, 100, 1);
    QTest::newRow("thin column") << QSize(1, 10000) << QSize(100, 100) << QRect(49, 0, 1, 100);
    QTest::newRow("nothing to fit") << QSize(0, 10) << QSize(100, 100) << QRect();
}

void TResampleTest::fittedRect() {
    QFETCH(QSize, picture);
    QFETCH(QSize, box);
    QFETCH(QRect, expected);
    QCOMPARE(FittedRect(picture.width(), picture.height(), box.width(), box.height()), expected);
}

void TResampleTest::drawFitted() {
    TPicture picture;
    QImage canvas(120, 80, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    DrawFitted(painter, QRect(10, 10, 50, 40), picture);  // empty: nothing drawn
    QCOMPARE(canvas.pixel(20, 20), qRgb(0, 0, 0));

    // A one-frame GIF: the resampled first frame lands at the rectangle's corner.
    testpictures::TGifWriter w(7, 5, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
    std::vector<unsigned char> pixels(35);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = uchar(i % 4);
    w.Image(0, 0, 7, 5, pixels);
    QVERIFY(picture.LoadFromData(w.Finish(), TPictureFormat::Gif));
    const QRect rect(10, 10, 50, 40);
    DrawFitted(painter, rect, picture);
    painter.end();
    QImage expected(rect.size(), QImage::Format_RGB888);
    QVERIFY(ResampleBilinear(picture.ToBitmap24(), expected));
    QCOMPARE(canvas.copy(rect).convertToFormat(QImage::Format_RGB888), expected);
    QCOMPARE(canvas.pixel(9, 9), qRgb(0, 0, 0));
}

QTEST_MAIN(TResampleTest)
#include "ResampleTest.moc"
