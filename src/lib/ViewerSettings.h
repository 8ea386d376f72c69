#pragma once
// The viewer's three settings from "GES.INI" section "Visor", read once with the disc.
#include "lib/DiscPaths.h"
#include "lib/LoadNotes.h"

#include <QString>

struct TViewerSettings {
    // Folder of the background music: BaseDir followed directly by the "Musica" value; empty
    // means no music.
    QString MusicFolder;
    // Caption of the menu item that opens the slide-show choices ("Auto").
    QString AutoCaption;
    // Whether the Esc key closes the viewer ("Esc").
    bool EscCloses = true;
};

// Reads the settings from GresDir + "GES.INI" (and from nowhere else; a missing file gives the
// defaults).
TViewerSettings ReadViewerSettings(const TDiscPaths &paths, TLoadNotes *notes = nullptr);
