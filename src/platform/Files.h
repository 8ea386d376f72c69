#pragma once
// Files on a disc authored on Windows: names are written in any letter case and with "\"
// separators. Every lookup of the program goes through ResolveCase, which tries the exact
// name first and then a case-folded match per path component.
#include <QByteArray>
#include <QString>

#include <functional>
#include <string_view>
#include <vector>

namespace platform {

// "\" and "/" both separate; the result uses "/".
QString ToSlashes(QString path);
// The extension of a path: from its last "." on, when no separator ("/", "\\" or ":") follows;
// else empty.
QString ExtensionOf(const QString &path);
// Path as a folder: ending in a separator ("/" added unless it ends in "/" or "\" already).
QString WithTrailingSeparator(const QString &path);

// A file name as text: UTF-8, with each byte that is not part of valid UTF-8 kept as the lone
// surrogate U+DC80..U+DCFF, so that a name listed from a folder turns back into the very bytes
// that open it. EncodeFileName is the way back (and plain UTF-8 for any other text).
QString DecodeFileName(const char *name);
QByteArray EncodeFileName(const QString &path);

// The existing path that Path names ignoring letter case, absolute; empty when none exists.
QString ResolveCase(const QString &path);

bool PathExists(const QString &path);
bool IsRegularFile(const QString &path);
bool IsDirectory(const QString &path);

// The name as it exists differs from the name as written only in letter case.
bool ExistsOnlyInOtherCase(const QString &path);

struct DirEntry {
    QString Name;
    bool IsDir = false;     // a folder (Link tells whether it is reached through a link)
    bool IsLink = false;    // a symbolic link: never recursed into when it names a folder
    bool IsHidden = false;  // the name starts with "."
    bool IsReadOnly = false;
    qint64 Size = 0;
};

// Folders and regular files of Dir (FIFOs, devices, sockets and dangling links are left out),
// sorted by name ignoring case. An unreadable folder lists as empty.
std::vector<DirEntry> ListDir(const QString &dir);

// A file's name as the directory holds it (bytes, not necessarily UTF-8).
using TNameFilter = std::function<bool(std::string_view name)>;
// ListDir without the files that Wanted refuses: they are dropped by name alone, before any
// further call on them, so a search over a large tree looks only at the files it may keep.
// Folders are all listed.
std::vector<DirEntry> ListDir(const QString &dir, const TNameFilter &wanted);

// Size from the directory entry, or -1 when there is no such regular file.
qint64 FileSize(const QString &path);

// What tells one version of a file from another: a file replaced, rewritten or renamed away
// since it was looked at has another stamp (or none).
struct TFileStamp {
    qint64 Size = -1;
    qint64 ModifiedNs = 0;
    quint64 Inode = 0;
    bool operator==(const TFileStamp &) const = default;
};
// The stamp of the regular file at Path; Size -1 when there is none.
TFileStamp FileStamp(const QString &path);

// Reads at most MaxBytes of a regular file. False when it cannot be opened or read.
bool ReadFileBytes(const QString &path, QByteArray &bytes, qint64 maxBytes);

// One look at a file, handed on to whatever reads it next: the regular file Path names (found
// ignoring letter case) and its stamp. Path is empty and Stamp.Size -1 when there is none.
struct TFoundFile {
    QString Path;
    TFileStamp Stamp;
    bool Exists() const { return Stamp.Size >= 0; }
};
TFoundFile FindFile(const QString &path);
// Reads at most MaxBytes of the file Found names, without looking its name up again. False
// when there was none, or it cannot be opened or read.
bool ReadFoundFile(const TFoundFile &found, QByteArray &bytes, qint64 maxBytes);

// Renames From to To, never replacing a file that exists at To.
bool RenameNoReplace(const QString &from, const QString &to);

// Both paths name the same file (also through different spellings or links).
bool SameFile(const QString &a, const QString &b);

enum class TCopyResult { Ok, SameFile, SourceUnreadable, TargetUnwritable, Cancelled };
// Copies Source to Target through a temporary file in Target's folder that is renamed into place
// at the end, so Target is either the complete copy or as it was. Progress gets (done, total) and
// returns false to cancel. The copy gets ordinary permissions (0666 less the umask).
TCopyResult CopyFileAtomically(const QString &source, const QString &target,
                               const std::function<bool(qint64, qint64)> &progress = {});

// Tests make failures happen (also when they run as root) by returning true for an operation.
enum class TFileOp { Read, Write, List, Rename };
using TFailureInjector = std::function<bool(TFileOp, const QString &path)>;
void SetFailureInjector(TFailureInjector injector);

} // namespace platform
