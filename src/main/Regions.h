#pragma once
// The skin's fixed regions as one table: for each id the skin's map names a region by, what a
// press does, the hint shown over it, what a screen reader calls it, whether it repeats while
// held and whether it drags the window. The topic buttons are not in it: the disc's topics name
// those (a topic's file name is its button's id).
#include "hotzone/HotZone.h"

#include <QString>

#include <span>

class TMainFrm;
class TTopicList;

struct TRegionRole {
    QString Id;                // as the map names the region, letter case included
    void (TMainFrm::*Press)(); // what a press does; nullptr: nothing of its own
    bool Click;                // the button's click sounds first, without waiting for it
    QString Hint;              // over the region, and below it on keyboard focus; empty: none
    QString Name;              // what a screen reader says
    bool Repeats;              // pressed again and again while held
    bool Drags;                // moves the window instead of being pressed
};

// The table, in the order the drag regions are looked at.
std::span<const TRegionRole> RegionRoles();
// Id's row, compared exactly as the map wrote it; nullptr for any other region.
const TRegionRole *FindRegionRole(const QString &id);
// The id of the row whose press is Press (the scroll arrows blink by it); empty when none.
QString RegionIdFor(void (TMainFrm::*press)());
bool IsDragRegion(const QString &id);
QString RegionHint(const QString &id);
// What a screen reader says for a region. A disc author names the topic buttons by naming the
// topics; the fixed ids say what they do. An id that is both keeps its fixed name, since its
// fixed action runs first.
THSRgnPresentation PresentRegion(const TTopicList &topics, const QString &id);
