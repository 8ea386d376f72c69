#pragma once
// The disc being shown, read once from its folder: where it lies, its topics, the order of its
// items and the viewer's settings. The menu, the checker and the tests each hold one; nothing
// of it is global, so two discs can be read side by side.
#include "catalogue/GTemas.h"
#include "lib/DiscPaths.h"
#include "lib/ViewerSettings.h"

#include <QString>

struct TDisc : TDiscPaths, TViewerSettings {
    TTopicList TopicList;
    // The file the topic list was read from, or empty when none was found.
    QString TopicsConfigFile;
    // Items are taken in alphabetical order of their section names ("General"/"Ordenar").
    bool SortItems = false;
};

// Reads the disc in Folder (the first command-line argument; the program's own folder when it
// is empty) as the menu does at start-up. A disc without topics gives an empty TopicList.
TDisc LoadDisc(const QString &folder, const QString &programFile, TLoadNotes *notes = nullptr);
