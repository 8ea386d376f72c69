#pragma once
// The viewer's three settings from "GES.INI" section "Visor", read once at start-up.
#include <QString>

// Folder of the background music: BaseDir followed directly by the "Musica" value; empty means
// no music.
extern QString MusicFolder;
// Caption of the menu item that opens the slide-show choices ("Auto").
extern QString AutoCaption;
// Whether the Esc key closes the viewer ("Esc").
extern bool EscCloses;

// Reads the settings from GresDir + "GES.INI" (and from nowhere else; a missing file gives the
// defaults). Runs after InitPaths.
void ReadViewerSettings();
// Empties the settings again at the end of the program.
void DoneViewerSettings();
