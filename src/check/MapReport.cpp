#include "check/MapReport.h"

#include "check/Json.h"

#include "hotzone/DesignProperty.h"
#include "hotzone/HotZone.h"

#include <QFile>

QByteArray ShippedDesign() {
    QFile design(QStringLiteral(":/telvaro-check/MainFrm.ui"));
    return design.open(QIODevice::ReadOnly) ? design.readAll() : QByteArray();
}

QStringList ShippedMapText() {
    const QByteArray xml = ShippedDesign();
    return xml.isEmpty() ? QStringList() : MapTextFromDesign(xml);
}

QStringList MapLinesWithoutRegion(const QStringList &lines) {
    QStringList kept = lines;
    THSRgnList probe;
    probe.LoadMap(kept); // drops the empty lines
    probe.Clear();
    probe.NcsaCircles = false;
    // Line by line, so that each line's own contribution shows; the circle mode carries on
    // from line to line as in a load.
    QStringList result;
    for (const QString &line : std::as_const(kept)) {
        const int before = probe.Count();
        probe.ParseLine(line);
        if (probe.Count() == before && !line.startsWith(u'#') && line.count(u' ') != line.size())
            result << line;
    }
    return result;
}

TJson RegionsJson(const THSRgnList &list) {
    TJson out = TJson::Object();
    TJson &regions = out.Add(QStringLiteral("regions"), TJson::Array());
    for (int i = 0; i < list.Count(); ++i) {
        const THSRgn *r = list.Items(i);
        TJson j = TJson::Object();
        j.Add(QStringLiteral("id"), r->Id);
        TJson box = TJson::Array();
        // Right and bottom are the first column and row outside, as the map text writes them.
        box.Append(r->Box.left());
        box.Append(r->Box.top());
        box.Append(r->Box.left() + r->Box.width());
        box.Append(r->Box.top() + r->Box.height());
        j.Add(QStringLiteral("box"), std::move(box));
        j.Add(QStringLiteral("flags"), int(r->Flags));
        regions.Append(std::move(j));
    }
    return out;
}
