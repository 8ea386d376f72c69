#include "ArtMap.h"

#include "hotzone/DesignProperty.h"

#include <QFile>

namespace art {

bool ReadMapFile(const QString &path, THSRgnList &map, QString &error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the map file %1").arg(path);
        return false;
    }
    const QByteArray bytes = f.readAll();
    QStringList lines;
    // Read from the design itself, so the skin is painted to the very map the menu uses.
    if (path.endsWith(QLatin1String(".ui")))
        lines = MapTextFromDesign(bytes);
    else
        for (QByteArray line : bytes.split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            lines << QString::fromLatin1(line);
        }
    map.LoadMap(lines);
    if (map.Count() == 0) {
        error = QStringLiteral("the map file %1 holds no region").arg(path);
        return false;
    }
    return true;
}

} // namespace art
