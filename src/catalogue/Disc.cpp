#include "catalogue/Disc.h"

#include "catalogue/GItem.h"

TDisc LoadDisc(const QString &folder, const QString &programFile) {
    TDisc disc;
    static_cast<TDiscPaths &>(disc) = ReadDiscPaths(folder, programFile);
    disc.SortItems = ReadSortItems(disc.GresDir);
    disc.TopicsConfigFile = LocateTopicsFile(disc.GresDir);
    disc.TopicList = LoadTopics(disc.TopicsConfigFile, disc.BaseDir);
    static_cast<TViewerSettings &>(disc) = ReadViewerSettings(disc);
    return disc;
}
