#pragma once
// Loads the media layer (libtelvaro_media.so, GStreamer behind a function table) the first time
// a sound or a track is asked for. Internal to the platform layer.
#include "platform/MediaModule.h"

#include <QString>

namespace platform {

// The media layer, loaded at the first call; null when it cannot be loaded, for good: the menu
// then runs silent, and MediaLoadError says why.
const media::TTable *MediaTable();
// The table when an earlier call loaded it; never loads.
const media::TTable *LoadedMediaTable();
// Starts loading the media layer (and its playback plugin) on a thread of its own; once.
void PreloadMedia();
// Waits for a preload under way (before the program ends).
void JoinMediaPreload();
// Why MediaTable gave null; empty when it did not (or was not asked yet).
QString MediaLoadError();

// Loads the table from File (a name alone is looked for as the dynamic loader looks for
// libraries: beside the program, through its run path); null with *Error set when the file is
// missing, is not such a module, or is of another version.
const media::TTable *LoadMediaTable(const QString &file, QString *error);

} // namespace platform
