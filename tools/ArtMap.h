#pragma once
// The rectangles and circles of the main window's map, read as the menu reads them, so that
// the artwork is painted on exactly the pixels the menu will hit-test and light.
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

namespace art {

struct TMapRegion {
    QString Id;
    bool Ellipse = false;
    QRect Box; // the pixels covered: left and top included, right and bottom excluded in the map
};

// Blank-separated tokens; a line starting with "#" whose first token names NCSA switches on
// circle mode (first point = centre); lines of other shapes are skipped.
std::vector<TMapRegion> ReadMap(const QStringList &lines);

// The map file: one map line per text line, as the window design holds them.
bool ReadMapFile(const QString &path, std::vector<TMapRegion> &regions, QString &error);

} // namespace art
