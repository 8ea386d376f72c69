#pragma once
// The checker's Spanish sentences for what the menu's loaders note.
#include "lib/LoadNotes.h"

#include <QString>

struct TSentence {
    QString Where;
    QString What;
};

// A path under the disc's folder BaseDir as the report shows it: from that folder.
QString ShownPath(const QString &path, const QString &baseDir);

// Where the note is and what the menu does about it; Topic names the topic whose fill gave it.
TSentence NoteSentence(const TLoadNote &note, const QString &baseDir, const QString &topic = {});
