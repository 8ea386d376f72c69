#include "ArtMap.h"

#include "hotzone/DesignProperty.h"
#include "hotzone/MapText.h"
#include "platform/Text.h"

#include <QFile>

namespace art {

bool ReadMapFile(const QString &path, THSRgnList &map, QString &error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the map file %1").arg(path);
        return false;
    }
    const QByteArray bytes = f.readAll();
    // Read from the design itself, so the skin is painted to the very map the menu uses; a
    // text file as the checker reads one.
    QStringList lines = path.endsWith(QLatin1String(".ui")) ? MapTextFromDesign(bytes)
                                                             : MapLines(platform::DecodeText(bytes));
    map.LoadMap(lines);
    if (map.Count() == 0) {
        error = QStringLiteral("the map file %1 holds no region").arg(path);
        return false;
    }
    return true;
}

} // namespace art
