#pragma once
// The map as telvaro-check reports it: the shipped map's text, the lines that add nothing and
// the regions as JSON. Both the map command and the disc report use them.
#include <QByteArray>
#include <QStringList>

class THSRgnList;
class TJson;

// The main window's design as compiled into the tool (empty when missing), and its map text.
QByteArray ShippedDesign();
QStringList ShippedMapText();

// The lines of map text that are neither comments nor blank and yet add no region.
QStringList MapLinesWithoutRegion(const QStringList &lines);

// {"regions": [...]} of a region list: id, box (left, top, right, bottom, the last two
// excluded) and flags, in list order.
TJson RegionsJson(const THSRgnList &list);
