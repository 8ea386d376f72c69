#pragma once
// Where the disc's content lies and how its paths are read. Paths use "/" inside the program;
// every path read from a file or the command line may use "\\" as well. Folder strings end in "/".
#include <QString>

// The disc's configuration (its topics and the viewer's settings) and the buttons' click, both
// in the resource folder.
inline constexpr QLatin1String kConfigFileName("GES.INI");
inline constexpr QLatin1String kClickFileName("BOTON.WAV");

// Where one disc lies: its content folder, always absolute and ending in "/"; its resource
// folder; and whether the program file lies on an optical disc.
struct TDiscPaths {
    QString BaseDir;
    QString GresDir;
    bool RunningFromCD = false;
};

// From Folder (the first command-line argument), else the program's own folder.
TDiscPaths ReadDiscPaths(const QString &folder, const QString &programFile);

bool IsOnCDROMDrive(const QString &path);
// Root of the first optical disc ("/media/cdrom/"), or empty.
QString FindCDROMRoot();

// Ensures a trailing separator; an empty path stays empty. The two variants of the original
// (byte and multibyte character) are the same on Unicode strings.
QString AddBackslash(const QString &path);
QString AddBackslashChar(const QString &path);

// The two halves of a path at its last separator: "/" and "\\" separate, ":" is an ordinary
// character of a name (there are no drive letters here). FolderPart keeps the separator and is
// empty when there is none; FileNamePart is the rest, the whole path when there is no separator.
QString FolderPart(const QString &path);
QString FileNamePart(const QString &path);
// FileNamePart without its extension (from the name's last "." on).
QString BaseNameOf(const QString &path);

// Resolves a path written in an items file against Base (a folder ending in "/"): a leading
// separator means the root of Base's volume, "./" means BaseDir, anything else is appended.
QString ResolvePath(const QString &path, const QString &base, const QString &baseDir);

