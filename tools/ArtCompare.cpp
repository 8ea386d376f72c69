#include "ArtCompare.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace art {

namespace {

int Move(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                     std::abs(qAlpha(a) - qAlpha(b))});
}

bool Partial(QRgb c) { return qAlpha(c) > 0 && qAlpha(c) < 255; }

// An opaque pixel whose eight neighbours are all its colour lies inside a flat area.
bool OnEdge(const QImage &img, int x, int y) {
    const QRgb c = img.pixel(x, y);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < img.width() && ny < img.height() && img.pixel(nx, ny) != c)
                return true;
        }
    return false;
}

QString At(int x, int y) { return QStringLiteral("%1,%2").arg(x).arg(y); }

std::vector<QImage> Frames(const QString &path, QString &error) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    std::vector<QImage> frames;
    for (;;) {
        QImage frame = reader.read();
        if (frame.isNull())
            break;
        frames.push_back(frame);
        if (!reader.jumpToNextImage())
            break;
    }
    if (frames.empty())
        error = QStringLiteral("%1 is not a readable picture: %2").arg(path, reader.errorString());
    return frames;
}

QByteArray ReadFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TComparison Differs(const QString &reason) {
    TComparison c;
    c.Match = TMatch::Differs;
    c.Reason = reason;
    return c;
}

} // namespace

TComparison CompareArt(const QImage &committedImage, const QImage &freshImage, const TTolerance &tolerance) {
    if (committedImage.size() != freshImage.size())
        return Differs(QStringLiteral("the size changed from %1x%2 to %3x%4")
                           .arg(committedImage.width()).arg(committedImage.height())
                           .arg(freshImage.width()).arg(freshImage.height()));
    const QImage committed = committedImage.convertToFormat(QImage::Format_ARGB32);
    const QImage fresh = freshImage.convertToFormat(QImage::Format_ARGB32);
    TComparison r;
    for (int y = 0; y < committed.height(); ++y)
        for (int x = 0; x < committed.width(); ++x) {
            const QRgb a = committed.pixel(x, y), b = fresh.pixel(x, y);
            if (a == b)
                continue;
            const int move = Move(a, b);
            ++r.Pixels;
            r.MaxLevel = std::max(r.MaxLevel, move);
            if (r.Match == TMatch::Differs)
                continue;
            if (move > tolerance.Levels)
                r = {TMatch::Differs, r.Pixels, r.MaxLevel,
                     QStringLiteral("pixel %1 moved by %2 levels").arg(At(x, y)).arg(move)};
            else if (tolerance.EdgesOnly && !(Partial(a) && Partial(b)) &&
                     !(qAlpha(a) == 255 && qAlpha(b) == 255 && OnEdge(committed, x, y)))
                r = {TMatch::Differs, r.Pixels, r.MaxLevel,
                     QStringLiteral("pixel %1 changed inside the shape, not on an anti-aliased edge").arg(At(x, y))};
            else
                r.Match = TMatch::Rounding;
        }
    const double share = double(r.Pixels) / std::max(1, committed.width() * committed.height());
    if (r.Match == TMatch::Rounding && share > tolerance.Share)
        r = {TMatch::Differs, r.Pixels, r.MaxLevel,
             QStringLiteral("%1 pixels moved, more than rounding moves").arg(r.Pixels)};
    return r;
}

TComparison CompareArtFiles(const QString &committed, const QString &fresh) {
    const QByteArray a = ReadFile(committed), b = ReadFile(fresh);
    if (a == b)
        return {};
    const QString ext = QFileInfo(committed).suffix().toLower();
    TTolerance tolerance;
    if (ext == QLatin1String("png") || ext == QLatin1String("bmp"))
        tolerance = PaintedTolerance;
    else if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        tolerance = EncodedTolerance;
    else if (ext == QLatin1String("gif"))
        tolerance = PaletteTolerance;
    else
        return Differs(QStringLiteral("the bytes differ (not a picture)"));

    QString error;
    const std::vector<QImage> was = Frames(committed, error), now = Frames(fresh, error);
    if (!error.isEmpty())
        return Differs(error);
    if (was.size() != now.size())
        return Differs(QStringLiteral("%1 frames became %2").arg(was.size()).arg(now.size()));
    // A 1-bit picture is a shape: nothing of it may move.
    if (was.front().depth() == 1 || now.front().depth() == 1)
        tolerance.Levels = 0;
    TComparison total;
    for (size_t f = 0; f < was.size(); ++f) {
        TComparison c = CompareArt(was[f], now[f], tolerance);
        if (was.size() > 1 && c.Match == TMatch::Differs)
            c.Reason = QStringLiteral("frame %1: %2").arg(f + 1).arg(c.Reason);
        total.Pixels += c.Pixels;
        total.MaxLevel = std::max(total.MaxLevel, c.MaxLevel);
        if (c.Match == TMatch::Differs && total.Match != TMatch::Differs)
            total.Reason = c.Reason;
        total.Match = std::max(total.Match, c.Match);
    }
    // Equal pixels in other bytes: another version of an encoder, not other artwork.
    if (total.Match == TMatch::Same)
        total.Match = TMatch::Rounding;
    return total;
}

QString Describe(const TComparison &c) {
    switch (c.Match) {
    case TMatch::Same:
        return QStringLiteral("same");
    case TMatch::Rounding:
        if (c.Pixels == 0)
            return QStringLiteral("the same pixels, encoded in other bytes");
        return QStringLiteral("within rounding: %1 pixels moved by at most %2 level%3")
            .arg(c.Pixels).arg(c.MaxLevel).arg(c.MaxLevel == 1 ? "" : "s");
    case TMatch::Differs:
        break;
    }
    return QStringLiteral("differs: %1").arg(c.Reason);
}

} // namespace art
