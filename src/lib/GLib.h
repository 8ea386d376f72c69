#pragma once
// Where the disc's content lies, sound cues, path resolution, file searches and the copy.
// Paths use "/" inside the program; every path read from a file or the command line may use
// "\" as well. Folder strings end in "/".
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// The disc content folder, always absolute and ending in "/"; its resource folder; and whether
// the program file lies on an optical disc. Set once by InitPaths.
extern QString BaseDir;
extern QString GresDir;
extern bool RunningFromCD;

// From the first command-line argument (a folder), else the program's own folder.
void InitPaths();
void InitPaths(const QString &firstArgument, const QString &programFile);
void DonePaths();

bool IsOnCDROMDrive(const QString &path);
// Root of the first optical disc ("/media/cdrom/"), or empty.
QString FindCDROMRoot();

// Waits for Ms milliseconds while handling pending events (at least once); ends early when the
// tick count wraps around.
void Delay(quint32 ms);

// Plays GresDir + Name (an empty name stops the cue playing). Paths over 255 characters are
// refused, as the original cue buffer could not hold them.
void PlayCue(const QString &name, bool wait);
void StopCue();
constexpr int kMaxCuePath = 255;

// Ensures a trailing separator; an empty path stays empty. The two variants of the original
// (byte and multibyte character) are the same on Unicode strings.
QString AddBackslash(const QString &path);
QString AddBackslashChar(const QString &path);

// Resolves a path written in an items file against Base (a folder ending in "/"): a leading
// separator means the root of Base's volume, "./" means BaseDir, anything else is appended.
QString ResolvePath(const QString &path, const QString &base);

// Size of the file in bytes (capped at the largest 32-bit value), or -1 when there is none.
qint32 FileSizeOf(const QString &path);

// Depth-first search of Folder's tree for a file named Name (wildcards "*" and "?" allowed).
QString FindFileInTree(const QString &folder, const QString &name);

// Appends the files of Folder's tree whose extension occurs in Extensions ("*.jpg;*.gif" or
// "mp3") and whose size is at least MinSize; a folder's files come before its sub-folders'.
void CollectFiles(const QString &folder, const QString &extensions, qint32 minSize, QStringList &list);

// Copies Source to Target as the desktop's file copy does: asks before replacing, shows
// progress for large files, reports a failure in an error box, and never leaves a partial file.
void ShellCopyFile(QWidget *owner, const QString &source, const QString &target);

// The questions and errors ShellCopyFile shows; tests answer them without a window.
struct TCopyPrompts {
    std::function<bool(QWidget *owner, const QString &question)> AskReplace;
    std::function<void(QWidget *owner, const QString &message)> ShowError;
};
void SetCopyPromptsForTesting(TCopyPrompts prompts);
// Files from this size on show a progress dialog while they are copied.
constexpr qint64 kCopyProgressFrom = 8 * 1024 * 1024;

inline int Larger(int a, int b) { return a > b ? a : b; }
inline int Smaller(int a, int b) { return a < b ? a : b; }

// "*" any run, "?" one character, ignoring case; "*.*" matches every name, with or without a dot.
bool MatchesWildcard(const QString &name, const QString &pattern);
