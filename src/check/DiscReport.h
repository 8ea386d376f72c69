#pragma once
// The disc report of telvaro-check.
#include "check/Json.h"

#include <QString>

struct TDiscReport {
    TJson Json;
    QString Text;         // the same report for people, in Spanish
    bool Starts = false;  // at least one topic: the menu would start
};

// Reads the disc at Folder (its base folder) as the menu would at start-up and when each topic
// is chosen. Each call reads its own disc: nothing of one check is left for the next.
TDiscReport CheckDisc(const QString &folder);
