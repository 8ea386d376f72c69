// The region list: a map's lines read into regions, and the lookups the control makes on them.
#include "hotzone/HotRgnList.h"

#include "hotzone/HotShapes.h"
#include "hotzone/MapText.h"

#include <algorithm>
#include <array>

namespace {

int Coordinate(QStringView text) {
    int v = 0;
    if (!ReadInteger(text, v))
        v = 0;
    return std::clamp(v, THSRgnList::kMinCoord, THSRgnList::kMaxCoord);
}

} // namespace

void THSRgnList::LoadMap(QStringList &lines) {
    NcsaCircles = false;
    lines.removeIf([](const QString &s) { return s.isEmpty(); });
    Clear();
    for (const QString &line : std::as_const(lines))
        ParseLine(line);
}

void THSRgnList::ParseLine(const QString &line) {
    TTokenReader reader(line);
    const QString keyword = reader.Next();
    if (keyword.isEmpty())
        return;
    if (line.startsWith(u'#')) {
        if (keyword.contains(u"NCSA"))
            NcsaCircles = true;
        return;
    }
    const QString id = reader.Next();
    std::array<QPoint, kMaxPoints> pts{};
    int count = 0;
    while (count < kMaxPoints) {
        const QString token = reader.Next();
        const qsizetype comma = token.indexOf(u',');
        if (comma < 0)
            break;
        const QStringView t(token);
        pts[size_t(count++)] = QPoint(Coordinate(t.left(comma)), Coordinate(t.mid(comma + 1)));
    }
    QRegion rgn = ShapeRegion(keyword, pts.data(), count, NcsaCircles);
    if (id.isEmpty() || rgn.isEmpty())
        return;
    auto rec = std::make_unique<THSRgn>();
    rec->Box = rgn.boundingRect();
    rec->Rgn = std::move(rgn);
    rec->Id = id;
    FItems.push_back(std::move(rec));
}

void THSRgnList::Clear() { FItems.clear(); }

int THSRgnList::IndexOf(const THSRgn *rgn) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == rgn)
            return int(i);
    return -1;
}

THSRgn *THSRgnList::FindById(const QString &id) const {
    const QString want = platform::UpperAscii(id);
    for (const auto &r : FItems)
        if (r->Id == want)
            return r.get();
    return nullptr;
}

QRect THSRgnList::GetBounds(const QString &id) const {
    const THSRgn *r = FindById(id);
    return r ? r->Box : QRect(0, 0, 0, 0);
}

void THSRgnList::SetCursorAll(qint16 cursor) {
    for (const auto &r : FItems) {
        r->Cursor = cursor;
        r->Flags |= hsOwnCursor;
    }
}
