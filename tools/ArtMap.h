#pragma once
// The main window's map, read by the menu's own region list, so that the artwork is painted on
// exactly the pixels the menu will hit-test and light.
#include "hotzone/HotZone.h"

namespace art {

// The map file: a window design (.ui), whose hot image's "Regions" property holds the map, or
// a text file of map lines. False, with the reason, when it cannot be read or makes no region.
bool ReadMapFile(const QString &path, THSRgnList &map, QString &error);

} // namespace art
