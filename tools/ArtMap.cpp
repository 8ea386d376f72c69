#include "ArtMap.h"

#include "hotzone/DesignProperty.h"
#include "hotzone/HotZone.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>

namespace art {

namespace {

bool ReadPoint(const QString &token, QPoint &p) {
    const qsizetype comma = token.indexOf(u',');
    if (comma < 0)
        return false;
    bool okX = false, okY = false;
    const int x = token.left(comma).toInt(&okX);
    const int y = token.mid(comma + 1).toInt(&okY);
    p = QPoint(okX ? x : 0, okY ? y : 0);
    return true;
}

} // namespace

std::vector<TMapRegion> ReadMap(const QStringList &lines) {
    std::vector<TMapRegion> regions;
    bool circleMode = false;
    for (const QString &line : lines) {
        const QStringList tokens = line.split(u' ', Qt::SkipEmptyParts);
        if (tokens.isEmpty())
            continue;
        if (line.startsWith(u'#')) {
            if (tokens.first().toUpper().contains(QLatin1String("NCSA")))
                circleMode = true;
            continue;
        }
        if (tokens.size() < 4)
            continue;
        const QString keyword = tokens[0].toUpper();
        QPoint p1, p2;
        if (!ReadPoint(tokens[2], p1) || !ReadPoint(tokens[3], p2))
            continue;
        TMapRegion r;
        r.Id = tokens[1].toUpper();
        int l, t, rt, b;
        if (keyword == QLatin1String("RECT")) {
            l = p1.x(); t = p1.y(); rt = p2.x(); b = p2.y();
        } else if (keyword == QLatin1String("CIRCLE")) {
            r.Ellipse = true;
            if (!circleMode) {
                l = p1.x(); t = p1.y(); rt = p2.x(); b = p2.y();
            } else if (p2.x() == p1.x()) {
                const int rad = std::abs(p2.y() - p1.y());
                l = p1.x() - rad; t = p1.y() - rad; rt = p1.x() + rad; b = p1.y() + rad;
            } else {
                l = 2 * p1.x() - p2.x(); t = 2 * p1.y() - p2.y(); rt = p2.x(); b = p2.y();
            }
        } else {
            continue;
        }
        if (l > rt)
            std::swap(l, rt);
        if (t > b)
            std::swap(t, b);
        if (l == rt || t == b)
            continue;
        r.Box = QRect(QPoint(l, t), QPoint(rt - 1, b - 1));
        regions.push_back(r);
    }
    return regions;
}

bool ReadMapFile(const QString &path, std::vector<TMapRegion> &regions, QString &error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the map file %1").arg(path);
        return false;
    }
    const QByteArray bytes = f.readAll();
    QStringList lines;
    // A window design holds the map in its hot image's "Regions" property: read it from there,
    // so the skin is painted to the very map the menu uses.
    if (path.endsWith(QLatin1String(".ui")))
        lines = MapTextFromDesign(bytes);
    else for (const QByteArray &raw : bytes.split('\n')) {
        QByteArray l = raw;
        if (l.endsWith('\r'))
            l.chop(1);
        if (!l.isEmpty())
            lines << QString::fromLatin1(l);
    }
    regions = ReadMap(lines);
    if (regions.empty()) {
        error = QStringLiteral("the map file %1 holds no region").arg(path);
        return false;
    }
    return true;
}

} // namespace art
