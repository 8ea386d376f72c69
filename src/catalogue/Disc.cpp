#include "catalogue/Disc.h"

#include "catalogue/GItem.h"

TDisc LoadDisc(const QString &folder, const QString &programFile, TLoadNotes *notes) {
    TDisc disc;
    static_cast<TDiscPaths &>(disc) = ReadDiscPaths(folder, programFile);
    disc.TopicsConfigFile = LocateTopicsFile(disc.GresDir, notes);
    disc.TopicList = LoadTopics(disc.TopicsConfigFile, disc.BaseDir, notes);
    disc.SortItems = ReadSortItems(disc.GresDir, notes);
    static_cast<TViewerSettings &>(disc) = ReadViewerSettings(disc, notes);
    return disc;
}
