// Camera photos as the viewer prepares them: upright by their tag, converted from their profile.
#include "support/JpegWriter.h"
#include "support/PictureFixtures.h"

#include "picture/Prepare.h"
#include "viewer/GVisor.h"

#include <QBuffer>
#include <QColorSpace>
#include <QLabel>
#include <QTest>

#include <lcms2.h>

#include <cstring>

namespace {

QByteArray Encoded(const QImage &img) { return testpictures::Encoded(img, "JPEG", 95); }

// A picture (48 x 32 unless told), every block its own colour so that any turn or mirror shows.
QByteArray PlainJpeg(bool blocks = true, QSize size = QSize(48, 32)) {
    QImage img(size, QImage::Format_RGB888);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x * 5, y * 7, blocks ? (x / 8 + y / 8) * 40 : 100 + x + y));
    return Encoded(img);
}

// Bytes with Segments inserted right after the start marker.
QByteArray WithSegments(QByteArray jpeg, const QList<QPair<uchar, QByteArray>> &segments) {
    QByteArray add;
    for (const auto &[marker, payload] : segments) {
        const int n = int(payload.size()) + 2;
        add += QByteArray("\xff") + char(marker) + char(n >> 8) + char(n & 0xff) + payload;
    }
    return jpeg.insert(2, add);
}

// An EXIF block (big-endian) whose first directory holds one entry: Tag of Type and Count.
QByteArray Exif(int value, int type = 3, int count = 1, quint32 ifd = 8) {
    QByteArray b = QByteArray("Exif\0\0MM\0*", 10) + char(ifd >> 24) + char(ifd >> 16) + char(ifd >> 8) + char(ifd);
    b += QByteArray("\0\x01\x01\x12", 4) + char(0) + char(type) + QByteArray("\0\0\0", 3) + char(count);
    return b + char(value >> 8) + char(value) + QByteArray(6, 0);
}

// The profile in numbered APP2 chunks of at most Chunk bytes.
QList<QPair<uchar, QByteArray>> Icc(const QByteArray &profile, int chunk) {
    QList<QPair<uchar, QByteArray>> out;
    const int count = int((profile.size() + chunk - 1) / chunk);
    for (int i = 0; i < count; ++i)
        out.append({0xe2, QByteArray("ICC_PROFILE\0", 12) + char(i + 1) + char(count) + profile.mid(i * chunk, chunk)});
    return out;
}

// Ghostscript's Adobe RGB profile, or Qt's own when Ghostscript is not installed.
QByteArray AdobeRgbProfile() {
    const QByteArray shipped = testfiles::ReadFile(QStringLiteral("/usr/share/color/icc/ghostscript/a98.icc"));
    return shipped.isEmpty() ? QColorSpace(QColorSpace::AdobeRgb).iccProfile() : shipped;
}

// A flat 16 x 8 picture of one Pixel (1 grey or 4 CMYK components) with Profile embedded.
QByteArray FlatJpeg(const QByteArray &pixel, const QByteArray &profile) {
    const QByteArray line = pixel.repeated(16);
    return testjpeg::Write(16, 8, int(pixel.size()), 100,
                           [&](int, unsigned char *row) { std::memcpy(row, line.constData(), size_t(line.size())); },
                           profile);
}

// A grey profile of linear light, far from sRGB's curve.
QByteArray LinearGreyProfile() {
    cmsToneCurve *linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE p = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    cmsUInt32Number n = 0;
    cmsSaveProfileToMem(p, nullptr, &n);
    QByteArray bytes(qsizetype(n), 0);
    cmsSaveProfileToMem(p, bytes.data(), &n);
    cmsCloseProfile(p);
    cmsFreeToneCurve(linear);
    return bytes;
}

// Every byte of A within a level of B's.
bool WithinALevel(const QImage &a, const QImage &b) {
    bool near = a.size() == b.size() && a.format() == b.format();
    for (int y = 0; near && y < a.height(); ++y)
        for (int i = 0; i < a.width() * 3; ++i)
            near = near && std::abs(a.constScanLine(y)[i] - b.constScanLine(y)[i]) <= 1;
    return near;
}

// The pixels as stored, and as the box shows them at actual size.
QImage Stored(const QByteArray &jpeg) {
    TPicture p;
    return p.LoadFromData(jpeg, TPictureFormat::Jpeg) && p.Decode() ? p.ToBitmap24() : QImage();
}
// Watched, as the viewer's own loads, a picture past a megapixel is finished on a second thread.
QImage Prepared(const QByteArray &jpeg, bool watched = true) {
    TPicture p;
    if (watched)
        p.SetProgressHandler([](TProgressStage, int, bool, const QRect &) {});
    QImage fitted;
    return PrepareForBox(p, jpeg, TPictureFormat::Jpeg, QSize(), &fitted) ? p.ToBitmap24() : QImage();
}

} // namespace

class TPhotoTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void orientation_data() {
        QTest::addColumn<QByteArray>("exif");
        QTest::addColumn<QTransform>("turn");
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("profile");
        // Mirrored first, then turned clockwise, as the tag's eight values are defined.
        const struct { int Value, Degrees; bool Mirror; } tags[] = {{1, 0, false}, {2, 0, true},   {3, 180, false}, {4, 180, true},
                    {5, 270, true}, {6, 90, false}, {7, 90, true},   {8, 270, false}};
        const QSize small(48, 32), large(1400, 1000);
        for (const auto &t : tags)
            QTest::addRow("tag %d", t.Value) << Exif(t.Value) << QTransform().rotate(t.Degrees) << t.Mirror << small << false;
        QTest::addRow("tag 5, large, Adobe RGB") << Exif(5) << QTransform().rotate(270) << true << large << true;
        QTest::addRow("tag 6, large") << Exif(6) << QTransform().rotate(90) << false << large << false;
        QTest::addRow("tag 1, large, Adobe RGB") << Exif(1) << QTransform() << false << large << true;
        // Whatever is wrong with the tag, the picture shows as stored.
        QTest::addRow("no EXIF block") << QByteArray() << QTransform() << false << small << false;
        QTest::addRow("value 9") << Exif(9) << QTransform() << false << small << false;
        QTest::addRow("a LONG, not a SHORT") << Exif(6, 4) << QTransform() << false << small << false;
        QTest::addRow("directory past the end") << Exif(6, 3, 1, 0xfffffff0u) << QTransform() << false << small << false;
        QTest::addRow("cut short") << Exif(6).left(20) << QTransform() << false << small << false;
    }
    void orientation() {
        QFETCH(QByteArray, exif);
        QFETCH(QTransform, turn);
        QFETCH(bool, mirror);
        QFETCH(QSize, size);
        QFETCH(bool, profile);
        const QByteArray plain = PlainJpeg(true, size);
        QByteArray jpeg = exif.isEmpty() ? plain : WithSegments(plain, {{0xe1, exif}});
        QImage want = Stored(plain).mirrored(mirror, false).transformed(turn);
        if (profile) {
            // Converted, the second thread gives the very pixels of the first.
            jpeg = WithSegments(jpeg, Icc(AdobeRgbProfile(), 65000));
            want = Prepared(jpeg, false);
        }
        QCOMPARE(Prepared(jpeg), want);
    }
    void colour_data() {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<bool>("converted");
        const QByteArray adobe = AdobeRgbProfile();
        QTest::addRow("Adobe RGB in one chunk") << WithSegments(PlainJpeg(false), Icc(adobe, 65000)) << true;
        QTest::addRow("Adobe RGB in 3 chunks") << WithSegments(PlainJpeg(false), Icc(adobe, int(adobe.size() / 3 + 1))) << true;
        QTest::addRow("garbage for a profile") << WithSegments(PlainJpeg(false), Icc(QByteArray(500, 'x'), 200)) << false;
        QTest::addRow("chunk 1 of 2 gone") << WithSegments(PlainJpeg(false), Icc(adobe, int(adobe.size() / 2 + 1)).mid(1)) << false;
    }
    void colour() {
        QFETCH(QByteArray, jpeg);
        QFETCH(bool, converted);
        QImage want = Stored(jpeg);
        if (converted) {
            const QByteArray adobe = AdobeRgbProfile();
            cmsHPROFILE in = cmsOpenProfileFromMem(adobe.constData(), cmsUInt32Number(adobe.size())),
                        out = cmsCreate_sRGBProfile();
            cmsHTRANSFORM t = cmsCreateTransform(in, TYPE_RGB_8, out, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
            for (int y = 0; y < want.height(); ++y)
                cmsDoTransform(t, want.constScanLine(y), want.scanLine(y), cmsUInt32Number(want.width()));
            cmsDeleteTransform(t), cmsCloseProfile(in), cmsCloseProfile(out);
            QVERIFY(want != Stored(PlainJpeg(false)));
        }
        QVERIFY(WithinALevel(Prepared(jpeg), want));
    }
    // Press-ready CMYK photos and grey ones with their profiles: converted through them as the
    // colour library converts the stored pixel; without a profile, CMYK keeps the plain formula.
    void otherKindsOfProfile_data() {
        QTest::addColumn<QByteArray>("pixel");
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<uint>("type");
        const QByteArray cmyk = testfiles::ReadFile(QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc"));
        QVERIFY2(!cmyk.isEmpty(), "Ghostscript's CMYK profile (libgs-common) is missing");
        const QByteArray ink("0À ", 4);
        QTest::addRow("CMYK with a profile") << ink << cmyk << uint(TYPE_CMYK_8_REV);
        QTest::addRow("CMYK without one") << ink << QByteArray() << 0u;
        QTest::addRow("grey, linear light") << QByteArray("@", 1) << LinearGreyProfile() << uint(TYPE_GRAY_8);
        QTest::addRow("grey, a CMYK profile") << QByteArray("@", 1) << cmyk << 0u;
    }
    void otherKindsOfProfile() {
        QFETCH(QByteArray, pixel);
        QFETCH(QByteArray, profile);
        QFETCH(uint, type);
        const QByteArray jpeg = FlatJpeg(pixel, profile);
        QImage want = Stored(jpeg);
        if (type) {
            cmsHPROFILE in = cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size())),
                        out = cmsCreate_sRGBProfile();
            cmsHTRANSFORM t = cmsCreateTransform(in, type, out, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
            uchar rgb[3];
            cmsDoTransform(t, pixel.constData(), rgb, 1);
            cmsDeleteTransform(t), cmsCloseProfile(in), cmsCloseProfile(out);
            const QColor formula = want.pixelColor(0, 0);
            want.fill(qRgb(rgb[0], rgb[1], rgb[2]));
            QVERIFY(std::abs(formula.red() - rgb[0]) + std::abs(formula.green() - rgb[1]) + std::abs(formula.blue() - rgb[2]) > 12);
        }
        const QImage shown = Prepared(jpeg);
        for (int i = 0; i < want.width() * 3; ++i)
            QVERIFY2(std::abs(shown.constScanLine(4)[i] - want.constScanLine(4)[i]) <= 2,
                     qPrintable(QString("byte %1: %2, not %3").arg(i).arg(shown.constScanLine(4)[i]).arg(want.constScanLine(4)[i])));
    }
    // A camera's 4000 x 3000 photo turned by a quarter: the line tells the size it is shown at,
    // and the half-size rule still holds.
    void infoLineOfTurnedPhoto() {
        QTemporaryDir dir;
        QImage img(4000, 3000, QImage::Format_RGB888);
        img.fill(Qt::darkCyan);
        const QString path = dir.path() + QStringLiteral("/turned.jpg");
        QVERIFY(testfiles::WriteFile(path, WithSegments(Encoded(img), {{0xe1, Exif(6)}})));
        TVisorFrm viewer;
        viewer.show();
        viewer.OpenPath(path);
        QVERIFY2(viewer.LblInfo2()->text().contains(QStringLiteral("  3000x4000  (50%)  ")),
                 qPrintable(viewer.LblInfo2()->text()));
    }
};

int main(int argc, char **argv) {
    QTemporaryDir dir;
    return testsupport::RunOn1024x768<TPhotoTest>(argc, argv, dir.path());
}

#include "PhotoTest.moc"
