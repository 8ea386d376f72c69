#pragma once
// The region list of an image map: the regions read from NCSA-style map text, each with its id,
// shape and behaviour bits, in map order.
#include "hotzone/HotCursor.h"

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// Behaviour bits of a region.
using THSFlags = quint8;
constexpr THSFlags hsEnabled = 1;    // raises enter, over, leave and hit; lights on hover; own cursor
constexpr THSFlags hsLatched = 2;    // drawn highlighted whatever the pointer does
constexpr THSFlags hsHoverLight = 4; // drawn highlighted while the pointer is over it
constexpr THSFlags hsOwnCursor = 8;  // its Cursor is shown while the pointer is over it
constexpr THSFlags hsAutoRepeat = 16; // the hit repeats every RepDelay ms while held

struct THSRgn {
    QRegion Rgn;
    QString Id;
    THSFlags Flags = hsEnabled | hsHoverLight;
    qint16 Cursor = crDefault;
    QRect Box; // Rgn's bounding box, kept so that hit tests can skip a region without touching Rgn
};

class THSRgnList {
public:
    static constexpr int kMaxPoints = 40;
    // Coordinates are held to the 16-bit range of the graphics calls maps were written for: that keeps the
    // work and memory of any one shape bounded whatever the map says.
    static constexpr int kMinCoord = -32768;
    static constexpr int kMaxCoord = 32767;

    THSRgnList() = default;
    THSRgnList(const THSRgnList &) = delete;
    THSRgnList &operator=(const THSRgnList &) = delete;
    ~THSRgnList() { Clear(); }

    // Circle mode: the first point of a circle line is its centre.
    bool NcsaCircles = false;

    // Removes the empty lines from Lines (the caller's list changes), then rebuilds the list.
    void LoadMap(QStringList &lines);
    // Adds at most one region at the end of the list.
    void ParseLine(const QString &line);
    void Clear();

    // Records stay valid until the next Clear or LoadMap.
    THSRgn *FindById(const QString &id) const;
    QRect GetBounds(const QString &id) const;
    // The first region in list order containing the point. Allocates nothing.
    THSRgn *RegionAt(int x, int y) const {
        for (const auto &r : FItems)
            if (r->Box.contains(x, y) && r->Rgn.contains(QPoint(x, y)))
                return r.get();
        return nullptr;
    }
    static void SetFlags(THSRgn *rgn, THSFlags flags) {
        if (rgn)
            rgn->Flags = flags;
    }
    static THSFlags GetFlags(const THSRgn *rgn) { return rgn ? rgn->Flags : 0; }
    void SetCursorAll(qint16 cursor);

    int Count() const { return int(FItems.size()); }
    THSRgn *Items(int index) const { return FItems[size_t(index)].get(); }
    // The record's place in the list (map order), or -1.
    int IndexOf(const THSRgn *rgn) const;

private:
    std::vector<std::unique_ptr<THSRgn>> FItems;
};
