#include "check/Check.h"

#include "check/DiscReport.h"
#include "check/Json.h"
#include "check/MapReport.h"

#include "hotzone/DesignProperty.h"
#include "hotzone/HotZone.h"
#include "hotzone/MapText.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "picture/GifAnimation.h"
#include "picture/Picture.h"
#include "picture/Prepare.h"
#include "picture/Resample.h"

#include <QDir>
#include <QFile>
#include <QImage>

namespace {

// Map files and window designs are small; anything larger is not one.
constexpr qint64 kMaxTextBytes = 16 * 1024 * 1024;
// Largest side of a --fit picture.
constexpr int kMaxFitSide = 16384;

const char kUsage[] =
    "Uso: telvaro-check [--json] [DISCO ...]\n"
    "     telvaro-check map ARCHIVO [X,Y ...]\n"
    "     telvaro-check picture ARCHIVO [--frames CARPETA] [--fit ANCHOxALTO SALIDA.png]\n";

TCheckRun Usage(const QString &why) {
    TCheckRun run;
    run.ExitCode = kExitUsage;
    if (!why.isEmpty())
        run.Err = "telvaro-check: " + why.toUtf8() + '\n';
    run.Err += kUsage;
    return run;
}

TCheckRun Failure(const QString &error) {
    TCheckRun run;
    run.ExitCode = kExitFails;
    TJson j = TJson::Object();
    j.Add(QStringLiteral("error"), error);
    run.Out = j.Write();
    return run;
}

// "X,Y" read with the map's own integer reader.
bool ParsePoint(const QString &text, int &x, int &y) {
    const qsizetype comma = text.indexOf(u',');
    return comma > 0 && ReadInteger(QStringView(text).left(comma), x) && ReadInteger(QStringView(text).mid(comma + 1), y);
}

TCheckRun MapCommand(const QStringList &args) {
    if (args.isEmpty())
        return Usage(QStringLiteral("falta el archivo del mapa"));
    std::vector<std::pair<int, int>> points;
    for (int i = 1; i < args.size(); ++i) {
        int x = 0, y = 0;
        if (!ParsePoint(args[i], x, y))
            return Usage(QStringLiteral("«%1» no es un punto X,Y").arg(args[i]));
        points.emplace_back(x, y);
    }
    QByteArray bytes;
    if (!platform::ReadFileBytes(args[0], bytes, kMaxTextBytes))
        return Failure(QStringLiteral("no se puede leer %1").arg(args[0]));
    QStringList lines = MapLines(platform::DecodeText(bytes));
    THSRgnList list;
    list.LoadMap(lines);

    TJson out = RegionsJson(list);
    TJson &at = out.Add(QStringLiteral("at"), TJson::Array());
    for (const auto &[x, y] : points) {
        TJson p = TJson::Object();
        p.Add(QStringLiteral("x"), x);
        p.Add(QStringLiteral("y"), y);
        const THSRgn *r = list.RegionAt(x, y);
        p.Add(QStringLiteral("id"), r ? TJson(r->Id) : TJson());
        at.Append(std::move(p));
    }
    TCheckRun run;
    run.Out = out.Write();
    return run;
}

bool SavePng(const QImage &image, const QString &path) { return !image.isNull() && image.save(path, "PNG"); }

TCheckRun PictureCommand(const QStringList &args) {
    QString file, framesDir, fitOut;
    int fitW = 0, fitH = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--frames") {
            if (++i >= args.size())
                return Usage(QStringLiteral("--frames necesita una carpeta"));
            framesDir = args[i];
        } else if (a == u"--fit") {
            if (i + 2 >= args.size())
                return Usage(QStringLiteral("--fit necesita ANCHOxALTO y un archivo de salida"));
            const QStringList size = args[++i].split(u'x');
            bool okW = false, okH = false;
            if (size.size() == 2) {
                fitW = size[0].toInt(&okW);
                fitH = size[1].toInt(&okH);
            }
            if (!okW || !okH || fitW < 1 || fitH < 1 || fitW > kMaxFitSide || fitH > kMaxFitSide)
                return Usage(QStringLiteral("«%1» no es un tamaño ANCHOxALTO válido").arg(args[i]));
            fitOut = args[++i];
        } else if (a.startsWith(QLatin1String("--")) || !file.isEmpty()) {
            return Usage(QStringLiteral("argumento de más: «%1»").arg(a));
        } else {
            file = a;
        }
    }
    if (file.isEmpty())
        return Usage(QStringLiteral("falta el archivo de imagen"));

    const QString readError = QStringLiteral("Error leyendo el archivo %1").arg(file);
    // The picture as the viewer's box gets it: half size for a large JPEG, upright, in the
    // screen's colours, a GIF without transparency and a 1-bit one in grey.
    TPicture picture;
    QByteArray bytes;
    const platform::TFoundFile found = platform::FindFile(file);
    if (!ReadPictureFile(found, picture.Limits(), bytes) ||
        !PrepareForBox(picture, bytes, FormatForPath(file), QSize(), nullptr))
        return Failure(readError);

    TJson out = TJson::Object();
    out.Add(QStringLiteral("format"), picture.Format() == TPictureFormat::Gif ? "gif" : "jpeg");
    out.Add(QStringLiteral("width"), picture.Width());
    out.Add(QStringLiteral("height"), picture.Height());
    out.Add(QStringLiteral("fileWidth"), picture.FileWidth());
    out.Add(QStringLiteral("fileHeight"), picture.FileHeight());
    out.Add(QStringLiteral("halfScale"), picture.HalfScale());
    out.Add(QStringLiteral("frames"), picture.FrameCount());
    TJson &delays = out.Add(QStringLiteral("delays"), TJson::Array());
    if (const TGifImage *gif = picture.Gif())
        for (int k = 0; k < gif->FrameCount(); ++k)
            delays.Append(gif->Frame(k).DelayMs);
    out.Add(QStringLiteral("bitsPerPixel"), picture.BitsPerPixel());

    if (!framesDir.isEmpty()) {
        if (!QDir().mkpath(framesDir))
            return Failure(QStringLiteral("no se puede crear la carpeta %1").arg(framesDir));
        const auto frameFile = [&](int k) {
            return QDir(framesDir).filePath(QStringLiteral("frame-%1.png").arg(k, 3, 10, QLatin1Char('0')));
        };
        // An animation's frames as the viewer's animation area composites them: from the picture
        // prepared as for the box (a 1-bit one in grey).
        if (picture.Gif()) {
            TGifAnimation animation(*picture.Gif());
            for (int k = 0; k < animation.FrameCount(); ++k)
                if (!SavePng(animation.Composite(k), frameFile(k)))
                    return Failure(QStringLiteral("no se puede escribir %1").arg(frameFile(k)));
        } else if (!SavePng(picture.ToBitmap24(), frameFile(0))) {
            return Failure(QStringLiteral("no se puede escribir %1").arg(frameFile(0)));
        }
    }
    if (!fitOut.isEmpty()) {
        QImage fitted(fitW, fitH, QImage::Format_RGB888);
        if (!ResampleBilinear(picture.ToBitmap24(), fitted) || !SavePng(fitted, fitOut))
            return Failure(QStringLiteral("no se puede escribir %1").arg(fitOut));
    }
    TCheckRun run;
    run.Out = out.Write();
    return run;
}

// Several discs give their reports in order (in JSON, an array of them); the run fails when
// any of them would not start.
TCheckRun DiscCommand(const QStringList &args) {
    bool json = false;
    QStringList discs;
    for (const QString &a : args) {
        if (a == u"--json")
            json = true;
        else if (a.startsWith(QLatin1String("--")))
            return Usage(QStringLiteral("argumento de más: «%1»").arg(a));
        else
            discs << a;
    }
    if (discs.isEmpty())
        discs << QDir::currentPath();
    for (const QString &disc : std::as_const(discs))
        if (!platform::IsDirectory(platform::ToSlashes(disc)))
            return Usage(QStringLiteral("no existe la carpeta %1").arg(disc));
    TCheckRun run;
    TJson reports = discs.size() == 1 ? TJson() : TJson::Array();
    QStringList texts;
    for (const QString &disc : std::as_const(discs)) {
        TDiscReport report = CheckDisc(disc);
        if (!report.Starts)
            run.ExitCode = kExitFails;
        if (discs.size() == 1)
            reports = std::move(report.Json);
        else
            reports.Append(std::move(report.Json));
        texts << report.Text;
    }
    run.Out = json ? reports.Write() : texts.join(u'\n').toUtf8();
    return run;
}

} // namespace

TCheckRun RunCheck(const QStringList &arguments) {
    Q_INIT_RESOURCE(check);
    if (!arguments.isEmpty() && arguments[0] == u"map")
        return MapCommand(arguments.mid(1));
    if (!arguments.isEmpty() && arguments[0] == u"picture")
        return PictureCommand(arguments.mid(1));
    if (!arguments.isEmpty() && (arguments[0] == u"--help" || arguments[0] == u"-h")) {
        TCheckRun run;
        run.Out = kUsage;
        return run;
    }
    return DiscCommand(arguments);
}
