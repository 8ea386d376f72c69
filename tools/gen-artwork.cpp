// telvaro-artwork: paints the menu's and the viewer's artwork and the sample disc's media, the
// same bytes on every run. Each command writes the files it names; any failed check ends with
// exit code 1.
#include "ArtBmp.h"
#include "ArtCompare.h"
#include "ArtGif.h"
#include "ArtMap.h"
#include "ArtMedia.h"
#include "ArtPictures.h"
#include "ArtPreview.h"
#include "ArtSkin.h"
#include "ArtViewer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

int Usage() {
    std::fputs("usage: telvaro-artwork skin MAP.txt NORMAL.bmp LIT.bmp MASK.bmp [PREVIEW.png]\n"
               "       telvaro-artwork viewer FOLDER [PREVIEW.png]   (the viewer's frame skin and button glyphs)\n"
               "       telvaro-artwork logo LOGO.jpg\n"
               "       telvaro-artwork pictures FOLDER        (JPEG pictures and an animated GIF)\n"
               "       telvaro-artwork click BOTON.WAV\n"
               "       telvaro-artwork tune OUT.wav SECONDS   (a melody, 22050 Hz mono, for the MP3 encoder)\n"
               "       telvaro-artwork pad OUT.wav SECONDS    (soft chords, 22050 Hz mono)\n"
               "       telvaro-artwork midi OUT.mid\n"
               "       telvaro-artwork pdf OUT.pdf\n"
               "       telvaro-artwork compare COMMITTED FRESH   (exit 0: same, 3: within rounding, 1: differs)\n",
               stderr);
    return 2;
}

int Fail(const QString &message) {
    std::fprintf(stderr, "telvaro-artwork: %s\n", qPrintable(message));
    return 1;
}

bool SaveImage(const QImage &img, const QString &path, const char *format, int quality, QString &error) {
    QImageWriter w(path, format);
    if (quality >= 0)
        w.setQuality(quality);
    if (!w.write(img)) {
        error = QStringLiteral("cannot write %1: %2").arg(path, w.errorString());
        return false;
    }
    return true;
}

// Writes a camera's EXIF block with the orientation tag alone (big-endian, one entry) right
// after the JPEG's start marker.
bool TagOrientation(const QString &path, int orientation, QString &error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite)) {
        error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    QByteArray bytes = f.readAll();
    const QByteArray exif = QByteArray("\xff\xe1\0\x22" "Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 28) +
                            char(0) + char(orientation) + QByteArray(6, 0);
    bytes.insert(2, exif);
    if (!f.seek(0) || f.write(bytes) != bytes.size()) {
        error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    // Fonts are needed, a display is not.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return Usage();
    const QString cmd = args[0];
    QString error;

    if (cmd == QLatin1String("skin") && (args.size() == 5 || args.size() == 6)) {
        THSRgnList map;
        if (!art::ReadMapFile(args[1], map, error))
            return Fail(error);
        art::TSkin skin;
        if (!art::PaintSkin(map, skin, error))
            return Fail(error);
        if (!art::WriteFile(args[2], art::BmpBytes(skin.Normal), error) ||
            !art::WriteFile(args[3], art::BmpBytes(skin.Lit), error) || !art::WriteFile(args[4], art::BmpBytes(skin.Mask), error))
            return Fail(error);
        if (args.size() == 6 && !SaveImage(art::SkinPreview(skin), args[5], "png", -1, error))
            return Fail(error);
        return 0;
    }
    if (cmd == QLatin1String("viewer") && (args.size() == 2 || args.size() == 3)) {
        art::TViewerArt viewer;
        if (!art::PaintViewerArt(viewer, error))
            return Fail(error);
        const QString dir = args[1];
        if (!art::WriteFile(dir + QStringLiteral("/visor-frame.bmp"), art::BmpBytes(viewer.Frame), error))
            return Fail(error);
        const std::pair<const char *, const QImage *> glyphs[] = {
            {"prev", &viewer.Prev}, {"next", &viewer.Next}, {"opc", &viewer.Opc}, {"salir", &viewer.Salir}};
        for (const auto &[name, img] : glyphs)
            if (!SaveImage(*img, dir + QStringLiteral("/visor-%1.png").arg(QLatin1String(name)), "png", -1, error))
                return Fail(error);
        if (args.size() == 3 && !SaveImage(art::ViewerPreview(viewer), args[2], "png", -1, error))
            return Fail(error);
        return 0;
    }
    if (cmd == QLatin1String("logo") && args.size() == 2) {
        if (!SaveImage(art::PaintLogo(), args[1], "jpeg", 92, error))
            return Fail(error);
        return 0;
    }
    if (cmd == QLatin1String("pictures") && args.size() == 2) {
        const QString dir = args[1];
        QDir().mkpath(dir + QStringLiteral("/ANIM"));
        for (const art::TPicture &pic : art::Pictures()) {
            const QString path = dir + u'/' + pic.Name;
            if (!SaveImage(pic.Image, path, "jpeg", pic.Quality, error))
                return Fail(error);
            if (pic.Orientation != 1 && !TagOrientation(path, pic.Orientation, error))
                return Fail(error);
        }
        if (!art::WriteFile(dir + QStringLiteral("/ANIM/disco.gif"), art::EncodeGif(art::SpinningDisc(), 8), error))
            return Fail(error);
        if (!art::WriteFile(dir + QStringLiteral("/ANIM/ondas.gif"), art::EncodeGif(art::Ripples(), 10), error))
            return Fail(error);
        return 0;
    }
    if (cmd == QLatin1String("click") && args.size() == 2)
        return art::WriteFile(args[1], art::ClickWav(), error) ? 0 : Fail(error);
    if ((cmd == QLatin1String("tune") || cmd == QLatin1String("pad")) && args.size() == 3) {
        bool ok = false;
        const double seconds = args[2].toDouble(&ok);
        if (!ok || seconds <= 0 || seconds > 120)
            return Usage();
        const QByteArray wav = cmd == QLatin1String("tune") ? art::TuneWav(seconds) : art::PadWav(seconds);
        return art::WriteFile(args[1], wav, error) ? 0 : Fail(error);
    }
    if (cmd == QLatin1String("midi") && args.size() == 2)
        return art::WriteFile(args[1], art::WaltzMidi(), error) ? 0 : Fail(error);
    if (cmd == QLatin1String("compare") && args.size() == 3) {
        const art::TComparison c = art::CompareArtFiles(args[1], args[2]);
        std::printf("%s\n", qPrintable(art::Describe(c)));
        return c.Match == art::TMatch::Same ? 0 : c.Match == art::TMatch::Rounding ? 3 : 1;
    }
    if (cmd == QLatin1String("pdf") && args.size() == 2)
        return art::WriteFile(args[1], art::ManualPdf(), error) ? 0 : Fail(error);
    return Usage();
}
