#pragma once
// Where the program runs from. A disc carries the menu as a self-contained bundle: the program
// beside its own libraries, Qt and GStreamer plugins, sound font and icons, in a folder marked by
// a "bundle.txt". Started from there, the menu must use what the bundle holds and nothing of the
// host's that was built against other versions of the same libraries.
#include <QByteArray>
#include <QString>

namespace platform {

// Called first thing in main(), before Qt, GLib or GStreamer start: finds the program's own file
// (also when it was started through the dynamic loader, as a disc that lost its execute bits
// starts it) and, when that file lies in a bundle, points this process at the bundle (see
// UseBundle). Argv0 is main()'s argv[0].
void SetUpProgram(const char *argv0);

// The program's own file, as SetUpProgram found it; Qt's answer before that.
QString ProgramFile();

// The bundle's folder, empty when the program does not run from one.
QString BundleFolder();

// Tells whoever unpacked the bundle into memory that the window is up, and that what the start
// reads from the disc has been read: autorun.sh then reads the first click's archive from the
// disc without the two taking turns at the drive. It waits for the file ".shown" in the bundle's
// folder; a bundle that cannot be written (the disc itself) is left as it is.
void NoteWindowShown();

// The icon theme a bundle carries, empty without one.
QString BundleIconTheme();

// The folder of Qt's own translations: the bundle's, else Qt's installed one.
QString QtTranslationsFolder();

// Points this process at the bundle in Folder: Qt plugins only from it; GStreamer's plugins,
// loaded by name with no registry; no GIO modules (the host's are built for another GLib) and
// GIO's own launch helper; the bundle's data folder after the host's, so that the host's MIME
// database and desktop files stay first. Every variable set here is one of this
// process's own (platform/Environment.h). False, and nothing changed, when Folder is no bundle.
bool UseBundle(const QString &folder);

// XDG_DATA_DIRS with Folder at the end: the user's folders (the standard ones when the variable
// is unset or empty) stay first, and a folder already listed is not added again.
QByteArray AppendDataFolder(const QByteArray &dataDirs, const QByteArray &folder);

} // namespace platform
