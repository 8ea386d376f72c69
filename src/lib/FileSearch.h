#pragma once
// Searches of a disc's folder trees: one file by a wildcard name, or every file with one of a
// list of extensions. Names are matched ignoring letter case; hidden names are never found.
#include <QString>
#include <QStringList>

// The pictures a folder target shows when it names no mask of its own.
inline constexpr QLatin1String kDefaultPictureMask("*.jpg;*.gif");

// Depth-first search of Folder's tree for a file named Name (wildcards "*" and "?" allowed).
QString FindFileInTree(const QString &folder, const QString &name);

// Appends the files of Folder's tree whose extension occurs in Extensions ("*.jpg;*.gif" or
// "mp3") and whose size is at least MinSize; a folder's files come before its sub-folders'.
// TooSmall, when given, receives the files left out for their size.
void CollectFiles(const QString &folder, const QString &extensions, qint32 minSize, QStringList &list,
                  QStringList *tooSmall = nullptr);

// "*" any run, "?" one character, ignoring case; "*.*" matches every name, with or without a dot.
bool MatchesWildcard(const QString &name, const QString &pattern);
