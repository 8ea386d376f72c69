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
// is chosen. The program's globals are cleared again before it returns.
TDiscReport CheckDisc(const QString &folder);
